#pragma once

#include <QtGlobal>

// The one pseudo-random generator of the process: a linear congruential generator
// (seed = seed * 134775813 + 1 mod 2^32) whose draw of n values is the high 32 bits of
// n * seed. The host's dice, bonus dice and computer moves and the client's scatter of the
// dice pictures all draw from the shared instance, seeded once at start-up.
class DiceRandom {
public:
    explicit DiceRandom(quint32 seed = 0) : seed_(seed) {}

    void setSeed(quint32 seed) { seed_ = seed; }
    quint32 seed() const { return seed_; }

    // A value in 0..range-1.
    int random(int range)
    {
        seed_ = seed_ * 134775813u + 1u;
        return int((quint64(seed_) * quint32(range)) >> 32);
    }
    // A die face 1..6.
    int face() { return 1 + random(6); }

    // The process's generator.
    static DiceRandom &shared();
    // Seeds the shared generator once: from MORVELLO_SEED when set to a number, else from
    // the milliseconds since midnight UTC. Later calls do nothing.
    static void seedOnce();
    static quint32 millisecondsSinceMidnightUtc();

private:
    quint32 seed_;
};
