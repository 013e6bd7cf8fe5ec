#include "session/hostlookup.h"

#include <QHash>
#include <QHostInfo>

namespace HostLookup {

namespace {
QHash<QString, QHostAddress> &remembered()
{
    static QHash<QString, QHostAddress> names;
    return names;
}

QHostAddress firstIPv4(const QHostInfo &info)
{
    if (info.error() != QHostInfo::NoError)
        return {};
    for (const QHostAddress &address : info.addresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            return address;
    }
    return {};
}
} // namespace

void resolve(const QString &address, QObject *context, std::function<void(const QHostAddress &)> done)
{
    if (!address.isEmpty() && address.at(0).isDigit()) {
        QHostAddress dotted;
        if (!dotted.setAddress(address) || dotted.protocol() != QAbstractSocket::IPv4Protocol)
            dotted.clear();
        done(dotted);
        return;
    }
    const auto known = remembered().constFind(address);
    if (known != remembered().constEnd()) {
        done(*known);
        return;
    }
    QHostInfo::lookupHost(address, context, [address, done](const QHostInfo &info) {
        const QHostAddress found = firstIPv4(info);
        remembered().insert(address, found);
        done(found);
    });
}

void forget()
{
    remembered().clear();
}

} // namespace HostLookup
