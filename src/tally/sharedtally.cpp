#include "tally/sharedtally.h"

#include <QDir>
#include <QLockFile>

#include "common/lockfilecheck.h"

namespace SharedTally {

namespace {

QString lockProblem(const QLockFile &lock, const QString &path)
{
    const QString file = QDir::toNativeSeparators(path);
    if (lock.error() == QLockFile::LockFailedError)
        return QStringLiteral("The tally could not be saved now: another copy of Morvello is using %1. "
                              "Your games are kept and saved with the next one.").arg(file);
    return QStringLiteral("The tally could not be saved: no lock file can be made beside %1.").arg(file);
}

void copySession(const TallyTable &from, int fromRow, TallyTable &to, int toRow)
{
    for (int column = TallyTable::kTogether + TallyTable::kSession; column < TallyTable::kColumns; ++column)
        to.setCell(column, toRow, fromRow < 0 ? QStringLiteral("0") : from.cell(column, fromRow));
}

} // namespace

QString lockPath(const QString &path)
{
    return path + QStringLiteral(".lock");
}

TallyFile::Loaded load(Tlzrw1 &doit, const QString &path)
{
    QLockFile lock(lockPath(path));
    // A planted lock file is not waited for: the reading does not need it.
    if (LockFileCheck::problem(lockPath(path)).isEmpty())
        lock.tryLock(kLockWaitMs);
    return TallyFile::load(doit, path);
}

Saved save(Tlzrw1 &doit, const TallyTable &mine, const QString &path, const std::function<void()> &beforeCommit)
{
    Saved saved;
    const QString planted = LockFileCheck::problem(lockPath(path));
    if (!planted.isEmpty()) {
        saved.problem = QStringLiteral("The tally could not be saved: its lock file %1 %2. "
                                       "Your games are kept and saved with the next one.")
                            .arg(QDir::toNativeSeparators(lockPath(path)), planted);
        return saved;
    }
    QLockFile lock(lockPath(path));
    if (!lock.tryLock(kLockWaitMs)) {
        saved.problem = lockProblem(lock, path);
        return saved;
    }

    TallyFile::Loaded file = TallyFile::load(doit, path);
    TallyTable merged;
    if (file.found) {
        merged = std::move(file.table);
        try {
            merged.apply(mine.changes());
        } catch (const TallyError &error) {
            saved.problem = error.text();
        }
        for (int row = 1; row < merged.rowCount(); ++row) {
            const int own = mine.find(merged.cell(TallyTable::kName, row));
            if (own >= 1)
                copySession(mine, own, merged, row);
        }
    } else if (!file.canSave) {
        saved.canSave = false;
        saved.problem = file.problem;
        return saved;
    } else {
        merged = mine;
        saved.problem = file.problem;
    }
    merged.clearChanges();

    try {
        TallyFile::save(doit, merged, path, beforeCommit);
    } catch (const ELzrw1Exception &error) {
        saved.problem = error.text();
        return saved;
    }
    // The Session counters of a row another copy added are that copy's; this one has not
    // counted a game against him yet.
    for (int row = 1; row < merged.rowCount(); ++row) {
        if (mine.find(merged.cell(TallyTable::kName, row)) < 1)
            copySession(mine, -1, merged, row);
    }
    saved.table = std::move(merged);
    saved.written = true;
    return saved;
}

} // namespace SharedTally
