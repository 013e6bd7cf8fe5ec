// The client without widgets: the roster and chat side of the model, the chat commands, the
// colour texts and the links found in chat lines; the session's start-up, preferences, the end
// of its connection to a real host, and the table a session sees when it joins a running game.

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

#include "common/profile.h"
#include "host/hostcontrols.h"
#include "host/tserver.h"
#include "session/chatlinks.h"
#include "session/clientsession.h"
#include "session/spylistmodel.h"
#include "clientmodelfixture.h"
#include "testclient.h"

using Outcome = ClientCommands::Outcome;

namespace {

// A host in the process that only notes what it was asked, and refuses to listen when told to.
struct FakeHost : HostControls {
    QString listenError;
    QStringList calls;

    bool startListening(QString *errorText, quint16, const QHostAddress &address) override
    {
        calls << QStringLiteral("listen ") + address.toString();
        *errorText = listenError;
        return listenError.isEmpty();
    }
    void setHostClient(const QHostAddress &, quint16) override { calls << QStringLiteral("hostclient"); }
    void disconnectsock(int slot) override { calls << QStringLiteral("kick %1").arg(slot); }
    void setTimer1Interval(int milliseconds) override { calls << QStringLiteral("speed %1").arg(milliseconds); }
};

// A session over a fake host, with its settings file in a directory of its own.
struct SessionFixture {
    QTemporaryDir dir;
    FakeHost host;
    ClientSession session{dir.filePath(QStringLiteral("orlenlobby.ini"))};
    QList<int> failures;

    SessionFixture()
    {
        session.setHost(&host);
        QObject::connect(&session, &ClientSession::startFailed,
                         [this](const ClientSession::StartFailure &failure) { failures.append(int(failure.kind)); });
    }
    QString stored(const QString &key) const
    {
        return Profile(session.preferences().path()).readString(ClientSettings::kSection, key, QStringLiteral("-"));
    }
};

} // namespace

class ClientModelTest : public QObject {
    Q_OBJECT

private slots:
    void colorText_data();
    void colorText();
    void relayedLineColour_data();
    void relayedLineColour();
    void sendit_data();
    void sendit();
    void phrases_data();
    void phrases();
    void phraseLockCountsTicks();
    void wireNeverCarriesTheTerminator();
    void roster();
    void evilHostIsBounded();
    void rosterIgnoresWhatItShould_data();
    void rosterIgnoresWhatItShould();
    void links_data();
    void links();
    void connectionStopsReadingWhenFull();
    void connectionRefusesOversizedMessages_data();
    void connectionRefusesOversizedMessages();
    void startUp_data();
    void startUp();
    void sideConnectionHoldsLittle_data();
    void sideConnectionHoldsLittle();
    void preferencesAreStoredAsChanged_data();
    void preferencesAreStoredAsChanged();
    void preferencesReadAtLogin();
    void preferencesOfTwoCopiesKeepEachOthersChanges();
    void spyListIsKeyedBySlot();
    void closesTellTheClientWhy_data();
    void closesTellTheClientWhy();
    void lateJoinerSeesTheWholeTable();
};

void ClientModelTest::colorText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("written");

    QTest::newRow("basic name") << "clBlack" << true << 0x000000 << "clBlack";
    QTest::newRow("any letter case") << "CLRED" << true << 0x0000FF << "clRed";
    QTest::newRow("hex 00BBGGRR") << "$00FF8000" << true << 0xFF8000 << "$00FF8000";
    QTest::newRow("hex naming a basic colour") << "$00800000" << true << 0x800000 << "clNavy";
    QTest::newRow("lower-case hex") << "$00ff8000" << true << 0xFF8000 << "$00FF8000";
    QTest::newRow("decimal") << "255" << true << 255 << "clRed";
    QTest::newRow("negative decimal") << "-16777201" << true << -16777201 << "$FF00000F";
    QTest::newRow("empty") << "" << false << 0 << "";
    QTest::newRow("unknown name") << "clPink" << false << 0 << "";
    QTest::newRow("hex too long") << "$0000000001" << false << 0 << "";
    QTest::newRow("bare dollar") << "$" << false << 0 << "";
    QTest::newRow("decimal with blank") << " 12" << false << 0 << "";
    QTest::newRow("decimal too large") << "99999999999" << false << 0 << "";
}

void ClientModelTest::colorText()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    QFETCH(QString, written);

    const std::optional<ColorText::Value> parsed = ColorText::parse(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid) {
        QCOMPARE(*parsed, value);
        QCOMPARE(ColorText::format(*parsed), written);
        QCOMPARE(ColorText::parse(written), parsed);
    }
}

