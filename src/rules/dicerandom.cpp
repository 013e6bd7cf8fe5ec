#include "rules/dicerandom.h"

#include <QRandomGenerator>
#include <QString>
#include <limits>

DiceRandom DiceRandom::system()
{
    DiceRandom generator;
    generator.system_ = true;
    return generator;
}

std::optional<quint32> DiceRandom::environmentSeed()
{
    bool ok = false;
    const quint32 fixed = qEnvironmentVariable("MORVELLO_SEED").toUInt(&ok);
    return ok ? std::optional<quint32>(fixed) : std::nullopt;
}

DiceRandom DiceRandom::fromEnvironment()
{
    const std::optional<quint32> fixed = environmentSeed();
    return fixed ? DiceRandom(*fixed) : system();
}

int DiceRandom::systemRandom(int range)
{
    // Values from the top partial block of 2^32 would make the low results a little likelier.
    const quint32 bound = quint32(qMax(range, 1));
    const quint32 limit = std::numeric_limits<quint32>::max() - std::numeric_limits<quint32>::max() % bound;
    quint32 value = 0;
    do {
        value = QRandomGenerator::system()->generate();
    } while (value >= limit);
    return int(value % bound);
}

DiceRandom &DiceRandom::shared()
{
    // Fair until told otherwise, so that no path to the dice can skip the secure source.
    static DiceRandom generator = system();
    return generator;
}

DiceRandom &DiceRandom::scatter()
{
    static DiceRandom own = system();
    DiceRandom &host = shared();
    return host.isSeeded() ? host : own;
}

void DiceRandom::seedOnce()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    shared() = fromEnvironment();
}
