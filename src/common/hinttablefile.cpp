#include "common/hinttablefile.h"

#include "common/environment.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSysInfo>
#include <QtEndian>

#include <cmath>
#include <cstring>

namespace HintTableFile {

namespace {

constexpr char kMagic[8] = {'M', 'O', 'R', 'V', 'H', 'I', 'N', 'T'};
constexpr qsizetype kHashOffset = 32;
// No card brings more points than this; a value beyond it was not computed by the builder.
constexpr float kMostPoints = 1000.0f;

QByteArray headerStart(const rules::HintTable &table)
{
    QByteArray header(kHashOffset, '\0');
    char *at = header.data();
    std::memcpy(at, kMagic, sizeof kMagic);
    qToLittleEndian<quint32>(kFormatVersion, at + 8);
    qToLittleEndian<quint32>(quint32(table.rules().variant), at + 12);
    qToLittleEndian<quint32>(table.rules().categories, at + 16);
    qToLittleEndian<quint32>(0, at + 20);
    qToLittleEndian<quint64>(quint64(table.values().size()), at + 24);
    return header;
}

// The values as the file holds them: little-endian float32.
QByteArrayView valueBytes(const std::vector<float> &values, QByteArray &converted)
{
    const auto size = qsizetype(values.size() * sizeof(float));
    if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian)
        return {reinterpret_cast<const char *>(values.data()), size};
    converted.resize(size);
    qToLittleEndian<float>(values.data(), qsizetype(values.size()), converted.data());
    return converted;
}

QByteArray checksum(const QByteArray &header, QByteArrayView values)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(header);
    hash.addData(values);
    return hash.result();
}

} // namespace

QString fileName(rules::HintVariant variant)
{
    return variant == rules::HintVariant::BonusDice ? QStringLiteral("morvellohintbonus.tbl")
                                                    : QStringLiteral("morvellohint.tbl");
}

QString defaultPath(rules::HintVariant variant)
{
    return Environment::dataDirectory() + fileName(variant);
}

Loaded load(const QString &path, const rules::HintRules &rules)
{
    Loaded loaded;
    QFile file(path);
    if (!file.exists())
        return loaded;
    const auto fail = [&](const QString &why) {
        loaded.problem = QStringLiteral("The hint table %1 %2; it is computed again.").arg(path, why);
        return loaded;
    };
    if (!rules.isValid())
        return fail(QStringLiteral("was asked for with no categories"));
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot be read (%1)").arg(file.errorString()));

    rules::HintTable table(rules);
    auto &values = table.values();
    const qint64 valueSize = qint64(values.size() * sizeof(float));
    if (file.size() != kHeaderSize + valueSize)
        return fail(QStringLiteral("has the wrong size for its game"));

    const QByteArray header = file.read(kHeaderSize);
    const QByteArray expected = headerStart(table);
    if (header.size() != kHeaderSize)
        return fail(QStringLiteral("cannot be read"));
    if (header.first(sizeof kMagic) != expected.first(sizeof kMagic))
        return fail(QStringLiteral("is not a hint table"));
    if (header.first(kHashOffset) != expected)
        return fail(QStringLiteral("was made for another version or game"));

    auto *bytes = reinterpret_cast<char *>(values.data());
    if (file.read(bytes, valueSize) != valueSize)
        return fail(QStringLiteral("cannot be read"));
    if (checksum(expected, QByteArrayView(bytes, valueSize)) != header.sliced(kHashOffset, 32))
        return fail(QStringLiteral("is damaged"));
    if constexpr (QSysInfo::ByteOrder != QSysInfo::LittleEndian)
        qFromLittleEndian<float>(values.data(), qsizetype(values.size()), values.data());
    for (float value : values) {
        if (!std::isfinite(value) || value < 0.0f || value > kMostPoints)
            return fail(QStringLiteral("holds values no game can have"));
    }
    loaded.table = std::move(table);
    return loaded;
}

bool save(const rules::HintTable &table, const QString &path, QString *error)
{
    QByteArray converted;
    const QByteArray header = headerStart(table);
    const QByteArrayView values = valueBytes(table.values(), converted);
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) && file.write(header) == header.size()
        && file.write(checksum(header, values)) == 32
        && file.write(values.data(), values.size()) == values.size() && file.commit();
    if (!written && error)
        *error = QStringLiteral("The hint table could not be saved as %1: %2").arg(path, file.errorString());
    return written;
}

Outcome loadOrBuild(const QString &path, const rules::HintRules &rules,
                    const rules::HintBuildControl &control)
{
    Outcome outcome;
    Loaded loaded = load(path, rules);
    if (loaded.table) {
        outcome.table = std::move(loaded.table);
        if (control.progress)
            control.progress(100);
        return outcome;
    }
    outcome.problem = loaded.problem;
    outcome.table = rules::buildHintTable(rules, control);
    if (!outcome.table)
        return outcome;
    outcome.built = true;
    QString error;
    if (!save(*outcome.table, path, &error))
        outcome.problem = outcome.problem.isEmpty() ? error : outcome.problem + QLatin1Char('\n') + error;
    return outcome;
}

} // namespace HintTableFile
