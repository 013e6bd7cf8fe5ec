#include "tally/lzrw1.h"

#include <QIODevice>

#include <cstring>
#include <new>

using namespace Lzrw1kh;

namespace {

constexpr qsizetype kIdSize = 4;
constexpr qsizetype kSizeSize = 4;
constexpr qsizetype kLengthSize = 2;

void openDevice(QIODevice &device, QIODevice::OpenMode mode, const QString &failure)
{
    if (!device.isOpen() && !device.open(mode))
        throw ELzrw1Exception(failure);
}

// Reads the device to its end; false on a read error.
bool readAll(QIODevice &device, QByteArray &into)
{
    constexpr qint64 kStep = 64 * 1024;
    for (;;) {
        const qsizetype at = into.size();
        into.resize(at + kStep);
        const qint64 got = device.read(into.data() + at, kStep);
        into.resize(at + std::max<qint64>(got, 0));
        if (got <= 0)
            return got == 0;
    }
}

void writeAll(QIODevice &device, const QByteArray &data, const QString &name)
{
    if (device.write(data) != data.size())
        throw ELzrw1Exception(Lzrw1Error::shortWrite(name));
}

void putLe(char *to, quint32 value, qsizetype bytes)
{
    for (qsizetype i = 0; i < bytes; ++i)
        to[i] = char(value >> (8 * i));
}

quint32 getLe(const char *from, qsizetype bytes)
{
    quint32 value = 0;
    for (qsizetype i = bytes - 1; i >= 0; --i)
        value = value << 8 | quint8(from[i]);
    return value;
}

} // namespace

QByteArray Tlzrw1::compress(QByteArrayView text)
{
    if (text.size() > kLargestText)
        throw ELzrw1Exception(Lzrw1Error::sizeUnknown(QString()));
    try {
        // Room for every piece at its worst, so blocks are coded in place.
        const qsizetype pieces = text.size() / kPieceSize + 1;
        QByteArray file(kIdSize + kSizeSize + pieces * (kLengthSize + kBufferSize), Qt::Uninitialized);
        std::memcpy(file.data(), kMethodId, kIdSize);
        putLe(file.data() + kIdSize, quint32(text.size()), kSizeSize);
        qsizetype written = kIdSize + kSizeSize;

        const auto *in = reinterpret_cast<const quint8 *>(text.data());
        qsizetype read = 0;
        qsizetype piece = kPieceSize;
        while (piece == kPieceSize) {
            piece = std::min<qsizetype>(kPieceSize, text.size() - read);
            auto *chunk = reinterpret_cast<quint8 *>(file.data() + written);
            const int length = coder_.compress(in + read, int(piece), chunk + kLengthSize);
            putLe(file.data() + written, quint32(length), kLengthSize);
            written += kLengthSize + length;
            read += piece;
        }
        file.truncate(written);
        return file;
    } catch (const std::bad_alloc &) {
        throw ELzrw1Exception(Lzrw1Error::ioBuffers());
    }
}

QByteArray Tlzrw1::decompress(QByteArrayView container, const QString &name, qint64 largest)
{
    qsizetype at = 0;
    const auto take = [&](qsizetype bytes) {
        if (container.size() - at < bytes)
            throw ELzrw1Exception(Lzrw1Error::shortRead(name));
        at += bytes;
        return container.data() + at - bytes;
    };
    // "!HZL", the other method's id, is never written by this program and is not decoded.
    if (std::memcmp(take(kIdSize), kMethodId, kIdSize) != 0)
        throw ELzrw1Exception(Lzrw1Error::noHeader(name));
    const qint64 size = getLe(take(kSizeSize), kSizeSize);
    if (size > largest)
        throw ELzrw1Exception(Lzrw1Error::tooLarge(name, size, largest));

    try {
        QByteArray text;
        // No block expands a thousandfold, so a damaged size cannot claim much memory here.
        text.reserve(std::min<qint64>(size + kPieceSize, container.size() * 1024));
        qsizetype total = 0;
        int decoded = kPieceSize;
        while (decoded == kPieceSize) {
            const int length = int(getLe(take(kLengthSize), kLengthSize));
            const auto *block = reinterpret_cast<const quint8 *>(take(length));
            text.resize(total + kPieceSize);
            decoded = TLZR::decompress(block, length, reinterpret_cast<quint8 *>(text.data() + total));
            // A damaged block, or more text than the header announced, can only end in a
            // mismatch: stop before going on.
            if (decoded < 0 || total + decoded > size)
                throw ELzrw1Exception(Lzrw1Error::sizeMismatch());
            total += decoded;
        }
        if (total != size)
            throw ELzrw1Exception(Lzrw1Error::sizeMismatch());
        text.truncate(total);
        return text;
    } catch (const std::bad_alloc &) {
        throw ELzrw1Exception(Lzrw1Error::ioBuffers());
    }
}

qint64 Tlzrw1::compress(QIODevice &input, QIODevice &output, const QString &inputName,
                        const QString &outputName)
{
    openDevice(input, QIODevice::ReadOnly, Lzrw1Error::openInput(inputName));
    const qint64 size = input.size() - input.pos();
    if (input.isSequential() || size < 0 || size > kLargestText)
        throw ELzrw1Exception(Lzrw1Error::sizeUnknown(inputName));
    openDevice(output, QIODevice::WriteOnly, Lzrw1Error::openOutput(outputName));
    QByteArray text;
    if (!readAll(input, text))
        throw ELzrw1Exception(Lzrw1Error::readWhileCompressing(inputName));
    const QByteArray file = compress(text);
    writeAll(output, file, outputName);
    return file.size();
}

qint64 Tlzrw1::decompress(QIODevice &input, QIODevice &output, const QString &inputName,
                          const QString &outputName)
{
    openDevice(input, QIODevice::ReadOnly, Lzrw1Error::openInput(inputName));
    openDevice(output, QIODevice::WriteOnly, Lzrw1Error::openOutput(outputName));
    QByteArray file;
    if (!readAll(input, file))
        throw ELzrw1Exception(Lzrw1Error::shortRead(inputName));
    const QByteArray text = decompress(file, inputName);
    writeAll(output, text, outputName);
    return text.size();
}
