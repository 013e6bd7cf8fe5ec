#pragma once

#include "protocol/messageframer.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTcpSocket>
#include <functional>

// A port that nothing listens on right now.
quint16 freePort();

// A bare game client for tests: speaks the framed wire protocol over a real socket and lets a
// test wait for what arrives without fixed sleeps. Everything runs on the test's own thread,
// so waiting keeps the event loop turning for a host in the same process.
class TestClient : public QObject {
    Q_OBJECT

public:
    static constexpr int kDefaultTimeoutMs = 20000;

    explicit TestClient(QObject *parent = nullptr);

    // Connects to the address and port and waits until the connection stands.
    bool connectTo(quint16 port, const QHostAddress &address = QHostAddress::LocalHost,
                   int timeoutMs = kDefaultTimeoutMs);
    // Sends one message with its terminator.
    void send(QByteArrayView message);
    // Sends bytes exactly as given.
    void sendRaw(QByteArrayView bytes);

    // The next message that arrived (without terminator), waiting up to timeoutMs; a null
    // QByteArray when none came.
    QByteArray nextMessage(int timeoutMs = kDefaultTimeoutMs);
    // Skips messages until one whose text starts with prefix; returns it, or a null
    // QByteArray when none came in time.
    QByteArray nextMessageStartingWith(QByteArrayView prefix, int timeoutMs = kDefaultTimeoutMs);
    // Waits until at least count messages are waiting.
    bool waitForMessages(qsizetype count, int timeoutMs = kDefaultTimeoutMs);
    bool hasPendingMessages() const { return !inbox_.isEmpty(); }
    QList<QByteArray> takeAll();

    bool waitForClosed(int timeoutMs = kDefaultTimeoutMs);
    bool isClosed() const { return closed_; }
    // Closes after what was sent has gone out, as a client that quits does.
    void close();

    quint16 localPort() const { return socket_.localPort(); }
    QTcpSocket &socket() { return socket_; }

    // Keeps the event loop turning until the condition holds or the time is up; returns the
    // condition's last value.
    static bool waitUntil(const std::function<bool()> &condition, int timeoutMs = kDefaultTimeoutMs);

private:
    void readAvailable();

    QTcpSocket socket_;
    MessageFramer framer_;
    QList<QByteArray> inbox_;
    bool closed_ = false;
};
