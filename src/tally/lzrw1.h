#pragma once

#include "tally/lzrw1error.h"
#include "tally/lzrw1kh.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class QIODevice;

// The compressed container: the method id "WRZL", the text's length as 32 bits, then one
// chunk (a 16-bit length and an LZRW1/KH block) per 32768-byte piece, all little-endian.
// Every failure raises ELzrw1Exception with its text.
class Tlzrw1 {
public:
    static constexpr char kMethodId[] = "WRZL";
    // The size field's 32 bits.
    static constexpr qint64 kLargestText = 0xFFFFFFFF;

    QByteArray compress(QByteArrayView text);
    // `name` is the container's file, for the failure texts. A container that announces more
    // than `largest` bytes of text is refused before anything is decoded.
    QByteArray decompress(QByteArrayView container, const QString &name, qint64 largest = kLargestText);

    // The same between devices; those not open yet are opened here. The names go into the
    // texts. A failure may leave a partial result in `output`: give it a QSaveFile to keep
    // the old file. Each returns the bytes written.
    qint64 compress(QIODevice &input, QIODevice &output, const QString &inputName,
                    const QString &outputName);
    qint64 decompress(QIODevice &input, QIODevice &output, const QString &inputName,
                      const QString &outputName);

private:
    TLZR coder_;
};
