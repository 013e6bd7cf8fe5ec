// The game side of the client's model and commands, without widgets or sockets: each row plays
// host messages and the user's requests on a seated client and compares the parts of the state
// it names.
#include <QMap>
#include <optional>
#include <QTest>

#include "clientmodelfixture.h"

namespace {

// Bob in seat 2, Ann in 1 (the starter) and Cy in 3; seat 4 waits and the computer takes it.
const QString kSeated = QStringLiteral("CMD_sendlogininfo+2#CMD_newplayerinfo+1+Ann#CMD_newplayerinfo+2+Bob#"
                                       "CMD_newplayerinfo+3+Cy#CMD_startgame+1+f+false#");
const QString kOwnTurn = kSeated + QStringLiteral("CMD_nextplayer+2+3+0+0#");
// The own first roll: faces 4 4 1 6 2.
const QString kRolled = kOwnTurn + QStringLiteral("!roll#CMD_thedice+2+y+1+1+4+2+4+3+1+4+6+5+2#");
const QString kOthersTurn = kSeated + QStringLiteral("CMD_nextplayer+3+1+0+0#");
const QString kHoldAll = QStringLiteral("CMD_setdice+1#CMD_setdice+2#CMD_setdice+3#CMD_setdice+4#CMD_setdice+5#");

QString cells(const QString &values)
{
    QStringList all = values.split(QLatin1Char(' '));
    for (QString &v : all)
        v.replace(QLatin1Char('-'), QStringLiteral("1000"));
    return all.join(QLatin1Char('+'));
}

struct ModelFixture : ClientModelFixture {
    QStringList tally;
    int fives = 0;
    QString outcome;

    ModelFixture()
    {
        QObject::connect(&model, &GameModel::gameFinished, [this](const GameResult &result) {
            tally.append((result.winner == GameResult::Winner::Me ? QStringLiteral("me") : result.winnerText)
                         + QStringLiteral(" vs ") + result.opponents.join(QLatin1Char(',')));
        });
        QObject::connect(&model, &GameModel::ownFiveOfAKind, [this] { ++fives; });
    }

    // Messages with '#' after each; "!roll", "!die N", "!score N", "!check N" (with the
    // zero-score check) and "!watch" are the user's requests, "!closed" the connection's end.
    void play(const QString &steps)
    {
        static const char *outcomes[] = {"Ignored", "Sent", "AskFirst", "ReleaseFirst"};
        for (const QString &step : steps.split(QLatin1Char('#'), Qt::SkipEmptyParts)) {
            const int number = step.section(QLatin1Char(' '), 1).toInt();
            std::optional<ClientCommands::Outcome> got;
            if (step == QLatin1String("!roll"))
                got = commands.rolldice();
            else if (step.startsWith(QLatin1String("!die")))
                got = commands.clickDie(number);
            else if (step.startsWith(QLatin1String("!score")) || step.startsWith(QLatin1String("!check")))
                got = commands.chooseCategory(number, step.startsWith(QLatin1String("!check")));
            else if (step == QLatin1String("!watch"))
                commands.toggleJustWatch();
            else if (step == QLatin1String("!closed"))
                model.connectionClosed();
            else
                model.apply(toWire(step));
            if (got)
                outcome = QString::fromLatin1(outcomes[int(*got)]);
        }
    }

    QMap<QString, QString> state() const
    {
        auto flag = [](bool on) { return QString::number(int(on)); };
        static const char *columns[] = {"Initial", "Green", "Maroon"};
        QMap<QString, QString> s{
            {"canact", flag(model.canact())}, {"roll", flag(model.rollOffered())},
            {"rolls", QString::number(model.rolls())}, {"turn", model.turnText()},
            {"round", model.roundText()}, {"status", model.statusText()}, {"winner", model.winnerText()},
            {"sound", sounds.value(sounds.size() - 1)}, {"line", lastLine()}, {"tally", tally.join(';')},
            {"fives", QString::number(fives)}, {"outcome", outcome}, {"sent", QString::fromLatin1(sent.join('|'))},
            {"bonus", QString::number(model.bonusdie()) + (model.bonusShown() ? "shown" : "")},
            {"column", columns[int(model.ownColumn())] + QString::number(model.ownColumnSeat())},
            {"watch", flag(model.justWatching()) + ':' + flag(model.seat(1).watching) + flag(model.seat(2).watching)
                          + flag(model.seat(3).watching) + flag(model.seat(4).watching)}};
        for (int seat = 1; seat <= 4; ++seat) {
            QStringList values;
            for (int cell = 1; cell <= 16; ++cell) {
                const int v = model.seat(seat).cells[std::size_t(cell)];
                values.append(v == 1000 ? QStringLiteral("-") : QString::number(v));
            }
            s[QStringLiteral("name%1").arg(seat)] = model.seat(seat).name;
            s[QStringLiteral("card%1").arg(seat)] = values.join(' ') + " = " + model.seat(seat).total;
        }
        for (int die = 1; die <= 5; ++die) {
            const DieView &d = model.die(die);
            // mark and face, then b for the bonus picture and e for enabled
            s[QStringLiteral("die%1").arg(die)] =
                QChar::fromLatin1(d.mark) + QString::number(d.face) + (d.bonus ? "b" : "") + (d.enabled ? "e" : "");
            s[QStringLiteral("pos%1").arg(die)] = QStringLiteral("%1,%2").arg(d.pos.x()).arg(d.pos.y());
        }
        return s;
    }
};

} // namespace

