#include "sounds.h"

#include "noise.h"
#include "synth.h"

#include <cmath>
#include <functional>

using synth::Buffer;
using synth::Knock;
using synth::Mode;

namespace sounds {

namespace {

double note(int semitonesFromA4) { return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0); }

// Semitone offsets from A4.
constexpr int G4 = -2, C5 = 3, E5 = 7, G5 = 10, A5 = 12, B5 = 14, C6 = 15, D6 = 17, E6 = 19,
              G6 = 22, A6 = 24, C7 = 27, E7 = 31, G7 = 34;

// A die landing on the wooden table: the table's dull thump under the die's bright tick.
Knock dieOnWood(Rng &rng, double weight)
{
    return {{{rng.range(150, 240), 0.55 * weight, 0.022},
             {rng.range(480, 700), 0.30 * weight, 0.012},
             {rng.range(1900, 2700), 0.55, 0.007},
             {rng.range(3300, 4300), 0.35, 0.004},
             {rng.range(5200, 6800), 0.20, 0.0025}},
            0.55,
            0.0007};
}

// Two dice knocking together: no table, only the small hard bodies.
Knock dieOnDie(Rng &rng)
{
    return {{{rng.range(2600, 3400), 0.5, 0.005},
             {rng.range(4300, 5400), 0.4, 0.003},
             {rng.range(6500, 8200), 0.25, 0.002}},
            0.45,
            0.0004};
}

// Dice rattling inside a leather cup: muffled, no bright ring.
Knock dieInCup(Rng &rng)
{
    return {{{rng.range(110, 160), 0.5, 0.02},
             {rng.range(700, 1000), 0.45, 0.006},
             {rng.range(1500, 2000), 0.22, 0.004}},
            0.3,
            0.0008};
}

// Five dice thrown onto the table at start: each hits, bounces lower and quicker, and rolls
// to rest; now and then two dice click together while they tumble.
void throwDice(Buffer &b, double start, double loudness, Rng &rng, double settle)
{
    for (int die = 0; die < 5; ++die) {
        double t = start + die * 0.016 + rng.range(0, 0.03);
        double level = loudness * rng.range(0.75, 1.0);
        double gap = rng.range(0.07, 0.11);
        const double pan = rng.range(0.3, 0.7);
        while (level > loudness * 0.05 && t < start + settle) {
            knock(b, t, level, dieOnWood(rng, level / loudness), rng, pan);
            t += gap * rng.range(0.85, 1.15);
            gap *= rng.range(0.62, 0.74);
            level *= rng.range(0.55, 0.72);
            if (gap < 0.014) {
                // Rolling to rest: a few soft quick edge taps.
                const int taps = rng.between(2, 4);
                for (int k = 0; k < taps; ++k) {
                    t += rng.range(0.025, 0.05);
                    knock(b, t, level * 0.6, dieOnWood(rng, 0.3), rng, pan);
                    level *= 0.6;
                }
                break;
            }
        }
    }
    for (int k = 0; k < 7; ++k) {
        const double t = start + rng.range(0.02, settle * 0.55);
        const double level = loudness * rng.range(0.15, 0.4);
        const double pan = rng.range(0.3, 0.7);
        knock(b, t, level, dieOnDie(rng), rng, pan);
    }
    // The brush of the dice sliding over the cloth.
    noiseBand(b, 2400, 0.8,
              {{start, 0.0}, {start + 0.03, 0.05 * loudness}, {start + settle * 0.6, 0.02 * loudness},
               {start + settle, 0.0}},
              rng);
}

Sound make(const QString &name, int rate, int bits, int channels, double seconds,
           const std::function<void(Buffer &)> &compose, double peak)
{
    Buffer b(rate, seconds, channels);
    compose(b);
    b.finish(peak);
    return {name, rate, bits, channels, seconds, synth::toWave(b, bits)};
}

} // namespace

