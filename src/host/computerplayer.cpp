#include "host/hostengine.h"

// The host's own player. It keeps no memory beyond the seat's target for the turn and draws
// no numbers of its own, so the same dice and card always give the same holds and choice.

namespace {

bool isOpen(const tplayer &p, int category)
{
    return p.scores[std::size_t(category)] == HostEngine::kEmptyCell;
}

} // namespace

void HostEngine::computerplay(int seat)
{
    tplayer &p = players[std::size_t(seat)];
    if (rolls > 2 && p.choice == 0)
        p.choice = findany(seat);
    if (computercheck(seat))
        return;
    if (rolls == 1 || rolls == 2) {
        computerworking(seat);
        return;
    }
    if (p.choice == 0) {
        // Nothing left to score on this card: let the turn pass rather than be refused.
        findplayer();
        return;
    }
    const int choice = p.choice;
    p.choice = 0;
    setscore(seat, choice);
}

bool HostEngine::computercheck(int seat)
{
    const tplayer &p = players[std::size_t(seat)];
    const rules::Hand hand = currentHand();
    int category = 0;
    if (isOpen(p, rules::BigStraight) && rules::checkforlstraight(hand))
        category = rules::BigStraight;
    else if (isOpen(p, rules::FiveKind) && rules::checkforfivekind(hand))
        category = rules::FiveKind;
    else if (isOpen(p, rules::FourKind) && rules::checkforfourkind(hand))
        category = rules::FourKind;
    else if (rules::checkforfullhouse(hand) && isOpen(p, rules::FullHouse))
        category = rules::FullHouse;
    else if (isOpen(p, rules::SmStraight) && rules::checkforsstraight(hand))
        category = rules::SmStraight;
    if (category == 0)
        return false;
    setscore(seat, category);
    return true;
}

void HostEngine::computerworking(int seat)
{
    tplayer &p = players[std::size_t(seat)];
    if (p.choice == 0)
        p.choice = findworking(seat);
    if (rules::isNumberRow(p.choice))
        worknums(seat, p.choice);
    else if (p.choice == rules::BigStraight)
        workstraight(seat);
    enableTimer1();
}

int HostEngine::findworking(int seat)
{
    if (straight() == rules::BigStraight && isOpen(players[std::size_t(seat)], rules::BigStraight))
        return rules::BigStraight;
    if (const int row = threes(seat))
        return row;
    return twos(seat);
}

int HostEngine::findany(int seat)
{
    const tplayer &p = players[std::size_t(seat)];
    for (int category = rules::Freebie; category >= rules::Ones; --category) {
        if (isOpen(p, category))
            return category;
    }
    return 0;
}

namespace {

// How many free dice show each face (index = face); held dice lie at 0 and are not counted.
std::array<int, 7> freeFaceCounts(const std::array<int, 6> &dice)
{
    std::array<int, 7> counts{};
    for (int i = 1; i <= 5; ++i) {
        const int face = dice[std::size_t(i)];
        if (face >= 1 && face <= 6)
            ++counts[std::size_t(face)];
    }
    return counts;
}

// The highest face that at least `atLeast` free dice show and whose row is still open.
int bestOpenRow(const std::array<int, 6> &dice, const tplayer &p, int atLeast)
{
    const auto counts = freeFaceCounts(dice);
    for (int face = 6; face >= 1; --face) {
        if (counts[std::size_t(face)] >= atLeast && isOpen(p, face))
            return face;
    }
    return 0;
}

} // namespace

int HostEngine::threes(int seat)
{
    return bestOpenRow(dice, players[std::size_t(seat)], 3);
}

int HostEngine::twos(int seat)
{
    return bestOpenRow(dice, players[std::size_t(seat)], 2);
}

int HostEngine::straight()
{
    const auto counts = freeFaceCounts(dice);
    const bool middle = counts[2] > 0 && counts[3] > 0 && counts[4] > 0 && counts[5] > 0;
    return middle ? int(rules::BigStraight) : 0;
}

void HostEngine::workstraight(int seat)
{
    std::array<bool, 7> noted{};
    for (int i = 1; i <= 5; ++i) {
        const int face = helddice[std::size_t(i)];
        if (face >= 2 && face <= 5)
            noted[std::size_t(face)] = true;
    }
    for (int i = 1; i <= 5; ++i) {
        const int face = dice[std::size_t(i)];
        if (face >= 2 && face <= 5 && !noted[std::size_t(face)]) {
            noted[std::size_t(face)] = true;
            setdice(seat, i);
        }
    }
}

void HostEngine::worknums(int seat, int face)
{
    for (int i = 1; i <= 5; ++i) {
        if (dice[std::size_t(i)] == face)
            setdice(seat, i);
    }
}

void HostEngine::playSpentTurn(int seat)
{
    // Ending such a turn without a score would leave a cell of the card empty for good (a
    // seat handed to the host after its third roll gets here). Scoring it as any third roll
    // is scored keeps every card complete; only a card with nothing open passes unscored.
    tplayer &p = players[std::size_t(seat)];
    if (!rules::isCategory(p.choice) || !isOpen(p, p.choice))
        p.choice = findany(seat);
    if (p.choice == 0) {
        findplayer();
        return;
    }
    computerplay(seat);
}
