// Whole games through the real main window and an in-process host over loopback: the user
// plays by clicks and keys, a spectator watches, the hosting user manages the seats. Only what
// needs the widgets is here; the handlers' cases are tst_gamemodel's.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "client/tchat.h"
#include "common/gameconstants.h"
#include "host/tserver.h"
#include "protocol/message.h"
#include "rules/scoring.h"
#include "testclient.h"
#include "windows/tgamestartform.h"
#include "windows/tspylist.h"

namespace {

constexpr int kGameTimeoutMs = 60000;

// A main window with the side windows the game uses, started with the given command line.
struct Player {
    Tspylist spylist;
    Tgamestartform gamestart;
    Tchat chat;
    QSignalSpy sent{&chat, &Tchat::messageSent};

    Player(TServer *server, const QStringList &parameters)
    {
        TchatWindows windows;
        windows.server = server;
        windows.spylist = &spylist;
        windows.gamestart = &gamestart;
        chat.setWindows(windows);
        chat.setParameters(parameters);
        action("PlaySounds1")->setChecked(false);
        chat.show();
    }

    const GameModel &model() const { return chat.model(); }
    QLabel *label(const QString &name) const { return chat.findChild<QLabel *>(name); }
    QAction *action(const char *name) const { return chat.findChild<QAction *>(QString::fromLatin1(name)); }
    bool shown(const char *name) const { return label(QString::fromLatin1(name))->isVisible(); }

    void click(const QString &name) { QTest::mouseClick(label(name), Qt::LeftButton); }
    // Keys go to the main window's shortcuts, which answer only in the active window.
    bool press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        chat.activateWindow();
        // The focus returns to the window's input line a moment after the window is active.
        if (!QTest::qWaitForWindowActive(&chat) || !TestClient::waitUntil([this] {
                return QApplication::focusWidget() && QApplication::focusWidget()->window() == &chat;
            }))
            return false;
        QTest::keyClick(&chat, key, modifiers);
        return true;
    }
    bool ctrl(Qt::Key key) { return press(key, Qt::ControlModifier); }

    // Game messages this window sent, without their terminators.
    QList<QByteArray> gameMessages() const
    {
        QList<QByteArray> messages;
        for (const QList<QVariant> &args : sent) {
            const QByteArray message = args.at(0).toByteArray().chopped(1);
            if (!message.startsWith("CMD_logininfo") && !message.startsWith("CMD_chat") && !message.isEmpty())
                messages.append(message);
        }
        return messages;
    }

    bool myTurnToRoll() const { return model().myTurn() && model().canact() && shown("image_throwdice"); }
    bool winnerShown() const { return shown("label_winner"); }
    int firstFreeCategory() const
    {
        for (int category = 1; category <= rules::kCategoryCount; ++category) {
            if (model().seat(model().myseat()).cells[std::size_t(category)] == rules::kEmptyCell)
                return category;
        }
        return 0;
    }
    // Rolls and waits for the dice.
    bool roll(bool byKey)
    {
        const int before = model().rolls();
        if (byKey)
            ctrl(Qt::Key_R);
        else
            click(QStringLiteral("image_throwdice"));
        return TestClient::waitUntil([&] { return model().rolls() == before + 1 && model().canact(); });
    }
    bool waitForDie(int die, DieView::Mark mark)
    {
        return TestClient::waitUntil([&] { return model().die(die).mark == mark; });
    }

    // The card's cells and totals as shown, against the host's numbers.
    QString cardMismatch(const HostEngine &engine) const
    {
        for (int seat = 1; seat <= game::kSeats; ++seat) {
            const tplayer &p = engine.players[std::size_t(seat)];
            for (int cell = 1; cell <= rules::kCellCount; ++cell) {
                const int value = p.scores[std::size_t(cell)];
                const QString expected = value == rules::kEmptyCell ? QString() : QString::number(value);
                const QString shownText = label(QStringLiteral("score%1_%2").arg(seat).arg(cell))->text();
                if (shownText != expected)
                    return QStringLiteral("score%1_%2: %3, host %4").arg(seat).arg(cell).arg(shownText, expected);
            }
            const QString total = label(QStringLiteral("label_score%1").arg(seat))->text();
            if (total != QString::number(p.total))
                return QStringLiteral("label_score%1: %2, host %3").arg(seat).arg(total).arg(p.total);
        }
        return QString();
    }
};

constexpr Qt::Key kCategoryKey[13] = {Qt::Key_unknown, Qt::Key_F1, Qt::Key_F2, Qt::Key_F3, Qt::Key_F4,
                                      Qt::Key_F5, Qt::Key_F6, Qt::Key_F7, Qt::Key_F8, Qt::Key_F9,
                                      Qt::Key_F10, Qt::Key_F11, Qt::Key_F12};
