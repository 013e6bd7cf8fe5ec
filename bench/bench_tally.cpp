// Compression and decompression speed of the tally container on a tally dump and on random
// bytes, with lz4 -b1 run on the same files for scale. MB is 10^6 bytes, as lz4 counts.
#include "tally/lzrw1.h"
#include "tally/tallytable.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <array>
#include <cstdio>
#include <functional>

namespace {

constexpr qint64 kMinimumNs = 1'000'000'000;

// A tally of many opponents with plausible counters, laid out as the game writes it.
QByteArray tallyDump(int opponents)
{
    static const char *const syllables[] = {"kl", "ot", "an", "bo", "ri", "ma", "zed", "ul", "the", "x", "Jo", "ey"};
    QRandomGenerator random(42);
    std::array<QByteArrayList, TallyTable::kColumns> columns;
    for (QByteArrayList &column : columns)
        column.append("0");
    for (int i = 0; i < opponents; ++i) {
        QByteArray name;
        for (int s = 1 + random.bounded(3); s > 0; --s)
            name += syllables[random.bounded(12)];
        columns[0].append(name + QByteArray::number(i % 97));
        const int games = random.bounded(random.bounded(2) ? 20 : 400);
        const int his = random.bounded(games + 1);
        const int mine = random.bounded(games - his + 1);
        const int session = random.bounded(std::min(games, 6) + 1);
        const int values[] = {games, his, mine, games - his - mine, session, session / 2, session - session / 2, 0};
        for (int column = 1; column < TallyTable::kColumns; ++column)
            columns[column].append(QByteArray::number(values[column - 1]));
    }
    QByteArray dump = "9\r\n" + QByteArray::number(opponents + 1) + "\r\n";
    for (const QByteArrayList &column : columns)
        dump += column.join("\r\n") + "\r\n";
    return dump;
}

// Best speed over repeated runs of at least a second in all.
double bestMBs(qsizetype bytes, const std::function<void()> &run)
{
    qint64 best = std::numeric_limits<qint64>::max();
    qint64 total = 0;
    QElapsedTimer timer;
    while (total < kMinimumNs) {
        timer.start();
        run();
        const qint64 ns = timer.nsecsElapsed();
        best = std::min(best, ns);
        total += ns;
    }
    return double(bytes) / 1e6 / (double(best) / 1e9);
}

struct Lz4 {
    double compress = 0;
    double decompress = 0;
    double ratio = 0;
};

Lz4 lz4(const QString &file)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("lz4"), {QStringLiteral("-b1"), file});
    if (!process.waitForFinished(120000))
        return {};
    // lz4 redraws its line with CRs; the last one holds both speeds.
    static const QRegularExpression figures(QStringLiteral(
        R"(\d+\s*->\s*\d+\s*\(([\d.]+)\)\s*,\s*([\d.]+)\s*MB/s\s*,\s*([\d.]+)\s*MB/s)"));
    Lz4 result;
    auto matches = figures.globalMatch(QString::fromLocal8Bit(process.readAll()));
    while (matches.hasNext()) {
        const auto match = matches.next();
        result = {match.captured(2).toDouble(), match.captured(3).toDouble(), match.captured(1).toDouble()};
    }
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The data files go to a temporary directory, or to the one named on the command line.
    QTemporaryDir temporary;
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path());
    const QByteArray tally = tallyDump(120000);
    QRandomGenerator random(7);
    QByteArray noise(4 * 1000 * 1000, '\0');
    for (char &c : noise)
        c = char(random.bounded(256));

    std::printf("%-14s %9s %7s | %12s %12s | %12s %12s %7s | %6s %6s\n", "data", "bytes", "ratio",
                "LZRW1 comp", "LZRW1 dec", "lz4-1 comp", "lz4 dec", "ratio", "comp", "dec");
    for (const auto &[name, data] : {std::pair{"tally text", tally}, std::pair{"random", noise}}) {
        Tlzrw1 doit;
        QByteArray packed = doit.compress(data);
        if (doit.decompress(packed, QString()) != data) {
            std::printf("%s: round trip failed\n", name);
            return 1;
        }
        const double compress = bestMBs(data.size(), [&] { packed = doit.compress(data); });
        const double decompress = bestMBs(data.size(), [&] { doit.decompress(packed, QString()); });

        const QString path = dir.filePath(QString::fromLatin1(name).replace(QLatin1Char(' '), QLatin1Char('_')));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
            return 1;
        file.close();
        const Lz4 reference = lz4(path);
        std::printf("%-14s %9lld %7.3f | %7.1f MB/s %7.1f MB/s | %7.1f MB/s %7.1f MB/s %7.3f | %5.2fx %5.2fx\n",
                    name, qlonglong(data.size()), double(data.size()) / double(packed.size()), compress,
                    decompress, reference.compress, reference.decompress, reference.ratio,
                    reference.compress > 0 ? compress / reference.compress : 0.0,
                    reference.decompress > 0 ? decompress / reference.decompress : 0.0);
    }
    std::printf("(the last two columns: LZRW1/KH speed as a share of lz4 -1's)\n");
    return 0;
}
