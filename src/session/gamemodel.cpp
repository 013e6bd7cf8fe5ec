#include "session/gamemodel.h"

#include <algorithm>
#include <utility>

#include "protocol/fieldreader.h"
#include "protocol/message.h"
#include "rules/dicerandom.h"

namespace {

const QString kWaiting = QString::fromLatin1(game::kWaiting);

// Where the dice wait before a game's first roll and at each new turn.
constexpr QPoint kDiceStart[GameModel::kDice + 1] = {{}, {379, 210}, {323, 250}, {395, 250}, {363, 258}, {347, 226}};
// The board column of each rolled die, and whether it lands in the upper rows 1..3 or the
// lower rows 3..4.
constexpr int kRollColumn[GameModel::kDice + 1] = {0, 3, 4, 5, 1, 2};
constexpr bool kUpperRows[GameModel::kDice + 1] = {false, true, false, true, false, true};
constexpr int kTrayFromRight = 54;
constexpr int kReleasedFromRight = 108;
constexpr int kTrayTop = 18;
constexpr int kDieSize = 32;

// Thrown for a field that converts but would index past the window's seats, dice, faces or
// categories; it stops the message like a field that does not convert.
FieldError outOfRange(const char *what, int value)
{
    return FieldError(std::string(what) + " " + std::to_string(value) + " out of range");
}

int takeInRange(FieldReader &fields, const char *what, int low, int high)
{
    const int value = fields.takeInt();
    if (value < low || value > high)
        throw outOfRange(what, value);
    return value;
}

// Text of the host's messages as the window shows it: whoever wrote it, no control character
// in it can break a line.
QString shown(QByteArrayView bytes)
{
    return withoutControls(fromWire(bytes));
}

// A name as the host cuts it; an evil host's longer names are cut here again.
QString nameShown(QByteArrayView bytes)
{
    return shown(bytes.first(std::min<qsizetype>(bytes.size(), game::kMaxNameLength)));
}

int heldTop(int die)
{
    return kTrayTop + kDieSize * (die - 1);
}

} // namespace

GameModel::GameModel(QObject *parent)
    : QObject(parent)
    , reports_(kReportsPerSecond, 1000)
{
    reports_.setLabel("morvello: reports of the host's messages");
    for (int seat = 1; seat <= game::kSeats; ++seat) {
        SeatView &s = seats_[std::size_t(seat)];
        s.name = kWaiting;
        s.computerName = QString::fromLatin1(game::kComputerNames[seat]);
        s.cells.fill(rules::kEmptyCell);
    }
    for (int die = 1; die <= kDice; ++die)
        dice_[std::size_t(die)].pos = kDiceStart[die];
}

void GameModel::setIshost(bool host)
{
    ishost_ = host;
    emit boardChanged();
}

QString GameModel::spyEntry(int slot, const QString &name)
{
    return QStringLiteral("%1: %2").arg(slot).arg(name);
}

QString GameModel::nameOfSlot(int slot) const
{
    if (game::isSeat(slot))
        return seats_[std::size_t(slot)].name;
    for (const SpectatorView &spy : spectators_) {
        if (spy.slot == slot)
            return spy.name;
    }
    return QString();
}

QString GameModel::announcedName() const
{
    return myseat_ == 0 ? QString() : nameOfSlot(myseat_);
}

std::array<int, GameModel::kDice> GameModel::faces() const
{
    std::array<int, kDice> result{};
    for (int die = 1; die <= kDice; ++die)
        result[std::size_t(die - 1)] = dice_[std::size_t(die)].face;
    return result;
}

int GameModel::ownColumnSeat() const
{
    const int seat = ownColumn_ == OwnColumn::Initial ? clearedSeat_ : myseat_;
    return game::isSeat(seat) ? seat : 0;
}

bool GameModel::allDiceHeld() const
{
    // A new turn keeps the dice's marks, but the host holds nothing until the turn's first
    // roll: five dice left in the tray by the last turn hold nothing now.
    if (rolls_ < 1)
        return false;
    for (int die = 1; die <= kDice; ++die) {
        if (dice_[std::size_t(die)].mark != DieView::Held)
            return false;
    }
    return true;
}

// ---- dispatch ----

