#include <QTest>

#include "enginefixture.h"

class GameFlowTest : public QObject {
    Q_OBJECT

private slots:
    void soloGameAlternatesSeatsOneAndTwo();
    void normalGameSkipsEmptySeats();
    void teamGamePlaysAllFourSeats();
    void bonusDieAnnouncedOnlyInBonusGames();
    void rollFlagsAndNoFourthRoll();
    void holdsAndReleases();
    void refusedHoldsChangeNothing_data();
    void refusedHoldsChangeNothing();
    void refusalsGoOnlyToRequester();
    void sixesExampleLine();
    void bonusRowDoubled();
    void teamScoreCopiedToPartner();
    void computerRefusalBecomesRoll();
    void winnerText_data();
    void winnerText();
    void restartWhileRunning();
    void newcomerTakesEmptySeat();
    void currentSeatLeavesMidTurn();
    void justWatchHandsSeatToHost();
    void justWatchRequestsOutsideSeatsIgnored();
    void seatHandedOverAfterThirdRollIsScored();
    void spentTurnOnLastRoundEndsGameWithoutRoll();
    void allDiceHeldRollSendsNoDice();
    void diceFollowOnlyTheSeed_data();
    void diceFollowOnlyTheSeed();
};

namespace {

QList<QByteArray> withWord(const QList<QByteArray> &texts, const QByteArray &word)
{
    QList<QByteArray> out;
    for (const QByteArray &t : texts) {
        if (wordOf(t) == word)
            out.append(t);
    }
    return out;
}

// Field n (0 = the command word) of a message text.
QByteArray fieldOf(const QByteArray &text, int n)
{
    return text.split('+').value(n);
}

// Plays the rest of a game: people roll once and take their highest open category, the
// host plays the rest. Returns the seats whose turns began from the message `since` on.
QList<int> playOut(EngineFixture &f, int watchSlot, qsizetype since = 0)
{
    for (int guard = 0; f.turn().running() && guard < 1000; ++guard) {
        const int seat = f.turn().current();
        if (f.table().isComputerSeat(seat)) {
            f.runTimer();
        } else {
            f.engine.rolldice(seat);
            f.engine.setscore(seat, ComputerPlayer::findany(f.turn().card(seat)));
        }
    }
    QList<int> order;
    for (const QByteArray &t : withWord(f.out.to(watchSlot).mid(since), "CMD_nextplayer"))
        order.append(fieldOf(t, 1).toInt());
    return order;
}

QList<int> repeated(const QList<int> &round, int times)
{
    QList<int> all;
    for (int i = 0; i < times; ++i)
        all += round;
    return all;
}

int scoredCells(const rules::ScoreCells &card)
{
    int n = 0;
    for (int c = 1; c <= 12; ++c)
        n += card[std::size_t(c)] != rules::kEmptyCell;
    return n;
}

} // namespace

void GameFlowTest::soloGameAlternatesSeatsOneAndTwo()
{
    EngineFixture f;
    f.connect(1, "You");
    f.engine.startgame({1, "f", "false"});
    QCOMPARE(f.out.to(1).first(), QByteArray("CMD_startgame+1+f+false"));
    QCOMPARE(f.out.to(1).last(), QByteArray("CMD_nextplayer+1+1+0+0+"));
    const QList<int> order = playOut(f, 1);
    QCOMPARE(order, repeated({1, 2}, 12));
    QVERIFY(wordOf(f.out.to(1).last()) == "CMD_winner");
    QVERIFY(!f.turn().running());
    QCOMPARE(f.turn().current(), 0);
    // Skipped seats are counted by every pass of the rotation.
    QCOMPARE(f.turn().turns(1), 13);
    QCOMPARE(f.turn().turns(2), 12);
    QCOMPARE(f.turn().turns(3), 12);
    QCOMPARE(f.turn().turns(4), 12);
    QCOMPARE(scoredCells(f.turn().card(1)), 12);
    QCOMPARE(scoredCells(f.turn().card(2)), 12);
    QCOMPARE(scoredCells(f.turn().card(3)), 0);
    // Rounds count up per seat.
    const auto starts = withWord(f.out.to(1), "CMD_nextplayer");
    for (qsizetype i = 0; i < starts.size(); ++i) {
        QCOMPARE(fieldOf(starts[i], 2), QByteArray::number(i / 2 + 1));
        QCOMPARE(fieldOf(starts[i], 4), QByteArray("0"));
        QVERIFY(starts[i].endsWith("+0+"));
    }
    QVERIFY(!f.out.badFraming);
    // Play requests after the end find no seat on turn.
    f.out.clear();
    f.engine.rolldice(1);
    f.engine.setscore(1, 1);
    f.engine.Timer1Timer();
    QVERIFY(f.out.sent.isEmpty());
}

