#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

// A picture stored as the pixels the screen takes (premultiplied ARGB32, this machine's byte
// order) behind a small header, so that loading it costs nothing like a PNG decode. The
// build makes one from each PNG picture; the PNG stays the picture's source.
namespace DecodedPicture {

QByteArray encode(const QImage &image);
// The picture in the bytes, which it uses in place: they must outlive the image and all its
// copies, as the resources compiled in do. A null image when the bytes are not a whole decoded
// picture.
QImage decode(QByteArrayView bytes);

} // namespace DecodedPicture
