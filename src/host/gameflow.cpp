#include "host/hostengine.h"

#include "protocol/catalogue.h"
#include "rules/dicerandom.h"
#include "common/gameconstants.h"

namespace {

constexpr int kMaxRolls = 3;
constexpr int kTurnsNormalGame = 12;
// Partners share one card of twelve categories.
constexpr int kTurnsTeamGame = 6;

bool isDiePosition(int position)
{
    return position >= 1 && position <= 5;
}

} // namespace

rules::Hand HostEngine::currentHand() const
{
    rules::Hand hand{};
    for (int i = 1; i <= 5; ++i)
        hand[std::size_t(i - 1)] = dice[std::size_t(i)] != 0 ? dice[std::size_t(i)] : helddice[std::size_t(i)];
    return hand;
}

void HostEngine::startgame(const wire::StartRequest &request)
{
    disableTimer1();
    const wire::GameStart start{request.slot, request.bonus, request.team};
    bonusgame = start.bonusGame();
    teamgame = start.teamGame();
    sendToAll(start.encode());

    // A start is obeyed also while a game runs: that game is abandoned without a winner.
    const rules::ScoreCells empty = rules::emptyCard();
    for (int seat = 1; seat <= game::kSeats; ++seat) {
        tplayer &p = players[std::size_t(seat)];
        p.total = 0;
        p.away = false;
        p.turns = 0;
        p.scores = empty;
    }
    gamestarted = true;
    currentplayer = 0;
    findplayer();
}

void HostEngine::findplayer()
{
    rolls = 0;
    // Drawn in every game, so that the dice that follow do not depend on the variant.
    bonusdie = random_.face();
    if (bonusgame)
        sendToAll(wire::BonusDie{bonusdie}.encode());
    for (int i = 1; i <= 5; ++i) {
        dice[std::size_t(i)] = -1;
        helddice[std::size_t(i)] = 0;
    }

    // A normal game plays the connected seats and seat 2; a team game plays all four. The
    // rotation counts a turn for every seat it passes, played or not.
    for (;;) {
        currentplayer = currentplayer % 4 + 1;
        tplayer &p = players[std::size_t(currentplayer)];
        ++p.turns;
        if (p.connected || teamgame || currentplayer == 2)
            break;
    }

    // Seat 1 is passed once per round whether or not it plays, so its count is the round.
    if (players[1].turns > (teamgame ? kTurnsTeamGame : kTurnsNormalGame)) {
        checkforwin();
        return;
    }

    players[std::size_t(currentplayer)].choice = 0;
    sendToAll(nextPlayerMessage());
    if (isComputerSeat(currentplayer))
        enableTimer1();
}

QByteArray HostEngine::nextPlayerMessage() const
{
    const tplayer &current = players[std::size_t(currentplayer)];
    return wire::NextPlayer{currentplayer, current.turns, current.total, rolls}.encode();
}

void HostEngine::rolldice(int seat)
{
    if (seat == 0 || seat != currentplayer)
        return;
    if (rolls >= kMaxRolls) {
        // Three rolls are all a turn has, whoever asks. A computer seat only asks again
        // when something refused its score, so its turn is finished here rather than left
        // waiting for a request that will never come.
        if (isComputerSeat(seat))
            playSpentTurn(seat);
        return;
    }
    ++rolls;

    wire::Roll roll{currentplayer, rolls < kMaxRolls, rolls};
    bool rolledAny = false;
    for (int i = 1; i <= 5; ++i) {
        const std::size_t at = std::size_t(i);
        if (dice[at] != 0) {
            dice[at] = random_.face();
            helddice[at] = 0;
            roll.add(i, dice[at]);
            rolledAny = true;
        }
    }
    if (!rolledAny) {
        // Everything is held: the roll is spent, and the seat is decided for as the
        // computer would, whoever plays it.
        computerplay(currentplayer);
        return;
    }
    sendToAll(roll.encode());
    if (isComputerSeat(currentplayer))
        computerplay(currentplayer);
}

void HostEngine::setdice(int seat, int position)
{
    if (seat == 0 || seat != currentplayer || !isDiePosition(position))
        return;
    const std::size_t at = std::size_t(position);
    // Only a die lying on the table can be held: not one already held, nor one not rolled.
    if (dice[at] <= 0)
        return;
    helddice[at] = dice[at];
    dice[at] = 0;
    sendToAll(wire::DieMoved{true, position}.encode());
}

void HostEngine::unsetdice(int seat, int position)
{
    if (seat == 0 || seat != currentplayer || !isDiePosition(position))
        return;
    const std::size_t at = std::size_t(position);
    if (helddice[at] == 0)
        return;
    dice[at] = helddice[at];
    helddice[at] = 0;
    sendToAll(wire::DieMoved{false, position}.encode());
}

void HostEngine::justwatch(const wire::WatchRequest &request)
{
    const int seat = request.seat;
    // Spectators already watch; only the four seats can be handed to the host.
    if (!game::isSeat(seat) || !players[std::size_t(seat)].connected || request.mode == wire::WatchRequest::Other)
        return;
    const bool watching = request.mode == wire::WatchRequest::Watch;
    players[std::size_t(seat)].away = watching;
    sendToAll(wire::WatchChanged{seat, watching}.encode());
    if (watching && seat == currentplayer)
        enableTimer1();
}

void HostEngine::checkforwin()
{
    currentplayer = 0;
    gamestarted = false;

    int best = 0;
    int winner = 0;
    for (int seat = 1; seat <= game::kSeats; ++seat) {
        tplayer &p = players[std::size_t(seat)];
        if (seat >= 2 && p.name.isEmpty())
            p.name = game::kComputerNames[seat];
        if (p.total > best) {
            best = p.total;
            winner = seat;
        }
    }

    QByteArray names = winner != 0 ? players[std::size_t(winner)].name : QByteArray("No One");
    for (int seat = 1; seat <= game::kSeats; ++seat) {
        const tplayer &p = players[std::size_t(seat)];
        if (seat != winner && p.total == best) {
            names += " and ";
            names += p.name;
        }
    }
    sendToAll(wire::Winner{names, best}.encode());
}

void HostEngine::Timer1Timer()
{
    disableTimer1();
    if (isComputerSeat(currentplayer))
        rolldice(currentplayer);
}
