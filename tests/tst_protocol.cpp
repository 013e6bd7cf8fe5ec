#include <QTest>

#include <algorithm>
#include <cstring>

#include "protocol/catalogue.h"
#include "protocol/fieldreader.h"
#include "protocol/message.h"
#include "protocol/messageframer.h"

class ProtocolTest : public QObject {
    Q_OBJECT

private slots:
    void framing_data();
    void framing();
    void framingKeepsSplitMessageUntilTerminated();
    void framingRefusesLongMessagesHoweverSplit_data();
    void framingRefusesLongMessagesHoweverSplit();
    void quotingForLog_data();
    void quotingForLog();
    void fieldsAndStrictIntegers();
    void catalogueRoundTrip_data();
    void catalogueRoundTrip();
};

static QByteArray ff(const char *text)
{
    QByteArray bytes(text);
    bytes.replace('#', kTerminator);
    return bytes;
}

void ProtocolTest::framing_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QList<QByteArray>>("messages");
    QTest::addColumn<qsizetype>("pending");

    QTest::newRow("two in one read") << ff("CMD_a+1#CMD_b+2#") << QList<QByteArray>{"CMD_a+1", "CMD_b+2"} << qsizetype(0);
    QTest::newRow("tail kept") << ff("CMD_a+1#CMD_b") << QList<QByteArray>{"CMD_a+1"} << qsizetype(5);
    QTest::newRow("empty messages") << ff("##") << QList<QByteArray>{"", ""} << qsizetype(0);
    QTest::newRow("login doubled terminator") << ff("CMD_logininfo+1+1.0.1+You##")
                                              << QList<QByteArray>{"CMD_logininfo+1+1.0.1+You", ""} << qsizetype(0);
    QTest::newRow("nothing complete") << QByteArray("CMD_chat+1+hi") << QList<QByteArray>{} << qsizetype(13);
}

void ProtocolTest::framing()
{
    QFETCH(QByteArray, input);
    QFETCH(QList<QByteArray>, messages);
    QFETCH(qsizetype, pending);
    MessageFramer framer;
    QCOMPARE(framer.feed(input), messages);
    QCOMPARE(framer.pendingSize(), pending);
}

void ProtocolTest::framingKeepsSplitMessageUntilTerminated()
{
    MessageFramer framer;
    QVERIFY(framer.feed("CMD_chat+1+hel").isEmpty());
    QVERIFY(framer.feed("lo there").isEmpty());
    QCOMPARE(framer.feed(ff("|clBlack#CMD_x")), QList<QByteArray>{"CMD_chat+1+hello there|clBlack"});
    QCOMPARE(framer.feed(ff("+#")), QList<QByteArray>{"CMD_x+"});
}

void ProtocolTest::framingRefusesLongMessagesHoweverSplit_data()
{
    QTest::addColumn<qsizetype>("length");       // of the message, without terminator
    QTest::addColumn<bool>("terminated");
    QTest::addColumn<qsizetype>("piece");        // bytes per feed; 0 = all at once
    QTest::addColumn<bool>("refused");

    const qsizetype max = MessageFramer::kMaxPending;
    QTest::newRow("longest, one read") << max << true << qsizetype(0) << false;
    QTest::newRow("longest, many reads") << max << true << qsizetype(1000) << false;
    QTest::newRow("one over, one read") << max + 1 << true << qsizetype(0) << true;
    QTest::newRow("one over, many reads") << max + 1 << true << qsizetype(1000) << true;
    QTest::newRow("100 KB, reads of 32 KiB") << qsizetype(100000) << true << qsizetype(32768) << true;
    QTest::newRow("unterminated, at the limit") << max << false << qsizetype(4096) << false;
    QTest::newRow("unterminated, over it") << max + 1 << false << qsizetype(4096) << true;
}

