#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QPlainTextEdit>

#include "chatfixture.h"
#include "protocol/message.h"
#include "tally/tallyfile.h"
#include "windows/tallylist.h"

#include "listitems.h"

namespace {

// The main window and its tally window, created in start-up order.
struct TallyFixture : ChatFixture {
    Ttallylist tally;

    explicit TallyFixture(const QString &tallyPath = QString())
        : tally(nullptr, tallyPath)
    {
        TchatWindows windows;
        windows.tally = &tally;
        windows.spylist = &spylist;
        chat.setWindows(windows);
    }

    // Seats players the way the host announces them; an empty name leaves the seat waiting.
    void seat(int myseat, const QStringList &names)
    {
        deliver(QStringLiteral("CMD_sendlogininfo+%1").arg(myseat));
        for (int seat = 1; seat <= names.size(); ++seat) {
            if (!names[seat - 1].isEmpty())
                deliver(QStringLiteral("CMD_newplayerinfo+%1+%2").arg(seat).arg(names[seat - 1]));
        }
    }
    // The host's report of a seat's card after it scored a category; an empty cell is 1000.
    void score(int seat, int category, const QString &cell)
    {
        QStringList cells(16, QStringLiteral("1000"));
        cells[category - 1] = cell.isEmpty() ? QStringLiteral("1000") : cell;
        deliver(QStringLiteral("CMD_pscore+%1+0+%2+%3").arg(seat).arg(category).arg(cells.join(QLatin1Char('+'))));
    }
    // Tallies names as the user does, by checking them in "Players In Current Game".
    void tallyNames(const QStringList &names)
    {
        tally.setCurrentPlayers(names);
        for (int i = 0; i < names.size(); ++i)
            tally.checklist()->item(i)->setCheckState(Qt::Checked);
    }

    // A tallied opponent's counters in the Total columns, then the Session columns.
    QStringList row(const QString &name)
    {
        const int row = tally.table().find(name);
        QStringList counters;
        for (int column = 1; column < TallyTable::kColumns; ++column)
            counters.append(tally.table().cell(column, row));
        return counters;
    }
    QStringList ownTotals()
    {
        return {tally.table().cell(TallyTable::kGames, 0), tally.table().cell(TallyTable::kWins, 0),
                tally.table().cell(TallyTable::kFiveKind, 0)};
    }

};

const QStringList kTable{QStringLiteral("You"), QStringLiteral("Klot"), QString(), QStringLiteral("Ann")};

} // namespace

class TchatTallyTest : public QObject {
    Q_OBJECT

private slots:
    void init();

    void checklistHoldsTheOtherSeatedPlayers_data();
    void checklistHoldsTheOtherSeatedPlayers();
    void viewTallyShowsTheWindowWithTheSeatsOfTheMoment();
    void finishedGames_data();
    void finishedGames();
    void aGameCountsThePlayersSeatedWhenItEnds();
    void ownFivesOfAKind_data();
    void ownFivesOfAKind();
    void unreadableTallyIsToldOnceInTheChat();
    void failedSavingIsToldOnceInTheChat();
};

void TchatTallyTest::init()
{
    QFile::remove(TallyFile::defaultPath());
    QFile::remove(TallyFile::defaultPath() + QStringLiteral(".bad"));
}

void TchatTallyTest::checklistHoldsTheOtherSeatedPlayers_data()
{
    QTest::addColumn<int>("myseat");
    QTest::addColumn<QStringList>("seats");
    QTest::addColumn<QStringList>("tallied");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("own and waiting seats left out") << 1 << kTable << QStringList() << QStringList{"Klot", "Ann"};
    QTest::newRow("tallied names checked whatever their case")
        << 1 << QStringList{"You", "KLOT", "Bob", "ann"} << QStringList{"Klot", "Ann"}
        << QStringList{"KLOT [x]", "Bob", "ann [x]"};
    QTest::newRow("own seat in the middle") << 3 << QStringList{"A", "", "Me", "D"} << QStringList{"D"}
                                            << QStringList{"A", "D [x]"};
    QTest::newRow("a spectator sees all four seats")
        << 6 << QStringList{"A", "B", "C", "D"} << QStringList{"C"} << QStringList{"A", "B", "C [x]", "D"};
    QTest::newRow("alone at the table") << 2 << QStringList{"", "Me", "", ""} << QStringList{"Me"} << QStringList();
}

