// The engine's connection handlers and the receive queues without sockets: what goes to which
// slot, in what order, and what one peer can make the host do.
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>

#include "enginefixture.h"
#include "host/hostengine.h"
#include "host/receivequeues.h"
#include "protocol/message.h"
#include "rules/dicerandom.h"

using Sent = SentMessage;

class HostConnectionsTest : public QObject {
    Q_OBJECT

private slots:
    void init();

    void acceptTakesLowestFreeSlot();
    void slotOneWaitsForTheHostingUser();
    void acceptRefusesTenth();
    void loginAnnouncesInSlotOrder();
    void loginWithOtherVersion_data();
    void loginWithOtherVersion();
    void loginDuringGameBringsNewcomerUpToDate();
    void loginAgainRenames();
    void relayFormats_data();
    void relayFormats();
    void dispatchIgnoresWhatItShould_data();
    void dispatchIgnoresWhatItShould();
    void dispatchBindsMessagesToTheirConnection_data();
    void dispatchBindsMessagesToTheirConnection();
    void conversionErrorStopsOnlyThatMessage();
    void closeTellsOthersAndFreesSlot();
    void closeOfCurrentSeatPassesTurnOnce_data();
    void closeOfCurrentSeatPassesTurnOnce();
    void closeOfFreeOrInvalidSlotDoesNothing();
    void nobodySpeaksBeforeLogin();
    void relayIsBounded_data();
    void relayIsBounded();
    void relayRateIsLimitedPerConnection();
    void droppedMessageReportsAreLimited();

    void queuesAreServedInTurn_data();
    void queuesAreServedInTurn();
    void flooderPausesAndQuietSlotIsServedWithinOneRound_data();
    void flooderPausesAndQuietSlotIsServedWithinOneRound();
    void closedQueueAndEmptyEntriesCostNothing();

private:
    void connectSlots(int count);
    void login(int slot, const QByteArray &name);

    std::unique_ptr<RecordingOutput> out;
    std::unique_ptr<DiceRandom> random;
    std::unique_ptr<HostEngine> engine;
    qint64 now = 0;   // the engine's clock, in milliseconds
};

void HostConnectionsTest::init()
{
    out = std::make_unique<RecordingOutput>();
    random = std::make_unique<DiceRandom>(12345);
    engine = std::make_unique<HostEngine>(*out, *random);
    now = 0;
    engine->setClock([this] { return now; });
}

void HostConnectionsTest::connectSlots(int count)
{
    for (int i = 0; i < count; ++i)
        engine->acceptSlot();
}

void HostConnectionsTest::login(int slot, const QByteArray &name)
{
    engine->dispatch("CMD_logininfo+" + QByteArray::number(slot) + "+1.0.1+" + name, slot, slot == 1);
}

void HostConnectionsTest::acceptTakesLowestFreeSlot()
{
    QCOMPARE(engine->table().numslots(), 0);
    QCOMPARE(engine->acceptSlot(), 1);
    QCOMPARE(engine->acceptSlot(), 2);
    QCOMPARE(engine->acceptSlot(), 3);
    QCOMPARE(engine->acceptSlot(), 4);
    QCOMPARE(engine->table().numslots(), 4);

    engine->slotClosed(2);
    engine->slotClosed(3);
    QCOMPARE(engine->table().numslots(), 4);          // never shrinks
    QCOMPARE(engine->acceptSlot(), 2);
    QCOMPARE(engine->acceptSlot(), 3);
    QCOMPARE(engine->acceptSlot(), 5);
    QCOMPARE(engine->table().numslots(), 5);

    engine->slotClosed(1);
    QCOMPARE(engine->acceptSlot(), 1);
    QVERIFY(!engine->table().loggedIn(1));
    // Accepting sends nothing, and nobody here ever logged in, so nobody's leaving was told.
    QVERIFY(out->sent.isEmpty());
}