void GameFlowTest::normalGameSkipsEmptySeats()
{
    EngineFixture f;
    f.connect(1, "Ann");
    f.connect(2, "Bob");
    f.connect(4, "Di");
    f.connect(5, "Spy");
    f.engine.startgame({1, "f", "false"});
    const QList<int> order = playOut(f, 5);
    QCOMPARE(order, repeated({1, 2, 4}, 12));
    QVERIFY(!f.out.timer);
    QCOMPARE(scoredCells(f.turn().card(4)), 12);
    QCOMPARE(scoredCells(f.turn().card(3)), 0);
    // The spectator sees everything the seats see.
    QCOMPARE(f.out.to(5), f.out.to(1));
}

void GameFlowTest::teamGamePlaysAllFourSeats()
{
    EngineFixture f;
    f.connect(1, "Ann");
    f.connect(2, "Bob");
    f.engine.startgame({1, "f", "true"});
    QVERIFY(f.turn().teamGame());
    const QList<int> order = playOut(f, 1);
    QCOMPARE(order, repeated({1, 2, 3, 4}, 6));
    for (int seat = 1; seat <= 4; ++seat)
        QCOMPARE(scoredCells(f.turn().card(seat)), 12);
    QCOMPARE(f.turn().card(1), f.turn().card(3));
    QCOMPARE(f.turn().card(2), f.turn().card(4));
    const QByteArray winner = f.out.to(1).last();
    QVERIFY(winner.startsWith("CMD_winner+"));
    // Partners tie by construction, so the winner line names both of a team.
    QVERIFY2(winner.contains(" and "), winner);
}

void GameFlowTest::bonusDieAnnouncedOnlyInBonusGames()
{
    QList<QByteArray> firstRolls;
    for (const QByteArray &flag : {QByteArray("t"), QByteArray("f"), QByteArray("x")}) {
        EngineFixture f;
        f.connect(1, "You");
        f.random.setSeed(777);
        f.engine.startgame({1, flag, "false"});
        QCOMPARE(f.turn().bonusGame(), flag == "t");
        f.engine.rolldice(1);
        firstRolls.append(withWord(f.out.to(1), "CMD_thedice").value(0));
        f.engine.setscore(1, 12);
        playOut(f, 1);
        const QList<QByteArray> msgs = f.out.to(1);
        const auto bonuses = withWord(msgs, "CMD_setbonusdice");
        if (flag != "t") {
            QVERIFY(bonuses.isEmpty());
            continue;
        }
        // One before every turn start, and a last one just before the winner.
        QCOMPARE(bonuses.size(), withWord(msgs, "CMD_nextplayer").size() + 1);
        for (qsizetype i = 0; i < msgs.size(); ++i) {
            if (wordOf(msgs[i]) == "CMD_nextplayer" || wordOf(msgs[i]) == "CMD_winner")
                QCOMPARE(wordOf(msgs.value(i - 1)), QByteArray("CMD_setbonusdice"));
        }
        for (const QByteArray &b : bonuses) {
            const int face = fieldOf(b, 1).toInt();
            QVERIFY(face >= 1 && face <= 6);
        }
    }
    // The bonus die is drawn in every game, so the dice that follow are the same.
    QCOMPARE(firstRolls[0], firstRolls[1]);
    QCOMPARE(firstRolls[1], firstRolls[2]);
}

