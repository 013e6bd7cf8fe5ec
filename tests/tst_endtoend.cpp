// The real executable, as a hosting copy and a joining copy, watched from outside: through a
// raw connection to the host and through the chat lines the copies echo (MORVELLO_ECHO_CHAT).

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "common/gameconstants.h"
#include "protocol/catalogue.h"
#include "protocol/messageframer.h"
#include "testclient.h"

namespace {

// One copy of the game, started offscreen with its chat echoed to standard output.
class GameProcess {
public:
    GameProcess(const QStringList &arguments, quint16 port, const QString &dataDir)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("MORVELLO_PORT"), QString::number(port));
        env.insert(QStringLiteral("MORVELLO_DIR"), dataDir);
        env.insert(QStringLiteral("MORVELLO_ECHO_CHAT"), QStringLiteral("1"));
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        QObject::connect(&process_, &QProcess::readyReadStandardOutput,
                         [this] { output_ += process_.readAllStandardOutput(); });
        process_.start(qEnvironmentVariable("MORVELLO_EXECUTABLE"), arguments);
    }
    ~GameProcess()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    bool started() { return process_.waitForStarted(5000); }
    bool sawChat(const QString &line) const { return output_.split('\n').contains("chat: " + line.toUtf8()); }
    QProcess &process() { return process_; }

private:
    QProcess process_;
    QByteArray output_;
};

// A connection to the host that speaks the protocol by hand.
class RawClient {
public:
    explicit RawClient(quint16 port)
    {
        QObject::connect(&socket_, &QTcpSocket::readyRead, [this] {
            for (const QByteArray &m : framer_.feed(socket_.readAll()))
                messages_.append(m);
        });
        socket_.connectToHost(QHostAddress::LocalHost, port);
    }

    bool has(const QByteArray &message) const { return messages_.contains(message); }
    const QList<QByteArray> &messages() const { return messages_; }
    void send(const QByteArray &message) { socket_.write(message); }
    QAbstractSocket::SocketState state() const { return socket_.state(); }

private:
    QTcpSocket socket_;
    MessageFramer framer_;
    QList<QByteArray> messages_;
};

} // namespace

class EndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void commandLineAnsweredWithoutDisplay_data();
    void commandLineAnsweredWithoutDisplay();
    void hostAndJoinerMeetAndPart();
    void joinerEndsWhenTheHostGoes();

private:
    QTemporaryDir dataDir_;
};

void EndToEndTest::initTestCase()
{
    QVERIFY(QFile::exists(qEnvironmentVariable("MORVELLO_EXECUTABLE")));
    QVERIFY(dataDir_.isValid());
}

void EndToEndTest::commandLineAnsweredWithoutDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("toStandardOutput");
    QTest::addColumn<QStringList>("texts");

    const QStringList help = {"morvello NAME ADDRESS true", "morvello NAME ADDRESS false", "MORVELLO_PORT",
                              "MORVELLO_DIR", "MORVELLO_SEED", "MORVELLO_ECHO_CHAT", "orlenlobby.ini",
                              "morvellotally.tld", "solo game"};
    const QStringList usage = {"Usage: morvello\n", "morvello NAME ADDRESS true", "morvello NAME ADDRESS false",
                               "--help"};
    QTest::newRow("--help") << QStringList{"--help"} << 0 << true << help;
    QTest::newRow("-h") << QStringList{"-h"} << 0 << true << help;
    QTest::newRow("--version") << QStringList{"--version"} << 0 << true
                               << QStringList{QStringLiteral("Morvello %1\n").arg(game::kVersionText)};
    QTest::newRow("name only") << QStringList{"Ann"} << 2 << false << (usage + QStringList{"a name alone"});
    QTest::newRow("name and address") << QStringList{"Ann", "127.0.0.1"} << 2 << false
                                      << (usage + QStringList{"a name and an address"});
    QTest::newRow("an unknown option") << QStringList{"--foo"} << 2 << false
                                       << (usage + QStringList{"unknown option '--foo'"});
    QTest::newRow("an option among the words") << QStringList{"Ann", "127.0.0.1", "-t"} << 2 << false
                                                << (usage + QStringList{"unknown option '-t'"});
}

