#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QTextDocumentFragment>
#include <QMimeData>
#include <QMouseEvent>
#include <QNetworkInterface>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QToolButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QPlainTextEdit>
#include <memory>

#include "session/hostlookup.h"
#include "ui/sideplace.h"
#include "ui/soundplayer.h"
#include "chatfixture.h"
#include "client/tchat.h"
#include "testclient.h"
#include "protocol/message.h"
#include "host/tserver.h"
#include "windows/tabout.h"
#include "windows/tallylist.h"
#include "windows/tdownload.h"
#include "windows/thelp.h"
#include "windows/tphrases.h"
#include "windows/tspylist.h"

namespace {

void usePort(quint16 port)
{
    qputenv("MORVELLO_PORT", QByteArray::number(port));
}

// Stands in for whatever listens beside the game on port 9001, when that port is free here.
struct SideListener : QTcpServer {
    SideListener() { listen(QHostAddress::LocalHost, 9001); }
};

QMessageBox *openBox(QWidget *parent)
{
    for (QMessageBox *box : parent->findChildren<QMessageBox *>()) {
        if (box->isVisible())
            return box;
    }
    return nullptr;
}

} // namespace

class TchatTest : public QObject {
    Q_OBJECT

private slots:
    void init();

    void windowHasItsWidgets();
    void soloStartLogsInThroughTheInProcessHost();
    void lobbyOfferStaysOnTheScreen_data();
    void lobbyOfferStaysOnTheScreen();
    void listenFailureIsShownAndStopsTheStart();
    void loginReplyCarriesNameAndTwoTerminators();
    void badSeatInLoginRequestSendsNothing();
    void oneMessageHandledPerTick();
    void splitMessageHandledOnceWhole();
    void entriesWithoutCommandAreIgnored_data();
    void entriesWithoutCommandAreIgnored();
    void gameFullShowsBoxThenCloses();
    void gameFullIsShownEvenWhenTheHostClosesAtOnce();
    void versionLines();
    void timerRunsOnlyWithWork();
    void chatLineBoldUpToFirstColon_data();
    void chatLineBoldUpToFirstColon();
    void scrollChatOffKeepsTheView();
    void rosterOfSeats();
    void rosterOfSpies();
    void enteredSoundFollowsPlaySounds();
    void soundModuleLoadsWithTheFirstSound();
    void oneOrTwoParametersOnlyShowTheLoadingLine_data();
    void oneOrTwoParametersOnlyShowTheLoadingLine();
    void capitalTrueJoinsAndOpensSideConnection();
    void hostingCopyConnectsToLoopback();
    void onlyAHostingCopyListensBeyondThisMachine_data();
    void onlyAHostingCopyListensBeyondThisMachine();
    void unreachableHostIsReportedInTheChat();
    void unknownHostNameIsReported();
    void hostClosingLeavesTheWindow_data();
    void hostClosingLeavesTheWindow();
    void oversizedInputClosesTheConnectionAndSaysWhy();
    void menuEntriesOpenTheirWindows();
    void copyTakesTheSelectionAsPlainText();
    void sideWindowsAnswerEscapeAndEnter();
    void inputLineSendsWithEnter_data();
    void inputLineSendsWithEnter();
    void typingAfterAClickGoesToTheChatLine_data();
    void typingAfterAClickGoesToTheChatLine();
    void phraseButtonsLockForAHundredTicks();
    void relayedLinesAreTextNotMarkup();
    void peerNamesAreShownAsText_data();
    void peerNamesAreShownAsText();
    void boardTextsFitAndDiceAreNamed_data();
    void boardTextsFitAndDiceAreNamed();
    void linksOpenOnlyWebAndMail_data();
    void linksOpenOnlyWebAndMail();
    void chatKeepsTheNewestLines();
    void exitClosesTheWindow();
};

void TchatTest::init()
{
    usePort(1);
}

