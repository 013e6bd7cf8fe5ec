#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <optional>
#include <utility>

#include "protocol/slots.h"

// The game's messages: every command word, spelled here and nowhere else, and one type per
// layout. encode() gives the framed message, terminator included; decode() takes the data
// after the command word's "+" and checks every field the receiver uses to index its tables
// (slot 1..9, seat 1..4, die 1..5, face 1..6, roll count 0..3). A field that does not convert
// or lies outside its range fails the decoding with a short report of what was wrong, and
// the receiver drops that one message.
//
// Chat, action, startgame, setdice and unsetdice are laid out differently from a client and
// from the host, so each direction has its own type.
namespace wire {

enum class Word : quint8 {
    // from a client
    logininfo,
    chat,
    action,
    startgame,
    justwatch,
    rolldice,
    setdice,
    unsetdice,
    setscore,
    // from the host (chat, action, startgame, setdice and unsetdice too)
    sendlogininfo,
    full,
    newplayerinfo,
    existingplayers,
    havewrongversion,
    wrongversion,
    playerdisconnected,
    setbonusdice,
    nextplayer,
    thedice,
    rollagain,
    chooseagain,
    pscore,
    justwatching,
    winner,
};

// "CMD_" and the word.
QByteArrayView spelling(Word word);

// A queue entry cut at its first "+": the command word and the data after it. Entries
// without "+", with an empty command word or with a word the game does not know carry no
// command.
struct Entry {
    Word word;
    QByteArrayView data;
};
std::optional<Entry> readEntry(QByteArrayView entry);

// What decoding gives: the message, or what was wrong with it.
template <class T>
class Decoded {
public:
    Decoded(T value) : value_(std::move(value)) {}
    static Decoded failure(QByteArray why)
    {
        Decoded d;
        d.error_ = std::move(why);
        return d;
    }
    explicit operator bool() const { return value_.has_value(); }
    const T &operator*() const { return *value_; }
    const T *operator->() const { return &*value_; }
    const QByteArray &error() const { return error_; }

private:
    Decoded() = default;
    std::optional<T> value_;
    QByteArray error_;
};

// ---- from a client to the host ----

// CMD_logininfo+slot+version+name: the name is the rest and may hold "+".
struct LoginInfo {
    int slot = 0;
    QByteArray version;
    QByteArray name;
    QByteArray encode() const;
    static Decoded<LoginInfo> decode(QByteArrayView data);
};

// CMD_chat+slot+text|colour and CMD_action+slot+text|colour: the line as typed, its colour
// after the first "|".
struct ChatRequest {
    bool action = false;
    int slot = 0;
    QByteArray text;
    QByteArray encode() const;
    static Decoded<ChatRequest> decode(QByteArrayView data, bool action);
};

// CMD_startgame+slot+bonus+team: the flags as the hosting user's copy wrote them, "t" and
// "true" for on; the host echoes them as they came.
struct StartRequest {
    int slot = 0;
    QByteArray bonus;
    QByteArray team;
    QByteArray encode() const;
    static Decoded<StartRequest> decode(QByteArrayView data);
};

// CMD_justwatch+seat+mode: mode 1 hands the seat to the host, 2 takes it back; any other
// mode comes through as neither, for the host to ignore.
struct WatchRequest {
    enum Mode : quint8 { Other, Watch, Play };
    int seat = 0;
    Mode mode = Other;
    QByteArray encode() const;
    static Decoded<WatchRequest> decode(QByteArrayView data);
};

// CMD_rolldice+slot.
struct RollRequest {
    int slot = 0;
    QByteArray encode() const;
    static Decoded<RollRequest> decode(QByteArrayView data);
};

// CMD_setdice+slot+die and CMD_unsetdice+slot+die.
struct DieRequest {
    bool hold = true;
    int slot = 0;
    int die = 0;
    QByteArray encode() const;
    static Decoded<DieRequest> decode(QByteArrayView data, bool hold);
};

// CMD_setscore+slot+category. A category outside 1..12 comes through marked, so that the
// host answers it as it answers a used one.
struct ScoreRequest {
    int slot = 0;
    int category = 0;
    bool categoryInRange() const;
    QByteArray encode() const;
    static Decoded<ScoreRequest> decode(QByteArrayView data);
};

// ---- from the host to a client ----

// CMD_sendlogininfo+slot: the slot this connection was given.
struct LoginAsk {
    int slot = 0;
    QByteArray encode() const;
    static Decoded<LoginAsk> decode(QByteArrayView data);
};

// CMD_full+, CMD_wrongversion+, CMD_rollagain+ and CMD_chooseagain+: the word says it all.
struct Notice {
    Word word = Word::full;
    QByteArray encode() const;
};

// CMD_newplayerinfo+slot+name and CMD_existingplayers+slot+name. An empty name is a slot
// that has not logged in yet.
struct PlayerInfo {
    bool existing = false;
    int slot = 0;
    QByteArray name;
    QByteArray encode() const;
    static Decoded<PlayerInfo> decode(QByteArrayView data, bool existing);
};

// CMD_havewrongversion+name.
struct OtherVersion {
    QByteArray name;
    QByteArray encode() const;
    static Decoded<OtherVersion> decode(QByteArrayView data);
};

// CMD_playerdisconnected+slot+name.
struct PlayerLeft {
    int slot = 0;
    QByteArray name;
    QByteArray encode() const;
    static Decoded<PlayerLeft> decode(QByteArrayView data);
};

// CMD_chat+line and CMD_action+line: the speaker's name and what they said, then the last
// "|" and the colour (a "|" typed in the line stays in it). A line without "|" has no colour.
struct RelayedLine {
    bool action = false;
    QByteArray line;
    QByteArrayView text() const;
    std::optional<QByteArrayView> colour() const;
    QByteArray encode() const;
    static Decoded<RelayedLine> decode(QByteArrayView data, bool action);
};

// CMD_startgame+starter+bonus+team, echoed to everyone.
struct GameStart {
    int starter = 0;
    QByteArray bonus;
    QByteArray team;
    bool bonusGame() const { return bonus == "t"; }
    bool teamGame() const { return team == "true"; }
    QByteArray encode() const;
    static Decoded<GameStart> decode(QByteArrayView data);
};

// CMD_setbonusdice+face.
struct BonusDie {
    int face = 0;
    QByteArray encode() const;
    static Decoded<BonusDie> decode(QByteArrayView data);
};

// CMD_nextplayer+seat+round+total+rolls+ (the last field is empty).
struct NextPlayer {
    int seat = 0;
    int round = 0;
    int total = 0;
    int rolls = 0;
    QByteArray encode() const;
    static Decoded<NextPlayer> decode(QByteArrayView data);
};

// CMD_thedice+seat+y|n+rolls+die+face...: the dice rolled, in die order; held dice are not
// listed.
struct Roll {
    struct Rolled {
        int die = 0;
        int face = 0;
        bool operator==(const Rolled &) const = default;
    };
    int seat = 0;
    bool again = false;    // "y": the seat may roll again
    int rolls = 0;
    std::array<Rolled, game::kDice> dice{};
    int count = 0;
    void add(int die, int face) { dice[std::size_t(count++)] = {die, face}; }
    QByteArray encode() const;
    static Decoded<Roll> decode(QByteArrayView data);
};

// CMD_setdice+die and CMD_unsetdice+die: a die was held or released.
struct DieMoved {
    bool held = true;
    int die = 0;
    QByteArray encode() const;
    static Decoded<DieMoved> decode(QByteArrayView data, bool held);
};

// CMD_pscore+seat+total+mark+16 cells. The mark is the category just scored, "*" and the
// category on the partner's copy in a team game, or "*" alone on a refresh for a newcomer. A
// category outside 1..12 comes through marked: the cells still count, the category names
// nothing.
struct Card {
    enum Mark : quint8 { Scored, PartnerCopy, Refresh };
    static constexpr int kCells = 16;
    int seat = 0;
    int total = 0;
    Mark mark = Refresh;
    int category = 0;       // 0 on a refresh
    std::array<int, kCells + 1> cells{};   // 1..16; index 0 unused
    bool categoryInRange() const;
    QByteArray encode() const;
    static Decoded<Card> decode(QByteArrayView data);
};

// CMD_justwatching+seat+mode: 1 is just watching, anything else playing again.
struct WatchChanged {
    int seat = 0;
    bool watching = false;
    QByteArray encode() const;
    static Decoded<WatchChanged> decode(QByteArrayView data);
};

// CMD_winner+names+total+ (the last field is empty).
struct Winner {
    QByteArray names;
    int total = 0;
    QByteArray encode() const;
    static Decoded<Winner> decode(QByteArrayView data);
};

} // namespace wire
