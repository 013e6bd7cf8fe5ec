// Whole games through the real main window and an in-process host over loopback: the user
// plays by clicks and keys, a spectator watches, the hosting user manages the seats. The
// handlers' cases are tst_gamemodel's.
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QFontInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "chatfixture.h"
#include "client/hintmarks.h"
#include "rules/dicerandom.h"
#include "session/hintadvisor.h"
#include "session/hinttables.h"
#include "session/clientsettings.h"
#include "host/tserver.h"
#include "rules/scoring.h"
#include "testclient.h"
#include "windows/tgamestartform.h"

namespace {

constexpr int kGameMs = 60000;
constexpr Qt::Key kCategoryKey[13] = {Qt::Key_unknown, Qt::Key_F1, Qt::Key_F2, Qt::Key_F3, Qt::Key_F4,
                                      Qt::Key_F5, Qt::Key_F6, Qt::Key_F7, Qt::Key_F8, Qt::Key_F9,
                                      Qt::Key_F10, Qt::Key_F11, Qt::Key_F12};

struct StartForm {
    Tgamestartform gamestart;
};

// A main window with its start options, started with a command line, sounds off.
struct Player : StartForm, ChatFixture {
    Player(TServer *server, const QStringList &parameters)
        : ChatFixture([&] {
              TchatWindows windows;
              windows.server = server;
              windows.gamestart = &gamestart;
              return windows;
          }())
    {
        chat.setParameters(parameters);
        chat.preferences().setPlaySounds(false);   // until the settings are read
        chat.show();
    }

    const GameModel &model() const { return chat.model(); }
    bool shown(const char *name) const { return label(QString::fromLatin1(name))->isVisible(); }
    bool loggedIn(const char *seatName, int seat)
    {
        return TestClient::waitUntil([&] { return model().seat(seat).name == QLatin1String(seatName); });
    }
    void click(const QString &name) { QTest::mouseClick(label(name), Qt::LeftButton); }
    // The main window's keys answer in the active window, once its input line has the focus.
    bool press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        chat.activateWindow();
        if (!QTest::qWaitForWindowActive(&chat) || !TestClient::waitUntil([this] {
                return QApplication::focusWidget() && QApplication::focusWidget()->window() == &chat;
            }))
            return false;
        QTest::keyClick(&chat, key, modifiers);
        return true;
    }
    bool ctrl(Qt::Key key) { return press(key, Qt::ControlModifier); }
    QList<QByteArray> gameMessages() const
    {
        QList<QByteArray> messages;
        for (const QList<QVariant> &args : sent) {
            const QByteArray message = args.at(0).toByteArray().chopped(1);
            if (!message.startsWith("CMD_logininfo") && !message.isEmpty())
                messages.append(message);
        }
        return messages;
    }
    bool waitForTurnOrWinner()
    {
        return TestClient::waitUntil([this] {
            return (model().myTurn() && model().canact() && shown("image_throwdice")) || shown("label_winner");
        }, kGameMs);
    }
    int firstFreeCategory() const
    {
        int category = 1;
        while (model().seat(model().myseat()).cells[std::size_t(category)] != rules::kEmptyCell)
            ++category;
        return category;
    }
    bool roll(bool byKey)
    {
        const int before = model().rolls();
        byKey ? void(ctrl(Qt::Key_R)) : click(QStringLiteral("image_throwdice"));
        return TestClient::waitUntil([&] { return model().rolls() == before + 1 && model().canact(); });
    }
    bool dieIs(int die, DieView::Mark mark)
    {
        return TestClient::waitUntil([&] { return model().die(die).mark == mark; });
    }
    // The shown card against the host's: the first cell that differs, or nothing.
    QString cardMismatch(const HostEngine &engine) const
    {
        for (int seat = 1; seat <= 4; ++seat) {
            for (int cell = 1; cell <= 16; ++cell) {
                const int v = engine.turn().card(seat)[std::size_t(cell)];
                const QString name = QStringLiteral("score%1_%2").arg(seat).arg(cell);
                if (label(name)->text() != (v == rules::kEmptyCell ? QString() : QString::number(v)))
                    return name;
            }
            if (label(QStringLiteral("label_score%1").arg(seat))->text() != QString::number(engine.turn().total(seat)))
                return QStringLiteral("label_score%1").arg(seat);
        }
        return QString();
    }
    QColor colour(const QString &name) const { return label(name)->palette().color(QPalette::WindowText); }
    // Right-clicks a seat name and reads the popup's three entries: remove, set and unset.
    QList<bool> popup(int seat)
    {
        QLabel *name = label(QStringLiteral("label_playername%1").arg(seat));
        QMenu *menu = chat.findChild<QMenu *>(QStringLiteral("popup_kick"));
        // The menu opens once the label has taken the request, which a busy event loop may
        // refuse while the last menu is still closing: asked again until it opens.
        TestClient::waitUntil([&] {
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(4, 4), name->mapToGlobal(QPoint(4, 4)));
            QApplication::sendEvent(name, &event);
            return menu->isVisible();
        });
        menu->hide();
        return {action(QStringLiteral("RemoveFromGame1"))->isEnabled(), action(QStringLiteral("SettoJustWatch1"))->isEnabled(),
                action(QStringLiteral("UnsetJustWatch1"))->isEnabled()};
    }
};

} // namespace

class GamePlayTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Read at the login: these games play without sounds and without the zero-score check.
        QFile settings(ClientSettings::path());
        QVERIFY(settings.open(QIODevice::WriteOnly | QIODevice::Truncate));
        settings.write("[Morvello]\nPlaysounds=false\nDoublecheck=false\n");
    }
    void init() { qputenv("MORVELLO_PORT", QByteArray::number(freePort())); }
    void soloGameByClicksAndKeys();
    void spectatorWatchesAndHostManagesSeats();
};

void GamePlayTest::soloGameByClicksAndKeys()
{
    TServer server;
    Player you(&server, {});
    QVERIFY(you.loggedIn("You", 1));
    QCOMPARE(you.popup(3), (QList<bool>{false, true, true}));   // nobody to remove yet

    // Ctrl+N opens the start options; closing them brings the start button back; Enter starts.
    QVERIFY(you.ctrl(Qt::Key_N));
    QVERIFY(you.gamestart.isVisible() && !you.shown("button_start"));
    you.gamestart.close();
    QVERIFY(you.shown("button_start"));
    you.click(QStringLiteral("button_start"));
    you.gamestart.combo_speed()->setCurrentIndex(2);
    QTest::keyClick(&you.gamestart, Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(!you.gamestart.isVisible());
    QCOMPARE(server.timer1Interval(), 1000);
    server.setTimer1Interval(1);

    int turn = 0;
    int firstCategory = 0;
    while (true) {
        QVERIFY(you.waitForTurnOrWinner());
        if (you.shown("label_winner"))
            break;
        const int category = you.firstFreeCategory();
        you.sent.clear();
        switch (++turn) {
        case 1:
            // A score before the first roll sends nothing; a die held by a click is released
            // by its key; with all five held the roll is refused here and the turn goes on.
            QVERIFY(you.press(kCategoryKey[category]));
            QCOMPARE(you.gameMessages(), QList<QByteArray>());
            QVERIFY(you.roll(false));
            you.click(QStringLiteral("dice1"));
            QVERIFY(you.dieIs(1, DieView::Held));
            QCOMPARE(you.label(QStringLiteral("dice1"))->pos(), QPoint(479, 18));
            QVERIFY(you.ctrl(Qt::Key_1));
            QVERIFY(you.dieIs(1, DieView::Free));
            QCOMPARE(you.label(QStringLiteral("dice1"))->pos(), QPoint(425, 18));
            for (Qt::Key key : {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5})
                QVERIFY(you.ctrl(key));
            QVERIFY(TestClient::waitUntil([&] { return you.model().allDiceHeld(); }));
            you.sent.clear();
            QVERIFY(you.ctrl(Qt::Key_R));
            QCOMPARE(you.gameMessages(), QList<QByteArray>());
            QCOMPARE(you.label(QStringLiteral("label_status"))->text(), QStringLiteral("Release a die first, then roll."));
            QVERIFY(you.shown("image_throwdice"));
            you.click(QStringLiteral("dice5"));
            QVERIFY(you.dieIs(5, DieView::Free));
            QVERIFY(you.roll(true));
            QCOMPARE(you.chat.focusWidget()->objectName(), QStringLiteral("mychat"));
            firstCategory = category;
            you.click(QStringLiteral("label%1").arg(category));
            break;
        case 2:
            // The own column is green in the own turn. A used category is refused; another
            // seat's cell in a row chooses that row for the own seat.
            QCOMPARE(you.colour(QStringLiteral("score1_13")), QColor(0, 128, 0));
            QCOMPARE(you.colour(QStringLiteral("score2_1")), QColor(Qt::black));
            QVERIFY(you.roll(true));
            QVERIFY(you.press(kCategoryKey[firstCategory]));
            QVERIFY(TestClient::waitUntil([&] {
                return you.label(QStringLiteral("label_status"))->text() == QLatin1String("Invalid Choice, Choose Again!");
            }));
            // The rolls left are still the user's, by the mouse too.
            QVERIFY(you.shown("image_throwdice"));
            QVERIFY(you.roll(false));
            you.click(QStringLiteral("score2_%1").arg(category));
            break;
        case 3: {
            // The zero-score question, answered No by its key, then Yes.
            you.action(QStringLiteral("double"))->trigger();
            QVERIFY(you.chat.preferences().doubleCheck());
            QVERIFY(you.roll(true));
            you.sent.clear();
            const auto faces = you.model().faces();
            const int zero = rules::isMade(faces, rules::FiveKind) ? rules::BigStraight : rules::FiveKind;
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
            you.action(QStringLiteral("double"))->trigger();
            break;
        }
        case 4:
            // Just Watch on and off in the middle of the turn, the host kept from playing it
            // meanwhile: the turn is the user's again.
            QVERIFY(you.roll(true));
            server.setTimer1Interval(kGameMs);
            QVERIFY(you.ctrl(Qt::Key_J));
            QVERIFY(TestClient::waitUntil([&] { return you.action(QStringLiteral("JustWatch1"))->isChecked() && you.shown("image_eyes1"); }));
            QVERIFY(you.ctrl(Qt::Key_J));
            QVERIFY(TestClient::waitUntil([&] { return !you.action(QStringLiteral("JustWatch1"))->isChecked() && !you.shown("image_eyes1"); }));
            server.setTimer1Interval(1);
            QVERIFY(you.press(kCategoryKey[category]));
            break;
        case 5: {
            // A new start in the middle of a game asks first; No (the default, Esc) plays on.
            QVERIFY(you.ctrl(Qt::Key_N));
            QMessageBox *box = you.chat.game().restartBox();
            QVERIFY(box && box->isVisible());
            QVERIFY(box->defaultButton() == box->button(QMessageBox::No));
            QTest::keyClick(box, Qt::Key_Escape);
            QTRY_VERIFY(!you.chat.game().restartBox());
            QVERIFY(!you.gamestart.isVisible());
            QVERIFY(you.roll(true));
            QVERIFY(you.press(kCategoryKey[category]));
            break;
        }
        default:
            QVERIFY(you.roll(true));
            QVERIFY(you.press(kCategoryKey[category]));
            break;
        }
    }
    QCOMPARE(turn, 12);
    QCOMPARE(you.label(QStringLiteral("label_turn"))->text(), QStringLiteral("Winner's Score Card"));
    QVERIFY(you.label(QStringLiteral("label_winner"))->text().endsWith(QLatin1String(" Won the Game!")));
    QVERIFY(you.shown("image_winner") && you.shown("button_start"));
    QCOMPARE(you.cardMismatch(server.engine()), QString());
    QCOMPARE(you.colour(QStringLiteral("score1_1")), QColor(128, 0, 0));
    QVERIFY(QFontInfo(you.label(QStringLiteral("label_score1"))->font()).bold());

    // After the game a start asks nothing, nor does leaving a solo game.
    QVERIFY(you.ctrl(Qt::Key_N));
    QVERIFY(!you.chat.game().restartBox() && you.gamestart.isVisible());
    you.gamestart.close();
    you.action(QStringLiteral("Exit1"))->trigger();
    QVERIFY(!you.chat.isVisible());
}

void GamePlayTest::spectatorWatchesAndHostManagesSeats()
{
    TServer server;
    Player ann(&server, {QStringLiteral("Ann"), QStringLiteral("127.0.0.1"), QStringLiteral("true")});
    QVERIFY(ann.loggedIn("Ann", 1));
    std::unique_ptr<TestClient> seats[5];
    for (int slot = 2; slot <= 4; ++slot) {
        seats[slot] = std::make_unique<TestClient>();
        QVERIFY(seats[slot]->connectTo(server.serverPort()));
        QCOMPARE(seats[slot]->nextMessage(), "CMD_sendlogininfo+" + QByteArray::number(slot));
        seats[slot]->sendRaw("CMD_logininfo+" + QByteArray::number(slot) + "+" + game::kVersionText + "+P"
                             + QByteArray::number(slot) + kTerminator);
    }
    Player spy(nullptr, {QStringLiteral("Spy"), QStringLiteral("127.0.0.1"), QStringLiteral("false")});
    QVERIFY(spy.loggedIn("P4", 4));
    QVERIFY(ann.loggedIn("P4", 4));   // each client takes the roster in its own time
    QCOMPARE(spy.model().myseat(), 5);
    QVERIFY(!spy.action(QStringLiteral("StartGame1"))->isEnabled() && !spy.shown("button_start"));
    // The popups follow what each window has heard of the seats, which arrives in its own time.
    for (const char *name : {"P2", "P3", "P4"})
        QVERIFY(ann.loggedIn(name, name[1] - '0'));
    QVERIFY(spy.loggedIn("P3", 3));
    // The hosting user may act on the others' seats but not remove its own; others on none.
    QCOMPARE(ann.popup(1), (QList<bool>{false, true, true}));
    QCOMPARE(ann.popup(3), (QList<bool>{true, true, true}));
    QCOMPARE(spy.popup(3), (QList<bool>{false, false, false}));
    // Others play here: leaving would end their game, so Exit asks, and No stays.
    QSignalSpy annClosed(&ann.chat, &Tchat::windowClosed);
    ann.action(QStringLiteral("Exit1"))->trigger();
    QMessageBox *exitBox = ann.chat.findChild<QMessageBox *>(QStringLiteral("box_exit"));
    QVERIFY(exitBox && exitBox->isVisible());
    QVERIFY(exitBox->defaultButton() == exitBox->button(QMessageBox::No));
    exitBox->button(QMessageBox::No)->click();
    QVERIFY(ann.chat.isVisible());
    QCOMPARE(annClosed.size(), 0);

    bool spyCouldAct = false;
    connect(&spy.model(), &GameModel::boardChanged, this, [&] { spyCouldAct |= spy.model().canact(); });
    // Dice of a known game, whose first roll holds dice worth keeping.
    DiceRandom::shared().setSeed(777u);
    ann.click(QStringLiteral("button_start"));
    QTest::mouseClick(ann.gamestart.button_start(), Qt::LeftButton);
    server.setTimer1Interval(1);
    // Seats 3 and 4 hand themselves to the host, the hosting user hands it seat 2.
    QVERIFY(TestClient::waitUntil([&] { return spy.model().gameStarted(); }));
    for (int slot = 3; slot <= 4; ++slot)
        seats[slot]->send("CMD_justwatch+" + QByteArray::number(slot) + "+1");
    // Hints on by their key, with a small table: the table is told, and hints show in the own turn.
    using rules::HintVariant;
    const quint16 sixesAndStraight = 1u << (rules::Sixes - 1) | 1u << (rules::BigStraight - 1);
    const QTemporaryDir tables;
    ann.chat.session().hintTables().setSources(
        {HintTables::Source{{HintVariant::Plain, sixesAndStraight}, tables.filePath(QStringLiteral("plain.tbl"))},
         HintTables::Source{{HintVariant::BonusDice, sixesAndStraight}, tables.filePath(QStringLiteral("bonus.tbl"))}});
    QVERIFY(ann.ctrl(Qt::Key_H));
    QVERIFY(ann.action(QStringLiteral("ShowHints1"))->isChecked() && ann.chat.preferences().showHints());
    QVERIFY(TestClient::waitUntil([&] { return spy.linesWith(QStringLiteral("Ann turns on the hints")).size() == 1; }));
    ann.popup(2);
    ann.action(QStringLiteral("SettoJustWatch1"))->trigger();
    QVERIFY(TestClient::waitUntil([&] { return spy.shown("image_eyes2") && spy.shown("image_eyes3") && spy.shown("image_eyes4"); }));

    for (int turn = 1;; ++turn) {
        QVERIFY(ann.waitForTurnOrWinner());
        if (ann.shown("label_winner"))
            break;
        QVERIFY(ann.roll(true));
        if (turn == 1) {
            // The advice and its outlines follow the roll, and the outlines the dice.
            const HintAdvisor &hints = ann.chat.session().hints();
            QVERIFY(TestClient::waitUntil([&] { return hints.line().startsWith(QLatin1String("Hint: ")); }));
            QCOMPARE(ann.label(QStringLiteral("label_hint"))->text(), hints.line());
            QList<QRect> kept;
            for (int die = 1; die <= 5; ++die) {
                if (hints.keep()[std::size_t(die)])
                    kept.append(ann.label(QStringLiteral("dice%1").arg(die))->geometry());
            }
            QVERIFY(!kept.isEmpty());
            QCOMPARE(ann.chat.findChild<HintMarks *>(QStringLiteral("hint_marks"))->dice(), kept);
            const QList<QByteArray> asked = ann.gameMessages();
            QVERIFY(std::none_of(asked.begin(), asked.end(), [](const QByteArray &m) { return m.startsWith("CMD_setdice"); }));
            // The spectator sees the roll and can neither roll, hold nor score.
            QVERIFY(TestClient::waitUntil([&] { return spy.model().faces() == ann.model().faces(); }));
            QVERIFY(spy.ctrl(Qt::Key_R) && spy.ctrl(Qt::Key_1) && spy.press(Qt::Key_F12));
            spy.click(QStringLiteral("dice2"));
            spy.click(QStringLiteral("label12"));
            QVERIFY(!spy.shown("image_throwdice"));
        }
        QVERIFY(ann.press(kCategoryKey[ann.firstFreeCategory()]));
    }
    QVERIFY(TestClient::waitUntil([&] { return spy.shown("label_winner"); }));
    QCOMPARE(spy.label(QStringLiteral("label_winner"))->text(), ann.label(QStringLiteral("label_winner"))->text());
    QCOMPARE(ann.cardMismatch(server.engine()), QString());
    QCOMPARE(spy.cardMismatch(server.engine()), QString());
    QCOMPARE(spy.gameMessages(), QList<QByteArray>());
    QVERIFY(!spyCouldAct && !spy.shown("button_start"));

    // Remove From Game closes that player's connection; every window sees the seat go.
    ann.popup(3);
    ann.action(QStringLiteral("RemoveFromGame1"))->trigger();
    QVERIFY(seats[3]->waitForClosed());
    QVERIFY(TestClient::waitUntil([&] { return spy.model().seat(3).name == QLatin1String("Kling"); }));
    QCOMPARE(ann.label(QStringLiteral("label_playername3"))->text(), QStringLiteral("Kling"));

    // Yes leaves.
    ann.action(QStringLiteral("Exit1"))->trigger();
    exitBox = ann.chat.findChild<QMessageBox *>(QStringLiteral("box_exit"));
    QVERIFY(exitBox && exitBox->isVisible());
    exitBox->button(QMessageBox::Yes)->click();
    QCOMPARE(annClosed.size(), 1);
    QVERIFY(!ann.chat.isVisible());
    // The hosting copy's last words reach the spectator, whose window stays with the final card.
    server.closeTable();
    QTRY_COMPARE(spy.lastLine(), QStringLiteral("The host has closed the game."));
    QVERIFY(spy.chat.isVisible() && spy.shown("label_winner"));
}

QTEST_MAIN(GamePlayTest)
#include "tst_gameplay.moc"