void TchatTest::windowHasItsWidgets()
{
    ChatFixture f;
    QCOMPARE(f.chat.windowTitle(), QStringLiteral("Morvello"));
    QCOMPARE(f.chat.centralWidget()->minimumSize(), QSize(829, 502));
    QCOMPARE(f.chat.findChild<QWidget *>(QStringLiteral("panel_main"))->size(), QSize(817, 492));
    QCOMPARE(f.chat.findChild<QWidget *>(QStringLiteral("panel_board"))->geometry(), QRect(1, 1, 533, 312));
    QCOMPARE(f.chat.findChild<QWidget *>(QStringLiteral("panel_scorecard"))->geometry(), QRect(535, 1, 281, 426));
    // The hint line has a row of its own between the board and the chat.
    QCOMPARE(f.label(QStringLiteral("label_hint"))->geometry(), QRect(1, 314, 533, 20));
    QCOMPARE(f.chat.findChild<QWidget *>(QStringLiteral("panel_chat"))->geometry(), QRect(1, 335, 533, 157));
    QCOMPARE(f.label(QStringLiteral("label_status"))->text(), QStringLiteral("Welcome to Morvello!"));
    QCOMPARE(f.label(QStringLiteral("image_throwdice"))->geometry(), QRect(428, 285, 99, 24));
    QVERIFY(f.label(QStringLiteral("button_start"))->isHidden());
    QCOMPARE(f.label(QStringLiteral("dice3"))->geometry(), QRect(395, 250, 32, 32));
    QVERIFY(!f.label(QStringLiteral("dice3"))->isEnabled());
    const char *hints[] = {"", "", "Klot", "Kling", "Klick"};
    for (int seat = 1; seat <= 4; ++seat) {
        QLabel *name = f.label(QStringLiteral("label_playername%1").arg(seat));
        QCOMPARE(name->text(), QStringLiteral("<Waiting>"));
        QCOMPARE(name->toolTip(), QString::fromLatin1(hints[seat]));
        QVERIFY(f.label(QStringLiteral("image_eyes%1").arg(seat))->isHidden());
        QCOMPARE(f.label(QStringLiteral("label_score%1").arg(seat))->text(), QStringLiteral("0"));
        for (int cell = 1; cell <= 16; ++cell)
            QVERIFY(f.label(QStringLiteral("score%1_%2").arg(seat).arg(cell)));
    }
    QCOMPARE(f.label(QStringLiteral("label12"))->text(), QStringLiteral("Freebie"));
    QCOMPARE(f.label(QStringLiteral("Label22"))->text(), QStringLiteral("Total:"));
    QCOMPARE(f.label(QStringLiteral("score2_11"))->y(), 315);
    QCOMPARE(f.label(QStringLiteral("score3_13"))->geometry().topLeft(), QPoint(184, 198));
    auto *phrase = f.chat.findChild<QWidget *>(QStringLiteral("b_phrase7"));
    QCOMPARE(phrase->geometry(), QRect(565, 469, 25, 19));
    QCOMPARE(f.chat.phraseOf(7), QStringLiteral("Thanks!"));
    QVERIFY(phrase->toolTip().contains(QStringLiteral("Thanks!")));
    QCOMPARE(f.chat.findChild<QLineEdit *>(QStringLiteral("mychat"))->text(), QStringLiteral("<Enter Chat Here>"));
    QVERIFY(f.view()->isReadOnly());

    QVERIFY(!f.action(QStringLiteral("StartGame1"))->isEnabled());
    QVERIFY(f.action(QStringLiteral("PlaySounds1"))->isChecked());
    QCOMPARE(f.action(QStringLiteral("ScrollOff1"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    for (const char *name : {"Exit1", "TextColor1", "ActionColor1", "N8", "N10", "N12", "N14", "JustWatch1", "double", "ShowHints1",
                             "ViewTally1", "SpyList1", "PhraseList1", "Help2", "About1", "RemoveFromGame1",
                             "SettoJustWatch1", "UnsetJustWatch1", "Copy1", "ScrollChatOff1"})
        QVERIFY2(f.action(QString::fromLatin1(name)), name);
}

void TchatTest::soloStartLogsInThroughTheInProcessHost()
{
    usePort(freePort());
    TServer server;
    Tspylist spylist;
    Tdownload download;
    Tchat chat;
    TchatWindows windows;
    windows.server = &server;
    windows.spylist = &spylist;
    windows.download = &download;
    chat.setWindows(windows);
    chat.show();

    auto *view = chat.findChild<QPlainTextEdit *>(QStringLiteral("mainchat"));
    QTRY_VERIFY_WITH_TIMEOUT(view->toPlainText().contains(QStringLiteral("You are Connected.")), 10000);
    const QStringList lines = view->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(lines.at(0), QStringLiteral("Loading Solo Game..Please wait."));
    QCOMPARE(lines.at(1), QStringLiteral("You are Connected."));
    QVERIFY(chat.model().ishost());
    QCOMPARE(chat.model().myname(), QStringLiteral("You"));
    QCOMPARE(chat.model().myseat(), 1);
    QVERIFY(chat.model().loggedin());
    QVERIFY(chat.findChild<QAction *>(QStringLiteral("StartGame1"))->isEnabled());
    QVERIFY(chat.findChild<QLabel *>(QStringLiteral("button_start"))->isVisible());
    QCOMPARE(chat.findChild<QLabel *>(QStringLiteral("label_playername1"))->text(), QStringLiteral("You"));
    QCOMPARE(chat.sock()->peerAddress(), QHostAddress(QHostAddress::LocalHost));
    QVERIFY(!chat.sock11());  // a solo game never opens the side connection
    // The lobby is offered on the screen and never over the card (the offscreen screen is too
    // small to keep it off the game altogether).
    QTRY_VERIFY(download.isVisible());
    QVERIFY(chat.screen()->availableGeometry().contains(download.frameGeometry()));
    const QWidget *card = chat.findChild<QWidget *>(QStringLiteral("panel_scorecard"));
    QVERIFY(!download.frameGeometry().intersects(QRect(card->mapToGlobal(QPoint()), card->size())));
    // The window manager may place the game only after the offer is shown: the offer follows it
    // while it stays where it was put, and stays where the user puts it.
    auto besideGame = [&chat, &download] {
        return SidePlace::beside(chat.frameGeometry(), chat.screen()->availableGeometry(), download.frameGeometry().size(), 8);
    };
    const QPoint first = download.pos();
    chat.move(chat.pos() + QPoint(40, 0));
    QTRY_COMPARE(download.pos(), besideGame());
    QVERIFY(download.pos() != first);
    const QPoint chosen = download.pos() + QPoint(0, -30);
    download.move(chosen);
    QCoreApplication::processEvents();
    chat.move(chat.pos() - QPoint(40, 0));
    QCoreApplication::processEvents();
    QCOMPARE(download.pos(), chosen);
    QTest::keyClick(&download, Qt::Key_Escape);
    QVERIFY(!download.isVisible());
    QVERIFY(spylist.popup_kickhim()->isEnabled());  // the hosting user may remove spies
    QTRY_VERIFY(!chat.timer1Active());
}

void TchatTest::lobbyOfferStaysOnTheScreen_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QRect>("game");
    QTest::addColumn<QPoint>("at");

    // The game's frame is 829 x 540 and the offer's 480 x 400, 8 pixels apart.
    const QSize game(829, 540);
    QTest::newRow("right") << QRect(0, 0, 1920, 1080) << QRect({100, 100}, game) << QPoint(937, 100);
    QTest::newRow("right, moved up to stay on") << QRect(0, 0, 1920, 1080) << QRect({100, 900}, game) << QPoint(937, 680);
    QTest::newRow("left") << QRect(0, 0, 1366, 768) << QRect({520, 20}, game) << QPoint(32, 20);
    QTest::newRow("below") << QRect(0, 0, 1280, 1024) << QRect({200, 0}, game) << QPoint(200, 548);
    QTest::newRow("too small for both: over the chat, on the screen") << QRect(0, 0, 1024, 768) << QRect({0, 0}, game)
                                                                    << QPoint(0, 368);
    QTest::newRow("a second screen to the left") << QRect(-1280, 0, 1280, 1024) << QRect({-1180, 0}, game)
                                                 << QPoint(-1180, 548);
}

void TchatTest::lobbyOfferStaysOnTheScreen()
{
    QFETCH(QRect, screen);
    QFETCH(QRect, game);
    QFETCH(QPoint, at);

    const QSize offer(480, 400);
    const QPoint placed = SidePlace::beside(game, screen, offer, 8);
    QCOMPARE(placed, at);
    QVERIFY(screen.contains(QRect(placed, offer)));
}

void TchatTest::listenFailureIsShownAndStopsTheStart()
{
    QTcpServer squatter;
    QVERIFY(squatter.listen(QHostAddress::Any, 0));
    usePort(squatter.serverPort());
    TServer server;
    TchatWindows windows;
    windows.server = &server;
    ChatFixture f(windows);
    Tchat &chat = f.chat;
    chat.setParameters({QStringLiteral("Ann"), QStringLiteral("127.0.0.1"), QStringLiteral("true")});
    chat.show();

    QMessageBox *box = nullptr;
    QTRY_VERIFY((box = openBox(&chat)));
    QVERIFY(box->text().startsWith(QStringLiteral("Listen - Error")));
    // The chat says which port, why, and what to do about it.
    const QString port = QString::number(squatter.serverPort());
    QCOMPARE(f.lines().mid(1, 2),
             (QStringList{QStringLiteral("Port %1 is already in use: another copy of Morvello may be hosting on it.").arg(port),
                          QStringLiteral("Close that copy and start again, or host on another port, for example: "
                                         "MORVELLO_PORT=%1 morvello Ann 127.0.0.1 true (everyone joining must then use "
                                         "the same MORVELLO_PORT).").arg(squatter.serverPort() + 1)}));
    QVERIFY(!chat.model().ishost());
    QVERIFY(!chat.findChild<QAction *>(QStringLiteral("StartGame1"))->isEnabled());
    QVERIFY(chat.findChild<QLabel *>(QStringLiteral("button_start"))->isHidden());
    QCOMPARE(chat.sock()->state(), QAbstractSocket::UnconnectedState);
    QVERIFY(!chat.sock11());
    QVERIFY(!squatter.hasPendingConnections());
}

void TchatTest::loginReplyCarriesNameAndTwoTerminators()
{
    ChatFixture f;
    f.chat.commands().setLoginName(QStringLiteral("You"));
    f.deliver("CMD_sendlogininfo+1#");
    QCOMPARE(f.chat.model().myseat(), 1);
    QVERIFY(f.chat.model().loggedin());
    QCOMPARE(f.sent.size(), 1);
    QCOMPARE(f.sent.at(0).at(0).toByteArray(), QByteArray("CMD_logininfo+1+1.0.1+You\xff\xff"));
}

void TchatTest::badSeatInLoginRequestSendsNothing()
{
    ChatFixture f;
    f.chat.commands().setLoginName(QStringLiteral("You"));
    f.deliver("CMD_sendlogininfo+1x#CMD_wrongversion+#");
    QVERIFY(!f.chat.model().loggedin());
    QCOMPARE(f.sent.size(), 0);
    // The next message is handled normally.
    QCOMPARE(f.lastLine(), QStringLiteral("You have a differnt version of the game then the host."));
}

void TchatTest::oneMessageHandledPerTick()
{
    ChatFixture f;
    f.chat.receiveBytes(ff("CMD_havewrongversion+Ann#CMD_havewrongversion+Bob#"));
    QCOMPARE(f.chat.receivedlist().size(), 2);
    QVERIFY(f.lines().isEmpty());
    f.chat.Timer1Timer();
    QCOMPARE(f.lines(), QStringList{QStringLiteral("Ann has a different version of the game then you.")});
    f.chat.Timer1Timer();
    QCOMPARE(f.lines().size(), 2);
    QCOMPARE(f.lastLine(), QStringLiteral("Bob has a different version of the game then you."));
}

void TchatTest::splitMessageHandledOnceWhole()
{
    ChatFixture f;
    f.chat.receiveBytes("CMD_havewrongv");
    QVERIFY(f.chat.receivedlist().isEmpty());
    QVERIFY(!f.chat.timer1Active());
    f.chat.receiveBytes(ff("ersion+Ann+Bob#CMD_have"));
    QCOMPARE(f.chat.receivedlist().size(), 1);
    f.chat.Timer1Timer();
    f.chat.Timer1Timer();
    QCOMPARE(f.lines(), QStringList{QStringLiteral("Ann+Bob has a different version of the game then you.")});
}

void TchatTest::entriesWithoutCommandAreIgnored_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::newRow("full without plus") << ff("CMD_full#");
    QTest::newRow("empty entry") << ff("#");
    QTest::newRow("empty command word") << ff("+CMD_full+#");
    QTest::newRow("case counts") << ff("cmd_full+#CMD_Full+#");
    QTest::newRow("unknown command") << ff("CMD_bogus+1+2#");
    QTest::newRow("client-side word") << ff("CMD_logininfo+1+1.0.1+Eve#");
}

void TchatTest::entriesWithoutCommandAreIgnored()
{
    QFETCH(QByteArray, input);
    ChatFixture f;
    QSignalSpy closed(&f.chat, &Tchat::windowClosed);
    f.chat.receiveBytes(input);
    while (!f.chat.receivedlist().isEmpty())
        f.chat.Timer1Timer();
    QVERIFY(!openBox(&f.chat));
    QVERIFY(f.lines().isEmpty());
    QCOMPARE(f.sent.size(), 0);
    QCOMPARE(closed.size(), 0);
}

void TchatTest::gameFullShowsBoxThenCloses()
{
    ChatFixture f;
    f.chat.show();
    QSignalSpy closed(&f.chat, &Tchat::windowClosed);
    f.deliver("CMD_full+#");
    QMessageBox *box = openBox(&f.chat);
    QVERIFY(box);
    QCOMPARE(box->text(), QStringLiteral("Game is full"));
    QCOMPARE(closed.size(), 0);
    box->accept();
    QTRY_COMPARE(closed.size(), 1);
    QVERIFY(!f.chat.isVisible());
}

void TchatTest::gameFullIsShownEvenWhenTheHostClosesAtOnce()
{
    QTcpServer host;
    QVERIFY(host.listen(QHostAddress::LocalHost, 0));
    usePort(host.serverPort());
    Tchat chat;
    chat.setParameters({QStringLiteral("Eve"), QStringLiteral("127.0.0.1"), QStringLiteral("false")});
    chat.show();
    QSignalSpy closed(&chat, &Tchat::windowClosed);
    QTRY_VERIFY(host.hasPendingConnections());
    QTcpSocket *peer = host.nextPendingConnection();
    peer->write(ff("CMD_full+#"));
    peer->flush();
    peer->disconnectFromHost();

    QMessageBox *box = nullptr;
    QTRY_VERIFY((box = openBox(&chat)));
    QCOMPARE(box->text(), QStringLiteral("Game is full"));
    QTest::qWait(50);
    QCOMPARE(closed.size(), 0);
    box->accept();
    QTRY_COMPARE(closed.size(), 1);
}

void TchatTest::versionLines()
{
    ChatFixture f;
    f.deliver("CMD_havewrongversion+Ann#CMD_wrongversion+#");
    QCOMPARE(f.lines(), (QStringList{QStringLiteral("Ann has a different version of the game then you."),
                                     QStringLiteral("You have a differnt version of the game then the host.")}));
    for (int line = 0; line < 2; ++line) {
        for (const Run &run : runsOfLine(f.view(), line))
            QCOMPARE(run.colour, QColor(0, 0, 255));
    }
}

void TchatTest::timerRunsOnlyWithWork()
{
    ChatFixture f;
    QVERIFY(!f.chat.timer1Active());
    f.chat.receiveBytes(ff("CMD_wrongversion+#"));
    QVERIFY(f.chat.timer1Active());
    f.chat.Timer1Timer();
    QVERIFY(!f.chat.timer1Active());

    // The phrase lock keeps it ticking for its 101 ticks, and no longer.
    f.deliver("CMD_sendlogininfo+1#");
    f.chat.b_phrase1Click(2);
    QVERIFY(!f.chat.commands().phraseready());
    QVERIFY(f.chat.timer1Active());
    for (int tick = 1; tick <= 100; ++tick)
        f.chat.Timer1Timer();
    QVERIFY(!f.chat.commands().phraseready());
    QCOMPARE(f.chat.commands().phraseticks(), 100);
    f.chat.Timer1Timer();
    QVERIFY(f.chat.commands().phraseready());
    QVERIFY(!f.chat.timer1Active());

    // The real timer works the queue off by itself.
    f.chat.receiveBytes(ff("CMD_havewrongversion+A#CMD_havewrongversion+B#CMD_havewrongversion+C#"));
    QTRY_COMPARE(f.lines().size(), 4);
    QTRY_VERIFY(!f.chat.timer1Active());

    // Taken up without waiting when the timer was idle, the queue still goes one message per
    // tick: eight messages take at least seven ticks.
    QElapsedTimer clock;
    clock.start();
    f.chat.receiveBytes(QByteArray(ff("CMD_havewrongversion+D#")).repeated(8));
    QTRY_COMPARE(f.lines().size(), 12);
    QVERIFY2(clock.elapsed() >= 7, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));
}

