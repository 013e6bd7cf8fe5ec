// The table against one hostile peer: a host in a process of its own, eight clients who play
// and chat at a person's pace, and, in the second run, a ninth who sends chat as fast as its
// socket takes it. Prints, for both runs side by side: the honest clients' chat round trip,
// whether every honest line reached every honest client once and in order, the host's peak
// resident memory and the bytes per second it sent to each honest client.
//
//   bench_soak [seconds]    length of each run (default 60)
//
// Everything stays on 127.0.0.1. The host runs as this program with "--host", so its memory is
// its own and not the clients'.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <unistd.h>

#include "common/gameconstants.h"
#include "host/tserver.h"
#include "protocol/catalogue.h"
#include "protocol/message.h"
#include "protocol/messageframer.h"

namespace {

constexpr int kHonest = 8;
constexpr int kFlooderSlot = 9;
constexpr int kSeats = 4;
// A person's pace: a chat line every few seconds, a second or so to think about each move.
constexpr int kChatMinMs = 2000;
constexpr int kChatMaxMs = 6000;
constexpr int kMoveMinMs = 400;
constexpr int kMoveMaxMs = 1500;
constexpr int kDrainMs = 3000;
// The flooder keeps this much in its socket's queue at all times.
constexpr qint64 kFloodBacklog = 1024 * 1024;

QElapsedTimer benchClock;

double nowMs()
{
    return double(benchClock.nsecsElapsed()) / 1e6;
}

int between(int low, int high)
{
    return int(QRandomGenerator::global()->bounded(low, high + 1));
}

void runFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

bool waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

// ---- the host process ----

int runHost(QCoreApplication &app)
{
    TServer server;
    QString error;
    if (!server.startListening(&error, 0, QHostAddress(QHostAddress::LocalHost))) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::printf("port %u\n", unsigned(server.serverPort()));
    std::fflush(stdout);

    // "hostclient <address> <port>" names the hosting user's client; the end of input ends us.
    QFile input;
    input.open(stdin, QIODevice::ReadOnly);
    QSocketNotifier notifier(0, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, [&] {
        const QByteArray line = input.readLine().trimmed();
        if (line.isEmpty()) {
            app.quit();
            return;
        }
        const QList<QByteArray> words = line.split(' ');
        if (words.size() == 3 && words[0] == "hostclient")
            server.setHostClient(QHostAddress(QString::fromLatin1(words[1])), quint16(words[2].toUInt()));
    });
    return app.exec();
}

// Resident memory of a process, now and at its peak, in KiB.
struct Memory {
    qint64 rss = 0;
    qint64 peak = 0;
};

// Processor time a process has used, in seconds.
double cpuSecondsOf(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    // The fields after the command name, which is in parentheses and may hold spaces.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double ticks = double(fields.value(11).toLongLong() + fields.value(12).toLongLong());
    return ticks / double(sysconf(_SC_CLK_TCK));
}

Memory memoryOf(qint64 pid)
{
    Memory memory;
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return memory;
    for (const QByteArray &line : status.readAll().split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words.size() >= 2 && words[0] == "VmRSS:")
            memory.rss = words[1].toLongLong();
        else if (words.size() >= 2 && words[0] == "VmHWM:")
            memory.peak = words[1].toLongLong();
    }
    return memory;
}

// ---- the clients ----

struct Tally {
    std::vector<double> roundTrips;     // ms, of every honest line back at its sender
    qint64 linesSent = 0;
    qint64 lost = 0;                    // lines a client never saw
    qint64 duplicated = 0;
    qint64 outOfOrder = 0;
    std::vector<double> bytesPerSecond; // to each honest client
    qint64 turnsStarted = 0;
    qint64 gamesWon = 0;
    Memory host;
    qint64 hostRssMax = 0;
    double floodBytesPerSecond = 0;     // what left the flooder's socket
    double hostCpuShare = 0;            // host processor time over the run, of one core
    int hostLogLines = 0;
    bool complete = false;
};

class Client : public QObject {
public:
    Client(int slot, bool flooder) : slot_(slot), flooder_(flooder)
    {
        connect(&socket_, &QIODevice::readyRead, this, [this] { read(); });
        connect(&socket_, &QIODevice::bytesWritten, this, [this] { flood(); });
        lastSeen_.fill(0);
    }

