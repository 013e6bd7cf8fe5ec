// The exact hint: how long its two tables take to build and to load and how much memory they
// hold, then games of one seat played by the hint alone through the host's engine (its dice,
// its turn flow, its scoring) beside each table's expected value of the empty card, and the
// time from a position to its best move.
//
// bench_hint [games]      (default 50000 per variant: a standard error near 0.2)

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

#include "common/hinttablefile.h"
#include "common/gameconstants.h"
#include "host/hostengine.h"
#include "protocol/catalogue.h"
#include "rules/dicerandom.h"
#include "rules/hintmove.h"

namespace {

class NoOutput : public HostOutput {
public:
    void sendToSlot(int, const QByteArray &) override {}
    void setTimer1Enabled(bool) override {}
};

// A line of /proc/self/status in KiB ("VmRSS", "VmHWM"); -1 when unreadable.
long statusKiB(const char *key)
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Starts the peak resident size afresh (Linux: "5" to clear_refs).
bool resetPeak()
{
    QFile file(QStringLiteral("/proc/self/clear_refs"));
    return file.open(QIODevice::WriteOnly) && file.write("5") == 1;
}

QByteArray machineLoad()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return "unknown";
    return file.readAll().split(' ').mid(0, 3).join(' ');
}

const char *variantName(rules::HintVariant variant)
{
    return variant == rules::HintVariant::BonusDice ? "bonus dice" : "plain";
}

// The child's part: loads one saved table in a fresh process and says what that cost.
int loadOnly(const QString &path, rules::HintVariant variant)
{
    const long before = statusKiB("VmRSS");
    QElapsedTimer timer;
    timer.start();
    const auto loaded = HintTableFile::load(path, {variant});
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    if (!loaded.table) {
        std::printf("not loaded: %s\n", qPrintable(loaded.problem));
        return 1;
    }
    std::printf("%.0f ms, resident %.1f MB (the table %.1f MB of it)\n", ms,
                double(statusKiB("VmRSS")) / 1024, double(statusKiB("VmRSS") - before) / 1024);
    return 0;
}

struct Play {
    std::vector<int> totals;
    std::vector<double> moveMicroseconds;
};