void HostConnectionsTest::slotOneWaitsForTheHostingUser()
{
    // Strangers who connect before the hosting user's own client never get slot 1.
    engine->keepSlotOneForHostUser();
    QCOMPARE(engine->acceptSlot(), 2);
    QCOMPARE(engine->acceptSlot(), 3);
    QCOMPARE(engine->acceptSlot(true), 1);
    engine->slotClosed(1);
    engine->slotClosed(2);
    QCOMPARE(engine->acceptSlot(), 2);
    for (int slot = 4; slot <= 9; ++slot)
        QCOMPARE(engine->acceptSlot(), slot);
    QCOMPARE(engine->acceptSlot(), 0);      // eight strangers and the hosting user fill the table
    QCOMPARE(engine->acceptSlot(true), 1);
}

void HostConnectionsTest::acceptRefusesTenth()
{
    connectSlots(9);
    QCOMPARE(engine->table().numslots(), 9);
    QCOMPARE(engine->acceptSlot(), 0);
    QCOMPARE(engine->table().numslots(), 9);
    for (int slot = 1; slot <= 9; ++slot)
        QVERIFY(engine->table().connected(slot));

    engine->slotClosed(7);
    QCOMPARE(engine->acceptSlot(), 7);
}

void HostConnectionsTest::loginAnnouncesInSlotOrder()
{
    connectSlots(4);
    login(1, "Ann");
    login(3, "Cy");
    out->take();

    // Slot 2 is connected but has not logged in: it still hears the news and is listed with
    // an empty name.
    login(4, "Dee+Dum");
    const QList<Sent> expected{
        {1, "CMD_newplayerinfo+4+Dee+Dum"},
        {2, "CMD_newplayerinfo+4+Dee+Dum"},
        {3, "CMD_newplayerinfo+4+Dee+Dum"},
        {4, "CMD_newplayerinfo+4+Dee+Dum"},
        {4, "CMD_existingplayers+1+Ann"},
        {4, "CMD_existingplayers+2+"},
        {4, "CMD_existingplayers+3+Cy"},
    };
    QCOMPARE(out->sent, expected);
    QCOMPARE(engine->table().name(4), QByteArray("Dee+Dum"));
}

void HostConnectionsTest::loginWithOtherVersion_data()
{
    QTest::addColumn<bool>("slotOneConnected");
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<QList<QByteArray>>("toSlotOne");
    QTest::addColumn<QList<QByteArray>>("toNewcomer");

    QTest::newRow("old version, slot 1 present")
        << true << QByteArray("1.0.0") << QList<QByteArray>{"CMD_newplayerinfo+2+Bo", "CMD_havewrongversion+Bo"}
        << QList<QByteArray>{"CMD_newplayerinfo+2+Bo", "CMD_existingplayers+1+Ann", "CMD_wrongversion+"};
    QTest::newRow("old version, slot 1 gone")
        << false << QByteArray("1.0.0") << QList<QByteArray>{}
        << QList<QByteArray>{"CMD_newplayerinfo+2+Bo", "CMD_wrongversion+"};
    QTest::newRow("same version")
        << true << QByteArray("1.0.1") << QList<QByteArray>{"CMD_newplayerinfo+2+Bo"}
        << QList<QByteArray>{"CMD_newplayerinfo+2+Bo", "CMD_existingplayers+1+Ann"};
    QTest::newRow("comparison is exact")
        << true << QByteArray("1.0.1 ") << QList<QByteArray>{"CMD_newplayerinfo+2+Bo", "CMD_havewrongversion+Bo"}
        << QList<QByteArray>{"CMD_newplayerinfo+2+Bo", "CMD_existingplayers+1+Ann", "CMD_wrongversion+"};
}

void HostConnectionsTest::loginWithOtherVersion()
{
    QFETCH(bool, slotOneConnected);
    QFETCH(QByteArray, version);
    QFETCH(QList<QByteArray>, toSlotOne);
    QFETCH(QList<QByteArray>, toNewcomer);

    connectSlots(2);
    login(1, "Ann");
    if (!slotOneConnected)
        engine->slotClosed(1);
    out->take();

    engine->dispatch("CMD_logininfo+2+" + version + "+Bo", 2, false);
    QCOMPARE(out->to(1), toSlotOne);
    QCOMPARE(out->to(2), toNewcomer);
    QCOMPARE(engine->table().name(2), QByteArray("Bo"));  // not refused
    QVERIFY(engine->table().connected(2));
}

