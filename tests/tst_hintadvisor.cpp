// The hint as the session gives it to the window: the advice for the model's position in words
// and as dice to keep, the cost of a choice, the table prepared off the window's thread, and
// the action line that tells the table. Small tables of two categories keep every build short.

#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "session/hintadvisor.h"
#include "session/hinttables.h"
#include "clientmodelfixture.h"

using rules::HintVariant;

namespace {

constexpr quint16 bit(int category) { return quint16(1u << (category - 1)); }
constexpr quint16 kSixesAndStraight = bit(rules::Sixes) | bit(rules::BigStraight);
constexpr quint16 kFivesAndSixes = bit(rules::Fives) | bit(rules::Sixes);

const QString kSolo = QStringLiteral("CMD_sendlogininfo+1#CMD_newplayerinfo+1+You#CMD_startgame+1+f+false#");
const QString kOwnTurn = QStringLiteral("CMD_nextplayer+1+1+0+0#");

// The roll of all five dice as the host reports it: "6 1 6 2 6" on dice 1..5.
QString roll(const QString &faces, int rolls = 1)
{
    QString message = QStringLiteral("CMD_thedice+1+%1+%2").arg(rolls < 3 ? "y" : "n").arg(rolls);
    const QStringList list = faces.split(QLatin1Char(' '));
    for (int die = 1; die <= list.size(); ++die)
        message += QStringLiteral("+%1+%2").arg(die).arg(list[die - 1]);
    return message + QLatin1Char('#');
}

// The host's report of seat 1's card with one category scored.
QString scored(int category, int points)
{
    QStringList cells;
    for (int cell = 1; cell <= rules::kCellCount; ++cell)
        cells.append(QString::number(cell == category ? points : cell > rules::kCategoryCount ? 0 : 1000));
    return QStringLiteral("CMD_pscore+1+%1+%2+%3#").arg(points).arg(category).arg(cells.join(QLatin1Char('+')));
}

struct HintFixture : ClientModelFixture {
    QTemporaryDir dir;
    HintTables tables;
    HintAdvisor advisor{model, preferences, commands, tables};

    explicit HintFixture(quint16 categories = kSixesAndStraight)
        : tables({HintTables::Source{{HintVariant::Plain, categories}, dir.filePath(QStringLiteral("plain.tbl"))},
                  HintTables::Source{{HintVariant::BonusDice, categories}, dir.filePath(QStringLiteral("bonus.tbl"))}})
    {
    }

    // Messages with '#' after each; "!hints" switches the hints over as the menu does.
    void play(const QString &steps)
    {
        for (const QString &step : steps.split(QLatin1Char('#'), Qt::SkipEmptyParts)) {
            if (step == QLatin1String("!hints"))
                preferences.setShowHints(!preferences.showHints());
            else
                deliver(step);
        }
    }

    // Waits for the table the game needs, then shows the line as it stands.
    bool ready(HintVariant variant)
    {
        return QTest::qWaitFor([&] { return tables.table(variant) != nullptr; }, 60000);
    }

    QString keep() const
    {
        QString marks;
        for (int die = 1; die <= GameModel::kDice; ++die)
            marks += advisor.keep()[std::size_t(die)] ? QLatin1Char('1') : QLatin1Char('0');
        return marks;
    }

    int announcements() const
    {
        return int(std::count_if(sent.begin(), sent.end(), [](const QByteArray &message) {
            return message.startsWith("CMD_action+") && message.contains("+turns on the hints|");
        }));
    }
};

const QString kExpected = QStringLiteral(R"(\(expected final score \d+\.\d\))");

} // namespace

class HintAdvisorTest : public QObject {
    Q_OBJECT

private slots:
    void adviceFollowsTheTurn_data();
    void adviceFollowsTheTurn();
    void heldDiceAreMarkedFirst();
    void choiceCostsAgainstTheBest_data();
    void choiceCostsAgainstTheBest();
    void tableIsPreparedOnce();
    void tableTellsItsProblems();
    void buildStopsWithItsOwner();
    void tableIsToldOncePerGame_data();
    void tableIsToldOncePerGame();
};

