#pragma once

#include "tally/lzrw1.h"
#include "tally/tallyfile.h"
#include "tally/tallytable.h"

#include <QString>

#include <functional>

// The tally file as every copy of the game that uses one data directory shares it (a person
// hosting and joining on one machine, two games at once): a copy reads and writes it only
// while it holds the lock file beside it, and a save adds this copy's changes to the file as
// it stands then, so that no copy's games are lost to another's.
namespace SharedTally {

// How long a copy waits for another to finish with the file; that takes milliseconds.
inline constexpr int kLockWaitMs = 2000;

QString lockPath(const QString &path);

// Reads the tally as TallyFile::load does, under the lock when it can be had in time (a read
// alone is safe without it, since every save replaces the file whole).
TallyFile::Loaded load(Tlzrw1 &doit, const QString &path);

struct Saved {
    // The merged table as this copy shows it: the file's rows, with this copy's Session
    // counters (0 for a row another copy added). Set only when written.
    TallyTable table;
    bool written = false;
    // False when the file could not be read and could not be moved aside either: saving
    // would destroy it.
    bool canSave = true;
    // What went wrong, for the user; empty when all went well.
    QString problem;
};

// Saves `mine`: takes the lock, reads the file again, applies mine's changes to it (a count
// for an opponent the file lacks adds his row; a row mine deleted goes), gives the rows mine
// has mine's Session counters, and writes the result in the file's place at once. A file
// that is missing, or unreadable and now moved aside, is replaced by `mine` as it stands.
// Nothing is written when the lock cannot be had or writing fails; mine's changes then wait
// for the next save. `beforeCommit` is TallyFile::save's.
Saved save(Tlzrw1 &doit, const TallyTable &mine, const QString &path,
           const std::function<void()> &beforeCommit = {});

} // namespace SharedTally
