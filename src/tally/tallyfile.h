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

struct Loaded {
    TallyTable table;
    // The file was there and was read.
    bool found = false;
    // Why an existing file could not be read, for the user; empty when all went well.
    QString problem;
    // False when an unreadable file could not be moved aside: saving would destroy it.
    bool canSave = true;
};

// Reads the tally. A file that is there but cannot be read is moved aside to
// path + ".bad", so that saving a new tally does not destroy what may still be rescued.
Loaded load(Tlzrw1 &doit, const QString &path);

// Writes the tally beside the old file and puts it in the old one's place only once it is
// complete, so a crash or a full disk keeps the previous tally. `beforeCommit` runs between
// the two steps. Throws ELzrw1Exception with the failure text.
void save(Tlzrw1 &doit, const TallyTable &table, const QString &path,
          const std::function<void()> &beforeCommit = {});

} // namespace TallyFile
