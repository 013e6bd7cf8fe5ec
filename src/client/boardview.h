#pragma once

#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <array>

#include "session/gamemodel.h"

class QLabel;
class QWidget;

// Shows the board as the model holds it: the five dice (face, picture list, place, enabled),
// the roll and start buttons, the bonus die, the winner banner and the status line, and on the
// card's head the turn line, the round and the roll markers. It only reads the model; each
// refresh touches only what changed, so a roll repaints the dice and little else.
class BoardView : public QObject {
    Q_OBJECT

public:
    // board is panel_board, card panel_scorecard; their widgets are looked up once, here.
    BoardView(const GameModel &model, QWidget *board, QWidget *card, QObject *parent = nullptr);

    void refreshBoard();
    void refreshHead();

private:
    struct Shown {
        int picture = -1;   // index into the pictures below; -1 before the first refresh
        QPoint pos;
        bool enabled = false;
    };
    // Pictures 1..6 are the faces, 7..12 the faces in the bonus colour.
    static int pictureOf(int die, const DieView &view);

    const GameModel &model_;
    std::array<QLabel *, GameModel::kDice + 1> dice_{};
    std::array<QLabel *, GameModel::kDice + 1> keys_{};     // each die's number in the own turn
    QPoint keyOffset_;
    static constexpr int kWinnerPoints = 14;
    static constexpr int kWinnerMinPoints = 8;
    QString winnerShown_;
    // The status and turn lines name players, whose names may be long: such a line shrinks to
    // stay in its box, and is shortened only past the smallest size.
    static constexpr int kLinePoints = 10;
    static constexpr int kLineMinPoints = 8;
    static void showLine(QLabel *label, QString &shown, const QString &text);
    QString statusShown_;
    QString turnShown_;
    std::array<Shown, GameModel::kDice + 1> shown_{};
    std::array<QPixmap, 13> faces_;
    std::array<QLabel *, GameModel::kMaxRolls + 1> markers_{};
    int bonusFace_ = 0;
    QLabel *throwdice_ = nullptr;
    QLabel *start_ = nullptr;
    QLabel *bonus_ = nullptr;
    QLabel *bonusBack_ = nullptr;
    QLabel *winnerImage_ = nullptr;
    QLabel *winnerLabel_ = nullptr;
    QLabel *status_ = nullptr;
    QLabel *turn_ = nullptr;
    QLabel *round_ = nullptr;
};
