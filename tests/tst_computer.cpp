#include <QTest>

#include "enginefixture.h"
#include "gamereferee.h"

class ComputerTest : public QObject {
    Q_OBJECT

private slots:
    void turnDecisions_data();
    void turnDecisions();
    void choiceHelpers();
    void personWithAllDiceHeldIsPlayedForAfterThirdRoll();
    void awaySeatWithUsedChoiceStillScores();
    void completeGames();
};

namespace {

// One computer turn of seat 2 as the other seats see it, e.g. "roll 12345; hold 1; score 9=25".
QByteArray describe(const QList<QByteArray> &texts)
{
    using wire::Word;
    QList<QByteArray> steps;
    for (const QByteArray &t : texts) {
        const std::optional<wire::Entry> entry = wire::readEntry(t);
        if (!entry) {
            steps << t;
            continue;
        }
        if (entry->word == Word::thedice) {
            const auto roll = wire::Roll::decode(entry->data);
            QByteArray positions;
            for (int i = 0; roll && i < roll->count; ++i)
                positions += QByteArray::number(roll->dice[std::size_t(i)].die);
            steps << "roll " + positions;
        } else if (entry->word == Word::setdice || entry->word == Word::unsetdice) {
            const auto moved = wire::DieMoved::decode(entry->data, entry->word == Word::setdice);
            steps << (moved->held ? "hold " : "release ") + QByteArray::number(moved->die);
        } else if (entry->word == Word::pscore) {
            const auto card = wire::Card::decode(entry->data);
            steps << "score " + QByteArray::number(card->category) + '='
                         + QByteArray::number(card->cells[std::size_t(card->category)]);
        } else if (entry->word == Word::nextplayer) {
            break;
        } else {
            steps << t;
        }
    }
    return steps.join("; ");
}

} // namespace

