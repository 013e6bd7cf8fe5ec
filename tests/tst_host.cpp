// The host over real loopback sockets: slots, login, relay, closing and the guards on input.
#include <QRegularExpression>
#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "common/gameconstants.h"
#include "protocol/message.h"
#include "protocol/messageframer.h"
#include "host/receivequeues.h"
#include "host/tserver.h"
#include "testclient.h"

namespace {

QByteArray chatOf(int slot, const QByteArray &text)
{
    return "CMD_chat+" + QByteArray::number(slot) + "+" + text;
}

// A host listening on a free port and the clients a test connects to it.
class HostFixture {
public:
    HostFixture()
    {
        listening = server.startListening(&error, 0, QHostAddress(QHostAddress::LocalHost));
        // Each relay a second apart on the engine's clock: these tests are about sockets and
        // pacing, and the relay limit of a second has its own tests without sockets.
        server.engine().setClock([this] { return engineMs += 1000; });
    }

    // A connected client that has not read anything yet.
    TestClient *connectRaw()
    {
        auto client = std::make_unique<TestClient>();
        if (!client->connectTo(server.serverPort()))
            return nullptr;
        clients.push_back(std::move(client));
        return clients.back().get();
    }

    // Connects and reads the slot the host gives; nullptr when the host does not.
    TestClient *connect(int *slot = nullptr)
    {
        TestClient *client = connectRaw();
        if (!client)
            return nullptr;
        const QByteArray greeting = client->nextMessage();
        if (!greeting.startsWith("CMD_sendlogininfo+"))
            return nullptr;
        if (slot)
            *slot = greeting.mid(18).toInt();
        return client;
    }

    // Connects, logs in as the real client does (doubled terminator included) and waits until
    // everybody has heard of it and the newcomer's own login news has been read.
    TestClient *join(const QByteArray &name, int expectedSlot, const QByteArray &version = game::kVersionText)
    {
        int slot = 0;
        TestClient *client = connect(&slot);
        if (!client || slot != expectedSlot)
            return nullptr;
        const QByteArray number = QByteArray::number(slot);
        client->sendRaw("CMD_logininfo+" + number + "+" + version + "+" + name + kTerminator + kTerminator);
        const QByteArray news = "CMD_newplayerinfo+" + number + "+" + name;
        for (const auto &other : clients) {
            if (!other->isClosed() && other->nextMessageStartingWith(news) != news)
                return nullptr;
        }
        bySlot[slot] = client;
        return client;
    }

    // Lets every message sent so far be handled and delivered, then drops what the clients
    // got: a chat from the given slot goes round and every open client waits for it.
    bool settle(int fromSlot = 1)
    {
        const QByteArray marker = " chats: settle" + QByteArray::number(++settles);
        bySlot[fromSlot]->send(chatOf(fromSlot, marker.mid(8)));
        for (const auto &client : clients) {
            if (client->isClosed())
                continue;
            QByteArray got;
            do {
                got = client->nextMessage();
            } while (!got.isNull() && !got.endsWith(marker));
            if (got.isNull())
                return false;
        }
        return true;
    }

    TServer server;
    QString error;
    bool listening = false;
    std::vector<std::unique_ptr<TestClient>> clients;
    std::array<TestClient *, 10> bySlot{};
    int settles = 0;
    qint64 engineMs = 0;
};

} // namespace

