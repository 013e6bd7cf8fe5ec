#include "host/tserver.h"

#include "protocol/message.h"
#include "rules/dicerandom.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>

namespace {

const QString kSocketClosed = QStringLiteral("Socket Closed");

constexpr int kDispatchIntervalMs = 10;
constexpr int kTimer1StartIntervalMs = 500;
constexpr int kListenBacklog = 5;
constexpr qint64 kReadChunk = 32768;
// A peer that stops reading must not keep a closed connection alive for ever.
constexpr int kCloseGraceMs = 5000;

bool isBindError(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::AddressInUseError:
    case QAbstractSocket::SocketAccessError:
    case QAbstractSocket::SocketAddressNotAvailableError:
    case QAbstractSocket::UnsupportedSocketOperationError:
        return true;
    default:
        return false;
    }
}

// Closes after what was already written has gone out, then frees the socket.
void closeGracefully(QTcpSocket *socket)
{
    QObject::connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
    socket->disconnectFromHost();
    if (socket->state() == QAbstractSocket::UnconnectedState)
        socket->deleteLater();
    else
        QTimer::singleShot(kCloseGraceMs, socket, &QAbstractSocket::abort);
}

} // namespace

TServer::TServer(QObject *parent)
    : QObject(parent), Sock1(new QTcpServer(this)), engine_(*this, DiceRandom::shared())
{
    Sock1->setListenBacklogSize(kListenBacklog);
    connect(Sock1, &QTcpServer::newConnection, this, &TServer::Sock1Accept);

    // The dispatcher only runs while something waits in the queue, so an idle host costs nothing.
    socktimer.setInterval(kDispatchIntervalMs);
    connect(&socktimer, &QTimer::timeout, this, &TServer::socktimerTimer);

    Timer1.setInterval(kTimer1StartIntervalMs);
    Timer1.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, [this] { engine_.Timer1Timer(); });
}

TServer::~TServer()
{
    // The sockets outlive this object's members (they are the listener's children); they must
    // not report their closing to an engine that is already gone.
    for (QTcpSocket *socket : Sock1->findChildren<QTcpSocket *>())
        socket->disconnect(this);
}

bool TServer::startListening(QString *errorText, quint16 port, const QHostAddress &address)
{
    if (Sock1->isListening())
        return true;
    if (Sock1->listen(address, port))
        return true;
    if (errorText) {
        *errorText = isBindError(Sock1->serverError())
                         ? QStringLiteral("Listen - Error Binding Socket")
                         : QStringLiteral("Listen - Error Starting Listen");
    }
    return false;
}

quint16 TServer::serverPort() const
{
    return Sock1->serverPort();
}

void TServer::disconnectsock(int slot)
{
    if (HostEngine::isSlot(slot) && connections_[slot].sock)
        closeSocket(connections_[slot].sock);
}

void TServer::setHostClientPort(quint16 port)
{
    hostClientPort_ = port;
}

void TServer::setTimer1Interval(int milliseconds)
{
    Timer1.setInterval(milliseconds);
}

int TServer::timer1Interval() const
{
    return Timer1.interval();
}

HostEngine &TServer::engine()
{
    return engine_;
}

void TServer::sendToSlot(int slot, const QByteArray &message)
{
    if (HostEngine::isSlot(slot) && connections_[slot].sock)
        connections_[slot].sock->write(message);
}

void TServer::setTimer1Enabled(bool enabled)
{
    if (enabled)
        Timer1.start();
    else
        Timer1.stop();
}

void TServer::Sock1Accept()
{
    while (QTcpSocket *socket = Sock1->nextPendingConnection()) {
        const int slot = engine_.acceptSlot();
        if (slot == 0) {
            refuse(socket);
            continue;
        }
        Connection &connection = connections_[slot];
        connection.sock = socket;
        connection.framer.clear();
        connect(socket, &QIODevice::readyRead, this, [this, socket] { Sock1Read(socket); });
        connect(socket, &QAbstractSocket::disconnected, this, [this, socket] { tempsockDisconnect(socket); });
        connect(socket, &QAbstractSocket::errorOccurred, this, [this, socket] {
            tempsockInfo(socket, socket->errorString());
            // A reset connection may end without a separate disconnect report.
            if (socket->state() == QAbstractSocket::UnconnectedState)
                tempsockDisconnect(socket);
        });
        engine_.sendTo(slot, MessageBuilder("CMD_sendlogininfo").field(slot).finish());
    }
}

void TServer::refuse(QTcpSocket *socket)
{
    socket->write(MessageBuilder("CMD_full").field("").finish());
    closeGracefully(socket);
}

void TServer::Sock1Read(QTcpSocket *socket)
{
    const int slot = slotOf(socket);
    if (slot == 0) {
        socket->readAll();
        return;
    }
    MessageFramer &framer = connections_[slot].framer;
    while (socket->bytesAvailable() > 0) {
        const QByteArray chunk = socket->read(kReadChunk);
        for (const QByteArray &message : framer.feed(chunk))
            receivedlist.append(Received{socket, message});
        if (framer.overLimit()) {
            qWarning("Host: slot %d sent more than %lld bytes without a terminator; closing it",
                     slot, qlonglong(MessageFramer::kMaxPending));
            closeSocket(socket);
            break;
        }
    }
    if (!receivedlist.isEmpty())
        startDispatcher();
}

void TServer::startDispatcher()
{
    if (socktimer.isActive())
        return;
    // A message that finds the dispatcher idle need not wait a whole tick: it is handled as
    // soon as a tick has passed since the last one handled, which may be at once.
    const qint64 since = lastDispatch_.isValid() ? lastDispatch_.elapsed() : kDispatchIntervalMs;
    socktimer.start(int(std::clamp<qint64>(kDispatchIntervalMs - since, 0, kDispatchIntervalMs)));
}

void TServer::socktimerTimer()
{
    lastDispatch_.start();
    if (!receivedlist.isEmpty()) {
        const Received entry = receivedlist.takeFirst();
        if (const int slot = slotOf(entry.connection))
            engine_.dispatch(entry.message, slot, isHostUser(entry.connection));
    }
    if (receivedlist.isEmpty())
        socktimer.stop();
    else if (socktimer.interval() != kDispatchIntervalMs)
        socktimer.start(kDispatchIntervalMs);
}

void TServer::tempsockDisconnect(QTcpSocket *socket)
{
    if (slotOf(socket) != 0)
        closeSocket(socket);
}

void TServer::tempsockInfo(QTcpSocket *socket, const QString &msg)
{
    if (msg != kSocketClosed)
        return;
    const int slot = slotOf(socket);
    if (slot == 0)
        return;
    connections_[slot].sock = nullptr;
    connections_[slot].framer.clear();
    engine_.slotClosed(slot);
}

void TServer::closeSocket(QTcpSocket *socket)
{
    socket->disconnect(this);
    closeGracefully(socket);
    tempsockInfo(socket, kSocketClosed);
}

int TServer::slotOf(const QTcpSocket *socket) const
{
    if (!socket)
        return 0;
    for (int slot = 1; slot <= HostEngine::kMaxSlots; ++slot) {
        if (connections_[slot].sock == socket)
            return slot;
    }
    return 0;
}

bool TServer::isHostUser(const QTcpSocket *socket) const
{
    return hostClientPort_ != 0 && socket->peerAddress().isLoopback()
           && socket->peerPort() == hostClientPort_;
}
