#include "common/profile.h"

#include "common/boundedfile.h"
#include "common/lockfilecheck.h"

#include <QLockFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <optional>

namespace {

// Some editors start a UTF-8 file with this mark; left in, it would hide the first section.
constexpr QByteArrayView kByteOrderMark("\xEF\xBB\xBF");

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

QByteArrayView withoutEnding(QByteArrayView line)
{
    qsizetype size = line.size();
    if (size > 0 && line.at(size - 1) == '\n')
        --size;
    if (size > 0 && line.at(size - 1) == '\r')
        --size;
    return line.first(size);
}

bool hasEnding(const QByteArray &line)
{
    return line.endsWith('\n');
}

// The file is written in UTF-8; one written by an older program in a single-byte code page
// still reads, as Latin-1.
QString decode(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

std::optional<QString> sectionOf(QByteArrayView body)
{
    const QByteArrayView trimmed = body.trimmed();
    if (!trimmed.startsWith('['))
        return std::nullopt;
    qsizetype close = trimmed.indexOf(']');
    if (close < 0)
        close = trimmed.size();
    return decode(trimmed.sliced(1, close - 1)).trimmed();
}

std::optional<QString> keyOf(QByteArrayView body)
{
    const qsizetype equals = body.indexOf('=');
    if (equals < 0)
        return std::nullopt;
    return decode(body.first(equals)).trimmed();
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
        const QByteArrayView body = withoutEnding(lines.at(i));
        if (sectionOf(body))
            break;
        const std::optional<QString> name = keyOf(body);
        if (name && sameName(*name, key)) {
            // The key keeps the spelling and indentation it had; only the value changes.
            const QByteArray ending = lines.at(i).mid(body.size());
            QByteArray spelled = body.first(body.indexOf('=')).toByteArray();
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
    BoundedFile::Result file = BoundedFile::read(path_, kMaxFileSize);
    problem_ = file.problem;
    contents_ = std::move(file.bytes);
    if (contents_.startsWith(kByteOrderMark))
        contents_.remove(0, kByteOrderMark.size());
}

QString Profile::readString(const QString &section, const QString &key, const QString &fallback) const
{
    // Line by line in place: this runs once for every key, and a file may hold many lines.
    bool inSection = false;
    for (qsizetype start = 0; start < contents_.size();) {
        qsizetype end = contents_.indexOf('\n', start);
        end = end < 0 ? contents_.size() : end + 1;
        const QByteArrayView body = withoutEnding(QByteArrayView(contents_).sliced(start, end - start));
        start = end;
        if (const std::optional<QString> name = sectionOf(body)) {
            if (inSection)
                break;
            inSection = sameName(*name, section);
            continue;
        }
        if (!inSection)
            continue;
        const std::optional<QString> name = keyOf(body);
        if (!name || !sameName(*name, key))
            continue;
        QString value = decode(body.sliced(body.indexOf('=') + 1)).trimmed();
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
    const QString planted = LockFileCheck::problem(lockPath(path_));
    if (!planted.isEmpty()) {
        error_ = QStringLiteral("its lock file %1 %2").arg(lockPath(path_), planted);
        return false;
    }
    QLockFile lock(lockPath(path_));
    // Where no lock file can be made beside it (a directory closed to us), the file is
    // written as before, without one.
    if (!lock.tryLock(kLockWaitMs) && lock.error() == QLockFile::LockFailedError) {
        error_ = QStringLiteral("another copy of Morvello kept it busy");
        return false;
    }
    BoundedFile::Result existing = BoundedFile::read(path_, kMaxFileSize);
    if (existing.status == BoundedFile::Status::Refused) {
        // Whatever it is, it is not ours to replace.
        error_ = QStringLiteral("it ") + existing.problem;
        return false;
    }
    QByteArray current = std::move(existing.bytes);
    const bool marked = current.startsWith(kByteOrderMark);
    if (marked)
        current.remove(0, kByteOrderMark.size());
    const QByteArray eol = current.contains("\r\n") ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
    QList<QByteArray> lines = splitLines(current);
    for (const auto &[key, value] : entries) {
        if (!onlyWhereMissing.contains(key, Qt::CaseInsensitive) || !hasKey(lines, section, key))
            writeKey(lines, section, key, value, eol);
    }
    const QByteArray updated = (marked ? kByteOrderMark.toByteArray() : QByteArray()) + lines.join();

    QSaveFile file(path_);
    // Where the directory is closed to us but the file is not, it is written in place.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(updated) != updated.size() || !file.commit()) {
        error_ = file.errorString();
        return false;
    }
    contents_ = updated.sliced(marked ? kByteOrderMark.size() : 0);
    problem_.clear();
    return true;
}