class HostTest : public QObject {
    Q_OBJECT

private slots:
    void acceptSendsLoginInfo();
    void listenFailureIsReported();
    void tenthConnectionIsRefused();
    void freedSlotIsReusedLowestFirst();
    void loginAnnouncesAndReportsOtherVersion();
    void chatAndActionReachEveryone();
    void burstIsHandledInOrderAndDispatcherIdles();
    void burstGoesOutAtMostOnePerTick();
    void seatAndSpectatorLeaving();
    void disconnectsockClosesOnlyConnectedSlots();
    void spoofedSlotsAreRefused();
    void slotFieldsOutOfRangeAreIgnored();
    void oversizedMessageIsClosedHoweverSplit_data();
    void oversizedMessageIsClosedHoweverSplit();
    void flooderIsHeldBackAndOthersKeepPlaying();
    void readerThatNeverReadsIsClosed();
    void loginTimeoutClosesSilently();
    void conversionErrorStopsOnlyThatMessage();
    void leftoversOfClosedConnectionSpeakForNobody();
    void onlyHostingUserStartsGamesAndSetsOthersWatching();
    void hostingUserIsTheWholeEndpoint();
    void strangerRacingTheHostingCopyNeverGetsSlotOne();
    void newcomerDuringGameAndLeavingCurrentSeat();
    void timer1FiresOncePerEnabling();
};

void HostTest::acceptSendsLoginInfo()
{
    HostFixture host;
    QVERIFY2(host.listening, qPrintable(host.error));
    QVERIFY(host.server.serverPort() != 0);
    QVERIFY(!host.server.dispatcherRunning());

    TestClient *first = host.connectRaw();
    QVERIFY(first);
    QCOMPARE(first->nextMessage(), QByteArray("CMD_sendlogininfo+1"));
    TestClient *second = host.connectRaw();
    QVERIFY(second);
    QCOMPARE(second->nextMessage(), QByteArray("CMD_sendlogininfo+2"));
    QCOMPARE(host.server.engine().table().numslots(), 2);
    QVERIFY(host.server.engine().table().connected(2));
    QVERIFY(host.server.engine().table().name(2).isEmpty());
}

void HostTest::listenFailureIsReported()
{
    HostFixture host;
    QVERIFY(host.listening);
    QString error;
    QVERIFY(host.server.startListening(&error, host.server.serverPort()));  // already on: fine

    TServer second;
    QVERIFY(!second.startListening(&error, host.server.serverPort()));
    QCOMPARE(error, QStringLiteral("Listen - Error Binding Socket"));
}

void HostTest::tenthConnectionIsRefused()
{
    HostFixture host;
    QVERIFY(host.listening);
    std::vector<TestClient *> nine;
    for (int expected = 1; expected <= 9; ++expected) {
        int slot = 0;
        nine.push_back(host.connect(&slot));
        QVERIFY(nine.back());
        QCOMPARE(slot, expected);
    }
    host.bySlot[1] = nine.front();

    TestClient *tenth = host.connectRaw();
    QVERIFY(tenth);
    QCOMPARE(tenth->nextMessage(), QByteArray("CMD_full+"));
    QVERIFY(tenth->waitForClosed());
    QCOMPARE(host.server.engine().table().numslots(), 9);

    // The nine notice nothing: the next thing each of them hears is a login made after the
    // refusal.
    nine.front()->send("CMD_logininfo+1+1.0.1+Ann");
    for (TestClient *client : nine) {
        QCOMPARE(client->nextMessage(), QByteArray("CMD_newplayerinfo+1+Ann"));
        QVERIFY(!client->isClosed());
    }
}

void HostTest::freedSlotIsReusedLowestFirst()
{
    HostFixture host;
    QVERIFY(host.join("Ann", 1));
    QVERIFY(host.join("Bo", 2));
    TestClient *cy = host.join("Cy", 3);
    QVERIFY(cy);

    QVERIFY(host.settle());
    host.bySlot[2]->close();
    QCOMPARE(host.bySlot[1]->nextMessage(), QByteArray("CMD_playerdisconnected+2+Bo"));
    QCOMPARE(cy->nextMessage(), QByteArray("CMD_playerdisconnected+2+Bo"));

    int slot = 0;
    QVERIFY(host.connect(&slot));
    QCOMPARE(slot, 2);
    QVERIFY(host.connect(&slot));
    QCOMPARE(slot, 4);
    QCOMPARE(host.server.engine().table().numslots(), 4);
}