void ClientModelTest::relayedLineColour_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("color");

    QTest::newRow("chat in its colour") << "CMD_chat+Ann chats: hi|$00FF8000" << "Ann chats: hi" << 0xFF8000;
    QTest::newRow("action by name") << "CMD_action+Ann waves|clGreen" << "Ann waves" << 0x008000;
    QTest::newRow("no colour: red") << "CMD_chat+Ann chats: hi" << "Ann chats: hi" << 0x0000FF;
    QTest::newRow("unreadable colour: red") << "CMD_chat+Ann chats: hi|green" << "Ann chats: hi" << 0x0000FF;
    QTest::newRow("a typed bar stays in the line") << "CMD_chat+Ann chats: a|b|clBlack" << "Ann chats: a|b" << 0;
    QTest::newRow("markup stays text") << "CMD_chat+Ann chats: <b>x</b>|clBlack" << "Ann chats: <b>x</b>" << 0;
}

void ClientModelTest::relayedLineColour()
{
    QFETCH(QString, message);
    QFETCH(QString, line);
    QFETCH(int, color);

    ClientModelFixture f;
    f.deliver(message);
    QCOMPARE(f.lines.size(), 1);
    QCOMPARE(f.lines[0].first, line);
    QCOMPARE(f.lines[0].second, color);
}

void ClientModelTest::sendit_data()
{
    QTest::addColumn<bool>("loggedIn");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<bool>("cleared");

    QTest::newRow("chat line") << true << "hello" << QByteArray("CMD_chat+3+hello|clRed") << true;
    QTest::newRow("/me waves") << true << "/me waves" << QByteArray("CMD_action+3+waves|clBlue") << true;
    QTest::newRow("/me alone") << true << "/me" << QByteArray("CMD_action+3+|clBlue") << true;
    QTest::newRow("/mewaves drops the fourth") << true << "/mewaves" << QByteArray("CMD_action+3+aves|clBlue")
                                               << true;
    QTest::newRow("other slash command") << true << "/who" << QByteArray() << true;
    QTest::newRow("empty") << true << "" << QByteArray() << true;
    QTest::newRow("before login") << false << "hello" << QByteArray() << false;
}

void ClientModelTest::sendit()
{
    QFETCH(bool, loggedIn);
    QFETCH(QString, input);
    QFETCH(QByteArray, sent);
    QFETCH(bool, cleared);

    ClientModelFixture f;
    if (loggedIn)
        f.login(3);
    f.preferences.setTextColor(ColorText::kRed);
    f.preferences.setActionColor(ColorText::kBlue);
    QCOMPARE(f.commands.sendit(input), cleared);
    QCOMPARE(f.sent, sent.isNull() ? QList<QByteArray>() : QList<QByteArray>{sent});
}

void ClientModelTest::phrases_data()
{
    QTest::addColumn<QString>("phrase");
    QTest::addColumn<QByteArray>("sent");

    QTest::newRow("says") << "Good One!" << QByteArray("CMD_action+2+says: Good One!|clBlack");
    QTest::newRow("/me phrase") << "/me dances" << QByteArray("CMD_action+2+dances|clBlack");
    QTest::newRow("/me without blank is said") << "/medances" << QByteArray("CMD_action+2+says: /medances|clBlack");
}

void ClientModelTest::phrases()
{
    QFETCH(QString, phrase);
    QFETCH(QByteArray, sent);

    ClientModelFixture f;
    QCOMPARE(f.commands.phrase(phrase), Outcome::Ignored);  // not logged in yet
    f.login(2);
    QCOMPARE(f.commands.phrase(phrase), Outcome::Sent);
    QCOMPARE(f.commands.phrase(phrase), Outcome::Ignored);  // locked
    QCOMPARE(f.sent, QList<QByteArray>{sent});
}

void ClientModelTest::phraseLockCountsTicks()
{
    ClientModelFixture f;
    f.login(1);
    f.commands.phrase(QStringLiteral("Thanks!"));
    for (int tick = 1; tick <= ClientCommands::kPhraseLockTicks; ++tick)
        QVERIFY(f.commands.tick());
    QVERIFY(!f.commands.tick());  // the 101st tick opens the lock
    QCOMPARE(f.commands.phrase(QStringLiteral("Thanks!")), Outcome::Sent);
    QCOMPARE(f.sent.size(), 2);
}

void ClientModelTest::wireNeverCarriesTheTerminator()
{
    // "ÿ" is the terminator's byte in the wire's Latin-1; characters beyond Latin-1 become "?".
    ClientModelFixture f;
    f.commands.setLoginName(QStringLiteral("Zoÿ€"));
    QCOMPARE(f.commands.loginname(), QByteArray("Zoy?\xff"));
    f.deliver(QStringLiteral("CMD_sendlogininfo+1"));
    f.commands.sendit(QStringLiteral("ÿ+CMD_startgame+1+t+true"));
    f.commands.phrase(QStringLiteral("Wÿw"));
    QCOMPARE(f.sent.size(), 3);
    QCOMPARE(f.sent[0], QByteArray("CMD_logininfo+1+1.0.1+Zoy?\xff"));
    QCOMPARE(f.sent[1], QByteArray("CMD_chat+1+y+CMD_startgame+1+t+true|clBlack"));
    QCOMPARE(f.sent[2], QByteArray("CMD_action+1+says: Wyw|clBlack"));
    for (int i = 1; i < f.sent.size(); ++i)
        QVERIFY(!f.sent[i].contains('\xff'));
}