void TchatTest::chatLineBoldUpToFirstColon_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("bold");
    QTest::addColumn<QString>("regular");

    QTest::newRow("chat") << QStringLiteral("Ann chats: hi") << QStringLiteral("Ann chats:") << QStringLiteral(" hi");
    QTest::newRow("two colons") << QStringLiteral("Ann chats: see 10:30") << QStringLiteral("Ann chats:")
                                << QStringLiteral(" see 10:30");
    QTest::newRow("no colon") << QStringLiteral("Ann waves") << QString() << QStringLiteral("Ann waves");
    QTest::newRow("colon last") << QStringLiteral("Ann says:") << QStringLiteral("Ann says:") << QString();
}

void TchatTest::chatLineBoldUpToFirstColon()
{
    QFETCH(QString, text);
    QFETCH(QString, bold);
    QFETCH(QString, regular);
    ChatFixture f;
    const QColor colour(0, 128, 255);
    f.chat.addlinetochat(QStringLiteral("first"), Qt::red);
    f.chat.addlinetochat(text, colour);
    QCOMPARE(f.lines(), (QStringList{QStringLiteral("first"), text}));

    QString boldSeen, regularSeen;
    for (const Run &run : runsOfLine(f.view(), 1)) {
        QCOMPARE(run.colour, colour);
        (run.bold ? boldSeen : regularSeen) += run.text;
    }
    QCOMPARE(boldSeen, bold);
    QCOMPARE(regularSeen, regular);
}

void TchatTest::scrollChatOffKeepsTheView()
{
    ChatFixture f;
    f.chat.show();
    for (int n = 0; n < 60; ++n)
        f.chat.addlinetochat(QStringLiteral("line %1").arg(n), Qt::black);
    QScrollBar *bar = f.view()->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());

    bar->setValue(0);
    f.action(QStringLiteral("ScrollOff1"))->trigger();
    QVERIFY(f.action(QStringLiteral("ScrollChatOff1"))->isChecked());
    f.chat.addlinetochat(QStringLiteral("while reading"), Qt::black);
    QCOMPARE(bar->value(), 0);

    // The popup's entry switches both back; new lines follow again.
    f.action(QStringLiteral("ScrollChatOff1"))->trigger();
    QVERIFY(!f.action(QStringLiteral("ScrollOff1"))->isChecked());
    f.chat.addlinetochat(QStringLiteral("following"), Qt::black);
    QCOMPARE(bar->value(), bar->maximum());
}

