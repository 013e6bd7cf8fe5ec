#pragma once

#include <QHash>
#include <QPixmap>
#include <QString>

// The main window's pictures, decoded once each: several widgets show the same resource.
class Pictures {
public:
    // The picture of a resource; a missing resource gives a null pixmap.
    QPixmap pixmap(const QString &path);

private:
    QHash<QString, QPixmap> cache_;
};
