#include "common/profile.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <optional>

namespace {

// The file's lines, each with its own line ending (the last one may have none).
QList<QByteArray> splitLines(const QByteArray &contents)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < contents.size()) {
        qsizetype end = contents.indexOf('\n', start);
        end = end < 0 ? contents.size() : end + 1;
        lines.append(contents.mid(start, end - start));
        start = end;
    }
    return lines;
}

QByteArray withoutEnding(const QByteArray &line)
{
    qsizetype size = line.size();
    if (size > 0 && line.at(size - 1) == '\n')
        --size;
    if (size > 0 && line.at(size - 1) == '\r')
        --size;
    return line.left(size);
}

bool hasEnding(const QByteArray &line)
{
    return line.endsWith('\n');
}

// The file is written in UTF-8; one written by an older program in a single-byte code page
// still reads, as Latin-1.
QString decode(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

std::optional<QString> sectionOf(const QByteArray &body)
{
    const QByteArray trimmed = body.trimmed();
    if (!trimmed.startsWith('['))
        return std::nullopt;
    qsizetype close = trimmed.indexOf(']');
    if (close < 0)
        close = trimmed.size();
    return decode(trimmed.mid(1, close - 1)).trimmed();
}

std::optional<QString> keyOf(const QByteArray &body)
{
    const qsizetype equals = body.indexOf('=');
    if (equals < 0)
        return std::nullopt;
    return decode(body.left(equals)).trimmed();
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The index of the section's header line, or -1.
qsizetype findSection(const QList<QByteArray> &lines, const QString &section)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const std::optional<QString> name = sectionOf(withoutEnding(lines.at(i)));
        if (name && sameName(*name, section))
            return i;
    }
    return -1;
}

bool hasKey(const QList<QByteArray> &lines, const QString &section, const QString &key)
{
    const qsizetype header = findSection(lines, section);
    for (qsizetype i = header + 1; header >= 0 && i < lines.size(); ++i) {
        const auto body = withoutEnding(lines.at(i));
        if (sectionOf(body))
            break;
        const std::optional<QString> name = keyOf(body);
        if (name && sameName(*name, key))
            return true;
    }
    return false;
}

void writeKey(QList<QByteArray> &lines, const QString &section, const QString &key, const QString &value,
              const QByteArray &eol)
{
    const QByteArray entry = key.toUtf8() + '=' + Profile::encodeValue(value);
    const qsizetype header = findSection(lines, section);
    if (header < 0) {
        if (!lines.isEmpty()) {
            if (!hasEnding(lines.last()))
                lines.last() += eol;
            if (!withoutEnding(lines.last()).trimmed().isEmpty())
                lines.append(eol);
        }
        lines.append('[' + section.toUtf8() + ']' + eol);
        lines.append(entry + eol);
        return;
    }
    qsizetype lastFilled = header;
    for (qsizetype i = header + 1; i < lines.size(); ++i) {
        const QByteArray body = withoutEnding(lines.at(i));
        if (sectionOf(body))
            break;
        const std::optional<QString> name = keyOf(body);
        if (name && sameName(*name, key)) {
            // The key keeps the spelling and indentation it had; only the value changes.
            const QByteArray ending = lines.at(i).mid(body.size());
            QByteArray spelled = body.left(body.indexOf('='));
            while (!spelled.isEmpty() && (spelled.back() == ' ' || spelled.back() == '\t'))
                spelled.chop(1);
            lines[i] = spelled + '=' + Profile::encodeValue(value) + ending;
            return;
        }
        if (!body.trimmed().isEmpty())
            lastFilled = i;
    }
    // A new key goes after the section's last line that is not blank, so blank lines that
    // part it from the next section stay where they are.
    if (!hasEnding(lines.at(lastFilled)))
        lines[lastFilled] += eol;
    lines.insert(lastFilled + 1, entry + eol);
}

} // namespace

Profile::Profile(const QString &path)
    : path_(path)
{
    reload();
}

void Profile::reload()
{
    QFile file(path_);
    contents_ = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString Profile::readString(const QString &section, const QString &key, const QString &fallback) const
{
    const QList<QByteArray> lines = splitLines(contents_);
    const qsizetype header = findSection(lines, section);
    if (header < 0)
        return fallback;
    for (qsizetype i = header + 1; i < lines.size(); ++i) {
        const QByteArray body = withoutEnding(lines.at(i));
        if (sectionOf(body))
            break;
        const std::optional<QString> name = keyOf(body);
        if (!name || !sameName(*name, key))
            continue;
        QString value = decode(body.mid(body.indexOf('=') + 1)).trimmed();
        if (value.size() >= 2 && value.front() == value.back() &&
            (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')))
            value = value.mid(1, value.size() - 2);
        return value;
    }
    return fallback;
}

int Profile::readInteger(const QString &section, const QString &key, int fallback) const
{
    bool ok = false;
    const int value = readString(section, key).toInt(&ok, 10);
    return ok ? value : fallback;
}

QByteArray Profile::encodeValue(const QString &value)
{
    QString text = value;
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const bool quotedAlready = text.size() >= 2 && text.front() == text.back() &&
                               (text.front() == QLatin1Char('"') || text.front() == QLatin1Char('\''));
    if (text != text.trimmed() || quotedAlready)
        text = QLatin1Char('"') + text + QLatin1Char('"');
    return text.toUtf8();
}

bool Profile::write(const QString &section, const Entries &entries, const QStringList &onlyWhereMissing)
{
    error_.clear();
    QLockFile lock(lockPath(path_));
    // Where no lock file can be made beside it (a directory closed to us), the file is
    // written as before, without one.
    if (!lock.tryLock(kLockWaitMs) && lock.error() == QLockFile::LockFailedError) {
        error_ = QStringLiteral("another copy of Morvello kept it busy");
        return false;
    }
    QByteArray current;
    QFile existing(path_);
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly)) {
            error_ = existing.errorString();
            return false;
        }
        current = existing.readAll();
        existing.close();
    }
    const QByteArray eol = current.contains("\r\n") ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
    QList<QByteArray> lines = splitLines(current);
    for (const auto &[key, value] : entries) {
        if (!onlyWhereMissing.contains(key, Qt::CaseInsensitive) || !hasKey(lines, section, key))
            writeKey(lines, section, key, value, eol);
    }
    const QByteArray updated = lines.join();

    QSaveFile file(path_);
    // Where the directory is closed to us but the file is not, it is written in place.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(updated) != updated.size() || !file.commit()) {
        error_ = file.errorString();
        return false;
    }
    contents_ = updated;
    return true;
}
