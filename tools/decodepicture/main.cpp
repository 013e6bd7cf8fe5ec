// Build step: writes the decoded form of a PNG picture, which the game loads without decoding.
//   decodepicture <picture.png> <output>

#include <QFile>
#include <QImage>
#include <QImageReader>

#include <cstdio>

#include "ui/decodedpicture.h"

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: decodepicture <picture.png> <output>\n");
        return 2;
    }
    QImageReader reader(QString::fromLocal8Bit(argv[1]));
    const QImage image = reader.read();
    if (image.isNull()) {
        std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(reader.errorString()));
        return 1;
    }
    const QByteArray bytes = DecodedPicture::encode(image);
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "%s: %s\n", argv[2], qPrintable(out.errorString()));
        return 1;
    }
    return 0;
}
