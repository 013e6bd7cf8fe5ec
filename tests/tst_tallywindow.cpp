#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "tally/lzrw1.h"
#include "tally/tallyfile.h"
#include "windows/tallylist.h"

#include "listitems.h"

#include <memory>

class TallyWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void firstRun();
    void tallyingPlayersOfTheCurrentGame();
    void gamesShowInBothPanels();
    void declinedDeleteKeepsTheTally();
    void deletingKeepsListAndTableAligned();
    void restartKeepsTotalsAndStartsANewSession();
    void unreadableFileIsReportedOnce();
    void okHides();
    void contentsWaitForTheFirstShow();
    void copiesInOneDirectoryShowEachOthersChanges();

private:
    QLabel *label(const QString &name) const { return window_->findChild<QLabel *>(name); }
    QListWidget *list(const QString &name) const { return window_->findChild<QListWidget *>(name); }
    QString text(const QString &name) const { return label(name)->text(); }
    QStringList hisPanel() const
    {
        QStringList texts{text(QStringLiteral("label_hisnametop")), text(QStringLiteral("label_hisname"))};
        for (int i = 1; i <= 8; ++i)
            texts.append(text(QStringLiteral("label_%1").arg(i)));
        return texts;
    }
    // Creates the window as start-up does, and shows it unless told not to.
    void open(bool show = true)
    {
        window_ = std::make_unique<Ttallylist>();
        window_->setConfirmation([this](const QString &question) {
            questions_.append(question);
            return answer_;
        });
        if (show)
            window_->show();
    }
    // A finished game at the table of seats_, as seat 1; a null winner is the local player.
    GameResult finishedGame(const QString &winner) const
    {
        GameResult result;
        result.winner = winner.isNull() ? GameResult::Winner::Me : GameResult::Winner::Others;
        result.winnerText = winner;
        result.opponents = TallyTable::opponentsAtTable(seats_, 1);
        return result;
    }
    void check(QListWidget *list, int index, Qt::CheckState state)
    {
        list->item(index)->setCheckState(state);
        QCoreApplication::processEvents();
    }
    void tally(const QStringList &names)
    {
        window_->setCurrentPlayers(names);
        for (int i = 0; i < names.size(); ++i)
            check(window_->checklist(), i, Qt::Checked);
    }

    std::unique_ptr<Ttallylist> window_;
    QStringList seats_;
    QStringList questions_;
    bool answer_ = false;
};

void TallyWindowTest::init()
{
    window_.reset();
    QFile::remove(TallyFile::defaultPath());
    QFile::remove(TallyFile::defaultPath() + QStringLiteral(".bad"));
    seats_ = {QStringLiteral("You"), QStringLiteral("Klot"), QStringLiteral("<Waiting>"), QStringLiteral("Ann")};
    questions_.clear();
    answer_ = false;
    open();
}

void TallyWindowTest::firstRun()
{
    QCOMPARE(window_->windowTitle(), QStringLiteral("Morvello - Tally List"));
    QCOMPARE(window_->path(), TallyFile::defaultPath());
    for (const char *name : {"mylabel_1", "mylabel_2", "mylabel_3"})
        QCOMPARE(text(QLatin1String(name)), QStringLiteral("0"));
    QCOMPARE(list(QStringLiteral("listbox_tally"))->count(), 0);
    QCOMPARE(text(QStringLiteral("label_hisname")), QStringLiteral("XX Wins:"));
    QVERIFY(window_->problem().isEmpty());

    window_->addgame(finishedGame(QStringLiteral("Klot")));
    QCOMPARE(text(QStringLiteral("mylabel_1")), QStringLiteral("1"));
    QCOMPARE(text(QStringLiteral("mylabel_2")), QStringLiteral("0"));
    QCOMPARE(items(window_->checklist()), (QStringList{QStringLiteral("Klot"), QStringLiteral("Ann")}));
    window_->addgame(finishedGame(QString()));
    window_->addtomine(3);
    QCOMPARE(text(QStringLiteral("mylabel_1")), QStringLiteral("2"));
    QCOMPARE(text(QStringLiteral("mylabel_2")), QStringLiteral("1"));
    QCOMPARE(text(QStringLiteral("mylabel_3")), QStringLiteral("1"));

    // Every game is on disk at once, not only when the window goes.
    Tlzrw1 doit;
    const TallyFile::Loaded saved = TallyFile::load(doit, TallyFile::defaultPath());
    QVERIFY(saved.found);
    QCOMPARE(saved.table.cell(1, 0), QStringLiteral("2"));
    QCOMPARE(saved.table.cell(3, 0), QStringLiteral("1"));
}

