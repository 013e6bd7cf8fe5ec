#pragma once

#include "tally/lzrw1.h"
#include "tally/tallytable.h"

#include <QString>

#include <functional>

// The tally file: the table's text dump in the compressed container.
namespace TallyFile {

QString fileName();
// The tally file in the data directory.
QString defaultPath();

// More text than any real tally holds: even TallyTable::kMaxRows rows of long names and
// counters stay far below it. A file that would unpack to more is damage, or malice.
inline constexpr qint64 kMaxText = 16 * 1024 * 1024;
// A file above this is refused unread: the largest container of kMaxText bytes, every piece
// stored as it is, stays below it.
inline constexpr qint64 kMaxFile = 17 * 1024 * 1024;
static_assert(kMaxFile >= 8 + (kMaxText / Lzrw1kh::kPieceSize + 1) * (2 + Lzrw1kh::kMaxBlockSize));

struct Loaded {
    TallyTable table;
    // The file was there and was read.
    bool found = false;
    // Why an existing file could not be read, for the user; empty when all went well.
    QString problem;
    // False when an unreadable file could not be moved aside: saving would destroy it.
    bool canSave = true;
};

// Reads the tally. A file that is there but cannot be read (damaged, too large, not a regular
// file) is moved aside to path + ".bad", or ".bad.2" and on when earlier ones are still there,
// so that saving a new tally does not destroy what may still be rescued.
Loaded load(Tlzrw1 &doit, const QString &path);

// Writes the tally beside the old file and puts it in the old one's place only once it is
// complete, so a crash or a full disk keeps the previous tally. `beforeCommit` runs between
// the two steps. Throws ELzrw1Exception with the failure text.
void save(Tlzrw1 &doit, const TallyTable &table, const QString &path,
          const std::function<void()> &beforeCommit = {});

} // namespace TallyFile
