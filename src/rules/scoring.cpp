#include "rules/scoring.h"

namespace rules {

namespace {

int countOf(const Hand &hand, int face)
{
    int count = 0;
    for (int die : hand) {
        if (die == face)
            ++count;
    }
    return count;
}

// Which of the faces 1..6 occur (index = face).
std::array<bool, 7> facesPresent(const Hand &hand)
{
    std::array<bool, 7> present{};
    for (int die : hand) {
        if (die >= 1 && die <= 6)
            present[std::size_t(die)] = true;
    }
    return present;
}

} // namespace

int addnumbers(const Hand &hand, int face, BonusDie bonus)
{
    const bool doubled = bonus.bonusgame && face == bonus.face;
    int count = 0;
    for (int die : hand) {
        if (die == face) {
            ++count;
            if (doubled)
                ++count;
        }
    }
    return face * count;
}

bool checkforfourkind(const Hand &hand)
{
    // Four equal dice always include die 1 or die 2.
    if (countOf(hand, hand[0]) >= 4)
        return true;
    return countOf(hand, hand[1]) > 3;
}

bool checkforfivekind(const Hand &hand)
{
    return countOf(hand, hand[0]) == 5;
}

bool checkforfullhouse(const Hand &hand)
{
    const int i = countOf(hand, hand[0]);
    int b = hand[0];
    for (int die : hand) {
        if (die != hand[0]) {
            b = die;
            break;
        }
    }
    const int k = countOf(hand, b);
    if ((i == 3 && k == 2) || (i == 2 && k == 3))
        return true;
    return checkforfivekind(hand);
}

bool checkforsstraight(const Hand &hand)
{
    const auto p = facesPresent(hand);
    return (p[1] && p[2] && p[3] && p[4]) || (p[2] && p[3] && p[4] && p[5])
        || (p[3] && p[4] && p[5] && p[6]);
}

bool checkforlstraight(const Hand &hand)
{
    const auto p = facesPresent(hand);
    return (p[1] && p[2] && p[3] && p[4] && p[5]) || (p[2] && p[3] && p[4] && p[5] && p[6]);
}

bool hasFace(const Hand &hand, int face)
{
    return countOf(hand, face) > 0;
}

int sumOfFaces(const Hand &hand)
{
    int sum = 0;
    for (int die : hand)
        sum += die;
    return sum;
}

bool isMade(const Hand &hand, int category)
{
    if (isNumberRow(category))
        return hasFace(hand, category);
    switch (category) {
    case FourKind: return checkforfourkind(hand);
    case FullHouse: return checkforfullhouse(hand);
    case SmStraight: return checkforsstraight(hand);
    case BigStraight: return checkforlstraight(hand);
    case FiveKind: return checkforfivekind(hand);
    case Freebie: return true;
    default: return false;
    }
}

int scoreFor(const Hand &hand, int category, BonusDie bonus)
{
    if (isNumberRow(category))
        return addnumbers(hand, category, bonus);
    switch (category) {
    case FourKind: return checkforfourkind(hand) ? sumOfFaces(hand) : 0;
    case FullHouse: return checkforfullhouse(hand) ? sumOfFaces(hand) : 0;
    case SmStraight: return checkforsstraight(hand) ? 25 : 0;
    case BigStraight: return checkforlstraight(hand) ? 30 : 0;
    case FiveKind: return checkforfivekind(hand) ? 50 : 0;
    case Freebie: return sumOfFaces(hand);
    default: return 0;
    }
}

int computeTotals(ScoreCells &cells)
{
    cells[UpperTotal] = 0;
    cells[LowerTotal] = 0;
    for (int c = Ones; c <= Sixes; ++c) {
        if (cells[std::size_t(c)] != kEmptyCell)
            cells[UpperTotal] += cells[std::size_t(c)];
    }
    for (int c = FourKind; c <= Freebie; ++c) {
        if (cells[std::size_t(c)] != kEmptyCell)
            cells[LowerTotal] += cells[std::size_t(c)];
    }
    cells[UpperBonus] = cells[UpperTotal] >= kUpperBonusThreshold ? kUpperBonus : 0;
    // 5 of a Kind is taken as it stands: while unscored its 1000 keeps the bonus away, so
    // the lower bonus can only come once 5 of a Kind has been scored.
    cells[LowerBonus] =
        cells[LowerTotal] - cells[FiveKind] >= kLowerBonusThreshold ? kLowerBonus : 0;
    return cells[UpperTotal] + cells[LowerTotal] + cells[UpperBonus] + cells[LowerBonus];
}

ScoreCells emptyCard()
{
    ScoreCells cells;
    cells.fill(kEmptyCell);
    cells[0] = 0;
    return cells;
}

} // namespace rules
