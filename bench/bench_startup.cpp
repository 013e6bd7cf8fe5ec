// From exec to "You are Connected." in a solo game, beside a bare main window's time to its
// first paint, both offscreen, interleaved in one run. Prints the medians.

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

    std::vector<double> game, bare;
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
        {
            QProcess process;
            process.setProcessEnvironment(GameLaunch::environment(dataDir.path()));
            const double ms = GameLaunch::startAndWaitForLine(process, QStringLiteral(BARE_WINDOW_PATH), {}, "painted");
            GameLaunch::stop(process);
            if (ms < 0) {
                std::fprintf(stderr, "the bare window did not paint\n");
                return 1;
            }
            bare.push_back(ms);
        }
    }
    const double g = median(game), b = median(bare);
    std::printf("startup: solo game to \"You are Connected.\": %.1f ms (median of %d)\n", g, runs);
    std::printf("startup: bare QMainWindow to first paint:   %.1f ms (median of %d)\n", b, runs);
    std::printf("startup: ratio %.2f (target at most 2.00)\n", g / b);
    return 0;
}
