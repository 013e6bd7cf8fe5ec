#pragma once

#include <QProxyStyle>

// The application's style: the desktop's own, but for the menu bar's overflow arrow. The menu
// bar asks for that picture when it is made and shows it only when its menus do not fit, and
// loading it means loading the image format plugins; so it is loaded when first drawn, not
// while the main window is built. And a picture in a label is drawn as it is when the label is
// disabled: the dice are disabled outside the own turn, and greyed they would hide the bonus
// die's red and look washed out to everyone watching another's roll.
class GameStyle : public QProxyStyle {
public:
    QPixmap generatedIconPixmap(QIcon::Mode iconMode, const QPixmap &pixmap, const QStyleOption *option) const override;
    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};