void TallyWindowTest::tallyingPlayersOfTheCurrentGame()
{
    QListWidget *tallied = list(QStringLiteral("listbox_tally"));
    window_->setCurrentPlayers({QStringLiteral("Klot"), QStringLiteral("Ann")});
    QCOMPARE(items(window_->checklist()), (QStringList{QStringLiteral("Klot"), QStringLiteral("Ann")}));

    check(window_->checklist(), 0, Qt::Checked);
    QCOMPARE(items(tallied), QStringList{QStringLiteral("Klot [x]")});
    QCOMPARE(window_->table().rowCount(), 2);
    Tlzrw1 doit;
    QCOMPARE(TallyFile::load(doit, window_->path()).table.find(QStringLiteral("Klot")), 1);

    // Another spelling of the same name is the same player.
    window_->setCurrentPlayers({QStringLiteral("KLOT"), QStringLiteral("Ann")});
    QCOMPARE(items(window_->checklist()), (QStringList{QStringLiteral("KLOT [x]"), QStringLiteral("Ann")}));
    check(window_->checklist(), 0, Qt::Unchecked);
    check(window_->checklist(), 0, Qt::Checked);
    QCOMPARE(items(tallied), QStringList{QStringLiteral("Klot [x]")});

    // Taking the mark off neither ends a tally nor starts one.
    check(window_->checklist(), 0, Qt::Unchecked);
    QCOMPARE(items(tallied), QStringList{QStringLiteral("Klot [x]")});
    QVERIFY(questions_.isEmpty());
    check(window_->checklist(), 1, Qt::Checked);
    QCOMPARE(items(tallied), (QStringList{QStringLiteral("Klot [x]"), QStringLiteral("Ann [x]")}));
}

void TallyWindowTest::gamesShowInBothPanels()
{
    tally({QStringLiteral("Klot"), QStringLiteral("Ann"), QStringLiteral("Gone")});
    QListWidget *tallied = list(QStringLiteral("listbox_tally"));
    tallied->setCurrentRow(0);
    QCOMPARE(hisPanel(), (QStringList{"Klot's Tally", "Klot Wins:", "0", "0", "0", "0", "0", "0", "0", "0"}));

    window_->addgame(finishedGame(QStringLiteral("Klot")));
    QCOMPARE(hisPanel(), (QStringList{"Klot's Tally", "Klot Wins:", "1", "1", "0", "0", "1", "1", "0", "0"}));
    window_->addgame(finishedGame(QString()));
    window_->addgame(finishedGame(QStringLiteral("Klot and Ann")));
    QCOMPARE(hisPanel(), (QStringList{"Klot's Tally", "Klot Wins:", "3", "1", "1", "1", "3", "1", "1", "1"}));
    QCOMPARE(text(QStringLiteral("mylabel_1")), QStringLiteral("3"));
    QCOMPARE(text(QStringLiteral("mylabel_2")), QStringLiteral("1"));

    tallied->setCurrentRow(1);
    QCOMPARE(hisPanel(), (QStringList{"Ann's Tally", "Ann Wins:", "3", "0", "1", "2", "3", "0", "1", "2"}));
    // "Gone" was not at the table.
    tallied->setCurrentRow(2);
    QCOMPARE(hisPanel(), (QStringList{"Gone's Tally", "Gone Wins:", "0", "0", "0", "0", "0", "0", "0", "0"}));
}

