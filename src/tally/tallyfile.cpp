#include "tally/tallyfile.h"

#include "common/boundedfile.h"
#include "common/environment.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace TallyFile {

QString fileName() { return QStringLiteral("morvellotally.tld"); }

QString defaultPath() { return Environment::dataDirectory() + fileName(); }

namespace {

// The first free name of path + ".bad", ".bad.2", ".bad.3", ...: an earlier damaged tally
// there may be the one worth rescuing.
bool moveAside(const QString &path, QString &aside)
{
    constexpr int kMostKept = 1000;
    for (int n = 1; n <= kMostKept; ++n) {
        aside = path + QStringLiteral(".bad") + (n > 1 ? QStringLiteral(".%1").arg(n) : QString());
        // A link counts as taken even where it leads nowhere.
        const QFileInfo taken(aside);
        if (taken.exists() || taken.isSymLink())
            continue;
        return QFile::rename(path, aside);
    }
    return false;
}

} // namespace

Loaded load(Tlzrw1 &doit, const QString &path)
{
    Loaded loaded;
    const BoundedFile::Result file = BoundedFile::read(path, kMaxFile);
    if (file.status == BoundedFile::Status::Missing)
        return loaded;
    QString failure;
    if (file.status == BoundedFile::Status::Refused) {
        failure = QStringLiteral("%1 %2").arg(path, file.problem);
    } else {
        try {
            loaded.table = TallyTable::fromDump(doit.decompress(file.bytes, path, kMaxText));
            loaded.found = true;
            return loaded;
        } catch (const ELzrw1Exception &error) {
            failure = error.text();
        } catch (const TallyError &error) {
            failure = error.text();
        }
    }

    QString aside;
    if (moveAside(path, aside)) {
        loaded.problem = QStringLiteral("The tally file could not be read: %1\nIt was kept as %2 "
                                        "and a new tally has been started.").arg(failure, aside);
    } else {
        loaded.canSave = false;
        loaded.problem = QStringLiteral("The tally file could not be read: %1\nIt could not be "
                                        "moved aside either, so this run's tally will not be "
                                        "saved over it.").arg(failure);
    }
    return loaded;
}

void save(Tlzrw1 &doit, const TallyTable &table, const QString &path,
          const std::function<void()> &beforeCommit)
{
    QByteArray dump = table.dump();
    QBuffer text(&dump);
    QSaveFile file(path);
    doit.compress(text, file, QString(), path);
    if (beforeCommit)
        beforeCommit();
    if (!file.commit())
        throw ELzrw1Exception(Lzrw1Error::shortWrite(path));
}

} // namespace TallyFile
