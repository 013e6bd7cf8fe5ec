#include "common/gameconstants.h"
#include "host/hostengine.h"

#include "protocol/catalogue.h"
#include "protocol/message.h"

#include <QtGlobal>

#include <algorithm>
#include <type_traits>

int HostEngine::acceptSlot(bool hostUser)
{
    // Slot 1 waits for the hosting user's own client once it is expected: a stranger who
    // connects first must not take the host's seat.
    const int first = slotOneKept_ && !hostUser ? 2 : 1;
    newslot = 0;
    for (int slot = first; slot <= numslots; ++slot) {
        if (!players[slot].connected) {
            newslot = slot;
            break;
        }
    }
    if (newslot == 0) {
        if (numslots >= kMaxSlots)
            return 0;
        numslots = std::max(numslots + 1, first);
        newslot = numslots;
    }
    tplayer &player = players[newslot];
    player.connected = true;
    player.loggedin = false;
    // A newcomer does not inherit what its slot's last connection used up.
    relayLimits_[newslot].reset();
    logLimits_[newslot].reset();
    return newslot;
}

void HostEngine::slotClosed(int slot)
{
    if (!isSlot(slot) || !players[slot].connected)
        return;

    tplayer &player = players[slot];
    // A connection that never logged in was never announced, so its leaving is not either
    // (the end of a game may have given its seat a computer name meanwhile).
    if (player.loggedin) {
        const QByteArray notice = wire::PlayerLeft{slot, player.name}.encode();
        for (int other = 1; other <= numslots; ++other) {
            if (other != slot && players[other].connected)
                output_.sendToSlot(other, notice);
        }
    }

    player.connected = false;
    player.loggedin = false;
    player.name.clear();
    player.away = false;
    logLimits_[slot].flush();

    // Only on the first report of the close: a later one must not pass the turn again when
    // the rotation happened to come back to this seat. Seat 1 passes it too: a player who is
    // not the hosting user can sit there.
    if (gamestarted && slot == currentplayer)
        findplayer();
}

namespace {

// Every client message names its sender's slot (or, in a just-watch request, the seat) first.
int namedSlot(const wire::LoginInfo &m) { return m.slot; }
int namedSlot(const wire::ChatRequest &m) { return m.slot; }
int namedSlot(const wire::StartRequest &m) { return m.slot; }
int namedSlot(const wire::WatchRequest &m) { return m.seat; }
int namedSlot(const wire::RollRequest &m) { return m.slot; }
int namedSlot(const wire::DieRequest &m) { return m.slot; }
int namedSlot(const wire::ScoreRequest &m) { return m.slot; }

} // namespace

template <class Message, class Handle>
void HostEngine::route(const wire::Decoded<Message> &message, wire::Word word, int fromSlot, bool fromHostUser,
                       Handle handle)
{
    if (!message) {
        // The report quotes no more than the reader's short reason, and the slot's limit
        // keeps a flood of them from filling the log.
        logLimits_[fromSlot].write(clock_(), "Host: slot " + QByteArray::number(fromSlot) + ": "
                                                  + wire::spelling(word).toByteArray() + " dropped: "
                                                  + message.error());
        return;
    }
    const int named = namedSlot(*message);
    if constexpr (std::is_same_v<Message, wire::StartRequest>) {
        if (!fromHostUser || named != fromSlot)
            return;
    } else if constexpr (std::is_same_v<Message, wire::WatchRequest>) {
        // The hosting user sets and unsets other seats to just watching.
        if (named != fromSlot && (!fromHostUser || !players[named].connected))
            return;
    } else {
        if (named != fromSlot)
            return;
    }
    handle(*message);
}

