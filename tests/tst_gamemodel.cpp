// The game side of the client's model and commands, without widgets or sockets: each row
// applies the host's messages to a seated client and compares the parts of the state it names.
#include <QMap>
#include <QTest>

#include "clientmodelfixture.h"

namespace {

// Bob in seat 2, Ann in 1 (the starter) and Cy in 3; seat 4 waits and the computer takes it.
const char kSeated[] = "CMD_sendlogininfo+2#CMD_newplayerinfo+1+Ann#CMD_newplayerinfo+2+Bob#"
                       "CMD_newplayerinfo+3+Cy#CMD_startgame+1+f+false#";
const char kOwnTurn[] = "CMD_nextplayer+2+3+0+0#";
const char kOwnRoll[] = "CMD_nextplayer+2+3+0+0#CMD_thedice+2+y+1+1+4+2+4+3+1+4+6+5+2#";

// The shared client fixture, with the game's signals counted and a snapshot of its state.
struct ModelFixture : ClientModelFixture {
    QStringList tally;
    int fives = 0;
    int signalsSeen = 0;

    ModelFixture()
    {
        QObject::connect(&model, &GameModel::gameFinished, [this](const QString &name) { tally.append(name); });
        QObject::connect(&model, &GameModel::ownFiveOfAKind, [this] { ++fives; });
        for (auto changed : {&GameModel::rosterChanged, &GameModel::boardChanged, &GameModel::headChanged,
                             &GameModel::justWatchChanged})
            QObject::connect(&model, changed, [this] { ++signalsSeen; });
        QObject::connect(&model, &GameModel::cardChanged, [this] { ++signalsSeen; });
    }

    // Messages written with '#' after each; "!roll" is the user's click on the roll button.
    void play(const QString &messages)
    {
        for (const QString &message : messages.split(QLatin1Char('#'), Qt::SkipEmptyParts)) {
            if (message == QLatin1String("!roll"))
                commands.rolldice();
            else
                model.apply(toWire(message));
        }
    }

    QMap<QString, QString> state() const
    {
        QMap<QString, QString> s;
        auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
        s[QStringLiteral("canact")] = flag(model.canact());
        s[QStringLiteral("roll")] = flag(model.rollOffered());
        s[QStringLiteral("start")] = flag(model.startOffered());
        s[QStringLiteral("rolls")] = QString::number(model.rolls());
        s[QStringLiteral("turn")] = model.turnText();
        s[QStringLiteral("round")] = model.roundText();
        s[QStringLiteral("status")] = model.statusText();
        s[QStringLiteral("winner")] = model.winnerText();
        s[QStringLiteral("sound")] = sounds.value(sounds.size() - 1);
        s[QStringLiteral("line")] = lastLine();
        s[QStringLiteral("tally")] = tally.join(QLatin1Char(','));
        s[QStringLiteral("fives")] = QString::number(fives);
        s[QStringLiteral("bonus")] = QString::number(model.bonusdie()) + (model.bonusShown() ? "shown" : "");
        static const char *columns[] = {"Initial", "Green", "Maroon"};
        s[QStringLiteral("column")] =
            QString::fromLatin1(columns[int(model.ownColumn())]) + QString::number(model.ownColumnSeat());
        QString watching = flag(model.justWatching()) + QLatin1Char(':');
        for (int seat = 1; seat <= 4; ++seat)
            watching += flag(model.seat(seat).watching);
        s[QStringLiteral("watch")] = watching;
        for (int seat = 1; seat <= 4; ++seat) {
            const SeatView &v = model.seat(seat);
            QStringList cells;
            for (int cell = 1; cell <= 16; ++cell)
                cells.append(v.cells[std::size_t(cell)] == 1000 ? QStringLiteral("-") : QString::number(v.cells[std::size_t(cell)]));
            s[QStringLiteral("name%1").arg(seat)] = v.name;
            s[QStringLiteral("card%1").arg(seat)] = cells.join(QLatin1Char(' ')) + QStringLiteral(" = ") + v.total;
        }
        for (int die = 1; die <= 5; ++die) {
            const DieView &d = model.die(die);
            // mark, face, b for a bonus picture, e for enabled
            s[QStringLiteral("die%1").arg(die)] = QString(QChar::fromLatin1(d.mark)) + QString::number(d.face)
                                                  + (d.bonus ? "b" : "") + (d.enabled ? "e" : "");
            s[QStringLiteral("pos%1").arg(die)] = QStringLiteral("%1,%2").arg(d.pos.x()).arg(d.pos.y());
        }
        s[QStringLiteral("sent")] = QString::fromLatin1(sent.join('|'));
        return s;
    }
};

// "key=value;key=value": the parts of the state a row expects.
QMap<QString, QString> expectations(const QString &text)
{
    QMap<QString, QString> wanted;
    for (const QString &pair : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        wanted[pair.left(equals)] = pair.mid(equals + 1);
    }
    return wanted;
}

void compareState(const ModelFixture &f, const QString &expected)
{
    const QMap<QString, QString> state = f.state();
    const QMap<QString, QString> wanted = expectations(expected);
    for (auto it = wanted.begin(); it != wanted.end(); ++it) {
        QVERIFY2(state.contains(it.key()), qPrintable(it.key()));
        QCOMPARE(it.key() + QLatin1Char('=') + state.value(it.key()), it.key() + QLatin1Char('=') + it.value());
    }
}

} // namespace

