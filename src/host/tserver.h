#pragma once

#include "common/environment.h"
#include "host/hostengine.h"
#include "protocol/messageframer.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <array>

class QTcpServer;
class QTcpSocket;

// The host: listens for the game's connections, gives each a slot, queues what they send and
// feeds it to the engine one message per tick, and carries the engine's messages back out.
// The engine decides everything; this class only adapts it to sockets and timers.
class TServer : public QObject, public HostOutput {
    Q_OBJECT

public:
    explicit TServer(QObject *parent = nullptr);
    ~TServer() override;

    // Switches the listener on (all local IPv4 addresses, backlog 5). On failure returns false and
    // sets *errorText to "Listen - Error Binding Socket" (bind failed) or "Listen - Error Starting Listen".
    // A solo game listens on the loopback address only, so nobody else can take a seat in it;
    // a hosting copy listens on every IPv4 address.
    bool startListening(QString *errorText, quint16 port = Environment::gamePort(),
                        const QHostAddress &address = QHostAddress(QHostAddress::AnyIPv4));
    quint16 serverPort() const;          // the port actually listened on (tests listen on 0)
    void disconnectsock(int slot);       // closes a connected slot; nothing for a free slot
    // The local port of the hosting user's own client socket, so its connection is known as the
    // hosting user's (its peer is on loopback and comes from this port).
    void setHostClientPort(quint16 port);
    void setTimer1Interval(int milliseconds);   // the computer-player speed
    int timer1Interval() const;
    HostEngine &engine();

    // Messages waiting for the dispatcher.
    qsizetype queuedMessages() const { return receivedlist.size(); }
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
    };
    // A message and the connection it arrived on; the connection decides whose it is when it
    // is handled, so a closed connection's leftovers never speak for a newcomer in its slot.
    struct Received {
        QPointer<QTcpSocket> connection;
        QByteArray message;
    };

    void Sock1Read(QTcpSocket *socket);
    void startDispatcher();
    void tempsockDisconnect(QTcpSocket *socket);
    void tempsockInfo(QTcpSocket *socket, const QString &msg);
    void refuse(QTcpSocket *socket);
    void closeSocket(QTcpSocket *socket);
    int slotOf(const QTcpSocket *socket) const;
    bool isHostUser(const QTcpSocket *socket) const;

    QTcpServer *Sock1;
    std::array<Connection, HostEngine::kMaxSlots + 1> connections_;  // indices 1..9
    QList<Received> receivedlist;
    QTimer socktimer;
    QElapsedTimer lastDispatch_;   // invalid until the first message is handled
    QTimer Timer1;
    quint16 hostClientPort_ = 0;
    HostEngine engine_;
};
