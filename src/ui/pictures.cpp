#include "ui/pictures.h"

#include <QPixmapCache>
#include <QResource>

#include "ui/decodedpicture.h"

QPixmap Pictures::pixmap(const QString &path)
{
    const QString key = QStringLiteral("morvello:") + path;
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    if (path.startsWith(QLatin1String(":/"))) {
        // Used in place, so only a copy stored uncompressed will do.
        const QResource decoded(QStringLiteral(":/decoded/") + path.mid(2));
        if (decoded.isValid() && decoded.compressionAlgorithm() == QResource::NoCompression)
            pixmap = QPixmap::fromImage(
                DecodedPicture::decode(QByteArrayView(decoded.data(), decoded.size())));
    }
    if (pixmap.isNull())
        pixmap.load(path);
    if (!pixmap.isNull())
        QPixmapCache::insert(key, pixmap);
    return pixmap;
}
