#pragma once

// Starting the game executable from a benchmark and waiting for a line it prints.

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTcpServer>
#include <QTemporaryDir>

namespace GameLaunch {

inline quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::Any, 0);
    return probe.serverPort();
}

// Offscreen, on a free port, with its own data directory and its chat echoed to stdout.
inline QProcessEnvironment environment(const QString &dataDir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("MORVELLO_PORT"), QString::number(freePort()));
    env.insert(QStringLiteral("MORVELLO_DIR"), dataDir);
    env.insert(QStringLiteral("MORVELLO_ECHO_CHAT"), QStringLiteral("1"));
    return env;
}

// Starts program and returns the milliseconds until a line equal to line appears on its
// standard output, or -1 when it does not within timeoutMs. The process keeps running.
inline double startAndWaitForLine(QProcess &process, const QString &program, const QStringList &arguments,
                                  const QByteArray &line, int timeoutMs = 20000)
{
    QByteArray output;
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForStarted(timeoutMs))
        return -1;
    while (clock.elapsed() < timeoutMs) {
        if (!process.waitForReadyRead(50) && process.state() == QProcess::NotRunning)
            return -1;
        output += process.readAllStandardOutput();
        if (output.split('\n').contains(line))
            return clock.nsecsElapsed() / 1e6;
    }
    return -1;
}

inline void stop(QProcess &process)
{
    process.kill();
    process.waitForFinished(5000);
}

} // namespace GameLaunch
