// The lobby download window against a web server of the test's own on 127.0.0.1.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include "common/environment.h"
#include "testclient.h"
#include "ui/jpegimage.h"
#include "download/httpget.h"
#include "download/partfile.h"
#include "windows/tdownload.h"

namespace {

// Answers each GET the way the test asks and keeps the request it got.
class LobbyServer : public QObject {
public:
    enum class Answer {
        Whole,
        HalfThenWait,
        NotFound,
        Endless,          // no length, and bytes for as long as anyone reads them
        AnnouncedHuge,    // a length far past any installer
        Trickle,          // two bytes now and then, for ever
        CutWithoutLength, // half the body, no length, then the connection closes
        CutWithLength,    // half the announced body, then the connection closes
    };

    Answer answer = Answer::Whole;
    QByteArray body;
    QList<QByteArray> requests;

    LobbyServer()
    {
        body.resize(200000);
        for (qsizetype i = 0; i < body.size(); ++i)
            body[i] = char(i * 7 % 251);
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = server_.nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        });
    }
    QString url() const
    {
        return QStringLiteral("http://127.0.0.1:%1/lobby/qxlsetup.exe").arg(server_.serverPort());
    }

private:
    void read(QTcpSocket *socket)
    {
        QByteArray &request = pending_[socket];
        if (request.contains("\r\n\r\n"))
            return;
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        requests.append(request);
        const QByteArray ok = "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n";
        const QByteArray head = ok + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n";
        switch (answer) {
        case Answer::Whole:
            socket->write(head + body);
            socket->disconnectFromHost();
            break;
        case Answer::HalfThenWait:
            socket->write(head + body.left(body.size() / 2));
            break;
        case Answer::NotFound:
            socket->write("HTTP/1.0 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found");
            socket->disconnectFromHost();
            break;
        case Answer::Endless:
            socket->write(ok + "\r\n");
            connect(socket, &QTcpSocket::bytesWritten, socket, [socket, this] {
                if (socket->bytesToWrite() < body.size())
                    socket->write(body);
            });
            socket->write(body);
            break;
        case Answer::AnnouncedHuge:
            socket->write(ok + "Content-Length: 10000000000\r\n\r\n" + body);
            break;
        case Answer::Trickle: {
            socket->write(head);
            auto *timer = new QTimer(socket);
            connect(timer, &QTimer::timeout, socket, [socket] { socket->write("ab"); });
            timer->start(100);
            break;
        }
        case Answer::CutWithoutLength:
            socket->write(ok + "\r\n" + body.left(body.size() / 2));
            socket->disconnectFromHost();
            break;
        case Answer::CutWithLength:
            socket->write(head + body.left(body.size() / 2));
            socket->disconnectFromHost();
            break;
        }
    }

    QTcpServer server_;
    QHash<QTcpSocket *, QByteArray> pending_;
};

struct DownloadFixture {
    LobbyServer server;
    Tdownload window;
    QList<QStringList> launched;   // program, then its arguments
    bool launchWorks = true;
    QSignalSpy exits{&window, &Tdownload::exitRequested};

    DownloadFixture()
    {
        qputenv("MORVELLO_LOBBY_URL", server.url().toUtf8());
        window.launcher = [this](const QString &program, const QStringList &arguments, QString &why) {
            launched.append(QStringList{program} + arguments);
            why = QStringLiteral("it is a Windows program, and this system cannot run that kind of program");
            return launchWorks;
        };
        QFile::remove(installer());
    }
    static QString installer() { return Environment::dataDirectory() + QStringLiteral("qxlsetup.exe"); }
    // What a download left beside the installer while it ran.
    static QStringList partFiles()
    {
        return QDir(Environment::dataDirectory())
            .entryList({QStringLiteral("qxlsetup.exe.*")}, QDir::Files | QDir::System | QDir::Hidden);
    }
    QString text(const char *label) const { return window.findChild<QLabel *>(QLatin1String(label))->text(); }
    QPushButton *button(const char *name) const { return window.findChild<QPushButton *>(QLatin1String(name)); }
    bool buttonsReady() const { return button("getbutton")->isEnabled() && !button("abortbutton")->isEnabled(); }
    // Waits until the download has ended one way or the other.
    bool finished() const
    {
        return TestClient::waitUntil([this] { return !window.downloading(); });
    }
    QMessageBox *box(const char *name) const
    {
        QMessageBox *box = window.findChild<QMessageBox *>(QLatin1String(name));
        return box && box->isVisible() ? box : nullptr;
    }
    QString message() const { return box("box_message") ? box("box_message")->text() : QString(); }
    // Answers the question before the installer runs: "Run" or "Cancel".
    bool answer(const QString &choice) const
    {
        QMessageBox *ask = box("box_run");
        if (!ask)
            return false;
        for (QAbstractButton *b : ask->buttons()) {
            if (b->text() == choice) {
                b->click();
                return true;
            }
        }
        return false;
    }
};

} // namespace

