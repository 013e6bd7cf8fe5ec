#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <functional>

// Lets at most `limit` events through in each window of `windowMs` milliseconds. Windows are
// fixed: the first event after one has ended opens the next. The caller passes the time, so
// a test steps it by hand and nothing here sleeps or starts a timer.
class RateLimiter {
public:
    explicit RateLimiter(int limit = 10, qint64 windowMs = 1000) : limit_(limit), windowMs_(windowMs) {}

    // One event at nowMs (a monotonic clock): true when it may go, false when it is over the
    // limit of its window.
    bool allow(qint64 nowMs);
    // Forgets the current window.
    void reset() { started_ = false; }

private:
    int limit_;
    qint64 windowMs_;
    qint64 windowStart_ = 0;
    int used_ = 0;
    bool started_ = false;
};

// Log lines of one source through a RateLimiter: at most `limit` lines a window; the lines
// over it are counted, and one summary line ("<label>: N more lines not shown") goes out with
// the first line after their window has ended, or at flush().
class LogLimiter {
public:
    using Sink = std::function<void(const QByteArray &line)>;

    // The sink defaults to qWarning.
    explicit LogLimiter(int limit = 10, qint64 windowMs = 1000, Sink sink = {});

    void setLabel(const QByteArray &label) { label_ = label; }
    void write(qint64 nowMs, const QByteArray &line);
    // Writes the summary of the lines held back so far, if there are any.
    void flush();
    // Starts afresh, dropping the count of lines held back.
    void reset();

    qint64 heldBack() const { return heldBack_; }

private:
    RateLimiter rate_;
    Sink sink_;
    QByteArray label_;
    qint64 heldBack_ = 0;
};

// Milliseconds of a monotonic clock, for the limiters' callers.
qint64 monotonicMs();
