#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <functional>

// Turns the address a player gave into an IPv4 address. An address that starts with a digit
// is taken as dotted IPv4; anything else is a host name, looked up once per run and then
// remembered, failures included.
namespace HostLookup {

// Calls done(address) with the address, or with a null address when there is none. For a
// dotted or remembered address it is called before this returns; otherwise later, on the
// event loop, unless context is gone by then.
void resolve(const QString &address, QObject *context, std::function<void(const QHostAddress &)> done);

// Forgets every remembered name (for tests).
void forget();

} // namespace HostLookup