void HostTest::loginAnnouncesAndReportsOtherVersion()
{
    HostFixture host;
    TestClient *ann = host.join("Ann", 1);
    QVERIFY(ann);
    QVERIFY(ann->takeAll().isEmpty());
    int slot = 0;
    TestClient *silent = host.connect(&slot);  // connected, never logs in
    QVERIFY(silent);
    QCOMPARE(slot, 2);

    TestClient *cy = host.connect(&slot);
    QVERIFY(cy);
    QCOMPARE(slot, 3);
    cy->send("CMD_logininfo+3+1.0.0+Cy+Junior");

    QCOMPARE(cy->nextMessage(), QByteArray("CMD_newplayerinfo+3+Cy+Junior"));
    QCOMPARE(cy->nextMessage(), QByteArray("CMD_existingplayers+1+Ann"));
    QCOMPARE(cy->nextMessage(), QByteArray("CMD_existingplayers+2+"));
    QCOMPARE(cy->nextMessage(), QByteArray("CMD_wrongversion+"));
    QCOMPARE(ann->nextMessage(), QByteArray("CMD_newplayerinfo+3+Cy+Junior"));
    QCOMPARE(ann->nextMessage(), QByteArray("CMD_havewrongversion+Cy+Junior"));
    QCOMPARE(silent->nextMessage(), QByteArray("CMD_newplayerinfo+3+Cy+Junior"));

    // Not refused: the newcomer takes part as anyone else.
    cy->send(chatOf(3, "hello|clBlack"));
    QCOMPARE(ann->nextMessage(), QByteArray("CMD_chat+Cy+Junior chats: hello|clBlack"));
    QCOMPARE(cy->nextMessage(), QByteArray("CMD_chat+Cy+Junior chats: hello|clBlack"));
    QCOMPARE(silent->nextMessage(), QByteArray("CMD_chat+Cy+Junior chats: hello|clBlack"));
}

void HostTest::chatAndActionReachEveryone()
{
    HostFixture host;
    for (const auto &[name, slot] : {std::pair{"Ann", 1}, {"Bo", 2}, {"Cy", 3}, {"Dee", 4}, {"Spy", 5}})
        QVERIFY(host.join(name, slot));
    QVERIFY(host.settle());

    host.bySlot[2]->send(chatOf(2, "hi+there|clBlack"));
    for (int slot = 1; slot <= 5; ++slot)
        QCOMPARE(host.bySlot[slot]->nextMessage(), QByteArray("CMD_chat+Bo chats: hi+there|clBlack"));

    host.bySlot[5]->send("CMD_action+5+waves|$00FF0000");
    for (int slot = 1; slot <= 5; ++slot)
        QCOMPARE(host.bySlot[slot]->nextMessage(), QByteArray("CMD_action+Spy waves|$00FF0000"));
}

void HostTest::burstIsHandledInOrderAndDispatcherIdles()
{
    HostFixture host;
    QVERIFY(host.join("Ann", 1));
    QVERIFY(host.join("Bo", 2));
    QVERIFY(host.settle());

    QByteArray burst;
    for (int i = 0; i < 12; ++i)
        burst += chatOf(1, QByteArray::number(i)) + kTerminator;
    host.bySlot[1]->sendRaw(burst);
    for (int i = 0; i < 12; ++i)
        QCOMPARE(host.bySlot[2]->nextMessage(), "CMD_chat+Ann chats: " + QByteArray::number(i));

    // Nothing left to handle: the dispatcher no longer ticks.
    QTRY_VERIFY(!host.server.dispatcherRunning());
    QCOMPARE(host.server.queuedMessages(), 0);
}

