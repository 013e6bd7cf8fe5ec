#include "client/pictures.h"

#include <QPixmapCache>
#include <QResource>

#include "client/decodedpicture.h"

QPixmap Pictures::pixmap(const QString &path)
{
    const QString key = QStringLiteral("morvello:") + path;
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    if (path.startsWith(QLatin1String(":/"))) {
        const QResource decoded(QStringLiteral(":/decoded/") + path.mid(2));
        if (decoded.isValid())
            pixmap = QPixmap::fromImage(DecodedPicture::decode(decoded.uncompressedData()));
    }
    if (pixmap.isNull())
        pixmap.load(path);
    if (!pixmap.isNull())
        QPixmapCache::insert(key, pixmap);
    return pixmap;
}
