#include "ui/desktopcolor.h"

#include <QApplication>
#include <QPalette>

namespace {

struct PaletteEntry {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The palette entry that plays the part of each system colour, by its index. The desktop
// background (1) and the caption gradients have no palette entry of their own and take the
// nearest one.
constexpr PaletteEntry kEntries[] = {
    {QPalette::Active, QPalette::Button},             // 0 clScrollBar
    {QPalette::Active, QPalette::Dark},               // 1 clBackground
    {QPalette::Active, QPalette::Highlight},          // 2 clActiveCaption
    {QPalette::Inactive, QPalette::Mid},              // 3 clInactiveCaption
    {QPalette::Active, QPalette::Window},             // 4 clMenu
    {QPalette::Active, QPalette::Base},               // 5 clWindow
    {QPalette::Active, QPalette::Shadow},             // 6 clWindowFrame
    {QPalette::Active, QPalette::WindowText},         // 7 clMenuText
    {QPalette::Active, QPalette::Text},               // 8 clWindowText
    {QPalette::Active, QPalette::HighlightedText},    // 9 clCaptionText
    {QPalette::Active, QPalette::Window},             // 10 clActiveBorder
    {QPalette::Inactive, QPalette::Window},           // 11 clInactiveBorder
    {QPalette::Active, QPalette::Mid},                // 12 clAppWorkSpace
    {QPalette::Active, QPalette::Highlight},          // 13 clHighlight
    {QPalette::Active, QPalette::HighlightedText},    // 14 clHighlightText
    {QPalette::Active, QPalette::Button},             // 15 clBtnFace
    {QPalette::Active, QPalette::Dark},               // 16 clBtnShadow
    {QPalette::Disabled, QPalette::Text},             // 17 clGrayText
    {QPalette::Active, QPalette::ButtonText},         // 18 clBtnText
    {QPalette::Disabled, QPalette::WindowText},       // 19 clInactiveCaptionText
    {QPalette::Active, QPalette::Light},              // 20 clBtnHighlight
    {QPalette::Active, QPalette::Shadow},             // 21 cl3DDkShadow
    {QPalette::Active, QPalette::Midlight},           // 22 cl3DLight
    {QPalette::Active, QPalette::ToolTipText},        // 23 clInfoText
    {QPalette::Active, QPalette::ToolTipBase},        // 24 clInfoBk
    {QPalette::Active, QPalette::NoRole},             // 25 (none)
    {QPalette::Active, QPalette::Link},               // 26 clHotLight
    {QPalette::Active, QPalette::Highlight},          // 27 clGradientActiveCaption
    {QPalette::Inactive, QPalette::Midlight},         // 28 clGradientInactiveCaption
    {QPalette::Active, QPalette::Highlight},          // 29 clMenuHighlight
    {QPalette::Active, QPalette::Window},             // 30 clMenuBar
};

} // namespace

namespace DesktopColor {

QColor toColor(ColorText::Value value)
{
    if (!ColorText::isSystemColor(value))
        return QColor(ColorText::red(value), ColorText::green(value), ColorText::blue(value));
    const int index = ColorText::systemIndex(value);
    if (index >= int(std::size(kEntries)) || kEntries[index].role == QPalette::NoRole)
        return Qt::black;
    return QApplication::palette().color(kEntries[index].group, kEntries[index].role);
}

ColorText::Value fromColor(const QColor &color)
{
    return ColorText::fromRgb(color.red(), color.green(), color.blue());
}

} // namespace DesktopColor