class GameModelTest : public QObject {
    Q_OBJECT

private slots:
    void turns_data();
    void turns();
};

void GameModelTest::turns_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("expected");   // "key=value;key=value"

    // ---- starting and turns ----
    QTest::newRow("start") << "CMD_sendlogininfo+2#CMD_newplayerinfo+1+Ann#CMD_pscore+2+5+*+" + cells("5 - - - - - - - - - - - 5 0 - 0") + "#"
                           << "CMD_startgame+1+t+true#"
                           << "line=Ann has started a TEAM BONUS DICE game.;name3=Kling;name4=Klick;bonus=-1shown;"
                              "card2=- - - - - - - - - - - - - - - - = 0;column=Initial2;die1=10;canact=0";
    QTest::newRow("own turn") << kSeated << "CMD_nextplayer+2+3+0+0#"
                              << "turn=Your Turn.;round=Round: 3;roll=1;canact=1;column=Green2;sound=turn;rolls=0";
    QTest::newRow("another's turn") << kSeated << "CMD_nextplayer+3+4+0+0#"
                                    << "turn=Cy's turn.;roll=0;canact=0;column=Maroon2";
    QTest::newRow("new turn: dice to the start, marks kept") << kRolled + "CMD_setdice+2#" << "CMD_nextplayer+3+4+0+0#"
                                                             << "pos1=379,210;pos5=347,226;die2=s4e;rolls=0";
    // ---- rolls, holds and releases ----
    QTest::newRow("own roll") << kOwnTurn + "!roll#" << "CMD_thedice+2+y+1+1+4+2+4+3+1+4+6+5+2#"
                              << "die1=o4e;die4=o6e;roll=1;canact=1;rolls=1;sound=dice2";
    QTest::newRow("own last roll") << kOwnTurn + "!roll#" << "CMD_thedice+2+n+3+1+4#"
                                   << "die1=o4e;die2=10;roll=0;canact=1;rolls=3;status=Choose a category.";
    // The status line speaks of now: a game start clears it, a roll ends a request to release.
    QTest::newRow("a game start clears the status") << kRolled + "CMD_rollagain+#" << "CMD_startgame+1+f+false#"
                                                    << "status=";
    QTest::newRow("a roll after a release") << kRolled + kHoldAll + "!roll#CMD_unsetdice+2#" << "!roll#CMD_thedice+2+y+2+2+3#"
                                            << "status=;rolls=2";
    QTest::newRow("another's roll") << kOthersTurn << "CMD_thedice+3+y+2+1+4+2+5#"
                                    << "die1=o4;die2=o5;canact=0;roll=0;rolls=2;sound=dice";
    QTest::newRow("roll count 7 leaves the markers") << kRolled << "CMD_thedice+2+y+7+1+4#" << "rolls=1;die1=o4e";
    QTest::newRow("bonus face") << kSeated + "CMD_setbonusdice+4#CMD_nextplayer+2+1+0+0#" << "!roll#CMD_thedice+2+y+1+1+4+2+5#"
                                << "die1=o4be;die2=o5e;bonus=4shown";
    QTest::newRow("hold, release beside the tray") << kRolled << "CMD_setdice+3#CMD_setdice+5#CMD_unsetdice+5#"
                                                   << "die3=s1e;pos3=479,82;die5=o2e;pos5=425,146;sound=unsetdice";
    QTest::newRow("rollagain") << kOwnTurn + "!roll#" << "CMD_rollagain+#"
                               << "status=You need to roll the dice!;roll=1;canact=1;sound=error";
    // A refusal gives the roll back while the turn's last roll allowed another.
    QTest::newRow("chooseagain") << kRolled + "!score 5#" << "CMD_chooseagain+#"
                                 << "status=Invalid Choice, Choose Again!;canact=1;roll=1;sound=error";
    QTest::newRow("chooseagain after the last roll") << kOwnTurn + "!roll#CMD_thedice+2+n+3+1+4#!score 5#"
                                                     << "CMD_chooseagain+#" << "canact=1;roll=0";
    QTest::newRow("rollagain after a roll that allows another") << kRolled + "!score 5#" << "CMD_rollagain+#"
                                                                << "canact=1;roll=1";
    // ---- the card and the winner ----
    QTest::newRow("refresh: no status, no sound") << kSeated << "CMD_pscore+3+12+*+" + cells("- - 3 - - - - - - 9 - - 3 0 9 0") + "#"
                                                  << "card3=- - 3 - - - - - - 9 - - 3 0 9 0 = 12;status=;sound=";
    QTest::newRow("zero") << kSeated << "CMD_pscore+1+0+8+" + cells("- - - - - - - 0 - - - - 0 0 0 0") + "#"
                          << "status=Ann tagged a FULL HOUSE;sound=noscore";
    QTest::newRow("own five of a kind") << kSeated << "CMD_pscore+2+50+11+" + cells("- - - - - - - - - - 50 - 0 0 50 0") + "#"
                                        << "status=Bob tagged a 5 OF A KIND;sound=fivekind;fives=1";
    QTest::newRow("another's five of a kind") << kSeated << "CMD_pscore+3+50+11+" + cells("- - - - - - - - - - 50 - 0 0 50 0") + "#"
                                              << "sound=fivekind;fives=0";
    QTest::newRow("category 13: empty phrase") << kSeated << "CMD_pscore+1+0+13+" + cells("- - - - - - - - - - - - 0 0 0 0") + "#"
                                               << "status=Ann tagged ;sound=scored";
    QTest::newRow("two winners") << kSeated << "CMD_winner+Ann and Bob+x#"
                                 << "line=Ann and Bob have Won the Game!;winner=Ann and Bob have Won the Game!;"
                                    "turn=Winner's Score Card;tally=Ann and Bob vs Ann,Cy,Klick;sound=gameover";
    QTest::newRow("own win by the announced name") << "CMD_sendlogininfo+2#CMD_newplayerinfo+2+Bo y#" << "CMD_winner+Bo y+x#"
                                                   << "line=Bo y has Won the Game!;tally=me vs ";
    QTest::newRow("an opponent whose name reads like a marker") << kSeated << "CMD_winner+addtomine+x#"
                                                               << "tally=addtomine vs Ann,Cy,Klick";
    // ---- just watching ----
    QTest::newRow("another seat watches") << kSeated << "CMD_justwatching+3+1#" << "line=Cy is just watching;watch=0:0010";
    QTest::newRow("watch, then play") << kSeated + "CMD_justwatching+2+1#" << "CMD_justwatching+2+0#"
                                      << "line=Bob now playing again;watch=0:0000";
    QTest::newRow("a new game ends watching") << kSeated + "CMD_justwatching+2+1#" << "CMD_startgame+1+f+false#" << "watch=0:0000";
    QTest::newRow("asked twice before the answer") << kOwnTurn << "!watch#!watch#" << "sent=CMD_justwatch+2+1|CMD_justwatch+2+1";
    QTest::newRow("play again") << kOwnTurn + "CMD_justwatching+2+1#" << "!watch#" << "sent=CMD_justwatch+2+2";

    // ---- the roster, and a newcomer to a running game ----
    QTest::newRow("a player who leaves keeps the announced total")
        << kSeated + "CMD_pscore+3+12+*+" + cells("- - 3 - - - - - - 9 - - 3 0 9 0") + "#"
        << "CMD_justwatching+3+1#CMD_playerdisconnected+3+Cy#"
        << "name3=Kling;card3=- - 3 - - - - - - 9 - - 3 0 9 0 = 12;watch=0:0000;line=Cy disconnected.";
    QTest::newRow("a first turn without a start: the computer's seats named")
        << "CMD_sendlogininfo+3#CMD_existingplayers+1+Ann#CMD_newplayerinfo+3+Cy#" << "CMD_nextplayer+2+4+0+2#"
        << "name1=Ann;name2=Klot;name3=Cy;name4=Klick;turn=Klot's turn.;round=Round: 4;rolls=2";

    // ---- the end of the connection: why, and nothing more to play ----
    QTest::newRow("removed") << kRolled << "CMD_playerdisconnected+2+Bob#!closed#!roll#!die 1#!score 5#"
                             << "line=The host removed you from the game.;name2=Bob;outcome=Ignored;sent=;canact=0;"
                                "roll=0;die1=o4";
    QTest::newRow("the host closed") << kSeated << "CMD_playerdisconnected+1+Ann#!closed#"
                                     << "line=The host has closed the game.;name1=";
    QTest::newRow("closed in the own turn: no turn shown") << kRolled << "CMD_playerdisconnected+1+Ann#!closed#"
                                                          << "turn=Score Card;status=The host has closed the game.;"
                                                             "column=Maroon2;roll=0;die1=o4";
    QTest::newRow("closed after the winner: the winner's card stays")
        << kSeated + "CMD_winner+Ann+x#" << "!closed#"
        << "turn=Winner's Score Card;status=The connection to the host was lost.;winner=Ann has Won the Game!";
    QTest::newRow("lost") << kSeated << "!closed#" << "line=The connection to the host was lost.";
    QTest::newRow("a notice that something followed is none") << kSeated << "CMD_playerdisconnected+1+Ann#CMD_chat+x#!closed#"
                                                             << "line=The connection to the host was lost.";
    QTest::newRow("full: its box says it") << "" << "CMD_full+#!closed#" << "line=";

    // ---- the user's requests ----
    QTest::newRow("roll") << kOwnTurn << "!roll#" << "outcome=Sent;sent=CMD_rolldice+2;roll=0;canact=0";
    QTest::newRow("roll again before the answer") << kOwnTurn << "!roll#!roll#" << "outcome=Ignored;sent=CMD_rolldice+2";
    QTest::newRow("roll out of turn") << kOthersTurn << "!roll#" << "outcome=Ignored;sent=";
    QTest::newRow("roll with five held") << kRolled + kHoldAll << "!roll#"
                                         << "outcome=ReleaseFirst;sent=;status=Release a die first, then roll.;roll=1;canact=1";
    QTest::newRow("five held in the last turn") << kOthersTurn + "CMD_thedice+3+y+1+1+4+2+4+3+4+4+4+5+4#" + kHoldAll
                                                       + "CMD_nextplayer+2+2+0+0#"
                                                << "!roll#" << "outcome=Sent;sent=CMD_rolldice+2";
    QTest::newRow("hold") << kRolled << "!die 3#" << "sent=CMD_setdice+2+3;die3=o1e";
    QTest::newRow("release") << kRolled + "CMD_setdice+3#" << "!die 3#" << "sent=CMD_unsetdice+2+3";
    QTest::newRow("a die not yet placed asks for a release") << kOwnTurn << "!die 4#" << "sent=CMD_unsetdice+2+4";
    QTest::newRow("die out of turn") << kOthersTurn + "CMD_thedice+3+y+1+1+4#" << "!die 1#" << "outcome=Ignored;sent=";
    QTest::newRow("score before the first roll") << kOwnTurn << "!score 12#" << "outcome=Ignored;sent=;status=Roll first.";
    QTest::newRow("score") << kRolled << "!score 5#" << "sent=CMD_setscore+2+5;canact=0;roll=0";
    QTest::newRow("score 13") << kRolled << "!score 13#" << "outcome=Ignored;sent=";
    QTest::newRow("check: a 4 shows, Fours sent") << kRolled << "!check 4#" << "sent=CMD_setscore+2+4";
    QTest::newRow("check: no straight asks") << kRolled << "!check 10#" << "outcome=AskFirst;sent=;canact=1";
    QTest::newRow("check: Freebie never asks") << kRolled << "!check 12#" << "sent=CMD_setscore+2+12";
    QTest::newRow("no check: zero sent") << kRolled << "!score 10#" << "sent=CMD_setscore+2+10";
}

void GameModelTest::turns()
{
    QFETCH(QString, setup);
    QFETCH(QString, steps);
    QFETCH(QString, expected);
    ModelFixture f;
    f.play(setup);
    f.sent.clear();
    f.sounds.clear();
    f.play(steps);
    const QMap<QString, QString> state = f.state();
    for (const QString &pair : expected.split(QLatin1Char(';'))) {
        const QString key = pair.section(QLatin1Char('='), 0, 0);
        QVERIFY2(state.contains(key), qPrintable(key));
        QCOMPARE(key + '=' + state.value(key), pair);
    }
}

QTEST_GUILESS_MAIN(GameModelTest)
#include "tst_gamemodel.moc"