    bool connectTo(quint16 port)
    {
        socket_.connectToHost(QHostAddress::LocalHost, port);
        return socket_.waitForConnected(5000);
    }

    // Chat, play and flood from now until stop().
    void start()
    {
        running_ = true;
        if (flooder_) {
            floodStart_ = nowMs();
            flood();
            return;
        }
        scheduleChat();
    }
    void stop() { running_ = false; }

    void startGame()
    {
        socket_.write(wire::StartRequest{slot_, "f", "false"}.encode());
    }

    QTcpSocket socket_;
    int slot_;
    bool flooder_;
    bool loggedIn = false;
    int playersSeen = 0;        // CMD_newplayerinfo messages of honest players
    qint64 received = 0;        // bytes
    int sent = 0;               // chat lines
    std::array<int, kHonest + 1> lastSeen_{};
    qint64 duplicated = 0;
    qint64 outOfOrder = 0;
    std::vector<double> roundTrips;
    std::vector<double> sentAt;
    qint64 turnsStarted = 0;
    qint64 gamesWon = 0;
    qint64 floodWritten = 0;
    double floodStart_ = 0;

private:
    void read()
    {
        const QByteArray bytes = socket_.readAll();
        received += bytes.size();
        for (const QByteArray &message : framer_.feed(bytes))
            handle(message);
    }

    void handle(const QByteArray &message)
    {
        using wire::Word;
        const std::optional<wire::Entry> entry = wire::readEntry(message);
        if (!entry)
            return;
        switch (entry->word) {
        case Word::sendlogininfo:
            socket_.write(wire::LoginInfo{slot_, game::kVersionText, (flooder_ ? "F" : "H") + QByteArray::number(slot_)}
                              .encode() + kTerminator);
            loggedIn = true;
            return;
        case Word::newplayerinfo:
            if (const auto info = wire::PlayerInfo::decode(entry->data, false))
                playersSeen += info->name.startsWith('H');
            return;
        case Word::chat:
            if (entry->data.startsWith('H'))
                chatLine(message);
            return;
        default:
            break;
        }
        if (flooder_)
            return;
        switch (entry->word) {
        case Word::startgame:
            used_.fill(false);
            break;
        case Word::nextplayer:
            ++turnsStarted;
            if (const auto next = wire::NextPlayer::decode(entry->data); next && next->seat == slot_)
                later([this] { roll(); });
            break;
        case Word::thedice:
            if (const auto roll = wire::Roll::decode(entry->data); roll && roll->seat == slot_) {
                if (roll->again && between(0, 1) == 0)
                    later([this] { this->roll(); });
                else
                    later([this] { score(); });
            }
            break;
        case Word::chooseagain:
            later([this] { score(); });
            break;
        case Word::rollagain:
            later([this] { roll(); });
            break;
        case Word::winner:
            ++gamesWon;
            if (slot_ == 1)
                later([this] { startGame(); });
            break;
        default:
            break;
        }
    }

    // "CMD_chat+H<sender> chats: c<sender>.<n>|clBlack"
    void chatLine(const QByteArray &message)
    {
        const qsizetype at = message.indexOf(" chats: c");
        const qsizetype dot = message.indexOf('.', at);
        const qsizetype bar = message.indexOf('|', dot);
        if (at < 0 || dot < 0 || bar < 0)
            return;
        const int sender = message.mid(at + 9, dot - at - 9).toInt();
        const int n = message.mid(dot + 1, bar - dot - 1).toInt();
        if (sender < 1 || sender > kHonest)
            return;
        if (n <= lastSeen_[sender])
            ++duplicated;
        else if (n != lastSeen_[sender] + 1)
            ++outOfOrder;
        lastSeen_[sender] = std::max(lastSeen_[sender], n);
        if (sender == slot_ && n >= 1 && n <= int(sentAt.size()))
            roundTrips.push_back(nowMs() - sentAt[std::size_t(n - 1)]);
    }

    void later(std::function<void()> move)
    {
        QTimer::singleShot(between(kMoveMinMs, kMoveMaxMs), this, [this, move] {
            if (running_)
                move();
        });
    }

    void roll() { socket_.write(wire::RollRequest{slot_}.encode()); }

    void score()
    {
        int category = 1;
        while (category <= 12 && used_[std::size_t(category)])
            ++category;
        if (category > 12)
            return;
        used_[std::size_t(category)] = true;
        socket_.write(wire::ScoreRequest{slot_, category}.encode());
    }

