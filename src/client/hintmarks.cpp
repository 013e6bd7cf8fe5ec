#include "client/hintmarks.h"

#include <QPainter>
#include <QPainterPath>

namespace {

// A warm glow that reads on the green cloth and on the wooden tray alike.
const QColor kGlow(255, 214, 64);
const QColor kEdge(255, 244, 170);
// How far the glow reaches beyond a die, and the die's corner radius.
constexpr qreal kReach = 5.0;
constexpr qreal kCorner = 5.0;

} // namespace

HintMarks::HintMarks(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
}

void HintMarks::setDice(const QList<QRect> &dice)
{
    if (dice == dice_)
        return;
    // Both the old and the new outlines need painting over.
    QRegion dirty;
    for (const QRect &rect : dice_ + dice)
        dirty += rect.adjusted(-int(kReach) - 2, -int(kReach) - 2, int(kReach) + 2, int(kReach) + 2);
    dice_ = dice;
    update(dirty);
}

void HintMarks::paintEvent(QPaintEvent *)
{
    if (dice_.isEmpty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    for (const QRect &rect : dice_) {
        const QRectF die = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
        // Wide and faint outside, narrow and bright at the die's edge.
        for (int step = 4; step >= 1; --step) {
            const qreal spread = kReach * step / 4.0;
            QColor colour = kGlow;
            colour.setAlphaF(0.10 + 0.16 * (4 - step));
            painter.setPen(QPen(colour, 2.0));
            painter.drawRoundedRect(die.adjusted(-spread, -spread, spread, spread), kCorner + spread,
                                    kCorner + spread);
        }
        painter.setPen(QPen(kEdge, 1.2));
        painter.drawRoundedRect(die.adjusted(-1.5, -1.5, 1.5, 1.5), kCorner + 1.5, kCorner + 1.5);
    }
}