void ClientModelTest::roster()
{
    ClientModelFixture f;
    f.login(2);
    f.deliver({"CMD_existingplayers+1+Ann", "CMD_newplayerinfo+2+Me", "CMD_newplayerinfo+6+Bob",
               "CMD_newplayerinfo+5+", "CMD_newplayerinfo+3+Cy"});
    QCOMPARE(f.model.seat(1).name, QStringLiteral("Ann"));
    QCOMPARE(f.model.seat(2).name, QStringLiteral("Me"));
    QCOMPARE(f.model.seat(3).name, QStringLiteral("Cy"));
    QCOMPARE(f.model.seat(4).name, QStringLiteral("<Waiting>"));
    QCOMPARE(f.model.spectators().size(), 1);
    QCOMPARE(f.model.announcedName(), QStringLiteral("Me"));
    QCOMPARE(f.sounds.count(QStringLiteral("entered")), 4);  // the empty name changes nothing
    const QStringList joined{"Ann is Connected.", "You are Connected.", "Bob is Connected.", "Bob is spying.",
                             "Cy is Connected."};
    for (int i = 0; i < joined.size(); ++i) {
        QCOMPARE(f.lines[i].first, joined[i]);
        QCOMPARE(f.lines[i].second, ColorText::kBlue);
    }

    f.lines.clear();
    f.deliver({"CMD_justwatching+3+1", "CMD_playerdisconnected+3+Cy", "CMD_playerdisconnected+6+Bob",
               "CMD_playerdisconnected+6+Bob", "CMD_playerdisconnected+1+Ann"});
    QCOMPARE(f.model.seat(3).name, QStringLiteral("Kling"));  // the computer takes the seat over
    QVERIFY(!f.model.seat(3).watching);
    QCOMPARE(f.model.seat(1).name, QString());
    QVERIFY(f.model.spectators().isEmpty());
    QCOMPARE(f.lines.size(), 4);  // the second leaving of Bob finds him gone
    QCOMPARE(f.lines[1].first, QStringLiteral("Cy disconnected."));
    QCOMPARE(f.lines[2].first, QStringLiteral("Bob has left."));
    QCOMPARE(f.lines[2].second, ColorText::kNavy);
    QCOMPARE(f.lines[3].first, QStringLiteral("Ann disconnected."));
}

// What an evil host can make a client hold or print stays bounded: the spectators are one
// entry a slot with names cut as the host cuts them, and reports of malformed messages are
// limited however many come.
void ClientModelTest::evilHostIsBounded()
{
    ClientModelFixture f;
    f.login(2);
    const QString longName(61000, QLatin1Char('x'));
    for (int i = 0; i < 2000; ++i)
        f.deliver(QStringLiteral("CMD_newplayerinfo+%1+%2").arg(5 + i % 5).arg(longName));
    QCOMPARE(f.model.spectators().size(), 5);
    for (const SpectatorView &spy : f.model.spectators())
        QCOMPARE(spy.name.size(), 64);
    f.deliver(QStringLiteral("CMD_newplayerinfo+6+Bob"));
    QCOMPARE(f.model.spectators().size(), 5);
    QCOMPARE(f.model.spectators().at(1).name, QStringLiteral("Bob"));   // the repeated slot replaced

    static int reports = 0;
    reports = 0;
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &text) {
        ++reports;
        QVERIFY(!text.contains(QLatin1Char('\n')));
    });
    qint64 now = 0;
    f.model.setClock([&now] { return now; });
    for (int i = 0; i < 781; ++i)
        f.model.apply(QByteArray("CMD_nextplayer+x\n\x1b[2J+") + QByteArray::number(i));
    now += 1000;
    f.model.apply("CMD_nextplayer+x");
    qInstallMessageHandler(previous);
    // One second's worth, the summary of the rest, and the next second's first.
    QCOMPARE(reports, GameModel::kReportsPerSecond + 2);
}

void ClientModelTest::rosterIgnoresWhatItShould_data()
{
    QTest::addColumn<QString>("message");
    // A slot that has not logged in yet has no name to show.
    QTest::newRow("empty name") << "CMD_newplayerinfo+3+";
    QTest::newRow("no name field") << "CMD_existingplayers+3";
    // A message that does not decode (the catalogue's table has every such case) is dropped whole.
    QTest::newRow("slot 10") << "CMD_newplayerinfo+10+Ann";
    QTest::newRow("login as slot 0") << "CMD_sendlogininfo+0";
}