// Seat 1 is taken by the hint (a connected seat, so the host waits for its requests); seat 2
// is the host's computer player, as in a solo game. Game n rolls from seed n.
Play playGames(const rules::HintTable &table, int games)
{
    NoOutput none;
    DiceRandom random;
    HostEngine engine(none, random);
    engine.acceptSlot();
    engine.receivedlogininfo({1, game::kVersionText, "Hint"});
    const bool bonus = table.rules().variant == rules::HintVariant::BonusDice;
    const wire::StartRequest start{1, bonus ? "t" : "f", "false"};

    Play play;
    play.totals.reserve(std::size_t(games));
    play.moveMicroseconds.reserve(std::size_t(games) * 30);
    for (int game = 1; game <= games; ++game) {
        random.setSeed(quint32(game));
        engine.startgame(start);
        while (engine.turn().running()) {
            if (engine.turn().current() != 1) {
                if (!engine.timer1Enabled())
                    qFatal("the computer's turn does not go on");
                engine.Timer1Timer();
                continue;
            }
            if (engine.turn().rolls() == 0) {
                engine.rolldice(1);
                continue;
            }
            rules::HintPosition position;
            std::copy(engine.turn().card(1).begin(), engine.turn().card(1).end(), position.cells.begin());
            position.hand = engine.turn().hand();
            position.rolls = engine.turn().rolls();
            position.bonusFace = bonus ? engine.turn().bonusDie() : 0;
            const auto began = std::chrono::steady_clock::now();
            const rules::HintAdvice advice = rules::bestMove(table, position);
            const auto ended = std::chrono::steady_clock::now();
            play.moveMicroseconds.push_back(std::chrono::duration<double, std::micro>(ended - began).count());
            const rules::HintChoice *best = advice.best();
            if (!best)
                qFatal("no advice for a position of a game");
            if (best->kind == rules::HintChoice::Kind::Score) {
                engine.setscore(1, best->category);
                continue;
            }
            for (int die = 1; die <= 5; ++die) {
                const bool held = engine.turn().die(die).isHeld();
                if (best->held[std::size_t(die - 1)] && !held)
                    engine.setdice(1, die);
                else if (!best->held[std::size_t(die - 1)] && held)
                    engine.unsetdice(1, die);
            }
            engine.rolldice(1);
        }
        play.totals.push_back(engine.turn().total(1));
    }
    return play;
}

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    const auto at = std::size_t(fraction * double(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(at), values.end());
    return values[at];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--load"))
        return loadOnly(args[2], rules::HintVariant(args[3].toInt()));
    const int games = args.size() > 1 ? std::max(1, args[1].toInt()) : 50000;

    std::printf("bench_hint: the exact hint's tables, and games of one seat played by the hint\n");
    std::printf("  machine load (1, 5, 15 min) at the start: %s; %u processors\n", machineLoad().constData(),
                std::thread::hardware_concurrency());
    QTemporaryDir dir;
    const rules::HintVariant variants[] = {rules::HintVariant::Plain, rules::HintVariant::BonusDice};
    std::vector<rules::HintTable> tables;
    for (const auto variant : variants) {
        const QString path = dir.filePath(HintTableFile::fileName(variant));
        const bool peakReset = resetPeak();
        const long residentBefore = statusKiB("VmRSS");
        QElapsedTimer timer;
        timer.start();
        auto outcome = HintTableFile::loadOrBuild(path, {variant});
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        if (!outcome.table || !outcome.built || !outcome.problem.isEmpty()) {
            std::printf("  %s table: not built: %s\n", variantName(variant), qPrintable(outcome.problem));
            return 1;
        }
        std::printf("  %s table: %lld positions built and saved in %.1f s; peak resident %.1f MB "
                    "(%.1f MB before the build%s); file %s, %lld bytes\n",
                    variantName(variant), outcome.table->index().size(), seconds,
                    double(statusKiB("VmHWM")) / 1024, double(residentBefore) / 1024,
                    peakReset ? "" : ", peak since the start", qPrintable(HintTableFile::fileName(variant)),
                    QFileInfo(path).size());
        tables.push_back(std::move(*outcome.table));
    }
    for (const auto variant : variants) {
        QProcess child;
        child.start(app.applicationFilePath(), {QStringLiteral("--load"),
                                                dir.filePath(HintTableFile::fileName(variant)),
                                                QString::number(int(variant))});
        child.waitForFinished(60000);
        std::printf("  %s table loaded in a fresh process: %s", variantName(variant),
                    child.readAllStandardOutput().constData());
    }

    std::vector<double> allMoves;
    for (const auto &table : tables) {
        QElapsedTimer timer;
        timer.start();
        const Play play = playGames(table, games);
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        double sum = 0;
        double squares = 0;
        for (int total : play.totals) {
            sum += total;
            squares += double(total) * total;
        }
        const double n = double(play.totals.size());
        const double mean = sum / n;
        const double sd = std::sqrt((squares - n * mean * mean) / (n - 1));
        const double expected = *table.expectedFinal(rules::emptyCard());
        const double standardError = sd / std::sqrt(n);
        std::printf("hint: %d games, mean %.1f, sd %.1f (%s; the table expects %.2f from the empty card; "
                    "mean - expected = %+.2f, %.1f standard errors of %.2f; %.1f s)\n",
                    games, mean, sd, variantName(table.rules().variant), expected, mean - expected,
                    std::abs(mean - expected) / standardError, standardError, seconds);
        std::printf("  best move (%s): p50 %.1f us, p99 %.1f us, max %.1f us over %zu positions\n",
                    variantName(table.rules().variant), percentile(play.moveMicroseconds, 0.5),
                    percentile(play.moveMicroseconds, 0.99),
                    *std::max_element(play.moveMicroseconds.begin(), play.moveMicroseconds.end()),
                    play.moveMicroseconds.size());
        allMoves.insert(allMoves.end(), play.moveMicroseconds.begin(), play.moveMicroseconds.end());
    }
    std::printf("best move, position to advice: p50 %.1f us, p99 %.1f us\n", percentile(allMoves, 0.5),
                percentile(allMoves, 0.99));
    std::printf("  machine load at the end: %s\n", machineLoad().constData());
    return 0;
}