Q_DECLARE_METATYPE(LobbyServer::Answer)

class DownloadTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { qunsetenv("MORVELLO_LOBBY_URL"); }

    void wholeDownloadRunsOnlyAfterAYes_data();
    void wholeDownloadRunsOnlyAfterAYes();
    void stopsBeforeAndMidwayThenAFreshDownload();
    void hostileAnswersNeverRun_data();
    void hostileAnswersNeverRun();
    void leftoverPartFilesGoAtTheNextStart();
    void plainHttpOnlyWhereAllowed();
    void pictureDecodedWithLibjpeg();
};

void DownloadTest::wholeDownloadRunsOnlyAfterAYes_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<bool>("launchWorks");
    QTest::newRow("run, installer starts: the game ends") << "Run" << true;
    QTest::newRow("run, installer cannot start: the game stays") << "Run" << false;
    QTest::newRow("cancel: nothing runs, the file stays") << "Cancel" << true;
}

void DownloadTest::wholeDownloadRunsOnlyAfterAYes()
{
    QFETCH(QString, choice);
    QFETCH(bool, launchWorks);
    DownloadFixture f;
    f.launchWorks = launchWorks;
    QVERIFY(f.button("getbutton")->isEnabled() && f.button("abortbutton")->isEnabled());
    f.button("getbutton")->click();
    QCOMPARE(f.text("infolabel"), QStringLiteral("Loading"));
    QVERIFY(!f.button("getbutton")->isEnabled());
    QVERIFY(f.finished());

    QCOMPARE(f.server.requests.size(), 1);
    const QList<QByteArray> lines = f.server.requests.first().split('\n');
    QCOMPARE(lines.first(), QByteArray("GET /lobby/qxlsetup.exe HTTP/1.0\r"));
    QVERIFY(lines.contains("User-Agent: Mozilla/3.0 (compatible)\r"));
    QVERIFY(lines.contains("Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r"));

    QCOMPARE(f.text("infolabel"), QStringLiteral("Received %1 bytes").arg(f.server.body.size()));
    QCOMPARE(f.text("infolabel2"), QStringLiteral("qxlsetup.exe"));
    QFile file(DownloadFixture::installer());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll() == f.server.body);
    QCOMPARE(file.permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser),
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY(DownloadFixture::partFiles().isEmpty());
    QVERIFY(f.buttonsReady());

    // Nothing runs before the player says so; the question names the file and its address,
    // and a mere Enter cancels.
    QVERIFY(f.launched.isEmpty());
    QMessageBox *ask = f.box("box_run");
    QVERIFY(ask);
    QVERIFY2(ask->text().contains(QDir::toNativeSeparators(DownloadFixture::installer())), qPrintable(ask->text()));
    QVERIFY2(ask->text().contains(f.server.url()), qPrintable(ask->text()));
    QCOMPARE(ask->defaultButton()->text(), QStringLiteral("Cancel"));
    QVERIFY(f.answer(choice));

    const bool run = choice == QLatin1String("Run");
    const QList<QStringList> expected{{DownloadFixture::installer(), "/SP-", "/silent", "/noicons"}};
    QCOMPARE(f.launched, run ? expected : QList<QStringList>());
    QCOMPARE(f.exits.size(), run && launchWorks ? 1 : 0);
    QCOMPARE(f.message(), run && !launchWorks ? QStringLiteral("An Error has Occurred.") : QString());
    if (run && launchWorks)
        QCOMPARE(f.text("infolabel3"), QStringLiteral("Installing"));
    else if (run)
        QVERIFY2(f.text("infolabel3").contains(QStringLiteral("cannot run that kind of program")),
                 qPrintable(f.text("infolabel3")));
    else
        QVERIFY2(f.text("infolabel3").contains(QStringLiteral("Not run")), qPrintable(f.text("infolabel3")));
    QVERIFY(QFile::exists(DownloadFixture::installer()));
}

