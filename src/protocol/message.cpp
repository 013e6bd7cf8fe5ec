#include "protocol/message.h"

#include <QString>

#include <algorithm>
#include <charconv>

MessageBuilder &MessageBuilder::field(QByteArrayView text)
{
    text_.append('+');
    text_.append(text);
    return *this;
}

MessageBuilder &MessageBuilder::field(qint64 number)
{
    text_.append('+');
    return append(number);
}

MessageBuilder &MessageBuilder::append(QByteArrayView text)
{
    text_.append(text);
    return *this;
}

MessageBuilder &MessageBuilder::append(qint64 number)
{
    // Written in place: numbers are most of what the host sends.
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    text_.append(digits, qsizetype(end - digits));
    return *this;
}

QByteArray MessageBuilder::finish() const
{
    QByteArray framed;
    framed.reserve(text_.size() + 1);
    framed.append(text_);
    framed.append(kTerminator);
    return framed;
}

QString fromWire(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes);
}

QByteArray toWire(const QString &text)
{
    return text.toLatin1();
}

namespace {

constexpr bool isControl(unsigned code)
{
    return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

} // namespace

QByteArray withoutControls(QByteArrayView text)
{
    QByteArray clean(text.data(), text.size());
    for (char &c : clean) {
        if (isControl(static_cast<unsigned char>(c)))
            c = ' ';
    }
    return clean;
}

QString withoutControls(QString text)
{
    for (QChar &c : text) {
        if (isControl(c.unicode()))
            c = QLatin1Char(' ');
    }
    return text;
}

QByteArray quotedForLog(QByteArrayView field, qsizetype maxChars)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    const QByteArrayView shown = field.first(std::min(field.size(), maxChars));
    QByteArray quoted;
    quoted.reserve(shown.size() + 8);
    quoted.append('\'');
    for (const char c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '\\' && c != '\'') {
            quoted.append(c);
        } else {
            quoted.append("\\x");
            quoted.append(kHex[byte >> 4]);
            quoted.append(kHex[byte & 0xF]);
        }
    }
    quoted.append('\'');
    if (shown.size() < field.size())
        quoted.append("...");
    return quoted;
}
