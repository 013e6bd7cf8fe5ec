#include "host/turn.h"

#include "host/table.h"
#include "rules/dicerandom.h"

Turn::Turn(Table &table, HostOutput &output, DiceRandom &random)
    : table_(table), output_(output), random_(random)
{
}

rules::Hand Turn::hand() const
{
    rules::Hand hand{};
    for (std::size_t i = 0; i < dice_.size(); ++i)
        hand[i] = dice_[i].face;
    return hand;
}

void Turn::startgame(const wire::StartRequest &request)
{
    disableTimer1();
    const wire::GameStart start{request.slot, request.bonus, request.team};
    bonusgame_ = start.bonusGame();
    teamgame_ = start.teamGame();
    table_.sendToAll(start.encode());

    table_.clearAway();
    for (int seat = 1; seat <= game::kSeats; ++seat)
        seats_[std::size_t(seat)] = Seat{};
    gamestarted_ = true;
    currentplayer_ = 0;
    findplayer();
}

void Turn::findplayer()
{
    rolls_ = 0;
    // Drawn in every game, so that the dice that follow do not depend on the variant.
    bonusdie_ = random_.face();
    if (bonusgame_)
        table_.sendToAll(wire::BonusDie{bonusdie_}.encode());
    dice_.fill(Die{});

    // A normal game plays the connected seats and seat 2; a team game plays all four. The
    // rotation counts a turn for every seat it passes, played or not.
    for (;;) {
        currentplayer_ = currentplayer_ % 4 + 1;
        ++seats_[std::size_t(currentplayer_)].turns;
        if (table_.connected(currentplayer_) || teamgame_ || currentplayer_ == 2)
            break;
    }

    // Seat 1 is passed once per round whether or not it plays, so its count is the round.
    if (seats_[1].turns > (teamgame_ ? kTurnsTeamGame : kTurnsNormalGame)) {
        checkforwin();
        return;
    }

    if (player_)
        player_->turnStarted(currentplayer_);
    table_.sendToAll(nextPlayer().encode());
    if (table_.isComputerSeat(currentplayer_))
        enableTimer1();
}

wire::NextPlayer Turn::nextPlayer() const
{
    const Seat &seat = seats_[std::size_t(currentplayer_)];
    return {currentplayer_, seat.turns, seat.total, rolls_};
}

void Turn::rolldice(int seat)
{
    if (seat == 0 || seat != currentplayer_)
        return;
    if (rolls_ >= game::kMaxRolls) {
        // Three rolls are all a turn has, whoever asks. A computer seat only asks again
        // when something refused its score, so its turn is finished here rather than left
        // waiting for a request that will never come.
        if (table_.isComputerSeat(seat) && player_)
            player_->playSpent(seat);
        return;
    }
    ++rolls_;

    wire::Roll roll{currentplayer_, rolls_ < game::kMaxRolls, rolls_};
    for (int i = 1; i <= game::kDice; ++i) {
        Die &die = dice_[std::size_t(i - 1)];
        if (!die.isHeld()) {
            die = {Die::State::Free, random_.face()};
            roll.add(i, die.face);
        }
    }
    if (roll.count == 0) {
        // Everything is held: the roll is spent, and the seat is decided for as the
        // computer would, whoever plays it.
        if (player_)
            player_->play(currentplayer_);
        return;
    }
    table_.sendToAll(roll.encode());
    if (table_.isComputerSeat(currentplayer_) && player_)
        player_->play(currentplayer_);
}

void Turn::setdice(int seat, int die)
{
    if (seat == 0 || seat != currentplayer_ || !game::isDie(die))
        return;
    // Only a die lying on the table can be held: not one already held, nor one not rolled.
    Die &d = dice_[std::size_t(die - 1)];
    if (!d.isFree())
        return;
    d.state = Die::State::Held;
    table_.sendToAll(wire::DieMoved{true, die}.encode());
}

void Turn::unsetdice(int seat, int die)
{
    if (seat == 0 || seat != currentplayer_ || !game::isDie(die))
        return;
    Die &d = dice_[std::size_t(die - 1)];
    if (!d.isHeld())
        return;
    d.state = Die::State::Free;
    table_.sendToAll(wire::DieMoved{false, die}.encode());
}

void Turn::Timer1Timer()
{
    disableTimer1();
    if (table_.isComputerSeat(currentplayer_))
        rolldice(currentplayer_);
}

void Turn::enableTimer1()
{
    timer1Enabled_ = true;
    output_.setTimer1Enabled(true);
}

void Turn::disableTimer1()
{
    timer1Enabled_ = false;
    output_.setTimer1Enabled(false);
}

void Turn::seatLeft(int seat)
{
    // Only on the first report of the close: a later one must not pass the turn again when
    // the rotation happened to come back to this seat. Seat 1 passes it too: a player who is
    // not the hosting user can sit there.
    if (gamestarted_ && seat == currentplayer_)
        findplayer();
}

void Turn::seatAway(int seat)
{
    if (seat == currentplayer_ && currentplayer_ != 0)
        enableTimer1();
}

void Turn::bringUpToDate(int slot)
{
    if (!gamestarted_)
        return;
    // In the order a turn's own messages came: the bonus die is known before any die that
    // shows it is placed.
    if (bonusgame_)
        table_.sendTo(slot, wire::BonusDie{bonusdie_}.encode());
    table_.sendTo(slot, nextPlayer().encode());
    for (int seat = 1; seat <= game::kSeats; ++seat) {
        const Seat &s = seats_[std::size_t(seat)];
        table_.sendTo(slot, wire::Card{seat, s.total, wire::Card::Refresh, 0, s.scores}.encode());
    }
    if (rolls_ == 0)
        return;
    // The roll as it lies, held dice among it, then which of them are held: a roll message
    // alone would put every die back on the table.
    wire::Roll roll{currentplayer_, rolls_ < game::kMaxRolls, rolls_};
    for (int i = 1; i <= game::kDice; ++i) {
        if (die(i).state != Die::State::NotRolled)
            roll.add(i, die(i).face);
    }
    if (roll.count == 0)
        return;
    table_.sendTo(slot, roll.encode());
    for (int i = 1; i <= game::kDice; ++i) {
        if (die(i).isHeld())
            table_.sendTo(slot, wire::DieMoved{true, i}.encode());
    }
}

wire::Winner Turn::winnerLine(const std::array<int, 5> &totals, const std::array<QByteArray, 5> &names)
{
    int best = 0;
    int winner = 0;
    for (int seat = 1; seat <= game::kSeats; ++seat) {
        if (totals[std::size_t(seat)] > best) {
            best = totals[std::size_t(seat)];
            winner = seat;
        }
    }
    QByteArray text = winner != 0 ? names[std::size_t(winner)] : QByteArray("No One");
    for (int seat = 1; seat <= game::kSeats; ++seat) {
        if (seat != winner && totals[std::size_t(seat)] == best) {
            text += " and ";
            text += names[std::size_t(seat)];
        }
    }
    return {text, best};
}

void Turn::checkforwin()
{
    currentplayer_ = 0;
    gamestarted_ = false;
    table_.nameEmptySeats();
    std::array<int, 5> totals{};
    std::array<QByteArray, 5> names;
    for (int seat = 1; seat <= game::kSeats; ++seat) {
        totals[std::size_t(seat)] = seats_[std::size_t(seat)].total;
        names[std::size_t(seat)] = table_.name(seat);
    }
    table_.sendToAll(winnerLine(totals, names).encode());
}
