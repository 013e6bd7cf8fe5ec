#include "session/gamemodel.h"

#include <algorithm>
#include <utility>

#include "protocol/catalogue.h"
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

bool GameModel::othersConnected() const
{
    for (int seat = 1; seat <= game::kSeats; ++seat) {
        if (seat != myseat_ && seats_[std::size_t(seat)].person)
            return true;
    }
    return std::any_of(spectators_.begin(), spectators_.end(),
                       [this](const SpectatorView &spy) { return spy.slot != myseat_; });
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
    const std::optional<wire::Entry> command = wire::readEntry(entry);
    if (!command)
        return;
    using wire::Word;
    const QByteArrayView data = command->data;
    // A notice of a close holds only while nothing follows it: a host that closes sends it last.
    closeNotice_ = CloseNotice::None;
    switch (command->word) {
    case Word::sendlogininfo: handle(entry, wire::LoginAsk::decode(data), &GameModel::sendloginfo); break;
    case Word::chat:
    case Word::action:
        handle(entry, wire::RelayedLine::decode(data, command->word == Word::action), &GameModel::chatrecieved);
        break;
    case Word::newplayerinfo:
    case Word::existingplayers:
        handle(entry, wire::PlayerInfo::decode(data, command->word == Word::existingplayers), &GameModel::newplayerinfo);
        break;
    case Word::havewrongversion: handle(entry, wire::OtherVersion::decode(data), &GameModel::havewrongversion); break;
    case Word::wrongversion: wrongversion(); break;
    case Word::playerdisconnected: handle(entry, wire::PlayerLeft::decode(data), &GameModel::playerdisconnected); break;
    case Word::startgame: handle(entry, wire::GameStart::decode(data), &GameModel::startthegame); break;
    case Word::nextplayer: handle(entry, wire::NextPlayer::decode(data), &GameModel::getnextplayer); break;
    case Word::winner: handle(entry, wire::Winner::decode(data), &GameModel::winner); break;
    case Word::full:
        closeNotice_ = CloseNotice::Full;
        emit gameFull();
        break;
    case Word::justwatching: handle(entry, wire::WatchChanged::decode(data), &GameModel::justwatching); break;
    case Word::thedice: handle(entry, wire::Roll::decode(data), &GameModel::thedice); break;
    case Word::setdice:
    case Word::unsetdice:
        handle(entry, wire::DieMoved::decode(data, command->word == Word::setdice), &GameModel::moveDie);
        break;
    case Word::chooseagain: chooseagain(); break;
    case Word::rollagain: rollagain(); break;
    case Word::pscore: handle(entry, wire::Card::decode(data), &GameModel::pscore); break;
    case Word::setbonusdice: handle(entry, wire::BonusDie::decode(data), &GameModel::setbonusdice); break;
    default:
        // A client's own words mean nothing coming from the host.
        break;
    }
}

template <class Message>
void GameModel::handle(const QByteArray &entry, const wire::Decoded<Message> &message,
                       void (GameModel::*handler)(const Message &))
{
    if (message) {
        (this->*handler)(*message);
        return;
    }
    // A host can send malformed messages without end: the reports are escaped and at most
    // kReportsPerSecond of them a second reach standard error.
    reports_.write(clock_(), "morvello: message " + quotedForLog(entry, 40) + " stopped: " + message.error());
}

// ---- login and roster ----

void GameModel::sendloginfo(const wire::LoginAsk &ask)
{
    myseat_ = ask.slot;
    loggedin_ = true;
    emit loginAsked();
    emit cardChanged(0);
}

void GameModel::chatrecieved(const wire::RelayedLine &relayed)
{
    const std::optional<QByteArrayView> colour = relayed.colour();
    const std::optional<ColorText::Value> color = colour ? ColorText::parse(shown(*colour)) : std::nullopt;
    line(shown(relayed.text()), color.value_or(ColorText::kRed));
}

void GameModel::newplayerinfo(const wire::PlayerInfo &info)
{
    const QString name = nameShown(info.name);
    if (name.isEmpty())
        return;
    const int slot = info.slot;

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
        seats_[std::size_t(slot)].person = true;
    }
    emit rosterChanged();
    emit sound(QStringLiteral("entered"));
}

