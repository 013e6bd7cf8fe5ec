// The computer player's strength: final totals of one computer seat playing a whole game alone.

#include <cmath>
#include <cstdio>

#include "host/hostengine.h"
#include "rules/dicerandom.h"

namespace {

class NoOutput : public HostOutput {
public:
    void sendToSlot(int, const QByteArray &) override {}
    void setTimer1Enabled(bool) override {}
};

} // namespace

int main()
{
    constexpr int kGames = 100000;
    NoOutput none;
    DiceRandom random;
    HostEngine engine(none, random);

    double sum = 0;
    double sumSquares = 0;
    int upperBonus = 0;
    int lowerBonus = 0;
    int best = 0;
    int worst = 1 << 30;
    std::array<double, 13> categorySums{};
    for (int game = 1; game <= kGames; ++game) {
        random.setSeed(quint32(game));
        engine.startgame({1, "f", "false"});
        while (engine.timer1Enabled())
            engine.Timer1Timer();
        const rules::ScoreCells &card = engine.turn().card(2);
        const int total = engine.turn().total(2);
        sum += total;
        sumSquares += double(total) * total;
        upperBonus += card[rules::UpperBonus] > 0;
        lowerBonus += card[rules::LowerBonus] > 0;
        best = std::max(best, total);
        worst = std::min(worst, total);
        for (int c = 1; c <= 12; ++c)
            categorySums[std::size_t(c)] += card[std::size_t(c)];
    }
    const double mean = sum / kGames;
    const double sd = std::sqrt(sumSquares / kGames - mean * mean);

    std::printf("bench_strength: the computer player's final total\n");
    std::printf("  setup: %d normal games (no bonus dice, no team), nobody connected, so seat 2 is the\n"
                "         only seat that plays and the computer plays all 12 of its turns; game n uses\n"
                "         dice seed n\n", kGames);
    std::printf("  mean total:          %.2f\n", mean);
    std::printf("  standard deviation:  %.2f\n", sd);
    std::printf("  lowest / highest:    %d / %d\n", worst, best);
    std::printf("  upper bonus reached: %.2f %%\n", 100.0 * upperBonus / kGames);
    std::printf("  lower bonus reached: %.2f %%\n", 100.0 * lowerBonus / kGames);
    std::printf("  mean per category:  ");
    for (int c = 1; c <= 12; ++c)
        std::printf(" %s %.1f%s", rules::categoryInfo(c).caption, categorySums[std::size_t(c)] / kGames, c < 12 ? "," : "\n");
    return 0;
}