void TchatTest::rosterOfSeats()
{
    ChatFixture f;
    f.deliver("CMD_sendlogininfo+2#");
    f.deliver("CMD_newplayerinfo+2+Bob#CMD_existingplayers+1+Ann#CMD_newplayerinfo+3+Cy#");
    QCOMPARE(f.lines(), (QStringList{QStringLiteral("You are Connected."), QStringLiteral("Ann is Connected."),
                                     QStringLiteral("Cy is Connected.")}));
    QCOMPARE(f.label(QStringLiteral("label_playername1"))->text(), QStringLiteral("Ann"));
    QCOMPARE(f.label(QStringLiteral("label_playername2"))->text(), QStringLiteral("Bob"));
    QCOMPARE(f.label(QStringLiteral("label_playername3"))->text(), QStringLiteral("Cy"));
    QVERIFY(!f.label(QStringLiteral("label_playername3"))->isHidden());
    QVERIFY(!f.label(QStringLiteral("label_score3"))->isHidden());
    QCOMPARE(f.spies().size(), 0);

    f.deliver("CMD_pscore+3+57+*+1000+1000+1000+12+1000+1000+1000+1000+1000+1000+1000+1000+12+0+1000+0#");
    f.label(QStringLiteral("image_eyes3"))->show();
    f.deliver("CMD_playerdisconnected+3+Cy#CMD_playerdisconnected+1+Ann#CMD_playerdisconnected+4+Zed#");
    QCOMPARE(f.lines().mid(3), (QStringList{QStringLiteral("Cy disconnected."), QStringLiteral("Ann disconnected."),
                                            QStringLiteral("<Waiting> disconnected.")}));
    QCOMPARE(f.label(QStringLiteral("label_playername3"))->text(), QStringLiteral("Kling"));
    QCOMPARE(f.label(QStringLiteral("label_playername1"))->text(), QString());
    QCOMPARE(f.label(QStringLiteral("label_playername4"))->text(), QStringLiteral("Klick"));
    QVERIFY(f.label(QStringLiteral("image_eyes3"))->isHidden());
    // The card stays, and so does the grand total the host announced for the seat.
    QCOMPARE(f.label(QStringLiteral("score3_4"))->text(), QStringLiteral("12"));
    QCOMPARE(f.label(QStringLiteral("label_score3"))->text(), QStringLiteral("57"));
    for (int line = 0; line < f.lines().size(); ++line) {
        for (const Run &run : runsOfLine(f.view(), line))
            QCOMPARE(run.colour, QColor(0, 0, 255));
    }
}

void TchatTest::rosterOfSpies()
{
    ChatFixture f;
    f.deliver("CMD_sendlogininfo+7#");
    f.deliver("CMD_newplayerinfo+7+Me#CMD_existingplayers+6+Bob#CMD_newplayerinfo+8+Bob: the 2nd#");
    QCOMPARE(f.lines(), (QStringList{QStringLiteral("You are Connected."), QStringLiteral("You are spying."),
                                     QStringLiteral("Bob is Connected."), QStringLiteral("Bob is spying."),
                                     QStringLiteral("Bob: the 2nd is Connected."),
                                     QStringLiteral("Bob: the 2nd is spying.")}));
    QCOMPARE(f.spies().size(), 3);
    QCOMPARE(f.spies().value(1), QStringLiteral("6: Bob"));
    for (int seat = 1; seat <= 4; ++seat)
        QCOMPARE(f.label(QStringLiteral("label_playername%1").arg(seat))->text(), QStringLiteral("<Waiting>"));

    // A wrong name or slot finds no entry; the right pair removes it with a navy line.
    f.deliver("CMD_playerdisconnected+6+Bobby#CMD_playerdisconnected+9+Bob#");
    QCOMPARE(f.spies().size(), 3);
    QCOMPARE(f.lines().size(), 6);
    f.deliver("CMD_playerdisconnected+6+Bob#");
    QCOMPARE(f.lastLine(), QStringLiteral("Bob has left."));
    for (const Run &run : runsOfLine(f.view(), 6))
        QCOMPARE(run.colour, QColor(0, 0, 128));
    QCOMPARE(f.spies().size(), 2);
    QCOMPARE(f.spies().value(1), QStringLiteral("8: Bob: the 2nd"));
}

void TchatTest::enteredSoundFollowsPlaySounds()
{
    ChatFixture f;
    f.action(QStringLiteral("PlaySounds1"))->trigger();
    QVERIFY(!f.chat.preferences().playSounds());
    // The check mark shows the preference; setting the mark alone changes nothing.
    f.action(QStringLiteral("PlaySounds1"))->setChecked(true);
    f.deliver("CMD_newplayerinfo+1+Ann#");
    QVERIFY(f.chat.sounds().lastRequested().isEmpty());
    f.action(QStringLiteral("PlaySounds1"))->trigger();
    QVERIFY(f.action(QStringLiteral("PlaySounds1"))->isChecked());
    f.deliver("CMD_newplayerinfo+2+Bob#");
    QCOMPARE(f.chat.sounds().lastRequested(), QStringLiteral("entered"));
}

