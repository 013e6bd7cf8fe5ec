#pragma once

#include <QColor>

#include "common/colortext.h"

// Colour values of the chat and the settings as the desktop shows them: plain values are
// their red, green and blue; the system colours ("clBtnFace", "clWindowText" ...) take the
// matching colour of the application's palette, so they follow the desktop's theme.
namespace DesktopColor {

// A system colour without a counterpart shows black, like an unreadable colour.
QColor toColor(ColorText::Value value);
// The plain value of a colour (as the colour dialog gives it).
ColorText::Value fromColor(const QColor &color);

} // namespace DesktopColor