void GameModel::apply(const QByteArray &entry)
{
    const std::optional<Command> command = splitCommand(entry);
    if (!command)
        return;
    using Handler = void (GameModel::*)(const QByteArray &);
    static const std::pair<const char *, Handler> table[] = {
        {"CMD_sendlogininfo", &GameModel::sendloginfo},
        {"CMD_chat", &GameModel::chatrecieved},
        {"CMD_action", &GameModel::chatrecieved},
        {"CMD_newplayerinfo", &GameModel::newplayerinfo},
        {"CMD_existingplayers", &GameModel::newplayerinfo},
        {"CMD_havewrongversion", &GameModel::havewrongversion},
        {"CMD_wrongversion", &GameModel::wrongversion},
        {"CMD_playerdisconnected", &GameModel::playerdisconnected},
        {"CMD_startgame", &GameModel::startthegame},
        {"CMD_nextplayer", &GameModel::getnextplayer},
        {"CMD_winner", &GameModel::winner},
        {"CMD_full", &GameModel::full},
        {"CMD_justwatching", &GameModel::justwatching},
        {"CMD_thedice", &GameModel::thedice},
        {"CMD_setdice", &GameModel::setdice},
        {"CMD_unsetdice", &GameModel::unsetdice},
        {"CMD_chooseagain", &GameModel::chooseagain},
        {"CMD_rollagain", &GameModel::rollagain},
        {"CMD_pscore", &GameModel::pscore},
        {"CMD_setbonusdice", &GameModel::setbonusdice},
    };
    for (const auto &[word, handler] : table) {
        if (command->word != word)
            continue;
        try {
            (this->*handler)(command->data);
        } catch (const FieldError &error) {
            // A host can send malformed messages without end: the reports are escaped and
            // at most kReportsPerSecond of them a second reach standard error.
            reports_.write(clock_(), "morvello: message " + quotedForLog(entry, 40) + " stopped: " + error.what());
        }
        return;
    }
}

// ---- login and roster ----

void GameModel::sendloginfo(const QByteArray &data)
{
    FieldReader fields(data);
    const int slot = takeInRange(fields, "slot", 1, game::kSlots);
    myseat_ = slot;
    loggedin_ = true;
    emit loginAsked();
    emit cardChanged(0);
}

void GameModel::chatrecieved(const QByteArray &data)
{
    const QString payload = shown(data);
    const qsizetype bar = payload.indexOf(QLatin1Char('|'));
    if (bar < 0) {
        line(payload, ColorText::kRed);
        return;
    }
    const std::optional<ColorText::Value> color = ColorText::parse(payload.mid(bar + 1));
    line(payload.left(bar), color.value_or(ColorText::kRed));
}

void GameModel::newplayerinfo(const QByteArray &data)
{
    FieldReader fields(data);
    const QByteArray seatText = fields.takeText();
    const QString name = nameShown(fields.restView());
    if (name.isEmpty())
        return;
    FieldReader seatField(seatText);
    const int slot = takeInRange(seatField, "slot", 1, game::kSlots);

    if (slot == myseat_) {
        line(QStringLiteral("You are Connected."));
        emit ownLogin();
    } else {
        line(name + QStringLiteral(" is Connected."));
    }
    if (game::isSpectatorSlot(slot)) {
        // One entry a slot, so the list never holds more than the table's spectator slots: a
        // slot announced again replaces its entry.
        const auto same = std::find_if(spectators_.begin(), spectators_.end(),
                                       [slot](const SpectatorView &spy) { return spy.slot == slot; });
        if (same != spectators_.end())
            same->name = name;
        else
            spectators_.append({slot, name});
        line(slot == myseat_ ? QStringLiteral("You are spying.") : name + QStringLiteral(" is spying."));
    } else {
        seats_[std::size_t(slot)].name = name;
    }
    emit rosterChanged();
    emit sound(QStringLiteral("entered"));
}

void GameModel::playerdisconnected(const QByteArray &data)
{
    FieldReader fields(data);
    const int slot = takeInRange(fields, "slot", 1, game::kSlots);
    const QString name = nameShown(fields.restView());

    if (game::isSeat(slot)) {
        SeatView &s = seats_[std::size_t(slot)];
        line(s.name + QStringLiteral(" disconnected."));
        s.name = s.computerName;
        s.total = QStringLiteral("0");
        s.watching = false;
        emit cardChanged(slot);
    }
    for (qsizetype i = 0; i < spectators_.size(); ++i) {
        if (spectators_[i].slot == slot && spectators_[i].name == name) {
            line(name + QStringLiteral(" has left."), ColorText::kNavy);
            spectators_.removeAt(i);
            break;
        }
    }
    emit rosterChanged();
}

void GameModel::havewrongversion(const QByteArray &data)
{
    line(nameShown(data) + QStringLiteral(" has a different version of the game then you."));
}

void GameModel::wrongversion(const QByteArray &)
{
    line(QStringLiteral("You have a differnt version of the game then the host."));
}

void GameModel::full(const QByteArray &)
{
    emit gameFull();
}

// ---- the card ----