void TchatTest::soundModuleLoadsWithTheFirstSound()
{
    SoundPlayer player;
    QVERIFY(!player.canPlay());
    player.play(QStringLiteral("nosuchsound"));
    QVERIFY(!player.canPlay());
    player.play(QStringLiteral("Entered"));
    QVERIFY(player.canPlay());
    QCOMPARE(player.lastRequested(), QStringLiteral("entered"));
    player.play(QStringLiteral("turn"));
    QCOMPARE(player.lastRequested(), QStringLiteral("turn"));

    // Without the module the game is silent and goes on; the module is looked for once.
    SoundPlayer silent(QStringLiteral("/nonexistent/morvello_sound"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^No sound: ")));
    silent.play(QStringLiteral("entered"));
    QVERIFY(!silent.canPlay());
    silent.play(QStringLiteral("turn"));
    QCOMPARE(silent.lastRequested(), QStringLiteral("turn"));
}

void TchatTest::oneOrTwoParametersOnlyShowTheLoadingLine_data()
{
    QTest::addColumn<QStringList>("parameters");
    QTest::newRow("one") << QStringList{QStringLiteral("Ann")};
    QTest::newRow("two") << QStringList{QStringLiteral("Ann"), QStringLiteral("127.0.0.1")};
}

void TchatTest::oneOrTwoParametersOnlyShowTheLoadingLine()
{
    QFETCH(QStringList, parameters);
    QTcpServer host;
    QVERIFY(host.listen(QHostAddress::Any, 0));
    usePort(host.serverPort());
    ChatFixture f;
    f.chat.setParameters(parameters);
    f.chat.show();
    QTRY_COMPARE(f.lines(), QStringList{QStringLiteral("Loading Multi-player Game.. Please Wait.")});
    QTest::qWait(100);
    QCOMPARE(f.lines().size(), 1);
    QVERIFY(!host.hasPendingConnections());
    QCOMPARE(f.chat.sock()->state(), QAbstractSocket::UnconnectedState);
    QVERIFY(!f.chat.sock11());
    QVERIFY(!f.chat.model().ishost());
    QVERIFY(f.chat.model().myname().isEmpty());
    QVERIFY(!f.action(QStringLiteral("StartGame1"))->isEnabled());
    QVERIFY(!openBox(&f.chat));
}

void TchatTest::capitalTrueJoinsAndOpensSideConnection()
{
    SideListener side;
    QTcpServer host;
    QVERIFY(host.listen(QHostAddress::LocalHost, 0));
    usePort(host.serverPort());
    ChatFixture f;
    f.chat.setParameters({QStringLiteral("Ann"), QStringLiteral("127.0.0.1"), QStringLiteral("True"),
                          QStringLiteral("ignored")});
    f.chat.show();
    QTRY_VERIFY(host.hasPendingConnections());
    QTcpSocket *peer = host.nextPendingConnection();
    QVERIFY(!f.chat.model().ishost());
    QCOMPARE(f.chat.model().myname(), QStringLiteral("Ann"));
    QCOMPARE(f.chat.commands().loginname(), QByteArray("Ann\xff"));
    QVERIFY(!f.action(QStringLiteral("StartGame1"))->isEnabled());
    QVERIFY(f.label(QStringLiteral("button_start"))->isHidden());
    QVERIFY(f.chat.sock11());
    if (side.isListening())
        QTRY_VERIFY(side.hasPendingConnections());

    peer->write(ff("CMD_sendlogininfo+3#"));
    const QByteArray expected("CMD_logininfo+3+1.0.1+Ann\xff\xff");
    QByteArray got;
    QTRY_VERIFY((got += peer->readAll()).size() >= expected.size());
    QCOMPARE(got, expected);
    QCOMPARE(f.lines(), QStringList{QStringLiteral("Loading Multi-player Game.. Please Wait.")});
}

void TchatTest::hostingCopyConnectsToLoopback()
{
    SideListener side;
    usePort(freePort());
    TServer server;
    ChatFixture f;
    TchatWindows windows;
    windows.server = &server;
    windows.spylist = &f.spylist;
    f.chat.setWindows(windows);
    // The given address is not used when hosting.
    f.chat.setParameters({QStringLiteral("Ann"), QStringLiteral("192.0.2.1"), QStringLiteral("true")});
    f.chat.show();
    QTRY_VERIFY_WITH_TIMEOUT(f.lines().contains(QStringLiteral("You are Connected.")), 10000);
    QCOMPARE(f.lines().first(), QStringLiteral("Loading Multi-player Game.. Please Wait."));
    QVERIFY(f.chat.model().ishost());
    QCOMPARE(f.chat.sock()->peerAddress(), QHostAddress(QHostAddress::LocalHost));
    QCOMPARE(f.label(QStringLiteral("label_playername1"))->text(), QStringLiteral("Ann"));
    QVERIFY(f.chat.sock11());
    if (side.isListening())
        QTRY_VERIFY(side.hasPendingConnections());
    QVERIFY(f.action(QStringLiteral("StartGame1"))->isEnabled());
    QCOMPARE(f.linesWith(QStringLiteral("Others can join with: MORVELLO_PORT=%1 morvello NAME ")
                             .arg(qEnvironmentVariable("MORVELLO_PORT"))).size(), 1);
}

void TchatTest::onlyAHostingCopyListensBeyondThisMachine_data()
{
    QTest::addColumn<QStringList>("parameters");
    QTest::addColumn<bool>("reachable");
    QTest::newRow("solo") << QStringList() << false;
    QTest::newRow("hosting") << QStringList{"Ann", "127.0.0.1", "true"} << true;
}

void TchatTest::onlyAHostingCopyListensBeyondThisMachine()
{
    QFETCH(QStringList, parameters);
    QFETCH(bool, reachable);
    QHostAddress outside;
    for (const QHostAddress &address : QNetworkInterface::allAddresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            outside = address;
    }
    if (outside.isNull())
        QSKIP("This machine has no IPv4 address besides the loopback one.");

    usePort(freePort());
    TServer server;
    TchatWindows windows;
    windows.server = &server;
    ChatFixture f(windows);
    f.chat.setParameters(parameters);
    f.chat.show();
    QTRY_VERIFY_WITH_TIMEOUT(f.lines().contains(QStringLiteral("You are Connected.")), 10000);
    TestClient stranger;
    QCOMPARE(stranger.connectTo(server.serverPort(), outside, 2000), reachable);
}

void TchatTest::unreachableHostIsReportedInTheChat()
{
    usePort(freePort());
    ChatFixture f;
    QSignalSpy closed(&f.chat, &Tchat::windowClosed);
    f.chat.setParameters({QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("false")});
    f.chat.show();
    QTRY_COMPARE(f.lines().size(), 3);
    QCOMPARE(f.lines().at(1), QStringLiteral("Could not connect to 127.0.0.1: Connection refused"));
    QVERIFY(f.lastLine().contains(QStringLiteral("TCP port %1").arg(qEnvironmentVariable("MORVELLO_PORT"))));
    for (int line = 1; line <= 2; ++line) {
        for (const Run &run : runsOfLine(f.view(), line))
            QCOMPARE(run.colour, QColor(0, 0, 255));
    }
    QVERIFY(f.chat.isVisible());
    QCOMPARE(closed.size(), 0);
    QVERIFY(!openBox(&f.chat));
}

void TchatTest::unknownHostNameIsReported()
{
    HostLookup::forget();
    ChatFixture f;
    f.chat.setParameters({QStringLiteral("Bob"), QStringLiteral("no-such-host.invalid"), QStringLiteral("false")});
    f.chat.show();
    QMessageBox *box = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((box = openBox(&f.chat)), 15000);
    QCOMPARE(box->text(), QStringLiteral("Host Lookup - Could Not Find Host Entry"));
    QVERIFY(f.lastLine().startsWith(QStringLiteral("Could not find the host \"no-such-host.invalid\" (port 1).")));
    QCOMPARE(f.chat.sock()->state(), QAbstractSocket::UnconnectedState);
    QVERIFY(f.chat.isVisible());
}

void TchatTest::hostClosingLeavesTheWindow_data()
{
    QTest::addColumn<QByteArray>("lastWords");
    QTest::addColumn<QString>("line");

    QTest::newRow("removed") << QByteArray("CMD_playerdisconnected+2+Bob#") << "The host removed you from the game.";
    QTest::newRow("the host closed") << QByteArray("CMD_playerdisconnected+1+Ann#") << "The host has closed the game.";
    QTest::newRow("lost") << QByteArray() << "The connection to the host was lost.";
}

void TchatTest::hostClosingLeavesTheWindow()
{
    QFETCH(QByteArray, lastWords);
    QFETCH(QString, line);

    QTcpServer host;
    QVERIFY(host.listen(QHostAddress::LocalHost, 0));
    usePort(host.serverPort());
    ChatFixture f;
    QSignalSpy closed(&f.chat, &Tchat::windowClosed);
    f.chat.setParameters({QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("false")});
    f.chat.show();
    QTRY_VERIFY(host.hasPendingConnections());
    QTcpSocket *peer = host.nextPendingConnection();
    peer->write(ff("CMD_sendlogininfo+2#CMD_existingplayers+1+Ann#CMD_newplayerinfo+2+Bob#CMD_startgame+1+f+false#"
                   "CMD_nextplayer+2+1+0+0#")
                + ff(lastWords.constData()));
    peer->flush();
    QTRY_VERIFY(f.label(QStringLiteral("image_throwdice"))->isVisible());
    peer->close();
    // Whatever the host said last is read before the close is: the line says which close it was.
    QTRY_COMPARE(f.lastLine(), line);
    QCOMPARE(f.linesWith(line), QList<QColor>{QColor(0, 0, 255)});
    QCOMPARE(f.chat.session().state(), ClientSession::State::Ended);
    QVERIFY(f.chat.isVisible());
    QVERIFY(!openBox(&f.chat));
    QCOMPARE(closed.size(), 0);
    // The card and the names stay; the game's controls do nothing any more.
    QCOMPARE(f.label(QStringLiteral("label_playername2"))->text(), QStringLiteral("Bob"));
    QVERIFY(!f.label(QStringLiteral("image_throwdice"))->isVisible());
    QVERIFY(!f.action(QStringLiteral("StartGame1"))->isEnabled());
    f.sent.clear();
    f.chat.image_throwdiceClick();
    f.chat.JustWatch1Click();
    QCOMPARE(f.sent.size(), 0);
}

void TchatTest::oversizedInputClosesTheConnectionAndSaysWhy()
{
    QTcpServer host;
    QVERIFY(host.listen(QHostAddress::LocalHost, 0));
    usePort(host.serverPort());
    ChatFixture f;
    QSignalSpy closed(&f.chat, &Tchat::windowClosed);
    f.chat.setParameters({QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("false")});
    f.chat.show();
    QTRY_VERIFY(host.hasPendingConnections());
    QTcpSocket *peer = host.nextPendingConnection();
    peer->write(ff("CMD_havewrongversion+Ann#"));
    peer->write(QByteArray(70 * 1024, 'x'));
    QTRY_COMPARE(peer->state(), QAbstractSocket::UnconnectedState);
    QTRY_VERIFY(f.lines().size() >= 3);
    QVERIFY(f.lines().contains(QStringLiteral("Ann has a different version of the game then you.")));
    QVERIFY(f.lines().contains(
        QStringLiteral("The connection to the host was closed: it sent more than 64 KiB without ending a message.")));
    QVERIFY(!f.chat.model().loggedin());
    QVERIFY(f.chat.isVisible());
    QCOMPARE(closed.size(), 0);
}

void TchatTest::menuEntriesOpenTheirWindows()
{
    ChatFixture f;
    Tabout about;
    Thelp help;
    TchatWindows windows;
    windows.about = &about;
    windows.help = &help;
    windows.spylist = &f.spylist;
    f.chat.setWindows(windows);
    f.chat.show();
    f.action(QStringLiteral("SpyList1"))->trigger();
    QVERIFY(f.spylist.isVisible());
    QCOMPARE(f.spylist.windowTitle(), QStringLiteral("Morvello -Spys"));
    f.action(QStringLiteral("Help2"))->trigger();
    QVERIFY(help.isVisible());
    QCOMPARE(help.windowTitle(), QStringLiteral("Morvello - Help File"));
    QVERIFY(!about.isVisible());
    f.action(QStringLiteral("About1"))->trigger();
    QVERIFY(about.isVisible());
    QCOMPARE(about.findChild<QLabel *>(QStringLiteral("version"))->text(), QStringLiteral("1.0.1"));
}

void TchatTest::sideWindowsAnswerEscapeAndEnter()
{
    Thelp help;
    Tabout about;
    Tphrases phrases;
    TchatWindows windows;
    windows.help = &help;
    windows.about = &about;
    windows.phrases = &phrases;
    ChatFixture f(windows);
    f.chat.setWindows(windows);  // a second time changes nothing

    for (QWidget *window : std::initializer_list<QWidget *>{&help, &about, &phrases}) {
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window));  // a shown window takes the focus
        QTest::keyClick(window->focusWidget() ? window->focusWidget() : window, Qt::Key_Escape);
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
    }
    // Enter, and Enter of the keypad, press the window's one button, which closes it.
    const QList<QPair<QWidget *, const char *>> buttons{{&about, "Button1"}, {&phrases, "SelButton8"}};
    for (const auto &[window, name] : buttons) {
        auto *button = window->findChild<QAbstractButton *>(QLatin1String(name));
        QSignalSpy pressed(button, &QAbstractButton::clicked);
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
            window->show();
            QVERIFY(QTest::qWaitForWindowActive(window));
            QTest::keyClick(window->focusWidget() ? window->focusWidget() : window, key);
            QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
        }
        QCOMPARE(pressed.size(), 2);
    }
}

