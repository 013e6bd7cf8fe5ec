#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRectF>
#include <QString>

#include <cstdint>

class QPainter;

// Shared materials and shapes of the game's pictures.
namespace paintkit {

// Device pixels per layout pixel of the pictures painted from now on: 1, or 2 for screens
// scaled to 200%. A canvas carries it as its device pixel ratio, so the same painting code
// draws at either density; the per-pixel textures stay at layout size and are drawn scaled.
void setScale(int scale);
int scale();

// A transparent picture of width x height layout pixels at the current scale.
QImage canvas(int width, int height);

// Colour channels mixed and clamped, for per-pixel texture work.
QColor mixColor(const QColor &a, const QColor &b, double t);
QColor scaled(const QColor &c, double factor);

struct WoodTone {
    QColor light;
    QColor dark;
};
inline constexpr WoodTone honeyOak{QColor(214, 160, 92), QColor(150, 96, 44)};
inline constexpr WoodTone walnut{QColor(136, 84, 46), QColor(78, 44, 22)};

// Wood with its grain running along x (or along y when vertical is set).
QImage wood(int width, int height, std::uint32_t seed, const WoodTone &tone, bool vertical = false);
// Billiard-cloth green with fine fibres and a soft light from above; the light falls off around
// lightCenter, given in pixels.
QImage felt(int width, int height, std::uint32_t seed, QPointF lightCenter, double lightRadius);
// Cream writing paper; tiles seamlessly when width and height are multiples of 32.
QImage paper(int width, int height, std::uint32_t seed, const QColor &base, double grain);

struct DieStyle {
    QColor face;      // lit part of the body
    QColor edge;      // the body towards its rim
    QColor outline;
    QColor pip;
    QColor pipShade;  // the lit inner wall of a pip
    QColor rim;       // thin ring just inside the outline, or transparent
};
DieStyle ivoryDie();
DieStyle bonusDie();

// A die seen from above, body filling body (the drop shadow goes beyond it to the lower right).
void paintDie(QPainter &p, const QRectF &body, int face, const DieStyle &style, double shadow = 1.0);

QFont sans(double pixelSize, bool bold = true, bool italic = false);
QFont serif(double pixelSize, bool bold = true, bool italic = false);

// Text centred in rect with a soft drop shadow or emboss below it.
void embossedText(QPainter &p, const QRectF &rect, const QString &text, const QFont &font,
                  const QColor &color, const QColor &shadow, QPointF shadowOffset = {0, 1});

} // namespace paintkit