void GameModel::clearall()
{
    for (int seat = 1; seat <= game::kSeats; ++seat) {
        SeatView &s = seats_[std::size_t(seat)];
        s.total = QStringLiteral("0");
        s.cells.fill(rules::kEmptyCell);
    }
    ownColumn_ = OwnColumn::Initial;
    clearedSeat_ = myseat_;
    winnerText_.clear();
    emit cardChanged(0);
    emit boardChanged();
}

void GameModel::pscore(const QByteArray &data)
{
    FieldReader fields(data);
    const int seat = takeInRange(fields, "seat", 1, game::kSeats);
    const QString total = shown(fields.takeText());
    const QByteArray mark = fields.takeText();
    const bool refresh = mark.startsWith('*');
    const int category = refresh ? 0 : FieldReader::toInt(mark);
    std::array<int, rules::kCellCount + 1> cells{};
    for (int cell = 1; cell <= rules::kCellCount; ++cell)
        cells[std::size_t(cell)] = fields.takeInt();

    SeatView &s = seats_[std::size_t(seat)];
    s.total = total;
    s.cells = cells;
    emit cardChanged(seat);
    if (refresh)
        return;

    const QString phrase = rules::isCategory(category) ? QString::fromLatin1(rules::categoryInfo(category).phrase)
                                                       : QString();
    setStatus(s.name + QStringLiteral(" tagged ") + phrase);
    const bool zero = rules::isCategory(category) && cells[std::size_t(category)] == 0;
    const bool scored = rules::isCategory(category) && cells[std::size_t(category)] != rules::kEmptyCell;
    if (seat == myseat_ && category == rules::FiveKind && scored && !zero)
        emit ownFiveOfAKind();
    if (zero)
        emit sound(QStringLiteral("noscore"));
    else if (category == rules::FiveKind)
        emit sound(QStringLiteral("fivekind"));
    else
        emit sound(QStringLiteral("scored"));
}

void GameModel::winner(const QByteArray &data)
{
    FieldReader fields(data);
    const QString names = shown(fields.takeText());
    const QString own = announcedName();
    emit gameFinished(!own.isEmpty() && names == own ? QStringLiteral("addtomine") : names);

    const QString suffix = names.contains(QStringLiteral(" and ")) ? QStringLiteral(" have Won the Game!")
                                                                   : QStringLiteral(" has Won the Game!");
    line(names + suffix);
    turnText_ = QStringLiteral("Winner's Score Card");
    winnerText_ = names + suffix;
    if (ishost_)
        startOffered_ = true;
    emit headChanged();
    emit boardChanged();
    emit sound(QStringLiteral("gameover"));
}

// ---- the board ----

void GameModel::startthegame(const QByteArray &data)
{
    FieldReader fields(data);
    const int starter = takeInRange(fields, "slot", 1, game::kSlots);
    const QByteArray bonusFlag = fields.takeText();
    const QByteArray teamFlag = fields.takeText();

    clearall();
    canact_ = false;
    justWatching_ = false;
    gameStarted_ = true;
    bonusdie_ = -1;
    for (int die = 1; die <= kDice; ++die)
        dice_[std::size_t(die)].mark = DieView::NotPlaced;
    bonusShown_ = bonusFlag == "t";
    teamGame_ = teamFlag == "true";
    const QString suffix = bonusShown_ ? QStringLiteral(" BONUS DICE") : QString();
    line(nameOfSlot(starter) + (teamGame_ ? QStringLiteral(" has started a TEAM") : QStringLiteral(" has started a"))
         + suffix + QStringLiteral(" game."));
    for (int seat = 2; seat <= game::kSeats; ++seat) {
        SeatView &s = seats_[std::size_t(seat)];
        if (s.name == kWaiting)
            s.name = s.computerName;
    }
    for (int seat = 1; seat <= game::kSeats; ++seat)
        seats_[std::size_t(seat)].watching = false;
    emit rosterChanged();
    emit justWatchChanged();
    emit boardChanged();
}

void GameModel::setbonusdice(const QByteArray &data)
{
    FieldReader fields(data);
    bonusdie_ = takeInRange(fields, "face", 1, 6);
    bonusShown_ = true;
    emit boardChanged();
}

void GameModel::getnextplayer(const QByteArray &data)
{
    FieldReader fields(data);
    const int seat = takeInRange(fields, "seat", 1, game::kSeats);
    const QString round = shown(fields.takeText());
    fields.takeText();
    const int rolls = fields.takeInt();

    for (int die = 1; die <= kDice; ++die)
        dice_[std::size_t(die)].pos = kDiceStart[die];
    turnseat_ = seat;
    roundText_ = QStringLiteral("Round: ") + round;
    setRollMarkers(rolls);
    if (game::isSeat(myseat_))
        ownColumn_ = OwnColumn::Maroon;
    if (turnseat_ != myseat_) {
        turnText_ = seats_[std::size_t(seat)].name + QStringLiteral("'s turn.");
        rollOffered_ = false;
        canact_ = false;
    } else {
        turnText_ = QStringLiteral("Your Turn.");
        rollOffered_ = true;
        canact_ = true;
        ownColumn_ = OwnColumn::Green;
        emit sound(QStringLiteral("turn"));
    }
    emit headChanged();
    emit boardChanged();
    emit cardChanged(myseat_);
}