void GameModel::playerdisconnected(const wire::PlayerLeft &left)
{
    const int slot = left.slot;
    const QString name = nameShown(left.name);

    // The host names this user's own slot only when it removes the user, just before it
    // closes the connection; the window keeps the seat and the card as they stand.
    if (slot == myseat_) {
        closeNotice_ = CloseNotice::Removed;
        return;
    }
    // Slot 1 is the hosting user's: it leaves when the hosting copy closes the game.
    if (slot == 1)
        closeNotice_ = CloseNotice::HostClosed;
    if (game::isSeat(slot)) {
        SeatView &s = seats_[std::size_t(slot)];
        line(s.name + QStringLiteral(" disconnected."));
        s.name = s.computerName;
        s.person = false;
        // The seat keeps its points for the rest of the game, so its grand total stays what
        // the host last announced, as the column's totals do.
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

void GameModel::havewrongversion(const wire::OtherVersion &other)
{
    line(nameShown(other.name) + QStringLiteral(" has a different version of the game then you."));
}

void GameModel::wrongversion()
{
    line(QStringLiteral("You have a differnt version of the game then the host."));
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

void GameModel::pscore(const wire::Card &card)
{
    const int seat = card.seat;
    SeatView &s = seats_[std::size_t(seat)];
    s.total = QString::number(card.total);
    s.cells = card.cells;
    emit cardChanged(seat);
    // A partner's copy and a newcomer's refresh change the card silently.
    if (card.mark != wire::Card::Scored)
        return;

    const int category = card.category;
    const bool known = card.categoryInRange();
    setStatus(s.name + QStringLiteral(" tagged ")
              + (known ? QString::fromLatin1(rules::categoryInfo(category).phrase) : QString()));
    const bool zero = known && s.cells[std::size_t(category)] == 0;
    const bool scored = known && s.cells[std::size_t(category)] != rules::kEmptyCell;
    if (seat == myseat_ && category == rules::FiveKind && scored && !zero)
        emit ownFiveOfAKind();
    if (known)
        emit tagged(seat, category);
    if (zero)
        emit sound(QStringLiteral("noscore"));
    else if (category == rules::FiveKind)
        emit sound(QStringLiteral("fivekind"));
    else
        emit sound(QStringLiteral("scored"));
}

void GameModel::winner(const wire::Winner &winner)
{
    const QString names = shown(winner.names);
    const QString own = announcedName();
    GameResult result;
    result.winner = !own.isEmpty() && names == own ? GameResult::Winner::Me : GameResult::Winner::Others;
    result.winnerText = names;
    QStringList seatNames;
    for (int seat = 1; seat <= game::kSeats; ++seat)
        seatNames.append(seats_[std::size_t(seat)].name);
    result.opponents = TallyTable::opponentsAtTable(seatNames, myseat_);
    emit gameFinished(result);

    const QString suffix = names.contains(QStringLiteral(" and ")) ? QStringLiteral(" have Won the Game!")
                                                                   : QStringLiteral(" has Won the Game!");
    line(names + suffix);
    turnText_ = QStringLiteral("Winner's Score Card");
    winnerText_ = names + suffix;
    if (ishost_ && !connectionEnded_)
        startOffered_ = true;
    gameStarted_ = false;
    emit headChanged();
    emit boardChanged();
    emit sound(QStringLiteral("gameover"));
}

// ---- the board ----

void GameModel::startthegame(const wire::GameStart &start)
{

    clearall();
    canact_ = false;
    justWatching_ = false;
    gameStarted_ = true;
    // What the last game's status line said is of no use in the new one.
    statusText_.clear();
    emit headChanged();
    bonusdie_ = -1;
    for (int die = 1; die <= kDice; ++die)
        dice_[std::size_t(die)].mark = DieView::NotPlaced;
    bonusShown_ = start.bonusGame();
    teamGame_ = start.teamGame();
    const QString suffix = bonusShown_ ? QStringLiteral(" BONUS DICE") : QString();
    line(nameOfSlot(start.starter) + (teamGame_ ? QStringLiteral(" has started a TEAM") : QStringLiteral(" has started a"))
         + suffix + QStringLiteral(" game."));
    nameComputerSeats();
    for (int seat = 1; seat <= game::kSeats; ++seat)
        seats_[std::size_t(seat)].watching = false;
    emit newGame();
    emit rosterChanged();
    emit justWatchChanged();
    emit boardChanged();
}

void GameModel::nameComputerSeats()
{
    for (int seat = 2; seat <= game::kSeats; ++seat) {
        SeatView &s = seats_[std::size_t(seat)];
        if (s.name == kWaiting)
            s.name = s.computerName;
    }
}

void GameModel::setbonusdice(const wire::BonusDie &bonus)
{
    bonusdie_ = bonus.face;
    bonusShown_ = true;
    emit boardChanged();
}

void GameModel::getnextplayer(const wire::NextPlayer &next)
{
    const int seat = next.seat;

    // A turn without a start heard first: this client joined a game that was running, and
    // the seats nobody has taken are the computer's, as they were since that game began.
    if (!gameStarted_) {
        gameStarted_ = true;
        nameComputerSeats();
        emit rosterChanged();
    }
    lastRollAgain_ = true;
    for (int die = 1; die <= kDice; ++die)
        dice_[std::size_t(die)].pos = kDiceStart[die];
    turnseat_ = seat;
    roundText_ = QStringLiteral("Round: ") + QString::number(next.round);
    rolls_ = next.rolls;
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
    emit turnStarted(seat);
    emit headChanged();
    emit boardChanged();
    emit cardChanged(myseat_);
}

void GameModel::thedice(const wire::Roll &roll)
{
    const int seat = roll.seat;
    rolls_ = roll.rolls;
    for (int i = 0; i < roll.count; ++i)
        placedice(roll.dice[std::size_t(i)].die, roll.dice[std::size_t(i)].face);
    if (seat == myseat_) {
        lastRollAgain_ = roll.again;
        rollOffered_ = roll.again;
        canact_ = true;
        // The status line speaks of now: a request to release a die is met once a roll is
        // made, and after the last roll only a category is left to choose.
        if (statusText_ == kReleaseFirst)
            statusText_.clear();
        if (!roll.again)
            statusText_ = kChooseCategory;
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
    // Drawn in the order column offset, row, row offset; other clients scatter the same roll
    // differently.
    DiceRandom &random = DiceRandom::scatter();
    const int columnOffset = random.random(10);
    const int row = kUpperRows[die] ? 1 + random.random(3) : 3 + random.random(2);
    const int rowOffset = random.random(8);
    d.pos = QPoint(kRollColumn[die] * (kBoardWidth / 7) + columnOffset,
                   row * (kBoardHeight / 5) + rowOffset - kDieSize);
    d.mark = DieView::Free;
    d.enabled = turnseat_ == myseat_;
}

void GameModel::moveDie(const wire::DieMoved &moved)
{
    // A held die goes into the tray; a released one to the column left of it, not back into
    // the scatter.
    const bool held = moved.held;
    const int die = moved.die;
    DieView &d = dice_[std::size_t(die)];
    d.pos = QPoint(kBoardWidth - (held ? kTrayFromRight : kReleasedFromRight), heldTop(die));
    d.mark = held ? DieView::Held : DieView::Free;
    emit boardChanged();
    emit sound(held ? QStringLiteral("setdice") : QStringLiteral("unsetdice"));
}

void GameModel::rollagain()
{
    giveTurnBack(QStringLiteral("You need to roll the dice!"));
}

void GameModel::chooseagain()
{
    giveTurnBack(QStringLiteral("Invalid Choice, Choose Again!"));
}

// A refused request gives the turn back as it stood: the roll is offered again while the
// turn's last roll allowed another, or no roll was made yet.
void GameModel::giveTurnBack(const QString &status)
{
    setStatus(status);
    canact_ = true;
    rollOffered_ = myTurn() && (rolls_ == 0 || lastRollAgain_);
    emit boardChanged();
    emit sound(QStringLiteral("error"));
}

void GameModel::justwatching(const wire::WatchChanged &changed)
{
    const int seat = changed.seat;
    const bool watching = changed.watching;
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
    startOffered_ = offered && !connectionEnded_;
    emit boardChanged();
}

void GameModel::connectionClosed(bool explained)
{
    if (connectionEnded_)
        return;
    connectionEnded_ = true;
    loggedin_ = false;
    canact_ = false;
    rollOffered_ = false;
    startOffered_ = false;
    for (int die = 1; die <= kDice; ++die)
        dice_[std::size_t(die)].enabled = false;
    // No turn goes on without the host: the card no longer names whose turn it is (a winner's
    // card stays one), and the own column loses its turn colour.
    if (winnerText_.isEmpty())
        turnText_ = QStringLiteral("Score Card");
    const bool ownTurnShown = ownColumn_ == OwnColumn::Green;
    if (ownTurnShown)
        ownColumn_ = OwnColumn::Maroon;
    QString why;
    if (!explained) {
        switch (closeNotice_) {
        case CloseNotice::Removed: why = QStringLiteral("The host removed you from the game."); break;
        case CloseNotice::HostClosed: why = QStringLiteral("The host has closed the game."); break;
        case CloseNotice::Full: break;   // its own box says so
        case CloseNotice::None: why = QStringLiteral("The connection to the host was lost."); break;
        }
    }
    if (!why.isEmpty()) {
        line(why);
        // The board says it too, in place of the last move's line.
        statusText_ = why;
    }
    emit boardChanged();
    emit headChanged();
    if (ownTurnShown)
        emit cardChanged(myseat_);
    emit connectionGone();
}

void GameModel::setStatus(const QString &text)
{
    statusText_ = text;
    emit headChanged();
}