void HostConnectionsTest::loginDuringGameBringsNewcomerUpToDate()
{
    connectSlots(3);
    login(1, "Ann");
    login(2, "Bo");
    engine->startgame({1, "f", "false"});
    random->setSeed(seedForFaces({3, 3, 3, 1, 2}));
    engine->rolldice(1);
    engine->setscore(1, 3);
    random->setSeed(seedForFaces({6, 5, 4, 3, 2}));
    engine->rolldice(2);
    engine->setdice(2, 4);
    engine->rolldice(2);
    engine->justwatch({2, wire::WatchRequest::Watch});
    out->take();

    login(3, "Cy");
    const QList<QByteArray> expected{
        "CMD_newplayerinfo+3+Cy",
        "CMD_existingplayers+1+Ann",
        "CMD_existingplayers+2+Bo",
        "CMD_justwatching+2+1",
        "CMD_nextplayer+2+1+0+2+",
        "CMD_pscore+1+9+*+1000+1000+9+1000+1000+1000+1000+1000+1000+1000+1000+1000+9+0+0+0",
        "CMD_pscore+2+0+*+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000",
        "CMD_pscore+3+0+*+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000",
        "CMD_pscore+4+0+*+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000",
        // The roll as it lies, the held die 4 (a 3 since the first roll) among it.
        "CMD_thedice+2+y+2+1+6+2+1+3+6+4+3+5+3",
        "CMD_setdice+4",
    };
    QCOMPARE(out->to(3), expected);
    // The others only hear the announcement.
    QCOMPARE(out->to(1), QList<QByteArray>{"CMD_newplayerinfo+3+Cy"});
}

void HostConnectionsTest::loginAgainRenames()
{
    connectSlots(2);
    login(1, "Ann");
    login(2, "Bo");
    out->take();
    login(2, "Bob");
    QCOMPARE(engine->table().name(2), QByteArray("Bob"));
    QCOMPARE(out->to(1), QList<QByteArray>{"CMD_newplayerinfo+2+Bob"});
    QCOMPARE(out->to(2), (QList<QByteArray>{"CMD_newplayerinfo+2+Bob", "CMD_existingplayers+1+Ann"}));
}

void HostConnectionsTest::relayFormats_data()
{
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<int>("from");
    QTest::addColumn<QByteArray>("relayed");

    QTest::newRow("chat") << QByteArray("CMD_chat+2+hello|clBlack") << 2 << QByteArray("CMD_chat+Bo chats: hello|clBlack");
    QTest::newRow("chat keeps plus and bars")
        << QByteArray("CMD_chat+2+a+b|c|$00FF0000") << 2 << QByteArray("CMD_chat+Bo chats: a+b|c|$00FF0000");
    QTest::newRow("chat without colour") << QByteArray("CMD_chat+2+plain") << 2 << QByteArray("CMD_chat+Bo chats: plain");
    QTest::newRow("empty chat") << QByteArray("CMD_chat+2+") << 2 << QByteArray("CMD_chat+Bo chats: ");
    QTest::newRow("action") << QByteArray("CMD_action+6+waves|clRed") << 6 << QByteArray("CMD_action+Spy waves|clRed");
    QTest::newRow("phrase") << QByteArray("CMD_action+2+says: gg|clNavy") << 2 << QByteArray("CMD_action+Bo says: gg|clNavy");
    // A line break, a tab, DEL or a C1 control would start a forged line in every chat.
    QTest::newRow("line breaks forge nothing")
        << QByteArray("CMD_chat+2+hi\r\nAnn chats: type your password|clBlack") << 2
        << QByteArray("CMD_chat+Bo chats: hi  Ann chats: type your password|clBlack");
    QTest::newRow("a typed bar far from the colour")
        << QByteArray("CMD_chat+2+" + QByteArray(40, 'x') + "|" + QByteArray(40, 'y') + "|clBlack") << 2
        << QByteArray("CMD_chat+Bo chats: " + QByteArray(40, 'x') + "|" + QByteArray(40, 'y') + "|clBlack");
    QTest::newRow("controls in the colour")
        << QByteArray("CMD_action+2+waves|cl\nRed") << 2 << QByteArray("CMD_action+Bo waves|cl Red");
    QTest::newRow("tab, DEL and C1") << QByteArray("CMD_chat+2+a\tb\x7f" "c\x85" "d\x9f" "e\xa0" "f") << 2
                                     << QByteArray("CMD_chat+Bo chats: a b c d e\xa0" "f");
    QTest::newRow("a name with a line break")
        << QByteArray("CMD_chat+3+x") << 3 << QByteArray("CMD_chat+Cy Ann chats: x");
}