    void scheduleChat()
    {
        QTimer::singleShot(between(kChatMinMs, kChatMaxMs), this, [this] {
            if (!running_)
                return;
            ++sent;
            sentAt.push_back(nowMs());
            socket_.write(wire::ChatRequest{false, slot_,
                                            "c" + QByteArray::number(slot_) + "." + QByteArray::number(sent) + "|clBlack"}
                              .encode());
            scheduleChat();
        });
    }

    // As fast as the socket takes it: its queue is kept topped up, and TCP decides the pace.
    void flood()
    {
        if (!flooder_ || !running_)
            return;
        static const QByteArray block = [] {
            const QByteArray line = wire::ChatRequest{false, kFlooderSlot, QByteArray(2000, 'f') + "|clRed"}.encode();
            return line.repeated(32);
        }();
        while (socket_.bytesToWrite() < kFloodBacklog) {
            socket_.write(block);
            floodWritten += block.size();
        }
    }

    MessageFramer framer_;
    std::array<bool, 13> used_{};
    bool running_ = false;
};

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto index = std::size_t(std::clamp(p * double(values.size() - 1) + 0.5, 0.0, double(values.size() - 1)));
    return values[index];
}

Tally runSoak(int seconds, bool withFlooder)
{
    Tally tally;
    QProcess host;
    host.setProgram(QCoreApplication::applicationFilePath());
    host.setArguments({QStringLiteral("--host")});
    host.start();
    if (!host.waitForStarted(5000) || !waitUntil([&] { return host.canReadLine(); }, 5000)) {
        std::fprintf(stderr, "the host did not start\n");
        return tally;
    }
    const quint16 port = quint16(host.readLine().trimmed().mid(5).toUInt());
    const qint64 pid = host.processId();

    std::vector<std::unique_ptr<Client>> clients;
    for (int slot = 1; slot <= kHonest + (withFlooder ? 1 : 0); ++slot) {
        auto client = std::make_unique<Client>(slot, slot == kFlooderSlot);
        if (!client->connectTo(port) || !waitUntil([&] { return client->loggedIn; }, 5000)) {
            std::fprintf(stderr, "client %d could not join\n", slot);
            return tally;
        }
        if (slot == 1) {
            host.write("hostclient " + client->socket_.localAddress().toString().toLatin1() + " "
                       + QByteArray::number(client->socket_.localPort()) + "\n");
        }
        clients.push_back(std::move(client));
    }
    if (!waitUntil([&] { return clients.front()->playersSeen >= kHonest; }, 5000)) {
        std::fprintf(stderr, "the logins did not go round\n");
        return tally;
    }

    const Memory before = memoryOf(pid);
    const double cpuBefore = cpuSecondsOf(pid);
    for (const auto &client : clients)
        client->received = 0;
    const double start = nowMs();
    for (const auto &client : clients)
        client->start();
    clients.front()->startGame();

    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] { tally.hostRssMax = std::max(tally.hostRssMax, memoryOf(pid).rss); });
    sampler.start(250);
    runFor(seconds * 1000);
    for (const auto &client : clients)
        client->stop();
    const double floodEnd = nowMs();
    runFor(kDrainMs);   // what is on its way arrives
    sampler.stop();
    const double elapsedS = (nowMs() - start) / 1000.0;

    tally.host = memoryOf(pid);
    tally.hostCpuShare = (cpuSecondsOf(pid) - cpuBefore) / elapsedS;
    tally.hostRssMax = std::max({tally.hostRssMax, tally.host.rss, before.rss});
    for (int i = 0; i < kHonest; ++i) {
        const Client &client = *clients[std::size_t(i)];
        tally.roundTrips.insert(tally.roundTrips.end(), client.roundTrips.begin(), client.roundTrips.end());
        tally.linesSent += client.sent;
        tally.duplicated += client.duplicated;
        tally.outOfOrder += client.outOfOrder;
        for (int sender = 1; sender <= kHonest; ++sender)
            tally.lost += clients[std::size_t(sender - 1)]->sent - client.lastSeen_[std::size_t(sender)];
        tally.bytesPerSecond.push_back(double(client.received) / elapsedS);
    }
    tally.turnsStarted = clients.front()->turnsStarted;
    tally.gamesWon = clients.front()->gamesWon;
    if (withFlooder) {
        const Client &flooder = *clients.back();
        const qint64 taken = flooder.floodWritten - flooder.socket_.bytesToWrite();
        tally.floodBytesPerSecond = double(taken) / ((floodEnd - flooder.floodStart_) / 1000.0);
    }

    clients.clear();
    host.closeWriteChannel();
    if (!host.waitForFinished(5000)) {
        host.kill();
        host.waitForFinished(5000);
    }
    tally.hostLogLines = int(host.readAllStandardError().count('\n'));
    tally.complete = true;
    return tally;
}

