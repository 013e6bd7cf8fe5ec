#include "common/profile.h"

#include "common/boundedfile.h"
#include "common/lockfilecheck.h"

#include <QLockFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <algorithm>
#include <deque>
#include <optional>

namespace {

// Some editors start a UTF-8 file with this mark; left in, it would hide the first section.
constexpr QByteArrayView kByteOrderMark("\xEF\xBB\xBF");

QByteArrayView withoutEnding(QByteArrayView line)
{
    qsizetype size = line.size();
    if (size > 0 && line.at(size - 1) == '\n')
        --size;
    if (size > 0 && line.at(size - 1) == '\r')
        --size;
    return line.first(size);
}

// Hands out the file's lines one at a time, each with its own line ending (the last one may
// have none).
class LineReader {
public:
    explicit LineReader(QByteArrayView text)
        : text_(text)
    {
    }
    std::optional<QByteArrayView> next()
    {
        if (start_ >= text_.size())
            return std::nullopt;
        qsizetype end = text_.indexOf('\n', start_);
        end = end < 0 ? text_.size() : end + 1;
        const QByteArrayView line = text_.sliced(start_, end - start_);
        start_ = end;
        return line;
    }

private:
    QByteArrayView text_;
    qsizetype start_ = 0;
};

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

// The file is written in UTF-8; one written by an older program in a single-byte code page
// still reads, as Latin-1.
QString decode(QByteArrayView bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
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

// A name as QString::compare() sees it when case does not matter: two names are the same
// regardless of case exactly when their case-folded forms are equal, so a name can be looked up
// in a hash instead of compared with every line.
QString foldedName(const QString &name)
{
    return name.toCaseFolded();
}

// The file as write() changes it. The section written is found once and its keys are held by
// name, so that writing a dozen keys reads the file's lines once, not once for every key; what
// is written is what rewriting the file's lines key by key would give.
class Editor {
public:
    Editor(const QByteArray &text, const QString &section, const QByteArray &eol)
        : section_(section), foldedSection_(foldedName(section)), eol_(eol)
    {
        LineReader reader(text);
        while (const std::optional<QByteArrayView> line = reader.next())
            lines_.append(*line);
        locate(0);
    }
    Editor(const Editor &) = delete;
    Editor &operator=(const Editor &) = delete;

    bool hasKey(const QString &key) const { return header_ >= 0 && keys_.contains(foldedName(key)); }

    void writeKey(const QString &key, const QString &value)
    {
        const QByteArray entry = key.toUtf8() + '=' + Profile::encodeValue(value);
        if (header_ < 0) {
            appendSection(entry);
            return;
        }
        const auto slot = keys_.find(foldedName(key));
        if (slot != keys_.end()) {
            // The key keeps the spelling and indentation it had; only the value changes.
            QByteArrayView &line = at(slot->second);
            const QByteArrayView body = withoutEnding(line);
            QByteArrayView spelled = body.first(body.indexOf('='));
            while (!spelled.isEmpty() && (spelled.back() == ' ' || spelled.back() == '\t'))
                spelled.chop(1);
            const QByteArrayView ending = line.sliced(body.size());
            line = own(spelled.toByteArray() + '=' + Profile::encodeValue(value) + ending.toByteArray());
            return;
        }
        // A new key goes after the section's last line that is not blank, so blank lines that
        // part it from the next section stay where they are.
        if (added_.isEmpty() && !lines_.at(lastFilled_).endsWith('\n'))
            lines_[lastFilled_] = own(lines_.at(lastFilled_).toByteArray() + eol_);
        const QByteArrayView line = own(entry + eol_);
        if (sectionOf(entry)) {
            // A key written as "[..." reads as a section header: the section ends there, and the
            // keys after it go before it.
            closing_.prepend(line);
            return;
        }
        added_.append(line);
        if (const std::optional<QString> name = keyOf(entry))
            keys_.try_emplace(foldedName(*name), Slot{true, added_.size() - 1});
    }

    QByteArray text() const
    {
        qsizetype size = 0;
        for (const QList<QByteArrayView> *part : {&lines_, &added_, &closing_}) {
            for (const QByteArrayView line : *part)
                size += line.size();
        }
        QByteArray text;
        text.reserve(size);
        for (qsizetype i = 0; i < lines_.size(); ++i) {
            text += lines_.at(i);
            if (i == lastFilled_) {
                for (const QByteArrayView line : added_)
                    text += line;
                for (const QByteArrayView line : closing_)
                    text += line;
            }
        }
        return text;
    }

private:
    struct Slot {
        bool added;   // in added_, else in lines_
        qsizetype index;
    };

    // Finds the first header of the section from line `from` on, the first line of each of
    // its keys and its last line that is not blank.
    void locate(qsizetype from)
    {
        for (qsizetype i = from; header_ < 0 && i < lines_.size(); ++i) {
            const std::optional<QString> name = sectionOf(withoutEnding(lines_.at(i)));
            if (name && foldedName(*name) == foldedSection_)
                header_ = i;
        }
        if (header_ < 0)
            return;
        lastFilled_ = header_;
        for (qsizetype i = header_ + 1; i < lines_.size(); ++i) {
            const QByteArrayView body = withoutEnding(lines_.at(i));
            if (sectionOf(body))
                break;
            if (const std::optional<QString> name = keyOf(body))
                keys_.try_emplace(foldedName(*name), Slot{false, i});
            if (!body.trimmed().isEmpty())
                lastFilled_ = i;
        }
    }

    void appendSection(const QByteArray &entry)
    {
        if (!lines_.isEmpty()) {
            if (!lines_.last().endsWith('\n'))
                lines_.last() = own(lines_.last().toByteArray() + eol_);
            if (!withoutEnding(lines_.last()).trimmed().isEmpty())
                lines_.append(own(eol_));
        }
        const qsizetype header = lines_.size();
        lines_.append(own('[' + section_.toUtf8() + ']' + eol_));
        lines_.append(own(entry + eol_));
        // No earlier line is a header of the section, or it would have been found.
        locate(header);
    }

    QByteArrayView &at(Slot slot) { return slot.added ? added_[slot.index] : lines_[slot.index]; }

    // Keeps a line made here for as long as the views into it.
    QByteArrayView own(QByteArray line)
    {
        made_.push_back(std::move(line));
        return made_.back();
    }

    QString section_;
    QString foldedSection_;
    QByteArray eol_;
    QList<QByteArrayView> lines_;
    std::deque<QByteArray> made_;
    qsizetype header_ = -1;
    qsizetype lastFilled_ = -1;
    // Keys new to the section, after its line lastFilled_; then lines that read as headers.
    QList<QByteArrayView> added_;
    QList<QByteArrayView> closing_;
    // The line of each key's name that counts: its first, as when the lines are searched in order.
    std::unordered_map<QString, Slot> keys_;
};

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
    index_.reset();
}

const Profile::Values &Profile::sectionValues(const QString &section) const
{
    const QString name = foldedName(section);
    if (index_ && index_->name == name)
        return index_->values;
    index_ = SectionIndex{name, {}};
    bool inSection = false;
    LineReader reader(contents_);
    while (const std::optional<QByteArrayView> line = reader.next()) {
        const QByteArrayView body = withoutEnding(*line);
        if (const std::optional<QString> header = sectionOf(body)) {
            if (inSection)
                break;
            inSection = foldedName(*header) == name;
            continue;
        }
        const qsizetype equals = body.indexOf('=');
        if (inSection && equals >= 0)
            index_->values.try_emplace(foldedName(decode(body.first(equals)).trimmed()), body.sliced(equals + 1));
    }
    return index_->values;
}

QString Profile::readString(const QString &section, const QString &key, const QString &fallback) const
{
    const Values &values = sectionValues(section);
    const auto found = values.find(foldedName(key));
    if (found == values.end())
        return fallback;
    QString value = decode(found->second).trimmed();
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')))
        value = value.mid(1, value.size() - 2);
    return value;
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
    Editor editor(current, section, eol);
    for (const auto &[key, value] : entries) {
        if (!onlyWhereMissing.contains(key, Qt::CaseInsensitive) || !editor.hasKey(key))
            editor.writeKey(key, value);
    }
    const QByteArray updated = (marked ? kByteOrderMark.toByteArray() : QByteArray()) + editor.text();

    QSaveFile file(path_);
    // Where the directory is closed to us but the file is not, it is written in place.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(updated) != updated.size() || !file.commit()) {
        error_ = file.errorString();
        return false;
    }
    contents_ = updated.sliced(marked ? kByteOrderMark.size() : 0);
    index_.reset();
    problem_.clear();
    return true;
}
