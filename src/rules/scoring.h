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