void TallyWindowTest::declinedDeleteKeepsTheTally()
{
    tally({QStringLiteral("Klot")});
    QListWidget *tallied = list(QStringLiteral("listbox_tally"));
    check(tallied, 0, Qt::Unchecked);
    QCOMPARE(questions_, QStringList{QStringLiteral("This will delete Klot's Tally, Are you want to delete it?")});
    QCOMPARE(items(tallied), QStringList{QStringLiteral("Klot [x]")});
    QCOMPARE(window_->table().rowCount(), 2);
    // Checking an item asks nothing.
    check(tallied, 0, Qt::Checked);
    QCOMPARE(questions_.size(), 1);
}

void TallyWindowTest::deletingKeepsListAndTableAligned()
{
    seats_ = {QStringLiteral("You"), QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
    tally({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    window_->addgame(finishedGame(QStringLiteral("C")));
    QListWidget *tallied = list(QStringLiteral("listbox_tally"));
    answer_ = true;

    check(tallied, 1, Qt::Unchecked);
    QCOMPARE(items(tallied), (QStringList{QStringLiteral("A [x]"), QStringLiteral("C [x]")}));
    QCOMPARE(window_->table().rowCount(), 3);
    QCOMPARE(items(window_->checklist()), (QStringList{"A [x]", "B", "C [x]"}));
    tallied->setCurrentRow(1);
    QCOMPARE(hisPanel(), (QStringList{"C's Tally", "C Wins:", "1", "1", "0", "0", "1", "1", "0", "0"}));

    check(tallied, 0, Qt::Unchecked);
    check(tallied, 0, Qt::Unchecked);
    QCOMPARE(tallied->count(), 0);
    QCOMPARE(window_->table().rowCount(), 1);
    QCOMPARE(hisPanel().first(), QStringLiteral("XX's Tally"));
    window_.reset();
    Tlzrw1 doit;
    QCOMPARE(TallyFile::load(doit, TallyFile::defaultPath()).table.rowCount(), 1);
}

void TallyWindowTest::restartKeepsTotalsAndStartsANewSession()
{
    tally({QStringLiteral("Klot"), QStringLiteral("Ann")});
    window_->addgame(finishedGame(QStringLiteral("Ann")));
    window_->addgame(finishedGame(QString()));
    window_->addtomine(3);
    open();
    QCOMPARE(items(list(QStringLiteral("listbox_tally"))), (QStringList{"Klot [x]", "Ann [x]"}));
    QCOMPARE(text(QStringLiteral("mylabel_1")), QStringLiteral("2"));
    QCOMPARE(text(QStringLiteral("mylabel_2")), QStringLiteral("1"));
    QCOMPARE(text(QStringLiteral("mylabel_3")), QStringLiteral("1"));
    list(QStringLiteral("listbox_tally"))->setCurrentRow(1);
    QCOMPARE(hisPanel(), (QStringList{"Ann's Tally", "Ann Wins:", "2", "1", "1", "0", "0", "0", "0", "0"}));
    window_->addgame(finishedGame(QStringLiteral("Klot")));
    QCOMPARE(hisPanel(), (QStringList{"Ann's Tally", "Ann Wins:", "3", "1", "1", "1", "1", "0", "0", "1"}));
}

void TallyWindowTest::unreadableFileIsReportedOnce()
{
    window_.reset();
    const QString path = TallyFile::defaultPath();
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("PK\x03\x04 not a tally");
    file.close();

    open();
    QLabel *message = label(QStringLiteral("label_message"));
    QVERIFY(!message->isHidden());
    QVERIFY2(message->text().contains(path + QStringLiteral(" : Lzrw1 decompression : this file has no valid header !")),
             qPrintable(message->text()));
    QCOMPARE(window_->problem(), message->text());
    QVERIFY(QFile::exists(path + QStringLiteral(".bad")));
    QCOMPARE(text(QStringLiteral("mylabel_1")), QStringLiteral("0"));

    window_->addgame(finishedGame(QStringLiteral("Klot")));
    window_.reset();
    QFile kept(path + QStringLiteral(".bad"));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("PK\x03\x04 not a tally"));
    open();
    QVERIFY(window_->problem().isEmpty());
    QVERIFY(label(QStringLiteral("label_message"))->isHidden());
    QCOMPARE(text(QStringLiteral("mylabel_1")), QStringLiteral("1"));
}

void TallyWindowTest::okHides()
{
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    window_->findChild<QPushButton *>(QStringLiteral("FlatButton1"))->click();
    QVERIFY(window_->isHidden());
    window_->show();
    QCOMPARE(text(QStringLiteral("mylabel_1")), QStringLiteral("0"));
}

void TallyWindowTest::contentsWaitForTheFirstShow()
{
    // The first run after a damaged file, with one game of the local player's counted before
    // the window was ever opened.
    window_.reset();
    QFile file(TallyFile::defaultPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a tally");
    file.close();
    open(false);
    QVERIFY(!list(QStringLiteral("listbox_tally")));
    QVERIFY(!window_->problem().isEmpty());
    window_->addtomine(1);
    QVERIFY(!label(QStringLiteral("mylabel_1")));

    window_->show();
    QCOMPARE(text(QStringLiteral("mylabel_1")), QStringLiteral("1"));
    QCOMPARE(text(QStringLiteral("label_message")), window_->problem());
    QVERIFY(!label(QStringLiteral("label_message"))->isHidden());

    // A game recorded first builds them too, with the tallied players of an earlier run.
    tally({QStringLiteral("Klot")});
    open(false);
    window_->addgame(finishedGame(QStringLiteral("Klot")));
    QCOMPARE(items(list(QStringLiteral("listbox_tally"))), QStringList{QStringLiteral("Klot [x]")});
    QCOMPARE(items(window_->checklist()), (QStringList{QStringLiteral("Klot [x]"), QStringLiteral("Ann")}));
    QCOMPARE(text(QStringLiteral("mylabel_1")), QStringLiteral("2"));
}

void TallyWindowTest::copiesInOneDirectoryShowEachOthersChanges()
{
    // A second copy starts in the same data directory before the first has saved anything;
    // window_ is the copy acted on.
    std::unique_ptr<Ttallylist> other = std::move(window_);
    open();
    std::swap(window_, other);
    tally({QStringLiteral("Klot"), QStringLiteral("Ann")});
    window_->addgame(finishedGame(QStringLiteral("Klot")));

    std::swap(window_, other);
    window_->addgame(finishedGame(QString()));
    // Its own game counted against no one it tallied; the other copy's opponents and game show.
    QCOMPARE(text(QStringLiteral("mylabel_1")), QStringLiteral("2"));
    QCOMPARE(text(QStringLiteral("mylabel_2")), QStringLiteral("1"));
    QListWidget *tallied = list(QStringLiteral("listbox_tally"));
    QCOMPARE(items(tallied), (QStringList{"Klot [x]", "Ann [x]"}));
    QCOMPARE(items(window_->checklist()), (QStringList{"Klot [x]", "Ann [x]"}));
    tallied->setCurrentRow(0);
    QCOMPARE(hisPanel(), (QStringList{"Klot's Tally", "Klot Wins:", "1", "1", "0", "0", "0", "0", "0", "0"}));

    std::swap(window_, other);
    answer_ = true;
    check(list(QStringLiteral("listbox_tally")), 1, Qt::Unchecked);
    // Ann has left the table, so this copy's next game does not bring her back.
    std::swap(window_, other);
    seats_[3] = QStringLiteral("<Waiting>");
    window_->addgame(finishedGame(QStringLiteral("Klot")));
    QCOMPARE(items(tallied), QStringList{"Klot [x]"});
    QCOMPARE(items(window_->checklist()), QStringList{"Klot [x]"});
    QCOMPARE(hisPanel(), (QStringList{"Klot's Tally", "Klot Wins:", "2", "2", "0", "0", "1", "1", "0", "0"}));
    QCOMPARE(text(QStringLiteral("mylabel_1")), QStringLiteral("3"));
}

QTEST_MAIN(TallyWindowTest)
#include "tst_tallywindow.moc"
