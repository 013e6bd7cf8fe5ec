#pragma once

#include <QString>
#include <QtGlobal>

// Where this copy of the game talks and keeps its files. Tests and users override these
// through MORVELLO_PORT, MORVELLO_DIR and MORVELLO_SEED (the last is read by DiceRandom).
namespace Environment {

inline constexpr quint16 kDefaultPort = 7772;

// The game's TCP port: MORVELLO_PORT when it holds a valid port number, else 7772.
quint16 gamePort();

// Whether this copy runs from where `cmake --install` or the Debian package put it: its
// directory is the install's bin (or the package's games) directory and the game's module
// directory sits beside it at the place that install gives it. A copy in a build tree or an
// unpacked folder is not installed.
bool isInstalled();

// The directory of the executable's loadable modules (the sound module): the installed module
// directory for an installed copy, else the executable's own directory.
QString moduleDirectory();

// The directory of the settings and tally files, with a trailing "/": MORVELLO_DIR when set;
// else, for an installed copy, the per-user data directory, since the executable's directory
// belongs to the system; else the executable's directory when it is writable, and the
// per-user data directory when it is not. Created when missing.
QString dataDirectory();

} // namespace Environment
