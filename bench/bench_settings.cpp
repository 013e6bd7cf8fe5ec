// Reading and writing a settings file as large as the reader takes (Profile::kMaxFileSize):
// what the game does with it at start-up (read every key of its section) and when settings
// change (all its keys written back at once, the most a change writes), for files shaped the
// ways a big one can be, damage included.
#include "common/profile.h"
#include "session/clientsettings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>

namespace {

constexpr qint64 kMinimumNs = 1'000'000'000;
constexpr int kMinimumRuns = 3;

QByteArray ourSection()
{
    return "[Morvello]\r\nTextsize=12\r\nTextcolor=clRed\r\nActioncolor=clBlue\r\nPlaysounds=true\r\n"
           "Doublecheck=false\r\nShowhints=true\r\nPhrase1=Way To Go!\r\nPhrase6=Wow, WTG!\r\n";
}

// Lines from `line(i)` until the file would pass the reader's limit with `tail` after them.
QByteArray filled(const std::function<QByteArray(int)> &line, const QByteArray &head, const QByteArray &tail)
{
    QByteArray file = head;
    for (int i = 0;; ++i) {
        const QByteArray next = line(i);
        if (file.size() + next.size() + tail.size() > Profile::kMaxFileSize)
            break;
        file += next;
    }
    return file + tail;
}

struct Shape {
    const char *name;
    QByteArray file;
};

QList<Shape> shapes()
{
    return {
        {"another program's long section first",
         filled([](int i) { return "Entry" + QByteArray::number(i) + "=some value of its own\r\n"; },
                "[Lobby]\r\n", ourSection())},
        {"many small sections first",
         filled([](int i) { return "[Room" + QByteArray::number(i) + "]\r\nSeat=1\r\n"; }, QByteArray(), ourSection())},
        {"our section, long, first",
         filled([](int i) { return "Note" + QByteArray::number(i) + "=kept by hand\r\n"; }, ourSection(),
                "[Lobby]\r\nName=Ann\r\n")},
        {"our section, long, keys in Latin-1",
         filled([](int i) { return "Not\xe9" + QByteArray::number(i) + "=kept by hand\r\n"; }, ourSection(),
                QByteArray())},
        {"comments and blank lines",
         filled([](int i) { return i % 2 ? QByteArray("\r\n") : "; remark " + QByteArray::number(i) + "\r\n"; },
                QByteArray(), ourSection())},
        // Damage: the most lines a megabyte holds, each read as a header or as a key.
        {"damaged: every line a lone \"[\"",
         filled([](int) { return QByteArray("[\n"); }, QByteArray(), ourSection())},
        {"damaged: our section, every line \"=\"",
         filled([](int) { return QByteArray("=\n"); }, ourSection(), QByteArray())},
    };
}

// The fastest of repeated runs, in milliseconds; `prepare` runs before each, untimed.
double bestMs(const std::function<void()> &run, const std::function<void()> &prepare = {})
{
    qint64 best = std::numeric_limits<qint64>::max();
    qint64 total = 0;
    QElapsedTimer timer;
    for (int runs = 0; runs < kMinimumRuns || total < kMinimumNs; ++runs) {
        if (prepare)
            prepare();
        timer.start();
        run();
        const qint64 ns = timer.nsecsElapsed();
        best = std::min(best, ns);
        total += ns;
    }
    return double(best) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("orlenlobby.ini"));
    std::printf("%-42s %8s %10s %10s\n", "settings file of", "KB", "read ms", "write ms");
    for (const Shape &shape : shapes()) {
        const auto plant = [&] {
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(shape.file) != shape.file.size())
                qFatal("could not write %s", qPrintable(path));
        };
        plant();
        bool readRight = true;
        const double read = bestMs([&] {
            const ClientSettings settings = ClientSettings::read(Profile(path));
            readRight = readRight && settings.textSize == 12 && settings.phrases[6] == QLatin1String("Wow, WTG!");
        });
        if (!readRight)
            qFatal("%s: the settings were not read as written", shape.name);
        ClientSettings changed;
        changed.textSize = 14;
        const Profile::Entries entries = changed.entries() + ClientSettings::phraseEntries(changed.phrases);
        const double write = bestMs(
            [&] {
                Profile profile(path);
                if (!profile.write(ClientSettings::kSection, entries))
                    qFatal("could not write: %s", qPrintable(profile.errorString()));
            },
            plant);
        std::printf("%-42s %8lld %10.2f %10.2f\n", shape.name, static_cast<long long>(shape.file.size() / 1024), read,
                    write);
    }
    return 0;
}
