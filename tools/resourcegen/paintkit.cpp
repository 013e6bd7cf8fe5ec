#include "paintkit.h"

#include "noise.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace paintkit {

namespace {

int clampByte(double v) { return std::clamp(int(std::lround(v)), 0, 255); }

QRgb rgb(double r, double g, double b) { return qRgb(clampByte(r), clampByte(g), clampByte(b)); }

} // namespace

namespace {
int gScale = 1;
} // namespace

void setScale(int scale)
{
    gScale = scale;
}

int scale()
{
    return gScale;
}

QImage canvas(int width, int height)
{
    QImage image(width * gScale, height * gScale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(gScale);
    image.fill(Qt::transparent);
    return image;
}

QColor mixColor(const QColor &a, const QColor &b, double t)
{
    return QColor(clampByte(a.red() + (b.red() - a.red()) * t),
                  clampByte(a.green() + (b.green() - a.green()) * t),
                  clampByte(a.blue() + (b.blue() - a.blue()) * t),
                  clampByte(a.alpha() + (b.alpha() - a.alpha()) * t));
}

QColor scaled(const QColor &c, double factor)
{
    return QColor(clampByte(c.red() * factor), clampByte(c.green() * factor),
                  clampByte(c.blue() * factor), c.alpha());
}

QImage wood(int width, int height, std::uint32_t seed, const WoodTone &tone, bool vertical)
{
    QImage image(width, height, QImage::Format_RGB32);
    const ValueNoise warp(seed, 64, 64);
    const ValueNoise fibre(seed ^ 0x5bd1e995u, 256, 256);
    Rng rng(seed * 2654435761u + 1);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            // Along the grain the noise is stretched, across it the rings are narrow.
            const double along = vertical ? y : x;
            const double across = vertical ? x : y;
            const double w = warp.fractal(along / 90.0, across / 14.0, 3);
            const double ring = 0.5 + 0.5 * std::sin((across * 0.42 + w * 9.0) * 1.3);
            const double streak = fibre.fractal(along / 30.0, across / 1.2, 2);
            double t = 0.15 + 0.55 * std::pow(ring, 2.2) + 0.3 * streak;
            t += (rng.uniform() - 0.5) * 0.06;
            t = std::clamp(t, 0.0, 1.0);
            const QColor c = mixColor(tone.light, tone.dark, t);
            line[x] = rgb(c.red(), c.green(), c.blue());
        }
    }
    return image;
}

QImage felt(int width, int height, std::uint32_t seed, QPointF lightCenter, double lightRadius)
{
    QImage image(width, height, QImage::Format_RGB32);
    const ValueNoise mottle(seed, 16, 16);
    Rng rng(seed + 77);
    const QColor base(26, 104, 56);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double dx = (x - lightCenter.x()) / lightRadius;
            const double dy = (y - lightCenter.y()) / (lightRadius * 0.8);
            const double d = std::sqrt(dx * dx + dy * dy);
            const double light = 1.13 - 0.33 * std::clamp(d * d, 0.0, 1.4);
            const double m = (mottle.fractal(x / 40.0, y / 40.0, 3) - 0.5) * 0.10;
            const double grain = (rng.uniform() + rng.uniform() - 1.0) * 0.07;
            const double f = light * (1.0 + m + grain);
            line[x] = rgb(base.red() * f, base.green() * f, base.blue() * f);
        }
    }
    return image;
}

QImage paper(int width, int height, std::uint32_t seed, const QColor &base, double grain)
{
    QImage image(width, height, QImage::Format_RGB32);
    const ValueNoise cloud(seed, std::max(1, width / 32), std::max(1, height / 32));
    const ValueNoise fibres(seed ^ 0xabcdefu, std::max(1, width / 4), std::max(1, height / 16));
    Rng rng(seed + 5);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double c = (cloud.fractal(x / 32.0, y / 32.0, 3) - 0.5) * 2.0;
            const double f = (fibres.fractal(x / 4.0, y / 16.0, 2) - 0.5) * 2.0;
            const double n = (rng.uniform() - 0.5);
            const double delta = grain * (0.55 * c + 0.3 * f + 0.35 * n);
            line[x] = rgb(base.red() + delta * 1.0, base.green() + delta * 0.97,
                          base.blue() + delta * 0.9);
        }
    }
    return image;
}

DieStyle ivoryDie()
{
    return {QColor(255, 253, 244), QColor(226, 216, 190), QColor(120, 104, 82),
            QColor(28, 24, 30), QColor(110, 104, 110), Qt::transparent};
}

DieStyle bonusDie()
{
    return {QColor(236, 58, 48), QColor(150, 14, 18), QColor(90, 10, 8),
            QColor(255, 250, 238), QColor(190, 170, 150), QColor(246, 200, 90)};
}

