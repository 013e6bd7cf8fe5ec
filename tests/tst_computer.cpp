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

    // Bob uses up the categories in his turns and leaves; then the host plays his seat.
    EngineFixture f;
    f.connect(1, "Ann");
    f.connect(2, "Bob");
    f.engine.startgame({1, "f", "false"});
    for (int c : used) {
        f.playOwnTurn();
        f.engine.rolldice(2);
        f.engine.setscore(2, c);
    }
    f.disconnect(2);
    f.playOwnTurn();
    QCOMPARE(f.turn().current(), 2);
    f.out.clear();

    quint32 expectedSeed = 0;
    for (qsizetype r = 0; r < rolls.size() && f.turn().current() == 2; ++r) {
        QVERIFY2(f.engine.timer1Enabled(), "the computer waits for its next roll");
        f.rig(rolls[r]);
        DiceRandom after(f.random.seed());
        for (qsizetype n = 0; n < rolls[r].size(); ++n)
            after.face();
        after.face(); // the next turn's bonus die
        expectedSeed = after.seed();
        f.engine.Timer1Timer();
    }
    QCOMPARE(describe(f.out.to(1)), turn);
    QCOMPARE(f.turn().current(), 1);
    // The computer draws nothing of its own: only the dice and the next bonus die were drawn.
    QCOMPARE(f.random.seed(), expectedSeed);
}

void ComputerTest::choiceHelpers()
{
    // Dice as "6 6 2 2 6*": faces, "*" for a held one.
    auto dice = [](const char *text) {
        Dice d{};
        const QList<QByteArray> faces = QByteArray(text).split(' ');
        for (int i = 0; i < 5; ++i)
            d[std::size_t(i)] = {faces[i].endsWith('*') ? Die::State::Held : Die::State::Free, faces[i].left(1).toInt()};
        return d;
    };
    rules::ScoreCells card = rules::emptyCard();
    // The held six does not count: a pair of sixes, not three.
    QCOMPARE(ComputerPlayer::threes(dice("6 6 2 2 6*"), card), 0);
    QCOMPARE(ComputerPlayer::twos(dice("6 6 2 2 6*"), card), 6);
    card[6] = 18;
    QCOMPARE(ComputerPlayer::twos(dice("6 6 2 2 6*"), card), 2);
    card[2] = 4;
    QCOMPARE(ComputerPlayer::twos(dice("6 6 2 2 6*"), card), 0);
    QCOMPARE(ComputerPlayer::findworking(dice("6 6 2 2 6*"), card), 0);

    // Only free dice count for the straight target.
    QCOMPARE(ComputerPlayer::straight(dice("2 3 4* 5 1")), 0);
    QCOMPARE(ComputerPlayer::straight(dice("2 3 4 5 6")), 10);
    QCOMPARE(ComputerPlayer::findworking(dice("2 3 4 5 6"), card), 10);
    card[10] = 0;
    QCOMPARE(ComputerPlayer::findworking(dice("2 3 4 5 6"), card), 0);

    card = rules::emptyCard();
    for (int c = 12; c >= 1; --c) {
        QCOMPARE(ComputerPlayer::findany(card), c);
        card[std::size_t(c)] = 0;
    }
    QCOMPARE(ComputerPlayer::findany(card), 0);
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
    QCOMPARE(f.turn().current(), 2);
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
        QVERIFY2(!f.turn().running(), at);
        QVERIFY2(faults.isEmpty(), qPrintable(at + ": " + faults.join(u'\n').toLatin1()));
        QVERIFY2(check.ended, at);
        QVERIFY2(!f.out.badFraming, at);
        QCOMPARE(check.log.last(), expectedWinner(check.totals, names));
        for (int s = 1; s <= 4; ++s) {
            const rules::ScoreCells &card = f.turn().card(s);
            const bool plays = team || seated || s == 2;
            QCOMPARE(check.scores[std::size_t(s)], plays ? (team ? 6 : 12) : 0);
            // The engine's card is the card every client was shown.
            QCOMPARE(card, check.cards[std::size_t(s)]);
            QCOMPARE(f.turn().total(s), check.totals[std::size_t(s)]);
            for (int c = 1; c <= 12; ++c)
                QCOMPARE(card[std::size_t(c)] != rules::kEmptyCell, plays);
            fullCards += plays;
        }
        if (team) {
            QCOMPARE(f.turn().card(1), f.turn().card(3));
            QCOMPARE(f.turn().card(2), f.turn().card(4));
        }
        for (const SentMessage &m : f.out.sent)
            QVERIFY2(m.slot >= 1 && m.slot <= 8 && f.table().connected(m.slot), at);
    }
    QVERIFY(fullCards > games * 2);
}

QTEST_GUILESS_MAIN(ComputerTest)
#include "tst_computer.moc"
