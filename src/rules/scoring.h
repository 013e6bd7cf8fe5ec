#pragma once

#include "rules/categories.h"

#include <array>

// How five faces score. Every function depends only on how many dice show each face, and
// serves both the host, which scores the hand, and the client, which asks before a zero.
namespace rules {

// The five faces of a turn, dice 1..5 at indices 0..4, each 1..6.
using Hand = std::array<int, 5>;
// A score card: cells 1..16 at the same indices (index 0 unused); kEmptyCell while unscored.
using ScoreCells = std::array<qint32, kCellCount + 1>;

// The two bonuses of a card. The upper one comes with an upper total of 71 or more; the lower
// one with 116 or more from the lower half without 5 of a Kind, once 5 of a Kind is scored.
inline constexpr int kUpperBonusThreshold = 71;
inline constexpr int kUpperBonus = 35;
inline constexpr int kLowerBonusThreshold = 116;
inline constexpr int kLowerBonus = 45;

// The categories whose scores count towards the lower bonus: the lower half but 5 of a Kind.
constexpr bool countsForLowerBonus(int category)
{
    return category >= FourKind && category <= Freebie && category != FiveKind;
}

// The bonus die of a turn; it only counts in a bonus dice game.
struct BonusDie {
    bool bonusgame = false;
    int face = 0;
};

// Score of the number row `face` (1..6): face x the dice showing it, each counted twice
// when the row's face is the bonus face of a bonus dice game.
int addnumbers(const Hand &hand, int face, BonusDie bonus = {});

bool checkforfourkind(const Hand &hand);
bool checkforfivekind(const Hand &hand);
bool checkforfullhouse(const Hand &hand);
bool checkforsstraight(const Hand &hand);
bool checkforlstraight(const Hand &hand);

// At least one die shows the face.
bool hasFace(const Hand &hand, int face);
int sumOfFaces(const Hand &hand);

// Whether the hand makes the category, as the zero-score check asks: a number row is made
// when its face shows at all; Freebie always. False for a number outside 1..12.
bool isMade(const Hand &hand, int category);

// What the hand scores in a category 1..12 (0 outside that range).
int scoreFor(const Hand &hand, int category, BonusDie bonus = {});

// Recomputes cells 13..16 from cells 1..12 and returns the grand total.
int computeTotals(ScoreCells &cells);

// A card with every cell empty.
ScoreCells emptyCard();

} // namespace rules