// Answered before the application object exists: with a display system that has no display to
// reach, creating it would abort the program.
void EndToEndTest::commandLineAnsweredWithoutDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(bool, toStandardOutput);
    QFETCH(QStringList, texts);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(qEnvironmentVariable("MORVELLO_EXECUTABLE"), arguments);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), status);
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    const QString err = QString::fromUtf8(process.readAllStandardError());
    const QString &text = toStandardOutput ? out : err;
    QVERIFY2((toStandardOutput ? err : out).isEmpty(), qPrintable(toStandardOutput ? err : out));
    for (const QString &expected : texts)
        QVERIFY2(text.contains(expected), qPrintable(expected + " not in:\n" + text));
}

void EndToEndTest::hostAndJoinerMeetAndPart()
{
    const quint16 port = freePort();
    GameProcess ann({QStringLiteral("Ann"), QStringLiteral("127.0.0.1"), QStringLiteral("true")}, port,
                    dataDir_.path());
    QVERIFY(ann.started());
    QTRY_VERIFY_WITH_TIMEOUT(ann.sawChat(QStringLiteral("You are Connected.")), 15000);
    QVERIFY(ann.sawChat(QStringLiteral("Loading Multi-player Game.. Please Wait.")));

    // A fourth word is ignored.
    GameProcess bob({QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("false"),
                     QStringLiteral("ignored")},
                    port, dataDir_.path());
    QVERIFY(bob.started());
    QTRY_VERIFY_WITH_TIMEOUT(bob.sawChat(QStringLiteral("You are Connected.")), 15000);
    QTRY_VERIFY(bob.sawChat(QStringLiteral("Ann is Connected.")));
    QTRY_VERIFY(ann.sawChat(QStringLiteral("Bob is Connected.")));

    RawClient watcher(port);
    QTRY_VERIFY_WITH_TIMEOUT(watcher.has("CMD_sendlogininfo+3"), 10000);
    watcher.send(wire::LoginInfo{3, game::kVersionText, "Spy"}.encode());
    QTRY_VERIFY(watcher.has("CMD_existingplayers+1+Ann"));
    QTRY_VERIFY(watcher.has("CMD_existingplayers+2+Bob"));
    QTRY_VERIFY(watcher.has("CMD_newplayerinfo+3+Spy"));
    QTRY_VERIFY(ann.sawChat(QStringLiteral("Spy is Connected.")));
    QTRY_VERIFY(bob.sawChat(QStringLiteral("Spy is Connected.")));

    bob.process().kill();
    QTRY_VERIFY_WITH_TIMEOUT(watcher.has("CMD_playerdisconnected+2+Bob"), 10000);
    QTRY_VERIFY(ann.sawChat(QStringLiteral("Bob disconnected.")));
    QCOMPARE(ann.process().state(), QProcess::Running);
}

void EndToEndTest::joinerEndsWhenTheHostGoes()
{
    const quint16 port = freePort();
    GameProcess ann({QStringLiteral("Ann"), QStringLiteral("127.0.0.1"), QStringLiteral("true")}, port,
                    dataDir_.path());
    QVERIFY(ann.started());
    QTRY_VERIFY_WITH_TIMEOUT(ann.sawChat(QStringLiteral("You are Connected.")), 15000);
    GameProcess bob({QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("false")}, port,
                    dataDir_.path());
    QVERIFY(bob.started());
    QTRY_VERIFY_WITH_TIMEOUT(bob.sawChat(QStringLiteral("Ann is Connected.")), 15000);

    ann.process().kill();
    // The host's close ends the joining copy by itself, as a normal exit.
    QTRY_COMPARE_WITH_TIMEOUT(bob.process().state(), QProcess::NotRunning, 10000);
    QCOMPARE(bob.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(bob.process().exitCode(), 0);
}

QTEST_GUILESS_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
