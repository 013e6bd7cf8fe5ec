// The lobby download window against a web server of the test's own on 127.0.0.1.

#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include "common/environment.h"
#include "testclient.h"
#include "ui/jpegimage.h"
#include "download/httpget.h"
#include "windows/tdownload.h"

namespace {

// Answers each GET the way the test asks and keeps the request it got.
class LobbyServer : public QObject {
public:
    enum class Answer { Whole, HalfThenWait, NotFound };

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
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        requests.append(request);
        const QByteArray head = "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
                                QByteArray::number(body.size()) + "\r\n\r\n";
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
        window.launcher = [this](const QString &program, const QStringList &arguments) {
            launched.append(QStringList{program} + arguments);
            return launchWorks;
        };
        QFile::remove(installer());
    }
    static QString installer() { return Environment::dataDirectory() + QStringLiteral("qxlsetup.exe"); }
    QString text(const char *label) const { return window.findChild<QLabel *>(QLatin1String(label))->text(); }
    QPushButton *button(const char *name) const { return window.findChild<QPushButton *>(QLatin1String(name)); }
    bool buttonsReady() const { return button("getbutton")->isEnabled() && !button("abortbutton")->isEnabled(); }
    // Waits until the download has ended one way or the other.
    bool finished() const
    {
        return TestClient::waitUntil([this] { return !window.downloading(); });
    }
    QString message() const
    {
        for (QMessageBox *box : window.findChildren<QMessageBox *>()) {
            if (box->isVisible())
                return box->text();
        }
        return QString();
    }
};

} // namespace

class DownloadTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { qunsetenv("MORVELLO_LOBBY_URL"); }

    void completeDownloadStartsTheInstaller_data();
    void completeDownloadStartsTheInstaller();
    void stopsBeforeAndMidwayThenAFreshDownload();
    void notFoundIsAFailure();
    void plainHttpOnlyWhereAllowed();
    void pictureDecodedWithLibjpeg();
};

void DownloadTest::completeDownloadStartsTheInstaller_data()
{
    QTest::addColumn<bool>("launchWorks");
    QTest::newRow("installer starts: the game ends") << true;
    QTest::newRow("installer cannot start: the game stays") << false;
}

void DownloadTest::completeDownloadStartsTheInstaller()
{
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
    QCOMPARE(f.text("infolabel3"), QStringLiteral("Installing"));
    QCOMPARE(f.text("infolabel2"), QStringLiteral("qxlsetup.exe"));
    QFile file(DownloadFixture::installer());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll() == f.server.body);
    QCOMPARE(f.launched, (QList<QStringList>{{DownloadFixture::installer(), "/SP-", "/silent", "/noicons"}}));
    QVERIFY(f.buttonsReady());
    QCOMPARE(f.exits.size(), launchWorks ? 1 : 0);
    QCOMPARE(f.message(), launchWorks ? QString() : QStringLiteral("An Error has Occurred."));
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
    QVERIFY(QFile::exists(DownloadFixture::installer()));

    f.button("abortbutton")->click();
    QCOMPARE(f.text("infolabel"), QStringLiteral("Download has been aborted."));
    QVERIFY(f.finished());
    QCOMPARE(f.text("infolabel"), QStringLiteral("Download Aborted"));
    QCOMPARE(f.text("infolabel3"), QStringLiteral("Download Aborted"));
    QVERIFY(f.launched.isEmpty());
    QVERIFY2(!QFile::exists(DownloadFixture::installer()), "a piece of the installer was left");
    QVERIFY(f.buttonsReady());

    f.server.answer = LobbyServer::Answer::Whole;
    f.button("getbutton")->click();
    QVERIFY(f.finished());
    QCOMPARE(f.text("infolabel"), QStringLiteral("Received %1 bytes").arg(f.server.body.size()));
    QCOMPARE(f.launched.size(), 1);
    QCOMPARE(f.exits.size(), 1);
}

void DownloadTest::notFoundIsAFailure()
{
    DownloadFixture f;
    f.server.answer = LobbyServer::Answer::NotFound;
    f.button("getbutton")->click();
    QVERIFY(f.finished());
    QCOMPARE(f.text("infolabel"), QStringLiteral("Download Aborted"));
    QVERIFY2(f.text("infolabel3").contains(QStringLiteral("Not Found")), qPrintable(f.text("infolabel3")));
    QVERIFY(f.launched.isEmpty());
    QVERIFY(!QFile::exists(DownloadFixture::installer()));
    QVERIFY(f.buttonsReady());
    QCOMPARE(f.exits.size(), 0);
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
