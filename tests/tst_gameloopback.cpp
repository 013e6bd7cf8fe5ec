// Whole games through a real host: raw clients on loopback sockets speak the framed protocol,
// the host's dispatcher, connection binding and Timer1 carry the flow. Each test follows what a
// client can see on the wire and checks it message by message.
#include <QMap>
#include <QTest>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <memory>
#include <vector>

#include "common/gameconstants.h"
#include "enginefixture.h"
#include "gamereferee.h"
#include "protocol/message.h"
#include "host/tserver.h"
#include "rules/scoring.h"
#include "testclient.h"

// Every open client of a LoopbackGame receives exactly these messages next.
#define EXPECT_ALL(game, ...) QVERIFY2((game).expectAll(__VA_ARGS__), (game).mismatch())

namespace {

// The host's own play runs this fast in these tests, so that whole games take a moment.
constexpr int kHostStepMs = 1;

QByteArray number(int value)
{
    return QByteArray::number(value);
}

// Cells as a card line carries them: "+" before each.
QByteArray cells(std::initializer_list<int> values)
{
    QByteArray text;
    for (int value : values)
        text += '+' + number(value);
    return text;
}

QByteArray emptyCells(int count)
{
    return QByteArray("+1000").repeated(count);
}

// A host listening on a free loopback port and the clients that joined it, by slot.
class LoopbackGame {
public:
    LoopbackGame()
    {
        listening = server.startListening(&error, 0);
        server.setTimer1Interval(kHostStepMs);
    }

    // Connects and logs in as the real client does, doubled terminator included, then waits
    // until every open client has heard of the newcomer.
    TestClient *join(const QByteArray &name, int expectedSlot)
    {
        auto owned = std::make_unique<TestClient>();
        TestClient *client = owned.get();
        if (!client->connectTo(server.serverPort()))
            return nullptr;
        if (client->nextMessage() != wire::LoginAsk{expectedSlot}.encode().chopped(1))
            return nullptr;
        client->sendRaw(wire::LoginInfo{expectedSlot, game::kVersionText, name + kTerminator}.encode());
        clients[std::size_t(expectedSlot)] = std::move(owned);
        names[std::size_t(expectedSlot)] = name;
        const QByteArray news = wire::PlayerInfo{false, expectedSlot, name}.encode().chopped(1);
        for (int other : openSlots()) {
            if (at(other)->nextMessageStartingWith(news) != news)
                return nullptr;
        }
        return client;
    }

    // Joins the named people in slots 1, 2, ... and makes slot 1 the hosting user's.
    bool seat(const QList<QByteArray> &people)
    {
        for (qsizetype i = 0; i < people.size(); ++i) {
            if (!join(people[i], int(i) + 1))
                return false;
        }
        server.setHostClientPort(at(1)->localPort());
        return listening;
    }

    // Closes a client as a quitting one does and waits until the others know.
    bool leave(int slot)
    {
        at(slot)->close();
        gone.push_back(std::move(clients[std::size_t(slot)]));
        const QByteArray notice = wire::PlayerLeft{slot, names[std::size_t(slot)]}.encode().chopped(1);
        names[std::size_t(slot)].clear();
        for (int other : openSlots()) {
            if (at(other)->nextMessageStartingWith(notice) != notice)
                return false;
        }
        return true;
    }

    // Sends a chat from a slot and returns, per open slot, what arrived before it. The host
    // handles messages in arrival order, so this is all it answered to what was sent before.
    QMap<int, QList<QByteArray>> roundTrip(int fromSlot = 1)
    {
        const QByteArray mark = "mark" + number(++marks);
        at(fromSlot)->sendRaw(wire::ChatRequest{false, fromSlot, mark}.encode());
        QMap<int, QList<QByteArray>> before;
        for (int slot : openSlots()) {
            QList<QByteArray> &got = before[slot];
            for (;;) {
                const QByteArray message = at(slot)->nextMessage();
                if (message.isNull()) {
                    got.append("(no answer)");
                    break;
                }
                if (message.endsWith(" chats: " + mark))
                    break;
                got.append(message);
            }
        }
        return before;
    }