QList<Sound> all()
{
    QList<Sound> list;

    list << make(QStringLiteral("dice"), 22050, 8, 1, 0.76, [](Buffer &b) {
        Rng rng(101);
        throwDice(b, 0.0, 1.0, rng, 0.62);
    }, 0.88);

    list << make(QStringLiteral("dice2"), 22050, 16, 1, 1.25, [](Buffer &b) {
        Rng rng(202);
        // Three shakes of the cup, then the throw.
        for (int shake = 0; shake < 3; ++shake) {
            const double at = 0.02 + shake * 0.14;
            for (int k = 0; k < 6; ++k) {
                const double t = at + rng.range(0, 0.06);
                const double level = rng.range(0.2, 0.45);
                knock(b, t, level, dieInCup(rng), rng);
            }
            noiseBand(b, 900, 1.2, {{at, 0.0}, {at + 0.02, 0.05}, {at + 0.09, 0.0}}, rng);
        }
        throwDice(b, 0.5, 1.0, rng, 0.68);
    }, 0.85);

    list << make(QStringLiteral("setdice"), 22050, 8, 1, 0.11, [](Buffer &b) {
        Rng rng(303);
        // Picked up off the cloth and set down in the wooden tray.
        knock(b, 0.004, 0.35, dieOnDie(rng), rng);
        knock(b, 0.032, 1.0, {{{310, 0.5, 0.016}, {1450, 0.6, 0.011}, {2950, 0.45, 0.006},
                               {5200, 0.2, 0.003}}, 0.5, 0.0006}, rng);
    }, 0.72);

    list << make(QStringLiteral("unsetdice"), 11025, 16, 1, 0.54, [](Buffer &b) {
        Rng rng(404);
        // Dropped back on the cloth: a soft thud, then small hops to rest.
        const Knock thud{{{140, 0.8, 0.035}, {620, 0.4, 0.012}, {1800, 0.3, 0.005}, {3100, 0.15, 0.003}},
                         0.35, 0.0008};
        double t = 0.005;
        double level = 1.0;
        double gap = 0.11;
        for (int hop = 0; hop < 6; ++hop) {
            knock(b, t, level, thud, rng);
            t += gap;
            gap *= 0.68;
            level *= 0.5;
        }
        noiseBand(b, 1500, 0.9, {{0.0, 0.0}, {0.01, 0.04}, {0.3, 0.0}}, rng);
    }, 0.6);

    list << make(QStringLiteral("entered"), 11025, 8, 1, 0.22, [](Buffer &b) {
        const std::vector<Mode> ping{{1.0, 1.0, 0.09}, {2.0, 0.22, 0.05}, {2.76, 0.12, 0.03},
                                     {4.0, 0.05, 0.02}};
        strike(b, 0.0, note(B5), ping, 0.7);
        strike(b, 0.055, note(E6), ping, 1.0);
    }, 0.62);

    list << make(QStringLiteral("turn"), 11025, 16, 2, 0.57, [](Buffer &b) {
        // A two-tone chime rising a fifth, left then right.
        const std::vector<Mode> chime{{1.0, 1.0, 0.32}, {2.0, 0.32, 0.18}, {3.01, 0.14, 0.1},
                                      {4.17, 0.06, 0.06}, {0.5, 0.08, 0.25}};
        strike(b, 0.0, note(G5), chime, 0.8, 0.38, 0.003);
        strike(b, 0.14, note(D6), chime, 1.0, 0.62, 0.003);
    }, 0.6);

    list << make(QStringLiteral("scored"), 44100, 16, 2, 0.39, [](Buffer &b) {
        Rng rng(505);
        // Two bright wooden bars, a fourth apart.
        const std::vector<Mode> bar{{1.0, 1.0, 0.14}, {3.0, 0.28, 0.04}, {6.0, 0.08, 0.015},
                                    {2.0, 0.1, 0.05}};
        strike(b, 0.0, note(E6), bar, 0.8, 0.4, 0.0015);
        strike(b, 0.075, note(A6), bar, 1.0, 0.6, 0.0015);
        const Knock mallet{{{note(E6) * 9.2, 0.1, 0.003}}, 0.12, 0.0004};
        knock(b, 0.0, 0.6, mallet, rng, 0.4);
        knock(b, 0.075, 0.6, mallet, rng, 0.6);
    }, 0.6);

    list << make(QStringLiteral("fivekind"), 22050, 8, 1, 1.0, [](Buffer &b) {
        Rng rng(606);
        const std::vector<Mode> pluck{{1.0, 1.0, 0.28}, {2.0, 0.45, 0.16}, {3.0, 0.25, 0.1},
                                      {4.0, 0.12, 0.07}, {5.0, 0.06, 0.05}};
        const int run[] = {C5, E5, G5, C6, E6, G6};
        for (int i = 0; i < 6; ++i)
            strike(b, i * 0.07, note(run[i]), pluck, 0.55 + i * 0.05);
        // The held chord at the top of the run, with a slow shimmer.
        const std::vector<Mode> bell{{1.0, 1.0, 0.4}, {2.0, 0.3, 0.2}, {3.0, 0.12, 0.12},
                                     {4.2, 0.05, 0.07}};
        for (int n : {C6, E6, G6, C7})
            strike(b, 0.46, note(n) * 1.0015, bell, 0.45);
        for (int n : {C6, E6, G6})
            strike(b, 0.47, note(n) * 0.9985, bell, 0.3);
        const int sparkle[] = {C7, G7, E7, G7, C7, E7};
        for (int i = 0; i < 6; ++i)
            strike(b, 0.5 + i * 0.07 + rng.range(0, 0.02), note(sparkle[i]),
                   {{1.0, 1.0, 0.05}, {2.0, 0.2, 0.02}}, 0.18);
    }, 0.8);

    list << make(QStringLiteral("noscore"), 11025, 8, 1, 0.25, [](Buffer &b) {
        wah(b, 0.0, 0.25, note(D6 - 24), note(G4 - 12), 1700, 380, 1.0);
    }, 0.7);

    list << make(QStringLiteral("error"), 22050, 8, 1, 0.13, [](Buffer &b) {
        // A low square buzz, roughened by a quieter one a tritone above.
        for (auto [f, level] : {std::pair{130.0, 0.6}, std::pair{184.0, 0.3}}) {
            std::vector<Mode> odd;
            for (int n = 1; n <= 31; n += 2)
                odd.push_back({double(n), 1.0 / n / (1.0 + (n * f / 2200.0) * (n * f / 2200.0)), 0.4});
            strike(b, 0.0, f, odd, level, 0.5, 0.004);
        }
    }, 0.6);

    list << make(QStringLiteral("gameover"), 22050, 8, 1, 1.06, [](Buffer &b) {
        Rng rng(707);
        // Ta-ta-ta-taaa, the last note held over a major chord, a drum under it.
        blow(b, 0.0, 0.11, note(G4), 0.7);
        blow(b, 0.12, 0.11, note(C5), 0.75);
        blow(b, 0.24, 0.11, note(E5), 0.8);
        blow(b, 0.36, 0.7, note(G5), 1.0);
        blow(b, 0.36, 0.7, note(E5), 0.55);
        blow(b, 0.36, 0.7, note(C5), 0.5);
        strike(b, 0.36, note(G4 - 24), {{1.0, 1.0, 0.25}, {1.5, 0.4, 0.12}, {2.0, 0.2, 0.08}}, 0.7);
        noiseBand(b, 5000, 0.7, {{0.36, 0.0}, {0.37, 0.06}, {0.8, 0.015}, {1.06, 0.0}}, rng);
    }, 0.82);

    return list;
}

} // namespace sounds