void GameFlowTest::rollFlagsAndNoFourthRoll()
{
    EngineFixture f;
    f.connect(1, "You");
    f.connect(6, "Spy");
    f.engine.startgame({1, "f", "false"});
    for (int roll = 1; roll <= 3; ++roll) {
        f.out.clear();
        f.engine.rolldice(1);
        QCOMPARE(f.out.sent.size(), 2);
        const QByteArray t = f.out.to(1).value(0);
        QCOMPARE(f.out.to(6).value(0), t);
        const QList<QByteArray> fields = t.split('+');
        QCOMPARE(fields.size(), 4 + 10);
        QCOMPARE(fields[1], QByteArray("1"));
        QCOMPARE(fields[2], QByteArray(roll < 3 ? "y" : "n"));
        QCOMPARE(fields[3], QByteArray::number(roll));
        for (int i = 1; i <= 5; ++i) {
            QCOMPARE(fields[2 + 2 * i], QByteArray::number(i));
            QCOMPARE(fields[3 + 2 * i].toInt(), f.turn().die(i).face);
            QVERIFY(f.turn().die(i).isFree());
        }
    }
    const Dice before = f.turn().dice();
    f.out.clear();
    f.engine.rolldice(1);
    QVERIFY(f.out.sent.isEmpty());
    QCOMPARE(f.turn().rolls(), 3);
    QCOMPARE(f.turn().dice(), before);
    QCOMPARE(f.turn().current(), 1);
    f.engine.setscore(1, 12);
    QCOMPARE(f.turn().card(1)[std::size_t(12)], before[0].face + before[1].face + before[2].face + before[3].face + before[4].face);
}

void GameFlowTest::holdsAndReleases()
{
    EngineFixture f;
    f.connect(1, "You");
    f.connect(5, "Spy");
    f.engine.startgame({1, "f", "false"});
    f.rig({3, 6, 1, 6, 2});
    f.engine.rolldice(1);
    QCOMPARE(f.out.to(1).last(), QByteArray("CMD_thedice+1+y+1+1+3+2+6+3+1+4+6+5+2"));

    f.out.clear();
    f.engine.setdice(1, 2);
    f.engine.setdice(1, 4);
    QCOMPARE(f.out.to(1), (QList<QByteArray>{"CMD_setdice+2", "CMD_setdice+4"}));
    QCOMPARE(f.out.to(5), f.out.to(1));
    QCOMPARE(f.dice(), QByteArray("3 6* 1 6* 2"));

    f.out.clear();
    f.rig({5, 4, 4});
    f.engine.rolldice(1);
    QCOMPARE(f.out.to(1), QList<QByteArray>{"CMD_thedice+1+y+2+1+5+3+4+5+4"});
    QCOMPARE(f.dice(), QByteArray("5 6* 4 6* 4"));

    f.out.clear();
    f.engine.unsetdice(1, 4);
    QCOMPARE(f.out.to(1), QList<QByteArray>{"CMD_unsetdice+4"});
    QCOMPARE(f.dice(), QByteArray("5 6* 4 6 4"));

    f.out.clear();
    f.rig({1, 2, 3, 4});
    f.engine.rolldice(1);
    QCOMPARE(f.out.to(1), QList<QByteArray>{"CMD_thedice+1+n+3+1+1+3+2+4+3+5+4"});
    // A hold after the last roll still counts for the hand that is scored.
    f.engine.setdice(1, 1);
    f.engine.setscore(1, 6);
    QCOMPARE(f.turn().card(1)[std::size_t(6)], 6);
    QCOMPARE(f.turn().card(1)[std::size_t(4)], rules::kEmptyCell);
}

void GameFlowTest::refusedHoldsChangeNothing_data()
{
    QTest::addColumn<bool>("hold");
    QTest::addColumn<int>("seat");
    QTest::addColumn<int>("die");
    QTest::addColumn<int>("rolled"); // 0: before the first roll of the turn

    QTest::newRow("hold held die") << true << 1 << 2 << 1;
    QTest::newRow("release free die") << false << 1 << 1 << 1;
    QTest::newRow("hold unrolled die") << true << 1 << 3 << 0;
    QTest::newRow("release unrolled die") << false << 1 << 3 << 0;
    QTest::newRow("hold position 0") << true << 1 << 0 << 1;
    QTest::newRow("hold position 6") << true << 1 << 6 << 1;
    QTest::newRow("release huge position") << false << 1 << 2147483647 << 1;
    QTest::newRow("hold by other seat") << true << 2 << 1 << 1;
    QTest::newRow("release by other seat") << false << 2 << 2 << 1;
    QTest::newRow("hold by seat 0") << true << 0 << 1 << 1;
}