void ProtocolTest::framingRefusesLongMessagesHoweverSplit()
{
    QFETCH(qsizetype, length);
    QFETCH(bool, terminated);
    QFETCH(qsizetype, piece);
    QFETCH(bool, refused);

    // A short message on each side shows what comes out around the long one.
    QByteArray stream = ff("CMD_a+1#") + "CMD_b+" + QByteArray(length - 6, 'x');
    if (terminated)
        stream += ff("#CMD_c+3#");
    MessageFramer framer;
    QList<QByteArray> out;
    for (qsizetype at = 0; at < stream.size(); at += piece ? piece : stream.size())
        out += framer.feed(QByteArrayView(stream).sliced(at).first(std::min(stream.size() - at, piece ? piece : stream.size())));

    QCOMPARE(framer.overLimit(), refused);
    if (refused) {
        // What came before the long one comes out; nothing of it or after it does until the
        // framer is cleared.
        QCOMPARE(out, QList<QByteArray>{"CMD_a+1"});
        QCOMPARE(framer.pendingSize(), 0);
        QVERIFY(framer.feed(ff("CMD_d+4#")).isEmpty());
        framer.clear();
        QCOMPARE(framer.feed(ff("CMD_d+4#")), QList<QByteArray>{"CMD_d+4"});
    } else if (terminated) {
        QCOMPARE(out.size(), 3);
        QCOMPARE(out[1].size(), length);
        QCOMPARE(out[2], QByteArray("CMD_c+3"));
    } else {
        QCOMPARE(out, QList<QByteArray>{"CMD_a+1"});
        QCOMPARE(framer.pendingSize(), length);
    }
}

void ProtocolTest::quotingForLog_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QByteArray>("quoted");

    QTest::newRow("plain") << QByteArray("2x") << QByteArray("'2x'");
    QTest::newRow("empty") << QByteArray("") << QByteArray("''");
    QTest::newRow("escape sequence") << QByteArray("\x1b[2J\r\n\0", 7) << QByteArray("'\\x1B[2J\\x0D\\x0A\\x00'");
    QTest::newRow("quote, backslash, high bytes") << QByteArray("a'b\\\xff\x9b")
                                                  << QByteArray("'a\\x27b\\x5C\\xFF\\x9B'");
    QTest::newRow("cut at 40") << QByteArray(41, 'y') << "'" + QByteArray(40, 'y') + "'...";
    QTest::newRow("40 is whole") << QByteArray(40, 'y') << "'" + QByteArray(40, 'y') + "'";
}

void ProtocolTest::quotingForLog()
{
    QFETCH(QByteArray, field);
    QFETCH(QByteArray, quoted);
    QCOMPARE(quotedForLog(field), quoted);
    // The same form reaches a conversion error's report, however long the field.
    if (!field.isEmpty()) {
        try {
            FieldReader::toInt(field + QByteArray(100000, 'z'));
            QFAIL("converted");
        } catch (const FieldError &error) {
            QVERIFY(std::strlen(error.what()) < 250);
        }
    }
}

void ProtocolTest::fieldsAndStrictIntegers()
{
    FieldReader reader("2+1.0.1+Ann+the+rest");
    QCOMPARE(reader.takeInt(), 2);
    QCOMPARE(reader.takeText(), QByteArray("1.0.1"));
    QCOMPARE(reader.rest(), QByteArray("Ann+the+rest"));

    QCOMPARE(FieldReader::toInt("-17"), -17);
    QCOMPARE(FieldReader::toInt("2147483647"), 2147483647);
    QCOMPARE(FieldReader::toInt("-2147483648"), int(-2147483648LL));
    for (const char *bad : {"", "-", " 1", "1 ", "1a", "0x10", "$10", "2147483648", "99999999999999999999", "+1"})
        QVERIFY_THROWS_EXCEPTION(FieldError, FieldReader::toInt(bad));

    FieldReader last("7");
    QCOMPARE(last.takeInt(), 7);
    QVERIFY(last.atEnd());
    QVERIFY_THROWS_EXCEPTION(FieldError, last.takeInt());
}

