#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "common/environment.h"
#include "tally/lzrw1.h"
#include "tally/sharedtally.h"
#include "tally/tallyfile.h"
#include "tally/tallytable.h"

#include <algorithm>
#include <cstdio>
#include <thread>

using namespace Lzrw1kh;

namespace {

QByteArray bytes(const char *hex) { return QByteArray::fromHex(hex); }

// The writer's procedure step by step, as plainly as it can be put, to hold the fast coder to.
QByteArray plainBlock(const QByteArray &piece)
{
    const int n = int(piece.size());
    const QByteArray in = piece + QByteArray(4, '\0');
    const auto at = [&in](int i) { return quint8(in[i]); };
    QByteArray out(n + 16, '\0');
    qint16 table[4096];
    std::fill(std::begin(table), std::end(table), qint16(-1));
    out[0] = char(0x40);
    int c = 1, y = 3, x = 0, k = 0;
    quint16 w = 0;
    while (x < n && y <= n) {
        if (k > 15) {
            out[c] = char(w >> 8);
            out[c + 1] = char(w);
            c = y;
            y += 2;
            k = 0;
        }
        int r = 1;
        while (at(x + r) == at(x) && r < 4095 && x + r < n)
            ++r;
        if (r >= 16) {
            out[y] = 0;
            out[y + 1] = char((r - 16) / 256);
            out[y + 2] = char((r - 16) % 256);
            out[y + 3] = char(at(x));
            y += 4;
            x += r;
            w = quint16(w * 2 + 1);
        } else {
            quint32 h = ((quint32(at(x)) * 16) ^ at(x + 1)) * 16 ^ at(x + 2);
            h = h * 40543u;
            h = (h / 16) & 0xFFF;
            const int p = table[h];
            int m = 0;
            if (p != -1 && x - p < 4096) {
                while (m < 18 && at(x + m) == at(p + m) && x + m < n)
                    ++m;
            }
            table[h] = qint16(x);
            if (m >= 3) {
                const int item = (x - p) * 16 + (m - 3);
                out[y] = char(item >> 8);
                out[y + 1] = char(item);
                y += 2;
                x += m;
                w = quint16(w * 2 + 1);
            } else {
                out[y] = char(at(x));
                y += 1;
                x += 1;
                w = quint16(w * 2);
            }
        }
        ++k;
    }
    w = quint16(k == 0 ? 0 : w << (16 - k));
    out[c] = char(w >> 8);
    out[c + 1] = char(w);
    if (y > n)
        return char(0x80) + piece;
    return out.left(y);
}

QByteArray plainContainer(const QByteArray &text)
{
    QByteArray file("WRZL");
    for (int i = 0; i < 4; ++i)
        file += char(quint32(text.size()) >> (8 * i));
    qsizetype at = 0;
    qsizetype got = kPieceSize;
    while (got == kPieceSize) {
        got = std::min<qsizetype>(kPieceSize, text.size() - at);
        const QByteArray block = plainBlock(text.mid(at, got));
        file += char(block.size()) + QByteArray(1, char(block.size() >> 8)) + block;
        at += got;
    }
    return file;
}

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray data(size, '\0');
    for (char &c : data)
        c = char(random.bounded(256));
    return data;
}

// Text that looks like a tally dump: short names and small counters, many repeats.
QByteArray tallyText(qsizetype size, quint32 seed)
{
    static const char *const syllables[] = {"kl", "ot", "an", "bo", "ri", "ma", "zed", "ul", "the", "x"};
    QRandomGenerator random(seed);
    QByteArray text;
    while (text.size() < size) {
        if (random.bounded(3) == 0) {
            for (int s = 1 + random.bounded(3); s > 0; --s)
                text += syllables[random.bounded(10)];
        } else {
            text += QByteArray::number(random.bounded(random.bounded(2) ? 10 : 500));
        }
        text += "\r\n";
        if (random.bounded(50) == 0)
            text += QByteArray(int(random.bounded(10, 300)), char('0' + random.bounded(10)));
    }
    text.truncate(size);
    return text;
}

QString mismatch() { return Lzrw1Error::sizeMismatch(); }

// A device that fails in one chosen way.
namespace {

// The winner text of a game the local player won.
const QString kMine;

GameResult finishedGame(const QString &winner, const QStringList &opponents)
{
    GameResult result;
    result.winner = winner.isNull() ? GameResult::Winner::Me : GameResult::Winner::Others;
    result.winnerText = winner;
    result.opponents = opponents;
    return result;
}

} // namespace

class FaultyDevice : public QIODevice {
public:
    enum Fault { Sequential, ReadFails, WritesShort };
    explicit FaultyDevice(Fault fault)
        : fault_(fault)
    {
    }
    bool isSequential() const override { return fault_ == Sequential; }
    qint64 size() const override { return 100; }

protected:
    qint64 readData(char *to, qint64 max) override
    {
        if (fault_ == ReadFails)
            return -1;
        std::fill_n(to, max, 'a');
        return max;
    }
    qint64 writeData(const char *, qint64 length) override
    {
        return fault_ == WritesShort ? length - 1 : length;
    }

private:
    Fault fault_;
};

TallyTable tableWith(const QStringList &names)
{
    TallyTable table;
    for (const QString &name : names)
        table.tally(name);
    return table;
}

QStringList row(const TallyTable &table, int r)
{
    QStringList cells;
    for (int c = 0; c < TallyTable::kColumns; ++c)
        cells.append(table.cell(c, r));
    return cells;
}