void GameFlowTest::refusedHoldsChangeNothing()
{
    QFETCH(bool, hold);
    QFETCH(int, seat);
    QFETCH(int, die);
    QFETCH(int, rolled);
    EngineFixture f;
    f.connect(1, "You");
    f.connect(2, "Bob");
    f.engine.startgame({1, "f", "false"});
    if (rolled) {
        f.engine.rolldice(1);
        f.engine.setdice(1, 2);
    }
    const QByteArray dice = f.dice();
    f.out.clear();
    if (hold)
        f.engine.setdice(seat, die);
    else
        f.engine.unsetdice(seat, die);
    QVERIFY(f.out.sent.isEmpty());
    QCOMPARE(f.dice(), dice);
}

void GameFlowTest::refusalsGoOnlyToRequester()
{
    EngineFixture f;
    f.connect(1, "Ann");
    f.connect(2, "Bob");
    f.connect(5, "Spy");
    f.engine.startgame({1, "f", "false"});
    f.out.clear();

    f.engine.setscore(1, 12);
    QCOMPARE(f.out.sent.size(), 1);
    QCOMPARE(f.out.receiversOf("CMD_rollagain+"), QList<int>{1});

    // Freebie used in the first round.
    f.playOwnTurn();
    f.playOwnTurn();
    f.engine.rolldice(1);
    f.engine.setdice(1, 1);
    const auto card = f.turn().card(1);
    const QByteArray dice = f.dice();
    f.out.clear();
    for (const int category : {12, 0, 13, -1, 2000})
        f.engine.setscore(1, category);
    QCOMPARE(f.out.receiversOf("CMD_chooseagain+"), (QList<int>{1, 1, 1, 1, 1}));
    QCOMPARE(f.out.sent.size(), 5);
    QCOMPARE(f.turn().card(1), card);
    QCOMPARE(f.dice(), dice);
    QCOMPARE(f.turn().current(), 1);

    // Someone else's request is dropped without a word.
    f.out.clear();
    f.engine.setscore(2, 5);
    f.engine.setscore(5, 5);
    f.engine.rolldice(2);
    QVERIFY(f.out.sent.isEmpty());
    QCOMPARE(scoredCells(f.turn().card(2)), 1);

    // The player can still choose.
    f.engine.setscore(1, 11);
    QVERIFY(f.turn().card(1)[std::size_t(11)] != rules::kEmptyCell);
    QCOMPARE(f.turn().current(), 2);
}

void GameFlowTest::sixesExampleLine()
{
    EngineFixture f;
    f.connect(1, "Ann");
    f.connect(2, "Bob");
    f.connect(7, "Spy");
    f.engine.startgame({1, "f", "false"});
    f.playOwnTurn();
    f.rig({6, 6, 2, 3, 4});
    f.engine.rolldice(2);
    f.engine.setdice(2, 1);
    f.engine.setdice(2, 2);
    f.rig({6, 6, 1});
    f.engine.rolldice(2);
    f.engine.setscore(2, 6);
    const QByteArray line = "CMD_pscore+2+24+6+1000+1000+1000+1000+1000+24+1000+1000+1000+1000+1000+1000+24+0+0+0";
    QCOMPARE(f.out.receiversOf(line), (QList<int>{1, 2, 7}));
    QCOMPARE(f.turn().total(2), 24);
    // The turn has passed on.
    QCOMPARE(f.turn().current(), 1);
}

void GameFlowTest::bonusRowDoubled()
{
    EngineFixture f;
    f.connect(1, "Ann");
    // The turn's bonus die, then the roll.
    f.rig({5, 5, 5, 2, 3, 5});
    f.engine.startgame({1, "t", "false"});
    QCOMPARE(f.turn().bonusDie(), 5);
    f.engine.rolldice(1);
    f.engine.setscore(1, 5);
    QCOMPARE(f.turn().card(1)[5], 30);
    QCOMPARE(fieldOf(withWord(f.out.to(1), "CMD_pscore").first(), 2), QByteArray("30"));
}

