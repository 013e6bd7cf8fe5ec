#pragma once

#include <QString>

// A lock file beside a shared file is read by QLockFile when it finds one already there, to see
// whether its owner still lives. A pipe planted at that name would block that read for ever, and
// a link to a device or a huge file would fill memory, so a lock file that is not a small
// regular file is never handed to QLockFile.
namespace LockFileCheck {

// Empty when the name is free or holds a small regular file (a lock of ours); else why not,
// as the end of a sentence that starts with the name ("is not a regular file").
QString problem(const QString &lockPath);

} // namespace LockFileCheck
