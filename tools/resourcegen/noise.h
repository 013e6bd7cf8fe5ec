#pragma once

#include <cstdint>

// Every texture and every sound draws its randomness from here with a fixed seed, so running
// the generator again gives the same files byte for byte.
class Rng {
public:
    explicit Rng(std::uint32_t seed) : state_(seed ? seed : 0x9e3779b9u) {}

    std::uint32_t next();
    // Uniform in [0, 1).
    double uniform();
    // Uniform in [lo, hi).
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    // Uniform integer in [lo, hi].
    int between(int lo, int hi);

private:
    std::uint32_t state_;
};

// Smooth value noise on an integer lattice that repeats every periodX by periodY cells, so a
// texture made from it can tile without a seam.
class ValueNoise {
public:
    ValueNoise(std::uint32_t seed, int periodX, int periodY);

    // Noise in [0, 1] at a point given in lattice cells.
    double at(double x, double y) const;
    // Sum of octaves, each twice the frequency and half the weight of the one before; the
    // period doubles with the frequency, so the sum tiles like the first octave.
    double fractal(double x, double y, int octaves) const;

private:
    double lattice(int i, int j, int octave) const;

    std::uint32_t seed_;
    int periodX_;
    int periodY_;
};