QStringList counters(const QString &name, const char *values)
{
    return QStringList{name} + QString::fromLatin1(values).split(QLatin1Char(' '));
}

} // namespace

class TallyTest : public QObject {
    Q_OBJECT

private slots:
    void knownFiles_data();
    void knownFiles();
    void fullPiecesEndWithAnEmptyBlock();
    void incompressiblePieceIsStored();
    void coderFollowsTheWriter_data();
    void coderFollowsTheWriter();
    void roundTrips_data();
    void roundTrips();
    void decoderReadsHandMadeBlocks();
    void damagedBlocksAreRejected_data();
    void damagedBlocksAreRejected();
    void damagedFilesGiveTheirTexts_data();
    void damagedFilesGiveTheirTexts();
    void deviceFailuresGiveTheirTexts();

    void firstGames();
    void gamesAgainstTalliedOpponents();
    void winnerNameMatchesExactlyButLookupIgnoresCase();
    void damagedCounterSkipsOnlyItsRow();
    void moverowKeepsRowsAligned();
    void dumpLayout();
    void dumpReading_data();
    void dumpReading();
    void opponentsAtTable();

    void fileRoundTripStartsANewSession();
    void unreadableFileIsMovedAside();
    void saveLeavesTempTxtAlone();
    void killedSaveKeepsOldFile();
    void copiesSharingTheFileKeepEachOthersChanges_data();
    void copiesSharingTheFileKeepEachOthersChanges();
    void copiesSavingAtOnceLoseNoGame();
};

void TallyTest::knownFiles_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("empty") << QByteArray() << bytes("57525A4C 00000000 0100 80");
    QTest::newRow("abc stored") << QByteArray("abc") << bytes("57525A4C 03000000 0400 80616263");
    QTest::newRow("16 a: one run") << QByteArray(16, 'a') << bytes("57525A4C 10000000 0700 40800000000061");
    QTest::newRow("15 a: literal and copy") << QByteArray(15, 'a') << bytes("57525A4C 0F000000 0600 404000610 01B");
    QTest::newRow("4096 a: longest run and a literal")
        << QByteArray(4096, 'a') << bytes("57525A4C 00100000 0800 40800000 0FEF61 61");
}

void TallyTest::knownFiles()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, file);
    Tlzrw1 doit;
    QCOMPARE(doit.compress(text).toHex(' '), file.toHex(' '));
    QCOMPARE(doit.decompress(file, QStringLiteral("f")), text);
}

void TallyTest::fullPiecesEndWithAnEmptyBlock()
{
    Tlzrw1 doit;
    for (const int pieces : {1, 2}) {
        const QByteArray text = tallyText(pieces * kPieceSize, 7);
        const QByteArray file = doit.compress(text);
        QVERIFY(file.endsWith(bytes("0100 80")));
        qsizetype at = 8;
        int chunks = 0;
        while (at < file.size()) {
            at += 2 + (quint8(file[at]) | quint8(file[at + 1]) << 8);
            ++chunks;
        }
        QCOMPARE(at, file.size());
        QCOMPARE(chunks, pieces + 1);
        QCOMPARE(doit.decompress(file, QString()), text);
    }
}

void TallyTest::incompressiblePieceIsStored()
{
    Tlzrw1 doit;
    for (const int n : {4, 100, 5000, kPieceSize - 1}) {
        const QByteArray text = randomBytes(n, quint32(n));
        const QByteArray file = doit.compress(text);
        QCOMPARE(file.size(), 8 + 2 + n + 1);
        QCOMPARE(quint8(file[8]) | quint8(file[9]) << 8, n + 1);
        QCOMPARE(quint8(file[10]), kFlagStored);
        QCOMPARE(file.mid(11), text);
    }
}

void TallyTest::coderFollowsTheWriter_data()
{
    QTest::addColumn<QByteArray>("text");
    for (const int size : {0, 1, 2, 3, 17, 18, 19, 20, 21, 200, 4095, 4096, 4097, 9000, 32767, 32768, 32769, 70000})
        QTest::addRow("tally text %d", size) << tallyText(size, quint32(size));
    for (const int size : {3, 40, 1000, 32768})
        QTest::addRow("random %d", size) << randomBytes(size, quint32(size));
    QByteArray period4096 = randomBytes(4096, 1);
    QTest::newRow("repeat at 4096") << period4096 + period4096 + period4096;
    QByteArray period4095 = randomBytes(4095, 2);
    QTest::newRow("repeat at 4095") << period4095 + period4095 + period4095;
    QTest::newRow("long runs") << QByteArray(5000, 'x') + QByteArray(15, 'y') + QByteArray(16, 'z') + QByteArray(40000, 'q');
    QByteArray alternating;
    for (int i = 0; i < 3000; ++i)
        alternating += i % 7 ? "ab" : "abc";
    QTest::newRow("short periods") << alternating;
    // A random text that shrinks only a little: the coder gives up partway through.
    QTest::newRow("nearly incompressible") << randomBytes(2000, 9) + QByteArray(200, '\0') + randomBytes(2000, 10);
}

void TallyTest::coderFollowsTheWriter()
{
    QFETCH(QByteArray, text);
    Tlzrw1 doit;
    const QByteArray file = doit.compress(text);
    QCOMPARE(file, plainContainer(text));
    QCOMPARE(doit.decompress(file, QString()), text);
}

