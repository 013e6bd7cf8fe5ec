#include "session/clientconnection.h"

#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <utility>

namespace {

constexpr int kTimer1IntervalMs = 1;
// Enough for a burst of messages per read, little enough that a paused connection holds
// next to nothing in the socket's own buffer.
constexpr qint64 kReadBufferSize = 64 * 1024;

} // namespace

ClientConnection::ClientConnection(QObject *parent)
    : QObject(parent)
{
    sock_ = new QTcpSocket(this);
    sock_->setObjectName(QStringLiteral("sock"));
    sock_->setReadBufferSize(kReadBufferSize);
    connect(sock_, &QTcpSocket::connected, this, [this] {
        wasConnected_ = true;
        emit connected();
    });
    connect(sock_, &QTcpSocket::readyRead, this, &ClientConnection::sockRead);
    connect(sock_, &QTcpSocket::disconnected, this, &ClientConnection::sockClosed);
    connect(sock_, &QTcpSocket::errorOccurred, this, &ClientConnection::sockError);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kTimer1IntervalMs);
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, &ClientConnection::Timer1Timer);
}

ClientConnection::~ClientConnection()
{
    // A close reported while the owner tears down must not reach its handlers.
    disconnect(sock_, nullptr, this, nullptr);
}

void ClientConnection::open(const QHostAddress &address, quint16 port)
{
    wasConnected_ = false;
    closePending_ = false;
    framer_.clear();
    useProxyFor(address);
    sock_->connectToHost(address, port);
}

void ClientConnection::useProxyFor(const QHostAddress &address)
{
    // The own copy's host is reached directly: asking the desktop's proxy settings about a
    // loopback address only starts a lookup thread and its libraries.
    if (sock_->state() == QAbstractSocket::UnconnectedState)
        sock_->setProxy(address.isLoopback() ? QNetworkProxy::NoProxy : QNetworkProxy::DefaultProxy);
}

bool ClientConnection::bindLocal(const QHostAddress &address)
{
    useProxyFor(address);
    return sock_->bind(address, 0);
}

void ClientConnection::sendToHost(const QByteArray &message)
{
    if (sock_->state() != QAbstractSocket::UnconnectedState)
        sock_->write(message);
    emit sent(message);
}

QHostAddress ClientConnection::localAddress() const
{
    return sock_->localAddress();
}

quint16 ClientConnection::localPort() const
{
    return sock_->localPort();
}

void ClientConnection::sockRead()
{
    // While the queue is full the bytes wait in the socket, and then in the kernel. What the
    // socket still holds after the host closed is read all the same.
    while (!paused_ && sock_->bytesAvailable() > 0)
        receiveBytes(sock_->read(kReadBufferSize));
    reportCloseWhenDone();
}

void ClientConnection::receiveBytes(QByteArrayView bytes)
{
    for (QByteArray &message : framer_.feed(bytes)) {
        if (message.size() > MessageFramer::kMaxPending) {
            closeOversized();
            return;
        }
        queuedBytes_ += message.size();
        receivedlist_.enqueue(std::move(message));
    }
    if (framer_.overLimit()) {
        closeOversized();
        return;
    }
    if (queueFull())
        paused_ = true;
    updateTimer1();
}

bool ClientConnection::queueFull() const
{
    return receivedlist_.size() >= kMaxQueued || queuedBytes_ >= kMaxQueuedBytes;
}

void ClientConnection::closeOversized()
{
    // A host that never ends its message would fill our memory. What was queued before it
    // is still handled, so the user reads why the game stopped after everything else.
    framer_.clear();
    disconnect(sock_, nullptr, this, nullptr);
    sock_->abort();
    emit inputTooLong();
}

void ClientConnection::sockError()
{
    // A connection that never came up; a close after a working one is sockClosed's.
    if (!wasConnected_)
        emit connectFailed(sock_->errorString());
}

void ClientConnection::sockClosed()
{
    closePending_ = true;
    reportCloseWhenDone();
}

void ClientConnection::reportCloseWhenDone()
{
    if (!closePending_ || !receivedlist_.isEmpty() || sock_->bytesAvailable() > 0)
        return;
    closePending_ = false;
    emit closed();
}

void ClientConnection::setTicksWanted(bool wanted)
{
    ticksWanted_ = wanted;
    updateTimer1();
}

bool ClientConnection::timer1Active() const
{
    return Timer1->isActive();
}

void ClientConnection::updateTimer1()
{
    const bool busy = !receivedlist_.isEmpty() || ticksWanted_;
    if (busy && !Timer1->isActive()) {
        // Work that finds the timer stopped is taken up as soon as a tick has passed since the
        // last one, which may be at once.
        const qint64 since = lastTick_.isValid() ? lastTick_.elapsed() : kTimer1IntervalMs;
        Timer1->start(int(std::clamp<qint64>(kTimer1IntervalMs - since, 0, kTimer1IntervalMs)));
    } else if (!busy && Timer1->isActive()) {
        Timer1->stop();
    }
}

void ClientConnection::Timer1Timer()
{
    lastTick_.start();
    if (Timer1->isActive() && Timer1->interval() != kTimer1IntervalMs)
        Timer1->setInterval(kTimer1IntervalMs);
    if (!receivedlist_.isEmpty()) {
        const QByteArray entry = receivedlist_.dequeue();
        queuedBytes_ -= entry.size();
        if (paused_ && receivedlist_.size() <= kMaxQueued / 2 && queuedBytes_ <= kMaxQueuedBytes / 2) {
            paused_ = false;
            // Bytes the socket already holds bring no new readyRead.
            QTimer::singleShot(0, this, &ClientConnection::sockRead);
        }
        emit entryTaken(entry);
        reportCloseWhenDone();
    }
    emit ticked();
    updateTimer1();
}
