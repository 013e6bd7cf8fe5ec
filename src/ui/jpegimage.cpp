#include "ui/jpegimage.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps back
// to decode, which gives up on the picture.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void errorExit(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager *>(info->err)->jump, 1);
}

void ignoreMessage(j_common_ptr) {}

// Every libjpeg call happens here, among plain locals only, so that the jump back from a
// failing call leaves no object half made. Without pixels it reads the size only; with them it
// decodes rows of RGB into the buffer, which the caller sized from the first call.
bool run(QByteArrayView bytes, int *width, int *height, uchar *pixels, qsizetype bytesPerLine)
{
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = errorExit;
    errors.base.output_message = ignoreMessage;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    const bool fits = info.output_components == 3 && int(info.output_width) == *width &&
                      int(info.output_height) == *height;
    *width = int(info.output_width);
    *height = int(info.output_height);
    if (!pixels || !fits) {
        jpeg_destroy_decompress(&info);
        return !pixels;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels + qsizetype(info.output_scanline) * bytesPerLine;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

namespace JpegImage {

QImage decode(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return QImage();
    int width = 0;
    int height = 0;
    if (!run(bytes, &width, &height, nullptr, 0) || width <= 0 || height <= 0)
        return QImage();
    QImage image(width, height, QImage::Format_RGB888);
    if (image.isNull() || !run(bytes, &width, &height, image.bits(), image.bytesPerLine()))
        return QImage();
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QImage();
    return decode(file.readAll());
}

} // namespace JpegImage
