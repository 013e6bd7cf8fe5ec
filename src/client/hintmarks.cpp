#include "client/hintmarks.h"

#include <QPainter>
#include <QPaintEvent>

namespace {

// A warm glow that reads on the green cloth and on the wooden tray alike.
const QColor kGlow(255, 214, 64);
const QColor kEdge(255, 244, 170);
// How far the glow reaches beyond a die, the die's size and its corner radius.
constexpr int kReach = 6;
constexpr int kDie = 32;
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
        dirty += rect.adjusted(-kReach, -kReach, kReach, kReach);
    dice_ = dice;
    update(dirty);
}

const QPixmap &HintMarks::glow()
{
    const qreal ratio = devicePixelRatioF();
    if (!glow_.isNull() && glow_.devicePixelRatio() == ratio)
        return glow_;
    const QRectF die(kReach, kReach, kDie, kDie);
    glow_ = QPixmap((QSizeF(kDie + 2 * kReach, kDie + 2 * kReach) * ratio).toSize());
    glow_.setDevicePixelRatio(ratio);
    glow_.fill(Qt::transparent);
    QPainter painter(&glow_);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    // Wide and faint outside, narrow and bright at the die's edge.
    const QRectF edge = die.adjusted(0.5, 0.5, -0.5, -0.5);
    for (int step = 4; step >= 1; --step) {
        const qreal spread = (kReach - 1) * step / 4.0;
        QColor colour = kGlow;
        colour.setAlphaF(0.10 + 0.16 * (4 - step));
        painter.setPen(QPen(colour, 2.0));
        painter.drawRoundedRect(edge.adjusted(-spread, -spread, spread, spread), kCorner + spread, kCorner + spread);
    }
    painter.setPen(QPen(kEdge, 1.2));
    painter.drawRoundedRect(edge.adjusted(-1.5, -1.5, 1.5, 1.5), kCorner + 1.5, kCorner + 1.5);
    return glow_;
}

void HintMarks::paintEvent(QPaintEvent *event)
{
    if (dice_.isEmpty())
        return;
    QPainter painter(this);
    for (const QRect &rect : dice_) {
        const QRect around = rect.adjusted(-kReach, -kReach, kReach, kReach);
        if (event->region().intersects(around))
            painter.drawPixmap(around.topLeft(), glow());
    }
}
