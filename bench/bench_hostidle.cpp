// What a hosting copy costs while nobody says anything: nine clients connected and logged in
// over loopback, then the process's processor time over a few idle seconds. Also the time a
// burst of chat takes to go round, which the one-message-per-tick dispatcher bounds.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

#include "protocol/message.h"
#include "protocol/messageframer.h"
#include "host/tserver.h"

namespace {

double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

void runFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Client {
    QTcpSocket socket;
    MessageFramer framer;
    int received = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    TServer server;
    QString error;
    if (!server.startListening(&error, 0)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }

    std::vector<std::unique_ptr<Client>> clients;
    for (int slot = 1; slot <= HostEngine::kMaxSlots; ++slot) {
        auto client = std::make_unique<Client>();
        Client *c = client.get();
        QObject::connect(&c->socket, &QIODevice::readyRead, [c, slot] {
            for (const QByteArray &message : c->framer.feed(c->socket.readAll())) {
                ++c->received;
                if (message.startsWith("CMD_sendlogininfo+"))
                    c->socket.write("CMD_logininfo+" + QByteArray::number(slot) + "+1.0.1+P"
                                    + QByteArray::number(slot) + kTerminator + kTerminator);
            }
        });
        c->socket.connectToHost(QHostAddress::LocalHost, server.serverPort());
        clients.push_back(std::move(client));
        runFor(30);
    }
    runFor(500);

    const int idleMs = 3000;
    const double idleStart = cpuSeconds();
    runFor(idleMs);
    const double idleCpu = cpuSeconds() - idleStart;
    std::printf("idle, 9 clients logged in: %.2f ms processor time per second (dispatcher %s)\n",
                idleCpu * 1000.0 / (idleMs / 1000.0), server.dispatcherRunning() ? "ticking" : "stopped");

    const int burst = 100;
    QByteArray chats;
    for (int i = 0; i < burst; ++i)
        chats += "CMD_chat+1+line " + QByteArray::number(i) + "|clBlack" + kTerminator;
    for (const auto &client : clients)
        client->received = 0;
    QElapsedTimer clock;
    clock.start();
    clients.front()->socket.write(chats);
    while (clients.back()->received < burst && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::printf("burst of %d chats relayed to 9 clients in %lld ms (%.0f messages/s handled)\n", burst,
                qlonglong(clock.elapsed()), burst * 1000.0 / double(qMax<qint64>(1, clock.elapsed())));
    return 0;
}