void ComputerTest::turnDecisions_data()
{
    QTest::addColumn<QList<int>>("used");
    QTest::addColumn<QList<QList<int>>>("rolls"); // faces of the dice each roll throws
    QTest::addColumn<QByteArray>("turn");

    using R = QList<QList<int>>;
    QTest::newRow("small straight taken at once") << QList<int>{} << R{{2, 3, 4, 5, 5}}
                                                  << QByteArray("roll 12345; score 9=25");
    QTest::newRow("big straight taken at once") << QList<int>{} << R{{1, 2, 3, 4, 5}}
                                                << QByteArray("roll 12345; score 10=30");
    QTest::newRow("sixes held, fourth six makes 4 of a kind")
        << QList<int>{} << R{{6, 6, 6, 2, 3}, {6, 1}}
        << QByteArray("roll 12345; hold 1; hold 2; hold 3; roll 45; score 7=25");
    QTest::newRow("sixes held, 4 of a kind used")
        << QList<int>{7} << R{{6, 6, 6, 2, 3}, {6, 1}, {2}}
        << QByteArray("roll 12345; hold 1; hold 2; hold 3; roll 45; hold 4; roll 5; score 6=24");
    QTest::newRow("big straight used, small taken") << QList<int>{10} << R{{2, 3, 4, 5, 1}}
                                                    << QByteArray("roll 12345; score 9=25");
    QTest::newRow("straight target made") << QList<int>{9} << R{{2, 3, 4, 5, 5}, {6}}
                                          << QByteArray("roll 12345; hold 1; hold 2; hold 3; hold 4; roll 5; score 10=30");
    QTest::newRow("straight target missed scores 0")
        << QList<int>{9} << R{{2, 3, 4, 5, 5}, {5}, {5}}
        << QByteArray("roll 12345; hold 1; hold 2; hold 3; hold 4; roll 5; roll 5; score 10=0");
    QTest::newRow("straight target keeps one of each face")
        << QList<int>{9} << R{{5, 3, 5, 2, 4}, {5}, {3}}
        << QByteArray("roll 12345; hold 1; hold 2; hold 4; hold 5; roll 3; roll 3; score 10=0");
    QTest::newRow("fives before twos") << QList<int>{} << R{{5, 5, 2, 2, 1}, {3, 3, 6}, {2, 6, 6}}
                                       << QByteArray("roll 12345; hold 1; hold 2; roll 345; roll 345; score 5=10");
    QTest::newRow("higher pair's row used") << QList<int>{4} << R{{4, 4, 2, 2, 1}, {5, 6, 3}, {1, 1, 6}}
                                            << QByteArray("roll 12345; hold 3; hold 4; roll 125; roll 125; score 2=4");
    QTest::newRow("three of a kind before a higher pair")
        << QList<int>{8} << R{{3, 3, 3, 5, 5}, {1, 2}, {6, 6}}
        << QByteArray("roll 12345; hold 1; hold 2; hold 3; roll 45; roll 45; score 3=9");
    QTest::newRow("no target, then one after the second roll")
        << QList<int>{6} << R{{1, 3, 4, 6, 6}, {2, 2, 5, 1, 3}, {4, 4, 6}}
        << QByteArray("roll 12345; roll 12345; hold 1; hold 2; roll 345; score 2=4");
    QTest::newRow("no target at all: Freebie")
        << QList<int>{1, 2, 3, 4, 5, 6, 9, 10} << R{{1, 2, 4, 6, 6}, {1, 3, 3, 5, 6}, {2, 2, 4, 6, 1}}
        << QByteArray("roll 12345; roll 12345; roll 12345; score 12=15");
    QTest::newRow("no target, Freebie used: 5 of a Kind takes 0")
        << QList<int>{1, 2, 3, 4, 5, 6, 9, 10, 12} << R{{1, 2, 4, 6, 6}, {1, 3, 3, 5, 6}, {2, 2, 4, 6, 1}}
        << QByteArray("roll 12345; roll 12345; roll 12345; score 11=0");
    QTest::newRow("five equal: 5 of a Kind") << QList<int>{} << R{{4, 4, 4, 4, 4}}
                                             << QByteArray("roll 12345; score 11=50");
    QTest::newRow("five equal, 5 of a Kind used") << QList<int>{11} << R{{4, 4, 4, 4, 4}}
                                                  << QByteArray("roll 12345; score 7=20");
    QTest::newRow("five equal, both kinds used") << QList<int>{7, 11} << R{{4, 4, 4, 4, 4}}
                                                 << QByteArray("roll 12345; score 8=20");
    QTest::newRow("five equal, patterns used: all held, nothing to roll")
        << QList<int>{7, 8, 11} << R{{4, 4, 4, 4, 4}, {}, {}}
        << QByteArray("roll 12345; hold 1; hold 2; hold 3; hold 4; hold 5; score 4=20");
    QTest::newRow("full house before small straight in the table")
        << QList<int>{} << R{{2, 2, 3, 3, 3}} << QByteArray("roll 12345; score 8=13");
    QTest::newRow("full house and its rows used: no target")
        << QList<int>{8, 2, 3} << R{{2, 2, 3, 3, 3}, {1, 4, 6, 6, 5}, {2, 2, 1}}
        << QByteArray("roll 12345; roll 12345; hold 3; hold 4; roll 125; score 6=12");
}

