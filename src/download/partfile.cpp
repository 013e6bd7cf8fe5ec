#include "download/partfile.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QtGlobal>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString partPrefix(const QString &target)
{
    return QFileInfo(target).fileName() + QStringLiteral(".part-");
}

// The part file is locked for as long as its download runs, which tells a leftover from the
// file of a download in another copy of the game.
bool isLeftover(const QByteArray &name)
{
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ELOOP;   // a link with our name: nobody's download
    struct stat info {};
    const bool leftover = ::fstat(fd, &info) == 0 &&
                          (!S_ISREG(info.st_mode) || ::flock(fd, LOCK_EX | LOCK_NB) == 0);
    ::close(fd);
    return leftover;
}

} // namespace

PartFile::PartFile(const QString &target)
    : target_(target)
{
}

PartFile::~PartFile()
{
    discard();
}

bool PartFile::open()
{
    discard();
    error_.clear();
    constexpr int kTries = 100;
    for (int attempt = 0; attempt < kTries; ++attempt) {
        const QString candidate = QFileInfo(target_).dir().filePath(
            partPrefix(target_) + QString::number(QRandomGenerator::global()->generate64() % 1000000000, 36));
        // Only a file made here and now: never one that is there already, nor through a link.
        const int fd = ::open(QFile::encodeName(candidate).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0) {
            error_ = QStringLiteral("Could not create a file in %1: %2")
                         .arg(QDir::toNativeSeparators(QFileInfo(target_).absolutePath()), qt_error_string(errno));
            return false;
        }
        ::flock(fd, LOCK_EX | LOCK_NB);
        if (!file_.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            ::unlink(QFile::encodeName(candidate).constData());
            error_ = file_.errorString();
            return false;
        }
        path_ = candidate;
        return true;
    }
    error_ = QStringLiteral("Could not create a file in %1.").arg(QDir::toNativeSeparators(QFileInfo(target_).absolutePath()));
    return false;
}

bool PartFile::commit(QFileDevice::Permissions permissions)
{
    if (!file_.isOpen()) {
        error_ = QStringLiteral("The download's file is not open.");
        return false;
    }
    const QByteArray part = QFile::encodeName(path_);
    const int fd = file_.handle();
    bool done = file_.flush();
    if (!done)
        error_ = file_.errorString();
    mode_t mode = 0;
    if (permissions & QFileDevice::ReadOwner)
        mode |= S_IRUSR;
    if (permissions & QFileDevice::WriteOwner)
        mode |= S_IWUSR;
    if (permissions & QFileDevice::ExeOwner)
        mode |= S_IXUSR;
    if (done && (::fsync(fd) != 0 || ::fchmod(fd, mode) != 0)) {
        error_ = qt_error_string(errno);
        done = false;
    }
    file_.close();
    // rename() replaces the name itself: a link standing at the target is not followed.
    if (done && ::rename(part.constData(), QFile::encodeName(target_).constData()) != 0) {
        error_ = qt_error_string(errno);
        done = false;
    }
    if (!done)
        ::unlink(part.constData());
    path_.clear();
    return done;
}

void PartFile::discard()
{
    if (!file_.isOpen())
        return;
    file_.close();
    ::unlink(QFile::encodeName(path_).constData());
    path_.clear();
}

void PartFile::removeLeftovers(const QString &target)
{
    const QFileInfo info(target);
    QDir dir = info.dir();
    const QStringList names =
        dir.entryList({partPrefix(target) + QLatin1Char('*')}, QDir::Files | QDir::System | QDir::Hidden);
    for (const QString &name : names) {
        const QByteArray path = QFile::encodeName(dir.filePath(name));
        if (isLeftover(path))
            ::unlink(path.constData());
    }
}
