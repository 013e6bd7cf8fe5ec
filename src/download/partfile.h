#pragma once

#include <QFile>
#include <QString>

// A download's file while it arrives: a new file of its own beside the target, readable and
// writable by the user only, that takes the target's place only once it is whole. Whatever
// stood at the target (a link planted there included) is replaced, never written through, and
// a download that fails leaves the target as it was.
class PartFile {
public:
    explicit PartFile(const QString &target);
    ~PartFile();
    PartFile(const PartFile &) = delete;
    PartFile &operator=(const PartFile &) = delete;

    const QString &target() const { return target_; }
    // The part file's own name while it is open.
    const QString &path() const { return path_; }

    // Creates the part file; false, with errorString() set, when it cannot.
    bool open();
    bool isOpen() const { return file_.isOpen(); }
    // Where the body goes while the part file is open.
    QIODevice *device() { return &file_; }
    // Makes the whole file runnable by its owner alone and moves it to the target.
    bool commit(QFileDevice::Permissions permissions);
    // Closes and removes the part file; nothing when none is open.
    void discard();
    QString errorString() const { return error_; }

    // Removes the part files left beside the target by downloads that never ended: the
    // program was killed or the machine went down. Those of a download still running in
    // another copy of the game are left alone.
    static void removeLeftovers(const QString &target);

private:
    QString target_;
    QString path_;
    QFile file_;
    QString error_;
};