void TallyTest::roundTrips_data()
{
    QTest::addColumn<QByteArray>("text");
    const int sizes[] = {1, 5, 31, 100, 1023, 4100, kPieceSize - 17, kPieceSize - 1, kPieceSize,
                         kPieceSize + 1, 2 * kPieceSize - 1, 2 * kPieceSize, 2 * kPieceSize + 3,
                         3 * kPieceSize, 3 * kPieceSize + 12345};
    for (const int size : sizes) {
        QTest::addRow("random %d", size) << randomBytes(size, quint32(size) * 3);
        QTest::addRow("tally %d", size) << tallyText(size, quint32(size) * 5);
        QByteArray pattern;
        while (pattern.size() < size)
            pattern += QByteArray(int(pattern.size() % 37), char(pattern.size() % 5)) + "Klot\r\n";
        QTest::addRow("repetitive %d", size) << pattern.left(size);
    }
}

void TallyTest::roundTrips()
{
    QFETCH(QByteArray, text);
    Tlzrw1 doit;
    const QByteArray file = doit.compress(text);
    QCOMPARE(doit.decompress(file, QString()), text);
}

void TallyTest::decoderReadsHandMadeBlocks()
{
    quint8 piece[kPieceSize];
    const auto decode = [&piece](const QByteArray &block) {
        const int n = TLZR::decompress(reinterpret_cast<const quint8 *>(block.constData()), int(block.size()), piece);
        return n < 0 ? QByteArray("damaged") : QByteArray(reinterpret_cast<const char *>(piece), n);
    };
    // A distance shorter than the length repeats the bytes just written.
    QCOMPARE(decode(bytes("40 2000 61 62 0020")), QByteArray("ababa"));
    // A run count beyond what the writer makes is still read: 0x0FFF + 16.
    QCOMPARE(decode(bytes("40 8000 00 0FFF 7A")), QByteArray(4111, 'z'));
    // Any flag but 0x80 means compressed; a second control word after sixteen items.
    QCOMPARE(decode(bytes("13 0000") + QByteArray(16, 'l') + bytes("8000 0010")), QByteArray(19, 'l'));
    QCOMPARE(decode(bytes("40")), QByteArray());
    QCOMPARE(decode(bytes("40 80")), QByteArray());
    QCOMPARE(decode(bytes("80")), QByteArray());
    QCOMPARE(decode(bytes("80 00")), QByteArray(1, '\0'));
    // A full piece made of runs fits exactly.
    QByteArray runs = bytes("40 FFFF");
    for (int i = 0; i < 8; ++i)
        runs += bytes("00 0FF0 41");
    QCOMPARE(decode(runs).size(), kPieceSize);
}

void TallyTest::damagedBlocksAreRejected_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::newRow("copy before the start") << bytes("40 8000 0010");
    QTest::newRow("copy further back than written") << bytes("40 4000 61 0030");
    QTest::newRow("copy item cut short") << bytes("40 4000 61 00");
    QTest::newRow("run item cut short") << bytes("40 8000 00 0000");
    QTest::newRow("control word without items") << bytes("40 0000") + QByteArray(16, 'a') + bytes("0000");
    QTest::newRow("control word cut short") << bytes("40 0000") + QByteArray(16, 'a') + bytes("00");
    QByteArray tooMany = bytes("40 FFFF");
    for (int i = 0; i < 9; ++i)
        tooMany += bytes("00 0FF0 41");
    QTest::newRow("runs past the piece") << tooMany;
    QByteArray copyPast = bytes("40 7FFF 41");
    for (int i = 0; i < 8; ++i)
        copyPast += bytes("00 0FF0 41");
    copyPast += bytes("FFFF 001F") + bytes("00 0000 42") + bytes("0013");
    QTest::newRow("copy past the piece") << copyPast;
    QTest::newRow("stored past the piece") << char(0x80) + QByteArray(kPieceSize + 1, 'a');
}

void TallyTest::damagedBlocksAreRejected()
{
    QFETCH(QByteArray, block);
    // The piece sits between guard bytes that must survive.
    QByteArray guarded(kPieceSize + 64, char(0xA5));
    quint8 *piece = reinterpret_cast<quint8 *>(guarded.data()) + 32;
    QCOMPARE(TLZR::decompress(reinterpret_cast<const quint8 *>(block.constData()), int(block.size()), piece), -1);
    QCOMPARE(guarded.left(32), QByteArray(32, char(0xA5)));
    QCOMPARE(guarded.right(32), QByteArray(32, char(0xA5)));

    QByteArray file("WRZL");
    file += bytes("10000000") + char(block.size()) + char(block.size() >> 8) + block;
    try {
        Tlzrw1().decompress(file, QStringLiteral("x.tld"));
        QFAIL("a damaged block was accepted");
    } catch (const ELzrw1Exception &error) {
        QCOMPARE(error.text(), mismatch());
    }
}

