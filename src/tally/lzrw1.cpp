#include "tally/lzrw1.h"

#include <QBuffer>
#include <QIODevice>

#include <cstring>
#include <memory>
#include <new>

using namespace Lzrw1kh;

namespace {

constexpr qint64 kHeaderSize = 8;
constexpr qint64 kLengthSize = 2;

void openDevice(QIODevice &device, QIODevice::OpenMode mode, const QString &failure)
{
    if (!device.isOpen() && !device.open(mode))
        throw ELzrw1Exception(failure);
}

// Reads until `size` bytes have come or the input ends; -1 on a read error.
qint64 readFull(QIODevice &device, quint8 *to, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const qint64 got = device.read(reinterpret_cast<char *>(to) + done, size - done);
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

void readExact(QIODevice &device, quint8 *to, qint64 size, const QString &name)
{
    if (readFull(device, to, size) != size)
        throw ELzrw1Exception(Lzrw1Error::shortRead(name));
}

void writeAll(QIODevice &device, const quint8 *from, qint64 size, const QString &name)
{
    if (device.write(reinterpret_cast<const char *>(from), size) != size)
        throw ELzrw1Exception(Lzrw1Error::shortWrite(name));
}

template <typename T>
std::unique_ptr<T[]> buffer(size_t size)
{
    std::unique_ptr<T[]> memory(new (std::nothrow) T[size]);
    if (!memory)
        throw ELzrw1Exception(Lzrw1Error::ioBuffers());
    return memory;
}

void putLe(quint8 *to, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        to[i] = quint8(value >> (8 * i));
}

quint32 getLe(const quint8 *from, int bytes)
{
    quint32 value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | from[i];
    return value;
}

} // namespace

qint64 Tlzrw1::compress(QIODevice &input, QIODevice &output, const QString &inputName,
                        const QString &outputName)
{
    openDevice(input, QIODevice::ReadOnly, Lzrw1Error::openInput(inputName));
    const qint64 size = input.size() - input.pos();
    if (input.isSequential() || size < 0 || size > qint64(0xFFFFFFFFu))
        throw ELzrw1Exception(Lzrw1Error::sizeUnknown(inputName));
    openDevice(output, QIODevice::WriteOnly, Lzrw1Error::openOutput(outputName));

    const auto piece = buffer<quint8>(kPieceSize);
    const auto chunk = buffer<quint8>(kLengthSize + kBufferSize);

    quint8 header[kHeaderSize];
    std::memcpy(header, kMethodId, 4);
    putLe(header + 4, quint32(size), 4);
    writeAll(output, header, kHeaderSize, outputName);
    qint64 written = kHeaderSize;

    qint64 got = kPieceSize;
    while (got == kPieceSize) {
        got = readFull(input, piece.get(), kPieceSize);
        if (got < 0)
            throw ELzrw1Exception(Lzrw1Error::readWhileCompressing(inputName));
        const int length = coder_.compress(piece.get(), int(got), chunk.get() + kLengthSize);
        putLe(chunk.get(), quint32(length), kLengthSize);
        writeAll(output, chunk.get(), kLengthSize + length, outputName);
        written += kLengthSize + length;
    }
    return written;
}

qint64 Tlzrw1::decompress(QIODevice &input, QIODevice &output, const QString &inputName,
                          const QString &outputName)
{
    openDevice(input, QIODevice::ReadOnly, Lzrw1Error::openInput(inputName));
    openDevice(output, QIODevice::WriteOnly, Lzrw1Error::openOutput(outputName));

    const auto piece = buffer<quint8>(kPieceSize);
    const auto block = buffer<quint8>(0xFFFF);

    quint8 header[kHeaderSize];
    readExact(input, header, 4, inputName);
    // "!HZL", the other method's id, is never written by this program and is not decoded.
    if (std::memcmp(header, kMethodId, 4) != 0)
        throw ELzrw1Exception(Lzrw1Error::noHeader(inputName));
    readExact(input, header + 4, 4, inputName);
    const qint64 size = getLe(header + 4, 4);

    qint64 total = 0;
    int decoded = kPieceSize;
    while (decoded == kPieceSize) {
        quint8 length[kLengthSize];
        readExact(input, length, kLengthSize, inputName);
        const int blockSize = int(getLe(length, kLengthSize));
        readExact(input, block.get(), blockSize, inputName);
        decoded = TLZR::decompress(block.get(), blockSize, piece.get());
        // A damaged block, or more text than the header announced, can only end in a mismatch:
        // stop before writing it.
        if (decoded < 0 || total + decoded > size)
            throw ELzrw1Exception(Lzrw1Error::sizeMismatch());
        writeAll(output, piece.get(), decoded, outputName);
        total += decoded;
    }
    if (total != size)
        throw ELzrw1Exception(Lzrw1Error::sizeMismatch());
    return total;
}

QByteArray Tlzrw1::compress(QByteArrayView text)
{
    QByteArray source = text.toByteArray();
    QBuffer input(&source);
    QByteArray result;
    QBuffer output(&result);
    try {
        compress(input, output, QString(), QString());
    } catch (const std::bad_alloc &) {
        throw ELzrw1Exception(Lzrw1Error::ioBuffers());
    }
    return result;
}

QByteArray Tlzrw1::decompress(QByteArrayView container, const QString &name)
{
    QByteArray source = container.toByteArray();
    QBuffer input(&source);
    QByteArray result;
    QBuffer output(&result);
    try {
        decompress(input, output, name, QString());
    } catch (const std::bad_alloc &) {
        throw ELzrw1Exception(Lzrw1Error::ioBuffers());
    }
    return result;
}