void TchatTest::copyTakesTheSelectionAsPlainText()
{
    ChatFixture f;
    f.chat.addlinetochat(QStringLiteral("Ann chats: hello there"), Qt::blue);
    f.chat.addlinetochat(QStringLiteral("Bob waves"), Qt::red);
    QTextCursor cursor(f.view()->document());
    cursor.setPosition(4);
    cursor.setPosition(f.view()->document()->findBlockByNumber(1).position() + 3, QTextCursor::KeepAnchor);
    f.view()->setTextCursor(cursor);
    QApplication::clipboard()->clear();
    f.action(QStringLiteral("Copy1"))->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("chats: hello there\nBob"));
    QVERIFY(!QApplication::clipboard()->mimeData()->hasHtml());
}

void TchatTest::exitClosesTheWindow()
{
    ChatFixture f;
    f.chat.show();
    QSignalSpy closed(&f.chat, &Tchat::windowClosed);
    f.action(QStringLiteral("Exit1"))->trigger();
    QCOMPARE(closed.size(), 1);
    QVERIFY(!f.chat.isVisible());
}

void TchatTest::inputLineSendsWithEnter_data()
{
    QTest::addColumn<bool>("loggedIn");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QString>("left");

    QTest::newRow("chat") << true << "hello" << int(Qt::Key_Return) << QByteArray("CMD_chat+1+hello|clBlack\xff")
                          << "";
    QTest::newRow("keypad enter") << true << "/me waves" << int(Qt::Key_Enter)
                                  << QByteArray("CMD_action+1+waves|clBlack\xff") << "";
    QTest::newRow("unknown command") << true << "/who" << int(Qt::Key_Return) << QByteArray() << "";
    QTest::newRow("before login") << false << "hello" << int(Qt::Key_Return) << QByteArray() << "hello";
}

void TchatTest::inputLineSendsWithEnter()
{
    QFETCH(bool, loggedIn);
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(QByteArray, sent);
    QFETCH(QString, left);

    ChatFixture f;
    f.chat.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.chat));
    auto *input = f.chat.findChild<QLineEdit *>(QStringLiteral("mychat"));
    // The input line is where the keyboard goes when the window opens.
    QTRY_COMPARE(f.chat.focusWidget(), input);
    if (loggedIn)
        f.deliver("CMD_sendlogininfo+1#");
    f.sent.clear();
    // The first key takes the invitation away instead of adding to it.
    QTest::keyClicks(input, typed);
    QCOMPARE(input->text(), typed);
    QTest::keyClick(input, Qt::Key(key));
    QCOMPARE(input->text(), left);
    QCOMPARE(f.sent.size(), sent.isEmpty() ? 0 : 1);
    if (!sent.isEmpty())
        QCOMPARE(f.sent.at(0).at(0).toByteArray(), sent);
}

void TchatTest::typingAfterAClickGoesToTheChatLine_data()
{
    QTest::addColumn<QString>("clicked");
    QTest::newRow("a line of the chat") << "line";
    QTest::newRow("a link in the chat") << "link";
    QTest::newRow("the board") << "panel_board";
    QTest::newRow("the card") << "panel_scorecard";
    QTest::newRow("a phrase button, reached by Tab") << "b_phrase3";
}

void TchatTest::typingAfterAClickGoesToTheChatLine()
{
    QFETCH(QString, clicked);

    ChatFixture f;
    f.chat.openAddress = [](const QString &) { return true; };
    f.chat.setParameters({QStringLiteral("Ann"), QStringLiteral("x")});   // starts nothing
    f.chat.show();
    QVERIFY(QTest::qWaitForWindowActive(&f.chat));
    f.deliver("CMD_sendlogininfo+1#");
    f.chat.addlinetochat(QStringLiteral("Ann chats: see www.example.org now"), Qt::black);
    f.sent.clear();
    QPlainTextEdit *view = f.view();
    auto *input = f.chat.findChild<QLineEdit *>(QStringLiteral("mychat"));
    QTextCursor at(view->document());
    at.setPosition(view->document()->lastBlock().position() + (clicked == QLatin1String("link") ? 18 : 3));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->cursorRect(at).center() + QPoint(1, 0));
    QWidget *button = f.chat.findChild<QToolButton *>(clicked);
    if (button) {
        // A click would send the phrase; the keyboard reaches the button by Tab.
        button->setFocus(Qt::TabFocusReason);
        QCOMPARE(QApplication::focusWidget(), button);
    } else if (clicked.startsWith(QLatin1String("panel_"))) {
        QWidget *panel = f.chat.findChild<QWidget *>(clicked);
        QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(5, 100));
        panel->setFocus();
        QCOMPARE(QApplication::focusWidget(), panel);
    } else {
        QCOMPARE(QApplication::focusWidget(), view);
        // Reading keys stay with the chat view: it scrolls, and copies what the mouse selected.
        for (Qt::Key key : {Qt::Key_Up, Qt::Key_PageUp, Qt::Key_Down, Qt::Key_PageDown})
            QTest::keyClick(view, key);
        QTextCursor selection(view->document());
        selection.setPosition(at.block().position());
        selection.setPosition(at.block().position() + 3, QTextCursor::KeepAnchor);
        view->setTextCursor(selection);
        QApplication::clipboard()->clear();
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Ann"));
        QCOMPARE(QApplication::focusWidget(), view);
    }
    // Typed as a person types: each key goes where the focus is by then.
    for (QChar c : QStringLiteral("Hi, Ann!"))
        QTest::keyClicks(QApplication::focusWidget(), QString(c));
    QCOMPARE(QApplication::focusWidget(), input);
    QCOMPARE(input->text(), QStringLiteral("Hi, Ann!"));
    QTest::keyClick(input, Qt::Key_Return);
    QCOMPARE(f.sent.size(), 1);
    QCOMPARE(f.sent.at(0).at(0).toByteArray(), QByteArray("CMD_chat+1+Hi, Ann!|clBlack\xff"));
    if (button) {
        // Space still presses the button: it sends its phrase and types nothing.
        button->setFocus(Qt::TabFocusReason);
        QTest::keyClick(button, Qt::Key_Space);
        QCOMPARE(f.sent.size(), 2);
        QVERIFY(f.sent.at(1).at(0).toByteArray().contains(f.chat.phraseOf(3).toUtf8()));
        QVERIFY(input->text().isEmpty());
    }
}

