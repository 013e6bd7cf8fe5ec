#include "windows/background.h"

#include <QPalette>
#include <QPixmap>
#include <QWidget>

void applyTiledBackground(QWidget *window)
{
    const QPixmap tile(QStringLiteral(":/images/background.png"));
    if (tile.isNull())
        return;
    QPalette palette = window->palette();
    palette.setBrush(QPalette::Window, QBrush(tile));
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}