class GameModelTest : public QObject {
    Q_OBJECT

private slots:
    void handlers_data();
    void handlers();
    void badFieldsChangeNothing_data();
    void badFieldsChangeNothing();
    void commands_data();
    void commands();
};

void GameModelTest::handlers_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("messages");
    QTest::addColumn<QString>("expected");

    // ---- starting and turns ----
    QTest::newRow("start: line, computer names, card emptied, categories green")
        << "CMD_sendlogininfo+2#CMD_newplayerinfo+1+Ann#CMD_newplayerinfo+2+Bob#"
           "CMD_pscore+2+5+*+5+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+5+0+1000+0#"
        << "CMD_startgame+1+t+true#"
        << "line=Ann has started a TEAM BONUS DICE game.;name3=Kling;name4=Klick;bonus=-1shown;"
           "card2=- - - - - - - - - - - - - - - - = 0;column=Initial2;die1=10;canact=0";
    QTest::newRow("start without bonus hides the bonus die")
        << "CMD_sendlogininfo+2#CMD_newplayerinfo+1+Ann#CMD_setbonusdice+3#"
        << "CMD_startgame+1+f+false#" << "line=Ann has started a game.;bonus=-1";
    QTest::newRow("own turn") << kSeated << kOwnTurn
                              << "turn=Your Turn.;round=Round: 3;roll=1;canact=1;column=Green2;sound=turn;rolls=0";
    QTest::newRow("another's turn") << kSeated << "CMD_nextplayer+3+4+0+0#"
                                    << "turn=Cy's turn.;round=Round: 4;roll=0;canact=0;column=Maroon2;sound=";
    QTest::newRow("new turn: dice back at the start, marks and faces kept")
        << QString::fromLatin1(kSeated) + kOwnRoll + "CMD_setdice+2#" << "CMD_nextplayer+3+4+0+0#"
        << "pos1=379,210;pos2=323,250;pos3=395,250;pos4=363,258;pos5=347,226;die2=s4e;rolls=0";

    // ---- rolls, holds and releases ----
    QTest::newRow("own roll, again") << QString::fromLatin1(kSeated) + kOwnTurn + "!roll#"
                                     << "CMD_thedice+2+y+1+1+4+2+4+3+1+4+6+5+2#"
                                     << "die1=o4e;die4=o6e;roll=1;canact=1;rolls=1;sound=dice2";
    QTest::newRow("own third roll: no roll button")
        << QString::fromLatin1(kSeated) + kOwnTurn + "!roll#" << "CMD_thedice+2+n+3+1+4#"
        << "die1=o4e;die2=10;roll=0;canact=1;rolls=3;sound=dice2";
    QTest::newRow("another's roll: disabled, canact kept")
        << QString::fromLatin1(kSeated) + "CMD_nextplayer+3+1+0+0#" << "CMD_thedice+3+y+2+1+4+2+5#"
        << "die1=o4;die2=o5;canact=0;roll=0;rolls=2;sound=dice";
    QTest::newRow("roll count out of range leaves the markers")
        << QString::fromLatin1(kSeated) + kOwnRoll << "CMD_thedice+2+y+7+1+4#" << "rolls=1;die1=o4e";
    QTest::newRow("bonus face drawn from the bonus pictures")
        << QString::fromLatin1(kSeated) + "CMD_setbonusdice+4#" + kOwnTurn << "CMD_thedice+2+y+1+1+4+2+5#"
        << "die1=o4be;die2=o5e;bonus=4shown";
    QTest::newRow("hold") << QString::fromLatin1(kSeated) + kOwnRoll << "CMD_setdice+3#"
                          << "die3=s1e;pos3=479,82;sound=setdice";
    QTest::newRow("release beside the tray") << QString::fromLatin1(kSeated) + kOwnRoll + "CMD_setdice+5#"
                                             << "CMD_unsetdice+5#" << "die5=o2e;pos5=425,146;sound=unsetdice";
    QTest::newRow("rollagain") << QString::fromLatin1(kSeated) + kOwnTurn + "!roll#" << "CMD_rollagain+#"
                               << "status=You need to roll the dice!;roll=1;canact=1;sound=error";
    QTest::newRow("chooseagain") << QString::fromLatin1(kSeated) + kOwnRoll << "CMD_chooseagain+#"
                                 << "status=Invalid Choice, Choose Again!;canact=1;roll=1;sound=error";

    // ---- the card ----
    QTest::newRow("refresh: no status, no sound")
        << kSeated << "CMD_pscore+3+12+*+1000+1000+3+1000+1000+1000+1000+1000+1000+9+1000+1000+3+0+9+0#"
        << "card3=- - 3 - - - - - - 9 - - 3 0 9 0 = 12;status=Welcome to Morvello!;sound=";
    QTest::newRow("zero scored")
        << kSeated << "CMD_pscore+1+0+8+1000+1000+1000+1000+1000+1000+1000+0+1000+1000+1000+1000+0+0+0+0#"
        << "status=Ann tagged a FULL HOUSE;sound=noscore;card1=- - - - - - - 0 - - - - 0 0 0 0 = 0";
    QTest::newRow("own five of a kind counts")
        << kSeated << "CMD_pscore+2+50+11+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+50+1000+0+0+50+0#"
        << "status=Bob tagged a 5 OF A KIND;sound=fivekind;fives=1";
    QTest::newRow("another's five of a kind does not count")
        << kSeated << "CMD_pscore+3+50+11+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+50+1000+0+0+50+0#"
        << "sound=fivekind;fives=0";
    QTest::newRow("own zero five of a kind")
        << kSeated << "CMD_pscore+2+0+11+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+0+1000+0+0+0+0#"
        << "sound=noscore;fives=0";
    QTest::newRow("category outside 1..12: empty phrase")
        << kSeated << "CMD_pscore+1+0+13+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+0+0+0+0#"
        << "status=Ann tagged ;sound=scored";

    // ---- winner ----
    QTest::newRow("two winners") << kSeated << "CMD_winner+Ann and Bob+x#"
                                 << "line=Ann and Bob have Won the Game!;winner=Ann and Bob have Won the Game!;"
                                    "turn=Winner's Score Card;tally=Ann and Bob;start=0;sound=gameover";
    QTest::newRow("own win by the announced name")
        << "CMD_sendlogininfo+2#CMD_newplayerinfo+2+Bo y#" << "CMD_winner+Bo y+x#"
        << "line=Bo y has Won the Game!;tally=addtomine";

    // ---- just watching ----
    QTest::newRow("another seat watches") << kSeated << "CMD_justwatching+3+1#"
                                          << "line=Cy is just watching;watch=0:0010";
    QTest::newRow("own seat watches, then plays") << QString::fromLatin1(kSeated) + "CMD_justwatching+2+1#"
                                                  << "CMD_justwatching+2+0#"
                                                  << "line=Bob now playing again;watch=0:0000";
    QTest::newRow("a new game ends watching") << QString::fromLatin1(kSeated) + "CMD_justwatching+2+1#"
                                              << "CMD_startgame+1+f+false#" << "watch=0:0000";
}