void TallyTest::damagedFilesGiveTheirTexts_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text");
    const QString path = QStringLiteral("/data/morvellotally.tld");
    const QString noHeader = path + QStringLiteral(" : Lzrw1 decompression : this file has no valid header !");
    const QString shortRead = QStringLiteral("Lzrw1 : Error reading from input file : ") + path;
    const QByteArray good = Tlzrw1().compress(tallyText(40000, 3));

    QTest::newRow("other id") << QByteArray("ABCD") + good.mid(4) << noHeader;
    QTest::newRow("LZH id") << QByteArray("!HZL") + good.mid(4) << noHeader;
    QTest::newRow("empty file") << QByteArray() << shortRead;
    QTest::newRow("id cut short") << QByteArray("WRZ") << shortRead;
    QTest::newRow("size cut short") << QByteArray("WRZL\x01\x02", 6) << shortRead;
    QTest::newRow("no chunk") << good.left(8) << shortRead;
    QTest::newRow("length cut short") << good.left(9) << shortRead;
    QTest::newRow("block cut short") << good.left(good.size() - 1) << shortRead;
    QTest::newRow("second chunk missing") << good.left(10 + (quint8(good[8]) | quint8(good[9]) << 8)) << shortRead;
    QByteArray bigger = good;
    bigger[4] = char(bigger[4] + 1);
    QTest::newRow("size too big") << bigger << mismatch();
    QByteArray smaller = good;
    smaller[4] = char(smaller[4] - 1);
    QTest::newRow("size too small") << smaller << mismatch();
    QTest::newRow("size of nothing") << QByteArray("WRZL\0\0\0\0", 8) + bytes("0200 80 61") << mismatch();
    QByteArray oversized = QByteArray("WRZL") + bytes("01000000 FFFF 80") + QByteArray(0xFFFE, 'a');
    QTest::newRow("block longer than any piece") << oversized << mismatch();
    QByteArray flipped = good;
    flipped[12] = char(flipped[12] ^ 0x40);
    QTest::newRow("damaged control word") << flipped << mismatch();
}

void TallyTest::damagedFilesGiveTheirTexts()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, text);
    try {
        Tlzrw1().decompress(file, QStringLiteral("/data/morvellotally.tld"));
        QFAIL("a damaged file was accepted");
    } catch (const ELzrw1Exception &error) {
        QCOMPARE(error.text(), text);
    }
}

void TallyTest::deviceFailuresGiveTheirTexts()
{
    Tlzrw1 doit;
    const auto failure = [](auto &&action) {
        try {
            action();
        } catch (const ELzrw1Exception &error) {
            return error.text();
        }
        return QStringLiteral("no failure");
    };
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing.tld"));
    const QString nowhere = dir.filePath(QStringLiteral("no/such/dir/out.tld"));
    QByteArray data("some text");

    QFile absent(missing);
    QBuffer sink;
    QCOMPARE(failure([&] { doit.decompress(absent, sink, missing, QStringLiteral("o")); }),
             QStringLiteral("Lzrw1 (de)compression : Failed to open input file : ") + missing);

    QBuffer source(&data);
    QFile unwritable(nowhere);
    QCOMPARE(failure([&] { doit.compress(source, unwritable, QStringLiteral("i"), nowhere); }),
             QStringLiteral("Lzrw1 (de)compression : Failed to open output file : ") + nowhere);

    FaultyDevice pipe(FaultyDevice::Sequential);
    QBuffer out1;
    QCOMPARE(failure([&] { doit.compress(pipe, out1, QStringLiteral("temp.txt"), QStringLiteral("o")); }),
             QStringLiteral("Lzrw1 compression : Failed to obtain the size of : temp.txt"));

    FaultyDevice broken(FaultyDevice::ReadFails);
    QBuffer out2;
    QCOMPARE(failure([&] { doit.compress(broken, out2, QStringLiteral("temp.txt"), QStringLiteral("o")); }),
             QStringLiteral("Lzrw1 : Error reading from input file : temp.txt (LZRW1/KH)"));

    FaultyDevice full(FaultyDevice::WritesShort);
    QBuffer source2(&data);
    QCOMPARE(failure([&] { doit.compress(source2, full, QStringLiteral("i"), QStringLiteral("t.tld")); }),
             QStringLiteral("Lzrw1 : Error writing to output file : t.tld"));

    QByteArray file = doit.compress(data);
    QBuffer packed(&file);
    FaultyDevice full2(FaultyDevice::WritesShort);
    QCOMPARE(failure([&] { doit.decompress(packed, full2, QStringLiteral("t.tld"), QStringLiteral("temp.txt")); }),
             QStringLiteral("Lzrw1 : Error writing to output file : temp.txt"));

    // The texts nothing here can provoke.
    QCOMPARE(Lzrw1Error::ioBuffers(), QStringLiteral("Lzrw1 (de)compression : Failed to get memory for I/O buffers !"));
    QCOMPARE(Lzrw1Error::hashTable(), QStringLiteral("LZRW1KH : no memory for HASH table"));
}

void TallyTest::firstGames()
{
    TallyTable table;
    QCOMPARE(table.rowCount(), 1);
    QCOMPARE(row(table, 0), QStringList(9, QStringLiteral("0")));

    table.addgame(finishedGame(QStringLiteral("Ann"), {QStringLiteral("Ann")}));
    QCOMPARE(row(table, 0), counters(QStringLiteral("0"), "1 0 0 0 0 0 0 0"));
    table.addgame(finishedGame(kMine, {}));
    table.addtomine(TallyTable::kFiveKind);
    // A shared win is nobody's alone, the local player's neither.
    table.addgame(finishedGame(QStringLiteral("You and Ann"), {QStringLiteral("Ann")}));
    QCOMPARE(row(table, 0), counters(QStringLiteral("0"), "3 1 1 0 0 0 0 0"));
    QCOMPARE(table.rowCount(), 1);
}

