// A click on the roll button to the dice painted, in one process: the main window and its
// in-process host over loopback, offscreen, sounds off, the host's own play at 1 ms. Solo games
// are played until enough rolls are timed; each time runs from the click's mouse events to the
// last moved die's paint. The clicks come kSpacingMs apart, as no person clicks faster: the host
// handles at most one message per 10 ms tick, and takes one at once only when it is idle. Also the resident memory of this game in progress beside a bare
// QMainWindow's (bench_bare_window, started by this program).
//   bench_roll [rolls]      (default 500)

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <vector>

#include "session/clientsettings.h"
#include "client/tchat.h"
#include "ui/gamestyle.h"
#include "host/tserver.h"
#include "rules/categories.h"
#include "windows/tgamestartform.h"
#include "windows/tspylist.h"

namespace {

constexpr int kSpacingMs = 12;

bool waitUntil(const std::function<bool()> &condition, int timeoutMs = 20000)
{
    QElapsedTimer clock;
    clock.start();
    QTimer alarm;
    alarm.setSingleShot(true);
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        alarm.start(int(std::max<qint64>(1, timeoutMs - clock.elapsed())));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Resident set size in KiB from a /proc status file; -1 when unreadable.
long residentKiB(const QString &statusFile)
{
    QFile file(statusFile);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

long bareWindowKiB()
{
    QProcess bare;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    bare.setProcessEnvironment(env);
    bare.start(QStringLiteral(BARE_WINDOW_PATH), {});
    if (!bare.waitForStarted(10000))
        return -1;
    QByteArray output;
    while (!output.contains("painted") && bare.waitForReadyRead(10000))
        output += bare.readAllStandardOutput();
    QThread::msleep(300);
    const long kib = residentKiB(QStringLiteral("/proc/%1/status").arg(bare.processId()));
    bare.kill();
    bare.waitForFinished(5000);
    return kib;
}

// Times paints of the dice: a paint of a watched die is done inside the filter, then stamped.
class PaintWatch : public QObject {
public:
    std::array<bool, 6> painted{};
    bool armed = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!armed || event->type() != QEvent::Paint)
            return false;
        auto *die = static_cast<QWidget *>(watched);
        static_cast<QObject *>(die)->event(event);
        painted[std::size_t(die->property("Tag").toInt())] = true;
        return true;
    }
};

void click(QWidget *widget)
{
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    const QPointF global = widget->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dataDir;
    qputenv("MORVELLO_DIR", dataDir.path().toLocal8Bit());
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        qputenv("MORVELLO_PORT", QByteArray::number(probe.serverPort()));
    }
    QApplication app(argc, argv);
    // The style the game runs with: it keeps the image plugins unloaded, as in the game.
    QApplication::setStyle(new GameStyle);
    {
        // Read at the login: no sounds, and no question before a zero score.
        QFile settings(ClientSettings::path());
        if (settings.open(QIODevice::WriteOnly))
            settings.write("[Morvello]\nPlaysounds=false\nDoublecheck=false\n");
    }
    const int wanted = argc > 1 ? std::max(10, atoi(argv[1])) : 500;

    TServer server;
    Tspylist spylist;
    Tgamestartform gamestart;
    Tchat chat;
    TchatWindows windows;
    windows.server = &server;
    windows.spylist = &spylist;
    windows.gamestart = &gamestart;
    chat.setWindows(windows);
    chat.show();
    const GameModel &model = chat.model();
    if (!waitUntil([&] { return model.loggedin() && model.seat(1).name == QLatin1String("You"); })) {
        std::fprintf(stderr, "the solo game did not log in\n");
        return 1;
    }
    server.setTimer1Interval(1);

    QLabel *rollButton = chat.findChild<QLabel *>(QStringLiteral("image_throwdice"));
    QLabel *winner = chat.findChild<QLabel *>(QStringLiteral("label_winner"));
    std::array<QLabel *, 6> dice{};
    PaintWatch watch;
    for (int die = 1; die <= 5; ++die) {
        dice[std::size_t(die)] = chat.findChild<QLabel *>(QStringLiteral("dice%1").arg(die));
        dice[std::size_t(die)]->installEventFilter(&watch);
    }

    std::vector<double> samples;
    samples.reserve(std::size_t(wanted));
    long gameKiB = -1;
    int games = 0;
    chat.startgame(false, false);
    ++games;
    QElapsedTimer clock;
    while (int(samples.size()) < wanted) {
        if (!waitUntil([&] { return (model.myTurn() && model.canact() && rollButton->isVisible()) || winner->isVisible(); })) {
            std::fprintf(stderr, "the game stopped\n");
            return 1;
        }
        if (winner->isVisible()) {
            chat.startgame(false, false);
            ++games;
            waitUntil([&] { return !winner->isVisible(); });
            continue;
        }
        // Up to three rolls, then the first free category.
        while (rollButton->isVisible() && int(samples.size()) < wanted) {
            QElapsedTimer pause;
            pause.start();
            waitUntil([&] { return pause.elapsed() >= kSpacingMs; }, kSpacingMs + 50);
            std::array<QPoint, 6> before{};
            for (int die = 1; die <= 5; ++die)
                before[std::size_t(die)] = dice[std::size_t(die)]->pos();
            const int rolls = model.rolls();
            watch.painted.fill(false);
            watch.armed = true;
            clock.start();
            click(rollButton);
            const bool done = waitUntil([&] {
                if (model.rolls() != rolls + 1)
                    return false;
                for (int die = 1; die <= 5; ++die) {
                    if (dice[std::size_t(die)]->pos() != before[std::size_t(die)] && !watch.painted[std::size_t(die)])
                        return false;
                }
                return true;
            });
            const double ms = double(clock.nsecsElapsed()) / 1e6;
            watch.armed = false;
            if (!done) {
                std::fprintf(stderr, "roll %d was not painted: the model shows roll %d, turn of seat %d\n", rolls + 1,
                             model.rolls(), model.turnseat());
                for (int die = 1; die <= 5; ++die)
                    std::fprintf(stderr, "  die %d at %d,%d (was %d,%d) painted %d\n", die,
                                 dice[std::size_t(die)]->x(), dice[std::size_t(die)]->y(), before[std::size_t(die)].x(),
                                 before[std::size_t(die)].y(), int(watch.painted[std::size_t(die)]));
                return 1;
            }
            samples.push_back(ms);
        }
        if (gameKiB < 0 && samples.size() > 100)
            gameKiB = residentKiB(QStringLiteral("/proc/self/status"));
        for (int category = 1; category <= rules::kCategoryCount; ++category) {
            if (model.seat(model.myseat()).cells[std::size_t(category)] == rules::kEmptyCell) {
                chat.score1_1Click(category);
                break;
            }
        }
    }

    std::sort(samples.begin(), samples.end());
    auto at = [&](double q) { return samples[std::min(samples.size() - 1, std::size_t(q * double(samples.size())))]; };
    std::printf("roll to dice painted, %zu rolls %d ms apart in %d solo games: p50 %.3f ms, p99 %.3f ms, "
                "max %.3f ms (targets p50 <= 2 ms, p99 <= 5 ms)\n",
                samples.size(), kSpacingMs, games, at(0.5), at(0.99), samples.back());
    const long bareKiB = bareWindowKiB();
    std::printf("resident memory: solo game in progress %.1f MiB, bare QMainWindow %.1f MiB\n", gameKiB / 1024.0,
                bareKiB / 1024.0);
    return 0;
}
