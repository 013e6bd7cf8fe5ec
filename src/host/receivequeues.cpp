#include "host/receivequeues.h"

void ReceiveQueues::append(int slot, QByteArray message)
{
    // The command word is the text before the first "+"; without one the entry is ignored.
    if (!valid(slot) || message.indexOf('+') <= 0)
        return;
    Queue &queue = queues_[std::size_t(slot)];
    queue.bytes += message.size();
    queue.messages.append(std::move(message));
    ++total_;
    if (queue.messages.size() >= kMaxMessages || queue.bytes >= kMaxBytes)
        queue.paused = true;
}

std::optional<ReceiveQueues::Entry> ReceiveQueues::takeNext()
{
    if (total_ == 0)
        return std::nullopt;
    for (int step = 1; step <= game::kSlots; ++step) {
        const int slot = (lastServed_ + step - 1) % game::kSlots + 1;
        Queue &queue = queues_[std::size_t(slot)];
        if (queue.messages.isEmpty())
            continue;
        lastServed_ = slot;
        // Taking the first of a QList moves nothing.
        Entry entry{slot, queue.messages.takeFirst(), false};
        queue.bytes -= entry.message.size();
        --total_;
        if (queue.paused && queue.messages.size() <= kMaxMessages / 2
            && queue.bytes <= kMaxBytes / 2) {
            queue.paused = false;
            entry.resumed = true;
        }
        return entry;
    }
    return std::nullopt;
}

void ReceiveQueues::discard(int slot)
{
    if (!valid(slot))
        return;
    Queue &queue = queues_[std::size_t(slot)];
    total_ -= queue.messages.size();
    queue = Queue{};
}