void HostTest::burstGoesOutAtMostOnePerTick()
{
    HostFixture host;
    QVERIFY(host.join("Ann", 1));
    QVERIFY(host.join("Bo", 2));
    QVERIFY(host.settle());
    QTRY_VERIFY(!host.server.dispatcherRunning());

    // Whether the first message goes at once or not, each further one waits for a tick of
    // its own: ten messages are not all handled before nine ticks have passed.
    constexpr int kBurst = 10;
    constexpr int kTickMs = 10;
    QByteArray burst;
    for (int i = 0; i < kBurst; ++i)
        burst += chatOf(1, QByteArray::number(i)) + kTerminator;
    QElapsedTimer clock;
    clock.start();
    host.bySlot[1]->sendRaw(burst);
    for (int i = 0; i < kBurst; ++i)
        QCOMPARE(host.bySlot[2]->nextMessage(), "CMD_chat+Ann chats: " + QByteArray::number(i));
    QVERIFY2(clock.elapsed() >= (kBurst - 1) * kTickMs, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));

    // A message after a pause is handled and the dispatcher goes idle again.
    QTest::qWait(2 * kTickMs);
    host.bySlot[1]->send(chatOf(1, "late"));
    QCOMPARE(host.bySlot[2]->nextMessage(), QByteArray("CMD_chat+Ann chats: late"));
    QTRY_VERIFY(!host.server.dispatcherRunning());
}

void HostTest::seatAndSpectatorLeaving()
{
    HostFixture host;
    for (const auto &[name, slot] : {std::pair{"Ann", 1}, {"Bo", 2}, {"Cy", 3}, {"Dee", 4}, {"Spy", 5}})
        QVERIFY(host.join(name, slot));
    QVERIFY(host.settle());

    host.bySlot[2]->close();
    for (int slot : {1, 3, 4, 5})
        QCOMPARE(host.bySlot[slot]->nextMessage(), QByteArray("CMD_playerdisconnected+2+Bo"));
    QVERIFY(!host.server.engine().table().connected(2));
    QVERIFY(host.server.engine().table().name(2).isEmpty());

    host.bySlot[5]->close();
    for (int slot : {1, 3, 4})
        QCOMPARE(host.bySlot[slot]->nextMessage(), QByteArray("CMD_playerdisconnected+5+Spy"));
    QVERIFY(!host.server.engine().table().connected(5));

    // Each leaving was announced once.
    QVERIFY(host.settle());
}

void HostTest::disconnectsockClosesOnlyConnectedSlots()
{
    HostFixture host;
    QVERIFY(host.join("Ann", 1));
    TestClient *bo = host.join("Bo", 2);
    QVERIFY(bo);
    QVERIFY(host.settle());

    for (int slot : {-1, 0, 3, 7, 9, 10, 11})
        host.server.disconnectsock(slot);
    QVERIFY(host.settle());
    QCOMPARE(host.server.engine().table().numslots(), 2);

    host.server.disconnectsock(2);
    // The removed slot hears it first, so its window can tell a removal from a lost line.
    QCOMPARE(bo->nextMessage(), QByteArray("CMD_playerdisconnected+2+Bo"));
    QVERIFY(bo->waitForClosed());
    QCOMPARE(host.bySlot[1]->nextMessage(), QByteArray("CMD_playerdisconnected+2+Bo"));
    QVERIFY(!host.server.engine().table().connected(2));
    QVERIFY(host.settle());
}

void HostTest::spoofedSlotsAreRefused()
{
    HostFixture host;
    QVERIFY(host.join("Ann", 1));
    TestClient *eve = host.join("Eve", 2);
    QVERIFY(eve);
    QVERIFY(host.settle());

    eve->send(chatOf(1, "I am Ann"));
    eve->send("CMD_action+1+waves");
    eve->send("CMD_logininfo+1+1.0.1+Mallory");
    eve->send(chatOf(2, "just me"));
    for (TestClient *client : {host.bySlot[1], eve})
        QCOMPARE(client->nextMessage(), QByteArray("CMD_chat+Eve chats: just me"));
    QCOMPARE(host.server.engine().table().name(1), QByteArray("Ann"));
}

