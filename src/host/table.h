#pragma once

#include <QByteArray>

#include <array>
#include <functional>

#include "common/gameconstants.h"
#include "common/ratelimiter.h"
#include "host/hostoutput.h"
#include "protocol/catalogue.h"

// The connection slots of the host: who sits in each, their login and names, the relay of
// their chat, and the sends to one slot or to all. Slots 1..4 are also the seats; a seat is
// the computer's while nobody is connected there or its player just watches.
class Table {
public:
    // What one peer can make the host send to everyone: names and relayed lines are cut to
    // these lengths, and at most kRelaysPerSecond chat or action lines of one connection are
    // relayed in a second (a person sends far fewer); the rest are dropped.
    static constexpr qsizetype kMaxNameLength = game::kMaxNameLength;
    static constexpr qsizetype kMaxRelayedText = 1000;
    static constexpr qsizetype kMaxRelayedColour = 32;
    static constexpr int kRelaysPerSecond = 10;
    // Reports of dropped messages: at most this many lines per connection in a second.
    static constexpr int kLogLinesPerSecond = 10;

    explicit Table(HostOutput &output);

    // The clock of the relay and log limits, in milliseconds (monotonic); tests step their own.
    void setClock(std::function<qint64()> clock) { clock_ = std::move(clock); }

    // Chooses the slot for a new connection: the lowest free slot up to numslots, or a new
    // one while numslots < 9. Marks it connected (not logged in) and returns it; returns 0
    // when all nine are in use. Sends nothing. Once keepSlotOneForHostUser() was called, only
    // the hosting user's own connection (hostUser) is given slot 1.
    int accept(bool hostUser);
    void keepSlotOneForHostUser() { slotOneKept_ = true; }
    // Frees a slot whose connection closed and tells the others when it had logged in (a
    // slot that never did leaves unannounced). False when the slot was not connected, as on
    // a second report of the same close.
    bool close(int slot);

    // The slot hears that the host removes it, in the message its leaving gives the others,
    // before its connection is closed.
    void tellRemoved(int slot);
    // Every slot but the hosting user's hears that slot 1 leaves: the hosting copy closes the
    // game.
    void tellHostLeaving();

    // Names a connected slot (at most kMaxNameLength characters, no control characters) and
    // announces it; false when the slot is not connected.
    bool login(const wire::LoginInfo &login);
    // Relays a chat or action line of a slot that has logged in, within kRelaysPerSecond,
    // with at most kMaxRelayedText characters of the line and kMaxRelayedColour of its colour.
    void relay(const wire::ChatRequest &request);
    // Hands a connected seat to the host or takes it back, and tells everyone; false for a
    // seat without a connection.
    bool setAway(int seat, bool away);
    // A newcomer sees the seats that just watch marked as everyone else does.
    void tellWatching(int slot);
    // A new game: every seat is played by its own player again.
    void clearAway();
    // The end of a game: empty seats 2..4 take their computer players' names.
    void nameEmptySeats();

    void sendTo(int slot, const QByteArray &message);
    // To every connected slot, in slot order.
    void sendToAll(const QByteArray &message);
    // A line about a slot's messages, within the slot's log limit.
    void report(int slot, const QByteArray &line);

    bool connected(int slot) const { return game::isSlot(slot) && slots_[std::size_t(slot)].connected; }
    bool loggedIn(int slot) const { return connected(slot) && slots_[std::size_t(slot)].loggedin; }
    QByteArray name(int slot) const { return game::isSlot(slot) ? slots_[std::size_t(slot)].name : QByteArray(); }
    bool away(int seat) const { return game::isSeat(seat) && slots_[std::size_t(seat)].away; }
    // A seat 1..4 with no connection or just watching; the host plays it.
    bool isComputerSeat(int seat) const { return game::isSeat(seat) && (!connected(seat) || away(seat)); }
    // The highest slot ever given out; it never decreases.
    int numslots() const { return numslots_; }

private:
    struct Slot {
        QByteArray name;         // login name as sent (single-byte text); empty while free
        bool connected = false;
        bool loggedin = false;
        bool away = false;       // just watching: the host plays the seat
        RateLimiter relays{kRelaysPerSecond, 1000};
        LogLimiter log{kLogLinesPerSecond, 1000};
    };

    HostOutput &output_;
    std::array<Slot, game::kSlots + 1> slots_;   // indices 1..9
    int numslots_ = 0;
    bool slotOneKept_ = false;
    std::function<qint64()> clock_ = monotonicMs;
};