void HostEngine::dispatch(QByteArrayView entry, int fromSlot, bool fromHostUser)
{
    const std::optional<wire::Entry> command = wire::readEntry(entry);
    if (!command)
        return;
    // A message may only speak for the connection it came on; a connection that has no slot
    // (or has lost it) speaks for nobody.
    if (!isSlot(fromSlot) || !players[fromSlot].connected)
        return;

    using wire::Word;
    const QByteArrayView data = command->data;
    const Word word = command->word;
    switch (word) {
    case Word::logininfo:
        route(wire::LoginInfo::decode(data), word, fromSlot, fromHostUser,
              [this](const wire::LoginInfo &m) { receivedlogininfo(m); });
        break;
    case Word::chat:
    case Word::action:
        route(wire::ChatRequest::decode(data, word == Word::action), word, fromSlot, fromHostUser,
              [this](const wire::ChatRequest &m) { chat(m); });
        break;
    case Word::startgame:
        route(wire::StartRequest::decode(data), word, fromSlot, fromHostUser,
              [this](const wire::StartRequest &m) { startgame(m); });
        break;
    case Word::justwatch:
        route(wire::WatchRequest::decode(data), word, fromSlot, fromHostUser,
              [this](const wire::WatchRequest &m) { justwatch(m); });
        break;
    case Word::rolldice:
        route(wire::RollRequest::decode(data), word, fromSlot, fromHostUser,
              [this](const wire::RollRequest &m) { rolldice(m.slot); });
        break;
    case Word::setdice:
    case Word::unsetdice:
        route(wire::DieRequest::decode(data, word == Word::setdice), word, fromSlot, fromHostUser,
              [this](const wire::DieRequest &m) { m.hold ? setdice(m.slot, m.die) : unsetdice(m.slot, m.die); });
        break;
    case Word::setscore:
        route(wire::ScoreRequest::decode(data), word, fromSlot, fromHostUser,
              [this](const wire::ScoreRequest &m) { setscore(m.slot, m.category); });
        break;
    default:
        // The host's own words mean nothing coming from a client.
        break;
    }
}

void HostEngine::receivedlogininfo(const wire::LoginInfo &login)
{
    const int slot = login.slot;
    // A name goes out in every roster and chat line of the table: no control character in it.
    const QByteArray name = withoutControls(login.name.left(kMaxNameLength));
    if (!isSlot(slot) || !players[slot].connected)
        return;

    players[slot].name = name;
    players[slot].loggedin = true;

    sendToAll(wire::PlayerInfo{false, slot, name}.encode());

    for (int other = 1; other <= numslots; ++other) {
        if (other != slot && players[other].connected)
            sendTo(slot, wire::PlayerInfo{true, other, players[other].name}.encode());
    }

    if (login.version != game::kVersionText) {
        sendTo(1, wire::OtherVersion{name}.encode());
        sendTo(slot, wire::Notice{wire::Word::wrongversion}.encode());
    }

    if (gamestarted) {
        // Bring the newcomer up to date: whose turn it is, how far it has gone, and the cards.
        sendTo(slot, nextPlayerMessage());
        for (int seat = 1; seat <= game::kSeats; ++seat) {
            sendTo(slot, wire::Card{seat, players[seat].total, wire::Card::Refresh, 0, players[seat].scores}.encode());
        }
    }
}

void HostEngine::chat(const wire::ChatRequest &request)
{
    const int slot = request.slot;
    // Nobody speaks before a login: there is no name to speak under.
    if (!isSlot(slot) || !players[slot].connected || !players[slot].loggedin)
        return;
    if (!relayLimits_[slot].allow(clock_()))
        return;

    // The line runs to the first "|", the colour follows it; each is cut to its length, so
    // that an ordinary line goes out untouched and a long one keeps its colour.
    const QByteArrayView text = request.text;
    const qsizetype bar = text.indexOf('|');
    const QByteArrayView line = bar < 0 ? text : text.first(bar);
    const QByteArrayView colour = bar < 0 ? QByteArrayView() : text.sliced(bar);
    QByteArray relayed = players[slot].name;
    relayed += request.action ? " " : " chats: ";
    relayed += withoutControls(line.first(std::min(line.size(), kMaxRelayedText)));
    relayed += withoutControls(colour.first(std::min(colour.size(), kMaxRelayedColour + 1)));
    sendToAll(wire::RelayedLine{request.action, relayed}.encode());
}
