#include "session/clientcommands.h"

#include "session/clientconnection.h"
#include "session/gamemodel.h"
#include "session/preferences.h"
#include "common/gameconstants.h"
#include "protocol/catalogue.h"
#include "protocol/message.h"
#include "rules/scoring.h"

ClientCommands::ClientCommands(GameModel &model, ClientOutput &output, const Preferences &preferences)
    : model_(model), output_(output), preferences_(preferences)
{
}

QByteArray ClientCommands::wireText(const QString &text)
{
    QString safe = text;
    safe.replace(QChar(0xFF), QLatin1Char('y'));
    return toWire(safe);
}

void ClientCommands::send(const QByteArray &message)
{
    output_.sendToHost(message);
}

void ClientCommands::setLoginName(const QString &name)
{
    loginname_ = wireText(name) + kTerminator;
}

void ClientCommands::sendloginfo()
{
    send(wire::LoginInfo{model_.myseat(), game::kVersionText, loginname_}.encode());
}

// ---- chat ----

void ClientCommands::sendChat(const QString &text)
{
    send(wire::ChatRequest{false, model_.myseat(), wireText(text + QLatin1Char('|') + ColorText::format(preferences_.textColor()))}
             .encode());
}

void ClientCommands::sendAction(const QString &text)
{
    send(wire::ChatRequest{true, model_.myseat(), wireText(text + QLatin1Char('|') + ColorText::format(preferences_.actionColor()))}
             .encode());
}

bool ClientCommands::sendit(const QString &input)
{
    if (!model_.loggedin())
        return false;
    if (input.isEmpty())
        return true;
    if (!input.startsWith(QLatin1Char('/')))
        sendChat(input);
    else if (input.startsWith(QLatin1String("/me")))
        sendAction(input.mid(4));
    return true;
}

ClientCommands::Outcome ClientCommands::phrase(const QString &text)
{
    if (!phraseready_ || !model_.loggedin())
        return Outcome::Ignored;
    if (text.startsWith(QLatin1String("/me ")))
        sendAction(text.mid(4));
    else
        sendAction(QStringLiteral("says: ") + text);
    phraseready_ = false;
    phraseticks_ = 0;
    return Outcome::Sent;
}

bool ClientCommands::tick()
{
    if (!phraseready_) {
        ++phraseticks_;
        if (phraseticks_ > kPhraseLockTicks) {
            phraseready_ = true;
            phraseticks_ = 0;
        }
    }
    return !phraseready_;
}

// ---- the game ----

void ClientCommands::startgame(bool bonusGame, bool teamGame)
{
    if (!model_.loggedin())
        return;
    send(wire::StartRequest{model_.myseat(), bonusGame ? "t" : "f", teamGame ? "true" : "false"}.encode());
}

ClientCommands::Outcome ClientCommands::rolldice()
{
    if (!model_.myTurn() || !model_.canact())
        return Outcome::Ignored;
    // With every die held the host has nothing to roll and sends nothing back, so the turn
    // would wait for ever on a hidden roll button.
    if (model_.allDiceHeld()) {
        model_.setStatus(GameModel::kReleaseFirst);
        return Outcome::ReleaseFirst;
    }
    model_.noteRollSent();
    send(wire::RollRequest{model_.myseat()}.encode());
    return Outcome::Sent;
}

ClientCommands::Outcome ClientCommands::clickDie(int die)
{
    if (die < 1 || die > GameModel::kDice || !model_.myTurn() || !model_.canact())
        return Outcome::Ignored;
    const bool free = model_.die(die).mark == DieView::Free;
    send(wire::DieRequest{free, model_.myseat(), die}.encode());
    return Outcome::Sent;
}

ClientCommands::Outcome ClientCommands::chooseCategory(int category, bool doubleCheck)
{
    if (!rules::isCategory(category) || !model_.myTurn() || !model_.canact())
        return Outcome::Ignored;
    if (model_.rolls() < 1) {
        model_.setStatus(GameModel::kRollFirst);
        return Outcome::Ignored;
    }
    if (doubleCheck && !rules::isMade(model_.faces(), category))
        return Outcome::AskFirst;
    sendscore(category);
    return Outcome::Sent;
}

void ClientCommands::sendscore(int category)
{
    model_.noteScoreSent();
    if (model_.loggedin())
        send(wire::ScoreRequest{model_.myseat(), category}.encode());
}

void ClientCommands::toggleJustWatch()
{
    if (!model_.loggedin())
        return;
    send(wire::WatchRequest{model_.myseat(), model_.justWatching() ? wire::WatchRequest::Play : wire::WatchRequest::Watch}
             .encode());
}

void ClientCommands::setJustWatch(int seat, bool watching)
{
    if (!model_.loggedin() || !game::isSeat(seat))
        return;
    send(wire::WatchRequest{seat, watching ? wire::WatchRequest::Watch : wire::WatchRequest::Play}.encode());
}
