#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <array>
#include <functional>

#include "rules/scoring.h"
#include "common/gameconstants.h"
#include "common/ratelimiter.h"
#include "protocol/catalogue.h"

class DiceRandom;

// One connection slot; slots 1..4 are also the four seats of the game.
struct tplayer {
    QByteArray name;                 // login name as sent (single-byte text); empty while free
    bool connected = false;          // a client connection lives in this slot
    bool loggedin = false;           // its connection has sent its login
    qint32 total = 0;                // grand total of the seat's card
    qint32 turns = 0;                // turns the rotation has given this seat this game
    bool away = false;               // just watching: the host plays the seat
    std::array<qint32, 17> scores{}; // cells 1..16 of the card; 1000 = empty (index 0 unused)
    qint32 partner = 0;              // team partner: 1<->3, 2<->4
    qint32 choice = 0;               // the computer's target category this turn, 0 = none
};

// The host engine's only way out: messages to connection slots and the pacing timer.
class HostOutput {
public:
    virtual ~HostOutput() = default;
    // Hands one framed message (terminator included) to the connection of a slot.
    virtual void sendToSlot(int slot, const QByteArray &message) = 0;
    // Switches the host's own-play timer (Timer1) on or off. When it fires, the owner calls
    // HostEngine::Timer1Timer(), which switches it off first.
    virtual void setTimer1Enabled(bool enabled) = 0;
};

// The host's seat table, dispatcher, game flow, scoring and computer player, free of sockets
// and timers: it takes queue entries and connection events, and answers through HostOutput.
// TServer adapts it to real sockets and a real Timer1.
//
// dispatch() decodes each message through the catalogue (src/protocol/catalogue.h); one that
// does not decode is dropped with a line on standard error, within the slot's log limit.
class HostEngine {
public:
    static constexpr int kMaxSlots = game::kSlots;
    static constexpr int kEmptyCell = rules::kEmptyCell;
    // What one peer can make the host send to everyone: names and relayed lines are cut to
    // these lengths, and at most kRelaysPerSecond chat or action lines of one connection are
    // relayed in a second (a person sends far fewer); the rest are dropped.
    static constexpr qsizetype kMaxNameLength = game::kMaxNameLength;
    static constexpr qsizetype kMaxRelayedText = 1000;
    static constexpr qsizetype kMaxRelayedColour = 32;
    static constexpr int kRelaysPerSecond = 10;
    // Reports of dropped messages: at most this many lines per connection in a second.
    static constexpr int kLogLinesPerSecond = 10;

    HostEngine(HostOutput &output, DiceRandom &random);

    // The clock of the relay and log limits, in milliseconds (monotonic); tests step their own.
    void setClock(std::function<qint64()> clock) { clock_ = std::move(clock); }

    // ---- connections and relay (hostengine.cpp) ----

    // Chooses the slot for a new connection: the lowest free slot up to numslots, or a new
    // one while numslots < 9. Marks it connected (not logged in) and returns it; returns 0
    // when all nine are in use (the caller then says the game is full and closes). Does not
    // send anything. Once keepSlotOneForHostUser() was called, only the hosting user's own
    // connection (hostUser) is given slot 1.
    int acceptSlot(bool hostUser = false);
    void keepSlotOneForHostUser() { slotOneKept_ = true; }
    // The clean-up after a slot's connection has closed ("Socket Closed"): tells the others
    // when the slot had logged in (a slot that never did leaves unannounced), frees the slot
    // and passes the turn when the current seat left. Safe to call more than once
    // for one close.
    void slotClosed(int slot);

    // Dispatches one queue entry that arrived on the connection of fromSlot. fromHostUser is
    // true when that connection is the hosting user's own client. Every client message names
    // its sender's slot in its first field; an entry whose slot field is not fromSlot is
    // ignored (the hosting user alone may name another seat, and only in a just-watch
    // request), as is a game start from anyone but the hosting user. A message that does not
    // decode is reported through the slot's log limit.
    void dispatch(QByteArrayView entry, int fromSlot, bool fromHostUser);

    // A login takes at most kMaxNameLength characters of the name.
    void receivedlogininfo(const wire::LoginInfo &login);
    // Relays a chat or action line of a slot that has logged in, within kRelaysPerSecond,
    // with at most kMaxRelayedText characters of the line and kMaxRelayedColour of its colour.
    void chat(const wire::ChatRequest &request);

    // ---- game flow (gameflow.cpp) ----

    void startgame(const wire::StartRequest &request);
    void findplayer();
    void justwatch(const wire::WatchRequest &request);
    void checkforwin();
    void Timer1Timer();

    // The requests of the seat on turn. The computer player acts through these, exactly as
    // a client's message does.
    void rolldice(int seat);
    void setdice(int seat, int position);
    void unsetdice(int seat, int position);

    // ---- score recording (scoring.cpp) ----

    void setscore(int seat, int category);

    // ---- computer player (computerplayer.cpp) ----

    void computerplay(int seat);
    bool computercheck(int seat);
    void computerworking(int seat);
    int findworking(int seat);
    int findany(int seat);
    int threes(int seat);
    int twos(int seat);
    int straight();
    void workstraight(int seat);
    void worknums(int seat, int face);

    // ---- helpers shared by the parts above ----

    // A seat 1..4 with no connection or just watching; the host plays it.
    bool isComputerSeat(int seat) const;
    // A slot number that names a table entry a connection may use (1..9).
    static bool isSlot(int slot) { return game::isSlot(slot); }
    // Sends to one slot if it is connected.
    void sendTo(int slot, const QByteArray &message);
    // Sends to every connected slot 1..numslots in slot order.
    void sendToAll(const QByteArray &message);
    void enableTimer1();
    void disableTimer1();
    bool timer1Enabled() const { return timer1Enabled_; }
    // The five faces of the turn: each die where it lies, or its held face.
    rules::Hand currentHand() const;

    // ---- host state, public so that tests can read and arrange it ----

    std::array<tplayer, 12> players;  // indices 1..11; 10 and 11 are never given out
    bool gamestarted = false;
    int numslots = 0;
    int newslot = 0;
    int currentplayer = 0;
    int rolls = 0;
    std::array<int, 6> dice{};        // 1..5: -1 not rolled yet, 1..6 face on the table, 0 held
    std::array<int, 6> helddice{};    // 1..5: 0 not held, 1..6 the held face
    bool teamgame = false;
    bool bonusgame = false;
    int bonusdie = 0;

private:
    // A refused score request: a person is told, a computer seat rolls instead.
    void refuseScore(int seat, const QByteArray &message);
    // A computer seat asked for a roll after its third: the turn must still end.
    void playSpentTurn(int seat);
    // The turn announcement for the current seat as the turn stands.
    QByteArray nextPlayerMessage() const;
    // Checks who a decoded message speaks for, then hands it on; reports one that did not decode.
    template <class Message, class Handle>
    void route(const wire::Decoded<Message> &message, wire::Word word, int fromSlot, bool fromHostUser,
               Handle handle);

    HostOutput &output_;
    DiceRandom &random_;
    bool timer1Enabled_ = false;
    bool slotOneKept_ = false;
    std::function<qint64()> clock_ = monotonicMs;
    std::array<RateLimiter, 12> relayLimits_;
    std::array<LogLimiter, 12> logLimits_;
};