void ClientModelTest::rosterIgnoresWhatItShould()
{
    QFETCH(QString, message);
    ClientModelFixture f;
    f.deliver(message);
    QVERIFY(f.lines.isEmpty());
    QVERIFY(f.sent.isEmpty());
    QVERIFY(!f.model.loggedin());
    for (int seat = 1; seat <= game::kSeats; ++seat)
        QCOMPARE(f.model.seat(seat).name, QStringLiteral("<Waiting>"));
}

void ClientModelTest::links_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("at");
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("opened");

    QTest::newRow("www with full stop") << "see www.example.org." << 6 << "www.example.org" << "http://www.example.org";
    QTest::newRow("prefix only") << "www." << 1 << "" << "";
    QTest::newRow("http and one letter") << "http://a" << 0 << "http://a" << "http://a";
    QTest::newRow("capitals kept") << "Go HTTP://Example.ORG/X!" << 5 << "HTTP://Example.ORG/X" << "HTTP://Example.ORG/X";
    QTest::newRow("text before the prefix") << "(http://x.org)" << 3 << "http://x.org" << "http://x.org";
    QTest::newRow("https found whole") << "https://x.org" << 2 << "https://x.org" << "https://x.org";
    QTest::newRow("ftp") << "ftp://f.org/a" << 0 << "ftp://f.org/a" << "ftp://f.org/a";
    QTest::newRow("mailto loses its query") << "mailto:a@b.org?attach=/etc/passwd" << 3 << "mailto:a@b.org?attach=/etc/passwd"
                                            << "mailto:a@b.org";
    QTest::newRow("file is not opened") << "file:///etc/passwd" << 2 << "file:///etc/passwd" << "";
    QTest::newRow("telnet is not opened") << "telnet://h.org" << 2 << "telnet://h.org" << "";
    QTest::newRow("news is not opened") << "news:comp.lang" << 2 << "news:comp.lang" << "";
    QTest::newRow("gopher is not opened") << "gopher://g.org" << 2 << "gopher://g.org" << "";
    QTest::newRow("earlier prefix in the list decides") << "www.a.org/http://b.org" << 0 << "http://b.org"
                                                        << "http://b.org";
    QTest::newRow("on a blank") << "www.a.org b" << 9 << "" << "";
    QTest::newRow("another word") << "www.a.org bob" << 11 << "" << "";
    QTest::newRow("beyond the end") << "www.a.org" << 9 << "" << "";
}

void ClientModelTest::links()
{
    QFETCH(QString, text);
    QFETCH(int, at);
    QFETCH(QString, link);
    QFETCH(QString, opened);

    const std::optional<ChatLinks::Link> found = ChatLinks::linkAt(text, at);
    QCOMPARE(found.has_value(), !link.isEmpty());
    if (found) {
        QCOMPARE(found->text, link);
        QCOMPARE(text.mid(found->start, found->length), link);
        QCOMPARE(ChatLinks::addressToOpen(*found), opened);
    }
}

void ClientModelTest::connectionStopsReadingWhenFull()
{
    ClientConnection connection;
    QByteArray burst;
    for (int n = 0; n < ClientConnection::kMaxQueued; ++n)
        burst += "CMD_chat+x|clRed" + QByteArray(1, kTerminator);
    connection.receiveBytes(burst.first(burst.size() / 2));
    QVERIFY(!connection.readingPaused());
    connection.receiveBytes(burst.sliced(burst.size() / 2));
    QVERIFY(connection.readingPaused());

    // Reading resumes once the dispatcher has taken half of it, not before.
    QSignalSpy taken(&connection, &ClientConnection::entryTaken);
    for (int tick = 0; tick < ClientConnection::kMaxQueued / 2 - 1; ++tick)
        connection.Timer1Timer();
    QVERIFY(connection.readingPaused());
    connection.Timer1Timer();
    QVERIFY(!connection.readingPaused());
    QCOMPARE(taken.size(), ClientConnection::kMaxQueued / 2);
}

void ClientModelTest::connectionRefusesOversizedMessages_data()
{
    QTest::addColumn<int>("pieces");
    QTest::newRow("in one read") << 1;
    QTest::newRow("in many reads") << 50;
}

void ClientModelTest::connectionRefusesOversizedMessages()
{
    QFETCH(int, pieces);
    ClientConnection connection;
    QSignalSpy tooLong(&connection, &ClientConnection::inputTooLong);
    const QByteArray before = "CMD_wrongversion+" + QByteArray(1, kTerminator);
    const QByteArray huge = "CMD_chat+" + QByteArray(100 * 1024, 'a') + kTerminator;
    connection.receiveBytes(before);
    const qsizetype piece = huge.size() / pieces + 1;
    for (qsizetype at = 0; at < huge.size() && tooLong.isEmpty(); at += piece)
        connection.receiveBytes(QByteArrayView(huge).sliced(at, qMin(piece, huge.size() - at)));
    QCOMPARE(tooLong.size(), 1);
    // What came before it is still handled.
    QCOMPARE(connection.receivedlist(), QQueue<QByteArray>({QByteArray("CMD_wrongversion+")}));
}

