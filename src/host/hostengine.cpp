#include "host/hostengine.h"
#include "common/gameconstants.h"

HostEngine::HostEngine(HostOutput &output, DiceRandom &random)
    : output_(output), random_(random)
{
    // Partners of a team game: seats 1 and 3, seats 2 and 4.
    players[1].partner = 3;
    players[2].partner = 4;
    players[3].partner = 1;
    players[4].partner = 2;

    for (std::size_t slot = 0; slot < relayLimits_.size(); ++slot) {
        relayLimits_[slot] = RateLimiter(kRelaysPerSecond, 1000);
        logLimits_[slot] = LogLimiter(kLogLinesPerSecond, 1000);
        logLimits_[slot].setLabel("Host: slot " + QByteArray::number(qulonglong(slot)));
    }
}

bool HostEngine::isComputerSeat(int seat) const
{
    return game::isSeat(seat) && (!players[seat].connected || players[seat].away);
}

void HostEngine::sendTo(int slot, const QByteArray &message)
{
    if (isSlot(slot) && players[slot].connected)
        output_.sendToSlot(slot, message);
}

void HostEngine::sendToAll(const QByteArray &message)
{
    for (int slot = 1; slot <= numslots; ++slot) {
        if (players[slot].connected)
            output_.sendToSlot(slot, message);
    }
}

void HostEngine::enableTimer1()
{
    timer1Enabled_ = true;
    output_.setTimer1Enabled(true);
}

void HostEngine::disableTimer1()
{
    timer1Enabled_ = false;
    output_.setTimer1Enabled(false);
}
