#include "common/boundedfile.h"

#include <QFile>
#include <QtGlobal>
#include <QScopeGuard>

#include <algorithm>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace BoundedFile {

namespace {

Result refused(const QString &problem)
{
    return {Status::Refused, QByteArray(), problem};
}

// "1 MB", "512 KB": a limit as the messages name it.
QString sizeText(qint64 bytes)
{
    if (bytes >= 1024 * 1024 && bytes % (1024 * 1024) == 0)
        return QStringLiteral("%1 MB").arg(bytes / (1024 * 1024));
    if (bytes >= 1024 && bytes % 1024 == 0)
        return QStringLiteral("%1 KB").arg(bytes / 1024);
    return QStringLiteral("%1 bytes").arg(bytes);
}

} // namespace

Result read(const QString &path, qint64 limit)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        struct stat link {};
        if (error == ENOENT && ::lstat(name.constData(), &link) != 0)
            return {};
        if (error == ENOENT)
            return refused(QStringLiteral("is a link to a file that does not exist"));
        return refused(QStringLiteral("could not be opened (%1)").arg(qt_error_string(error)));
    }
    const auto closer = qScopeGuard([fd] { ::close(fd); });

    // Asked of the opened file itself, so that nothing can be swapped in between.
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return refused(QStringLiteral("could not be examined (%1)").arg(qt_error_string(errno)));
    if (!S_ISREG(info.st_mode))
        return refused(QStringLiteral("is not a regular file"));
    const QString tooLarge = QStringLiteral("is larger than %1").arg(sizeText(limit));
    if (info.st_size > limit)
        return refused(tooLarge);

    Result result{Status::Read, QByteArray(), QString()};
    // One byte more than the limit tells a file that grew past it since fstat.
    result.bytes.resize(qsizetype(info.st_size) + 1);
    qsizetype have = 0;
    for (;;) {
        if (have == result.bytes.size()) {
            if (have > limit)
                return refused(tooLarge);
            result.bytes.resize(std::min<qsizetype>(have * 2 + 4096, qsizetype(limit) + 1));
        }
        const ssize_t got = ::read(fd, result.bytes.data() + have, size_t(result.bytes.size() - have));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return refused(QStringLiteral("could not be read (%1)").arg(qt_error_string(errno)));
        if (got == 0)
            break;
        have += got;
    }
    if (have > limit)
        return refused(tooLarge);
    result.bytes.truncate(have);
    return result;
}

} // namespace BoundedFile
