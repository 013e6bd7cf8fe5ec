#include "protocol/message.h"

#include <QString>

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

std::optional<Command> splitCommand(QByteArrayView entry)
{
    const qsizetype plus = entry.indexOf('+');
    if (plus <= 0)
        return std::nullopt;
    return Command{entry.first(plus).toByteArray(), entry.sliced(plus + 1).toByteArray()};
}

QString fromWire(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes);
}

QByteArray toWire(const QString &text)
{
    return text.toLatin1();
}
