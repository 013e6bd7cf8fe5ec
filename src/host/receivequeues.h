#pragma once

#include <QByteArray>
#include <QList>

#include <array>
#include <optional>

#include "common/gameconstants.h"

// The receive queue of every connection slot, and the order in which the dispatcher takes
// from them: in turn from each slot that has something waiting (round robin), each slot's
// messages in the order they came. So a connection that sends a lot waits for its own
// messages, and everyone else is served within one round whatever it sends.
//
// A slot whose queue reaches kMaxMessages messages or kMaxBytes bytes is paused: its reader
// takes nothing more from its connection (TCP then slows the sender) until half of it has
// been handled.
class ReceiveQueues {
public:
    static constexpr qsizetype kMaxMessages = 256;
    static constexpr qsizetype kMaxBytes = 256 * 1024;

    struct Entry {
        int slot = 0;
        QByteArray message;
        bool resumed = false;  // this take ended the pause of the slot: read from it again
    };

    // Queues a message of a slot. An entry that carries no command word (an empty one among
    // them) is dropped here, so it costs the dispatcher no tick.
    void append(int slot, QByteArray message);
    // The next message in turn: from the first slot after the one served last that has one.
    std::optional<Entry> takeNext();
    // Drops everything a slot has waiting (its connection closed) and its pause.
    void discard(int slot);

    bool paused(int slot) const { return valid(slot) && queues_[std::size_t(slot)].paused; }
    qsizetype size(int slot) const { return valid(slot) ? queues_[std::size_t(slot)].messages.size() : 0; }
    qsizetype bytes(int slot) const { return valid(slot) ? queues_[std::size_t(slot)].bytes : 0; }
    qsizetype size() const { return total_; }
    bool isEmpty() const { return total_ == 0; }

private:
    struct Queue {
        QList<QByteArray> messages;
        qsizetype bytes = 0;
        bool paused = false;
    };
    static bool valid(int slot) { return game::isSlot(slot); }

    std::array<Queue, game::kSlots + 1> queues_;  // indices 1..9
    int lastServed_ = 0;
    qsizetype total_ = 0;
};