constexpr Qt::Key kDieKey[6] = {Qt::Key_unknown, Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5};

// Opens the seat popup over a seat name as a right click does, and reads its three entries.
struct Entries {
    bool remove, set, unset;
    bool operator==(const Entries &) const = default;
};
Entries popup(Player &p, int seat)
{
    QLabel *name = p.label(QStringLiteral("label_playername%1").arg(seat));
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(4, 4), name->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(name, &event);
    p.chat.findChild<QMenu *>(QStringLiteral("popup_kick"))->hide();
    return Entries{p.action("RemoveFromGame1")->isEnabled(), p.action("SettoJustWatch1")->isEnabled(),
                   p.action("UnsetJustWatch1")->isEnabled()};
}

// A raw client that takes a seat and hands it to the host's computer player once a game runs.
std::unique_ptr<TestClient> seatRawClient(quint16 port, int slot, const QByteArray &name)
{
    auto client = std::make_unique<TestClient>();
    if (!client->connectTo(port) || client->nextMessage() != "CMD_sendlogininfo+" + QByteArray::number(slot))
        return nullptr;
    client->sendRaw("CMD_logininfo+" + QByteArray::number(slot) + "+" + game::kVersionText + "+" + name + kTerminator);
    return client;
}

} // namespace

class GamePlayTest : public QObject {
    Q_OBJECT

private slots:
    void init() { qputenv("MORVELLO_PORT", QByteArray::number(freePort())); }
    void soloGameByClicksAndKeys();
    void spectatorWatchesAndHostManagesSeats();
    void startOptionsSetTheSpeed_data();
    void startOptionsSetTheSpeed();
};

