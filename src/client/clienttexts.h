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
inline const QString invalidAddress = QStringLiteral("not a valid address");
inline const QString inputTooLong =
    QStringLiteral("The connection to the host was closed: it sent more than %1 KiB without ending a message.");

inline const QString youConnected = QStringLiteral("You are Connected.");
inline const QString isConnected = QStringLiteral(" is Connected.");
inline const QString youSpying = QStringLiteral("You are spying.");
inline const QString isSpying = QStringLiteral(" is spying.");
inline const QString disconnected = QStringLiteral(" disconnected.");
inline const QString hasLeft = QStringLiteral(" has left.");

inline const QString defaultPhrases[11] = {
    QString(),
    QStringLiteral("Way To Go!"), QStringLiteral("Good One!"), QStringLiteral("Nice Try!"),
    QStringLiteral("Excellent!"), QStringLiteral("Brilliant!"), QStringLiteral("Wow, WTG!"),
    QStringLiteral("Thanks!"), QStringLiteral("Way To Go Teamie!"), QStringLiteral("Good Game Everyone!"),
    QStringLiteral("See ya!")};

} // namespace ClientText