namespace {

QByteArray show(int n) { return QByteArray::number(n); }
QByteArray show(bool b) { return b ? "yes" : "no"; }
QByteArray show(QByteArrayView text) { return text.toByteArray(); }
QByteArray show(const QByteArray &text) { return text; }
template <class First, class Second, class... Rest>
QByteArray show(const First &first, const Second &second, const Rest &...rest)
{
    return QList<QByteArray>{show(first), show(second), show(rest)...}.join('|');
}

QByteArray show(const wire::LoginInfo &m) { return show(m.slot, m.version, m.name); }
QByteArray show(const wire::ChatRequest &m) { return show(m.action, m.slot, m.text); }
QByteArray show(const wire::StartRequest &m) { return show(m.slot, m.bonus, m.team); }
QByteArray show(const wire::WatchRequest &m) { return show(m.seat, int(m.mode)); }
QByteArray show(const wire::RollRequest &m) { return show(m.slot); }
QByteArray show(const wire::DieRequest &m) { return show(m.hold, m.slot, m.die); }
QByteArray show(const wire::ScoreRequest &m) { return show(m.slot, m.category, m.categoryInRange()); }
QByteArray show(const wire::LoginAsk &m) { return show(m.slot); }
QByteArray show(const wire::PlayerInfo &m) { return show(m.existing, m.slot, m.name); }
QByteArray show(const wire::OtherVersion &m) { return show(m.name); }
QByteArray show(const wire::PlayerLeft &m) { return show(m.slot, m.name); }
QByteArray show(const wire::RelayedLine &m)
{
    return show(m.action, m.text(), m.colour() ? *m.colour() : QByteArrayView("-"));
}
QByteArray show(const wire::GameStart &m) { return show(m.starter, m.bonusGame(), m.teamGame()); }
QByteArray show(const wire::BonusDie &m) { return show(m.face); }
QByteArray show(const wire::NextPlayer &m) { return show(m.seat, m.round, m.total, m.rolls); }
QByteArray show(const wire::Roll &m)
{
    QByteArray dice;
    for (int i = 0; i < m.count; ++i)
        dice += show(m.dice[std::size_t(i)].die) + '=' + show(m.dice[std::size_t(i)].face) + ' ';
    return show(m.seat, m.again, m.rolls, dice.trimmed());
}
QByteArray show(const wire::DieMoved &m) { return show(m.held, m.die); }
QByteArray show(const wire::Card &m)
{
    QByteArray cells;
    for (int c = 1; c <= wire::Card::kCells; ++c)
        cells += show(m.cells[std::size_t(c)]) + ' ';
    if (m.mark == wire::Card::Scored)
        return show(m.seat, m.total, int(m.mark), m.category, m.categoryInRange(), cells.trimmed());
    return show(m.seat, m.total, int(m.mark), m.category, cells.trimmed());
}
QByteArray show(const wire::WatchChanged &m) { return show(m.seat, m.watching); }
QByteArray show(const wire::Winner &m) { return show(m.names, m.total); }

struct Outcome {
    QByteArray shown;    // the decoded fields, or "error: " and what was wrong
    QByteArray encoded;  // the decoded message encoded again, without terminator
};

template <class T>
Outcome outcome(const wire::Decoded<T> &decoded)
{
    if (!decoded)
        return {"error: " + decoded.error(), {}};
    const QByteArray framed = decoded->encode();
    // Every message leaves whole, with exactly one terminator at its end.
    if (!framed.endsWith(kTerminator) || framed.count(kTerminator) != 1)
        return {"bad framing", {}};
    return {show(*decoded), framed.chopped(1)};
}

// Reads an entry as the host (fromClient) or a client reads it.
Outcome read(const QByteArray &entry, bool fromClient)
{
    using wire::Word;
    const std::optional<wire::Entry> e = wire::readEntry(entry);
    if (!e)
        return {"no command", {}};
    const QByteArrayView d = e->data;
    const Word w = e->word;
    if (fromClient) {
        switch (w) {
        case Word::logininfo: return outcome(wire::LoginInfo::decode(d));
        case Word::chat:
        case Word::action: return outcome(wire::ChatRequest::decode(d, w == Word::action));
        case Word::startgame: return outcome(wire::StartRequest::decode(d));
        case Word::justwatch: return outcome(wire::WatchRequest::decode(d));
        case Word::rolldice: return outcome(wire::RollRequest::decode(d));
        case Word::setdice:
        case Word::unsetdice: return outcome(wire::DieRequest::decode(d, w == Word::setdice));
        case Word::setscore: return outcome(wire::ScoreRequest::decode(d));
        default: return {"not from a client", {}};
        }
    }
    switch (w) {
    case Word::sendlogininfo: return outcome(wire::LoginAsk::decode(d));
    case Word::full:
    case Word::wrongversion:
    case Word::rollagain:
    case Word::chooseagain: return {"notice", wire::Notice{w}.encode().chopped(1)};
    case Word::newplayerinfo:
    case Word::existingplayers: return outcome(wire::PlayerInfo::decode(d, w == Word::existingplayers));
    case Word::havewrongversion: return outcome(wire::OtherVersion::decode(d));
    case Word::playerdisconnected: return outcome(wire::PlayerLeft::decode(d));
    case Word::chat:
    case Word::action: return outcome(wire::RelayedLine::decode(d, w == Word::action));
    case Word::startgame: return outcome(wire::GameStart::decode(d));
    case Word::setbonusdice: return outcome(wire::BonusDie::decode(d));
    case Word::nextplayer: return outcome(wire::NextPlayer::decode(d));
    case Word::thedice: return outcome(wire::Roll::decode(d));
    case Word::setdice:
    case Word::unsetdice: return outcome(wire::DieMoved::decode(d, w == Word::setdice));
    case Word::pscore: return outcome(wire::Card::decode(d));
    case Word::justwatching: return outcome(wire::WatchChanged::decode(d));
    case Word::winner: return outcome(wire::Winner::decode(d));
    default: return {"not from the host", {}};
    }
}

// Sixteen cells; "-" is an empty cell.
QByteArray cells(const char *values)
{
    return QByteArray(values).replace("-", "1000").replace(' ', '+');
}

} // namespace

