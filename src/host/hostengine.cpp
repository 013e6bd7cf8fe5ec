#include "host/hostengine.h"

#include <type_traits>

HostEngine::HostEngine(HostOutput &output, DiceRandom &random)
    : table_(output), turn_(table_, output, random), computer_(turn_)
{
    turn_.setSeatPlayer(&computer_);
}

void HostEngine::slotClosed(int slot)
{
    if (table_.close(slot))
        turn_.seatLeft(slot);
}

void HostEngine::receivedlogininfo(const wire::LoginInfo &login)
{
    if (!table_.login(login))
        return;
    table_.tellWatching(login.slot);
    turn_.bringUpToDate(login.slot);
}

void HostEngine::justwatch(const wire::WatchRequest &request)
{
    if (request.mode == wire::WatchRequest::Other)
        return;
    const bool away = request.mode == wire::WatchRequest::Watch;
    if (table_.setAway(request.seat, away) && away)
        turn_.seatAway(request.seat);
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
        table_.report(fromSlot, "Host: slot " + QByteArray::number(fromSlot) + ": "
                                    + wire::spelling(word).toByteArray() + " dropped: " + message.error());
        return;
    }
    const int named = namedSlot(*message);
    if constexpr (std::is_same_v<Message, wire::StartRequest>) {
        if (!fromHostUser || named != fromSlot)
            return;
    } else if constexpr (std::is_same_v<Message, wire::WatchRequest>) {
        // The hosting user sets and unsets other seats to just watching.
        if (named != fromSlot && (!fromHostUser || !table_.connected(named)))
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
    if (!table_.connected(fromSlot))
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