    // Whether every open client receives exactly these messages next; mismatch() says where not.
    bool expectAll(const QList<QByteArray> &messages)
    {
        for (int slot : openSlots()) {
            for (const QByteArray &expected : messages) {
                const QByteArray got = at(slot)->nextMessage();
                if (got != expected) {
                    mismatch_ = "slot " + number(slot) + " expected " + expected + " got "
                                + (got.isNull() ? QByteArray("nothing") : got);
                    return false;
                }
            }
        }
        return true;
    }
    const char *mismatch() const { return mismatch_.constData(); }

    QList<int> openSlots() const
    {
        QList<int> taken;
        for (int slot = 1; slot <= HostEngine::kMaxSlots; ++slot) {
            if (clients[std::size_t(slot)])
                taken.append(slot);
        }
        return taken;
    }

    TestClient *at(int slot) const { return clients[std::size_t(slot)].get(); }
    HostEngine &engine() { return server.engine(); }

    TServer server;
    QString error;
    bool listening = false;
    std::array<std::unique_ptr<TestClient>, HostEngine::kMaxSlots + 1> clients;
    std::array<QByteArray, HostEngine::kMaxSlots + 1> names;
    std::vector<std::unique_ptr<TestClient>> gone;
    int marks = 0;

private:
    QByteArray mismatch_;
};

// The next roll of the host's dice shows these faces, in die order.
void rig(const QList<int> &faces)
{
    DiceRandom::shared().setSeed(seedForFaces(faces));
}

int partnerOf(int seat)
{
    return (seat + 1) % 4 + 1;
}

// Follows a running game on one client's wire to its winner. Whenever the turn comes to one of
// the people's seats, that client rolls once and takes its first open category; the host plays
// every other seat.
void playToEnd(TestClient *watcher, GameReferee &game, const QMap<int, TestClient *> &people = {})
{
    for (;;) {
        const QByteArray message = watcher->nextMessage();
        QVERIFY2(!message.isNull(), "the game stalled");
        const QByteArray fault = game.take(message);
        QVERIFY2(fault.isEmpty(), (fault + ": " + message).constData());
        if (game.ended)
            return;
        if (!game.turns.isEmpty() && message.startsWith(wire::spelling(wire::Word::nextplayer))) {
            const int seat = game.turns.last();
            if (TestClient *person = people.value(seat)) {
                person->sendRaw(wire::RollRequest{seat}.encode());
                person->sendRaw(wire::ScoreRequest{seat, game.firstOpen(seat)}.encode());
            }
        }
    }
}

QList<int> repeated(const QList<int> &round, int times)
{
    QList<int> all;
    for (int i = 0; i < times; ++i)
        all += round;
    return all;
}

} // namespace

class GameLoopbackTest : public QObject {
    Q_OBJECT

private slots:
    void wholeGames_data();
    void wholeGames();
    void computerOnlyGame_data();
    void computerOnlyGame();
    void rollsHoldsAndRefusals();
    void bonusTeamCardCopiedToPartner();
    void restartWhileRunning();
    void arrivalAndDepartureMidGame();
    void newcomerTakesSeatTheHostPlays();
};

void GameLoopbackTest::wholeGames_data()
{
    QTest::addColumn<QList<int>>("taken");      // connected slots; 1..4 are people at their seats
    QTest::addColumn<bool>("bonus");
    QTest::addColumn<bool>("team");
    QTest::addColumn<QList<int>>("round");      // the seats that play, in order

    QTest::newRow("solo") << QList<int>{1} << false << false << QList<int>{1, 2};
    QTest::newRow("solo, bonus dice") << QList<int>{1} << true << false << QList<int>{1, 2};
    QTest::newRow("people in 1 and 3, a spectator") << QList<int>{1, 3, 5} << false << false << QList<int>{1, 2, 3};
    QTest::newRow("team, alone") << QList<int>{1} << false << true << QList<int>{1, 2, 3, 4};
    QTest::newRow("team, bonus dice, people in 1 and 4, a spectator")
        << QList<int>{1, 4, 6} << true << true << QList<int>{1, 2, 3, 4};
}

