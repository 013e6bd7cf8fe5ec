// From exec to "You are Connected." in a solo game, beside a bare main window's time to its
// first paint, both offscreen, interleaved in one run. Prints the medians. The same bare window
// drawing one line of text is timed too: what the font system's start costs any window with
// text, before the game's own work.

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "gamelaunch.h"

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 9;
    QTemporaryDir dataDir;

    std::vector<double> game, bare, text;
    auto timeBare = [&](const QStringList &arguments, std::vector<double> &times) {
        QProcess process;
        process.setProcessEnvironment(GameLaunch::environment(dataDir.path()));
        const double ms = GameLaunch::startAndWaitForLine(process, QStringLiteral(BARE_WINDOW_PATH), arguments, "painted");
        GameLaunch::stop(process);
        times.push_back(ms);
        return ms >= 0;
    };
    for (int run = 0; run < runs; ++run) {
        {
            QProcess process;
            process.setProcessEnvironment(GameLaunch::environment(dataDir.path()));
            const double ms = GameLaunch::startAndWaitForLine(process, QStringLiteral(MORVELLO_EXECUTABLE_PATH), {},
                                                              "chat: You are Connected.");
            GameLaunch::stop(process);
            if (ms < 0) {
                std::fprintf(stderr, "the game did not report \"You are Connected.\"\n");
                return 1;
            }
            game.push_back(ms);
        }
        if (!timeBare({}, bare) || !timeBare({QStringLiteral("--text")}, text)) {
            std::fprintf(stderr, "the bare window did not paint\n");
            return 1;
        }
    }
    const double g = median(game), b = median(bare), t = median(text);
    std::printf("startup: solo game to \"You are Connected.\": %.1f ms (median of %d)\n", g, runs);
    std::printf("startup: bare QMainWindow to first paint:   %.1f ms (median of %d)\n", b, runs);
    std::printf("startup: ratio %.2f (target at most 2.00)\n", g / b);
    std::printf("startup: bare QMainWindow with one line of text: %.1f ms (median of %d), ratio %.2f\n", t, runs,
                t / b);
    return 0;
}