void ComputerTest::turnDecisions()
{
    QFETCH(QList<int>, used);
    QFETCH(QList<QList<int>>, rolls);
    QFETCH(QByteArray, turn);

    EngineFixture f;
    f.connect(1, "Ann");
    f.clearCards();
    for (int c : used)
        f.engine.players[2].scores[std::size_t(c)] = 0;
    f.layOut(2, 0, {-1, -1, -1, -1, -1}, {0, 0, 0, 0, 0});

    quint32 expectedSeed = 0;
    for (qsizetype r = 0; r < rolls.size() && f.engine.currentplayer == 2; ++r) {
        f.rig(rolls[r]);
        DiceRandom after(f.random.seed());
        for (qsizetype n = 0; n < rolls[r].size(); ++n)
            after.face();
        after.face(); // the next turn's bonus die
        expectedSeed = after.seed();
        if (r == 0) {
            f.engine.rolldice(2);
        } else {
            QVERIFY2(f.engine.timer1Enabled(), "the computer waits for its next roll");
            f.engine.Timer1Timer();
        }
    }
    QCOMPARE(describe(f.out.to(1)), turn);
    QCOMPARE(f.engine.currentplayer, 1);
    // The computer draws nothing of its own: only the dice and the next bonus die were drawn.
    QCOMPARE(f.random.seed(), expectedSeed);
}

void ComputerTest::choiceHelpers()
{
    EngineFixture f;
    f.clearCards();
    f.layOut(2, 1, {6, 6, 2, 2, 0}, {0, 0, 0, 0, 6});
    // The held six does not count: a pair of sixes, not three.
    QCOMPARE(f.engine.threes(2), 0);
    QCOMPARE(f.engine.twos(2), 6);
    f.engine.players[2].scores[6] = 18;
    QCOMPARE(f.engine.twos(2), 2);
    f.engine.players[2].scores[2] = 4;
    QCOMPARE(f.engine.twos(2), 0);
    QCOMPARE(f.engine.findworking(2), 0);

    f.layOut(2, 1, {2, 3, 0, 5, 1}, {0, 0, 4, 0, 0});
    // Only free dice count for the straight target.
    QCOMPARE(f.engine.straight(), 0);
    f.layOut(2, 1, {2, 3, 4, 5, 6}, {0, 0, 0, 0, 0});
    QCOMPARE(f.engine.straight(), 10);
    QCOMPARE(f.engine.findworking(2), 10);
    f.engine.players[2].scores[10] = 0;
    QCOMPARE(f.engine.findworking(2), 0);

    f.clearCards();
    QCOMPARE(f.engine.findany(2), 12);
    for (int c = 12; c >= 1; --c) {
        QCOMPARE(f.engine.findany(2), c);
        f.engine.players[2].scores[std::size_t(c)] = 0;
    }
    QCOMPARE(f.engine.findany(2), 0);
}

void ComputerTest::personWithAllDiceHeldIsPlayedForAfterThirdRoll()
{
    EngineFixture f;
    f.connect(1, "Ann");
    f.engine.startgame({1, "f", "false"});
    f.rig({1, 1, 3, 4, 6});
    f.engine.rolldice(1);
    f.rig({2, 2, 3, 4, 6});
    f.engine.rolldice(1);
    for (int i = 1; i <= 5; ++i)
        f.engine.setdice(1, i);
    f.out.clear();
    // The third roll finds nothing free: the seat is scored as the computer scores.
    f.engine.rolldice(1);
    QCOMPARE(describe(f.out.to(1)), QByteArray("score 12=17"));
    QCOMPARE(f.engine.currentplayer, 2);
}

void ComputerTest::awaySeatWithUsedChoiceStillScores()
{
    // A target that became unusable (here set by hand) must not leave a seat the host plays
    // waiting for an answer that never comes.
    EngineFixture f;
    f.connect(1, "Ann");
    f.connect(2, "Bob");
    f.clearCards();
    f.engine.players[2].away = true;
    f.engine.players[2].scores[5] = 10;
    f.engine.players[2].choice = 5;
    f.layOut(2, 3, {1, 1, 6, 4, 3}, {0, 0, 0, 0, 0});
    f.engine.Timer1Timer();
    QCOMPARE(describe(f.out.to(2)), QByteArray("score 12=15"));
    QVERIFY(f.out.receiversOf("CMD_chooseagain+").isEmpty());
    QCOMPARE(f.engine.currentplayer, 1);
}

