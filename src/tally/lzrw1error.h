#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// An error whose text is shown to the user as it stands.
class TextError : public std::exception {
public:
    explicit TextError(QString text)
        : text_(std::move(text))
        , utf8_(text_.toUtf8())
    {
    }
    const QString &text() const { return text_; }
    const char *what() const noexcept override { return utf8_.constData(); }

private:
    QString text_;
    QByteArray utf8_;
};

// Raised by the compressor.
class ELzrw1Exception : public TextError {
public:
    using TextError::TextError;
};

// The coder could not get its hash table.
class ELzrw1KHCompressor : public ELzrw1Exception {
public:
    using ELzrw1Exception::ELzrw1Exception;
};

namespace Lzrw1Error {

inline QString ioBuffers() { return QStringLiteral("Lzrw1 (de)compression : Failed to get memory for I/O buffers !"); }
inline QString sizeUnknown(const QString &path) { return QStringLiteral("Lzrw1 compression : Failed to obtain the size of : ") + path; }
inline QString openInput(const QString &path) { return QStringLiteral("Lzrw1 (de)compression : Failed to open input file : ") + path; }
inline QString openOutput(const QString &path) { return QStringLiteral("Lzrw1 (de)compression : Failed to open output file : ") + path; }
inline QString readWhileCompressing(const QString &path) { return QStringLiteral("Lzrw1 : Error reading from input file : ") + path + QStringLiteral(" (LZRW1/KH)"); }
inline QString shortRead(const QString &path) { return QStringLiteral("Lzrw1 : Error reading from input file : ") + path; }
inline QString shortWrite(const QString &path) { return QStringLiteral("Lzrw1 : Error writing to output file : ") + path; }
inline QString noHeader(const QString &path) { return path + QStringLiteral(" : Lzrw1 decompression : this file has no valid header !"); }
inline QString sizeMismatch() { return QStringLiteral("Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !"); }
inline QString tooLarge(const QString &path, qint64 size, qint64 largest)
{
    return path + QStringLiteral(" : Lzrw1 decompression : the file would unpack to %1 bytes, more than the %2 allowed !")
                      .arg(size)
                      .arg(largest);
}
inline QString hashTable() { return QStringLiteral("LZRW1KH : no memory for HASH table"); }

} // namespace Lzrw1Error