void TallyTest::gamesAgainstTalliedOpponents()
{
    TallyTable table = tableWith({QStringLiteral("Klot"), QStringLiteral("Ann"), QStringLiteral("Absent")});
    const QStringList present{QStringLiteral("Klot"), QStringLiteral("Stranger"), QStringLiteral("Ann")};

    table.addgame(finishedGame(kMine, present));
    QCOMPARE(row(table, 0), counters(QStringLiteral("0"), "1 1 0 0 0 0 0 0"));
    QCOMPARE(row(table, 1), counters(QStringLiteral("Klot"), "1 0 1 0 1 0 1 0"));
    QCOMPARE(row(table, 2), counters(QStringLiteral("Ann"), "1 0 1 0 1 0 1 0"));

    table.addgame(finishedGame(QStringLiteral("Klot"), present));
    QCOMPARE(row(table, 0), counters(QStringLiteral("0"), "2 1 0 0 0 0 0 0"));
    QCOMPARE(row(table, 1), counters(QStringLiteral("Klot"), "2 1 1 0 2 1 1 0"));
    QCOMPARE(row(table, 2), counters(QStringLiteral("Ann"), "2 0 1 1 2 0 1 1"));
    QCOMPARE(row(table, 3), counters(QStringLiteral("Absent"), "0 0 0 0 0 0 0 0"));
    QCOMPARE(table.rowCount(), 4);
}

void TallyTest::winnerNameMatchesExactlyButLookupIgnoresCase()
{
    TallyTable table = tableWith({QStringLiteral("Klot")});
    QCOMPARE(table.tally(QStringLiteral("KLOT")), -1);
    QCOMPARE(table.rowCount(), 2);
    QCOMPARE(table.find(QStringLiteral("klot")), 1);
    QCOMPARE(table.find(QStringLiteral("Klo")), -1);

    table.addgame(finishedGame(QStringLiteral("klot"), {QStringLiteral("KLOT")}));
    QCOMPARE(row(table, 1), counters(QStringLiteral("Klot"), "1 0 0 1 1 0 0 1"));
    table.addgame(finishedGame(QStringLiteral("Klot"), {QStringLiteral("kLoT")}));
    QCOMPARE(row(table, 1), counters(QStringLiteral("Klot"), "2 1 0 1 2 1 0 1"));
}

void TallyTest::damagedCounterSkipsOnlyItsRow()
{
    TallyTable table = tableWith({QStringLiteral("Bad"), QStringLiteral("Good")});
    table.setCell(3, 1, QStringLiteral("x7"));
    table.setCell(6, 2, QString());
    try {
        table.addgame(finishedGame(QStringLiteral("Good"), {QStringLiteral("Bad"), QStringLiteral("Good")}));
        QFAIL("a damaged counter went unnoticed");
    } catch (const TallyError &error) {
        QCOMPARE(error.text(), QStringLiteral("'x7' is not a valid integer value"));
    }
    QCOMPARE(row(table, 0), counters(QStringLiteral("0"), "1 0 0 0 0 0 0 0"));
    QCOMPARE(row(table, 1), counters(QStringLiteral("Bad"), "0 0 x7 0 0 0 0 0"));
    QCOMPARE(row(table, 2), counters(QStringLiteral("Good"), "1 1 0 0 1 1 0 0"));
}

