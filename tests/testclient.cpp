#include "testclient.h"

#include <QTcpServer>

#include "protocol/message.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <utility>

TestClient::TestClient(QObject *parent) : QObject(parent)
{
    connect(&socket_, &QIODevice::readyRead, this, &TestClient::readAvailable);
    connect(&socket_, &QAbstractSocket::disconnected, this, [this] { closed_ = true; });
}

bool TestClient::connectTo(quint16 port, const QHostAddress &address, int timeoutMs)
{
    closed_ = false;
    socket_.connectToHost(address, port);
    return waitUntil([this] {
        return socket_.state() == QAbstractSocket::ConnectedState
               || socket_.state() == QAbstractSocket::UnconnectedState;
    }, timeoutMs) && socket_.state() == QAbstractSocket::ConnectedState;
}

void TestClient::send(QByteArrayView message)
{
    QByteArray framed = message.toByteArray();
    framed.append(kTerminator);
    socket_.write(framed);
}

void TestClient::sendRaw(QByteArrayView bytes)
{
    socket_.write(bytes.data(), bytes.size());
}

QByteArray TestClient::nextMessage(int timeoutMs)
{
    if (!waitForMessages(1, timeoutMs))
        return {};
    return inbox_.takeFirst();
}

QByteArray TestClient::nextMessageStartingWith(QByteArrayView prefix, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        const QByteArray message = nextMessage(int(qMax<qint64>(0, deadline.remainingTime())));
        if (message.isNull() || message.startsWith(prefix))
            return message;
    }
}

bool TestClient::waitForMessages(qsizetype count, int timeoutMs)
{
    return waitUntil([this, count] { return inbox_.size() >= count; }, timeoutMs);
}

QList<QByteArray> TestClient::takeAll()
{
    return std::exchange(inbox_, {});
}

bool TestClient::waitForClosed(int timeoutMs)
{
    return waitUntil([this] { return closed_; }, timeoutMs);
}

void TestClient::close()
{
    socket_.disconnectFromHost();
    closed_ = true;
}

bool TestClient::waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs, Qt::PreciseTimer);
    // Guarantees a wake-up at the deadline even when nothing else happens.
    QTimer alarm;
    alarm.setSingleShot(true);
    alarm.setTimerType(Qt::PreciseTimer);
    while (!condition()) {
        const qint64 remaining = deadline.remainingTime();
        if (remaining <= 0)
            return condition();
        alarm.start(int(remaining));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

void TestClient::readAvailable()
{
    inbox_.append(framer_.feed(socket_.readAll()));
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::Any, 0);
    return probe.serverPort();
}
