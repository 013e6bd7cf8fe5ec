#include "common/ratelimiter.h"

#include <QtGlobal>

#include <chrono>

bool RateLimiter::allow(qint64 nowMs)
{
    if (!started_ || nowMs - windowStart_ >= windowMs_ || nowMs < windowStart_) {
        started_ = true;
        windowStart_ = nowMs;
        used_ = 0;
    }
    if (used_ >= limit_)
        return false;
    ++used_;
    return true;
}

LogLimiter::LogLimiter(int limit, qint64 windowMs, Sink sink)
    : rate_(limit, windowMs), sink_(std::move(sink))
{
    if (!sink_)
        sink_ = [](const QByteArray &line) { qWarning("%s", line.constData()); };
}

void LogLimiter::write(qint64 nowMs, const QByteArray &line)
{
    if (rate_.allow(nowMs)) {
        // A new window (or room left in the old one): what the last one held back is told first.
        flush();
        sink_(line);
    } else {
        ++heldBack_;
    }
}

void LogLimiter::flush()
{
    if (heldBack_ == 0)
        return;
    const QByteArray prefix = label_.isEmpty() ? QByteArray() : label_ + ": ";
    sink_(prefix + QByteArray::number(heldBack_) + " more lines not shown");
    heldBack_ = 0;
}

void LogLimiter::reset()
{
    rate_.reset();
    heldBack_ = 0;
}

qint64 monotonicMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
