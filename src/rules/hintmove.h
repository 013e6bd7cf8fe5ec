#pragma once

#include "rules/hinttable.h"

#include <array>
#include <vector>

// The hint's answer for one moment of a turn: every choice the player has, each with the grand
// total the card can expect after it when every later choice is the best one.
namespace rules {

struct HintPosition {
    ScoreCells cells{};  // the card; cells 13..16 are not read
    Hand hand{};         // the five faces, dice 1..5 at indices 0..4 (read once rolls > 0)
    int rolls = 0;       // rolls made this turn, 0..3
    int bonusFace = 0;   // the turn's bonus face 1..6 in a bonus dice game
};

struct HintChoice {
    enum class Kind {
        Roll,  // hold the dice of `held` (none at the turn's start) and roll the others
        Score, // score the hand in `category`
    };
    Kind kind = Kind::Roll;
    std::array<bool, 5> held{}; // dice 1..5 at indices 0..4
    int category = 0;
    int points = 0;             // what the category scores with this hand
    double expectedFinal = 0.0; // the card's expected grand total after this choice
};

struct HintAdvice {
    // False for a position the table does not hold: a card or hand its rules cannot reach,
    // a roll count outside 0..3, or a bonus dice game's turn without its bonus face.
    bool valid = false;
    // Best first. Dice that show the same faces are one choice: the first of them are held.
    // Holding all five is scoring, so it is not among the rolls.
    std::vector<HintChoice> choices;

    const HintChoice *best() const { return choices.empty() ? nullptr : &choices.front(); }
};

// What to do now: at the turn's start, roll (with the card's expected total); after a roll,
// which dice to hold for the next one (while rolls are left) or which category to score.
// A pure function of the table and the position; it takes well under a millisecond.
HintAdvice bestMove(const HintTable &table, const HintPosition &position);

} // namespace rules
