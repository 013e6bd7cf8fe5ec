#include "common/lockfilecheck.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>

namespace LockFileCheck {

namespace {

// A lock file holds a process id, a program name and a host name.
constexpr off_t kMaxLockSize = 4096;

} // namespace

QString problem(const QString &lockPath)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(lockPath).constData(), &info) != 0)
        return errno == ENOENT ? QString() : QStringLiteral("cannot be examined");
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("is not a regular file");
    if (info.st_size > kMaxLockSize)
        return QStringLiteral("is far larger than a lock file");
    return QString();
}

} // namespace LockFileCheck