void HintAdvisorTest::adviceFollowsTheTurn_data()
{
    QTest::addColumn<quint16>("categories");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("line");   // a pattern
    QTest::addColumn<QString>("keep");

    const quint16 straight = kSixesAndStraight;
    QTest::newRow("turn start") << straight << kSolo + kOwnTurn << "^Hint: roll " + kExpected + "$" << "00000";
    QTest::newRow("sixes kept") << straight << kSolo + kOwnTurn + roll("6 1 6 2 6")
                                << "^Hint: keep 6 6 6 and roll " + kExpected + "$" << "10101";
    QTest::newRow("a hold moves nothing") << straight << kSolo + kOwnTurn + roll("6 1 6 2 6") + "CMD_setdice+3#"
                                          << "^Hint: keep 6 6 6 and roll " + kExpected + "$" << "10101";
    QTest::newRow("a made straight is scored") << straight << kSolo + kOwnTurn + roll("2 3 4 5 6")
                                               << "^Hint: score Big Straight \\(30\\)$" << "00000";
    QTest::newRow("last roll") << straight << kSolo + kOwnTurn + roll("6 6 6 1 2", 3)
                               << "^Hint: score Sixes \\(18\\)$" << "00000";
    QTest::newRow("bonus face doubles the fives") << kFivesAndSixes
                                                  << "CMD_sendlogininfo+1#CMD_startgame+1+t+false#CMD_setbonusdice+5#"
                                                     + kOwnTurn + roll("5 5 5 6 6", 3)
                                                  << "^Hint: score Fives \\(30\\)$" << "00000";
    QTest::newRow("bonus face doubles the sixes") << kFivesAndSixes
                                                  << "CMD_sendlogininfo+1#CMD_startgame+1+t+false#CMD_setbonusdice+6#"
                                                     + kOwnTurn + roll("5 5 5 6 6", 3)
                                                  << "^Hint: score Sixes \\(24\\)$" << "00000";
    QTest::newRow("team game: the plain table") << kFivesAndSixes
                                                << "CMD_sendlogininfo+1#CMD_startgame+1+f+true#" + kOwnTurn
                                                       + roll("5 5 5 6 6", 3)
                                                << "^Hint: score Fives \\(15\\)$" << "00000";
    QTest::newRow("another's turn") << straight << kSolo + "CMD_nextplayer+2+1+0+0#" + "CMD_thedice+2+y+1+1+6+2+6#"
                                    << "^$" << "00000";
    QTest::newRow("just watching") << straight << kSolo + kOwnTurn + roll("6 1 6 2 6") + "CMD_justwatching+1+1#"
                                   << "^$" << "00000";
    QTest::newRow("game over") << straight << kSolo + kOwnTurn + roll("6 1 6 2 6") + "CMD_winner+Klot+x#" << "^$"
                               << "00000";
}

void HintAdvisorTest::adviceFollowsTheTurn()
{
    QFETCH(quint16, categories);
    QFETCH(QString, steps);
    QFETCH(QString, line);
    QFETCH(QString, keep);

    HintFixture f(categories);
    f.play(steps);
    f.sent.clear();
    // Off, it says nothing and prepares nothing.
    QCOMPARE(f.advisor.line(), QString());
    QVERIFY(!f.tables.preparing(HintVariant::Plain) && !f.tables.preparing(HintVariant::BonusDice));

    f.play(QStringLiteral("!hints"));
    QVERIFY(f.ready(HintAdvisor::variantOf(f.model)));
    QVERIFY2(QRegularExpression(line).match(f.advisor.line()).hasMatch(), qPrintable(f.advisor.line()));
    QCOMPARE(f.keep(), keep);
    QVERIFY(f.sent.isEmpty());  // it never acts, and a solo game is told nothing

    f.play(QStringLiteral("!hints"));
    QCOMPARE(f.advisor.line(), QString());
    QCOMPARE(f.keep(), QStringLiteral("00000"));
}