void GameFlowTest::teamScoreCopiedToPartner()
{
    EngineFixture f;
    f.connect(1, "Ann");
    f.connect(2, "Bob");
    f.connect(3, "Cy");
    f.connect(5, "Spy");
    f.engine.startgame({1, "f", "true"});
    f.rig({2, 2, 3, 3, 3});
    f.engine.rolldice(1);
    f.out.clear();
    f.engine.setscore(1, 8);
    const QByteArray card = "+1000+1000+1000+1000+1000+1000+1000+13+1000+1000+1000+1000+0+0+13+0";
    for (int slot : {1, 2, 3, 5}) {
        const QList<QByteArray> got = withWord(f.out.to(slot), "CMD_pscore");
        QCOMPARE(got, (QList<QByteArray>{"CMD_pscore+1+13+8" + card, "CMD_pscore+3+13+*8" + card}));
    }
    // All of slot 1's pscore lines come before any partner line.
    QCOMPARE(wordOf(f.out.sent.at(0).text), QByteArray("CMD_pscore"));
    QCOMPARE(fieldOf(f.out.sent.at(3).text, 1), QByteArray("1"));
    QCOMPARE(fieldOf(f.out.sent.at(4).text, 1), QByteArray("3"));
    QCOMPARE(f.turn().card(1), f.turn().card(3));
    QCOMPARE(f.turn().total(3), 13);
    QCOMPARE(f.turn().card(2)[8], rules::kEmptyCell);

    // The partner finds the category used.
    f.playOwnTurn();
    f.out.clear();
    f.engine.rolldice(3);
    f.engine.setscore(3, 8);
    QCOMPARE(f.out.receiversOf("CMD_chooseagain+"), QList<int>{3});
}

void GameFlowTest::computerRefusalBecomesRoll()
{
    // Bob scores Sixes and leaves; the host plays his seat from then on.
    EngineFixture f;
    f.connect(1, "Ann");
    f.connect(2, "Bob");
    f.engine.startgame({1, "f", "false"});
    f.playOwnTurn();
    f.engine.rolldice(2);
    f.engine.setscore(2, 6);
    f.disconnect(2);
    f.playOwnTurn();
    QCOMPARE(f.turn().current(), 2);

    // Before the first roll a score request is a first roll.
    f.out.clear();
    f.rig({1, 3, 4, 6, 6});
    f.engine.setscore(2, 12);
    QCOMPARE(f.out.to(1).value(0), QByteArray("CMD_thedice+2+y+1+1+1+2+3+3+4+4+6+5+6"));
    QVERIFY(withWord(f.out.to(1), "CMD_rollagain").isEmpty());

    // A used category: the free dice are rolled again instead of an answer.
    f.out.clear();
    const int sixes = f.turn().card(2)[6];
    f.rig({2, 4, 1, 5, 2});
    f.engine.setscore(2, 6);
    QCOMPARE(f.out.to(1).value(0), QByteArray("CMD_thedice+2+y+2+1+2+2+4+3+1+4+5+5+2"));
    QVERIFY(withWord(f.out.to(1), "CMD_chooseagain").isEmpty());
    QCOMPARE(f.turn().card(2)[6], sixes);
}

void GameFlowTest::winnerText_data()
{
    QTest::addColumn<QList<int>>("totals");
    QTest::addColumn<QList<QByteArray>>("names");
    QTest::addColumn<QByteArray>("message");

    const QList<QByteArray> all{"Ann", "Bob", "Cy", "Di"};
    QTest::newRow("two tie for first") << QList<int>{230, 251, 251, 190} << all
                                       << QByteArray("CMD_winner+Bob and Cy+251+");
    QTest::newRow("one winner") << QList<int>{230, 150, 251, 190} << all << QByteArray("CMD_winner+Cy+251+");
    QTest::newRow("three tie, lowest first") << QList<int>{300, 100, 300, 300} << all
                                             << QByteArray("CMD_winner+Ann and Cy and Di+300+");
    QTest::newRow("computer names") << QList<int>{100, 200, 50, 200} << QList<QByteArray>{"You", "", "", ""}
                                    << QByteArray("CMD_winner+Klot and Klick+200+");
    QTest::newRow("name with plus") << QList<int>{5, 9, 0, 0} << QList<QByteArray>{"A+B", "C+D", "", ""}
                                    << QByteArray("CMD_winner+C+D+9+");
    QTest::newRow("no one") << QList<int>{0, 0, 0, 0} << QList<QByteArray>{"You", "", "", ""}
                            << QByteArray("CMD_winner+No One and You and Klot and Kling and Klick+0+");
}

