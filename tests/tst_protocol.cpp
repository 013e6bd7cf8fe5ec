#include <QTest>

#include "protocol/fieldreader.h"
#include "protocol/message.h"
#include "protocol/messageframer.h"

class ProtocolTest : public QObject {
    Q_OBJECT

private slots:
    void framing_data();
    void framing();
    void framingKeepsSplitMessageUntilTerminated();
    void framingFlagsOversizedPending();
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

void ProtocolTest::framingFlagsOversizedPending()
{
    MessageFramer framer;
    framer.feed(QByteArray(MessageFramer::kMaxPending, 'a'));
    QVERIFY(!framer.overLimit());
    framer.feed("b");
    QVERIFY(framer.overLimit());
    // A terminator that finally arrives completes the message and clears the condition.
    QCOMPARE(framer.feed(ff("#")).size(), 1);
    QVERIFY(!framer.overLimit());
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
