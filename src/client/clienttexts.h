#pragma once

#include <QString>

#include "common/gameconstants.h"

// The texts the main window shows, each written once.
namespace ClientText {

inline const QString caption = QStringLiteral("Morvello");
inline const QString welcome = QStringLiteral("Welcome to Morvello!");
inline const QString waiting = QString::fromLatin1(game::kWaiting);
inline const QString enterChat = QStringLiteral("<Enter Chat Here>");
inline const QString scoreCard = QStringLiteral("Score Card");
inline const QString roundHeading = QStringLiteral("Round #");
inline const QString rolls = QStringLiteral("Rolls");
inline const QString winner = QStringLiteral("Winner!");

inline const QString loadingSolo = QStringLiteral("Loading Solo Game..Please wait.");
inline const QString loadingMulti = QStringLiteral("Loading Multi-player Game.. Please Wait.");
inline const QString gameFull = QStringLiteral("Game is full");
inline const QString lookupFailed = QStringLiteral("Host Lookup - Could Not Find Host Entry");
inline const QString hasWrongVersion = QStringLiteral(" has a different version of the game then you.");
inline const QString wrongVersion = QStringLiteral("You have a differnt version of the game then the host.");
inline const QString couldNotConnect = QStringLiteral("Could not connect to %1: %2");
inline const QString checkHost = QStringLiteral(
    "Check that the host's game is running and that its firewall lets TCP port %1 through, then start again.");
inline const QString portInUse = QStringLiteral(
    "Port %1 is already in use: another copy of Morvello may be hosting on it.");
inline const QString pickAnotherPortSolo = QStringLiteral(
    "Close that copy and start again, or choose another port, for example: MORVELLO_PORT=%1 morvello");
inline const QString pickAnotherPortHost = QStringLiteral(
    "Close that copy and start again, or host on another port, for example: MORVELLO_PORT=%1 morvello %2 %3 true"
    " (everyone joining must then use the same MORVELLO_PORT).");
inline const QString cannotListen = QStringLiteral("Could not listen on port %1: %2");
inline const QString hostNotFound = QStringLiteral(
    "Could not find the host \"%1\" (port %2). Check the address, or ask the host for its IP address,"
    " for example: morvello %3 192.168.1.5 false");
inline const QString othersJoinWith = QStringLiteral("Others can join with: %1morvello NAME %2 false");
inline const QString noNetworkAddress = QStringLiteral("this machine has no network address yet");
inline const QString invalidAddress = QStringLiteral("not a valid address");
inline const QString inputTooLong =
    QStringLiteral("The connection to the host was closed: it sent more than %1 KiB without ending a message.");

inline const QString youConnected = QStringLiteral("You are Connected.");
inline const QString isConnected = QStringLiteral(" is Connected.");
inline const QString youSpying = QStringLiteral("You are spying.");
inline const QString isSpying = QStringLiteral(" is spying.");
inline const QString disconnected = QStringLiteral(" disconnected.");
inline const QString hasLeft = QStringLiteral(" has left.");

} // namespace ClientText
