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

    // Reads `input` to its end and writes the container to `output`; returns the bytes
    // written. Devices that are not open yet are opened here. The names go into the texts.
    // A failure leaves a partial container in `output`: give it a QSaveFile to keep the old one.
    qint64 compress(QIODevice &input, QIODevice &output, const QString &inputName,
                    const QString &outputName);

    // Reads a container from `input` and writes the text to `output`; returns its length.
    qint64 decompress(QIODevice &input, QIODevice &output, const QString &inputName,
                      const QString &outputName);

    QByteArray compress(QByteArrayView text);
    QByteArray decompress(QByteArrayView container, const QString &name);

private:
    TLZR coder_;
};
