#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// Cuts a byte stream into messages at each 0xFF terminator; keeps the unfinished tail.
class MessageFramer {
public:
    // Appends received bytes and returns the messages they complete, in arrival order.
    // An empty message (two terminators in a row) comes back as an empty entry.
    QList<QByteArray> feed(QByteArrayView bytes);

    // A peer that never sends a terminator must not grow our memory without bound.
    bool overLimit() const { return pending_.size() > kMaxPending; }
    qsizetype pendingSize() const { return pending_.size(); }
    void clear() { pending_.clear(); }

    static constexpr qsizetype kMaxPending = 64 * 1024;

private:
    QByteArray pending_;
};
