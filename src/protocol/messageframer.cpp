#include "protocol/messageframer.h"

#include "protocol/message.h"

QList<QByteArray> MessageFramer::feed(QByteArrayView bytes)
{
    pending_.append(bytes);
    QList<QByteArray> messages;
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = pending_.indexOf(kTerminator, start);
        if (end < 0)
            break;
        messages.append(pending_.sliced(start, end - start));
        start = end + 1;
    }
    if (start > 0)
        pending_.remove(0, start);
    return messages;
}
