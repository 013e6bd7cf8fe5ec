#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

// Cuts a byte stream into messages at each 0xFF terminator; keeps the unfinished tail.
//
// No message may be longer than kMaxPending bytes, however the stream was split into reads:
// once a complete message or an unfinished tail is longer, overLimit() holds; the messages
// before that one still come out, nothing after it does until clear().
class MessageFramer {
public:
    // Appends received bytes and returns the messages they complete, in arrival order.
    // An empty message (two terminators in a row) comes back as an empty entry.
    QList<QByteArray> feed(QByteArrayView bytes);

    // The same in two steps, for a reader that takes messages only as fast as it can keep
    // them: append() keeps the bytes, take() hands out the next complete message.
    void append(QByteArrayView bytes);
    std::optional<QByteArray> take();

    bool overLimit() const { return overLimit_; }
    // Bytes held that have not been taken, complete messages included.
    qsizetype pendingSize() const { return pending_.size() - start_; }
    void clear();

    static constexpr qsizetype kMaxPending = 64 * 1024;

private:
    QByteArray pending_;
    qsizetype start_ = 0;      // where the first message not taken yet begins
    qsizetype tailStart_ = 0;  // just after the last terminator in pending_
    bool overLimit_ = false;
};
