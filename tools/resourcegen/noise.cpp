#include "noise.h"

#include <cmath>

namespace {

std::uint32_t mix(std::uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

double smooth(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }

int wrap(int i, int period) { return ((i % period) + period) % period; }

} // namespace

std::uint32_t Rng::next()
{
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
}

double Rng::uniform() { return next() / 4294967296.0; }

int Rng::between(int lo, int hi) { return lo + int(next() % std::uint32_t(hi - lo + 1)); }

ValueNoise::ValueNoise(std::uint32_t seed, int periodX, int periodY)
    : seed_(seed), periodX_(periodX), periodY_(periodY)
{
}

double ValueNoise::lattice(int i, int j, int octave) const
{
    const int px = periodX_ << octave;
    const int py = periodY_ << octave;
    const std::uint32_t h = mix(std::uint32_t(wrap(i, px)) * 0x8da6b343u
                                ^ mix(std::uint32_t(wrap(j, py)) * 0xd8163841u
                                      ^ mix(seed_ + std::uint32_t(octave) * 0x9e3779b9u)));
    return h / 4294967295.0;
}

double ValueNoise::at(double x, double y) const
{
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const int i = int(fx);
    const int j = int(fy);
    const double u = smooth(x - fx);
    const double v = smooth(y - fy);
    const double a = lattice(i, j, 0), b = lattice(i + 1, j, 0);
    const double c = lattice(i, j + 1, 0), d = lattice(i + 1, j + 1, 0);
    return (a + (b - a) * u) * (1 - v) + (c + (d - c) * u) * v;
}

double ValueNoise::fractal(double x, double y, int octaves) const
{
    double sum = 0;
    double weight = 1;
    double total = 0;
    for (int o = 0; o < octaves; ++o) {
        const double sx = x * (1 << o);
        const double sy = y * (1 << o);
        const double fx = std::floor(sx), fy = std::floor(sy);
        const int i = int(fx), j = int(fy);
        const double u = smooth(sx - fx), v = smooth(sy - fy);
        const double a = lattice(i, j, o), b = lattice(i + 1, j, o);
        const double c = lattice(i, j + 1, o), d = lattice(i + 1, j + 1, o);
        sum += weight * ((a + (b - a) * u) * (1 - v) + (c + (d - c) * u) * v);
        total += weight;
        weight *= 0.5;
    }
    return sum / total;
}
