#pragma once

#include <QByteArray>

#include <array>

#include "host/die.h"
#include "host/hostoutput.h"
#include "protocol/catalogue.h"
#include "rules/scoring.h"

class DiceRandom;
class Table;

// Who decides for the seats the host plays (the computer player).
class SeatPlayer {
public:
    virtual ~SeatPlayer() = default;
    // A turn begins for the seat.
    virtual void turnStarted(int seat) = 0;
    // After each roll made for a computer seat, and for any seat whose roll request found
    // every die held.
    virtual void play(int seat) = 0;
    // A computer seat asked to roll after its third roll: its turn must still end.
    virtual void playSpent(int seat) = 0;
};

// The game on the table: the rotation of the turns, the dice and the score cards. It plays the
// seats of the Table it is given and hands the seats the host plays to a SeatPlayer; the
// requests below are what the seats' messages and the computer player both reach.
class Turn {
public:
    static constexpr int kTurnsNormalGame = 12;
    // Partners share one card of twelve categories.
    static constexpr int kTurnsTeamGame = 6;

    Turn(Table &table, HostOutput &output, DiceRandom &random);
    void setSeatPlayer(SeatPlayer *player) { player_ = player; }

    // A start is obeyed also while a game runs: that game is abandoned without a winner.
    void startgame(const wire::StartRequest &request);
    // Starts the next seat's turn, or ends the game and names the winner.
    void findplayer();

    // The requests of the seat on turn; those of any other seat are ignored.
    void rolldice(int seat);
    void setdice(int seat, int die);
    void unsetdice(int seat, int die);
    void setscore(int seat, int category);

    // The host's own play: one step of the seat on turn, if the host plays it.
    void Timer1Timer();
    void enableTimer1();
    bool timer1Enabled() const { return timer1Enabled_; }

    // A seat's player left: the turn passes on if it was theirs.
    void seatLeft(int seat);
    // A seat was handed to the host: it plays on at its next step if the turn is the seat's.
    void seatAway(int seat);
    // Brings a newcomer up to date: the turn's bonus die, whose turn it is, how far it has
    // gone, the cards, and the dice as they lie.
    void bringUpToDate(int slot);

    // The winner line for the totals of seats 1..4 under their names: the lowest seat with the
    // highest total above 0 (or "No One"), and every other seat with that total.
    static wire::Winner winnerLine(const std::array<int, 5> &totals, const std::array<QByteArray, 5> &names);

    bool running() const { return gamestarted_; }
    int current() const { return currentplayer_; }   // 0 before the first turn and after the game
    int rolls() const { return rolls_; }
    bool teamGame() const { return teamgame_; }
    bool bonusGame() const { return bonusgame_; }
    int bonusDie() const { return bonusdie_; }
    const Die &die(int die) const { return dice_[std::size_t(die - 1)]; }
    const Dice &dice() const { return dice_; }
    // The five faces of the turn, free and held alike.
    rules::Hand hand() const;
    const rules::ScoreCells &card(int seat) const { return seats_[std::size_t(seat)].scores; }
    int total(int seat) const { return seats_[std::size_t(seat)].total; }
    // Turns the rotation has given the seat in this game, played or passed.
    int turns(int seat) const { return seats_[std::size_t(seat)].turns; }
    // Team partners: seats 1 and 3, seats 2 and 4.
    static int partnerOf(int seat) { return (seat + 1) % 4 + 1; }

private:
    struct Seat {
        rules::ScoreCells scores = rules::emptyCard();
        int total = 0;
        int turns = 0;
    };

    void disableTimer1();
    void checkforwin();
    // A refused score request: a person is told, a computer seat rolls instead.
    void refuseScore(int seat, wire::Word answer);
    wire::NextPlayer nextPlayer() const;

    Table &table_;
    HostOutput &output_;
    DiceRandom &random_;
    SeatPlayer *player_ = nullptr;
    bool gamestarted_ = false;
    bool teamgame_ = false;
    bool bonusgame_ = false;
    bool timer1Enabled_ = false;
    int currentplayer_ = 0;
    int rolls_ = 0;
    int bonusdie_ = 0;
    Dice dice_{};
    std::array<Seat, 5> seats_{};   // seats 1..4
};