void TchatTallyTest::checklistHoldsTheOtherSeatedPlayers()
{
    QFETCH(int, myseat);
    QFETCH(QStringList, seats);
    QFETCH(QStringList, tallied);
    QFETCH(QStringList, expected);

    TallyFixture f;
    f.tallyNames(tallied);
    f.tally.setCurrentPlayers({QStringLiteral("Left over")});
    f.seat(myseat, seats);
    f.chat.loadchecklist();
    QCOMPARE(items(f.tally.checklist()), expected);
}

void TchatTallyTest::viewTallyShowsTheWindowWithTheSeatsOfTheMoment()
{
    TallyFixture f;
    f.tallyNames({QStringLiteral("Klot")});
    f.tally.setCurrentPlayers({});
    f.seat(1, kTable);
    QVERIFY(!f.tally.isVisible());

    QAction *view = f.chat.findChild<QAction *>(QStringLiteral("ViewTally1"));
    view->trigger();
    QVERIFY(f.tally.isVisible());
    QVERIFY(!f.tally.isModal());
    QCOMPARE(items(f.tally.checklist()), (QStringList{"Klot [x]", "Ann"}));

    // Ann leaves and the computer takes her seat; the next look shows who sits there now.
    f.tally.findChild<QPushButton *>(QStringLiteral("FlatButton1"))->click();
    QVERIFY(!f.tally.isVisible());
    f.deliver(QStringLiteral("CMD_playerdisconnected+4+Ann"));
    view->trigger();
    QVERIFY(f.tally.isVisible());
    QCOMPARE(items(f.tally.checklist()), (QStringList{"Klot [x]", "Klick"}));
}

void TchatTallyTest::finishedGames_data()
{
    QTest::addColumn<QString>("winner");
    QTest::addColumn<QStringList>("own");   // games, wins, fives of a kind
    QTest::addColumn<QStringList>("klot");  // games, his wins, own wins, neither won; the session the same
    QTest::addColumn<QStringList>("ann");

    const QStringList ownWin{"1", "0", "1", "0", "1", "0", "1", "0"};
    const QStringList hisWin{"1", "1", "0", "0", "1", "1", "0", "0"};
    const QStringList neither{"1", "0", "0", "1", "1", "0", "0", "1"};
    QTest::newRow("the user won") << "You" << QStringList{"1", "1", "0"} << ownWin << ownWin;
    QTest::newRow("a tallied opponent won") << "Klot" << QStringList{"1", "0", "0"} << hisWin << neither;
    QTest::newRow("the user shared the win") << "You and Klot" << QStringList{"1", "0", "0"} << neither << neither;
    QTest::newRow("two opponents shared the win") << "Ann and Klot" << QStringList{"1", "0", "0"} << neither
                                                  << neither;
    QTest::newRow("another player named like the user") << "you" << QStringList{"1", "0", "0"} << neither
                                                         << neither;
}

void TchatTallyTest::finishedGames()
{
    QFETCH(QString, winner);
    QFETCH(QStringList, own);
    QFETCH(QStringList, klot);
    QFETCH(QStringList, ann);

    TallyFixture f;
    f.tallyNames({QStringLiteral("Klot"), QStringLiteral("Ann"), QStringLiteral("Gone")});
    f.seat(1, kTable);
    f.deliver(QStringLiteral("CMD_winner+%1+0+").arg(winner));

    QCOMPARE(f.ownTotals(), own);
    QCOMPARE(f.tally.findChild<QLabel *>(QStringLiteral("mylabel_2"))->text(), own[1]);
    QCOMPARE(f.row(QStringLiteral("Klot")), klot);
    QCOMPARE(f.row(QStringLiteral("Ann")), ann);
    QCOMPARE(f.row(QStringLiteral("Gone")), QStringList(8, QStringLiteral("0")));
}

