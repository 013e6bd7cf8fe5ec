#pragma once

#include <QtGlobal>

#include <optional>

// The dice generator. Seeded, it is a linear congruential generator (seed = seed * 134775813 + 1
// mod 2^32) whose draw of n values is the high 32 bits of n * seed: the same seed gives the same
// dice, so a game can be replayed for a test or a bug report. Unseeded, every draw comes from the
// operating system's cryptographically secure source: a peer who has seen every roll so far, or
// knows when the host started, still cannot tell the next one.
//
// A process has two: the host's, for its dice and bonus dice, and the client's, for the scatter
// of the dice pictures. With MORVELLO_SEED they are one seeded generator, drawn in turn by both.
class DiceRandom {
public:
    // A seeded generator; 0 when no seed is given.
    explicit DiceRandom(quint32 seed = 0) : seed_(seed) {}
    // A generator that draws from the system's secure source.
    static DiceRandom system();
    // What a host starts with: seeded from MORVELLO_SEED when it holds a number, else the
    // system's source.
    static DiceRandom fromEnvironment();
    static std::optional<quint32> environmentSeed();

    // Makes this a seeded generator at that seed.
    void setSeed(quint32 seed)
    {
        seed_ = seed;
        system_ = false;
    }
    bool isSeeded() const { return !system_; }
    quint32 seed() const { return seed_; }

    // A value in 0..range-1.
    int random(int range)
    {
        if (system_)
            return systemRandom(range);
        seed_ = seed_ * 134775813u + 1u;
        return int((quint64(seed_) * quint32(range)) >> 32);
    }
    // A die face 1..6.
    int face() { return 1 + random(6); }

    // The host's generator.
    static DiceRandom &shared();
    // The generator of the client's scatter: the host's one when that is seeded, else its own.
    static DiceRandom &scatter();
    // Sets up the host's generator from the environment, once: later calls do nothing.
    static void seedOnce();

private:
    // Every value in 0..range-1 equally likely.
    static int systemRandom(int range);

    quint32 seed_;
    bool system_ = false;
};