void GameLoopbackTest::wholeGames()
{
    QFETCH(QList<int>, taken);
    QFETCH(bool, bonus);
    QFETCH(bool, team);
    QFETCH(QList<int>, round);

    LoopbackGame host;
    QList<QByteArray> names;
    for (int slot = 1; slot <= taken.last(); ++slot)
        names.append("P" + number(slot));
    QVERIFY2(host.seat(names), qPrintable(host.error));
    for (int slot = 2; slot <= taken.last(); ++slot) {
        if (!taken.contains(slot))
            QVERIFY(host.leave(slot));
    }
    host.roundTrip();
    DiceRandom::shared().setSeed(20240611u + quint32(taken.size()));

    const QByteArray start = QByteArray("CMD_startgame+1+") + (bonus ? "t" : "f") + "+" + (team ? "true" : "false");
    host.at(1)->send(start);
    QMap<int, TestClient *> people;
    for (int slot : taken) {
        QCOMPARE(host.at(slot)->nextMessage(), start);
        if (slot <= 4)
            people.insert(slot, host.at(slot));
    }

    GameReferee game(bonus, team);
    playToEnd(host.at(1), game, people);
    if (QTest::currentTestFailed())
        return;

    QCOMPARE(game.turns, repeated(round, team ? 6 : 12));
    // A bonus die for every turn and one more before the winner; none at all otherwise.
    QCOMPARE(game.bonusAnnouncements, bonus ? int(game.turns.size()) + 1 : 0);
    for (int seat = 1; seat <= 4; ++seat) {
        if (round.contains(seat))
            QVERIFY2(game.complete(seat), qPrintable(QStringLiteral("seat %1").arg(seat)));
        else
            QVERIFY(game.untouched(seat));
    }
    if (team) {
        QCOMPARE(game.cards[1], game.cards[3]);
        QCOMPARE(game.cards[2], game.cards[4]);
    }
    QCOMPARE(game.winner.total, game.best());

    // Everyone else, spectators included, saw the same game.
    for (int slot : taken.mid(1)) {
        QVERIFY(host.at(slot)->waitForMessages(game.log.size()));
        QCOMPARE(host.at(slot)->takeAll(), game.log);
    }
    QVERIFY(!host.engine().turn().running());
}

void GameLoopbackTest::computerOnlyGame_data()
{
    QTest::addColumn<bool>("bonus");
    QTest::addColumn<bool>("team");
    QTest::newRow("normal") << false << false;
    QTest::newRow("team, bonus dice") << true << true;
}

void GameLoopbackTest::computerOnlyGame()
{
    QFETCH(bool, bonus);
    QFETCH(bool, team);
    LoopbackGame host;
    QVERIFY(host.seat({"Idle"}));
    host.roundTrip();
    DiceRandom::shared().setSeed(777u);

    TestClient *idle = host.at(1);
    const QByteArray start = QByteArray("CMD_startgame+1+") + (bonus ? "t" : "f") + "+" + (team ? "true" : "false");
    idle->send(start);
    idle->send("CMD_justwatch+1+1");
    QCOMPARE(idle->nextMessage(), start);

    GameReferee game(bonus, team);
    playToEnd(idle, game);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(game.log.contains("CMD_justwatching+1+1"));
    const QList<int> played = team ? QList<int>{1, 2, 3, 4} : QList<int>{1, 2};
    QCOMPARE(game.turns, repeated(played, team ? 6 : 12));
    for (int seat = 1; seat <= 4; ++seat)
        QCOMPARE(game.complete(seat), played.contains(seat));
    // The host held dice and rolled again in some turns.
    QVERIFY(std::any_of(game.log.cbegin(), game.log.cend(),
                        [](const QByteArray &m) { return m.startsWith("CMD_setdice+"); }));
    QVERIFY(std::any_of(game.log.cbegin(), game.log.cend(),
                        [](const QByteArray &m) { return m.startsWith("CMD_thedice+") && m.contains("+n+3"); }));
    QCOMPARE(game.winner.total, game.best());
    QVERIFY(!host.engine().timer1Enabled());
    // Nothing follows the winner.
    QCOMPARE(host.roundTrip().value(1), QList<QByteArray>{});
}