void GameModelTest::handlers()
{
    QFETCH(QString, setup);
    QFETCH(QString, messages);
    QFETCH(QString, expected);
    ModelFixture f;
    f.play(setup);
    f.sounds.clear();
    f.play(messages);
    compareState(f, expected);
}

void GameModelTest::badFieldsChangeNothing_data()
{
    QTest::addColumn<QString>("message");
    QTest::newRow("seat 0") << "CMD_nextplayer+0+1+0+0";
    QTest::newRow("seat 12") << "CMD_pscore+12+5+1+5+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+5+0+1000+0";
    QTest::newRow("die 7") << "CMD_setdice+7";
    QTest::newRow("die 0") << "CMD_unsetdice+0";
    QTest::newRow("face 9") << "CMD_thedice+2+y+1+1+4+2+9";
    QTest::newRow("odd dice fields") << "CMD_thedice+2+y+1+1+4+2";
    QTest::newRow("bonus face 0") << "CMD_setbonusdice+0";
    QTest::newRow("cell not a number") << "CMD_pscore+1+5+1+x+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+1000+5+0+1000+0";
    QTest::newRow("starter 10") << "CMD_startgame+10+f+false";
}

void GameModelTest::badFieldsChangeNothing()
{
    QFETCH(QString, message);
    ModelFixture f;
    f.play(QString::fromLatin1(kSeated) + kOwnRoll);
    const QMap<QString, QString> before = f.state();
    const int signalsBefore = f.signalsSeen;
    f.play(message);
    QCOMPARE(f.state(), before);
    QCOMPARE(f.signalsSeen, signalsBefore);
}