void HostTest::slotFieldsOutOfRangeAreIgnored()
{
    HostFixture host;
    QVERIFY(host.join("Ann", 1));
    TestClient *bo = host.join("Bo", 2);
    QVERIFY(bo);
    QVERIFY(host.settle());

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("CMD_logininfo.*99999999999"));
    for (const char *entry : {"CMD_chat+0+zero", "CMD_chat+10+ten", "CMD_chat+-3+minus", "CMD_action+11+x",
                              "CMD_logininfo+11+1.0.1+Eleven", "CMD_logininfo+99999999999+1.0.1+Big",
                              "CMD_logininfo+9+1.0.1+Nine"})
        bo->send(entry);
    bo->send(chatOf(2, "after"));
    QCOMPARE(host.bySlot[1]->nextMessage(), QByteArray("CMD_chat+Bo chats: after"));
    const HostEngine &engine = host.server.engine();
    for (int slot = 3; slot <= 9; ++slot) {
        QVERIFY(!engine.table().connected(slot));
        QVERIFY(engine.table().name(slot).isEmpty());
    }
    QCOMPARE(engine.table().numslots(), 2);
}

void HostTest::oversizedMessageIsClosedHoweverSplit_data()
{
    QTest::addColumn<bool>("terminated");
    QTest::addColumn<int>("pieces");

    QTest::newRow("never terminated") << false << 1;
    QTest::newRow("complete, one write") << true << 1;
    QTest::newRow("complete, many writes") << true << 5;
}

void HostTest::oversizedMessageIsClosedHoweverSplit()
{
    QFETCH(bool, terminated);
    QFETCH(int, pieces);
    HostFixture host;
    QVERIFY(host.join("Ann", 1));
    QVERIFY(host.join("Bo", 2));
    TestClient *flood = host.join("Flood", 3);
    QVERIFY(flood);
    QVERIFY(host.settle());

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("slot 3 sent a message over 65536 bytes"));
    QByteArray message = "CMD_chat+3+" + QByteArray(MessageFramer::kMaxPending, 'x');
    if (terminated)
        message += kTerminator;
    const qsizetype piece = message.size() / pieces + 1;
    for (qsizetype at = 0; at < message.size(); at += piece) {
        flood->sendRaw(QByteArrayView(message).sliced(at, std::min(piece, message.size() - at)));
        QVERIFY(flood->socket().waitForBytesWritten(1000) || flood->socket().bytesToWrite() == 0);
        QTest::qWait(5);
    }
    QVERIFY(flood->waitForClosed());
    for (int slot : {1, 2})
        QCOMPARE(host.bySlot[slot]->nextMessage(), QByteArray("CMD_playerdisconnected+3+Flood"));

    QVERIFY(host.settle(1));
    QVERIFY(host.settle(2));
}

void HostTest::flooderIsHeldBackAndOthersKeepPlaying()
{
    HostFixture host;
    TestClient *ann = host.join("Ann", 1);
    QVERIFY(ann);
    QVERIFY(host.join("Bo", 2));
    TestClient *flood = host.join("Flood", 3);
    QVERIFY(flood);
    QVERIFY(host.settle());
    host.server.setHostClientPort(ann->localPort());

    // Far more than the system's buffers hold, sent as fast as the socket takes it.
    const QByteArray line = "CMD_chat+3+" + QByteArray(2000, 'f') + kTerminator;
    flood->sendRaw(line.repeated(16 * 1024));

    // The host stops reading the flooder while its queue is full and reads it again once the
    // dispatcher has taken half, over and over; the queue never grows past its bound.
    qsizetype most = 0;
    const auto watch = [&](bool paused) {
        return TestClient::waitUntil([&] {
            most = std::max(most, host.server.queuedMessages(3));
            return host.server.readingPaused(3) == paused;
        });
    };
    QVERIFY(watch(true));
    QVERIFY(watch(false));
    QVERIFY(watch(true));

    // Meanwhile the others play and talk, served in turn beside the flooder.
    ann->send("CMD_startgame+1+f+false");
    QCOMPARE(host.bySlot[2]->nextMessageStartingWith("CMD_nextplayer+"), QByteArray("CMD_nextplayer+1+1+0+0+"));
    ann->send("CMD_rolldice+1");
    QVERIFY(!host.bySlot[2]->nextMessageStartingWith("CMD_thedice+1+y+1+").isNull());
    QVERIFY(host.settle(2));
    QVERIFY(watch(true));

    QVERIFY(most <= ReceiveQueues::kMaxMessages);
    // Nothing was dropped on the way in: what the host has not taken waits with the sender.
    QVERIFY(flood->socket().bytesToWrite() > 0);
    QVERIFY(!flood->isClosed());
}

