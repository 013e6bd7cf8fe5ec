#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QQueue>

#include "protocol/messageframer.h"

class QTcpSocket;
class QTimer;

// Where the client's messages go; the connection below in the game, a recorder in tests.
class ClientOutput {
public:
    virtual ~ClientOutput() = default;
    // One framed message, terminator included.
    virtual void sendToHost(const QByteArray &message) = 0;
};

// The client's end of the game connection: the socket `sock`, the cutting of its bytes into
// the receive queue `receivedlist`, and `Timer1`, which takes one message off the queue per
// 1 ms tick. Timer1 runs only while there is work, so an idle game costs nothing.
//
// A host cannot make the client hold more than kMaxQueued messages or kMaxQueuedBytes: past
// either, reading stops until the dispatcher has worked off half of it (TCP then slows the
// host down). A message longer than MessageFramer::kMaxPending closes the connection, whether
// it came in one read or in many.
class ClientConnection : public QObject, public ClientOutput {
    Q_OBJECT

public:
    static constexpr qsizetype kMaxQueued = 10000;
    static constexpr qsizetype kMaxQueuedBytes = 16 * 1024 * 1024;

    explicit ClientConnection(QObject *parent = nullptr);
    ~ClientConnection() override;

    // Opens the socket towards the host (non-blocking); the outcome arrives as a signal.
    void open(const QHostAddress &address, quint16 port);
    // Binds the socket to a port of its own on this local address before open(), so that the
    // connection's endpoint is known before the host accepts it. False when that fails.
    bool bindLocal(const QHostAddress &address);
    void sendToHost(const QByteArray &message) override;

    // Bytes as they came from the socket: cut at each terminator into the queue.
    void receiveBytes(QByteArrayView bytes);
    // One tick of Timer1: hands the head of the queue to entryTaken, then reports the tick.
    void Timer1Timer();
    // Keeps Timer1 ticking while the caller counts ticks (the phrase lock), even with an
    // empty queue.
    void setTicksWanted(bool wanted);

    const QQueue<QByteArray> &receivedlist() const { return receivedlist_; }
    bool timer1Active() const;
    bool readingPaused() const { return paused_; }
    bool everConnected() const { return wasConnected_; }
    QTcpSocket *sock() const { return sock_; }
    // The client's own end of the connection, for the host to know its own user.
    QHostAddress localAddress() const;
    quint16 localPort() const;

signals:
    void connected();
    // The connection did not come up; errorText says why.
    void connectFailed(const QString &errorText);
    // The host closed a connection that had been up ("Socket Closed"), reported once every
    // message it sent before has been handed on: its last words tell why it closed.
    void closed();
    // The host sent a message too long to be one; the connection is closed.
    void inputTooLong();
    void entryTaken(const QByteArray &entry);
    // A message handed to the socket.
    void sent(const QByteArray &message);
    void ticked();

private:
    void useProxyFor(const QHostAddress &address);
    void sockRead();
    void sockError();
    void sockClosed();
    void closeOversized();
    void updateTimer1();
    bool queueFull() const;
    // Reports a close that waited for the queue, once the queue and the socket are empty.
    void reportCloseWhenDone();

    QTcpSocket *sock_ = nullptr;
    QTimer *Timer1 = nullptr;
    QElapsedTimer lastTick_;   // invalid until Timer1 first ticks
    MessageFramer framer_;
    QQueue<QByteArray> receivedlist_;
    qsizetype queuedBytes_ = 0;
    bool paused_ = false;
    bool ticksWanted_ = false;
    bool wasConnected_ = false;
    bool closePending_ = false;
};
