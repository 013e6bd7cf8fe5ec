#include "rules/dicerandom.h"

#include <QDateTime>

DiceRandom &DiceRandom::shared()
{
    static DiceRandom generator;
    return generator;
}

quint32 DiceRandom::millisecondsSinceMidnightUtc()
{
    return quint32(QDateTime::currentDateTimeUtc().time().msecsSinceStartOfDay());
}

void DiceRandom::seedOnce()
{
    static bool seeded = false;
    if (seeded)
        return;
    seeded = true;
    bool ok = false;
    const quint32 fixed = qEnvironmentVariable("MORVELLO_SEED").toUInt(&ok);
    shared().setSeed(ok ? fixed : millisecondsSinceMidnightUtc());
}
