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

namespace {

// MORVELLO_INSTALL_BINDIR and MORVELLO_MODULE_DIR_FROM_BIN come from the build: where the
// install puts the executable, and its modules relative to it (for example "bin" and
// "../lib/morvello").

// The installed module directory, or empty when this copy is not installed.
QString installedModuleDirectory()
{
    const QString exeDir = QCoreApplication::applicationDirPath();
    if (exeDir.isEmpty() || !exeDir.endsWith(QStringLiteral("/" MORVELLO_INSTALL_BINDIR)))
        return {};
    const QString dir = QDir::cleanPath(exeDir + QStringLiteral("/" MORVELLO_MODULE_DIR_FROM_BIN));
    return QFileInfo(dir).isDir() ? dir : QString();
}

} // namespace

bool isInstalled()
{
    return !installedModuleDirectory().isEmpty();
}

QString moduleDirectory()
{
    const QString installed = installedModuleDirectory();
    return installed.isEmpty() ? QCoreApplication::applicationDirPath() : installed;
}

QString dataDirectory()
{
    QString dir = qEnvironmentVariable("MORVELLO_DIR");
    if (dir.isEmpty()) {
        dir = QCoreApplication::applicationDirPath();
        if (dir.isEmpty() || isInstalled() || !QFileInfo(dir).isWritable())
            dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    }
    QDir().mkpath(dir);
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

} // namespace Environment