void HintAdvisorTest::heldDiceAreMarkedFirst()
{
    HintFixture f;
    f.play(kSolo + kOwnTurn + roll("3 3 2 3 5") + "CMD_setdice+4#");
    rules::HintChoice keepTwoThrees;
    keepTwoThrees.held = {true, true, false, false, false};
    const auto keep = HintAdvisor::diceToKeep(keepTwoThrees, f.model);
    QCOMPARE(std::vector<bool>(keep.begin() + 1, keep.end()), (std::vector<bool>{true, false, false, true, false}));
}

void HintAdvisorTest::choiceCostsAgainstTheBest_data()
{
    QTest::addColumn<QString>("hand");
    QTest::addColumn<int>("rolls");
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("points");
    QTest::addColumn<QString>("line");   // "best" or the caption of a choice that cost something

    QTest::newRow("the best") << "2 3 4 5 6" << 3 << int(rules::BigStraight) << 30 << "best";
    QTest::newRow("sixes over a straight") << "2 3 4 5 6" << 3 << int(rules::Sixes) << 6 << "Sixes";
    QTest::newRow("scored while a roll was better") << "6 1 6 2 6" << 1 << int(rules::Sixes) << 18 << "Sixes";
}

void HintAdvisorTest::choiceCostsAgainstTheBest()
{
    QFETCH(QString, hand);
    QFETCH(int, rolls);
    QFETCH(int, category);
    QFETCH(int, points);
    QFETCH(QString, line);

    HintFixture f;
    f.play(kSolo + "!hints#" + kOwnTurn + roll(hand, rolls));
    QVERIFY(f.ready(HintVariant::Plain));
    const rules::HintAdvice before = f.advisor.advice();
    QVERIFY(before.valid);
    double chosen = 0.0;
    for (const rules::HintChoice &choice : before.choices) {
        if (choice.kind == rules::HintChoice::Kind::Score && choice.category == category)
            chosen = choice.expectedFinal;
    }

    f.play(scored(category, points));
    const QString caption = QString::fromLatin1(rules::categoryInfo(category).caption);
    if (line == QLatin1String("best")) {
        QCOMPARE(f.advisor.line(), caption + QStringLiteral(": the best choice"));
    } else {
        const QString cost = QString::number(before.best()->expectedFinal - chosen, 'f', 1);
        QVERIFY(cost.toDouble() > 0.0);
        QCOMPARE(f.advisor.line(), QStringLiteral("%1: %2 below the best choice").arg(caption, cost));
    }
    QCOMPARE(f.keep(), QStringLiteral("00000"));
    // It stays through the others' turns and gives way to the advice of the next own turn.
    const QString cost = f.advisor.line();
    f.play(QStringLiteral("CMD_nextplayer+2+1+0+0#CMD_thedice+2+y+1+1+6#"));
    QCOMPARE(f.advisor.line(), cost);
    f.play(QStringLiteral("CMD_nextplayer+1+2+0+0#"));
    QVERIFY2(f.advisor.line().startsWith(QStringLiteral("Hint: roll (")), qPrintable(f.advisor.line()));
}

void HintAdvisorTest::tableIsPreparedOnce()
{
    HintFixture f;
    QSignalSpy progress(&f.tables, &HintTables::progressed);
    f.play(kSolo + kOwnTurn + "!hints#");
    // At once, before the worker has said anything.
    QCOMPARE(f.advisor.line(), QStringLiteral("Hint: loading the table of best moves"));
    QVERIFY(f.ready(HintVariant::Plain));
    QVERIFY(f.advisor.line().startsWith(QStringLiteral("Hint: roll (")));
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last().at(1).toInt(), 100);
    QVERIFY(QFile::exists(f.dir.filePath(QStringLiteral("plain.tbl"))));
    QVERIFY(!f.tables.preparing(HintVariant::BonusDice));

    // The next session reads the file.
    HintTables again({HintTables::Source{{HintVariant::Plain, kSixesAndStraight}, f.dir.filePath(QStringLiteral("plain.tbl"))},
                      HintTables::Source{{HintVariant::BonusDice, kSixesAndStraight}, QString()}});
    QSignalSpy problems(&again, &HintTables::problem);
    again.request(HintVariant::Plain);
    QTRY_VERIFY(again.table(HintVariant::Plain));
    QVERIFY(problems.isEmpty());
    QCOMPARE(again.table(HintVariant::Plain)->values(), f.tables.table(HintVariant::Plain)->values());
}