void DownloadTest::stopsBeforeAndMidwayThenAFreshDownload()
{
    DownloadFixture f;
    // Before any download, a stop only says so.
    f.button("abortbutton")->click();
    QCOMPARE(f.text("infolabel"), QStringLiteral("Download has been aborted."));
    QCOMPARE(f.text("infolabel3"), QStringLiteral("Download Aborted"));
    QVERIFY(f.server.requests.isEmpty());

    f.server.answer = LobbyServer::Answer::HalfThenWait;
    f.button("getbutton")->click();
    const QString half = QStringLiteral("%1 bytes").arg(f.server.body.size() / 2);
    QVERIFY(TestClient::waitUntil([&] { return f.text("infolabel") == half; }));
    QCOMPARE(f.text("infolabel3"), QStringLiteral("Downloading: qxlsetup.exe"));
    // The body arrives under a name of its own, private to the user.
    QVERIFY(!QFile::exists(DownloadFixture::installer()));
    QCOMPARE(DownloadFixture::partFiles().size(), 1);
    QFileInfo part(Environment::dataDirectory() + DownloadFixture::partFiles().constFirst());
    QCOMPARE(part.permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
             QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    f.button("abortbutton")->click();
    QCOMPARE(f.text("infolabel"), QStringLiteral("Download has been aborted."));
    QVERIFY(f.finished());
    QCOMPARE(f.text("infolabel"), QStringLiteral("Download Aborted"));
    QCOMPARE(f.text("infolabel3"), QStringLiteral("Download Aborted"));
    QVERIFY(!f.box("box_run"));
    QVERIFY2(!QFile::exists(DownloadFixture::installer()), "a piece of the installer was left");
    QVERIFY(DownloadFixture::partFiles().isEmpty());
    QVERIFY(f.buttonsReady());

    f.server.answer = LobbyServer::Answer::Whole;
    f.button("getbutton")->click();
    QVERIFY(f.finished());
    QCOMPARE(f.text("infolabel"), QStringLiteral("Received %1 bytes").arg(f.server.body.size()));
    QVERIFY(f.answer(QStringLiteral("Run")));
    QCOMPARE(f.launched.size(), 1);
    QCOMPARE(f.exits.size(), 1);
}

void DownloadTest::hostileAnswersNeverRun_data()
{
    QTest::addColumn<LobbyServer::Answer>("answer");
    QTest::addColumn<bool>("plantLink");   // a link at the installer's name, to a file of the user's
    QTest::addColumn<QString>("why");      // in the status line; empty: the file is whole

    using A = LobbyServer::Answer;
    QTest::newRow("endless body") << A::Endless << false << "larger than 1 MB";
    QTest::newRow("length past the limit") << A::AnnouncedHuge << false << "larger than 1 MB";
    QTest::newRow("trickle") << A::Trickle << false << "too slow";
    QTest::newRow("cut short without a length") << A::CutWithoutLength << false << "without saying how long";
    QTest::newRow("cut short of its length") << A::CutWithLength << false << "Download Aborted: ";
    QTest::newRow("not found") << A::NotFound << false << "Not Found";
    QTest::newRow("link planted, download fails") << A::CutWithoutLength << true << "without saying how long";
    QTest::newRow("link planted, whole file") << A::Whole << true << "";
}

void DownloadTest::hostileAnswersNeverRun()
{
    QFETCH(LobbyServer::Answer, answer);
    QFETCH(bool, plantLink);
    QFETCH(QString, why);
    DownloadFixture f;
    f.server.answer = answer;
    f.window.maxBytes = 1024 * 1024;
    f.window.lowSpeedBytes = 1000;
    f.window.lowSpeedSeconds = 1;
    const QString victim = Environment::dataDirectory() + QStringLiteral("victim.txt");
    {
        QFile file(victim);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("the user's own file");
    }
    if (plantLink)
        QVERIFY(QFile::link(victim, DownloadFixture::installer()));

    f.button("getbutton")->click();
    QVERIFY(f.finished());
    QVERIFY(f.buttonsReady());
    QVERIFY(DownloadFixture::partFiles().isEmpty());
    QFile kept(victim);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("the user's own file"));
    QFileInfo installer(DownloadFixture::installer());
    if (why.isEmpty()) {
        // The link was replaced by the whole file, never written through.
        QVERIFY(!installer.isSymLink());
        QCOMPARE(installer.size(), f.server.body.size());
        QVERIFY(f.box("box_run"));
    } else {
        QCOMPARE(f.text("infolabel"), QStringLiteral("Download Aborted"));
        QVERIFY2(f.text("infolabel3").contains(why), qPrintable(f.text("infolabel3")));
        QCOMPARE(installer.isSymLink(), plantLink);
        QVERIFY(plantLink || !installer.exists());
        QVERIFY(!f.box("box_run"));
    }
    QVERIFY(f.launched.isEmpty());
    QFile::remove(DownloadFixture::installer());
    QFile::remove(victim);
}

