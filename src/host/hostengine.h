#pragma once

#include <QByteArrayView>

#include <functional>

#include "host/computerplayer.h"
#include "host/hostoutput.h"
#include "host/table.h"
#include "host/turn.h"
#include "protocol/catalogue.h"

class DiceRandom;

// The host free of sockets and timers: it takes queue entries and connection events and
// answers through HostOutput. TServer adapts it to real sockets and a real Timer1.
//
// Its parts have one job each: the Table (slots, login, relay), the Turn (rotation, dice,
// scoring) and the ComputerPlayer, which plays the seats the host plays through the same
// requests as a seat's messages. The engine's own job is the dispatcher: it decodes each
// message through the catalogue (src/protocol/catalogue.h), checks who it speaks for and
// hands it to its part; one that does not decode is dropped with a line on standard error,
// within the slot's log limit.
class HostEngine {
public:
    static constexpr int kMaxSlots = game::kSlots;

    HostEngine(HostOutput &output, DiceRandom &random);
    HostEngine(const HostEngine &) = delete;
    HostEngine &operator=(const HostEngine &) = delete;

    // The clock of the relay and log limits, in milliseconds (monotonic); tests step their own.
    void setClock(std::function<qint64()> clock) { table_.setClock(std::move(clock)); }

    // ---- connections ----

    // The slot for a new connection, 0 when all nine are in use (Table::accept).
    int acceptSlot(bool hostUser = false) { return table_.accept(hostUser); }
    void keepSlotOneForHostUser() { table_.keepSlotOneForHostUser(); }
    // The clean-up after a slot's connection has closed: tells the others, frees the slot and
    // passes the turn when the seat on turn left. Safe to call more than once for one close.
    void slotClosed(int slot);

    // Dispatches one queue entry that arrived on the connection of fromSlot. fromHostUser is
    // true when that connection is the hosting user's own client. Every client message names
    // its sender's slot in its first field; an entry whose slot field is not fromSlot is
    // ignored (the hosting user alone may name another seat, and only in a just-watch
    // request), as is a game start from anyone but the hosting user.
    void dispatch(QByteArrayView entry, int fromSlot, bool fromHostUser);

    // ---- what the messages reach ----

    void receivedlogininfo(const wire::LoginInfo &login);
    void chat(const wire::ChatRequest &request) { table_.relay(request); }
    void startgame(const wire::StartRequest &request) { turn_.startgame(request); }
    void justwatch(const wire::WatchRequest &request);
    void rolldice(int seat) { turn_.rolldice(seat); }
    void setdice(int seat, int die) { turn_.setdice(seat, die); }
    void unsetdice(int seat, int die) { turn_.unsetdice(seat, die); }
    void setscore(int seat, int category) { turn_.setscore(seat, category); }

    // One step of the host's own play; the owner calls it when Timer1 fires.
    void Timer1Timer() { turn_.Timer1Timer(); }
    bool timer1Enabled() const { return turn_.timer1Enabled(); }

    const Table &table() const { return table_; }
    const Turn &turn() const { return turn_; }

private:
    // Checks who a decoded message speaks for, then hands it on; reports one that did not decode.
    template <class Message, class Handle>
    void route(const wire::Decoded<Message> &message, wire::Word word, int fromSlot, bool fromHostUser,
               Handle handle);

    Table table_;
    Turn turn_;
    ComputerPlayer computer_;
};
