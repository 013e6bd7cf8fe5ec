#include "host/table.h"

#include "protocol/message.h"

#include <algorithm>

Table::Table(HostOutput &output) : output_(output)
{
    for (int slot = 1; slot <= game::kSlots; ++slot)
        slots_[std::size_t(slot)].log.setLabel("Host: slot " + QByteArray::number(slot));
}

int Table::accept(bool hostUser)
{
    // Slot 1 waits for the hosting user's own client once it is expected: a stranger who
    // connects first must not take the host's seat.
    const int first = slotOneKept_ && !hostUser ? 2 : 1;
    int chosen = 0;
    for (int slot = first; slot <= numslots_; ++slot) {
        if (!slots_[std::size_t(slot)].connected) {
            chosen = slot;
            break;
        }
    }
    if (chosen == 0) {
        if (numslots_ >= game::kSlots)
            return 0;
        numslots_ = std::max(numslots_ + 1, first);
        chosen = numslots_;
    }
    Slot &s = slots_[std::size_t(chosen)];
    s.connected = true;
    s.loggedin = false;
    // A newcomer does not inherit what its slot's last connection used up.
    s.relays.reset();
    s.log.reset();
    return chosen;
}

bool Table::close(int slot)
{
    if (!connected(slot))
        return false;
    Slot &s = slots_[std::size_t(slot)];
    // A connection that never logged in was never announced, so its leaving is not either
    // (the end of a game may have given its seat a computer name meanwhile).
    if (s.loggedin) {
        const QByteArray notice = wire::PlayerLeft{slot, s.name}.encode();
        for (int other = 1; other <= numslots_; ++other) {
            if (other != slot && slots_[std::size_t(other)].connected)
                output_.sendToSlot(other, notice);
        }
    }
    s.connected = false;
    s.loggedin = false;
    s.name.clear();
    s.away = false;
    s.log.flush();
    return true;
}

void Table::tellRemoved(int slot)
{
    if (loggedIn(slot))
        sendTo(slot, wire::PlayerLeft{slot, name(slot)}.encode());
}

void Table::tellHostLeaving()
{
    const QByteArray notice = wire::PlayerLeft{1, name(1)}.encode();
    for (int slot = 2; slot <= numslots_; ++slot)
        sendTo(slot, notice);
}

bool Table::login(const wire::LoginInfo &login)
{
    const int slot = login.slot;
    if (!connected(slot))
        return false;
    // A name goes out in every roster and chat line of the table: no control character in it.
    const QByteArray name = withoutControls(login.name.left(kMaxNameLength));
    slots_[std::size_t(slot)].name = name;
    slots_[std::size_t(slot)].loggedin = true;

    sendToAll(wire::PlayerInfo{false, slot, name}.encode());
    for (int other = 1; other <= numslots_; ++other) {
        if (other != slot && connected(other))
            sendTo(slot, wire::PlayerInfo{true, other, slots_[std::size_t(other)].name}.encode());
    }
    if (login.version != game::kVersionText) {
        sendTo(1, wire::OtherVersion{name}.encode());
        sendTo(slot, wire::Notice{wire::Word::wrongversion}.encode());
    }
    return true;
}

void Table::relay(const wire::ChatRequest &request)
{
    const int slot = request.slot;
    // Nobody speaks before a login: there is no name to speak under.
    if (!loggedIn(slot) || !slots_[std::size_t(slot)].relays.allow(clock_()))
        return;

    // The colour follows the last "|", which the sender's copy put there; a "|" typed in the
    // line stays in it. Each is cut to its length, so that an ordinary line goes out untouched
    // and a long one keeps its colour.
    const QByteArrayView text = request.text;
    const qsizetype bar = text.lastIndexOf('|');
    const QByteArrayView line = bar < 0 ? text : text.first(bar);
    const QByteArrayView colour = bar < 0 ? QByteArrayView() : text.sliced(bar);
    QByteArray relayed = slots_[std::size_t(slot)].name;
    relayed += request.action ? " " : " chats: ";
    relayed += withoutControls(line.first(std::min(line.size(), kMaxRelayedText)));
    relayed += withoutControls(colour.first(std::min(colour.size(), kMaxRelayedColour + 1)));
    sendToAll(wire::RelayedLine{request.action, relayed}.encode());
}

bool Table::setAway(int seat, bool away)
{
    // Spectators already watch; only the four seats can be handed to the host.
    if (!game::isSeat(seat) || !connected(seat))
        return false;
    slots_[std::size_t(seat)].away = away;
    sendToAll(wire::WatchChanged{seat, away}.encode());
    return true;
}

void Table::tellWatching(int slot)
{
    for (int seat = 1; seat <= game::kSeats; ++seat) {
        if (away(seat))
            sendTo(slot, wire::WatchChanged{seat, true}.encode());
    }
}

void Table::clearAway()
{
    for (int seat = 1; seat <= game::kSeats; ++seat)
        slots_[std::size_t(seat)].away = false;
}

void Table::nameEmptySeats()
{
    // Seat 1 is always someone's: the hosting user sits there.
    for (int seat = 2; seat <= game::kSeats; ++seat) {
        if (slots_[std::size_t(seat)].name.isEmpty())
            slots_[std::size_t(seat)].name = game::kComputerNames[seat];
    }
}

void Table::sendTo(int slot, const QByteArray &message)
{
    if (connected(slot))
        output_.sendToSlot(slot, message);
}

void Table::sendToAll(const QByteArray &message)
{
    for (int slot = 1; slot <= numslots_; ++slot) {
        if (slots_[std::size_t(slot)].connected)
            output_.sendToSlot(slot, message);
    }
}

void Table::report(int slot, const QByteArray &line)
{
    if (game::isSlot(slot))
        slots_[std::size_t(slot)].log.write(clock_(), line);
}