void HostConnectionsTest::relayFormats()
{
    QFETCH(QByteArray, entry);
    QFETCH(int, from);
    QFETCH(QByteArray, relayed);

    connectSlots(6);
    login(1, "Ann");
    login(2, "Bo");
    login(3, "Cy\nAnn");
    login(6, "Spy");
    engine->slotClosed(4);
    out->take();

    engine->dispatch(entry, from, false);
    // Everyone connected, the sender and spectators included, in slot order; nobody twice.
    const QList<Sent> expected{{1, relayed}, {2, relayed}, {3, relayed}, {5, relayed}, {6, relayed}};
    QCOMPARE(out->sent, expected);
}

void HostConnectionsTest::dispatchIgnoresWhatItShould_data()
{
    QTest::addColumn<QByteArray>("entry");

    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("no plus") << QByteArray("CMD_chat");
    QTest::newRow("no command word") << QByteArray("+2+hi");
    QTest::newRow("unknown word") << QByteArray("CMD_shout+2+hi");
    QTest::newRow("longer word") << QByteArray("CMD_chatx+2+hi");
    QTest::newRow("case differs") << QByteArray("CMD_Chat+2+hi");
    QTest::newRow("client-bound word") << QByteArray("CMD_newplayerinfo+2+Eve");
    QTest::newRow("slot zero") << QByteArray("CMD_chat+0+hi");
    QTest::newRow("slot ten") << QByteArray("CMD_chat+10+hi");
    QTest::newRow("slot eleven login") << QByteArray("CMD_logininfo+11+1.0.1+Eve");
    QTest::newRow("negative slot") << QByteArray("CMD_action+-1+hi");
    QTest::newRow("huge slot") << QByteArray("CMD_chat+2147483647+hi");
}

void HostConnectionsTest::dispatchIgnoresWhatItShould()
{
    QFETCH(QByteArray, entry);
    connectSlots(2);
    login(1, "Ann");
    login(2, "Bo");
    out->take();
    std::array<QByteArray, 10> names;
    std::array<bool, 10> connected{};
    for (int slot = 1; slot <= 9; ++slot) {
        names[std::size_t(slot)] = engine->table().name(slot);
        connected[std::size_t(slot)] = engine->table().connected(slot);
    }

    engine->dispatch(entry, 2, false);
    engine->dispatch(entry, 1, true);
    QVERIFY(out->sent.isEmpty());
    for (int slot = 1; slot <= 9; ++slot) {
        QCOMPARE(engine->table().name(slot), names[std::size_t(slot)]);
        QCOMPARE(engine->table().connected(slot), connected[std::size_t(slot)]);
    }
}

void HostConnectionsTest::dispatchBindsMessagesToTheirConnection_data()
{
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<int>("from");
    QTest::addColumn<bool>("fromHostUser");
    QTest::addColumn<bool>("obeyed");

    QTest::newRow("own chat") << QByteArray("CMD_chat+3+hi") << 3 << false << true;
    QTest::newRow("chat as another slot") << QByteArray("CMD_chat+2+hi") << 3 << false << false;
    QTest::newRow("host user chat as another slot") << QByteArray("CMD_chat+2+hi") << 1 << true << false;
    QTest::newRow("action as another slot") << QByteArray("CMD_action+1+hi") << 3 << false << false;
    QTest::newRow("login over another slot") << QByteArray("CMD_logininfo+2+1.0.1+Eve") << 3 << false << false;
    QTest::newRow("own login") << QByteArray("CMD_logininfo+3+1.0.1+Cy") << 3 << false << true;
    QTest::newRow("from a slot that is not connected") << QByteArray("CMD_chat+5+hi") << 5 << false << false;
    QTest::newRow("from no slot") << QByteArray("CMD_chat+0+hi") << 0 << false << false;
    QTest::newRow("from beyond the table") << QByteArray("CMD_chat+12+hi") << 12 << false << false;
}

