#include "protocol/fieldreader.h"

#include "protocol/message.h"

#include <limits>

namespace {

// The report names the field as a log may show it: short, and with no control bytes.
FieldError notAnInteger(QByteArrayView text)
{
    return FieldError((quotedForLog(text) + " is not a valid integer value").toStdString());
}

} // namespace

QByteArray FieldReader::takeText()
{
    const qsizetype plus = rest_.indexOf('+');
    if (plus < 0) {
        const QByteArray all = rest_.toByteArray();
        rest_ = {};
        return all;
    }
    const QByteArray field = rest_.first(plus).toByteArray();
    rest_ = rest_.sliced(plus + 1);
    return field;
}

int FieldReader::takeInt()
{
    return toInt(takeText());
}

int FieldReader::toInt(QByteArrayView text)
{
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && text.front() == '-';
    if (negative)
        i = 1;
    if (i >= text.size())
        throw notAnInteger(text);
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            throw notAnInteger(text);
        value = value * 10 + (c - '0');
        if (value > qint64(std::numeric_limits<int>::max()) + 1)
            throw notAnInteger(text);
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max())
        throw notAnInteger(text);
    return int(value);
}