void row(const char *label, const QByteArray &without, const QByteArray &with)
{
    std::printf("  %-46s %18s %18s\n", label, without.constData(), with.constData());
}

QByteArray number(double value, int decimals = 1)
{
    return QByteArray::number(value, 'f', decimals);
}

QByteArray spread(const std::vector<double> &values)
{
    if (values.empty())
        return "-";
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    double sum = 0;
    for (double value : values)
        sum += value;
    return number(*low / 1024, 1) + "/" + number(sum / double(values.size()) / 1024, 1) + "/" + number(*high / 1024, 1);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--host")
        return runHost(app);

    const int seconds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 60;
    benchClock.start();
    std::printf("soak: %d s a run; %d honest clients (seats 1-%d play, the rest watch), a chat line from each\n"
                "every %d-%d s, a move every %d-%d ms; the flooder sends 2,000-character chat lines as fast\n"
                "as its socket takes them. Host in its own process, all on 127.0.0.1.\n\n",
                seconds, kHonest, kSeats, kChatMinMs / 1000, kChatMaxMs / 1000, kMoveMinMs, kMoveMaxMs);
    std::fflush(stdout);

    const Tally quiet = runSoak(seconds, false);
    const Tally flooded = runSoak(seconds, true);
    if (!quiet.complete || !flooded.complete)
        return 1;

    const auto both = [&](const char *label, const std::function<QByteArray(const Tally &)> &value) {
        row(label, value(quiet), value(flooded));
    };
    row("", "without flooder", "with flooder");
    both("honest chat round trip p50 (ms)", [](const Tally &t) { return number(percentile(t.roundTrips, 0.50), 2); });
    both("honest chat round trip p99 (ms)", [](const Tally &t) { return number(percentile(t.roundTrips, 0.99), 2); });
    both("honest chat round trip max (ms)", [](const Tally &t) { return number(percentile(t.roundTrips, 1.0), 2); });
    both("honest lines sent", [](const Tally &t) { return QByteArray::number(t.linesSent); });
    both("every honest line to everyone once, in order", [](const Tally &t) {
        return t.lost == 0 && t.duplicated == 0 && t.outOfOrder == 0 ? QByteArray("yes") : QByteArray("NO");
    });
    both("  lost / duplicated / out of order", [](const Tally &t) {
        return QByteArray::number(t.lost) + "/" + QByteArray::number(t.duplicated) + "/" + QByteArray::number(t.outOfOrder);
    });
    both("host resident memory, peak (MB)", [](const Tally &t) { return number(double(t.host.peak) / 1024); });
    both("host resident memory, most sampled (MB)", [](const Tally &t) { return number(double(t.hostRssMax) / 1024); });
    both("KiB/s to each honest client (min/avg/max)", [](const Tally &t) { return spread(t.bytesPerSecond); });
    both("turns started (games finished)", [](const Tally &t) {
        return QByteArray::number(t.turnsStarted) + " (" + QByteArray::number(t.gamesWon) + ")";
    });
    both("host processor time (% of one core)", [](const Tally &t) { return number(t.hostCpuShare * 100); });
    both("KiB/s out of the flooder (system buffers too)", [](const Tally &t) {
        return t.floodBytesPerSecond > 0 ? number(t.floodBytesPerSecond / 1024) : QByteArray("-");
    });
    both("host log lines", [](const Tally &t) { return QByteArray::number(t.hostLogLines); });

    const bool met = percentile(flooded.roundTrips, 0.99) <= 100 && flooded.lost == 0 && flooded.duplicated == 0
                     && flooded.outOfOrder == 0 && flooded.host.peak < 64 * 1024;
    std::printf("\ntargets with the flooder (p99 <= 100 ms, nothing honest lost, host under 64 MB): %s\n",
                met ? "met" : "NOT met");
    return 0;
}
