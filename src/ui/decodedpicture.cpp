#include "ui/decodedpicture.h"

#include <cstring>

namespace {

constexpr char kMagic[4] = {'M', 'V', 'P', 'X'};
// Larger than any picture of the game by far; it bounds what a damaged header can ask for.
constexpr quint32 kMaxSide = 8192;

struct Header {
    char magic[4];
    quint32 width;
    quint32 height;
    quint32 format;   // a QImage::Format: RGB32 for opaque pictures, else ARGB32_Premultiplied
};

// Whether some pixel is not fully opaque.
bool seeThrough(const QImage &image)
{
    if (!image.hasAlphaChannel())
        return false;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(line[x]) != 255)
                return true;
        }
    }
    return false;
}

} // namespace

QByteArray DecodedPicture::encode(const QImage &image)
{
    // The format a pixmap takes on when made from the picture directly: an opaque picture
    // loses its alpha channel.
    const QImage pixels = image.convertToFormat(seeThrough(image) ? QImage::Format_ARGB32_Premultiplied
                                                                  : QImage::Format_RGB32);
    const Header header{{kMagic[0], kMagic[1], kMagic[2], kMagic[3]}, quint32(pixels.width()),
                        quint32(pixels.height()), quint32(pixels.format())};
    const qsizetype row = qsizetype(header.width) * 4;
    QByteArray bytes(qsizetype(sizeof header) + row * pixels.height(), Qt::Uninitialized);
    std::memcpy(bytes.data(), &header, sizeof header);
    for (int y = 0; y < pixels.height(); ++y)
        std::memcpy(bytes.data() + sizeof header + y * row, pixels.constScanLine(y), size_t(row));
    return bytes;
}

QImage DecodedPicture::decode(QByteArrayView bytes)
{
    Header header;
    if (bytes.size() < qsizetype(sizeof header))
        return {};
    std::memcpy(&header, bytes.data(), sizeof header);
    if (std::memcmp(header.magic, kMagic, sizeof kMagic) != 0 || header.width == 0 || header.height == 0
        || header.width > kMaxSide || header.height > kMaxSide
        || (header.format != QImage::Format_RGB32 && header.format != QImage::Format_ARGB32_Premultiplied))
        return {};
    const qsizetype row = qsizetype(header.width) * 4;
    if (bytes.size() != qsizetype(sizeof header) + row * qsizetype(header.height))
        return {};
    const auto *pixels = reinterpret_cast<const uchar *>(bytes.data()) + sizeof header;
    const QImage inPlace(pixels, int(header.width), int(header.height), row, QImage::Format(header.format));
    // Pixels are read a word at a time; bytes that do not start on a word get a copy.
    if (reinterpret_cast<quintptr>(pixels) % alignof(quint32) != 0)
        return inPlace.copy();
    return inPlace;
}