void HostConnectionsTest::dispatchBindsMessagesToTheirConnection()
{
    QFETCH(QByteArray, entry);
    QFETCH(int, from);
    QFETCH(bool, fromHostUser);
    QFETCH(bool, obeyed);

    connectSlots(3);
    login(1, "Ann");
    login(2, "Bo");
    login(3, "Cy");
    out->take();

    engine->dispatch(entry, from, fromHostUser);
    QCOMPARE(!out->sent.isEmpty(), obeyed);
    QCOMPARE(engine->table().name(2), QByteArray("Bo"));
}

void HostConnectionsTest::conversionErrorStopsOnlyThatMessage()
{
    connectSlots(2);
    login(1, "Ann");
    login(2, "Bo");
    out->take();

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("CMD_chat.*'2x'"));
    engine->dispatch("CMD_chat+2x+hi", 2, false);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("CMD_logininfo.*''"));
    engine->dispatch("CMD_logininfo++1.0.1+Eve", 2, false);
    QVERIFY(out->sent.isEmpty());
    QCOMPARE(engine->table().name(2), QByteArray("Bo"));

    engine->dispatch("CMD_chat+2+still here", 2, false);
    QCOMPARE(out->to(1), QList<QByteArray>{"CMD_chat+Bo chats: still here"});
}

void HostConnectionsTest::closeTellsOthersAndFreesSlot()
{
    connectSlots(6);
    login(1, "Ann");
    login(2, "Bo");
    login(6, "Spy");
    engine->startgame({1, "f", "false"});
    engine->rolldice(1);
    engine->setscore(1, 12);
    engine->rolldice(2);
    engine->setscore(2, 5);
    engine->justwatch({2, wire::WatchRequest::Watch});
    const rules::ScoreCells card = engine->turn().card(2);
    QCOMPARE(engine->turn().current(), 3);
    out->take();

    engine->slotClosed(2);
    const QByteArray notice("CMD_playerdisconnected+2+Bo");
    const QList<Sent> expected{{1, notice}, {3, notice}, {4, notice}, {5, notice}, {6, notice}};
    QCOMPARE(out->take(), expected);
    QVERIFY(!engine->table().connected(2));
    QVERIFY(engine->table().name(2).isEmpty());
    QVERIFY(!engine->table().away(2));
    // The seat's card stays for whoever takes it over.
    QCOMPARE(engine->turn().card(2), card);
    QVERIFY(card[5] != rules::kEmptyCell);

    // A spectator leaving is announced the same way; a second report of the same close is not.
    engine->slotClosed(6);
    engine->slotClosed(6);
    const QByteArray spy("CMD_playerdisconnected+6+Spy");
    QCOMPARE(out->take(), (QList<Sent>{{1, spy}, {3, spy}, {4, spy}, {5, spy}}));
}

void HostConnectionsTest::closeOfCurrentSeatPassesTurnOnce_data()
{
    QTest::addColumn<int>("leaving");
    QTest::addColumn<bool>("teamgame");
    QTest::addColumn<int>("nextSeat");

    QTest::newRow("seat 2") << 2 << false << 3;
    QTest::newRow("seat 3, team game") << 3 << true << 4;
    QTest::newRow("seat 4") << 4 << false << 1;
    QTest::newRow("seat 1, whoever sits there") << 1 << false << 2;
}