void GamePlayTest::soloGameByClicksAndKeys()
{
    TServer server;
    Player you(&server, {});
    QVERIFY(TestClient::waitUntil([&] { return you.model().loggedin() && you.model().seat(1).name == "You"; }));

    QVERIFY((popup(you, 3) == Entries{false, true, true}));   // nobody to remove yet

    // The start options: Ctrl+N opens them; closing them without a start brings the button back.
    QVERIFY(you.shown("button_start"));
    QVERIFY(you.ctrl(Qt::Key_N));
    QVERIFY(you.gamestart.isVisible());
    QVERIFY(!you.shown("button_start"));
    you.gamestart.close();
    QVERIFY(you.shown("button_start"));
    you.click(QStringLiteral("button_start"));
    QVERIFY(you.gamestart.isVisible());
    QTest::keyClick(&you.gamestart, Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(!you.gamestart.isVisible());
    QCOMPARE(server.timer1Interval(), 1500);
    server.setTimer1Interval(1);

    int turn = 0;
    int firstCategory = 0;
    for (;;) {
        QVERIFY(TestClient::waitUntil([&] { return you.myTurnToRoll() || you.winnerShown(); }, kGameTimeoutMs));
        if (you.winnerShown())
            break;
        ++turn;
        you.sent.clear();
        const int category = you.firstFreeCategory();
        switch (turn) {
        case 1: {
            // A score before the first roll sends nothing.
            QVERIFY(you.press(kCategoryKey[category]));
            you.click(QStringLiteral("label12"));
            QCOMPARE(you.gameMessages(), QList<QByteArray>());
            QVERIFY(you.roll(false));
            QCOMPARE(you.chat.focusWidget()->objectName(), QStringLiteral("mychat"));
            // Hold by a click, release by a key: each die moves when the host answers.
            you.click(QStringLiteral("dice1"));
            QVERIFY(you.waitForDie(1, DieView::Held));
            QCOMPARE(you.label(QStringLiteral("dice1"))->pos(), QPoint(479, 18));
            QVERIFY(you.ctrl(Qt::Key_1));
            QVERIFY(you.waitForDie(1, DieView::Free));
            QCOMPARE(you.label(QStringLiteral("dice1"))->pos(), QPoint(425, 18));
            // With all five held a roll is refused here, and the turn goes on.
            for (int die = 1; die <= 5; ++die)
                QVERIFY(you.ctrl(kDieKey[die]));
            QVERIFY(TestClient::waitUntil([&] { return you.model().allDiceHeld(); }));
            you.sent.clear();
            QVERIFY(you.ctrl(Qt::Key_R));
            QCOMPARE(you.gameMessages(), QList<QByteArray>());
            QCOMPARE(you.label(QStringLiteral("label_status"))->text(), QStringLiteral("Release a die first, then roll."));
            QVERIFY(you.shown("image_throwdice"));
            you.click(QStringLiteral("dice5"));
            QVERIFY(you.waitForDie(5, DieView::Free));
            QVERIFY(you.roll(true));
            firstCategory = category;
            you.click(QStringLiteral("label%1").arg(category));
            break;
        }
        case 2:
            // The own column is green in the own turn, the others black.
            QCOMPARE(you.label(QStringLiteral("score1_13"))->palette().color(QPalette::WindowText), QColor(0, 128, 0));
            QCOMPARE(you.label(QStringLiteral("score2_1"))->palette().color(QPalette::WindowText), QColor(Qt::black));
            // A used category comes back refused; another seat's cell chooses for the own seat.
            QVERIFY(you.roll(true));
            QVERIFY(you.press(kCategoryKey[firstCategory]));
            QVERIFY(TestClient::waitUntil([&] {
                return you.label(QStringLiteral("label_status"))->text() == QLatin1String("Invalid Choice, Choose Again!");
            }));
            QVERIFY(you.model().canact());
            you.click(QStringLiteral("score2_%1").arg(category));
            break;
        case 3: {
            // The zero-score question, answered No by a key, then Yes.
            you.action("double")->trigger();
            QVERIFY(you.roll(true));
            you.sent.clear();
            const int zero = !rules::isMade(you.model().faces(), rules::FiveKind) ? rules::FiveKind : rules::BigStraight;
            QVERIFY(!rules::isMade(you.model().faces(), zero));
            for (Qt::Key answer : {Qt::Key_N, Qt::Key_Y}) {
                QVERIFY(you.press(kCategoryKey[zero]));
                QMessageBox *box = you.chat.game().zeroScoreBox();
                QVERIFY(box && box->isVisible());
                QCOMPARE(box->text(), QStringLiteral("Are you sure you want to score 0 for this catagory?"));
                QVERIFY(box->defaultButton() == box->button(QMessageBox::No));
                QTest::keyClick(box, answer);
                QTRY_VERIFY(!you.chat.game().zeroScoreBox());
            }
            QCOMPARE(you.gameMessages(), QList<QByteArray>{"CMD_setscore+1+" + QByteArray::number(zero)});
            QVERIFY(TestClient::waitUntil([&] { return you.model().seat(1).cells[std::size_t(zero)] == 0; }));
            you.action("double")->trigger();
            break;
        }
        case 4:
            // Just Watch on and off in the middle of the turn; the host, kept from acting in
            // between, leaves the turn to the user again.
            QVERIFY(you.roll(true));
            server.setTimer1Interval(kGameTimeoutMs);
            QVERIFY(you.ctrl(Qt::Key_J));
            QVERIFY(TestClient::waitUntil([&] { return you.action("JustWatch1")->isChecked() && you.shown("image_eyes1"); }));
            QVERIFY(you.ctrl(Qt::Key_J));
            QVERIFY(TestClient::waitUntil([&] { return !you.action("JustWatch1")->isChecked() && !you.shown("image_eyes1"); }));
            server.setTimer1Interval(1);
            QVERIFY(you.press(kCategoryKey[category]));
            QVERIFY(TestClient::waitUntil([&] { return you.model().seat(1).cells[std::size_t(category)] != rules::kEmptyCell; }));
            break;
        default:
            QVERIFY(you.roll(true));
            QVERIFY(you.press(kCategoryKey[category]));
            break;
        }
    }
    QVERIFY(turn >= 8);
    QCOMPARE(you.label(QStringLiteral("label_turn"))->text(), QStringLiteral("Winner's Score Card"));
    QVERIFY(you.label(QStringLiteral("label_winner"))->text().endsWith(QLatin1String(" Won the Game!")));
    QVERIFY(you.shown("image_winner"));
    QVERIFY(you.shown("button_start"));
    QCOMPARE(you.cardMismatch(server.engine()), QString());
    QCOMPARE(you.label(QStringLiteral("score1_1"))->palette().color(QPalette::WindowText), QColor(128, 0, 0));
    QVERIFY(QFontInfo(you.label(QStringLiteral("label_score1"))->font()).bold());
}

void GamePlayTest::startOptionsSetTheSpeed_data()
{
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("interval");
    QTest::newRow("Slow") << 0 << 2500;
    QTest::newRow("Fast") << 1 << 1500;
    QTest::newRow("Fastest") << 2 << 1000;
}

void GamePlayTest::startOptionsSetTheSpeed()
{
    QFETCH(int, speed);
    QFETCH(int, interval);
    TServer server;
    Tgamestartform form;
    form.setServer(&server);
    QCOMPARE(form.combo_speed()->currentText(), QStringLiteral("Fast"));
    QSignalSpy started(&form, &Tgamestartform::startRequested);
    form.combo_speed()->setCurrentIndex(speed);
    form.bonus()->setChecked(true);
    form.show();
    QTest::mouseClick(form.button_start(), Qt::LeftButton);
    QCOMPARE(server.timer1Interval(), interval);
    QVERIFY(form.isHidden());
    QCOMPARE(started.count(), 1);
    QCOMPARE(started.at(0), (QList<QVariant>{true, false}));
}

void GamePlayTest::spectatorWatchesAndHostManagesSeats()
{
    TServer server;
    Player ann(&server, {QStringLiteral("Ann"), QStringLiteral("127.0.0.1"), QStringLiteral("true")});
    QVERIFY(TestClient::waitUntil([&] { return ann.model().loggedin() && ann.model().seat(1).name == "Ann"; }));
    std::unique_ptr<TestClient> seats[5];
    for (int slot = 2; slot <= 4; ++slot)
        QVERIFY(seats[slot] = seatRawClient(server.serverPort(), slot, "P" + QByteArray::number(slot)));
    Player spy(nullptr, {QStringLiteral("Spy"), QStringLiteral("127.0.0.1"), QStringLiteral("false")});
    QVERIFY(TestClient::waitUntil([&] { return spy.model().loggedin() && spy.model().seat(4).name == "P4"; }));
    QCOMPARE(spy.model().myseat(), 5);
    QVERIFY(!spy.action("StartGame1")->isEnabled());
    QVERIFY(!spy.shown("button_start"));

    // The seat popup: the hosting user may act on the others' seats but not remove its own.
    QVERIFY((popup(ann, 1) == Entries{false, true, true}));
    QVERIFY((popup(ann, 3) == Entries{true, true, true}));
    QVERIFY((popup(spy, 3) == Entries{false, false, false}));

    bool spyCouldAct = false;
    connect(&spy.model(), &GameModel::boardChanged, this, [&] { spyCouldAct |= spy.model().canact(); });

    ann.click(QStringLiteral("button_start"));
    QTest::mouseClick(ann.gamestart.button_start(), Qt::LeftButton);
    server.setTimer1Interval(1);
    // Seats 3 and 4 hand themselves to the host; the hosting user sets seat 2 watching.
    QVERIFY(TestClient::waitUntil([&] { return ann.model().gameStarted() && spy.model().gameStarted(); }));
    for (int slot = 3; slot <= 4; ++slot)
        seats[slot]->send("CMD_justwatch+" + QByteArray::number(slot) + "+1");
    popup(ann, 2);
    ann.action("SettoJustWatch1")->trigger();
    QVERIFY(TestClient::waitUntil([&] {
        return spy.shown("image_eyes2") && spy.shown("image_eyes3") && spy.shown("image_eyes4");
    }));

    int turn = 0;
    for (;;) {
        QVERIFY(TestClient::waitUntil([&] { return ann.myTurnToRoll() || ann.winnerShown(); }, kGameTimeoutMs));
        if (ann.winnerShown())
            break;
        ann.sent.clear();

        QVERIFY(ann.roll(true));
        if (++turn <= 2) {
            // The spectator sees the roll and can neither roll, hold nor score.
            QVERIFY(TestClient::waitUntil([&] {
                return spy.model().rolls() == ann.model().rolls() && spy.model().faces() == ann.model().faces();
            }));
            QVERIFY(spy.ctrl(Qt::Key_R));
            QVERIFY(spy.ctrl(Qt::Key_1));
            QVERIFY(spy.press(Qt::Key_F12));
            spy.click(QStringLiteral("dice2"));
            spy.click(QStringLiteral("label12"));
            QVERIFY(!spy.shown("image_throwdice"));
        }
        QVERIFY(ann.press(kCategoryKey[ann.firstFreeCategory()]));
    }
    QTRY_VERIFY(spy.winnerShown());
    QCOMPARE(spy.label(QStringLiteral("label_winner"))->text(), ann.label(QStringLiteral("label_winner"))->text());
    QCOMPARE(ann.cardMismatch(server.engine()), QString());
    QCOMPARE(spy.cardMismatch(server.engine()), QString());
    QCOMPARE(spy.gameMessages(), QList<QByteArray>());
    QVERIFY(!spyCouldAct);
    QVERIFY(!spy.shown("button_start"));

    // Remove From Game closes that player's connection; every window sees the seat go.
    popup(ann, 3);
    ann.action("RemoveFromGame1")->trigger();
    QVERIFY(seats[3]->waitForClosed());
    QVERIFY(TestClient::waitUntil([&] { return spy.model().seat(3).name == "Kling"; }));
    QCOMPARE(ann.label(QStringLiteral("label_playername3"))->text(), QStringLiteral("Kling"));
}

QTEST_MAIN(GamePlayTest)
#include "tst_gameplay.moc"
