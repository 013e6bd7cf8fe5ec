#include "client/pictures.h"

QPixmap Pictures::pixmap(const QString &path)
{
    auto found = cache_.constFind(path);
    if (found != cache_.constEnd())
        return *found;
    const QPixmap pixmap(path);
    cache_.insert(path, pixmap);
    return pixmap;
}