void ClientModelTest::startUp_data()
{
    QTest::addColumn<QStringList>("parameters");
    QTest::addColumn<QString>("listenError");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("state");
    QTest::addColumn<QStringList>("hostCalls");
    QTest::addColumn<QList<int>>("failures");
    QTest::addColumn<bool>("sideConnection");

    using M = ClientSession::Mode;
    using S = ClientSession::State;
    using F = ClientSession::StartFailure::Kind;
    const QString taken = QStringLiteral("Listen - Error Binding Socket");
    const QStringList solo{"listen 127.0.0.1", "hostclient"};
    QTest::newRow("solo") << QStringList{} << "" << int(M::Solo) << int(S::Connecting) << solo << QList<int>{}
                          << false;
    QTest::newRow("host") << QStringList{"Ann", "192.0.2.7", "true"} << "" << int(M::Host) << int(S::Connecting)
                          << QStringList{"listen 0.0.0.0", "hostclient"} << QList<int>{} << true;
    QTest::newRow("only true hosts") << QStringList{"Ann", "127.0.0.1", "True"} << "" << int(M::Join)
                                     << int(S::Connecting) << QStringList{} << QList<int>{} << true;
    QTest::newRow("two words") << QStringList{"Ann", "x"} << "" << int(M::Incomplete) << int(S::Created)
                               << QStringList{} << QList<int>{} << false;
    QTest::newRow("port taken") << QStringList{} << taken << int(M::Solo) << int(S::Failed)
                                << QStringList{"listen 127.0.0.1"} << QList<int>{int(F::PortInUse)} << false;
    QTest::newRow("no listener, no side connection")
        << QStringList{"Ann", "x", "true"} << "Listen - Error Starting Listen" << int(M::Host) << int(S::Failed)
        << QStringList{"listen 0.0.0.0"} << QList<int>{int(F::CannotListen)} << false;
    QTest::newRow("not dotted IPv4") << QStringList{"Ann", "1.2.3.999", "false"} << "" << int(M::Join)
                                     << int(S::Failed) << QStringList{} << QList<int>{int(F::InvalidAddress)}
                                     << true;
}

void ClientModelTest::startUp()
{
    QFETCH(QStringList, parameters);
    QFETCH(QString, listenError);
    QFETCH(int, mode);
    QFETCH(int, state);
    QFETCH(QStringList, hostCalls);
    QFETCH(QList<int>, failures);
    QFETCH(bool, sideConnection);

    SessionFixture f;
    f.host.listenError = listenError;
    f.session.processparams(parameters);
    QCOMPARE(int(f.session.mode()), mode);
    QCOMPARE(int(f.session.state()), state);
    QCOMPARE(f.host.calls, hostCalls);
    QCOMPARE(f.failures, failures);
    QCOMPARE(f.session.sock11() != nullptr, sideConnection);
    QCOMPARE(f.session.model().ishost(), hostCalls.size() == 2);
    QCOMPARE(f.session.model().startOffered(), hostCalls.size() == 2);
    // Nobody listens on the tests' port: whatever connects ends as a failed connection.
    if (state == int(ClientSession::State::Connecting)) {
        QTRY_COMPARE(f.failures, QList<int>{int(ClientSession::StartFailure::Kind::ConnectFailed)});
        QCOMPARE(f.session.state(), ClientSession::State::Failed);
    }
}

void ClientModelTest::sideConnectionHoldsLittle_data()
{
    QTest::addColumn<QStringList>("parameters");
    QTest::newRow("joining") << QStringList{"Ann", "127.0.0.1", "false"};
    QTest::newRow("hosting") << QStringList{"Ann", "127.0.0.1", "true"};
}

void ClientModelTest::sideConnectionHoldsLittle()
{
    QFETCH(QStringList, parameters);
    QTcpServer side;
    if (!side.listen(QHostAddress::LocalHost, ClientSession::kSideConnectionPort))
        QSKIP("the side connection's port is in use here");
    SessionFixture f;
    f.session.processparams(parameters);
    QTcpSocket *own = f.session.sock11();
    QVERIFY(own);
    // Other tests' copies may connect here too: the far end is the one at this copy's port.
    QTcpSocket *far = nullptr;
    QVERIFY(TestClient::waitUntil([&] {
        while (side.hasPendingConnections()) {
            QTcpSocket *next = side.nextPendingConnection();
            if (own->state() == QAbstractSocket::ConnectedState && next->peerPort() == own->localPort())
                far = next;
        }
        return far != nullptr;
    }));

    // Far more than the system holds on its way: a copy that took it all would hold it all.
    far->write(QByteArray(32 * 1024 * 1024, 'z'));
    QVERIFY(TestClient::waitUntil([&] {
        return own->bytesAvailable() >= ClientSession::kSideReadBufferSize;
    }));
    QVERIFY(far->bytesToWrite() > 0);
    QCOMPARE(own->bytesAvailable(), ClientSession::kSideReadBufferSize);
}

