#include <QTest>

#include <algorithm>
#include <cstring>

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
    void commandSplitting();
    void fieldsAndStrictIntegers();
    void builderMatchesWireForms();
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

void ProtocolTest::commandSplitting()
{
    QVERIFY(!splitCommand("abc"));
    QVERIFY(!splitCommand(""));
    QVERIFY(!splitCommand("+data"));
    const auto full = splitCommand("CMD_full+");
    QVERIFY(full);
    QCOMPARE(full->word, QByteArray("CMD_full"));
    QCOMPARE(full->data, QByteArray());
    const auto chat = splitCommand("CMD_chat+3+a+b|clRed");
    QCOMPARE(chat->word, QByteArray("CMD_chat"));
    QCOMPARE(chat->data, QByteArray("3+a+b|clRed"));
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

void ProtocolTest::builderMatchesWireForms()
{
    QCOMPARE(MessageBuilder("CMD_full").field("").finish(), ff("CMD_full+#"));
    QCOMPARE(MessageBuilder("CMD_nextplayer").field(2).field(1).field(0).field(0).field("").finish(),
             ff("CMD_nextplayer+2+1+0+0+#"));
    QCOMPARE(MessageBuilder("CMD_pscore").field(2).field(24).field("*").append(6).text(), QByteArray("CMD_pscore+2+24+*6"));
}

QTEST_GUILESS_MAIN(ProtocolTest)
#include "tst_protocol.moc"
