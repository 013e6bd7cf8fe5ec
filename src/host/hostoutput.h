#pragma once

#include <QByteArray>

// The host engine's only way out: messages to connection slots and the pacing timer.
class HostOutput {
public:
    virtual ~HostOutput() = default;
    // Hands one framed message (terminator included) to the connection of a slot.
    virtual void sendToSlot(int slot, const QByteArray &message) = 0;
    // Switches the host's own-play timer (Timer1) on or off. When it fires, the owner calls
    // HostEngine::Timer1Timer(), which switches it off first.
    virtual void setTimer1Enabled(bool enabled) = 0;
};