void TchatTallyTest::aGameCountsThePlayersSeatedWhenItEnds()
{
    TallyFixture f;
    f.seat(1, kTable);
    f.chat.loadchecklist();
    f.tallyNames({QStringLiteral("Klot"), QStringLiteral("Ann")});
    f.deliver(QStringLiteral("CMD_playerdisconnected+4+Ann"));

    f.deliver(QStringLiteral("CMD_winner+%1+0+").arg(QStringLiteral("You")));
    QCOMPARE(items(f.tally.checklist()), (QStringList{"Klot [x]", "Klick"}));
    QCOMPARE(f.row(QStringLiteral("Klot")).first(), QStringLiteral("1"));
    QCOMPARE(f.row(QStringLiteral("Ann")).first(), QStringLiteral("0"));
}

void TchatTallyTest::ownFivesOfAKind_data()
{
    QTest::addColumn<int>("seat");
    QTest::addColumn<int>("category");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("counted");

    QTest::newRow("own five of a kind") << 2 << 11 << "50" << "1";
    QTest::newRow("own zero in 5 of a Kind") << 2 << 11 << "0" << "0";
    QTest::newRow("another seat's five of a kind") << 3 << 11 << "50" << "0";
    QTest::newRow("own score in another category") << 2 << 7 << "25" << "0";
    QTest::newRow("own cell left empty") << 2 << 11 << "" << "0";
}

void TchatTallyTest::ownFivesOfAKind()
{
    QFETCH(int, seat);
    QFETCH(int, category);
    QFETCH(QString, cell);
    QFETCH(QString, counted);

    TallyFixture f;
    f.deliver(QStringLiteral("CMD_sendlogininfo+2"));
    f.score(seat, category, cell);
    QCOMPARE(f.ownTotals(), (QStringList{"0", "0", counted}));
    // The window builds its widgets when it is first shown.
    f.tally.show();
    QCOMPARE(f.tally.findChild<QLabel *>(QStringLiteral("mylabel_3"))->text(), counted);
}

void TchatTallyTest::unreadableTallyIsToldOnceInTheChat()
{
    QFile file(TallyFile::defaultPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a tally at all");
    file.close();

    TallyFixture f;
    const QString told = QStringLiteral("The tally file could not be read");
    // The file is read once the game is connected: the start-up does not wait for it.
    QVERIFY(f.linesWith(told).isEmpty());
    f.seat(1, kTable);
    QTRY_COMPARE(f.linesWith(told), QList<QColor>{Tchat::kBlue});
    // The damaged file went aside, so the new tally is saved without complaint.
    f.deliver(QStringLiteral("CMD_winner+%1+0+").arg(QStringLiteral("Klot")));
    f.deliver(QStringLiteral("CMD_winner+%1+0+").arg(QStringLiteral("You")));
    QCOMPARE(f.linesWith(told).size(), 1);
}

void TchatTallyTest::failedSavingIsToldOnceInTheChat()
{
    const QString path = QDir(qEnvironmentVariable("MORVELLO_DIR")).filePath(QStringLiteral("missing/tally.tld"));
    TallyFixture f(path);
    QVERIFY(f.tally.problem().isEmpty());
    f.seat(1, kTable);

    f.deliver(QStringLiteral("CMD_winner+%1+0+").arg(QStringLiteral("Klot")));
    const QList<QColor> told = f.linesWith(path);
    QCOMPARE(told, QList<QColor>{Tchat::kBlue});
    f.deliver(QStringLiteral("CMD_winner+%1+0+").arg(QStringLiteral("You")));
    f.score(1, 11, QStringLiteral("50"));
    QCOMPARE(f.linesWith(path).size(), 1);
    // The games still count for this run.
    QCOMPARE(f.ownTotals(), (QStringList{"2", "1", "1"}));
}

QTEST_MAIN(TchatTallyTest)
#include "tst_tchattally.moc"
