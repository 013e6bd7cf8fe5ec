#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QString>

// JPEG pictures decoded with libjpeg, which the game carries for them, rather than through
// Qt's image plug-ins.
namespace JpegImage {

// The picture in the bytes; a null image when they are not a JPEG libjpeg can read.
QImage decode(QByteArrayView bytes);
// The picture in a file or resource (":/images/lobby.jpg").
QImage load(const QString &path);

} // namespace JpegImage
