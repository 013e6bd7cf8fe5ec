#pragma once

#include "common/environment.h"
#include "common/ratelimiter.h"
#include "host/hostcontrols.h"
#include "host/hostengine.h"
#include "host/receivequeues.h"
#include "protocol/messageframer.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>
#include <array>

class QTcpServer;
class QTcpSocket;

// The host: listens for the game's connections, gives each a slot, queues what they send and
// feeds it to the engine one message per tick, and carries the engine's messages back out.
// The engine decides everything; this class only adapts it to sockets and timers.
//
// No one connection can take the table down: each has its own bounded queue and the
// dispatcher takes from them in turn (ReceiveQueues); a connection whose queue is full is not
// read until half of it has been handled; a message over MessageFramer::kMaxPending bytes, a
// connection that does not log in within the login timeout, and one that leaves more than
// kMaxUnsentBytes unread are closed.
class TServer : public QObject, public HostOutput, public HostControls {
    Q_OBJECT

public:
    static constexpr int kLoginTimeoutMs = 30000;
    static constexpr qint64 kMaxUnsentBytes = 1024 * 1024;

    explicit TServer(QObject *parent = nullptr);
    ~TServer() override;

    // Switches the listener on (all local IPv4 addresses unless told otherwise, backlog 5). On
    // failure returns false and sets *errorText to "Listen - Error Binding Socket" (bind failed)
    // or "Listen - Error Starting Listen". A solo game listens on the loopback address only, so
    // nobody else can take a seat in it; a hosting copy listens on every IPv4 address.
    bool startListening(QString *errorText, quint16 port = Environment::gamePort(),
                        const QHostAddress &address = QHostAddress(QHostAddress::AnyIPv4)) override;
    quint16 serverPort() const;          // the port actually listened on (tests listen on 0)
    void disconnectsock(int slot) override;
    // The local address and port of the hosting user's own client socket: the connection whose
    // far end is exactly this endpoint is the hosting user's. No other socket can have the
    // same endpoint while that one is connected; a port alone could be bound on another
    // local address by anybody. From then on slot 1 is given to that connection only.
    void setHostClient(const QHostAddress &address, quint16 port) override;
    // The same for a client that connected to 127.0.0.1 from this port.
    void setHostClientPort(quint16 port);
    // How long a connection may take to log in before it is closed (for tests).
    void setLoginTimeout(int milliseconds) { loginTimeoutMs_ = milliseconds; }
    void setTimer1Interval(int milliseconds) override;   // the computer-player speed
    int timer1Interval() const;
    bool timer1Active() const { return Timer1.isActive(); }
    HostEngine &engine();

    // Messages waiting for the dispatcher, of all connections or of one slot.
    qsizetype queuedMessages() const { return queues_.size(); }
    qsizetype queuedMessages(int slot) const { return queues_.size(slot); }
    // The slot's connection is not read until its queue has room again.
    bool readingPaused(int slot) const { return queues_.paused(slot); }
    bool dispatcherRunning() const { return socktimer.isActive(); }

    // HostOutput
    void sendToSlot(int slot, const QByteArray &message) override;
    void setTimer1Enabled(bool enabled) override;

private slots:
    void Sock1Accept();
    void socktimerTimer();

private:
    struct Connection {
        QTcpSocket *sock = nullptr;
        MessageFramer framer;
        bool dropping = false;   // being closed: nothing more is written to it
    };
    enum class CloseMode { Graceful, Abort };

    void Sock1Read(QTcpSocket *socket);
    void startDispatcher();
    void tempsockDisconnect(QTcpSocket *socket);
    void tempsockInfo(QTcpSocket *socket, const QString &msg);
    void refuse(QTcpSocket *socket);
    void closeSocket(QTcpSocket *socket, CloseMode mode = CloseMode::Graceful);
    void loginTimedOut(QTcpSocket *socket);
    void log(const QByteArray &line);
    int slotOf(const QTcpSocket *socket) const;
    bool isHostUser(const QTcpSocket *socket) const;

    QTcpServer *Sock1;
    std::array<Connection, HostEngine::kMaxSlots + 1> connections_;  // indices 1..9
    // Each connection's messages waiting for the dispatcher. A message is always handled for
    // the slot whose queue it was in, and a queue goes when its connection closes, so a closed
    // connection's leftovers never speak for a newcomer in its slot.
    ReceiveQueues queues_;
    QTimer socktimer;
    QElapsedTimer lastDispatch_;   // invalid until the first message is handled
    QTimer Timer1;
    QHostAddress hostClientAddress_;
    quint16 hostClientPort_ = 0;
    int loginTimeoutMs_ = kLoginTimeoutMs;
    // The host's own reports of closed connections, which any peer can provoke over and over.
    LogLimiter log_;
    HostEngine engine_;
};