void GameLoopbackTest::rollsHoldsAndRefusals()
{
    LoopbackGame host;
    QVERIFY(host.seat({"Ann", "Bo"}));
    host.roundTrip();
    TestClient *ann = host.at(1);
    TestClient *bo = host.at(2);

    ann->send("CMD_startgame+1+f+false");
    EXPECT_ALL(host, {"CMD_startgame+1+f+false", "CMD_nextplayer+1+1+0+0+"});

    // A score before the first roll: only the one who asked is told.
    ann->send("CMD_setscore+1+12");
    QCOMPARE(host.roundTrip(), (QMap<int, QList<QByteArray>>{{1, {"CMD_rollagain+"}}, {2, {}}}));

    rig({3, 5, 2, 5, 4});
    ann->send("CMD_rolldice+1");
    EXPECT_ALL(host, {"CMD_thedice+1+y+1+1+3+2+5+3+2+4+5+5+4"});

    // Holds and releases reach everyone; requests from the wrong seat or for no die do not.
    ann->send("CMD_setdice+1+2");
    ann->send("CMD_setdice+1+4");
    ann->send("CMD_setdice+1+3");
    bo->send("CMD_setdice+2+1");
    ann->send("CMD_setdice+1+6");
    ann->send("CMD_unsetdice+1+3");
    ann->send("CMD_unsetdice+1+1");
    const QList<QByteArray> holds{"CMD_setdice+2", "CMD_setdice+4", "CMD_setdice+3", "CMD_unsetdice+3"};
    QCOMPARE(host.roundTrip(), (QMap<int, QList<QByteArray>>{{1, holds}, {2, holds}}));

    rig({1, 6, 6});
    ann->send("CMD_rolldice+1");
    EXPECT_ALL(host, {"CMD_thedice+1+y+2+1+1+3+6+5+6"});
    rig({2, 2, 2});
    ann->send("CMD_rolldice+1");
    EXPECT_ALL(host, {"CMD_thedice+1+n+3+1+2+3+2+5+2"});
    // Three rolls are all a turn has.
    ann->send("CMD_rolldice+1");
    QCOMPARE(host.roundTrip(), (QMap<int, QList<QByteArray>>{{1, {}}, {2, {}}}));

    // Full hand 2, 5, 2, 5, 2 in Chance.
    ann->send("CMD_setscore+1+12");
    EXPECT_ALL(host, {"CMD_pscore+1+16+12" + emptyCells(11) + cells({16, 0, 0, 16, 0}), "CMD_nextplayer+2+1+0+0+"});

    // Seat 2 holds 6, 6 and rolls 6, 6, 1, then scores Sixes as its first score.
    rig({6, 6, 2, 3, 4});
    bo->send("CMD_rolldice+2");
    bo->send("CMD_setdice+2+1");
    bo->send("CMD_setdice+2+2");
    EXPECT_ALL(host, {"CMD_thedice+2+y+1+1+6+2+6+3+2+4+3+5+4", "CMD_setdice+1", "CMD_setdice+2"});
    rig({6, 6, 1});
    bo->send("CMD_rolldice+2");
    EXPECT_ALL(host, {"CMD_thedice+2+y+2+3+6+4+6+5+1"});
    bo->send("CMD_setscore+2+6");
    EXPECT_ALL(host, {"CMD_pscore+2+24+6" + emptyCells(5) + "+24" + emptyCells(6) + cells({24, 0, 0, 0}),
                    "CMD_nextplayer+1+2+16+0+"});

    // A used category: only the one who asked is told, and the turn stands as it was.
    rig({4, 4, 4, 1, 2});
    ann->send("CMD_rolldice+1");
    ann->send("CMD_setdice+1+1");
    ann->send("CMD_setscore+1+12");
    ann->send("CMD_setscore+1+13");
    QCOMPARE(host.roundTrip(), (QMap<int, QList<QByteArray>>{
                                    {1, {"CMD_thedice+1+y+1+1+4+2+4+3+4+4+1+5+2", "CMD_setdice+1",
                                         "CMD_chooseagain+", "CMD_chooseagain+"}},
                                    {2, {"CMD_thedice+1+y+1+1+4+2+4+3+4+4+1+5+2", "CMD_setdice+1"}}}));
    ann->send("CMD_unsetdice+1+1");
    ann->send("CMD_setscore+1+4");
    EXPECT_ALL(host, {"CMD_unsetdice+1", "CMD_pscore+1+28+4" + emptyCells(3) + "+12" + emptyCells(7) + cells({16, 12, 0, 16, 0}),
                    "CMD_nextplayer+2+2+24+0+"});
}