void HostConnectionsTest::closeOfCurrentSeatPassesTurnOnce()
{
    QFETCH(int, leaving);
    QFETCH(bool, teamgame);
    QFETCH(int, nextSeat);

    connectSlots(5);
    for (int seat = 1; seat <= 5; ++seat)
        login(seat, "P" + QByteArray::number(seat));
    engine->startgame({1, "f", teamgame ? "true" : "false"});
    while (engine->turn().current() != leaving) {
        const int seat = engine->turn().current();
        engine->rolldice(seat);
        engine->setscore(seat, 12);
    }
    out->take();

    engine->slotClosed(leaving);
    engine->slotClosed(leaving);
    QCOMPARE(engine->turn().current(), nextSeat);
    qsizetype turnStarts = 0;
    for (const Sent &s : out->sent)
        turnStarts += s.slot == 5 && s.text.startsWith("CMD_nextplayer+");
    QCOMPARE(turnStarts, 1);
}

void HostConnectionsTest::closeOfFreeOrInvalidSlotDoesNothing()
{
    connectSlots(2);
    login(1, "Ann");
    out->take();
    for (int slot : {-1, 0, 3, 9, 10, 11, 12, 1000})
        engine->slotClosed(slot);
    QVERIFY(out->sent.isEmpty());
    QCOMPARE(engine->table().numslots(), 2);
    QVERIFY(engine->table().connected(1));
}

void HostConnectionsTest::nobodySpeaksBeforeLogin()
{
    connectSlots(1);
    login(1, "Ann");
    // A game's end names the empty seat 2 after its computer player.
    engine->startgame({1, "f", "false"});
    while (engine->turn().running()) {
        if (engine->turn().current() == 1) {
            engine->rolldice(1);
            engine->setscore(1, ComputerPlayer::findany(engine->turn().card(1)));
        }
        while (engine->timer1Enabled())
            engine->Timer1Timer();
    }
    QCOMPARE(engine->table().name(2), QByteArray("Klot"));
    connectSlots(2);
    out->take();

    // Slot 2 is connected but has not logged in: its chat and actions have no name to go
    // under, and its leaving is not told, even though the game's end named its seat.
    engine->dispatch("CMD_chat+2+hello", 2, false);
    engine->dispatch("CMD_action+2+waves", 2, false);
    engine->slotClosed(2);
    QVERIFY(out->take().isEmpty());
    QVERIFY(!engine->table().connected(2));

    // A login takes 64 characters of the name, and everybody hears that name.
    const QByteArray name = QByteArray(64, 'N');
    login(3, name + "ZZZ");
    QCOMPARE(engine->table().name(3), name);
    QCOMPARE(out->to(1), QList<QByteArray>{"CMD_newplayerinfo+3+" + name});
    out->take();
    engine->dispatch("CMD_chat+3+hi", 3, false);
    QCOMPARE(out->to(1), QList<QByteArray>{"CMD_chat+" + name + " chats: hi"});
    engine->slotClosed(3);
    QCOMPARE(out->to(1).last(), "CMD_playerdisconnected+3+" + name);
}

void HostConnectionsTest::relayIsBounded_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("relayed");

    const QByteArray line(Table::kMaxRelayedText, 'a');
    QTest::newRow("longest line whole") << line + "|clBlack" << line + "|clBlack";
    QTest::newRow("long line cut, colour kept") << line + "bbb|clBlack" << line + "|clBlack";
    QTest::newRow("long line without colour") << line + "bbb" << line;
    QTest::newRow("long colour cut") << "hi|" + QByteArray(5000, 'c') << "hi|" + QByteArray(Table::kMaxRelayedColour, 'c');
    QTest::newRow("bars after the first belong to the colour") << QByteArray("a|b|clRed") << QByteArray("a|b|clRed");
}

void HostConnectionsTest::relayIsBounded()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, relayed);
    connectSlots(2);
    login(1, "Ann");
    login(2, "Bo");
    out->take();

    engine->dispatch("CMD_chat+2+" + text, 2, false);
    engine->dispatch("CMD_action+2+" + text, 2, false);
    QCOMPARE(out->to(1), (QList<QByteArray>{"CMD_chat+Bo chats: " + relayed, "CMD_action+Bo " + relayed}));
}