void HostTest::readerThatNeverReadsIsClosed()
{
    HostFixture host;
    TestClient *ann = host.join("Ann", 1);
    QVERIFY(ann);
    QVERIFY(host.settle());

    // A peer that logs in and then reads nothing: its socket keeps 4 KiB and no more.
    QTcpSocket lazy;
    lazy.setReadBufferSize(4096);
    lazy.connectToHost(QHostAddress::LocalHost, host.server.serverPort());
    QVERIFY(lazy.waitForConnected(5000));
    QVERIFY(TestClient::waitUntil([&] { return host.server.engine().table().connected(2); }));
    lazy.write("CMD_logininfo+2+1.0.1+Lazy" + QByteArray(1, kTerminator));
    QCOMPARE(ann->nextMessage(), QByteArray("CMD_newplayerinfo+2+Lazy"));

    // The same stream to both, as fast as the reader takes it: the one who reads keeps up,
    // the other is closed once the host holds more than a megabyte it would not take.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("slot 2 leaves more than 1048576 bytes unread"));
    const QByteArray piece = "CMD_x+" + QByteArray(30000, 'p') + kTerminator;
    int sent = 0;
    while (host.server.engine().table().connected(2) && sent < 4000) {
        host.server.sendToSlot(1, piece);
        host.server.sendToSlot(2, piece);
        ++sent;
        QVERIFY(ann->waitForMessages(1));
        QCOMPARE(ann->takeAll().size(), 1);
    }
    QVERIFY(!host.server.engine().table().connected(2));
    QCOMPARE(ann->nextMessage(), QByteArray("CMD_playerdisconnected+2+Lazy"));
    QVERIFY(host.settle());
}

void HostTest::loginTimeoutClosesSilently()
{
    HostFixture host;
    QVERIFY(host.join("Ann", 1));
    QVERIFY(host.join("Bo", 2));
    QVERIFY(host.settle());

    host.server.setLoginTimeout(50);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("slot 3 did not log in within 50 ms"));
    TestClient *idle = host.connect();
    QVERIFY(idle);
    idle->send(chatOf(3, "nameless"));   // not relayed: it has not logged in
    QVERIFY(idle->waitForClosed());
    QVERIFY(!host.server.engine().table().connected(3));

    // The others heard nothing of it: neither its chat nor its leaving.
    QVERIFY(host.settle());
    QVERIFY(host.bySlot[1]->takeAll().isEmpty());
    QVERIFY(!host.bySlot[2]->isClosed());
}

void HostTest::conversionErrorStopsOnlyThatMessage()
{
    HostFixture host;
    QVERIFY(host.join("Ann", 1));
    TestClient *bo = host.join("Bo", 2);
    QVERIFY(bo);
    QVERIFY(host.settle());

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("CMD_chat.*'2a'"));
    bo->send("CMD_chat+2a+broken");
    bo->send(chatOf(2, "fine"));
    QCOMPARE(host.bySlot[1]->nextMessage(), QByteArray("CMD_chat+Bo chats: fine"));
    QCOMPARE(bo->nextMessage(), QByteArray("CMD_chat+Bo chats: fine"));
}