void GameLoopbackTest::bonusTeamCardCopiedToPartner()
{
    LoopbackGame host;
    QVERIFY(host.seat({"Ann", "Bo"}));
    host.roundTrip();

    // The bonus die of the first turn is 5, then the roll 5, 5, 2, 3, 5.
    rig({5, 5, 5, 2, 3, 5});
    host.at(1)->send("CMD_startgame+1+t+true");
    EXPECT_ALL(host, {"CMD_startgame+1+t+true", "CMD_setbonusdice+5", "CMD_nextplayer+1+1+0+0+"});
    host.at(1)->send("CMD_rolldice+1");
    host.at(1)->send("CMD_setscore+1+5");
    const QByteArray card = emptyCells(4) + "+30" + emptyCells(7) + cells({30, 0, 0, 0});
    EXPECT_ALL(host, {"CMD_thedice+1+y+1+1+5+2+5+3+2+4+3+5+5", "CMD_pscore+1+30+5" + card, "CMD_pscore+3+30+*5" + card});

    // Seat 2 scores; then the host plays seats 3 and 4, seat 3 on the card it shares with 1.
    GameReferee game(true, true);
    game.cards[1] = game.cards[3] = host.engine().turn().card(1);
    game.totals[1] = game.totals[3] = 30;
    for (;;) {
        const QByteArray message = host.at(1)->nextMessage();
        QVERIFY2(!message.isNull(), "the game stalled");
        if (message.startsWith("CMD_nextplayer+1+"))
            break;
        const QByteArray fault = game.take(message);
        QVERIFY2(fault.isEmpty(), (fault + ": " + message).constData());
        if (message.startsWith("CMD_nextplayer+2+")) {
            host.at(2)->send("CMD_rolldice+2");
            host.at(2)->send("CMD_setscore+2+12");
        }
    }
    QCOMPARE(game.turns, (QList<int>{2, 3, 4}));
    QCOMPARE(game.cards[1], game.cards[3]);
    QCOMPARE(game.cards[2], game.cards[4]);
    QCOMPARE(game.cards[1][5], 30);
    QVERIFY(game.cards[2][12] != rules::kEmptyCell);
    const auto scored = [](const rules::ScoreCells &card) {
        return int(std::count_if(card.cbegin() + 1, card.cbegin() + 13,
                                 [](int cell) { return cell != rules::kEmptyCell; }));
    };
    QCOMPARE(scored(game.cards[1]), 2);
    QCOMPARE(scored(game.cards[2]), 2);
}

void GameLoopbackTest::restartWhileRunning()
{
    LoopbackGame host;
    QVERIFY(host.seat({"Ann", "Bo"}));
    host.roundTrip();
    TestClient *ann = host.at(1);
    TestClient *bo = host.at(2);

    ann->send("CMD_startgame+1+f+false");
    ann->send("CMD_rolldice+1");
    ann->send("CMD_setscore+1+12");
    QVERIFY(bo->nextMessageStartingWith("CMD_nextplayer+2+").startsWith("CMD_nextplayer+2+1+0+0+"));
    bo->send("CMD_rolldice+2");
    bo->send("CMD_setdice+2+1");
    QCOMPARE(bo->nextMessageStartingWith("CMD_setdice+"), QByteArray("CMD_setdice+1"));
    host.roundTrip();

    // Seat 2 is in the middle of its turn, a die held, when a team game with bonus dice begins.
    rig({3, 1, 2, 3, 4, 5});
    ann->send("CMD_startgame+1+t+true");
    EXPECT_ALL(host, {"CMD_startgame+1+t+true", "CMD_setbonusdice+3", "CMD_nextplayer+1+1+0+0+"});
    bo->send("CMD_setscore+2+1");
    bo->send("CMD_unsetdice+2+1");
    QCOMPARE(host.roundTrip(2), (QMap<int, QList<QByteArray>>{{1, {}}, {2, {}}}));

    // Seat 1's Chance of the abandoned game is free again, and all five dice roll.
    ann->send("CMD_rolldice+1");
    ann->send("CMD_setscore+1+12");
    const QByteArray card = emptyCells(11) + cells({15, 0, 0, 15, 0});
    EXPECT_ALL(host, {"CMD_thedice+1+y+1+1+1+2+2+3+3+4+4+5+5", "CMD_pscore+1+15+12" + card,
                      "CMD_pscore+3+15+*12" + card});
    QVERIFY(bo->nextMessageStartingWith("CMD_nextplayer+").startsWith("CMD_nextplayer+2+1+0+0+"));
}

