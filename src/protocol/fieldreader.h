#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <stdexcept>
#include <string>

// Thrown when a numeric field does not convert; it stops the handling of that one message.
class FieldError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Takes the fields of a message's data one at a time from the front. The last field is
// whatever remains and may itself contain "+".
class FieldReader {
public:
    explicit FieldReader(QByteArrayView data) : rest_(data) {}

    // Text up to the next "+" (or the rest when there is none); drops it and that "+".
    QByteArray takeText();
    // The same field converted strictly to a 32-bit integer: optional "-", decimal digits,
    // nothing else. Throws FieldError otherwise.
    int takeInt();
    // Everything not taken yet.
    QByteArray rest() const { return rest_.toByteArray(); }
    QByteArrayView restView() const { return rest_; }
    bool atEnd() const { return rest_.isEmpty(); }

    // The strict conversion on its own.
    static int toInt(QByteArrayView text);

private:
    QByteArrayView rest_;
};