void TchatTest::phraseButtonsLockForAHundredTicks()
{
    ChatFixture f;
    f.deliver("CMD_sendlogininfo+4#");
    f.sent.clear();
    auto *button = f.chat.findChild<QToolButton *>(QStringLiteral("b_phrase2"));
    QCOMPARE(f.chat.phraseOf(2), QStringLiteral("Good One!"));
    button->click();
    button->click();
    QCOMPARE(f.sent.size(), 1);
    QCOMPARE(f.sent.at(0).at(0).toByteArray(), QByteArray("CMD_action+4+says: Good One!|clBlack\xff"));
    for (int tick = 0; tick <= ClientCommands::kPhraseLockTicks; ++tick)
        f.chat.Timer1Timer();
    f.chat.findChild<QToolButton *>(QStringLiteral("b_phrase10"))->click();
    QCOMPARE(f.sent.size(), 2);
    QCOMPARE(f.sent.at(1).at(0).toByteArray(), QByteArray("CMD_action+4+says: See ya!|clBlack\xff"));
}

void TchatTest::relayedLinesAreTextNotMarkup()
{
    ChatFixture f;
    f.deliver("CMD_chat+Ann chats: <img src=x.png><font size=99>big</font>|clBlack#"
              "CMD_chat+Bob chats: odd|colourless#");
    QCOMPARE(f.lines(), (QStringList{"Ann chats: <img src=x.png><font size=99>big</font>", "Bob chats: odd"}));
    QCOMPARE(f.view()->document()->toHtml().count(QStringLiteral("<img")), 0);
    const QList<Run> ann = runsOfLine(f.view(), 0);
    QCOMPARE(ann.size(), 2);
    QCOMPARE(ann[0].text, QStringLiteral("Ann chats:"));
    QVERIFY(ann[0].bold && !ann[1].bold);
    QCOMPARE(ann[1].colour, QColor(Qt::black));
    for (const Run &run : runsOfLine(f.view(), 1))
        QCOMPARE(run.colour, QColor(255, 0, 0));
}

void TchatTest::peerNamesAreShownAsText_data()
{
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("name");   // as every window shows it
    auto same = [](const char *row, const QString &name) { QTest::newRow(row) << name << name; };
    same("an image of a device", QStringLiteral("<img src=/dev/zero>"));
    same("an image of standard input", QStringLiteral("<img src=/dev/stdin>"));
    same("bold", QStringLiteral("<b>Ann</b>"));
    same("a link", QStringLiteral("<a href=\"file:///etc/passwd\">Ann</a>"));
    same("an entity", QStringLiteral("&lt;Ann&gt;"));
    QTest::newRow("line breaks") << QStringLiteral("Ann\r\nBob chats: hi") << QStringLiteral("Ann  Bob chats: hi");
    QTest::newRow("C1 and DEL") << QStringLiteral("A\u0085n\u009b\u007fn") << QStringLiteral("A n  n");
    QTest::newRow("60 KB") << QString(60000, QLatin1Char('<')) << QString(64, QLatin1Char('<'));
}

// A peer's name reaches the seat, the turn line, the status line, the winner banner, the spy
// list, the tally window and the phrase tooltips: each shows it literally, and no label in any
// window is left to guess rich text.
void TchatTest::peerNamesAreShownAsText()
{
    QFETCH(QString, sent);
    QFETCH(QString, name);
    // Whole, or shortened to its box with the whole in the tooltip (a paragraph that wraps, so
    // runs of spaces show as one there).
    auto tip = [](const QLabel *label) { return QTextDocumentFragment::fromHtml(label->toolTip()).toPlainText(); };
    auto shows = [&tip](const QLabel *label, const QString &text) {
        return label->text() == text || (label->text().contains(QChar(0x2026)) && tip(label) == text.simplified());
    };
    Ttallylist tally(nullptr, QDir(QString::fromLocal8Bit(qgetenv("MORVELLO_DIR"))).filePath(QStringLiteral("markup.tld")));
    TchatWindows windows;
    windows.tally = &tally;
    ChatFixture f(windows);
    f.deliver("CMD_sendlogininfo+1#CMD_newplayerinfo+1+You#");
    f.deliver(QStringLiteral("CMD_newplayerinfo+2+") + sent);
    f.deliver(QStringLiteral("CMD_newplayerinfo+6+") + sent);
    f.deliver("CMD_startgame+1+f+false#");
    f.deliver("CMD_nextplayer+2+1+0+0#");
    QVERIFY(shows(f.label(QStringLiteral("label_turn")), name + QStringLiteral("'s turn.")));
    f.deliver("CMD_pscore+2+8+8+1000+1000+1000+1000+1000+1000+1000+8+1000+1000+1000+1000+0+0+8+0#");
    QVERIFY(shows(f.label(QStringLiteral("label_status")), name + QStringLiteral(" tagged a FULL HOUSE")));
    f.deliver(QStringLiteral("CMD_winner+%1+x").arg(name));
    // A relayed line with a break in it, whoever sent it, is one line in the chat.
    const qsizetype before = f.lines().size();
    f.deliver(QStringLiteral("CMD_chat+%1 chats: hi\r\nAnn chats: type your password|clBlack").arg(sent.left(100)));
    QCOMPARE(f.lines().size(), before + 1);
    QVERIFY(f.lastLine().endsWith(QStringLiteral("hi  Ann chats: type your password")));
    QVERIFY(shows(f.label(QStringLiteral("label_playername2")), name));
    QCOMPARE(f.chat.model().winnerText(), name + QStringLiteral(" has Won the Game!"));
    QCOMPARE(f.spies().value(0), QStringLiteral("6: ") + name);
    QStringList phrases = f.chat.preferences().phrases();
    phrases[2] = name;
    f.chat.preferences().setPhrases(phrases);
    QCOMPARE(f.chat.phraseOf(3), name);
    // The tooltip is a paragraph that wraps, so runs of spaces show as one.
    QCOMPARE(QTextDocumentFragment::fromHtml(f.chat.findChild<QToolButton *>(QStringLiteral("b_phrase3"))->toolTip())
                 .toPlainText(), name.simplified());

    tally.show();
    QTRY_VERIFY(tally.isVisible());
    int showingName = 0;
    for (const QWidget *window : {static_cast<QWidget *>(&f.chat), static_cast<QWidget *>(&tally),
                                  static_cast<QWidget *>(&f.spylist)}) {
        for (const QLabel *label : window->findChildren<QLabel *>()) {
            QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->objectName()));
            showingName += label->text().contains(name) || tip(label).contains(name.simplified());
        }
    }
    QVERIFY(showingName >= 2);   // the seat and the status line (the winner's line may be shortened)
}

void TchatTest::boardTextsFitAndDiceAreNamed_data()
{
    QTest::addColumn<QString>("first");   // seat 1's name
    QTest::addColumn<QString>("winners");
    const QString longest(64, QLatin1Char('W'));
    QTest::newRow("one short name") << "Annabelle" << QStringLiteral("Ann");
    QTest::newRow("a team") << "Annabelle" << QStringLiteral("Annabelle and Kling");
    QTest::newRow("a long name") << "Alexandra Konstantinopoulou" << QStringLiteral("Alexandra Konstantinopoulou");
    QTest::newRow("four long names") << longest << QStringList(4, longest).join(QStringLiteral(" and "));
}

