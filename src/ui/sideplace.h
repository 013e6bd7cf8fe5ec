#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace SidePlace {

// Where a side window of the given frame size opens beside a main window's frame on a screen's
// available area: to its right, else its left where the screen is wide enough, else below it.
// It is moved up or across only as far as keeps it on the screen; where the screen is too small
// for both, it covers the main window's lower left corner (the chat) rather than going off it.
QPoint beside(const QRect &main, const QRect &screen, const QSize &size, int gap);

} // namespace SidePlace