void HostTest::leftoversOfClosedConnectionSpeakForNobody()
{
    HostFixture host;
    TestClient *ann = host.join("Ann", 1);
    QVERIFY(ann);
    TestClient *ghost = host.join("Ghost", 2);
    QVERIFY(ghost);
    QVERIFY(host.settle());

    // Words that still wait in the ghost's queue when it closes go with it.
    QByteArray burst;
    for (int i = 0; i < 100; ++i)
        burst += chatOf(2, "boo") + kTerminator;
    ghost->sendRaw(burst);
    QVERIFY(TestClient::waitUntil([&] { return host.server.queuedMessages(2) > 0; }));
    ghost->close();
    QCOMPARE(ann->nextMessageStartingWith("CMD_playerdisconnected+"), QByteArray("CMD_playerdisconnected+2+Ghost"));
    QCOMPARE(host.server.queuedMessages(2), 0);

    int slot = 0;
    TestClient *newcomer = host.connect(&slot);
    QVERIFY(newcomer);
    QCOMPARE(slot, 2);
    newcomer->send("CMD_logininfo+2+1.0.1+Newt");
    newcomer->send(chatOf(2, "first words"));
    QByteArray message;
    do {
        message = ann->nextMessage();
        QVERIFY2(!message.contains("boo"), message.constData());
    } while (!message.isNull() && message != "CMD_chat+Newt chats: first words");
    QCOMPARE(message, QByteArray("CMD_chat+Newt chats: first words"));
}

void HostTest::onlyHostingUserStartsGamesAndSetsOthersWatching()
{
    HostFixture host;
    TestClient *remote = host.join("Remote", 1);
    QVERIFY(remote);
    TestClient *hosting = host.join("Hostess", 2);
    QVERIFY(hosting);
    QVERIFY(host.settle());
    host.server.setHostClientPort(hosting->localPort());

    remote->send("CMD_startgame+1+f+false");
    remote->send("CMD_justwatch+2+1");       // another seat: only the hosting user may
    hosting->send("CMD_startgame+1+f+false"); // the hosting user, but not its own slot
    hosting->send("CMD_justwatch+7+1");      // not a connected seat
    hosting->send("CMD_startgame+2+f+false");
    QCOMPARE(remote->nextMessage(), QByteArray("CMD_startgame+2+f+false"));
    QVERIFY(host.server.engine().turn().running());

    hosting->send("CMD_justwatch+1+1");
    QCOMPARE(remote->nextMessageStartingWith("CMD_justwatching+"), QByteArray("CMD_justwatching+1+1"));
    remote->send("CMD_justwatch+1+2");
    QCOMPARE(remote->nextMessageStartingWith("CMD_justwatching+"), QByteArray("CMD_justwatching+1+2"));
    QVERIFY(!host.server.engine().table().away(2));
}

void HostTest::hostingUserIsTheWholeEndpoint()
{
    HostFixture host;
    TestClient *hosting = host.join("Hostess", 1);
    QVERIFY(hosting);
    QVERIFY(host.settle());
    host.server.setHostClient(hosting->socket().localAddress(), hosting->localPort());

    // Another local address (all of 127/8 is loopback) with the hosting user's port number.
    auto impostor = std::make_unique<TestClient>();
    QVERIFY(impostor->socket().bind(QHostAddress(QStringLiteral("127.0.0.2")), hosting->localPort()));
    QVERIFY(impostor->connectTo(host.server.serverPort()));
    QCOMPARE(impostor->socket().localPort(), hosting->localPort());
    QCOMPARE(impostor->nextMessage(), QByteArray("CMD_sendlogininfo+2"));
    impostor->send("CMD_logininfo+2+1.0.1+Eve");
    QCOMPARE(hosting->nextMessage(), QByteArray("CMD_newplayerinfo+2+Eve"));
    host.clients.push_back(std::move(impostor));
    TestClient *eve = host.clients.back().get();
    host.bySlot[2] = eve;

    eve->send("CMD_startgame+2+f+false");
    eve->send("CMD_justwatch+1+1");
    QVERIFY(host.settle(2));
    QVERIFY(!host.server.engine().turn().running());
    QVERIFY(!host.server.engine().table().away(1));

    hosting->send("CMD_startgame+1+f+false");
    QCOMPARE(eve->nextMessage(), QByteArray("CMD_startgame+1+f+false"));
}