void HostConnectionsTest::relayRateIsLimitedPerConnection()
{
    connectSlots(3);
    login(1, "Ann");
    login(2, "Bo");
    login(3, "Cy");
    out->take();

    // Chat and actions share one budget per connection and second; the rest is dropped.
    const auto countRelayed = [this] {
        qsizetype count = 0;
        for (const Sent &sent : out->take())
            count += sent.slot == 1;
        return count;
    };
    for (int i = 0; i < Table::kRelaysPerSecond + 5; ++i)
        engine->dispatch(i % 2 ? "CMD_chat+2+x" : "CMD_action+2+x", 2, false);
    QCOMPARE(countRelayed(), Table::kRelaysPerSecond);

    // Another connection has its own budget.
    engine->dispatch("CMD_chat+3+mine", 3, false);
    QCOMPARE(countRelayed(), 1);

    now += 999;
    engine->dispatch("CMD_chat+2+still too soon", 2, false);
    QCOMPARE(countRelayed(), 0);
    now += 1;
    engine->dispatch("CMD_chat+2+next second", 2, false);
    QCOMPARE(out->to(1), QList<QByteArray>{"CMD_chat+Bo chats: next second"});
}

void HostConnectionsTest::droppedMessageReportsAreLimited()
{
    static QList<QByteArray> lines;
    lines.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &text) { lines.append(text.toUtf8()); });
    const auto restore = qScopeGuard([previous] { qInstallMessageHandler(previous); });

    connectSlots(3);
    login(1, "Ann");
    login(2, "Bo");
    login(3, "Cy");

    // A burst of messages that do not convert, with a field that would steer a terminal.
    const QByteArray bad = "CMD_rolldice+\x1b[31m" + QByteArray(5000, '9');
    for (int i = 0; i < 25; ++i)
        engine->dispatch(bad, 2, false);
    engine->dispatch("CMD_rolldice+x", 3, false);   // another connection has its own limit
    QCOMPARE(lines.size(), Table::kLogLinesPerSecond + 1);
    QVERIFY(lines.first().contains("slot 2"));
    QVERIFY(lines.first().contains("'\\x1B[31m999"));
    QVERIFY(lines.first().size() < 160);
    QVERIFY(lines.last().contains("slot 3"));

    // The next window opens with one line for all that the last one held back.
    now += 1000;
    lines.clear();
    engine->dispatch(bad, 2, false);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], QByteArray("Host: slot 2: 15 more lines not shown"));

    // So does a close, for what its last window held back.
    for (int i = 0; i < 12; ++i)
        engine->dispatch(bad, 2, false);
    lines.clear();
    engine->slotClosed(2);
    QCOMPARE(lines, QList<QByteArray>{"Host: slot 2: 3 more lines not shown"});
}

// ---- receive queues ----

namespace {

// Messages "CMD_m+<slot>.<n>" queued by each slot of a row, in the order they are written
// into the row's text: "1:3 2:2" queues three of slot 1, then two of slot 2.
void fillQueues(ReceiveQueues &queues, const QByteArray &layout)
{
    for (const QByteArray &part : layout.split(' ')) {
        const QList<QByteArray> fields = part.split(':');
        const int slot = fields[0].toInt();
        for (int n = 1; n <= fields[1].toInt(); ++n)
            queues.append(slot, "CMD_m+" + fields[0] + "." + QByteArray::number(n));
    }
}

QByteArray drain(ReceiveQueues &queues)
{
    QList<QByteArray> order;
    while (const std::optional<ReceiveQueues::Entry> entry = queues.takeNext())
        order.append(entry->message.mid(6));
    return order.join(' ');
}

} // namespace

