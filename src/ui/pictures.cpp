#include "ui/pictures.h"

#include <QGuiApplication>
#include <QPixmapCache>
#include <QResource>

#include "ui/decodedpicture.h"

namespace {

QPixmap load(const QString &path)
{
    QPixmap pixmap;
    if (path.startsWith(QLatin1String(":/"))) {
        // Used in place, so only a copy stored uncompressed will do.
        const QResource decoded(QStringLiteral(":/decoded/") + path.mid(2));
        if (decoded.isValid() && decoded.compressionAlgorithm() == QResource::NoCompression)
            pixmap = QPixmap::fromImage(DecodedPicture::decode(QByteArrayView(decoded.data(), decoded.size())));
    }
    if (pixmap.isNull())
        pixmap.load(path);
    return pixmap;
}

} // namespace

QPixmap Pictures::pixmap(const QString &path)
{
    return pixmap(path, qGuiApp ? qGuiApp->devicePixelRatio() : 1.0);
}

QPixmap Pictures::pixmap(const QString &path, qreal density)
{
    const bool dense = density > 1.0 && path.endsWith(QLatin1String(".png"));
    const QString key = (dense ? QStringLiteral("morvello@2x:") : QStringLiteral("morvello:")) + path;
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    if (dense) {
        QString twice = path;
        twice.insert(twice.size() - 4, QLatin1String("@2x"));
        pixmap = load(twice);
        if (!pixmap.isNull())
            pixmap.setDevicePixelRatio(2.0);
    }
    if (pixmap.isNull())
        pixmap = load(path);
    if (!pixmap.isNull())
        QPixmapCache::insert(key, pixmap);
    return pixmap;
}