void TallyTest::moverowKeepsRowsAligned()
{
    TallyTable table = tableWith({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    table.addgame(finishedGame(QStringLiteral("C"), {QStringLiteral("C")}));
    table.moverow(2);
    QCOMPARE(table.rowCount(), 3);
    QCOMPARE(table.cell(0, 1), QStringLiteral("A"));
    QCOMPARE(row(table, 2), counters(QStringLiteral("C"), "1 1 0 0 1 1 0 0"));
    table.moverow(0);
    table.moverow(3);
    QCOMPARE(table.rowCount(), 3);
    table.moverow(1);
    table.moverow(1);
    QCOMPARE(table.rowCount(), 1);
    table.moverow(1);
    QCOMPARE(table.rowCount(), 1);
    QCOMPARE(row(table, 0), counters(QStringLiteral("0"), "1 0 0 0 0 0 0 0"));
}

void TallyTest::dumpLayout()
{
    TallyTable table = tableWith({QStringLiteral("Klot"), QStringLiteral("B\xe9la")});
    table.addgame(finishedGame(QStringLiteral("Klot"), {QStringLiteral("Klot")}));
    QByteArray expected = "9\r\n3\r\n0\r\nKlot\r\nB\xe9la\r\n"
                          "1\r\n1\r\n0\r\n"
                          "0\r\n1\r\n0\r\n";
    expected += QByteArray("0\r\n").repeated(2 * 3);
    expected += "0\r\n1\r\n0\r\n0\r\n1\r\n0\r\n";
    expected += QByteArray("0\r\n").repeated(2 * 3);
    QCOMPARE(table.dump(), expected);
    QCOMPARE(row(TallyTable::fromDump(expected), 2), row(table, 2));

    TallyTable odd = tableWith({QStringLiteral("line\r\nbreak")});
    QCOMPARE(TallyTable::fromDump(odd.dump()).cell(0, 1), QStringLiteral("line  break"));
}

void TallyTest::dumpReading_data()
{
    QTest::addColumn<QByteArray>("dump");
    QTest::addColumn<QStringList>("row1");
    QTest::addColumn<QString>("failure");
    const QString numeric = QStringLiteral("Invalid numeric format");
    const QByteArray cells = "0\nAnn\n3\n4\n";
    QTest::newRow("LF alone") << "9\n2\n" + cells << QStringList{"Ann", "4", "", "", "", "", "", "", ""} << QString();
    QTest::newRow("last line unended") << QByteArray("9\r\n2\r\n0\r\nAnn\r\n3\r\n4") << QStringList{"Ann", "4", "", "", "", "", "", "", ""} << QString();
    QTest::newRow("spaces around counts") << " 9 \r\n 2\r\n" + cells << QStringList{"Ann", "4", "", "", "", "", "", "", ""} << QString();
    QTest::newRow("fewer columns") << "2\n2\n" + cells << QStringList{"Ann", "4", "", "", "", "", "", "", ""} << QString();
    QTest::newRow("more columns") << "10\n1\n" + QByteArray("0\n").repeated(9) + "ignored\n" << QStringList(9) << QString();
    QTest::newRow("not a number") << "nine\n1\n" + cells << QStringList() << numeric;
    QTest::newRow("trailing text") << "9x\n1\n" + cells << QStringList() << numeric;
    QTest::newRow("no rows") << QByteArray("9\n0\n") << QStringList() << numeric;
    QTest::newRow("negative") << QByteArray("9\n-2\n") << QStringList() << numeric;
    QTest::newRow("more rows than lines") << "9\n2000000000\n" + cells << QStringList() << numeric;
    QTest::newRow("empty") << QByteArray() << QStringList() << numeric;
    QTest::newRow("count missing") << QByteArray("9\r\n") << QStringList() << numeric;
}

void TallyTest::dumpReading()
{
    QFETCH(QByteArray, dump);
    QFETCH(QStringList, row1);
    QFETCH(QString, failure);
    try {
        const TallyTable table = TallyTable::fromDump(dump);
        QVERIFY2(failure.isEmpty(), "a damaged dump was accepted");
        if (!row1.isEmpty() && row1 != QStringList(9))
            QCOMPARE(row(table, 1), row1);
        else
            QCOMPARE(table.rowCount(), 1);
    } catch (const TallyError &error) {
        QCOMPARE(error.text(), failure);
    }
}

void TallyTest::opponentsAtTable()
{
    const QStringList seats{QStringLiteral("You"), QStringLiteral("<Waiting>"), QStringLiteral("Klot"), QStringLiteral("Ann")};
    QCOMPARE(TallyTable::opponentsAtTable(seats, 1), (QStringList{QStringLiteral("Klot"), QStringLiteral("Ann")}));
    QCOMPARE(TallyTable::opponentsAtTable(seats, 4), (QStringList{QStringLiteral("You"), QStringLiteral("Klot")}));
    // A spectator's copy counts all four.
    QCOMPARE(TallyTable::opponentsAtTable(seats, 7).size(), 3);
}

void TallyTest::fileRoundTripStartsANewSession()
{
    const QString path = TallyFile::defaultPath();
    QVERIFY(path.startsWith(qEnvironmentVariable("MORVELLO_DIR")));
    QFile::remove(path);
    Tlzrw1 doit;
    const TallyFile::Loaded none = TallyFile::load(doit, path);
    QVERIFY(!none.found);
    QVERIFY(none.problem.isEmpty());

    TallyTable table = tableWith({QStringLiteral("Klot"), QStringLiteral("Ann")});
    for (int game = 0; game < 500; ++game)
        table.addgame(finishedGame(game % 3 ? QStringLiteral("Klot") : kMine, {QStringLiteral("Klot"), QStringLiteral("Ann")}));
    for (int extra = 0; extra < 3000; ++extra)
        table.tally(QStringLiteral("Player %1").arg(extra));
    TallyFile::save(doit, table, path);

    TallyFile::Loaded loaded = TallyFile::load(doit, path);
    QVERIFY(loaded.found);
    QVERIFY(loaded.problem.isEmpty());
    QCOMPARE(loaded.table.dump(), table.dump());
    loaded.table.resetSession();
    QCOMPARE(row(loaded.table, 1), counters(QStringLiteral("Klot"), "500 333 167 0 0 0 0 0"));
    QCOMPARE(row(loaded.table, 0), row(table, 0));
    QFile::remove(path);
}

void TallyTest::unreadableFileIsMovedAside()
{
    const QString path = TallyFile::defaultPath();
    const QStringList asides{path + QStringLiteral(".bad"), path + QStringLiteral(".bad.2")};
    Tlzrw1 doit;
    for (const QString &aside : asides)
        QFile::remove(aside);
    const QList<QByteArray> contents{QByteArray("not a tally"), Tlzrw1().compress("9\r\nten\r\n")};
    for (int n = 0; n < 2; ++n) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents[n]);
        file.close();

        const TallyFile::Loaded loaded = TallyFile::load(doit, path);
        QVERIFY(!loaded.found);
        QVERIFY(loaded.canSave);
        QVERIFY2(loaded.problem.contains(asides[n] + QLatin1Char(' ')), qPrintable(loaded.problem));
        QVERIFY(!QFile::exists(path));
        QCOMPARE(loaded.table.rowCount(), 1);
    }
    // The second damaged tally did not take the first one's place.
    for (int n = 0; n < 2; ++n) {
        QFile kept(asides[n]);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), contents[n]);
        QFile::remove(asides[n]);
    }
    QVERIFY(TallyFile::load(doit, path).problem.isEmpty());
}

