#include "tally/tallyfile.h"

#include "common/environment.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace TallyFile {

QString fileName() { return QStringLiteral("morvellotally.tld"); }

QString defaultPath() { return Environment::dataDirectory() + fileName(); }

Loaded load(Tlzrw1 &doit, const QString &path)
{
    Loaded loaded;
    if (!QFileInfo::exists(path))
        return loaded;
    QString failure;
    try {
        QFile file(path);
        QByteArray dump;
        QBuffer text(&dump);
        doit.decompress(file, text, path, QString());
        loaded.table = TallyTable::fromDump(dump);
        loaded.found = true;
        return loaded;
    } catch (const ELzrw1Exception &error) {
        failure = error.text();
    } catch (const TallyError &error) {
        failure = error.text();
    }

    const QString aside = path + QStringLiteral(".bad");
    QFile::remove(aside);
    if (QFile::rename(path, aside)) {
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
