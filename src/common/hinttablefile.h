#pragma once

#include "rules/hinttable.h"

#include <QString>

#include <optional>

// The hint's tables on disk, one file per variant in the data directory, so that a table is
// computed once and then read in a fraction of a second. A file that is damaged, cut short or
// made for other rules is never used: the table is computed again and the file replaced.
//
// File layout, little-endian: "MORVHINT", the format version (u32), the variant (u32), the
// categories in play (u32), 0 (u32), the number of positions (u64), the SHA-256 of the 32
// bytes before it and of the values, then one float32 per position in the table's order.
namespace HintTableFile {

inline constexpr quint32 kFormatVersion = 1;
inline constexpr int kHeaderSize = 64;

// "morvellohint.tbl" for the plain game, "morvellohintbonus.tbl" for bonus dice games.
QString fileName(rules::HintVariant variant);
// The file in the data directory. Ask on the thread that owns the application object.
QString defaultPath(rules::HintVariant variant);

struct Loaded {
    std::optional<rules::HintTable> table;
    // Why a file that is there was not used; empty when it was, or when there was none.
    QString problem;
};
// Reads the table of these rules; reads nothing and allocates nothing before the file's size
// is the one the rules give.
Loaded load(const QString &path, const rules::HintRules &rules);

// Writes the file whole or not at all; false, with the reason in `error`, when it could not.
bool save(const rules::HintTable &table, const QString &path, QString *error = nullptr);

struct Outcome {
    // Empty only when the build was cancelled.
    std::optional<rules::HintTable> table;
    // The table was computed (no usable file was there).
    bool built = false;
    // What went wrong on the way: a file that could not be used, or not be written.
    QString problem;
};
// The table of these rules from the file at path, or, when that cannot be used, computed
// (with the control's progress and cancel flag) and saved there. Blocks for up to a minute or
// two on a first run: call it from a worker thread, never from the window's.
Outcome loadOrBuild(const QString &path, const rules::HintRules &rules,
                    const rules::HintBuildControl &control = {});

} // namespace HintTableFile
