#include "client/core/colortext.h"

#include <array>

namespace {

struct Named {
    const char *name;
    ColorText::Value value;
};

// The sixteen basic colours, in the order a name is preferred when formatting.
constexpr std::array<Named, 16> kBasic{{
    {"clBlack", 0x000000},  {"clMaroon", 0x000080}, {"clGreen", 0x008000}, {"clOlive", 0x008080},
    {"clNavy", 0x800000},   {"clPurple", 0x800080}, {"clTeal", 0x808000},  {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0}, {"clRed", 0x0000FF},    {"clLime", 0x00FF00},  {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},   {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00}, {"clWhite", 0xFFFFFF},
}};

std::optional<ColorText::Value> parseNumber(const QString &text)
{
    bool ok = false;
    if (text.startsWith(QLatin1Char('$'))) {
        const QString digits = text.mid(1);
        if (digits.isEmpty() || digits.size() > 8)
            return std::nullopt;
        const uint value = digits.toUInt(&ok, 16);
        return ok ? std::optional<ColorText::Value>(ColorText::Value(value)) : std::nullopt;
    }
    // Decimal: an optional sign and digits, nothing else (no blanks, no "0x").
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!(c.isDigit() && c.unicode() < 128) && !(i == 0 && c == QLatin1Char('-') && text.size() > 1))
            return std::nullopt;
    }
    const int value = text.toInt(&ok, 10);
    return ok ? std::optional<ColorText::Value>(value) : std::nullopt;
}

} // namespace

namespace ColorText {

std::optional<Value> parse(const QString &text)
{
    for (const Named &named : kBasic) {
        if (text.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0)
            return named.value;
    }
    return parseNumber(text);
}

QString format(Value value)
{
    for (const Named &named : kBasic) {
        if (named.value == value)
            return QLatin1String(named.name);
    }
    return QStringLiteral("$%1").arg(quint32(value), 8, 16, QLatin1Char('0')).toUpper();
}

} // namespace ColorText