void GameLoopbackTest::arrivalAndDepartureMidGame()
{
    LoopbackGame host;
    QVERIFY(host.seat({"Ann", "Bo", "Cy"}));
    host.roundTrip();
    TestClient *cy = host.at(3);

    host.at(1)->send("CMD_startgame+1+f+true");
    EXPECT_ALL(host, {"CMD_startgame+1+f+true", "CMD_nextplayer+1+1+0+0+"});
    rig({1, 2, 3, 4, 6});
    host.at(1)->send("CMD_rolldice+1");
    host.at(1)->send("CMD_setscore+1+12");
    const QByteArray card1 = emptyCells(11) + cells({16, 0, 0, 16, 0});
    EXPECT_ALL(host, {"CMD_thedice+1+y+1+1+1+2+2+3+3+4+4+5+6", "CMD_pscore+1+16+12" + card1,
                    "CMD_pscore+3+16+*12" + card1, "CMD_nextplayer+2+1+0+0+"});
    rig({2, 2, 2, 2, 5});
    host.at(2)->send("CMD_rolldice+2");
    host.at(2)->send("CMD_setscore+2+7");
    const QByteArray card2 = emptyCells(6) + "+13" + emptyCells(5) + cells({0, 0, 13, 0});
    EXPECT_ALL(host, {"CMD_thedice+2+y+1+1+2+2+2+3+2+4+2+5+5", "CMD_pscore+2+13+7" + card2,
                    "CMD_pscore+4+13+*7" + card2, "CMD_nextplayer+3+1+16+0+"});
    rig({6, 5, 4, 3, 2});
    cy->send("CMD_rolldice+3");
    cy->send("CMD_setdice+3+1");
    EXPECT_ALL(host, {"CMD_thedice+3+y+1+1+6+2+5+3+4+4+3+5+2", "CMD_setdice+1"});

    // A newcomer in seat 4 learns whose turn it is, its roll count, the four cards and the
    // dice as they lie.
    TestClient *di = host.join("Di", 4);
    QVERIFY(di);
    QVERIFY(di->waitForMessages(10));
    QCOMPARE(di->takeAll(), (QList<QByteArray>{"CMD_existingplayers+1+Ann", "CMD_existingplayers+2+Bo",
                                               "CMD_existingplayers+3+Cy", "CMD_nextplayer+3+1+16+1+",
                                               "CMD_pscore+1+16+*" + card1,
                                               "CMD_pscore+2+13+*" + card2, "CMD_pscore+3+16+*" + card1,
                                               "CMD_pscore+4+13+*" + card2,
                                               "CMD_thedice+3+y+1+1+6+2+5+3+4+4+3+5+2", "CMD_setdice+1"}));

    // Seat 3 leaves with a die held: the turn passes to the newcomer at once, dice fresh.
    QVERIFY(host.leave(3));
    EXPECT_ALL(host, {"CMD_nextplayer+4+1+13+0+"});
    rig({1, 1, 1, 1, 1});
    di->send("CMD_rolldice+4");
    di->send("CMD_setscore+4+11");
    const QByteArray card4 = emptyCells(6) + "+13" + emptyCells(3) + "+50" + emptyCells(1) + cells({0, 0, 63, 0});
    EXPECT_ALL(host, {"CMD_thedice+4+y+1+1+1+2+1+3+1+4+1+5+1", "CMD_pscore+4+63+11" + card4,
                    "CMD_pscore+2+63+*11" + card4, "CMD_nextplayer+1+2+16+0+"});

    // From now on the host plays seat 3, on the card it shares with seat 1.
    host.at(1)->send("CMD_rolldice+1");
    host.at(1)->send("CMD_setscore+1+1");
    QVERIFY(host.at(2)->nextMessageStartingWith("CMD_nextplayer+").startsWith("CMD_nextplayer+2+2+"));
    host.at(2)->send("CMD_rolldice+2");
    host.at(2)->send("CMD_setscore+2+1");
    QList<QByteArray> seen;
    while (seen.isEmpty() || !seen.last().startsWith("CMD_nextplayer+4+")) {
        const QByteArray message = di->nextMessage();
        QVERIFY2(!message.isNull(), "seat 3 was not played");
        seen.append(message);
    }
    qsizetype turnStart = -1;
    for (qsizetype i = 0; i < seen.size(); ++i) {
        if (seen[i].startsWith("CMD_nextplayer+3+2+"))
            turnStart = i;
    }
    QVERIFY2(turnStart >= 0, seen.join('\n').constData());
    const QList<QByteArray> hostTurn = seen.mid(turnStart + 1);
    QVERIFY(hostTurn.first().startsWith("CMD_thedice+3+y+1+1+"));
    QVERIFY(hostTurn.size() >= 4);
    // The turn ends in seat 3's score, its copy for seat 1, and seat 4's next turn.
    const auto own = wire::readEntry(hostTurn.at(hostTurn.size() - 3));
    const auto copy = wire::readEntry(hostTurn.at(hostTurn.size() - 2));
    QVERIFY(own && own->word == wire::Word::pscore && copy && copy->word == wire::Word::pscore);
    const auto ownCard = wire::Card::decode(own->data);
    const auto copyCard = wire::Card::decode(copy->data);
    QVERIFY(ownCard && copyCard);
    QCOMPARE(ownCard->seat, 3);
    QCOMPARE(copyCard->seat, 1);
    QCOMPARE(copyCard->mark, wire::Card::PartnerCopy);
    QCOMPARE(copyCard->category, ownCard->category);
    QCOMPARE(copyCard->cells, ownCard->cells);
}

