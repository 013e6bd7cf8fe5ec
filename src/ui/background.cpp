#include "ui/background.h"

#include <QPalette>
#include <QPixmap>
#include <QWidget>

#include "ui/pictures.h"

void applyTiledBackground(QWidget *window)
{
    const QPixmap tile = Pictures::pixmap(QStringLiteral(":/images/background.png"));
    if (tile.isNull())
        return;
    QPalette palette = window->palette();
    palette.setBrush(QPalette::Window, QBrush(tile));
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}
