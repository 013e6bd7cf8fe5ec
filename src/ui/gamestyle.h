#pragma once

#include <QProxyStyle>

// The application's style: the desktop's own, but for the menu bar's overflow arrow. The menu
// bar asks for that picture when it is made and shows it only when its menus do not fit, and
// loading it means loading the image format plugins; so it is loaded when first drawn, not
// while the main window is built.
class GameStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};
