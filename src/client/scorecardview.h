#pragma once

#include <QColor>
#include <QObject>
#include <array>

#include "session/gamemodel.h"
#include "common/gameconstants.h"
#include "rules/categories.h"

class QLabel;
class QWidget;

// Shows the four columns of the score card as the model holds them: every cell's value (empty
// for an unscored cell), the grand totals, and the colour of the own column. The 64 cells and
// four totals are looked up once; a refresh writes only the texts and colours that changed.
class ScoreCardView : public QObject {
    Q_OBJECT

public:
    static const QColor kGreen;
    static const QColor kMaroon;

    ScoreCardView(const GameModel &model, QWidget *card, QObject *parent = nullptr);

    // One seat's column, or every column for seat 0.
    void refresh(int seat);

    QLabel *cell(int seat, int cell) const { return shown_[std::size_t(seat)][std::size_t(cell)].label; }

private:
    struct Cell {
        QLabel *label = nullptr;
        QRgb colour = 0;   // the colour last given; 0 until the first refresh
    };
    void refreshSeat(int seat);
    QColor colourOf(int seat, int cell) const;
    static void paint(Cell &cell, const QColor &colour);

    const GameModel &model_;
    std::array<std::array<Cell, rules::kCellCount + 1>, game::kSeats + 1> shown_{};
    std::array<QLabel *, game::kSeats + 1> totals_{};
};