// The names, the turn and status lines and the winner's line stay in their boxes whatever
// their length (shortened only past the smallest size, the tooltip then has the whole); the
// banner lies over the dice; each die shows its number in the own turn only; the eyes of a
// watching seat cover no name; links look like links.
void TchatTest::boardTextsFitAndDiceAreNamed()
{
    QFETCH(QString, first);
    QFETCH(QString, winners);
    auto fits = [](const QLabel *label, const QString &whole) {
        const QRect used = QFontMetrics(label->font()).boundingRect(
            label->contentsRect(), int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0), label->text());
        return label->contentsRect().contains(used)
               && (label->text() == whole || label->toolTip().contains(whole.left(64)));
    };
    ChatFixture f;
    f.deliver("CMD_sendlogininfo+2#");
    f.deliver(QStringLiteral("CMD_newplayerinfo+1+") + first);
    f.deliver("CMD_newplayerinfo+2+Bob#");
    f.deliver("CMD_startgame+1+f+false#CMD_nextplayer+2+1+0+0#CMD_thedice+2+y+1+1+4+2+4+3+1+4+6+5+2#");
    for (int die = 1; die <= 5; ++die) {
        const QLabel *key = f.label(QStringLiteral("dicekey%1").arg(die));
        const QLabel *shown = f.label(QStringLiteral("dice%1").arg(die));
        QVERIFY(!key->isHidden());
        QCOMPARE(key->text(), QString::number(die));
        QVERIFY(key->geometry().intersects(shown->geometry()));
        QVERIFY(!key->geometry().contains(shown->geometry().center()));
    }
    f.deliver("CMD_nextplayer+1+1+0+0#CMD_justwatching+2+1#CMD_justwatching+1+1#");
    for (int die = 1; die <= 5; ++die)
        QVERIFY(f.label(QStringLiteral("dicekey%1").arg(die))->isHidden());
    for (int seat : {1, 2}) {
        const QLabel *name = f.label(QStringLiteral("label_playername%1").arg(seat));
        const QLabel *eyes = f.label(QStringLiteral("image_eyes%1").arg(seat));
        QVERIFY(!eyes->isHidden());
        const int textLeft = name->x() + name->contentsMargins().left();
        QVERIFY(eyes->geometry().right() < textLeft);
        QVERIFY(name->geometry().contains(eyes->geometry()));
    }
    QVERIFY2(fits(f.label(QStringLiteral("label_playername1")), first), qPrintable(first));
    f.deliver("CMD_justwatching+1+0#");
    QVERIFY2(fits(f.label(QStringLiteral("label_playername1")), first), qPrintable(first));
    QVERIFY(fits(f.label(QStringLiteral("label_turn")), first + QStringLiteral("'s turn.")));
    f.deliver("CMD_pscore+1+5+9+1000+1000+1000+1000+1000+1000+1000+1000+0+1000+1000+1000+0+0+0+0#");
    QVERIFY(fits(f.label(QStringLiteral("label_status")), first + QStringLiteral(" tagged a SM STRAIGHT")));

    f.deliver(QStringLiteral("CMD_winner+%1+x").arg(winners));
    const QLabel *line = f.label(QStringLiteral("label_winner"));
    const QLabel *banner = f.label(QStringLiteral("image_winner"));
    QVERIFY(banner->geometry().contains(line->geometry()));
    // The last roll stays where it fell, under the banner: no die covers the winner's name.
    const QObjectList stacked = line->parentWidget()->children();
    for (int die = 1; die <= 5; ++die) {
        const qsizetype under = stacked.indexOf(f.label(QStringLiteral("dice%1").arg(die)));
        QVERIFY(under < stacked.indexOf(banner) && stacked.indexOf(banner) < stacked.indexOf(line));
    }
    QVERIFY2(fits(line, f.chat.model().winnerText()), qPrintable(line->text()));

    f.deliver("CMD_chat+Ann chats: see https://example.org/x and file:///etc/passwd|clBlack#");
    const QList<Run> runs = runsOfLine(f.view(), f.lines().size() - 1);
    bool underlinedLink = false;
    for (const Run &run : runs) {
        const bool link = run.text == QStringLiteral("https://example.org/x");
        QCOMPARE(run.underlined, link);
        underlinedLink |= link;
    }
    QVERIFY(underlinedLink);
}

void TchatTest::linksOpenOnlyWebAndMail_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("opened");

    QTest::newRow("www") << "www.example.org." << "http://www.example.org";
    QTest::newRow("https") << "https://example.org/a" << "https://example.org/a";
    QTest::newRow("mailto without attachment") << "mailto:a@b.org?attach=x" << "mailto:a@b.org";
    QTest::newRow("file") << "file:///etc/passwd" << "";
    QTest::newRow("telnet") << "telnet://example.org" << "";
}

void TchatTest::linksOpenOnlyWebAndMail()
{
    QFETCH(QString, word);
    QFETCH(QString, opened);

    ChatFixture f;
    QStringList asked;
    f.chat.openAddress = [&asked](const QString &address) {
        asked.append(address);
        return true;
    };
    f.chat.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.chat));
    f.chat.addlinetochat(QStringLiteral("Ann chats: look ") + word, Qt::black);
    f.chat.addlinetochat(QStringLiteral("last line"), Qt::black);
    auto *view = f.chat.findChild<QPlainTextEdit *>(QStringLiteral("mainchat"));
    QTextCursor at(view->document());
    const QTextBlock linkLine = view->document()->lastBlock().previous();
    at.setPosition(linkLine.position() + QStringLiteral("Ann chats: look ").size() + 2);
    const QPoint onLink = view->cursorRect(at).center() + QPoint(1, 0);
    const QPoint belowText(onLink.x(), view->viewport()->height() - 3);

    auto moveTo = [view](const QPoint &pos) {
        QMouseEvent move(QEvent::MouseMove, pos, view->viewport()->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &move);
    };
    moveTo(onLink);
    QCOMPARE(view->viewport()->cursor().shape(), Qt::PointingHandCursor);
    moveTo(belowText);
    QCOMPARE(view->viewport()->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, belowText);
    QVERIFY(asked.isEmpty());

    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, onLink);
    QCOMPARE(asked, opened.isEmpty() ? QStringList() : QStringList{opened});
    QVERIFY(word.startsWith(view->textCursor().selectedText()));
    const QString status = f.label(QStringLiteral("label_status"))->text();
    QCOMPARE(status.startsWith(QStringLiteral("Not opened")), opened.isEmpty());
}

void TchatTest::chatKeepsTheNewestLines()
{
    ChatFixture f;
    f.chat.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.chat));
    for (int n = 0; n < 5000; ++n)
        f.chat.addlinetochat(QStringLiteral("line %1").arg(n), Qt::black);
    auto *view = f.chat.findChild<QPlainTextEdit *>(QStringLiteral("mainchat"));
    auto topLine = [view] { return view->cursorForPosition(QPoint(10, 10)).block().text(); };

    // Reading further up with the scroll lock on: the lines in view stay while old ones go.
    view->verticalScrollBar()->setValue(2000);
    const QString reading = topLine();
    f.action(QStringLiteral("ScrollOff1"))->trigger();
    f.chat.addlinetochat(QString(1500, QLatin1Char('x')), Qt::black);
    f.chat.addlinetochat(QStringLiteral("newest"), Qt::black);
    QCOMPARE(topLine(), reading);

    QCOMPARE(view->document()->blockCount(), 5000);
    QCOMPARE(view->document()->firstBlock().text(), QStringLiteral("line 2"));
    QCOMPARE(view->document()->lastBlock().text(), QStringLiteral("newest"));
    QCOMPARE(view->document()->lastBlock().previous().text(), QString(1000, QLatin1Char('x')) + QStringLiteral("..."));
}

QTEST_MAIN(TchatTest)
#include "tst_tchat.moc"
