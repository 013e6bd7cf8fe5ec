// CPU used by a solo game that sits idle after "You are Connected.", offscreen: utime + stime
// from /proc/<pid>/stat over a fixed window.

#include <QCoreApplication>
#include <QFile>
#include <QThread>
#include <cstdio>
#include <unistd.h>

#include "gamelaunch.h"

namespace {

// utime + stime of a process, in clock ticks; -1 when it cannot be read.
long long cpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // The command name in parentheses may hold spaces; the fields count from after it.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return fields.at(11).toLongLong() + fields.at(12).toLongLong();  // fields 14 and 15 of the line
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    QTemporaryDir dataDir;

    QProcess process;
    process.setProcessEnvironment(GameLaunch::environment(dataDir.path()));
    if (GameLaunch::startAndWaitForLine(process, QStringLiteral(MORVELLO_EXECUTABLE_PATH), {},
                                        "chat: You are Connected.") < 0) {
        std::fprintf(stderr, "the game did not report \"You are Connected.\"\n");
        GameLaunch::stop(process);
        return 1;
    }
    // Let the last start-up work (the first sound, the roster) finish before measuring.
    QThread::msleep(1000);

    const qint64 pid = process.processId();
    const long long before = cpuTicks(pid);
    QThread::sleep(seconds);
    const long long after = cpuTicks(pid);
    GameLaunch::stop(process);
    if (before < 0 || after < 0) {
        std::fprintf(stderr, "could not read /proc/%lld/stat\n", pid);
        return 1;
    }
    const double cpuSeconds = double(after - before) / sysconf(_SC_CLK_TCK);
    std::printf("idle: %.2f s of CPU in %d s idle = %.3f%% of one core (target at most 0.1%%)\n", cpuSeconds,
                seconds, 100.0 * cpuSeconds / seconds);
    return 0;
}
