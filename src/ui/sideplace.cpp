#include "ui/sideplace.h"

#include <QtGlobal>

namespace {

// The start of a span of length within [low, high], as near to wanted as fits; low when the
// span is longer than the range.
int fitted(int wanted, int length, int low, int high)
{
    return qMax(low, qMin(wanted, high + 1 - length));
}

} // namespace

QPoint SidePlace::beside(const QRect &main, const QRect &screen, const QSize &size, int gap)
{
    const int top = fitted(main.top(), size.height(), screen.top(), screen.bottom());
    // QRect's right and bottom are its last pixels: the gap starts one further.
    if (main.right() + 1 + gap + size.width() <= screen.right() + 1)
        return {main.right() + 1 + gap, top};
    if (main.left() - gap - size.width() >= screen.left())
        return {main.left() - gap - size.width(), top};
    return {fitted(main.left(), size.width(), screen.left(), screen.right()),
            fitted(main.bottom() + 1 + gap, size.height(), screen.top(), screen.bottom())};
}