void ClientModelTest::preferencesAreStoredAsChanged_data()
{
    QTest::addColumn<std::function<void(Preferences &)>>("change");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("written");

    using Change = std::function<void(Preferences &)>;
    QTest::newRow("text size") << Change([](Preferences &p) { p.setTextSize(12); }) << "Textsize" << "12";
    QTest::newRow("text colour") << Change([](Preferences &p) { p.setTextColor(ColorText::kRed); }) << "Textcolor"
                                 << "clRed";
    QTest::newRow("action colour") << Change([](Preferences &p) { p.setActionColor(0x0080FF); }) << "Actioncolor"
                                   << "$000080FF";
    QTest::newRow("sounds off") << Change([](Preferences &p) { p.setPlaySounds(false); }) << "Playsounds" << "false";
    QTest::newRow("hints on") << Change([](Preferences &p) { p.setShowHints(true); }) << "Showhints" << "true";
    QTest::newRow("hints off unless chosen") << Change([](Preferences &p) { p.save(); }) << "Showhints" << "false";
    QTest::newRow("zero-score question unasked until read")
        << Change([](Preferences &p) { p.save(); }) << "Doublecheck" << "false";
    QTest::newRow("a menu change leaves the phrases")
        << Change([](Preferences &p) { p.setDoubleCheck(true); }) << "Phrase1" << "-";
    QTest::newRow("an emptied phrase is stored empty")
        << Change([](Preferences &p) { p.setPhrases({"Hi", "", "/me cheers"}); }) << "Phrase2" << "";
    QTest::newRow("the editor leaves the menus' keys")
        << Change([](Preferences &p) { p.setPhrases({"Hi"}); }) << "Textsize" << "-";
}

void ClientModelTest::preferencesAreStoredAsChanged()
{
    QFETCH(std::function<void(Preferences &)>, change);
    QFETCH(QString, key);
    QFETCH(QString, written);

    SessionFixture f;
    change(f.session.preferences());
    QCOMPARE(f.stored(key), written);
    // What is stored reads back as it is in use.
    Preferences reread(f.session.preferences().path());
    reread.load();
    const Preferences &used = f.session.preferences();
    QCOMPARE(reread.textSize(), used.textSize());
    QCOMPARE(reread.textColor(), used.textColor());
    QCOMPARE(reread.actionColor(), used.actionColor());
    QCOMPARE(reread.playSounds(), used.playSounds());
    QCOMPARE(reread.showHints(), used.showHints());
    QCOMPARE(reread.phrases(), used.phrases());
}

void ClientModelTest::preferencesReadAtLogin()
{
    SessionFixture f;
    Preferences &prefs = f.session.preferences();
    QSignalSpy failed(&prefs, &Preferences::saveFailed);
    prefs.setPhrases({"", "", "Mine"});
    // Another program changes the file before the login; an empty phrase keeps the one in use.
    QVERIFY(Profile(prefs.path()).write(ClientSettings::kSection,
                                        {{"Textsize", "99"}, {"Phrase2", "Ho"}, {"Phrase3", ""}}));
    QCOMPARE(prefs.phrase(1), QStringLiteral("Way To Go!"));
    QCOMPARE(prefs.doubleCheck(), false);

    QByteArray login("CMD_sendlogininfo+1#CMD_newplayerinfo+1+You#");
    login.replace('#', kTerminator);
    f.session.connection().receiveBytes(login);
    while (!f.session.connection().receivedlist().isEmpty())
        f.session.connection().Timer1Timer();
    QCOMPARE(f.session.state(), ClientSession::State::LoggedIn);
    QCOMPARE(prefs.textSize(), 8);            // out of range reads as the default
    QCOMPARE(prefs.doubleCheck(), true);      // a missing key reads as "true"
    QCOMPARE(prefs.phrase(2), QStringLiteral("Ho"));
    QCOMPARE(prefs.phrase(3), QStringLiteral("Mine"));
    QCOMPARE(failed.count(), 0);

    // A file that cannot be written is told once.
    QVERIFY(QFile::remove(prefs.path()));
    QVERIFY(QDir().mkpath(prefs.path()));
    prefs.setTextSize(10);
    prefs.setPlaySounds(false);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(prefs.textSize(), 10);
}

