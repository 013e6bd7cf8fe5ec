#include "common/colortext.h"

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

// The desktop's system colours, by their index in its colour table.
constexpr std::array<Named, 30> kSystem{{
    {"clScrollBar", 0},
    {"clBackground", 1},
    {"clActiveCaption", 2},
    {"clInactiveCaption", 3},
    {"clMenu", 4},
    {"clWindow", 5},
    {"clWindowFrame", 6},
    {"clMenuText", 7},
    {"clWindowText", 8},
    {"clCaptionText", 9},
    {"clActiveBorder", 10},
    {"clInactiveBorder", 11},
    {"clAppWorkSpace", 12},
    {"clHighlight", 13},
    {"clHighlightText", 14},
    {"clBtnFace", 15},
    {"clBtnShadow", 16},
    {"clGrayText", 17},
    {"clBtnText", 18},
    {"clInactiveCaptionText", 19},
    {"clBtnHighlight", 20},
    {"cl3DDkShadow", 21},
    {"cl3DLight", 22},
    {"clInfoText", 23},
    {"clInfoBk", 24},
    {"clHotLight", 26},
    {"clGradientActiveCaption", 27},
    {"clGradientInactiveCaption", 28},
    {"clMenuHighlight", 29},
    {"clMenuBar", 30},
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
    for (const Named &named : kSystem) {
        if (text.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0)
            return systemColor(named.value);
    }
    return parseNumber(text);
}

QString format(Value value)
{
    for (const Named &named : kBasic) {
        if (named.value == value)
            return QLatin1String(named.name);
    }
    if (isSystemColor(value)) {
        for (const Named &named : kSystem) {
            if (systemColor(named.value) == value)
                return QLatin1String(named.name);
        }
    }
    return QStringLiteral("$%1").arg(quint32(value), 8, 16, QLatin1Char('0')).toUpper();
}

} // namespace ColorText
