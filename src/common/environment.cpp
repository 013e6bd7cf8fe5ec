#include "common/environment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace Environment {

quint16 gamePort()
{
    bool ok = false;
    const uint port = qEnvironmentVariable("MORVELLO_PORT").toUInt(&ok);
    return ok && port > 0 && port <= 65535 ? quint16(port) : kDefaultPort;
}

QString dataDirectory()
{
    QString dir = qEnvironmentVariable("MORVELLO_DIR");
    if (dir.isEmpty()) {
        dir = QCoreApplication::applicationDirPath();
        if (dir.isEmpty() || !QFileInfo(dir).isWritable())
            dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    }
    QDir().mkpath(dir);
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

} // namespace Environment