void GameModel::setRollMarkers(int rolls)
{
    // A count the markers cannot show leaves them as they are.
    if (rolls >= 0 && rolls <= kMaxRolls)
        rolls_ = rolls;
}

void GameModel::thedice(const QByteArray &data)
{
    FieldReader fields(data);
    const int seat = takeInRange(fields, "seat", 1, game::kSeats);
    const QByteArray again = fields.takeText();
    const int rolls = fields.takeInt();
    std::array<std::pair<int, int>, kDice> pairs{};
    int count = 0;
    while (!fields.atEnd()) {
        if (count == kDice)
            throw FieldError("more than five dice");
        const int die = takeInRange(fields, "die", 1, kDice);
        if (fields.atEnd())
            throw FieldError("die without a face");
        const int face = takeInRange(fields, "face", 1, 6);
        pairs[std::size_t(count++)] = {die, face};
    }

    setRollMarkers(rolls);
    for (int i = 0; i < count; ++i)
        placedice(pairs[std::size_t(i)].first, pairs[std::size_t(i)].second);
    if (again == "y" && seat == myseat_)
        rollOffered_ = true;
    if (seat == myseat_) {
        canact_ = true;
        emit sound(QStringLiteral("dice2"));
    } else {
        emit sound(QStringLiteral("dice"));
    }
    emit headChanged();
    emit boardChanged();
}

void GameModel::placedice(int die, int face)
{
    DieView &d = dice_[std::size_t(die)];
    d.face = face;
    d.bonus = face == bonusdie_;
    // The scatter comes from the process's one generator, in the order column offset, row,
    // row offset; other clients scatter the same roll differently.
    DiceRandom &random = DiceRandom::shared();
    const int columnOffset = random.random(10);
    const int row = kUpperRows[die] ? 1 + random.random(3) : 3 + random.random(2);
    const int rowOffset = random.random(8);
    d.pos = QPoint(kRollColumn[die] * (kBoardWidth / 7) + columnOffset,
                   row * (kBoardHeight / 5) + rowOffset - kDieSize);
    d.mark = DieView::Free;
    d.enabled = turnseat_ == myseat_;
}

void GameModel::setdice(const QByteArray &data)
{
    moveDie(data, true);
}

void GameModel::unsetdice(const QByteArray &data)
{
    moveDie(data, false);
}

void GameModel::moveDie(const QByteArray &data, bool held)
{
    // A held die goes into the tray; a released one to the column left of it, not back into
    // the scatter.
    FieldReader fields(data);
    const int die = takeInRange(fields, "die", 1, kDice);
    DieView &d = dice_[std::size_t(die)];
    d.pos = QPoint(kBoardWidth - (held ? kTrayFromRight : kReleasedFromRight), heldTop(die));
    d.mark = held ? DieView::Held : DieView::Free;
    emit boardChanged();
    emit sound(held ? QStringLiteral("setdice") : QStringLiteral("unsetdice"));
}

void GameModel::rollagain(const QByteArray &)
{
    setStatus(QStringLiteral("You need to roll the dice!"));
    rollOffered_ = true;
    canact_ = true;
    emit boardChanged();
    emit sound(QStringLiteral("error"));
}

void GameModel::chooseagain(const QByteArray &)
{
    setStatus(QStringLiteral("Invalid Choice, Choose Again!"));
    canact_ = true;
    emit sound(QStringLiteral("error"));
}

void GameModel::justwatching(const QByteArray &data)
{
    FieldReader fields(data);
    const int seat = takeInRange(fields, "seat", 1, game::kSeats);
    const bool watching = fields.rest() == "1";
    SeatView &s = seats_[std::size_t(seat)];
    if (seat == myseat_)
        justWatching_ = watching;
    s.watching = watching;
    line(s.name + (watching ? QStringLiteral(" is just watching") : QStringLiteral(" now playing again")));
    emit rosterChanged();
    emit justWatchChanged();
}

// ---- notes of the commands ----

void GameModel::noteRollSent()
{
    rollOffered_ = false;
    canact_ = false;
    emit boardChanged();
}

void GameModel::noteScoreSent()
{
    noteRollSent();
}

void GameModel::noteStartOffered(bool offered)
{
    startOffered_ = offered;
    emit boardChanged();
}

void GameModel::setStatus(const QString &text)
{
    statusText_ = text;
    emit headChanged();
}