void HostTest::strangerRacingTheHostingCopyNeverGetsSlotOne()
{
    HostFixture host;
    // The hosting copy knows its endpoint before it connects, as the window does.
    auto hosting = std::make_unique<TestClient>();
    QVERIFY(hosting->socket().bind(QHostAddress(QHostAddress::LocalHost), 0));
    host.server.setHostClient(hosting->socket().localAddress(), hosting->socket().localPort());
    TestClient *stranger = host.connectRaw();
    QVERIFY(stranger);
    QCOMPARE(stranger->nextMessage(), QByteArray("CMD_sendlogininfo+2"));
    QVERIFY(hosting->connectTo(host.server.serverPort()));
    QCOMPARE(hosting->nextMessage(), QByteArray("CMD_sendlogininfo+1"));
    host.clients.push_back(std::move(hosting));
}

void HostTest::newcomerDuringGameAndLeavingCurrentSeat()
{
    HostFixture host;
    TestClient *ann = host.join("Ann", 1);
    QVERIFY(ann);
    TestClient *bo = host.join("Bo", 2);
    QVERIFY(bo);
    QVERIFY(host.settle());
    host.server.setHostClientPort(ann->localPort());

    ann->send("CMD_startgame+1+f+false");
    QCOMPARE(bo->nextMessageStartingWith("CMD_nextplayer+"), QByteArray("CMD_nextplayer+1+1+0+0+"));
    ann->send("CMD_rolldice+1");
    QVERIFY(bo->nextMessageStartingWith("CMD_thedice+1+y+1+").startsWith("CMD_thedice"));

    int slot = 0;
    TestClient *cy = host.connect(&slot);
    QVERIFY(cy);
    QCOMPARE(slot, 3);
    cy->send("CMD_logininfo+3+1.0.1+Cy");
    QCOMPARE(cy->nextMessage(), QByteArray("CMD_newplayerinfo+3+Cy"));
    QCOMPARE(cy->nextMessage(), QByteArray("CMD_existingplayers+1+Ann"));
    QCOMPARE(cy->nextMessage(), QByteArray("CMD_existingplayers+2+Bo"));
    QCOMPARE(cy->nextMessage(), QByteArray("CMD_nextplayer+1+1+0+1+"));
    const QByteArray emptyCard = QByteArray("+1000").repeated(16);
    for (int seat = 1; seat <= 4; ++seat)
        QCOMPARE(cy->nextMessage(), "CMD_pscore+" + QByteArray::number(seat) + "+0+*" + emptyCard);

    ann->send("CMD_setscore+1+12");
    QCOMPARE(cy->nextMessageStartingWith("CMD_nextplayer+"), QByteArray("CMD_nextplayer+2+1+0+0+"));

    // Seat 2 leaves in its own turn: the turn passes on to the next seated player at once.
    bo->close();
    QCOMPARE(cy->nextMessage(), QByteArray("CMD_playerdisconnected+2+Bo"));
    QCOMPARE(cy->nextMessage(), QByteArray("CMD_nextplayer+3+1+0+0+"));
    QCOMPARE(ann->nextMessageStartingWith("CMD_nextplayer+2+"), QByteArray("CMD_nextplayer+2+1+0+0+"));
    QCOMPARE(ann->nextMessage(), QByteArray("CMD_playerdisconnected+2+Bo"));
    QCOMPARE(ann->nextMessage(), QByteArray("CMD_nextplayer+3+1+0+0+"));
}

void HostTest::timer1FiresOncePerEnabling()
{
    TServer server;
    QCOMPARE(server.timer1Interval(), 500);
    server.setTimer1Interval(15);
    QCOMPARE(server.timer1Interval(), 15);
    server.setTimer1Enabled(true);
    QVERIFY(server.timer1Active());
    // The tick finds no seat the host plays and does not start the timer again.
    QVERIFY(TestClient::waitUntil([&] { return !server.timer1Active(); }, 2000));
}

QTEST_GUILESS_MAIN(HostTest)
#include "tst_host.moc"
