#include "host/tserver.h"

#include "protocol/catalogue.h"
#include "rules/dicerandom.h"

#include <QHostAddress>
#include <QNetworkProxy>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>

namespace {

const QString kSocketClosed = QStringLiteral("Socket Closed");

constexpr int kDispatchIntervalMs = 10;
constexpr int kTimer1StartIntervalMs = 500;
constexpr int kListenBacklog = 5;
constexpr qint64 kReadChunk = 32768;
// What the socket may hold that we have not read: while a connection's queue is full, it
// stops taking from the system at this much, and TCP holds back the sender.
constexpr qint64 kSocketReadBuffer = 2 * kReadChunk;
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
    log_.setLabel("Host");
    Sock1->setListenBacklogSize(kListenBacklog);
    // Players connect to this machine's own port; no proxy listens for it.
    Sock1->setProxy(QNetworkProxy::NoProxy);
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
    if (!game::isSlot(slot) || !connections_[slot].sock)
        return;
    // Without a word the removed player's window could not tell a removal from a lost line.
    engine_.tellRemoved(slot);
    closeSocket(connections_[slot].sock);
}

void TServer::closeTable()
{
    if (tableClosing_)
        return;
    tableClosing_ = true;
    Sock1->close();
    Timer1.stop();
    socktimer.stop();
    engine_.tellHostLeaving();
    for (int slot = 1; slot <= game::kSlots; ++slot) {
        QTcpSocket *socket = connections_[slot].sock;
        if (!socket)
            continue;
        // Closed here for good: no clean-up runs for it, and nothing more is sent to it.
        socket->disconnect(this);
        connections_[slot].sock = nullptr;
        queues_.discard(slot);
        ++stillClosing_;
        connect(socket, &QObject::destroyed, this, &TServer::oneLeftTheTable);
        closeGracefully(socket);
    }
    if (stillClosing_ == 0) {
        emit tableClosed();
        return;
    }
    // A peer that does not read must not keep the hosting copy from ending.
    QTimer::singleShot(kExitGraceMs, this, [this] {
        if (stillClosing_ > 0) {
            stillClosing_ = 0;
            emit tableClosed();
        }
    });
}

void TServer::oneLeftTheTable()
{
    if (stillClosing_ > 0 && --stillClosing_ == 0)
        emit tableClosed();
}

void TServer::setHostClient(const QHostAddress &address, quint16 port)
{
    hostClientAddress_ = address;
    hostClientPort_ = port;
    engine_.keepSlotOneForHostUser();
}

void TServer::setHostClientPort(quint16 port)
{
    setHostClient(QHostAddress(QHostAddress::LocalHost), port);
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
    if (!game::isSlot(slot))
        return;
    Connection &connection = connections_[slot];
    QTcpSocket *socket = connection.sock;
    if (!socket || connection.dropping)
        return;
    socket->write(message);
    if (socket->bytesToWrite() <= kMaxUnsentBytes)
        return;
    // A peer that does not read would make us keep all we send it. Nothing waits for it: it
    // gets nothing more, and it is closed once the handler that is sending has finished
    // (closing it now would change the table under that handler's feet).
    connection.dropping = true;
    log("Host: slot " + QByteArray::number(slot) + " leaves more than "
        + QByteArray::number(kMaxUnsentBytes) + " bytes unread; closing it");
    QMetaObject::invokeMethod(this, [this, socket = QPointer<QTcpSocket>(socket)] {
        if (socket && slotOf(socket) != 0)
            closeSocket(socket, CloseMode::Abort);
    }, Qt::QueuedConnection);
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
        const int slot = engine_.acceptSlot(isHostUser(socket));
        if (slot == 0) {
            refuse(socket);
            continue;
        }
        Connection &connection = connections_[slot];
        connection.sock = socket;
        connection.framer.clear();
        connection.dropping = false;
        socket->setReadBufferSize(kSocketReadBuffer);
        QTimer::singleShot(loginTimeoutMs_, socket, [this, socket] { loginTimedOut(socket); });
        connect(socket, &QIODevice::readyRead, this, [this, socket] { Sock1Read(socket); });
        connect(socket, &QAbstractSocket::disconnected, this, [this, socket] { tempsockDisconnect(socket); });
        connect(socket, &QAbstractSocket::errorOccurred, this, [this, socket] {
            tempsockInfo(socket, socket->errorString());
            // A reset connection may end without a separate disconnect report.
            if (socket->state() == QAbstractSocket::UnconnectedState)
                tempsockDisconnect(socket);
        });
        sendToSlot(slot, wire::LoginAsk{slot}.encode());
    }
}

void TServer::refuse(QTcpSocket *socket)
{
    socket->write(wire::Notice{wire::Word::full}.encode());
    closeGracefully(socket);
}

void TServer::Sock1Read(QTcpSocket *socket)
{
    const int slot = slotOf(socket);
    if (slot == 0) {
        socket->readAll();
        return;
    }
    // Messages go from the socket through the framer into the slot's queue only while the
    // queue has room; a paused slot leaves the rest where it is (the framer holds at most one
    // read beyond the queue, the socket kSocketReadBuffer), and the dispatcher calls this
    // again when it resumes, since bytes the socket already holds bring no new readyRead.
    MessageFramer &framer = connections_[slot].framer;
    for (;;) {
        while (!queues_.paused(slot)) {
            std::optional<QByteArray> message = framer.take();
            if (!message)
                break;
            queues_.append(slot, std::move(*message));
        }
        if (queues_.paused(slot) || socket->bytesAvailable() <= 0)
            break;
        framer.append(socket->read(kReadChunk));
        if (framer.overLimit()) {
            log("Host: slot " + QByteArray::number(slot) + " sent a message over "
                + QByteArray::number(qlonglong(MessageFramer::kMaxPending)) + " bytes; closing it");
            closeSocket(socket);
            break;
        }
    }
    if (!queues_.isEmpty())
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
    if (std::optional<ReceiveQueues::Entry> entry = queues_.takeNext()) {
        QTcpSocket *socket = connections_[entry->slot].sock;
        engine_.dispatch(entry->message, entry->slot, socket && isHostUser(socket));
        // A handler never closes a connection itself (a slow reader's close waits for the
        // event loop), so the socket is still the slot's: its queue has room again, and what
        // the socket and the framer already hold is taken now.
        if (entry->resumed && socket && slotOf(socket) == entry->slot)
            Sock1Read(socket);
    }
    if (queues_.isEmpty())
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
    connections_[slot].dropping = false;
    queues_.discard(slot);
    engine_.slotClosed(slot);
}

void TServer::closeSocket(QTcpSocket *socket, CloseMode mode)
{
    socket->disconnect(this);
    if (mode == CloseMode::Abort) {
        socket->abort();
        socket->deleteLater();
    } else {
        closeGracefully(socket);
    }
    tempsockInfo(socket, kSocketClosed);
}

void TServer::loginTimedOut(QTcpSocket *socket)
{
    const int slot = slotOf(socket);
    if (slot == 0 || engine_.table().loggedIn(slot))
        return;
    log("Host: slot " + QByteArray::number(slot) + " did not log in within "
        + QByteArray::number(loginTimeoutMs_) + " ms; closing it");
    closeSocket(socket);
}

void TServer::log(const QByteArray &line)
{
    log_.write(monotonicMs(), line);
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
    return hostClientPort_ != 0 && socket->peerPort() == hostClientPort_
           && socket->peerAddress().isEqual(hostClientAddress_, QHostAddress::ConvertV4MappedToIPv4);
}