void HintAdvisorTest::tableTellsItsProblems()
{
    HintFixture f;
    QFile damaged(f.dir.filePath(QStringLiteral("plain.tbl")));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a table");
    damaged.close();
    QSignalSpy problems(&f.advisor, &HintAdvisor::problem);
    f.play(kSolo + kOwnTurn + "!hints#");
    QVERIFY(f.ready(HintVariant::Plain));
    QCOMPARE(problems.size(), 1);
    QVERIFY(problems.first().first().toString().contains(QStringLiteral("it is computed again")));
    QVERIFY(f.advisor.line().startsWith(QStringLiteral("Hint: roll (")));
}

void HintAdvisorTest::buildStopsWithItsOwner()
{
    // The whole game's table takes a while to build; its owner going stops it.
    QTemporaryDir dir;
    {
        HintTables tables({HintTables::Source{{HintVariant::Plain}, dir.filePath(QStringLiteral("plain.tbl"))},
                           HintTables::Source{{HintVariant::BonusDice}, dir.filePath(QStringLiteral("bonus.tbl"))}});
        tables.request(HintVariant::Plain);
        QVERIFY(tables.preparing(HintVariant::Plain));
    }
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("plain.tbl"))));
}

void HintAdvisorTest::tableIsToldOncePerGame_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("told");

    const QString login = QStringLiteral("CMD_sendlogininfo+1#CMD_newplayerinfo+1+Ann#");
    const QString start = QStringLiteral("CMD_startgame+1+f+false#");
    QTest::newRow("solo") << login + start + "!hints#" << 0;
    QTest::newRow("a player at seat 3") << login + "CMD_newplayerinfo+3+Bob#" + start + "!hints#" << 1;
    QTest::newRow("a spectator") << login + "CMD_newplayerinfo+5+Cy#" + start + "!hints#" << 1;
    QTest::newRow("off and on again") << login + "CMD_newplayerinfo+3+Bob#" + start + "!hints#!hints#!hints#" << 1;
    QTest::newRow("on before the game") << login + "CMD_newplayerinfo+3+Bob#!hints#" + start << 1;
    QTest::newRow("on between games") << login + "CMD_newplayerinfo+3+Bob#" + start + "CMD_winner+Bob+x#!hints#" << 0;
    QTest::newRow("every game") << login + "CMD_newplayerinfo+3+Bob#" + start + "!hints#" + start << 2;
    QTest::newRow("someone joins a solo game") << login + start + "!hints#CMD_newplayerinfo+6+Cy#" << 1;
    QTest::newRow("the other has left") << login + "CMD_newplayerinfo+3+Bob#CMD_playerdisconnected+3+Bob#" + start
                                               + "!hints#"
                                        << 0;
    QTest::newRow("the own copy watches") << "CMD_sendlogininfo+5#CMD_newplayerinfo+1+Ann#CMD_newplayerinfo+5+Me#"
                                                 + start + "!hints#"
                                          << 0;
    QTest::newRow("joined during a game") << "CMD_sendlogininfo+3#CMD_newplayerinfo+1+Ann#CMD_newplayerinfo+3+Me#"
                                                 "CMD_nextplayer+1+4+0+2#!hints#"
                                          << 1;
}

void HintAdvisorTest::tableIsToldOncePerGame()
{
    QFETCH(QString, steps);
    QFETCH(int, told);

    HintFixture f;
    f.play(steps);
    QCOMPARE(f.announcements(), told);
    if (told > 0)
        QVERIFY(f.sent.contains(QByteArray("CMD_action+") + QByteArray::number(f.model.myseat())
                                + "+turns on the hints|clBlack"));
}

QTEST_GUILESS_MAIN(HintAdvisorTest)
#include "tst_hintadvisor.moc"