void GameFlowTest::winnerText()
{
    QFETCH(QList<int>, totals);
    QFETCH(QList<QByteArray>, names);
    QFETCH(QByteArray, message);
    std::array<int, 5> seatTotals{};
    std::array<QByteArray, 5> seatNames;
    for (int seat = 1; seat <= 4; ++seat) {
        seatTotals[std::size_t(seat)] = totals[seat - 1];
        // Empty seats 2..4 carry their computer players' names by the end of a game.
        seatNames[std::size_t(seat)] = names[seat - 1].isEmpty() && seat > 1 ? QByteArray(game::kComputerNames[seat])
                                                                            : names[seat - 1];
    }
    QCOMPARE(Turn::winnerLine(seatTotals, seatNames).encode().chopped(1), message);
}

void GameFlowTest::restartWhileRunning()
{
    EngineFixture f;
    f.connect(1, "You");
    f.engine.startgame({1, "f", "false"});
    for (int i = 0; i < 3; ++i) {
        f.engine.rolldice(1);
        f.engine.setscore(1, ComputerPlayer::findany(f.turn().card(1)));
        f.runTimer();
    }
    f.engine.rolldice(1);
    f.engine.setdice(1, 3);
    f.engine.justwatch({1, wire::WatchRequest::Watch});
    QVERIFY(f.engine.timer1Enabled());
    QVERIFY(f.turn().total(2) > 0);

    f.out.clear();
    f.engine.startgame({1, "t", "true"});
    QCOMPARE(f.out.to(1).value(0), QByteArray("CMD_startgame+1+t+true"));
    QCOMPARE(withWord(f.out.to(1), "CMD_nextplayer"), QList<QByteArray>{"CMD_nextplayer+1+1+0+0+"});
    QVERIFY(f.turn().bonusGame());
    QVERIFY(f.turn().teamGame());
    QVERIFY(!f.table().away(1));
    QVERIFY(!f.engine.timer1Enabled());
    QCOMPARE(f.turn().current(), 1);
    QCOMPARE(f.turn().rolls(), 0);
    for (int seat = 1; seat <= 4; ++seat) {
        QCOMPARE(f.turn().total(seat), 0);
        QCOMPARE(f.turn().turns(seat), seat == 1 ? 1 : 0);
        QCOMPARE(f.turn().card(seat), rules::emptyCard());
    }
    QCOMPARE(f.dice(), QByteArray("- - - - -"));
}

void GameFlowTest::newcomerTakesEmptySeat()
{
    EngineFixture f;
    f.connect(1, "You");
    f.engine.startgame({1, "f", "false"});
    for (int i = 0; i < 2; ++i) {
        f.engine.rolldice(1);
        f.engine.setscore(1, 12);
        f.engine.rolldice(1);
        f.engine.setscore(1, ComputerPlayer::findany(f.turn().card(1)));
        f.runTimer();
    }
    QCOMPARE(f.turn().current(), 1);
    QCOMPARE(f.turn().turns(1), 3);
    // Someone takes slot 3 while seat 1 is on turn; seat 3 keeps the turns it was passed.
    f.connect(3, "Cy");
    f.out.clear();
    f.engine.rolldice(1);
    f.engine.setscore(1, ComputerPlayer::findany(f.turn().card(1)));
    f.runTimer();
    QCOMPARE(withWord(f.out.to(3), "CMD_nextplayer").last(), QByteArray("CMD_nextplayer+3+3+0+0+"));
    const QList<int> order = playOut(f, 3, f.out.to(3).size() - 1);
    QCOMPARE(order.mid(0, 4), (QList<int>{3, 1, 2, 3}));
    QCOMPARE(order.size(), 1 + 9 * 3);
    QCOMPARE(scoredCells(f.turn().card(3)), 10);
    QCOMPARE(scoredCells(f.turn().card(1)), 12);
    QVERIFY(wordOf(f.out.to(3).last()) == "CMD_winner");
}

