#include "protocol/catalogue.h"

#include "protocol/fieldreader.h"
#include "protocol/message.h"
#include "rules/categories.h"

#include <string>

namespace wire {

namespace {

constexpr QByteArrayView kSpellings[] = {
    "CMD_logininfo",     "CMD_chat",         "CMD_action",
    "CMD_startgame",     "CMD_justwatch",    "CMD_rolldice",
    "CMD_setdice",       "CMD_unsetdice",    "CMD_setscore",
    "CMD_sendlogininfo", "CMD_full",         "CMD_newplayerinfo",
    "CMD_existingplayers", "CMD_havewrongversion", "CMD_wrongversion",
    "CMD_playerdisconnected", "CMD_setbonusdice", "CMD_nextplayer",
    "CMD_thedice",       "CMD_rollagain",    "CMD_chooseagain",
    "CMD_pscore",        "CMD_justwatching", "CMD_winner",
};
static_assert(std::size(kSpellings) == std::size_t(Word::winner) + 1);

// A field that converts but lies outside what the receiver can index.
FieldError outOfRange(const char *what, int value)
{
    return FieldError(std::string(what) + " " + std::to_string(value) + " out of range");
}

int inRange(int value, const char *what, int low, int high)
{
    if (value < low || value > high)
        throw outOfRange(what, value);
    return value;
}

int takeSlot(FieldReader &fields) { return inRange(fields.takeInt(), "slot", 1, game::kSlots); }
int takeSeat(FieldReader &fields) { return inRange(fields.takeInt(), "seat", 1, game::kSeats); }
int toDie(int value) { return inRange(value, "die", 1, game::kDice); }
int toFace(int value) { return inRange(value, "face", 1, 6); }
int toRolls(int value) { return inRange(value, "roll count", 0, game::kMaxRolls); }

// Runs a reader over the data and turns a conversion or range error into a failed decoding.
template <class T, class Read>
Decoded<T> decodeWith(QByteArrayView data, Read read)
{
    try {
        FieldReader fields(data);
        return Decoded<T>(read(fields));
    } catch (const FieldError &error) {
        return Decoded<T>::failure(error.what());
    }
}

MessageBuilder start(Word word)
{
    return MessageBuilder(spelling(word));
}

} // namespace

QByteArrayView spelling(Word word)
{
    return kSpellings[std::size_t(word)];
}

std::optional<Entry> readEntry(QByteArrayView entry)
{
    const qsizetype plus = entry.indexOf('+');
    if (plus <= 0)
        return std::nullopt;
    const QByteArrayView word = entry.first(plus);
    for (std::size_t i = 0; i < std::size(kSpellings); ++i) {
        if (kSpellings[i] == word)
            return Entry{Word(i), entry.sliced(plus + 1)};
    }
    return std::nullopt;
}

// ---- from a client ----

QByteArray LoginInfo::encode() const
{
    return start(Word::logininfo).field(slot).field(version).field(name).finish();
}

Decoded<LoginInfo> LoginInfo::decode(QByteArrayView data)
{
    return decodeWith<LoginInfo>(data, [](FieldReader &f) {
        LoginInfo m;
        m.slot = takeSlot(f);
        m.version = f.takeText();
        m.name = f.rest();
        return m;
    });
}

QByteArray ChatRequest::encode() const
{
    return start(action ? Word::action : Word::chat).field(slot).field(text).finish();
}

Decoded<ChatRequest> ChatRequest::decode(QByteArrayView data, bool action)
{
    return decodeWith<ChatRequest>(data, [action](FieldReader &f) {
        ChatRequest m;
        m.action = action;
        m.slot = takeSlot(f);
        m.text = f.rest();
        return m;
    });
}

QByteArray StartRequest::encode() const
{
    return start(Word::startgame).field(slot).field(bonus).field(team).finish();
}

Decoded<StartRequest> StartRequest::decode(QByteArrayView data)
{
    return decodeWith<StartRequest>(data, [](FieldReader &f) {
        StartRequest m;
        m.slot = takeSlot(f);
        m.bonus = f.takeText();
        m.team = f.rest();
        return m;
    });
}

QByteArray WatchRequest::encode() const
{
    MessageBuilder message = start(Word::justwatch);
    message.field(seat);
    if (mode == Other)
        return message.field("").finish();
    return message.field(mode == Watch ? 1 : 2).finish();
}

Decoded<WatchRequest> WatchRequest::decode(QByteArrayView data)
{
    return decodeWith<WatchRequest>(data, [](FieldReader &f) {
        WatchRequest m;
        m.seat = takeSeat(f);
        const QByteArrayView mode = f.restView();
        m.mode = mode == "1" ? Watch : mode == "2" ? Play : Other;
        return m;
    });
}

QByteArray RollRequest::encode() const
{
    return start(Word::rolldice).field(slot).finish();
}

Decoded<RollRequest> RollRequest::decode(QByteArrayView data)
{
    return decodeWith<RollRequest>(data, [](FieldReader &f) {
        // The whole data is the slot.
        return RollRequest{inRange(FieldReader::toInt(f.restView()), "slot", 1, game::kSlots)};
    });
}

QByteArray DieRequest::encode() const
{
    return start(hold ? Word::setdice : Word::unsetdice).field(slot).field(die).finish();
}

Decoded<DieRequest> DieRequest::decode(QByteArrayView data, bool hold)
{
    return decodeWith<DieRequest>(data, [hold](FieldReader &f) {
        DieRequest m;
        m.hold = hold;
        m.slot = takeSlot(f);
        m.die = toDie(FieldReader::toInt(f.restView()));
        return m;
    });
}

bool ScoreRequest::categoryInRange() const
{
    return rules::isCategory(category);
}

QByteArray ScoreRequest::encode() const
{
    return start(Word::setscore).field(slot).field(category).finish();
}

Decoded<ScoreRequest> ScoreRequest::decode(QByteArrayView data)
{
    return decodeWith<ScoreRequest>(data, [](FieldReader &f) {
        ScoreRequest m;
        m.slot = takeSlot(f);
        m.category = FieldReader::toInt(f.restView());
        return m;
    });
}

// ---- from the host ----

QByteArray LoginAsk::encode() const
{
    return start(Word::sendlogininfo).field(slot).finish();
}

Decoded<LoginAsk> LoginAsk::decode(QByteArrayView data)
{
    return decodeWith<LoginAsk>(data, [](FieldReader &f) { return LoginAsk{takeSlot(f)}; });
}

QByteArray Notice::encode() const
{
    return start(word).field("").finish();
}

QByteArray PlayerInfo::encode() const
{
    return start(existing ? Word::existingplayers : Word::newplayerinfo).field(slot).field(name).finish();
}

Decoded<PlayerInfo> PlayerInfo::decode(QByteArrayView data, bool existing)
{
    return decodeWith<PlayerInfo>(data, [existing](FieldReader &f) {
        PlayerInfo m;
        m.existing = existing;
        m.slot = takeSlot(f);
        m.name = f.rest();
        return m;
    });
}

QByteArray OtherVersion::encode() const
{
    return start(Word::havewrongversion).field(name).finish();
}

Decoded<OtherVersion> OtherVersion::decode(QByteArrayView data)
{
    return OtherVersion{data.toByteArray()};
}

QByteArray PlayerLeft::encode() const
{
    return start(Word::playerdisconnected).field(slot).field(name).finish();
}

Decoded<PlayerLeft> PlayerLeft::decode(QByteArrayView data)
{
    return decodeWith<PlayerLeft>(data, [](FieldReader &f) {
        PlayerLeft m;
        m.slot = takeSlot(f);
        m.name = f.rest();
        return m;
    });
}

QByteArrayView RelayedLine::text() const
{
    const qsizetype bar = line.lastIndexOf('|');
    return bar < 0 ? QByteArrayView(line) : QByteArrayView(line).first(bar);
}

std::optional<QByteArrayView> RelayedLine::colour() const
{
    const qsizetype bar = line.lastIndexOf('|');
    if (bar < 0)
        return std::nullopt;
    return QByteArrayView(line).sliced(bar + 1);
}

QByteArray RelayedLine::encode() const
{
    return start(action ? Word::action : Word::chat).field(line).finish();
}

Decoded<RelayedLine> RelayedLine::decode(QByteArrayView data, bool action)
{
    return RelayedLine{action, data.toByteArray()};
}

QByteArray GameStart::encode() const
{
    return start(Word::startgame).field(starter).field(bonus).field(team).finish();
}

Decoded<GameStart> GameStart::decode(QByteArrayView data)
{
    return decodeWith<GameStart>(data, [](FieldReader &f) {
        GameStart m;
        m.starter = takeSlot(f);
        m.bonus = f.takeText();
        m.team = f.takeText();
        return m;
    });
}

QByteArray BonusDie::encode() const
{
    return start(Word::setbonusdice).field(face).finish();
}

Decoded<BonusDie> BonusDie::decode(QByteArrayView data)
{
    return decodeWith<BonusDie>(data, [](FieldReader &f) { return BonusDie{toFace(f.takeInt())}; });
}

QByteArray NextPlayer::encode() const
{
    return start(Word::nextplayer).field(seat).field(round).field(total).field(rolls).field("").finish();
}

Decoded<NextPlayer> NextPlayer::decode(QByteArrayView data)
{
    return decodeWith<NextPlayer>(data, [](FieldReader &f) {
        NextPlayer m;
        m.seat = takeSeat(f);
        m.round = f.takeInt();
        m.total = f.takeInt();
        m.rolls = toRolls(f.takeInt());
        return m;
    });
}

QByteArray Roll::encode() const
{
    MessageBuilder message = start(Word::thedice);
    message.field(seat).field(again ? "y" : "n").field(rolls);
    for (int i = 0; i < count; ++i)
        message.field(dice[std::size_t(i)].die).field(dice[std::size_t(i)].face);
    return message.finish();
}

Decoded<Roll> Roll::decode(QByteArrayView data)
{
    return decodeWith<Roll>(data, [](FieldReader &f) {
        Roll m;
        m.seat = takeSeat(f);
        m.again = f.takeText() == "y";
        m.rolls = toRolls(f.takeInt());
        while (!f.atEnd()) {
            if (m.count == game::kDice)
                throw FieldError("more than five dice");
            const int die = toDie(f.takeInt());
            if (f.atEnd())
                throw FieldError("die without a face");
            m.add(die, toFace(f.takeInt()));
        }
        return m;
    });
}

QByteArray DieMoved::encode() const
{
    return start(held ? Word::setdice : Word::unsetdice).field(die).finish();
}

Decoded<DieMoved> DieMoved::decode(QByteArrayView data, bool held)
{
    return decodeWith<DieMoved>(data, [held](FieldReader &f) { return DieMoved{held, toDie(f.takeInt())}; });
}

bool Card::categoryInRange() const
{
    return rules::isCategory(category);
}

QByteArray Card::encode() const
{
    MessageBuilder message = start(Word::pscore);
    message.field(seat).field(total);
    if (mark == Scored)
        message.field(category);
    else if (mark == PartnerCopy)
        message.field("*").append(category);
    else
        message.field("*");
    for (int cell = 1; cell <= kCells; ++cell)
        message.field(cells[std::size_t(cell)]);
    return message.finish();
}

Decoded<Card> Card::decode(QByteArrayView data)
{
    return decodeWith<Card>(data, [](FieldReader &f) {
        Card m;
        m.seat = takeSeat(f);
        m.total = f.takeInt();
        const QByteArray mark = f.takeText();
        if (mark == "*") {
            m.mark = Refresh;
        } else {
            m.mark = mark.startsWith('*') ? PartnerCopy : Scored;
            m.category = FieldReader::toInt(QByteArrayView(mark).sliced(m.mark == PartnerCopy ? 1 : 0));
        }
        for (int cell = 1; cell <= kCells; ++cell)
            m.cells[std::size_t(cell)] = f.takeInt();
        return m;
    });
}

QByteArray WatchChanged::encode() const
{
    return start(Word::justwatching).field(seat).field(watching ? 1 : 2).finish();
}

Decoded<WatchChanged> WatchChanged::decode(QByteArrayView data)
{
    return decodeWith<WatchChanged>(data, [](FieldReader &f) {
        WatchChanged m;
        m.seat = takeSeat(f);
        m.watching = f.restView() == "1";
        return m;
    });
}

QByteArray Winner::encode() const
{
    return start(Word::winner).field(names).field(total).field("").finish();
}

Decoded<Winner> Winner::decode(QByteArrayView data)
{
    // names+total+: the names run to the total, so a name with "+" arrives whole. The client
    // does not use the total; a message whose end is not a number still names its winners,
    // up to the first "+".
    const QByteArrayView body = data.endsWith('+') ? data.chopped(1) : data;
    const qsizetype plus = body.lastIndexOf('+');
    if (plus >= 0) {
        try {
            return Winner{body.first(plus).toByteArray(), FieldReader::toInt(body.sliced(plus + 1))};
        } catch (const FieldError &) {
        }
    }
    FieldReader fields(data);
    return Winner{fields.takeText(), 0};
}

} // namespace wire