void GameLoopbackTest::newcomerTakesSeatTheHostPlays()
{
    LoopbackGame host;
    QVERIFY(host.seat({"Ann"}));
    host.roundTrip();
    TestClient *ann = host.at(1);
    ann->send("CMD_startgame+1+f+false");
    EXPECT_ALL(host, {"CMD_startgame+1+f+false", "CMD_nextplayer+1+1+0+0+"});

    // The host's step for seat 2 is still pending when someone connects into that slot.
    host.server.setTimer1Interval(60000);
    rig({1, 2, 3, 4, 6});
    ann->send("CMD_rolldice+1");
    ann->send("CMD_setscore+1+12");
    const QByteArray card = emptyCells(11) + cells({16, 0, 0, 16, 0});
    EXPECT_ALL(host, {"CMD_thedice+1+y+1+1+1+2+2+3+3+4+4+5+6", "CMD_pscore+1+16+12" + card,
                      "CMD_nextplayer+2+1+0+0+"});
    QVERIFY(host.engine().timer1Enabled());
    TestClient *bo = host.join("Bo", 2);
    QVERIFY(bo);
    QVERIFY(bo->waitForMessages(6));
    QCOMPARE(bo->takeAll(), (QList<QByteArray>{"CMD_existingplayers+1+Ann", "CMD_nextplayer+2+1+0+0+",
                                               "CMD_pscore+1+16+*" + card, "CMD_pscore+2+0+*" + emptyCells(16),
                                               "CMD_pscore+3+0+*" + emptyCells(16),
                                               "CMD_pscore+4+0+*" + emptyCells(16)}));

    // The pending step comes and finds a person in the seat: it does nothing.
    host.server.setTimer1Interval(kHostStepMs);
    QVERIFY(TestClient::waitUntil([&] { return !host.engine().timer1Enabled(); }));
    QCOMPARE(host.roundTrip(), (QMap<int, QList<QByteArray>>{{1, {}}, {2, {}}}));

    rig({6, 6, 6, 5, 5});
    bo->send("CMD_rolldice+2");
    bo->send("CMD_setscore+2+8");
    const QByteArray full = emptyCells(7) + "+28" + emptyCells(4) + cells({0, 0, 28, 0});
    EXPECT_ALL(host, {"CMD_thedice+2+y+1+1+6+2+6+3+6+4+5+5+5", "CMD_pscore+2+28+8" + full,
                      "CMD_nextplayer+1+2+16+0+"});
}

QTEST_GUILESS_MAIN(GameLoopbackTest)
#include "tst_gameloopback.moc"