void GameModelTest::commands_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("action");   // roll, die N, score N, check N (with the zero check), watch
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QString>("expected");

    const QString turn = QString::fromLatin1(kSeated) + kOwnTurn;
    const QString rolled = QString::fromLatin1(kSeated) + kOwnRoll;   // faces 4 4 1 6 2
    QTest::newRow("roll") << turn << "roll" << "Sent" << "sent=CMD_rolldice+2;roll=0;canact=0";
    QTest::newRow("roll out of turn") << QString::fromLatin1(kSeated) + "CMD_nextplayer+3+1+0+0#" << "roll"
                                      << "Ignored" << "sent=";
    QTest::newRow("roll while waiting for the host") << turn << "roll roll" << "Ignored" << "sent=CMD_rolldice+2";
    QTest::newRow("roll with five held")
        << rolled + "CMD_setdice+1#CMD_setdice+2#CMD_setdice+3#CMD_setdice+4#CMD_setdice+5#" << "roll"
        << "ReleaseFirst" << "sent=;status=Release a die first, then roll.;roll=1;canact=1";
    QTest::newRow("five held in the last turn do not stop the first roll")
        << QString::fromLatin1(kSeated) + "CMD_nextplayer+3+1+0+0#CMD_thedice+3+y+1+1+4+2+4+3+4+4+4+5+4#"
               "CMD_setdice+1#CMD_setdice+2#CMD_setdice+3#CMD_setdice+4#CMD_setdice+5#" + kOwnTurn
        << "roll" << "Sent" << "sent=CMD_rolldice+2";
    QTest::newRow("hold a free die") << rolled << "die 3" << "Sent" << "sent=CMD_setdice+2+3;die3=o1e";
    QTest::newRow("release a held die") << rolled + "CMD_setdice+3#" << "die 3" << "Sent" << "sent=CMD_unsetdice+2+3";
    QTest::newRow("a die never placed asks for a release") << turn << "die 4" << "Sent" << "sent=CMD_unsetdice+2+4";
    QTest::newRow("die out of turn") << QString::fromLatin1(kSeated) + "CMD_nextplayer+3+1+0+0#CMD_thedice+3+y+1+1+4#"
                                     << "die 1" << "Ignored" << "sent=";
    QTest::newRow("score before the first roll") << turn << "score 12" << "Ignored" << "sent=";
    QTest::newRow("score") << rolled << "score 5" << "Sent" << "sent=CMD_setscore+2+5;canact=0;roll=0";
    QTest::newRow("score 13 chooses nothing") << rolled << "score 13" << "Ignored" << "sent=";
    QTest::newRow("zero check: made, sent at once") << rolled << "check 4" << "Sent" << "sent=CMD_setscore+2+4";
    QTest::newRow("zero check: Fours without a 4 asks") << QString::fromLatin1(kSeated) + kOwnTurn
                                                              + "CMD_thedice+2+y+1+1+1+2+2+3+3+4+5+5+6#"
                                                        << "check 4" << "AskFirst" << "sent=;canact=1";
    QTest::newRow("zero check: Freebie never asks") << rolled << "check 12" << "Sent" << "sent=CMD_setscore+2+12";
    QTest::newRow("zero check: no straight asks") << rolled << "check 10" << "AskFirst" << "sent=";
    QTest::newRow("zero check off: zero sent") << rolled << "score 10" << "Sent" << "sent=CMD_setscore+2+10";
    QTest::newRow("just watch asked twice before the answer")
        << turn << "watch watch" << "Sent" << "sent=CMD_justwatch+2+1|CMD_justwatch+2+1";
    QTest::newRow("play again while watching") << turn + "CMD_justwatching+2+1#" << "watch" << "Sent"
                                               << "sent=CMD_justwatch+2+2";
}

void GameModelTest::commands()
{
    QFETCH(QString, setup);
    QFETCH(QString, action);
    QFETCH(QString, outcome);
    QFETCH(QString, expected);
    ModelFixture f;
    f.play(setup);
    f.sent.clear();
    const QStringList words = action.split(QLatin1Char(' '));
    ClientCommands::Outcome got = ClientCommands::Outcome::Sent;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString &word = words[i];
        const int number = words.value(i + 1).toInt();
        if (word == QLatin1String("roll"))
            got = f.commands.rolldice();
        else if (word == QLatin1String("die"))
            got = f.commands.clickDie(number);
        else if (word == QLatin1String("score") || word == QLatin1String("check"))
            got = f.commands.chooseCategory(number, word == QLatin1String("check"));
        else if (word == QLatin1String("watch"))
            f.commands.toggleJustWatch();
    }
    static const char *names[] = {"Ignored", "Sent", "AskFirst", "ReleaseFirst"};
    QCOMPARE(QString::fromLatin1(names[int(got)]), outcome);
    compareState(f, expected);
}

QTEST_GUILESS_MAIN(GameModelTest)
#include "tst_gamemodel.moc"
