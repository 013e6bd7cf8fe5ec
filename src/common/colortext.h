#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// Colours as the chat and the settings file write them: a 32-bit value laid out 00BBGGRR,
// spelled as a basic name ("clBlack" ...), as "$" and eight hexadecimal digits, or as a decimal
// integer. Values with a high byte of 0x80 name a colour of the desktop's palette by index;
// those have names too ("clBtnFace", "clWindowText" ...), which the desktop maps (ui/).
namespace ColorText {

using Value = qint32;

inline constexpr Value kBlack = 0x000000;
inline constexpr Value kRed = 0x0000FF;
inline constexpr Value kBlue = 0xFF0000;
inline constexpr Value kNavy = 0x800000;

// The value a text names, in any letter case; nothing when it names none.
std::optional<Value> parse(const QString &text);
// The text for a value: its name when it has one, else "$" and eight upper-case hex digits.
QString format(Value value);

// The red, green and blue of a plain (non-palette) value.
constexpr int red(Value value) { return value & 0xFF; }
constexpr int green(Value value) { return (value >> 8) & 0xFF; }
constexpr int blue(Value value) { return (value >> 16) & 0xFF; }
constexpr Value fromRgb(int r, int g, int b) { return Value(r | (g << 8) | (b << 16)); }
// A palette entry rather than a plain colour.
constexpr bool isSystemColor(Value value) { return (quint32(value) & 0xFF000000u) == 0x80000000u; }
constexpr Value systemColor(int index) { return Value(0x80000000u | quint32(index)); }
constexpr int systemIndex(Value value) { return int(quint32(value) & 0x00FFFFFFu); }

} // namespace ColorText