void TallyTest::saveLeavesTempTxtAlone()
{
    QTemporaryDir workDir;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(workDir.path()));
    QFile mine(QStringLiteral("temp.txt"));
    QVERIFY(mine.open(QIODevice::WriteOnly));
    mine.write("the user's own notes");
    mine.close();

    Tlzrw1 doit;
    const QString path = TallyFile::defaultPath();
    TallyFile::save(doit, tableWith({QStringLiteral("Klot")}), path);
    QVERIFY(TallyFile::load(doit, path).found);

    QVERIFY(mine.open(QIODevice::ReadOnly));
    QCOMPARE(mine.readAll(), QByteArray("the user's own notes"));
    QCOMPARE(QDir().entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList{QStringLiteral("temp.txt")});
    QDir::setCurrent(previous);
    QFile::remove(path);
}

void TallyTest::killedSaveKeepsOldFile()
{
    const QString path = TallyFile::defaultPath();
    const QDir dir(QFileInfo(path).path());
    for (const QString &name : dir.entryList({QStringLiteral("morvellotally.tld*")}, QDir::Files))
        QFile::remove(dir.filePath(name));
    Tlzrw1 doit;
    TallyFile::save(doit, tableWith({QStringLiteral("Klot")}), path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--save-and-hang"), path});
    QVERIFY(child.waitForStarted());
    QByteArray said;
    while (!said.contains("written") && child.waitForReadyRead(10000))
        said += child.readAllStandardOutput();
    QVERIFY2(said.contains("written"), said.constData());
    child.kill();
    QVERIFY(child.waitForFinished());

    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    file.close();
    const TallyFile::Loaded loaded = TallyFile::load(doit, path);
    QVERIFY(loaded.found);
    QCOMPARE(loaded.table.cell(0, 1), QStringLiteral("Klot"));
    QCOMPARE(loaded.table.rowCount(), 2);
    QFile::remove(path);
}

namespace {

// A copy of the game as its tally window keeps the tally: read at the start, every change
// saved at once, the merged table kept when written.
struct TallyCopy {
    explicit TallyCopy(const QString &path)
        : path(path)
    {
        table = SharedTally::load(doit, path).table;
        table.resetSession();
    }
    bool save()
    {
        SharedTally::Saved saved = SharedTally::save(doit, table, path);
        if (saved.written)
            table = std::move(saved.table);
        return saved.problem.isEmpty();
    }

    QString path;
    Tlzrw1 doit;
    TallyTable table;
};

// A row as "name counters...": the own row "own" and its three counters, an opponent's row
// its name and its `counters` first counters.
QString rowText(const TallyTable &table, int row, int counters)
{
    QStringList cells{row == 0 ? QStringLiteral("own") : table.cell(TallyTable::kName, row)};
    for (int column = 1; column <= (row == 0 ? 3 : counters); ++column)
        cells.append(table.cell(column, row));
    return cells.join(QLatin1Char(' '));
}

QStringList rowTexts(const TallyTable &table, int counters)
{
    QStringList rows;
    for (int row = 0; row < table.rowCount(); ++row)
        rows.append(rowText(table, row, counters));
    return rows;
}

} // namespace

void TallyTest::copiesSharingTheFileKeepEachOthersChanges_data()
{
    // Each step of copy A or B is saved at once, as the tally window does: "game <result>
    // <players at the table>", "tally <name>", "delete <name>", "five". Steps of "-" act on the
    // file: "hold" and "release" its lock, "damage" it.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("file"); // the file's rows at the end, with their Total counters
    QTest::addColumn<QStringList>("shown"); // copy B's rows at the end, Session counters too
    QTest::addColumn<bool>("told");         // a save had a problem to tell

    QTest::newRow("both count their games")
        << QStringList{"A game Klot Klot", "B game mine Klot"} << QStringList{"own 5 2 0", "Klot 5 2 2 1"}
        << QStringList{"own 5 2 0", "Klot 5 2 2 1 1 0 1 0"} << false;
    QTest::newRow("an opponent the other copy never tallied")
        << QStringList{"A tally Ann", "A game Ann Ann,Klot", "B game mine Klot"}
        << QStringList{"own 5 2 0", "Klot 5 1 2 2", "Ann 1 1 0 0"}
        << QStringList{"own 5 2 0", "Klot 5 1 2 2 1 0 1 0", "Ann 1 1 0 0 0 0 0 0"} << false;
    QTest::newRow("a deletion stays") << QStringList{"A delete Klot", "B five"} << QStringList{"own 3 1 1"}
                                      << QStringList{"own 3 1 1"} << false;
    QTest::newRow("a game brings a deleted opponent back")
        << QStringList{"A delete Klot", "B game Klot Klot"} << QStringList{"own 4 1 0", "Klot 1 1 0 0"}
        << QStringList{"own 4 1 0", "Klot 1 1 0 0 1 1 0 0"} << false;
    QTest::newRow("a busy file keeps the game for the next save")
        << QStringList{"- hold", "B game mine Klot", "- release", "A game Klot Klot", "B five"}
        << QStringList{"own 5 2 1", "Klot 5 2 2 1"} << QStringList{"own 5 2 1", "Klot 5 2 2 1 1 0 1 0"} << true;
    QTest::newRow("a damaged file is kept aside")
        << QStringList{"- damage", "B game mine Klot"} << QStringList{"own 4 2 0", "Klot 4 1 2 1"}
        << QStringList{"own 4 2 0", "Klot 4 1 2 1 1 0 1 0"} << true;
}

void TallyTest::copiesSharingTheFileKeepEachOthersChanges()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, file);
    QFETCH(QStringList, shown);
    QFETCH(bool, told);

    QTemporaryDir dir;
    const QString path = dir.filePath(TallyFile::fileName());
    Tlzrw1 doit;
    TallyTable start = tableWith({QStringLiteral("Klot")});
    for (const QString &result : {QStringLiteral("Klot"), kMine, QStringLiteral("Klot and Ann")})
        start.addgame(finishedGame(result, {QStringLiteral("Klot")}));
    TallyFile::save(doit, start, path);

    TallyCopy a(path);
    TallyCopy b(path);
    QLockFile other(SharedTally::lockPath(path));
    const QByteArray damage("not a tally at all");
    bool hadProblem = false;
    for (const QString &step : steps) {
        const QStringList words = step.split(QLatin1Char(' '));
        if (words[0] == QLatin1String("-")) {
            if (words[1] == QLatin1String("hold")) {
                QVERIFY(other.tryLock(0));
            } else if (words[1] == QLatin1String("release")) {
                other.unlock();
            } else {
                QFile damaged(path);
                QVERIFY(damaged.open(QIODevice::WriteOnly));
                damaged.write(damage);
            }
            continue;
        }
        TallyCopy &copy = words[0] == QLatin1String("A") ? a : b;
        if (words[1] == QLatin1String("game")) {
            const QString result = words[2] == QLatin1String("mine") ? kMine : words[2];
            copy.table.addgame(finishedGame(result, words[3].split(QLatin1Char(','))));
        } else if (words[1] == QLatin1String("tally")) {
            copy.table.tally(words[2]);
        } else if (words[1] == QLatin1String("delete")) {
            copy.table.moverow(copy.table.find(words[2]));
        } else {
            copy.table.addtomine(TallyTable::kFiveKind);
        }
        hadProblem |= !copy.save();
    }

    const TallyFile::Loaded saved = TallyFile::load(doit, path);
    QVERIFY(saved.found);
    QCOMPARE(rowTexts(saved.table, 4), file);
    QCOMPARE(rowTexts(b.table, 8), shown);
    QVERIFY(b.table.changes().isEmpty());
    QCOMPARE(hadProblem, told);
    if (steps.contains(QStringLiteral("- damage"))) {
        // Whatever it was, it is still there beside the new tally.
        bool kept = false;
        for (const QFileInfo &entry : QDir(dir.path()).entryInfoList(QDir::Files)) {
            QFile aside(entry.filePath());
            kept |= aside.open(QIODevice::ReadOnly) && aside.readAll() == damage;
        }
        QVERIFY(kept);
    }
}

