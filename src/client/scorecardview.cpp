#include "client/scorecardview.h"

#include <QLabel>
#include <QWidget>

const QColor ScoreCardView::kGreen(0, 128, 0);
const QColor ScoreCardView::kMaroon(128, 0, 0);

ScoreCardView::ScoreCardView(const GameModel &model, QWidget *card, QObject *parent)
    : QObject(parent), model_(model)
{
    for (int seat = 1; seat <= game::kSeats; ++seat) {
        for (int cell = 1; cell <= rules::kCellCount; ++cell) {
            QLabel *label = card->findChild<QLabel *>(QStringLiteral("score%1_%2").arg(seat).arg(cell));
            Q_ASSERT(label);
            shown_[std::size_t(seat)][std::size_t(cell)].label = label;
        }
        totals_[std::size_t(seat)] = card->findChild<QLabel *>(QStringLiteral("label_score%1").arg(seat));
        Q_ASSERT(totals_[std::size_t(seat)]);
    }
    connect(&model_, &GameModel::cardChanged, this, &ScoreCardView::refresh);
    refresh(0);
}

void ScoreCardView::refresh(int seat)
{
    if (seat == 0) {
        for (int s = 1; s <= game::kSeats; ++s)
            refreshSeat(s);
    } else if (game::isSeat(seat)) {
        refreshSeat(seat);
    }
    // A new own turn recolours the own column, which may not be the seat that changed.
    const int own = model_.ownColumnSeat();
    if (seat != 0 && own != 0 && own != seat)
        refreshSeat(own);
}

QColor ScoreCardView::colourOf(int seat, int cell) const
{
    if (seat != model_.ownColumnSeat())
        return Qt::black;
    switch (model_.ownColumn()) {
    case GameModel::OwnColumn::Green:
        return kGreen;
    case GameModel::OwnColumn::Maroon:
        return kMaroon;
    case GameModel::OwnColumn::Initial:
        break;
    }
    return rules::isCategory(cell) ? kGreen : QColor(Qt::black);
}

void ScoreCardView::paint(Cell &cell, const QColor &colour)
{
    if (cell.colour == colour.rgb())
        return;
    cell.colour = colour.rgb();
    QPalette palette = cell.label->palette();
    palette.setColor(QPalette::WindowText, colour);
    cell.label->setPalette(palette);
}

void ScoreCardView::refreshSeat(int seat)
{
    const SeatView &view = model_.seat(seat);
    for (int c = 1; c <= rules::kCellCount; ++c) {
        Cell &cell = shown_[std::size_t(seat)][std::size_t(c)];
        const int value = view.cells[std::size_t(c)];
        const QString text = value == rules::kEmptyCell ? QString() : QString::number(value);
        if (cell.label->text() != text)
            cell.label->setText(text);
        paint(cell, colourOf(seat, c));
    }
    QLabel *total = totals_[std::size_t(seat)];
    if (total->text() != view.total)
        total->setText(view.total);
}
