#pragma once

#include <QHostAddress>
#include <QString>

// What the hosting copy's own client and side windows may do to the host in their process:
// switch its listener on, tell it which connection is the hosting user's, remove a slot, set
// the computer players' pace. Everything else goes over the connection.
class HostControls {
public:
    virtual ~HostControls() = default;

    // False when the listener could not start; *errorText says why.
    virtual bool startListening(QString *errorText, quint16 port, const QHostAddress &address) = 0;
    virtual void setHostClient(const QHostAddress &address, quint16 port) = 0;
    // Closes a connected slot; nothing for a free one.
    virtual void disconnectsock(int slot) = 0;
    virtual void setTimer1Interval(int milliseconds) = 0;
};
