#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Every message ends with this byte; it can never appear inside one.
inline constexpr char kTerminator = char(0xFF);

// Builds "word+field+field..." and ends it with the terminator. Each field is preceded by
// "+", so a message with one empty field is "word+" and a trailing empty field leaves the
// final "+" that some messages carry.
class MessageBuilder {
public:
    explicit MessageBuilder(QByteArrayView word)
    {
        // Room for most messages, so that building one costs a single allocation.
        text_.reserve(word.size() + 96);
        text_.append(word);
    }

    MessageBuilder &field(QByteArrayView text);
    MessageBuilder &field(qint64 number);
    // Appends text to the last field without a separator.
    MessageBuilder &append(QByteArrayView text);
    MessageBuilder &append(qint64 number);

    // The framed message, terminator included.
    QByteArray finish() const;
    // The text so far, without terminator.
    const QByteArray &text() const { return text_; }

private:
    QByteArray text_;
};

// A received field as it may go into a log line: in single quotes, at most maxChars of it
// (then "..."), every byte outside printable ASCII and the quote and backslash written as
// \xNN, so that what a peer sends can neither flood the log nor steer the terminal.
QByteArray quotedForLog(QByteArrayView field, qsizetype maxChars = 40);

// Text a peer wrote, as it may be passed on or shown: every control character (below 0x20,
// 0x7F, and 0x80..0x9F, which single-byte text on the wire reads as the C1 controls) becomes
// a space, so that a line break inside a chat line or a name can never start a line of its
// own in anyone's chat.
QByteArray withoutControls(QByteArrayView text);
QString withoutControls(QString text);

// Text on the wire is single-byte; these keep every byte as one character and back.
QString fromWire(QByteArrayView bytes);
QByteArray toWire(const QString &text);