namespace {

QByteArray expectedWinner(const std::array<int, 5> &totals, const std::array<QByteArray, 5> &names)
{
    int best = 0;
    for (int s = 1; s <= 4; ++s)
        best = std::max(best, totals[std::size_t(s)]);
    QList<QByteArray> winners;
    for (int s = 1; s <= 4; ++s) {
        if (totals[std::size_t(s)] == best)
            winners << names[std::size_t(s)];
    }
    const QByteArray text = best > 0 ? winners.join(" and ") : "No One and " + winners.join(" and ");
    return "CMD_winner+" + text + '+' + QByteArray::number(best) + '+';
}

} // namespace

void ComputerTest::completeGames()
{
    const int games = 2000;
    int fullCards = 0;
    for (int seed = 1; seed <= games; ++seed) {
        const int config = seed % 6;
        const bool team = config == 1 || config == 3 || config == 5;
        const bool bonus = config == 2 || config == 3 || config == 5;
        const bool seated = config <= 3; // seats taken and handed to the host, else spectators only
        EngineFixture f;
        f.random.setSeed(quint32(seed) * 2654435761u);
        GameReferee check(bonus, team);
        const int watcher = seated ? 1 : 5;
        QStringList faults;
        f.out.observer = [&check, &faults, watcher](int slot, const QByteArray &text) {
            if (slot != watcher)
                return;
            if (const QByteArray fault = check.take(text); !fault.isEmpty())
                faults << QString::fromLatin1(fault + ": " + text);
        };
        std::array<QByteArray, 5> names{"", "", "Klot", "Kling", "Klick"};
        for (int s = 1; s <= 4; ++s) {
            const int slot = seated ? s : s + 4;
            f.connect(slot, "P" + QByteArray::number(slot));
            if (seated)
                names[std::size_t(s)] = "P" + QByteArray::number(s);
        }
        f.engine.startgame({1, bonus ? "t" : "f", team ? "true" : "false"});
        if (seated) {
            for (int s = 1; s <= 4; ++s)
                f.engine.justwatch({s, wire::WatchRequest::Watch});
        }
        f.runTimer();

        const QByteArray at = "seed " + QByteArray::number(seed);
        QVERIFY2(!f.engine.gamestarted, at);
        QVERIFY2(faults.isEmpty(), qPrintable(at + ": " + faults.join(u'\n').toLatin1()));
        QVERIFY2(check.ended, at);
        QVERIFY2(!f.out.badFraming, at);
        QCOMPARE(check.log.last(), expectedWinner(check.totals, names));
        for (int s = 1; s <= 4; ++s) {
            const tplayer &p = f.engine.players[std::size_t(s)];
            const bool plays = team || seated || s == 2;
            QCOMPARE(check.scores[std::size_t(s)], plays ? (team ? 6 : 12) : 0);
            // The engine's card is the card every client was shown.
            QCOMPARE(p.scores, check.cards[std::size_t(s)]);
            QCOMPARE(p.total, check.totals[std::size_t(s)]);
            for (int c = 1; c <= 12; ++c)
                QCOMPARE(p.scores[std::size_t(c)] != rules::kEmptyCell, plays);
            // A seat that never scored keeps its empty totals.
            rules::ScoreCells recomputed = p.scores;
            QCOMPARE(rules::computeTotals(recomputed), p.total);
            if (plays)
                QCOMPARE(recomputed, p.scores);
            fullCards += plays;
        }
        if (team) {
            QCOMPARE(f.engine.players[1].scores, f.engine.players[3].scores);
            QCOMPARE(f.engine.players[2].scores, f.engine.players[4].scores);
        }
        for (const SentMessage &m : f.out.sent)
            QVERIFY2(m.slot >= 1 && m.slot <= 8 && f.engine.players[std::size_t(m.slot)].connected, at);
    }
    QVERIFY(fullCards > games * 2);
}

QTEST_GUILESS_MAIN(ComputerTest)
#include "tst_computer.moc"