void paintDie(QPainter &p, const QRectF &body, int face, const DieStyle &style, double shadow)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const double s = body.width();
    const double radius = s * 0.2;

    // Soft shadow: stacked, growing, faint rounded squares.
    if (shadow > 0) {
        p.setPen(Qt::NoPen);
        for (int i = 3; i >= 1; --i) {
            p.setBrush(QColor(0, 0, 0, int(34 * shadow)));
            const double grow = i * 0.5;
            p.drawRoundedRect(body.translated(s * 0.045, s * 0.06).adjusted(-grow, -grow, grow, grow),
                              radius + grow, radius + grow);
        }
    }

    QPainterPath outline;
    outline.addRoundedRect(body, radius, radius);
    QRadialGradient bodyGradient(body.left() + s * 0.34, body.top() + s * 0.3, s * 0.95);
    bodyGradient.setColorAt(0.0, style.face);
    bodyGradient.setColorAt(0.55, mixColor(style.face, style.edge, 0.35));
    bodyGradient.setColorAt(1.0, style.edge);
    p.setBrush(bodyGradient);
    p.setPen(QPen(style.outline, std::max(0.8, s / 36.0)));
    p.drawPath(outline);

    if (style.rim.alpha() > 0) {
        p.setBrush(Qt::NoBrush);
        QColor rim = style.rim;
        rim.setAlpha(150);
        p.setPen(QPen(rim, std::max(0.8, s / 40.0)));
        const double in = s * 0.055;
        p.drawRoundedRect(body.adjusted(in, in, -in, -in), radius * 0.75, radius * 0.75);
    }

    // Sheen along the upper left bevel.
    QLinearGradient sheen(body.topLeft(), body.bottomRight());
    sheen.setColorAt(0.0, QColor(255, 255, 255, 150));
    sheen.setColorAt(0.45, QColor(255, 255, 255, 0));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QBrush(sheen), std::max(1.0, s / 22.0)));
    const double inset = s * 0.05;
    p.drawRoundedRect(body.adjusted(inset, inset, -inset, -inset), radius * 0.8, radius * 0.8);

    static constexpr int layouts[7][9] = {
        {0, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 1, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0, 0, 0, 1},
        {1, 0, 0, 0, 1, 0, 0, 0, 1}, {1, 0, 1, 0, 0, 0, 1, 0, 1}, {1, 0, 1, 0, 1, 0, 1, 0, 1},
        {1, 0, 1, 1, 0, 1, 1, 0, 1},
    };
    const double pipRadius = s * (face == 1 ? 0.115 : 0.088);
    for (int cell = 0; cell < 9; ++cell) {
        if (!layouts[std::clamp(face, 0, 6)][cell])
            continue;
        const int col = cell % 3;
        const int row = cell / 3;
        const double cx = body.left() + s * (0.5 + (col - 1) * 0.265);
        const double cy = body.top() + s * (0.5 + (row - 1) * 0.265);
        const QPointF c(cx, cy);
        p.setPen(Qt::NoPen);
        // A drilled pip: dark, with its lower right inner wall catching the light.
        QRadialGradient pip(c + QPointF(-pipRadius * 0.35, -pipRadius * 0.35), pipRadius * 1.4);
        pip.setColorAt(0.0, style.pip);
        pip.setColorAt(0.6, style.pip);
        pip.setColorAt(1.0, style.pipShade);
        p.setBrush(pip);
        p.drawEllipse(c, pipRadius, pipRadius);
        p.setBrush(QColor(255, 255, 255, 60));
        p.drawEllipse(c + QPointF(pipRadius * 0.2, pipRadius * 0.55), pipRadius * 0.45,
                      pipRadius * 0.22);
    }
    p.restore();
}

QFont sans(double pixelSize, bool bold, bool italic)
{
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(int(std::lround(pixelSize)));
    f.setBold(bold);
    f.setItalic(italic);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QFont serif(double pixelSize, bool bold, bool italic)
{
    QFont f(QStringLiteral("Liberation Serif"));
    f.setPixelSize(int(std::lround(pixelSize)));
    f.setBold(bold);
    f.setItalic(italic);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

void embossedText(QPainter &p, const QRectF &rect, const QString &text, const QFont &font,
                  const QColor &color, const QColor &shadow, QPointF shadowOffset)
{
    p.save();
    p.setFont(font);
    p.setPen(shadow);
    p.drawText(rect.translated(shadowOffset), Qt::AlignCenter, text);
    p.setPen(color);
    p.drawText(rect, Qt::AlignCenter, text);
    p.restore();
}

} // namespace paintkit
