#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <optional>

#include "rules/hintmove.h"

class ClientCommands;
class GameModel;
class HintTables;
class Preferences;

// The exact hint as the window shows it, while the player has it on (Preferences::showHints):
// in the own turn, the best move for the position the model holds, in words for the hint line
// and as the dice to keep; after a score, what that choice cost against the best one; while
// the table is prepared, how far it has come. It follows every change of the model at once
// and never acts for the player. The one thing it sends: the first time in a game that hints
// are on while someone else is at the table, an action line tells the table.
class HintAdvisor : public QObject {
    Q_OBJECT

public:
    // Choices within this of the best one are as good as the best.
    static constexpr double kSameValue = 0.05;
    // The action line, after the player's name.
    static const QString kAnnouncement;

    HintAdvisor(const GameModel &model, const Preferences &preferences, ClientCommands &commands,
                HintTables &tables, QObject *parent = nullptr);

    // The hint line; empty while hints are off and when there is nothing to say.
    const QString &line() const { return line_; }
    // Dice 1..5 to keep for the next roll (index 0 is not used); none outside such advice.
    const std::array<bool, 6> &keep() const { return keep_; }
    // The advice for the own turn's position; not valid outside the own turn.
    const rules::HintAdvice &advice() const { return advice_; }
    bool announced() const { return announced_; }

    // ---- the pieces, as pure functions of the model ----

    // The table the game on the model plays by.
    static rules::HintVariant variantOf(const GameModel &model);
    // The position of the own turn, seated and playing; nullopt outside it.
    static std::optional<rules::HintPosition> positionOf(const GameModel &model);
    // "Hint: keep 3 3 3 and roll (expected final score 214.2)", "Hint: score Full House (23)".
    static QString adviceText(const rules::HintAdvice &advice, const rules::HintPosition &position);
    // The dice that make up the advised keep, those already held first among equal faces, so
    // the player has the fewest dice to move.
    static std::array<bool, 6> diceToKeep(const rules::HintChoice &choice, const GameModel &model);
    // "Full House: 3.1 below the best choice"; cost is what the category gives up.
    static QString costText(int category, double cost);

signals:
    void changed();
    // The table's file could not be used or written; the hint works all the same.
    void problem(const QString &text);

private:
    void refresh();
    void announceIfDue();
    void turnStarted(int seat);
    void tagged(int seat, int category);
    bool gameRunning() const;

    const GameModel &model_;
    const Preferences &preferences_;
    ClientCommands &commands_;
    HintTables &tables_;

    QString line_;
    std::array<bool, 6> keep_{};
    rules::HintAdvice advice_;
    std::optional<rules::HintPosition> advised_;   // the position advice_ is for
    rules::HintVariant advisedVariant_ = rules::HintVariant::Plain;
    QString cost_;                                  // what the last own score cost, until the next own turn
    bool turnOver_ = true;                        // scored, or no own turn begun in this game
    bool announced_ = false;                        // in this game
};
