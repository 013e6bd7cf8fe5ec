#include "protocol/messageframer.h"

#include "protocol/message.h"

QList<QByteArray> MessageFramer::feed(QByteArrayView bytes)
{
    append(bytes);
    QList<QByteArray> messages;
    while (std::optional<QByteArray> message = take())
        messages.append(std::move(*message));
    return messages;
}

void MessageFramer::append(QByteArrayView bytes)
{
    if (overLimit_)
        return;
    const qsizetype from = pending_.size();
    pending_.append(bytes);
    // Every message the new bytes complete is measured here, so that a long one is refused
    // whether it came in one read or in many. The messages before it can still be taken.
    for (qsizetype end = pending_.indexOf(kTerminator, from); end >= 0;
         end = pending_.indexOf(kTerminator, end + 1)) {
        if (end - tailStart_ > kMaxPending) {
            overLimit_ = true;
            break;
        }
        tailStart_ = end + 1;
    }
    if (pending_.size() - tailStart_ > kMaxPending)
        overLimit_ = true;
    if (overLimit_)
        pending_.truncate(tailStart_);
}

std::optional<QByteArray> MessageFramer::take()
{
    const qsizetype end = start_ < tailStart_ ? pending_.indexOf(kTerminator, start_) : -1;
    if (end < 0) {
        // Nothing complete is left: drop what has been taken.
        pending_.remove(0, start_);
        tailStart_ -= start_;
        start_ = 0;
        return std::nullopt;
    }
    QByteArray message = pending_.sliced(start_, end - start_);
    start_ = end + 1;
    return message;
}

void MessageFramer::clear()
{
    pending_.clear();
    start_ = tailStart_ = 0;
    overLimit_ = false;
}
