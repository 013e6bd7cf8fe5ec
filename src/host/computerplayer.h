#pragma once

#include "host/die.h"
#include "host/turn.h"
#include "rules/scoring.h"

// The host's own player. After each roll made for a seat it plays, it scores a made pattern
// at once, or picks a target, holds dice toward it and asks for another roll, and after the
// third roll scores its target. It acts only through the Turn's requests, as a seat's
// messages do, keeps no memory beyond its target for the turn and draws no numbers of its
// own, so the same dice and card always give the same holds and choice.
class ComputerPlayer : public SeatPlayer {
public:
    explicit ComputerPlayer(Turn &turn) : turn_(turn) {}

    void turnStarted(int seat) override;
    void play(int seat) override;
    void playSpent(int seat) override;

    // The decisions, from the dice on the table and the seat's card. Only free dice count.
    // A target category from the free dice, or 0.
    static int findworking(const Dice &dice, const rules::ScoreCells &card);
    // The highest-numbered open category, or 0.
    static int findany(const rules::ScoreCells &card);
    // The highest open number row that three (two) free dice show, or 0.
    static int threes(const Dice &dice, const rules::ScoreCells &card);
    static int twos(const Dice &dice, const rules::ScoreCells &card);
    // Big Straight (10) when the free dice show 2, 3, 4 and 5; else 0.
    static int straight(const Dice &dice);

private:
    bool computercheck(int seat);
    void computerworking(int seat);
    void workstraight(int seat);
    void worknums(int seat, int face);

    Turn &turn_;
    int choice_ = 0;   // the target category of the seat on turn; 0 = none yet
};