void ProtocolTest::catalogueRoundTrip_data()
{
    QTest::addColumn<bool>("fromClient");
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<QByteArray>("shown");
    QTest::addColumn<QByteArray>("again");   // the entry encoded again; empty when it is the entry

    const QByteArray sixes = cells("- - - - - 24 - - - - - - 24 0 0 0");
    const QByteArray sixesShown = "1000 1000 1000 1000 1000 24 1000 1000 1000 1000 1000 1000 24 0 0 0";
    auto row = [](const char *name, bool fromClient, const QByteArray &entry, const QByteArray &shown,
                  const QByteArray &again = {}) {
        QTest::newRow(name) << fromClient << entry << shown << again;
    };

    // From a client, every layout.
    row("login", true, "CMD_logininfo+2+1.0.1+Ann+Lee", "2|1.0.1|Ann+Lee");
    row("chat", true, "CMD_chat+3+a+b|c|clBlack", "no|3|a+b|c|clBlack");
    row("action", true, "CMD_action+3+waves|$00FF0000", "yes|3|waves|$00FF0000");
    row("start", true, "CMD_startgame+1+t+true", "1|t|true");
    row("watch", true, "CMD_justwatch+2+1", "2|1");
    row("play again", true, "CMD_justwatch+4+2", "4|2");
    row("other mode passed on", true, "CMD_justwatch+2+3", "2|0", "CMD_justwatch+2+");
    row("roll", true, "CMD_rolldice+4", "4");
    row("hold", true, "CMD_setdice+1+5", "yes|1|5");
    row("release", true, "CMD_unsetdice+9+1", "no|9|1");
    row("score", true, "CMD_setscore+2+12", "2|12|yes");
    row("category 13 passed on, marked", true, "CMD_setscore+2+13", "2|13|no");
    row("category 0 passed on, marked", true, "CMD_setscore+2+0", "2|0|no");
    // From the host, every layout.
    row("login asked", false, "CMD_sendlogininfo+9", "9");
    row("full", false, "CMD_full+", "notice");
    row("other version", false, "CMD_wrongversion+", "notice");
    row("roll first", false, "CMD_rollagain+", "notice");
    row("choose again", false, "CMD_chooseagain+", "notice");
    row("new player", false, "CMD_newplayerinfo+5+Spy+One", "no|5|Spy+One");
    row("existing, not logged in", false, "CMD_existingplayers+2+", "yes|2|");
    row("wrong version of", false, "CMD_havewrongversion+Ann", "Ann");
    row("left", false, "CMD_playerdisconnected+6+Spy", "6|Spy");
    row("relayed chat", false, "CMD_chat+Ann chats: 1+1|2|clRed", "no|Ann chats: 1+1|2|clRed");
    row("relayed action without colour", false, "CMD_action+Ann waves", "yes|Ann waves|-");
    row("game started", false, "CMD_startgame+1+f+false", "1|no|no");
    row("bonus die", false, "CMD_setbonusdice+6", "6");
    row("next player", false, "CMD_nextplayer+2+12+231+0+", "2|12|231|0");
    row("first roll", false, "CMD_thedice+2+y+1+1+4+2+6+3+1+4+5+5+2", "2|yes|1|1=4 2=6 3=1 4=5 5=2");
    row("last roll", false, "CMD_thedice+1+n+3+2+6", "1|no|3|2=6");
    row("die held", false, "CMD_setdice+3", "yes|3");
    row("die released", false, "CMD_unsetdice+5", "no|5");
    row("score line", false, "CMD_pscore+2+24+6+" + sixes, "2|24|0|6|yes|" + sixesShown);
    row("partner's copy", false, "CMD_pscore+4+24+*6+" + sixes, "4|24|1|6|" + sixesShown);
    row("refresh", false, "CMD_pscore+1+24+*+" + sixes, "1|24|2|0|" + sixesShown);
    row("watching", false, "CMD_justwatching+3+1", "3|yes");
    row("playing again", false, "CMD_justwatching+3+2", "3|no");
    row("winners", false, "CMD_winner+Bob and Cy+251+", "Bob and Cy|251");
    row("winner with plus", false, "CMD_winner+C+D+9+", "C+D|9");
    row("winner's total unused", false, "CMD_winner+Ann and Bob+x", "Ann and Bob|0", "CMD_winner+Ann and Bob+0+");
    row("card of category 13, marked", false, "CMD_pscore+1+24+13+" + sixes, "1|24|0|13|no|" + sixesShown);

    // Fields that do not convert or would index past a table stop the message.
    const char *notInt = "error: '%1' is not a valid integer value";
    auto bad = [notInt](const char *name, bool fromClient, const QByteArray &entry, const char *why,
                        const char *field = nullptr) {
        const QByteArray error = field ? QByteArray(notInt).replace("%1", field) : "error: " + QByteArray(why);
        QTest::newRow(name) << fromClient << entry << error << QByteArray();
    };
    bad("login slot 0", true, "CMD_logininfo+0+1.0.1+Ann", "slot 0 out of range");
    bad("login slot not a number", true, "CMD_logininfo+x+1.0.1+Ann", nullptr, "x");
    bad("chat slot 10", true, "CMD_chat+10+hi|clBlack", "slot 10 out of range");
    bad("start slot not a number", true, "CMD_startgame+x+t+true", nullptr, "x");
    bad("watch seat 5", true, "CMD_justwatch+5+1", "seat 5 out of range");
    bad("watch seat not a number", true, "CMD_justwatch+one+1", nullptr, "one");
    bad("roll with a space", true, "CMD_rolldice+1 ", nullptr, "1 ");
    bad("roll slot 0", true, "CMD_rolldice+0", "slot 0 out of range");
    bad("hold die 6", true, "CMD_setdice+1+6", "die 6 out of range");
    bad("hold die -1", true, "CMD_setdice+1+-1", "die -1 out of range");
    bad("release die 0", true, "CMD_unsetdice+1+0", "die 0 out of range");
    bad("hold without a die", true, "CMD_setdice+1+", nullptr, "");
    bad("release with two dice", true, "CMD_unsetdice+1+2+3", nullptr, "2+3");
    bad("score not a number", true, "CMD_setscore+1+a", nullptr, "a");
    bad("score without a category", true, "CMD_setscore+1", nullptr, "");
    bad("login asked for slot 10", false, "CMD_sendlogininfo+10", "slot 10 out of range");
    bad("new player in slot 0", false, "CMD_newplayerinfo+0+X", "slot 0 out of range");
    bad("new player in slot -2", false, "CMD_newplayerinfo+-2+Eve", "slot -2 out of range");
    bad("existing in slot x3", false, "CMD_existingplayers+x3+Eve", nullptr, "x3");
    bad("left slot without a number", false, "CMD_playerdisconnected++Eve", nullptr, "");
    bad("left slot 12", false, "CMD_playerdisconnected+12+X", "slot 12 out of range");
    bad("game started by slot 0", false, "CMD_startgame+0+t+true", "slot 0 out of range");
    bad("bonus face 0", false, "CMD_setbonusdice+0", "face 0 out of range");
    bad("bonus face 7", false, "CMD_setbonusdice+7", "face 7 out of range");
    bad("turn of seat 0", false, "CMD_nextplayer+0+1+0+0+", "seat 0 out of range");
    bad("turn of seat 5", false, "CMD_nextplayer+5+1+0+0+", "seat 5 out of range");
    bad("turn at roll 4", false, "CMD_nextplayer+1+1+0+4+", "roll count 4 out of range");
    bad("roll of die 6", false, "CMD_thedice+1+y+1+6+2", "die 6 out of range");
    bad("roll face 9", false, "CMD_thedice+2+y+1+1+4+2+9", "face 9 out of range");
    bad("a die without a face", false, "CMD_thedice+2+y+1+1+4+2", "die without a face");
    bad("six dice", false, "CMD_thedice+2+y+1+1+1+2+2+3+3+4+4+5+5+1+6", "more than five dice");
    bad("die 7 held", false, "CMD_setdice+7", "die 7 out of range");
    bad("die 0 released", false, "CMD_unsetdice+0", "die 0 out of range");
    bad("card of seat 12", false, "CMD_pscore+12+24+6+" + sixes, "seat 12 out of range");
    bad("cell not a number", false, "CMD_pscore+1+5+1+x+" + cells("- - - - - - - - - - - 5 0 - 0"), nullptr, "x");
    bad("card short of cells", false, "CMD_pscore+1+5+1+5", nullptr, "");
    bad("watching seat 0", false, "CMD_justwatching+0+1", "seat 0 out of range");

    // Entries that carry no command the game knows.
    for (const char *entry : {"abc", "", "+data", "CMD_nosuch+1", "cmd_chat+1+hi", "CMD_chat"})
        QTest::addRow("no command: '%s'", entry) << true << QByteArray(entry) << QByteArray("no command") << QByteArray();
}

void ProtocolTest::catalogueRoundTrip()
{
    QFETCH(bool, fromClient);
    QFETCH(QByteArray, entry);
    QFETCH(QByteArray, shown);
    QFETCH(QByteArray, again);
    const Outcome got = read(entry, fromClient);
    QCOMPARE(got.shown, shown);
    if (!got.encoded.isNull() || !again.isEmpty())
        QCOMPARE(got.encoded, again.isEmpty() ? entry : again);
}

QTEST_GUILESS_MAIN(ProtocolTest)
#include "tst_protocol.moc"