void GameFlowTest::currentSeatLeavesMidTurn()
{
    EngineFixture f;
    f.connect(1, "Ann");
    f.connect(2, "Bob");
    f.connect(3, "Cy");
    f.engine.startgame({1, "f", "true"});
    for (int seat = 1; seat <= 2; ++seat) {
        f.engine.rolldice(seat);
        f.engine.setscore(seat, 12);
    }
    QCOMPARE(f.turn().current(), 3);
    f.engine.rolldice(3);
    f.engine.setdice(3, 1);
    f.out.clear();
    // The seat on turn leaves: the turn passes at once.
    f.disconnect(3);
    QCOMPARE(f.turn().current(), 4);
    QCOMPARE(withWord(f.out.to(1), "CMD_nextplayer"),
             QList<QByteArray>{"CMD_nextplayer+4+1+" + QByteArray::number(f.turn().total(4)) + "+0+"});
    QCOMPARE(f.turn().turns(3), 1);
    // Seat 3 keeps its card and is played by the host from now on.
    f.runTimer();
    QCOMPARE(f.turn().current(), 1);
    f.engine.rolldice(1);
    f.engine.setscore(1, 1);
    f.engine.rolldice(2);
    f.engine.setscore(2, 1);
    QCOMPARE(f.turn().current(), 3);
    QVERIFY(f.engine.timer1Enabled());
    f.out.clear();
    f.runTimer();
    QVERIFY(!withWord(f.out.to(1), "CMD_thedice").isEmpty());
    QVERIFY(fieldOf(withWord(f.out.to(1), "CMD_thedice").first(), 1) == "3");
    QCOMPARE(scoredCells(f.turn().card(3)), 3);
    QCOMPARE(f.turn().current(), 1);
}

void GameFlowTest::justWatchHandsSeatToHost()
{
    EngineFixture f;
    f.connect(1, "You");
    f.connect(5, "Spy");
    f.engine.startgame({1, "f", "false"});
    f.engine.rolldice(1);
    f.out.clear();
    f.engine.justwatch({1, wire::WatchRequest::Watch});
    QCOMPARE(f.out.receiversOf("CMD_justwatching+1+1"), (QList<int>{1, 5}));
    QVERIFY(f.table().away(1));
    QVERIFY(f.table().isComputerSeat(1));
    QVERIFY(f.out.timer);

    // Coming back before the host's step: the step does nothing.
    f.out.clear();
    f.engine.justwatch({1, wire::WatchRequest::Play});
    QCOMPARE(f.out.receiversOf("CMD_justwatching+1+2"), (QList<int>{1, 5}));
    f.engine.Timer1Timer();
    QVERIFY(!f.out.timer);
    QCOMPARE(f.out.sent.size(), 2);
    QCOMPARE(f.turn().rolls(), 1);

    // Away for good: the host plays the rest of this turn and the seat's later ones; with
    // seat 2 the host's too, the game runs to its end.
    f.engine.justwatch({1, wire::WatchRequest::Watch});
    f.out.clear();
    f.runTimer();
    const auto rolls = withWord(f.out.to(1), "CMD_thedice");
    QVERIFY(!rolls.isEmpty());
    QVERIFY(rolls.first().startsWith("CMD_thedice+1+"));
    QCOMPARE(fieldOf(rolls.first(), 3), QByteArray("2"));
    QVERIFY(!f.turn().running());
    QCOMPARE(withWord(f.out.to(5), "CMD_nextplayer").size(), 23);
    QCOMPARE(scoredCells(f.turn().card(1)), 12);
    QCOMPARE(scoredCells(f.turn().card(2)), 12);
}

void GameFlowTest::justWatchRequestsOutsideSeatsIgnored()
{
    EngineFixture f;
    f.connect(1, "You");
    f.connect(5, "Spy");
    f.engine.startgame({1, "f", "false"});
    f.out.clear();
    for (const int seat : {5, 2, 0, 9, 12, -1})
        f.engine.justwatch({seat, wire::WatchRequest::Watch});
    f.engine.justwatch({1, wire::WatchRequest::Other});
    QVERIFY(f.out.sent.isEmpty());
    QVERIFY(!f.table().away(1));
    QVERIFY(!f.table().away(5));
    QVERIFY(!f.engine.timer1Enabled());
}

void GameFlowTest::seatHandedOverAfterThirdRollIsScored()
{
    EngineFixture f;
    f.connect(1, "You");
    f.engine.startgame({1, "f", "false"});
    for (int i = 0; i < 3; ++i)
        f.engine.rolldice(1);
    f.out.clear();
    f.engine.justwatch({1, wire::WatchRequest::Watch});
    f.engine.Timer1Timer();
    // No fourth roll; the host scores the hand as it lies and the turn passes.
    const QList<QByteArray> got = f.out.to(1);
    QCOMPARE(wordOf(got.value(1)), QByteArray("CMD_pscore"));
    QCOMPARE(fieldOf(got.value(1), 1), QByteArray("1"));
    QVERIFY(withWord(got, "CMD_thedice").isEmpty());
    QVERIFY(got.value(2).startsWith("CMD_nextplayer+2+1+"));
    QCOMPARE(f.turn().current(), 2);
    QCOMPARE(scoredCells(f.turn().card(1)), 1);
}

