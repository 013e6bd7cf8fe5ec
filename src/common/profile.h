#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <unordered_map>
#include <utility>

// An ini file read and written the way the desktop's profile-string functions do it, because
// the lobby program shares the file with us. Section and key names are found regardless of
// case; a value is the text after the first "=" with the blanks around it and one pair of
// enclosing quotes removed. Writing a key rewrites only that key's line (or adds one line, or
// a section at the end), so other sections, comments, blank lines and line endings stay as
// they were, byte for byte. A missing file reads as empty and is created by the first write.
// A UTF-8 byte-order mark at the start is read as if absent and kept when writing.
//
// Only a regular file of at most kMaxFileSize bytes is read: anything else (a pipe, a device,
// a link to one, a file hundreds of megabytes long) reads as empty, problem() says why, and
// write() refuses to replace it.
class Profile {
public:
    using Entries = QList<std::pair<QString, QString>>;
    // Far above any settings file a person or a program would write.
    static constexpr qint64 kMaxFileSize = 1024 * 1024;

    // How long a write waits for another copy to finish with the file; that takes milliseconds.
    static constexpr int kLockWaitMs = 2000;

    explicit Profile(const QString &path);
    static QString lockPath(const QString &path) { return path + QStringLiteral(".lock"); }

    const QString &path() const { return path_; }
    // Reads the file again, for a look at what another program wrote since.
    void reload();
    // Why the file there was not read, as the end of a sentence naming it ("is not a regular
    // file"); empty when it was read or is missing.
    const QString &problem() const { return problem_; }

    // The first reading of a section looks at every line once; later ones of the same section
    // take no longer however long the file is. Not to be called from two threads at once.
    QString readString(const QString &section, const QString &key, const QString &fallback = QString()) const;
    // The value as a decimal integer; the fallback when it is missing or not one.
    int readInteger(const QString &section, const QString &key, int fallback) const;

    // Writes the keys in one go, to the file as it is on disk now: the file is read again and
    // replaced while this program holds the lock file beside it (lockPath), which another copy
    // of the game takes too, so that neither loses what the other wrote meanwhile. A key named
    // in `onlyWhereMissing` is written only where the section lacks it, so a value another
    // program set since stays as it is. False when the file could not be written, or another
    // copy held the lock for longer than kLockWaitMs; errorString() says why and the file is
    // left as it was.
    bool write(const QString &section, const Entries &entries, const QStringList &onlyWhereMissing = {});
    bool writeString(const QString &section, const QString &key, const QString &value)
    {
        return write(section, {{key, value}});
    }
    const QString &errorString() const { return error_; }

    // How a value is written so that reading gives it back: quoted when blanks at either end,
    // or a pair of quotes around it, would otherwise be lost; line breaks become blanks.
    static QByteArray encodeValue(const QString &value);

private:
    // The values of a section's keys by their case-folded names, each the first of its name
    // in the first section of that name, as the bytes after its "=".
    using Values = std::unordered_map<QString, QByteArrayView>;
    struct SectionIndex {
        QString name;   // case-folded
        Values values;
    };
    // Found in one pass over the file when a value of the section is first asked for: the
    // settings read a dozen keys, and a file may hold a megabyte of lines.
    const Values &sectionValues(const QString &section) const;

    QString path_;
    QByteArray contents_;
    mutable std::optional<SectionIndex> index_;
    QString problem_;
    QString error_;
};