// Two copies of the game share the settings file: each writes what its user changed and keeps
// what the other changed since it read the file; the lobby's section stays byte for byte.
void ClientModelTest::preferencesOfTwoCopiesKeepEachOthersChanges()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(ClientSettings::kFileName);
    const QByteArray lobby("[Lobby]\r\nName = Ann \r\nTextsize=99\r\n\r\n");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(lobby + "[Morvello]\r\nTextsize=10\r\nPhrase1=Hi\r\n");
    file.close();
    Preferences one(path);
    Preferences other(path);
    one.load();
    other.load();

    one.setTextSize(14);
    QStringList phrases = one.phrases();
    phrases[1] = QStringLiteral("Theirs");
    one.setPhrases(phrases);
    other.setPlaySounds(false);
    phrases = other.phrases();
    phrases[2] = QStringLiteral("Mine");
    other.setPhrases(phrases);

    const Profile after(path);
    const QList<std::pair<QString, QString>> stored = {
        {"Textsize", "14"}, {"Playsounds", "false"}, {"Phrase1", "Hi"}, {"Phrase2", "Theirs"}, {"Phrase3", "Mine"}};
    for (const auto &[key, value] : stored)
        QCOMPARE(after.readString(ClientSettings::kSection, key), value);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith(lobby));
    file.close();
    // A change of this copy's own goes over the other's.
    other.setTextSize(12);
    QCOMPARE(Profile(path).readString(ClientSettings::kSection, QStringLiteral("Textsize")), QStringLiteral("12"));
}

void ClientModelTest::spyListIsKeyedBySlot()
{
    ClientModelFixture f;
    SpyListModel spies(f.model);
    f.login(7, {});
    f.deliver({"CMD_newplayerinfo+7+Me", "CMD_existingplayers+6+Bob", "CMD_newplayerinfo+8+Bob: the 2nd", "CMD_newplayerinfo+2+Cy"});
    QCOMPARE(spies.rowCount(), 3);
    QCOMPARE(spies.index(1).data().toString(), QStringLiteral("6: Bob"));
    QCOMPARE(spies.index(1).data(SpyListModel::SlotRole).toInt(), 6);
    QCOMPARE(spies.rowOfSlot(8), 2);
    f.deliver("CMD_playerdisconnected+6+Bob");
    QCOMPARE(spies.rowOfSlot(6), -1);
    QCOMPARE(spies.spy(1).name, QStringLiteral("Bob: the 2nd"));
    QCOMPARE(spies.spy(5).slot, 0);
}

void ClientModelTest::closesTellTheClientWhy_data()
{
    QTest::addColumn<int>("seatedBefore");   // people in the slots below the client's
    QTest::addColumn<QString>("close");
    QTest::addColumn<QString>("line");

    const QString removed = QStringLiteral("The host removed you from the game.");
    QTest::newRow("a player removed") << 1 << "remove" << removed;
    QTest::newRow("a spectator kicked") << 4 << "remove" << removed;
    QTest::newRow("the hosting copy exits") << 1 << "exit" << "The host has closed the game.";
    QTest::newRow("the host goes without a word") << 1 << "vanish" << "The connection to the host was lost.";
}

void ClientModelTest::closesTellTheClientWhy()
{
    QFETCH(int, seatedBefore);
    QFETCH(QString, close);
    QFETCH(QString, line);

    auto host = std::make_unique<TServer>();
    QString error;
    QVERIFY2(host->startListening(&error, 0, QHostAddress(QHostAddress::LocalHost)), qPrintable(error));
    std::vector<std::unique_ptr<TestClient>> seated;
    for (int slot = 1; slot <= seatedBefore; ++slot) {
        seated.push_back(std::make_unique<TestClient>());
        QVERIFY(seated.back()->connectTo(host->serverPort()));
        seated.back()->send(wire::LoginInfo{slot, game::kVersionText, "P" + QByteArray::number(slot)}.encode().chopped(1));
    }
    TestClient *ann = seated.front().get();

    // A joining copy's session, as the window has it.
    QTemporaryDir dir;
    qputenv("MORVELLO_PORT", QByteArray::number(host->serverPort()));
    ClientSession bob(dir.filePath(QStringLiteral("orlenlobby.ini")));
    QStringList lines;
    QObject::connect(&bob.model(), &GameModel::chatLine, [&lines](const QString &text) { lines.append(text); });
    bob.processparams({QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("false")});
    const int slot = seatedBefore + 1;
    QVERIFY(TestClient::waitUntil([&] {
        return bob.model().seat(1).name == QLatin1String("P1") && lines.contains(QStringLiteral("You are Connected."));
    }));
    QCOMPARE(bob.model().myseat(), slot);
    const QByteArray news = "CMD_newplayerinfo+" + QByteArray::number(slot) + "+Bob";
    QCOMPARE(ann->nextMessageStartingWith(news), news);

    QSignalSpy tableClosed(host.get(), &TServer::tableClosed);
    if (close == QLatin1String("remove")) {
        host->disconnectsock(slot);
        // The others hear of it as of anyone's leaving.
        const QByteArray left = "CMD_playerdisconnected+" + QByteArray::number(slot) + "+Bob";
        QCOMPARE(ann->nextMessageStartingWith(left), left);
    } else if (close == QLatin1String("exit")) {
        host->closeTable();
        QVERIFY(ann->waitForClosed());
        QTRY_COMPARE(tableClosed.size(), 1);
    } else {
        host.reset();
    }
    QVERIFY(TestClient::waitUntil([&] { return bob.state() == ClientSession::State::Ended; }));
    QCOMPARE(lines.last(), line);
    QVERIFY(!bob.model().loggedin());
    // The window keeps the table as it was, but for the hosting user who left.
    QCOMPARE(bob.model().seat(1).name, close == QLatin1String("exit") ? QString() : QStringLiteral("P1"));
}