void DownloadTest::leftoverPartFilesGoAtTheNextStart()
{
    const QString installer = DownloadFixture::installer();
    // One left by a copy of the game that was killed, one of a download running in another.
    {
        QFile leftover(installer + QStringLiteral(".part-dead"));
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.write("half an installer");
    }
    PartFile running(installer);
    QVERIFY2(running.open(), qPrintable(running.errorString()));
    QCOMPARE(DownloadFixture::partFiles().size(), 2);

    Tdownload window;
    QCOMPARE(DownloadFixture::partFiles(), QStringList{QFileInfo(running.path()).fileName()});
    running.discard();
    QVERIFY(DownloadFixture::partFiles().isEmpty());
}

void DownloadTest::plainHttpOnlyWhereAllowed()
{
    // The built-in address is https; plain http only for an address the environment sets.
    QCOMPARE(QUrl(Tdownload::kLobbyUrl).scheme(), QStringLiteral("https"));
    QVERIFY(QUrl(Tdownload::kLobbyUrl).host().endsWith(QStringLiteral(".invalid")));
    QFile body(DownloadFixture::installer());
    QVERIFY(body.open(QIODevice::WriteOnly));
    HttpGet get;
    QVERIFY(!get.get({QUrl(QStringLiteral("http://127.0.0.1:1/lobby/qxlsetup.exe")), "agent", {}, false}, &body));
    QVERIFY(!get.isRunning());
}

void DownloadTest::pictureDecodedWithLibjpeg()
{
    Tdownload window;
    window.show();
    QCOMPARE(window.findChild<QLabel *>(QStringLiteral("Image1"))->pixmap().size(), QSize(240, 180));
    QVERIFY(window.findChild<QLabel *>(QStringLiteral("Label2")));
    QFile file(QStringLiteral(":/images/lobby.jpg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray jpeg = file.readAll();
    QCOMPARE(JpegImage::decode(jpeg).size(), QSize(240, 180));
    // Damaged data gives no picture rather than a crash.
    QVERIFY(JpegImage::decode(QByteArray("not a picture")).isNull());
    QVERIFY(JpegImage::decode(jpeg.left(20)).isNull());
}

QTEST_MAIN(DownloadTest)
#include "tst_download.moc"
