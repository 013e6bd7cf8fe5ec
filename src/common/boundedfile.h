#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Reads a file that anyone could have put in the game's directory: a pipe, a device, a link to
// one, or something far larger than the game ever writes. The open never waits (a pipe with no
// writer would block it for ever), only a regular file is read, and nothing is held beyond the
// limit, whatever size the file claims or grows to while it is read.
namespace BoundedFile {

enum class Status {
    Read,      // bytes holds the whole file
    Missing,   // there is no file at that name
    Refused,   // there is something, but not a file to read: problem says why
};

struct Result {
    Status status = Status::Missing;
    QByteArray bytes;
    // Why the file was not read, as the end of a sentence that starts with its name:
    // "is not a regular file", "is larger than 1 MB", "could not be opened (...)".
    QString problem;
};

Result read(const QString &path, qint64 limit);

} // namespace BoundedFile