namespace {

// What a window shows of the table, but for where the free dice lie (each client scatters them
// its own way) and what is the client's own (its seat, its column, the chat).
QStringList tableOf(const GameModel &m)
{
    QStringList table{m.turnText(), m.roundText(), QStringLiteral("rolls %1").arg(m.rolls()),
                      QStringLiteral("bonus %1 %2").arg(m.bonusdie()).arg(m.bonusShown()),
                      QStringLiteral("started %1").arg(m.gameStarted()), m.winnerText()};
    for (int seat = 1; seat <= 4; ++seat) {
        const SeatView &s = m.seat(seat);
        QStringList cells;
        for (int cell = 1; cell <= 16; ++cell)
            cells.append(QString::number(s.cells[std::size_t(cell)]));
        table.append(QStringLiteral("%1%2 %3 = %4").arg(s.name, s.watching ? QStringLiteral(" (watching)") : QString(),
                                                        cells.join(' '), s.total));
    }
    for (int die = 1; die <= 5; ++die) {
        const DieView &d = m.die(die);
        table.append(QStringLiteral("die %1: %2%3%4").arg(die).arg(QChar::fromLatin1(d.mark)).arg(d.face)
                         .arg(d.bonus ? QStringLiteral(" bonus") : QString()));
    }
    return table;
}

} // namespace

void ClientModelTest::lateJoinerSeesTheWholeTable()
{
    TServer host;
    QString error;
    QVERIFY2(host.startListening(&error, 0, QHostAddress(QHostAddress::LocalHost)), qPrintable(error));
    host.setTimer1Interval(1);
    std::vector<std::unique_ptr<TestClient>> seats;
    for (const QByteArray name : {"Ann", "Bob", "Cy", "Dee"}) {
        seats.push_back(std::make_unique<TestClient>());
        const int seat = int(seats.size());
        QVERIFY(seats.back()->connectTo(host.serverPort()));
        QCOMPARE(seats.back()->nextMessage(), wire::LoginAsk{seat}.encode().chopped(1));
        seats.back()->send(wire::LoginInfo{seat, game::kVersionText, name}.encode().chopped(1));
    }
    host.setHostClientPort(seats[0]->localPort());

    // Two watching copies: one there from the start, one that comes after three turns.
    QTemporaryDir dir;
    qputenv("MORVELLO_PORT", QByteArray::number(host.serverPort()));
    auto watcher = [&dir](const QString &name) {
        auto session = std::make_unique<ClientSession>(dir.filePath(name + QStringLiteral(".ini")));
        session->processparams({name, QStringLiteral("127.0.0.1"), QStringLiteral("false")});
        return session;
    };
    const auto early = watcher(QStringLiteral("Eve"));
    QVERIFY(TestClient::waitUntil([&] { return early->model().seat(4).name == QLatin1String("Dee"); }));

    // A team Bonus Dice game: seat 2 just watches (the host plays its turn), seats 1 and 3 score,
    // seat 4 rolls and holds die 3. Each step waits for what it makes the host tell seat 1.
    const struct {
        int seat;
        const char *says;
        const char *heard;
    } steps[] = {
        {1, "CMD_startgame+1+t+true", "CMD_nextplayer+1+"}, {2, "CMD_justwatch+2+1", "CMD_justwatching+2+1"},
        {1, "CMD_rolldice+1", "CMD_thedice+1+"},            {1, "CMD_setscore+1+12", "CMD_nextplayer+3+"},
        {3, "CMD_rolldice+3", "CMD_thedice+3+"},            {3, "CMD_setscore+3+1", "CMD_nextplayer+4+"},
        {4, "CMD_rolldice+4", "CMD_thedice+4+"},            {4, "CMD_setdice+4+3", "CMD_setdice+3"},
    };
    for (const auto &step : steps) {
        seats[std::size_t(step.seat - 1)]->send(step.says);
        QVERIFY2(seats[0]->nextMessageStartingWith(step.heard).startsWith(step.heard), step.heard);
    }
    QVERIFY(TestClient::waitUntil([&] { return early->model().die(3).mark == DieView::Held; }));

    const auto late = watcher(QStringLiteral("Fay"));
    // Waited for, then compared, so that a failure names what differs.
    TestClient::waitUntil([&] { return tableOf(late->model()) == tableOf(early->model()); });
    QCOMPARE(tableOf(late->model()), tableOf(early->model()));
    QCOMPARE(late->model().myseat(), 6);
}

QTEST_GUILESS_MAIN(ClientModelTest)
#include "tst_clientmodel.moc"