void HostConnectionsTest::queuesAreServedInTurn_data()
{
    QTest::addColumn<QByteArray>("layout");
    QTest::addColumn<QByteArray>("order");

    QTest::newRow("lone message") << QByteArray("5:1") << QByteArray("5.1");
    QTest::newRow("one connection keeps its order") << QByteArray("2:3") << QByteArray("2.1 2.2 2.3");
    QTest::newRow("three queuing at once") << QByteArray("1:3 2:2 3:1")
                                           << QByteArray("1.1 2.1 3.1 1.2 2.2 1.3");
    QTest::newRow("arrival order between slots does not matter") << QByteArray("3:1 2:2 1:3")
                                                                 << QByteArray("1.1 2.1 3.1 1.2 2.2 1.3");
    QTest::newRow("round wraps past slot 9") << QByteArray("9:2 4:2") << QByteArray("4.1 9.1 4.2 9.2");
}

void HostConnectionsTest::queuesAreServedInTurn()
{
    QFETCH(QByteArray, layout);
    QFETCH(QByteArray, order);
    ReceiveQueues queues;
    fillQueues(queues, layout);
    QCOMPARE(drain(queues), order);
    QVERIFY(queues.isEmpty());

    // The turn goes on from the slot served last, not from slot 1 again.
    ReceiveQueues fresh;
    fillQueues(fresh, "1:1 5:1 9:1");
    fresh.takeNext();
    fillQueues(fresh, "1:1");
    QCOMPARE(drain(fresh), QByteArray("5.1 9.1 1.1"));
}

void HostConnectionsTest::flooderPausesAndQuietSlotIsServedWithinOneRound_data()
{
    QTest::addColumn<qsizetype>("messageSize");
    QTest::addColumn<qsizetype>("pausedAt");     // messages queued when reading stops
    QTest::addColumn<qsizetype>("resumedAt");    // messages left when it starts again

    QTest::newRow("many small") << qsizetype(20) << ReceiveQueues::kMaxMessages << ReceiveQueues::kMaxMessages / 2;
    QTest::newRow("few large") << qsizetype(32 * 1024) << qsizetype(8) << qsizetype(4);
}

void HostConnectionsTest::flooderPausesAndQuietSlotIsServedWithinOneRound()
{
    QFETCH(qsizetype, messageSize);
    QFETCH(qsizetype, pausedAt);
    QFETCH(qsizetype, resumedAt);

    ReceiveQueues queues;
    const QByteArray flood = "CMD_chat+2+" + QByteArray(messageSize - 11, 'f');
    for (qsizetype i = 1; i < pausedAt; ++i)
        queues.append(2, flood);
    QVERIFY(!queues.paused(2));
    queues.append(2, flood);
    QVERIFY(queues.paused(2));
    QCOMPARE(queues.size(2), pausedAt);

    // A quiet connection beside it waits at most one round.
    queues.append(7, "CMD_chat+7+hi");
    QVERIFY(!queues.paused(7));
    QCOMPARE(queues.takeNext()->slot, 2);
    QCOMPARE(queues.takeNext()->slot, 7);

    // The flooder reads again once half of the bound has been handled, and is told so once.
    qsizetype resumes = 0;
    while (queues.size(2) > resumedAt) {
        QVERIFY(queues.paused(2));
        resumes += queues.takeNext()->resumed;
    }
    QCOMPARE(resumes, qsizetype(1));
    QVERIFY(!queues.paused(2));
    queues.takeNext();
    QCOMPARE(resumes, qsizetype(1));
}

void HostConnectionsTest::closedQueueAndEmptyEntriesCostNothing()
{
    ReceiveQueues queues;
    for (const char *nothing : {"", "abc", "+2+hi"})
        queues.append(3, nothing);
    queues.append(0, "CMD_chat+0+x");
    queues.append(10, "CMD_chat+10+x");
    QVERIFY(queues.isEmpty());
    QVERIFY(!queues.takeNext());

    fillQueues(queues, "4:300 6:2");
    QVERIFY(queues.paused(4));
    queues.discard(4);
    QVERIFY(!queues.paused(4));
    QCOMPARE(queues.size(), qsizetype(2));
    QCOMPARE(queues.bytes(4), qsizetype(0));
    QCOMPARE(drain(queues), QByteArray("6.1 6.2"));
}

QTEST_GUILESS_MAIN(HostConnectionsTest)
#include "tst_hostconnections.moc"
