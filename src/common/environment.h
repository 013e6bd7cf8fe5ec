#pragma once

#include <QString>
#include <QtGlobal>

// Where this copy of the game talks and keeps its files. Tests and users override these
// through MORVELLO_PORT, MORVELLO_DIR and MORVELLO_SEED (the last is read by DiceRandom).
namespace Environment {

inline constexpr quint16 kDefaultPort = 7772;

// The game's TCP port: MORVELLO_PORT when it holds a valid port number, else 7772.
quint16 gamePort();

// The directory of the settings and tally files, with a trailing "/": MORVELLO_DIR when set;
// else the executable's directory when it is writable; else the per-user data directory.
// Created when missing.
QString dataDirectory();

} // namespace Environment
