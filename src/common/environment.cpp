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

// Where an install puts the executable, and its modules relative to it, from the build: "bin"
// and "../lib/morvello" for `cmake --install`, "games" and "../lib/games/morvello" for the
// Debian package.
struct InstallLayout {
    const char *binDir;
    const char *moduleDirFromBin;
};
constexpr InstallLayout kInstallLayouts[] = {
    {MORVELLO_INSTALL_BINDIR, MORVELLO_MODULE_DIR_FROM_BIN},
    {MORVELLO_GAMES_BINDIR, MORVELLO_GAMES_MODULE_DIR_FROM_BIN},
};

// The installed module directory, or empty when this copy is not installed.
QString installedModuleDirectory()
{
    const QString exeDir = QCoreApplication::applicationDirPath();
    if (exeDir.isEmpty())
        return {};
    for (const InstallLayout &layout : kInstallLayouts) {
        if (!exeDir.endsWith(QLatin1Char('/') + QLatin1String(layout.binDir)))
            continue;
        const QString dir =
            QDir::cleanPath(exeDir + QLatin1Char('/') + QLatin1String(layout.moduleDirFromBin));
        if (QFileInfo(dir).isDir())
            return dir;
    }
    return {};
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