void GameFlowTest::spentTurnOnLastRoundEndsGameWithoutRoll()
{
    EngineFixture f;
    f.connect(1, "You");
    f.connect(2, "Bob");
    f.engine.startgame({1, "f", "false"});
    for (int turn = 0; turn < 23; ++turn)
        f.playOwnTurn();
    QCOMPARE(f.turn().current(), 2);
    for (int roll = 0; roll < 3; ++roll)
        f.engine.rolldice(2);
    f.out.clear();
    // Bob's last turn, handed to the host after its third roll: scored, then the game ends;
    // no roll follows.
    f.engine.justwatch({2, wire::WatchRequest::Watch});
    f.engine.Timer1Timer();
    const QList<QByteArray> got = f.out.to(1);
    QCOMPARE(got.size(), 3);
    QCOMPARE(got[0], QByteArray("CMD_justwatching+2+1"));
    QVERIFY(got[1].startsWith("CMD_pscore+2+"));
    QCOMPARE(wordOf(got[2]), QByteArray("CMD_winner"));
    QCOMPARE(scoredCells(f.turn().card(2)), 12);
    QCOMPARE(f.turn().current(), 0);
    QVERIFY(!f.turn().running());
    QVERIFY(!f.engine.timer1Enabled());
}

void GameFlowTest::allDiceHeldRollSendsNoDice()
{
    EngineFixture f;
    f.connect(1, "You");
    f.engine.startgame({1, "f", "false"});
    f.rig({2, 3, 4, 5, 6});
    f.engine.rolldice(1);
    for (int i = 1; i <= 5; ++i)
        f.engine.setdice(1, i);
    f.out.clear();
    f.engine.rolldice(1);
    // Nothing to roll: no dice message, and the seat is decided for (Big Straight here).
    QVERIFY(withWord(f.out.to(1), "CMD_thedice").isEmpty());
    QCOMPARE(wordOf(f.out.to(1).value(0)), QByteArray("CMD_pscore"));
    QCOMPARE(f.out.to(1).value(0).left(18), QByteArray("CMD_pscore+1+30+10"));
}

void GameFlowTest::diceFollowOnlyTheSeed_data()
{
    QTest::addColumn<QByteArray>("seed"); // MORVELLO_SEED; null when unset
    QTest::addColumn<bool>("alike");
    QTest::newRow("seeded") << QByteArray("20240611") << true;
    QTest::newRow("unseeded") << QByteArray() << false;
    QTest::newRow("seed not a number") << QByteArray("noon") << false;
}

// Two hosts set up at the same instant play a bonus team game of computers: with one seed they
// roll the same dice and bonus faces, roll for roll, as seeded games always have; without one
// nothing about the moment they started ties their dice together.
void GameFlowTest::diceFollowOnlyTheSeed()
{
    QFETCH(QByteArray, seed);
    QFETCH(bool, alike);
    if (seed.isNull())
        qunsetenv("MORVELLO_SEED");
    else
        qputenv("MORVELLO_SEED", seed);
    EngineFixture hosts[2];
    for (EngineFixture &f : hosts)
        f.random = DiceRandom::fromEnvironment();
    qunsetenv("MORVELLO_SEED");
    for (EngineFixture &f : hosts) {
        f.connect(5, "Spy");
        f.engine.startgame({5, "t", "true"});
        playOut(f, 5);
        QVERIFY(wordOf(f.out.to(5).last()) == "CMD_winner");
    }
    QCOMPARE(hosts[0].out.to(5) == hosts[1].out.to(5), alike);
    if (alike) {
        QCOMPARE(withWord(hosts[0].out.to(5), "CMD_setbonusdice").first(), QByteArray("CMD_setbonusdice+1"));
        QCOMPARE(withWord(hosts[0].out.to(5), "CMD_thedice").first(), QByteArray("CMD_thedice+1+y+1+1+6+2+2+3+6+4+6+5+6"));
    }
}

QTEST_GUILESS_MAIN(GameFlowTest)
#include "tst_gameflow.moc"