// Two processes that share the data directory finish games as fast as they can: the file ends
// with every game of both.
void TallyTest::copiesSavingAtOnceLoseNoGame()
{
    constexpr int kGames = 40;
    QTemporaryDir dir;
    const QString path = dir.filePath(TallyFile::fileName());
    Tlzrw1 doit;
    TallyFile::save(doit, tableWith({QStringLiteral("Klot")}), path);

    QProcess copies[2];
    for (QProcess &copy : copies)
        copy.start(QCoreApplication::applicationFilePath(),
                   {QStringLiteral("--count-games"), QString::number(kGames), path});
    for (QProcess &copy : copies) {
        QVERIFY(copy.waitForFinished(60000));
        QCOMPARE(copy.exitCode(), 0);
    }
    const TallyFile::Loaded saved = TallyFile::load(doit, path);
    QVERIFY(saved.found);
    QCOMPARE(rowTexts(saved.table, 4),
             (QStringList{QStringLiteral("own %1 %2 0").arg(2 * kGames).arg(kGames),
                          QStringLiteral("Klot %1 %2 %2 0").arg(2 * kGames).arg(kGames)}));
}

// The child of copiesSavingAtOnceLoseNoGame: a copy that wins every other game against Klot
// and saves after each.
static int countGames(int games, const QString &path)
{
    TallyCopy copy(path);
    for (int game = 0; game < games; ++game) {
        copy.table.addgame(finishedGame(game % 2 ? QStringLiteral("Klot") : kMine, {QStringLiteral("Klot")}));
        copy.save();
    }
    // A save that found the file busy left its games for the next one.
    for (int attempt = 0; attempt < 10 && !copy.table.changes().isEmpty(); ++attempt)
        copy.save();
    return copy.table.changes().isEmpty() ? 0 : 1;
}

// The child of killedSaveKeepsOldFile: writes a new tally and waits to be killed before it
// would put the new file in place.
static int saveAndHang(const QString &path)
{
    Tlzrw1 doit;
    TallyTable table = tableWith({QStringLiteral("Newer"), QStringLiteral("Rows")});
    TallyFile::save(doit, table, path, [] {
        std::puts("written");
        std::fflush(stdout);
        for (;;)
            std::this_thread::sleep_for(std::chrono::seconds(1));
    });
    return 1;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--save-and-hang") == 0)
        return saveAndHang(QString::fromLocal8Bit(argv[2]));
    if (argc == 4 && qstrcmp(argv[1], "--count-games") == 0)
        return countGames(QByteArray(argv[2]).toInt(), QString::fromLocal8Bit(argv[3]));
    TallyTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tally.moc"
