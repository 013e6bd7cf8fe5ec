#include "pictures.h"

#include "noise.h"
#include "paintkit.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QTransform>

#include <cmath>
#include <string_view>

using namespace paintkit;

namespace pictures {

namespace {

constexpr QColor kMaroon(128, 0, 0);
constexpr QColor kGold(232, 190, 92);
constexpr QColor kDarkGold(150, 104, 30);

void setupPainter(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

// A brass screw head, slot at a fixed slant.
void screw(QPainter &p, QPointF c, double r)
{
    QRadialGradient g(c + QPointF(-r * 0.4, -r * 0.4), r * 1.6);
    g.setColorAt(0, QColor(255, 240, 190));
    g.setColorAt(0.5, QColor(196, 150, 70));
    g.setColorAt(1, QColor(110, 76, 28));
    p.setPen(QPen(QColor(70, 44, 16, 180), 0.6));
    p.setBrush(g);
    p.drawEllipse(c, r, r);
    p.setPen(QPen(QColor(80, 52, 18), 0.9));
    p.drawLine(c + QPointF(-r * 0.6, r * 0.35), c + QPointF(r * 0.6, -r * 0.35));
}

// Shadow cast into a recess along its top and left inner edges, light along bottom and right.
void recessShading(QPainter &p, const QRectF &r, double depth, int darkAlpha, int lightAlpha)
{
    p.save();
    p.setPen(Qt::NoPen);
    QLinearGradient top(r.topLeft(), r.topLeft() + QPointF(0, depth));
    top.setColorAt(0, QColor(0, 0, 0, darkAlpha));
    top.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(r.left(), r.top(), r.width(), depth), top);
    QLinearGradient left(r.topLeft(), r.topLeft() + QPointF(depth * 0.8, 0));
    left.setColorAt(0, QColor(0, 0, 0, darkAlpha * 3 / 4));
    left.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(r.left(), r.top(), depth * 0.8, r.height()), left);
    QLinearGradient bottom(r.bottomLeft(), r.bottomLeft() - QPointF(0, depth * 0.5));
    bottom.setColorAt(0, QColor(255, 255, 255, lightAlpha));
    bottom.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(QRectF(r.left(), r.bottom() - depth * 0.5, r.width(), depth * 0.5), bottom);
    QLinearGradient right(r.topRight(), r.topRight() - QPointF(depth * 0.4, 0));
    right.setColorAt(0, QColor(255, 255, 255, lightAlpha * 2 / 3));
    right.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(QRectF(r.right() - depth * 0.4, r.top(), depth * 0.4, r.height()), right);
    p.restore();
}

// A wooden frame around inner, mitred at the corners, grain following each side.
void woodFrame(QPainter &p, const QRectF &outer, const QRectF &inner, std::uint32_t seed,
               const WoodTone &tone)
{
    const int w = int(std::ceil(outer.width()));
    const int h = int(std::ceil(outer.height()));
    const QImage across = wood(w, h, seed, tone, false);
    const QImage down = wood(w, h, seed + 1, tone, true);
    const QPolygonF top{outer.topLeft(), outer.topRight(), inner.topRight(), inner.topLeft()};
    const QPolygonF bottom{outer.bottomLeft(), outer.bottomRight(), inner.bottomRight(),
                           inner.bottomLeft()};
    const QPolygonF left{outer.topLeft(), inner.topLeft(), inner.bottomLeft(), outer.bottomLeft()};
    const QPolygonF right{outer.topRight(), inner.topRight(), inner.bottomRight(),
                          outer.bottomRight()};
    p.save();
    p.setPen(Qt::NoPen);
    QBrush acrossBrush(across);
    acrossBrush.setTransform(QTransform::fromTranslate(outer.left(), outer.top()));
    QBrush downBrush(down);
    downBrush.setTransform(QTransform::fromTranslate(outer.left(), outer.top()));
    p.setBrush(acrossBrush);
    p.drawPolygon(top);
    p.drawPolygon(bottom);
    p.setBrush(downBrush);
    p.drawPolygon(left);
    p.drawPolygon(right);

    // Each side is rounded like a rail: dark at both edges, lit along its outer third, the
    // light coming from above.
    auto rail = [&](const QPolygonF &side, QPointF from, QPointF to, double light) {
        QLinearGradient g(from, to);
        g.setColorAt(0, QColor(30, 14, 0, 90));
        g.setColorAt(0.3, QColor(255, 238, 200, int(70 * light)));
        g.setColorAt(0.55, QColor(255, 238, 200, int(20 * light)));
        g.setColorAt(1, QColor(30, 14, 0, 80));
        p.setBrush(g);
        p.drawPolygon(side);
    };
    rail(top, outer.topLeft(), QPointF(outer.left(), inner.top()), 1.0);
    rail(left, outer.topLeft(), QPointF(inner.left(), outer.top()), 0.8);
    rail(right, outer.topRight(), QPointF(inner.right(), outer.top()), 0.55);
    rail(bottom, outer.bottomLeft(), QPointF(outer.left(), inner.bottom()), 0.45);
    p.setPen(QPen(QColor(60, 34, 12, 110), 0.8));
    p.drawLine(outer.topLeft(), inner.topLeft());
    p.drawLine(outer.topRight(), inner.topRight());
    p.drawLine(outer.bottomLeft(), inner.bottomLeft());
    p.drawLine(outer.bottomRight(), inner.bottomRight());
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 236, 200, 110), 1));
    p.drawLine(outer.topLeft() + QPointF(1, 1.5), outer.topRight() + QPointF(-1, 1.5));
    p.drawLine(outer.topLeft() + QPointF(1.5, 1), outer.bottomLeft() + QPointF(1.5, -1));
    p.setPen(QPen(QColor(50, 26, 8, 200), 1));
    p.drawRect(outer.adjusted(0.5, 0.5, -0.5, -0.5));
    p.setPen(QPen(QColor(40, 22, 6, 170), 1));
    p.drawRect(inner.adjusted(-0.5, -0.5, 0.5, 0.5));
    p.restore();
}

QImage glossyButton(QSize size, const QString &text, const QColor &top, const QColor &bottom,
                    const QColor &border, const QColor &ink, const QColor &inkShadow, bool withDie)
{
    QImage image = canvas(size.width(), size.height());
    QPainter p(&image);
    setupPainter(p);
    const QRectF body(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    const double radius = size.height() * 0.28;

    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0, mixColor(top, Qt::white, 0.25));
    fill.setColorAt(0.48, top);
    fill.setColorAt(0.52, mixColor(top, bottom, 0.55));
    fill.setColorAt(1, bottom);
    p.setBrush(fill);
    p.setPen(QPen(border, 1));
    p.drawRoundedRect(body, radius, radius);

    // Glass highlight on the upper half.
    QLinearGradient gloss(body.topLeft(), QPointF(body.left(), body.center().y()));
    gloss.setColorAt(0, QColor(255, 255, 255, 150));
    gloss.setColorAt(1, QColor(255, 255, 255, 25));
    p.setPen(Qt::NoPen);
    p.setBrush(gloss);
    p.drawRoundedRect(QRectF(body.left() + 2, body.top() + 1.5, body.width() - 4,
                             body.height() * 0.44),
                      radius * 0.8, radius * 0.8);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 70), 1));
    p.drawRoundedRect(body.adjusted(1, 1, -1, -1), radius - 1, radius - 1);

    QRectF textRect = body;
    if (withDie) {
        const double d = size.height() - 8.0;
        const QRectF dieRect(6, (size.height() - d) / 2.0 - 0.5, d, d);
        p.save();
        p.translate(dieRect.center());
        p.rotate(-12);
        p.translate(-dieRect.center());
        paintDie(p, dieRect, 5, ivoryDie(), 0.6);
        p.restore();
        textRect.setLeft(dieRect.right() + 1);
    }
    QFont font = sans(size.height() * 0.54);
    const double available = textRect.width() - 6;
    while (QFontMetricsF(font).horizontalAdvance(text) > available && font.pixelSize() > 8)
        font.setPixelSize(font.pixelSize() - 1);
    embossedText(p, textRect.translated(0, -0.5), text, font, ink, inkShadow);
    return image;
}

} // namespace

QImage board()
{
    const int w = kBoardWidth;
    const int h = kBoardHeight;
    QImage image = canvas(w, h);
    QPainter p(&image);
    setupPainter(p);

    const QRectF outer(0, 0, w, h);
    // The rail along the bottom is wider: the status line is written on it.
    const QRectF cloth(10, 10, w - 20, h - 10 - 18);
    p.drawImage(cloth.topLeft(), felt(int(cloth.width()), int(cloth.height()), 4101,
                                      QPointF(200, 120), 330));

    // Printed table markings, faint, kept left of the tray and the released dice.
    const QPointF centre(216, 150);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(236, 214, 140, 52), 1.6));
    p.drawEllipse(centre, 194, 120);
    p.setPen(QPen(QColor(236, 214, 140, 34), 1.0));
    p.drawEllipse(centre, 188, 114);
    for (int i = 0; i < 4; ++i) {
        const double a = M_PI / 4 + i * M_PI / 2;
        const QPointF at = centre + QPointF(191 * std::cos(a), 117 * std::sin(a));
        QPolygonF diamond{at + QPointF(0, -5), at + QPointF(5, 0), at + QPointF(0, 5),
                          at + QPointF(-5, 0)};
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(236, 214, 140, 46));
        p.drawPolygon(diamond);
    }
    QFont mark = serif(50, true, true);
    mark.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    p.setFont(mark);
    p.setPen(QColor(0, 40, 10, 60));
    p.drawText(QRectF(centre.x() - 180 + 1.5, centre.y() - 40 + 2, 360, 80), Qt::AlignCenter,
               QStringLiteral("Morvello"));
    p.setPen(QColor(190, 230, 170, 34));
    p.drawText(QRectF(centre.x() - 180, centre.y() - 40, 360, 80), Qt::AlignCenter,
               QStringLiteral("Morvello"));

    recessShading(p, cloth, 9, 120, 26);

    woodFrame(p, outer, cloth, 5150, honeyOak);

    // A groove runs along the rail under the status line.
    p.setPen(QPen(QColor(70, 40, 12, 120), 1));
    p.drawLine(QPointF(10, h - 2.5), QPointF(w - 10, h - 2.5));
    p.setPen(QPen(QColor(255, 230, 190, 70), 1));
    p.drawLine(QPointF(10, h - 1.5), QPointF(w - 10, h - 1.5));

    screw(p, QPointF(4, 4), 2.2);
    screw(p, QPointF(4, h - 9), 2.2);
    screw(p, QPointF(w - 4, h - 9), 2.2);
    return image;
}

QImage tray()
{
    const int w = 58;
    const int h = 181;
    QImage image = canvas(w, h);
    QPainter p(&image);
    setupPainter(p);

    const QRectF body(0.5, 0.5, w - 1.0, h - 1.0);
    QPainterPath shape;
    shape.addRoundedRect(body, 5, 5);
    p.setClipPath(shape);
    p.drawImage(0, 0, wood(w, h, 733, walnut, true));
    p.setClipping(false);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(30, 14, 4), 1));
    p.drawPath(shape);
    p.setPen(QPen(QColor(255, 220, 170, 70), 1));
    p.drawRoundedRect(body.adjusted(1, 1, -1, -1), 4, 4);

    // The channel the held dice rest in: die n at x 4, y 18 + 32 (n - 1).
    const QRectF channel(2, 16, 36, 164);
    QPainterPath groove;
    groove.addRoundedRect(channel, 4, 4);
    p.setClipPath(groove);
    p.drawImage(channel.topLeft(),
                felt(int(channel.width()), int(channel.height()), 911, QPointF(18, 60), 120));
    recessShading(p, channel, 6, 150, 30);
    p.setPen(QPen(QColor(0, 30, 10, 70), 1));
    for (int n = 1; n < 5; ++n) {
        const double y = 18 + 32 * n - 0.5;
        p.drawLine(QPointF(channel.left() + 4, y), QPointF(channel.right() - 4, y));
    }
    p.setClipping(false);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(20, 8, 0, 200), 1));
    p.drawPath(groove);

    // Engraved lettering down the right-hand strip.
    const QString word = QStringLiteral("HELD");
    const QFont font = sans(10);
    for (int i = 0; i < word.size(); ++i) {
        const QRectF cell(40, 58 + i * 16, 16, 16);
        embossedText(p, cell, word.mid(i, 1), font, QColor(230, 190, 110),
                     QColor(20, 8, 0, 200), QPointF(0.6, 0.8));
    }
    screw(p, QPointF(48, 8), 2.0);
    screw(p, QPointF(48, 172), 2.0);
    p.setPen(QPen(QColor(230, 190, 110, 140), 1));
    p.drawLine(QPointF(44, 50), QPointF(52, 50));
    p.drawLine(QPointF(44, 131), QPointF(52, 131));
    return image;
}

QImage scoreCard()
{
    const int w = 281;
    const int h = 426;
    QImage image = canvas(w, h);
    QPainter p(&image);
    setupPainter(p);

    const QRectF card(0.5, 0.5, w - 1.0, h - 1.0);
    QPainterPath shape;
    shape.addRoundedRect(card, 7, 7);
    p.setClipPath(shape);
    p.drawImage(0, 0, paper(w, h, 2024, QColor(252, 248, 234), 7));

    // Head: a faint warm wash that fades into the body of the card.
    QLinearGradient head(0, 0, 0, 92);
    head.setColorAt(0, QColor(240, 214, 150, 90));
    head.setColorAt(1, QColor(240, 214, 150, 0));
    p.fillRect(QRectF(0, 0, w, 92), head);

    // Slots of the three roll markers and the plate of the round line.
    p.setPen(QPen(QColor(150, 110, 60, 90), 1));
    p.setBrush(QColor(255, 255, 255, 90));
    for (int x : {45, 69, 93})
        p.drawRoundedRect(QRectF(x + 0.5, 10.5, 19, 19), 4, 4);
    p.setBrush(QColor(255, 255, 255, 70));
    p.setPen(QPen(QColor(150, 110, 60, 70), 1));
    p.drawRoundedRect(QRectF(124.5, 10.5, 145, 20), 9, 9);

    // Turn line between two rules, with diamonds at their ends.
    p.setPen(QPen(QColor(128, 0, 0, 150), 1));
    p.drawLine(QPointF(16, 33.5), QPointF(265, 33.5));
    p.drawLine(QPointF(16, 51.5), QPointF(265, 51.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(128, 0, 0, 170));
    for (double x : {12.0, 269.0}) {
        for (double y : {33.5, 51.5})
            p.drawPolygon(QPolygonF{QPointF(x, y - 2.5), QPointF(x + 2.5, y), QPointF(x, y + 2.5),
                                    QPointF(x - 2.5, y)});
    }
    p.setBrush(QColor(255, 248, 220, 110));
    p.drawRect(QRectF(16, 34, 249, 17));

    // Section bands: the number rows warm, the combination rows cool.
    const double left = 5;
    const double right = 276;
    const double valuesLeft = kCardColumns[0] - 1.5;
    const double valuesRight = kCardColumns[3] + kCardColumnWidth + 1.5;
    auto band = [&](double top, double bottom, const QColor &tint) {
        p.fillRect(QRectF(left, top, right - left, bottom - top), tint);
    };
    band(92, 234, QColor(246, 222, 160, 70));
    band(244, 390, QColor(180, 210, 170, 60));

    auto rowRect = [](const CardRow &row) { return QRectF(5, row.top, 271, row.height); };
    int stripe = 0;
    for (const CardRow &row : kCardRows) {
        const QRectF r = rowRect(row);
        if (std::string_view(row.caption) == "Total:") {
            QLinearGradient gold(r.topLeft(), r.bottomLeft());
            gold.setColorAt(0, QColor(250, 226, 150));
            gold.setColorAt(1, QColor(230, 192, 100));
            p.fillRect(r.adjusted(0, -1, 0, 1), gold);
        } else if (row.sum) {
            p.fillRect(r, QColor(200, 160, 100, 60));
        } else if (stripe++ % 2 == 1) {
            p.fillRect(r, QColor(120, 90, 40, 16));
        }
    }

    // Value boxes: lighter paper under the four columns.
    for (int x : kCardColumns) {
        for (const CardRow &row : kCardRows) {
            const QRectF cell(x - 0.5, row.top + 0.5, kCardColumnWidth + 1, row.height - 1);
            p.fillRect(cell, QColor(255, 255, 250, row.sum ? 110 : 150));
        }
    }

    // Rules.
    const QColor rule(150, 112, 70, 150);
    p.setPen(QPen(rule, 1));
    auto hline = [&](double y, double x0, double x1) {
        p.drawLine(QPointF(x0, y + 0.5), QPointF(x1, y + 0.5));
    };
    for (const CardRow &row : kCardRows) {
        hline(row.top - 1, left + 2, right - 2);
        hline(row.top + row.height - 1, left + 2, right - 2);
    }
    p.setPen(QPen(QColor(128, 0, 0, 120), 1));
    for (double x : {valuesLeft, 136.5, 182.5, 228.5, valuesRight}) {
        for (const CardRow &row : kCardRows)
            p.drawLine(QPointF(x, row.top - 0.5), QPointF(x, row.top + row.height - 0.5));
    }

    // Ornamental rules between the sections and under the grand total.
    auto flourish = [&](double y) {
        p.setPen(QPen(QColor(128, 0, 0, 130), 1));
        p.drawLine(QPointF(30, y), QPointF(126, y));
        p.drawLine(QPointF(155, y), QPointF(251, y));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(128, 0, 0, 170));
        const QPointF c(140.5, y);
        p.drawPolygon(QPolygonF{c + QPointF(0, -3.5), c + QPointF(6, 0), c + QPointF(0, 3.5),
                                c + QPointF(-6, 0)});
        p.setBrush(kGold);
        p.drawEllipse(c, 1.5, 1.5);
        for (double dx : {-11.0, 11.0})
            p.drawEllipse(c + QPointF(dx, 0), 1.6, 1.6);
    };
    flourish(239.5);
    flourish(418.5);
    hline(192, 20, 261);

    p.setClipping(false);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kMaroon, 1.5));
    p.drawRoundedRect(card.adjusted(0.25, 0.25, -0.25, -0.25), 7, 7);
    p.setPen(QPen(QColor(190, 140, 60, 170), 1));
    p.drawRoundedRect(card.adjusted(2.5, 2.5, -2.5, -2.5), 5, 5);
    return image;
}

QImage die(int face, bool bonus)
{
    QImage image = canvas(32, 32);
    QPainter p(&image);
    setupPainter(p);
    paintDie(p, QRectF(0.75, 0.75, 29.5, 29.5), face, bonus ? bonusDie() : ivoryDie());
    return image;
}

QImage rollButton()
{
    return glossyButton(QSize(99, 24), QStringLiteral("Roll Dice"), QColor(255, 210, 96),
                        QColor(214, 140, 30), QColor(112, 62, 10), QColor(70, 30, 4),
                        QColor(255, 236, 170, 200), true);
}

QImage startGameButton()
{
    return glossyButton(QSize(99, 24), QStringLiteral("Start Game"), QColor(92, 184, 96),
                        QColor(20, 104, 40), QColor(8, 60, 20), QColor(255, 255, 246),
                        QColor(0, 50, 10, 200), true);
}

QImage gameStartButton()
{
    return glossyButton(QSize(99, 24), QStringLiteral("Start!"), QColor(92, 184, 96),
                        QColor(20, 104, 40), QColor(8, 60, 20), QColor(255, 255, 246),
                        QColor(0, 50, 10, 200), false);
}

QImage winnerBanner()
{
    const int w = 276;
    const int h = 57;
    QImage image = canvas(w, h);
    QPainter p(&image);
    setupPainter(p);

    const QColor ribbonDark(150, 20, 24);
    const QColor ribbonMid(200, 36, 40);

    // Tails behind the band, notched, folded under at the band's ends.
    auto tail = [&](bool leftSide) {
        const double s = leftSide ? 1 : -1;
        const double x0 = leftSide ? 0 : w;
        QPolygonF poly{QPointF(x0 + s * 34, 34), QPointF(x0, 34), QPointF(x0 + s * 10, 45),
                       QPointF(x0, 56.5), QPointF(x0 + s * 34, 56.5)};
        QLinearGradient g(0, 34, 0, 56);
        g.setColorAt(0, ribbonMid);
        g.setColorAt(1, ribbonDark);
        p.setPen(QPen(QColor(90, 8, 10), 1));
        p.setBrush(g);
        p.drawPolygon(poly);
        QPolygonF fold{QPointF(x0 + s * 26, 56.5), QPointF(x0 + s * 34, 56.5), QPointF(x0 + s * 34, 51)};
        p.setBrush(QColor(70, 4, 6));
        p.drawPolygon(fold);
    };
    tail(true);
    tail(false);

    // The band the winner's name is written over.
    const QRectF band(24, 30, w - 48, 25);
    QLinearGradient g(band.topLeft(), band.bottomLeft());
    g.setColorAt(0, QColor(255, 246, 206));
    g.setColorAt(0.45, QColor(250, 228, 150));
    g.setColorAt(1, QColor(222, 176, 70));
    QPainterPath bandPath;
    bandPath.moveTo(band.topLeft());
    bandPath.quadTo(QPointF(band.center().x(), band.top() - 4), band.topRight());
    bandPath.lineTo(band.bottomRight());
    bandPath.quadTo(QPointF(band.center().x(), band.bottom() - 4), band.bottomLeft());
    bandPath.closeSubpath();
    p.setPen(QPen(kDarkGold, 1.2));
    p.setBrush(g);
    p.drawPath(bandPath);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(180, 30, 30, 170), 1));
    QPainterPath inner;
    inner.moveTo(band.left() + 3, band.top() + 3);
    inner.quadTo(QPointF(band.center().x(), band.top() - 1), QPointF(band.right() - 3, band.top() + 3));
    p.drawPath(inner);
    QPainterPath innerLow;
    innerLow.moveTo(band.left() + 3, band.bottom() - 3);
    innerLow.quadTo(QPointF(band.center().x(), band.bottom() - 7),
                    QPointF(band.right() - 3, band.bottom() - 3));
    p.drawPath(innerLow);

    // Laurel sprigs and stars on either side of a cup above the band.
    const QPointF cup(w / 2.0, 0);
    auto leaf = [&](QPointF at, double angle, double len) {
        p.save();
        p.translate(at);
        p.rotate(angle);
        QPainterPath l;
        l.moveTo(0, 0);
        l.quadTo(len * 0.5, -len * 0.36, len, 0);
        l.quadTo(len * 0.5, len * 0.36, 0, 0);
        QLinearGradient lg(0, -3, 0, 3);
        lg.setColorAt(0, QColor(150, 196, 90));
        lg.setColorAt(1, QColor(46, 110, 34));
        p.setPen(QPen(QColor(24, 60, 18), 0.5));
        p.setBrush(lg);
        p.drawPath(l);
        p.restore();
    };
    // A laurel branch either side: a stem curving up and out from under the cup, with leaves
    // in pairs along it.
    for (int side : {-1, 1}) {
        const QPointF a(cup.x() + side * 14, 27);
        const QPointF c(cup.x() + side * 44, 27);
        const QPointF b(cup.x() + side * 64, 9);
        QPainterPath stem;
        stem.moveTo(a);
        stem.quadTo(c, b);
        p.setPen(QPen(QColor(60, 90, 30), 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawPath(stem);
        for (int i = 1; i <= 6; ++i) {
            const double t = i / 6.6;
            const QPointF at = stem.pointAtPercent(t);
            const double along = -stem.angleAtPercent(t);
            const double len = 8.5 - i * 0.5;
            leaf(at, along - 38 * side, len);
            leaf(at, along + 30 * side, len * 0.9);
        }
        leaf(b, -stem.angleAtPercent(1.0), 6);
    }
    auto star = [&](QPointF c, double r) {
        QPolygonF s;
        for (int i = 0; i < 10; ++i) {
            const double a = -M_PI / 2 + i * M_PI / 5;
            const double rr = (i % 2) ? r * 0.45 : r;
            s << c + QPointF(rr * std::cos(a), rr * std::sin(a));
        }
        QRadialGradient sg(c, r);
        sg.setColorAt(0, QColor(255, 250, 200));
        sg.setColorAt(1, QColor(230, 170, 40));
        p.setPen(QPen(kDarkGold, 0.7));
        p.setBrush(sg);
        p.drawPolygon(s);
    };
    star(QPointF(cup.x() - 84, 14), 5.5);
    star(QPointF(cup.x() + 84, 14), 5.5);
    star(QPointF(cup.x() - 103, 24), 3.6);
    star(QPointF(cup.x() + 103, 24), 3.6);

    // The cup.
    QLinearGradient metal(cup.x() - 12, 0, cup.x() + 12, 0);
    metal.setColorAt(0, QColor(170, 112, 20));
    metal.setColorAt(0.35, QColor(255, 236, 150));
    metal.setColorAt(0.6, QColor(236, 184, 60));
    metal.setColorAt(1, QColor(150, 96, 16));
    p.setPen(QPen(QColor(110, 70, 10), 0.9));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(cup.x() - 17, 4, 10, 10), 90 * 16, 180 * 16);
    p.drawArc(QRectF(cup.x() + 7, 4, 10, 10), -90 * 16, 180 * 16);
    p.setBrush(metal);
    QPainterPath bowl;
    bowl.moveTo(cup.x() - 12, 2);
    bowl.lineTo(cup.x() + 12, 2);
    bowl.cubicTo(cup.x() + 12, 14, cup.x() + 6, 18, cup.x() + 2, 19);
    bowl.lineTo(cup.x() + 2, 22);
    bowl.lineTo(cup.x() + 7, 25);
    bowl.lineTo(cup.x() - 7, 25);
    bowl.lineTo(cup.x() - 2, 22);
    bowl.lineTo(cup.x() - 2, 19);
    bowl.cubicTo(cup.x() - 6, 18, cup.x() - 12, 14, cup.x() - 12, 2);
    bowl.closeSubpath();
    p.drawPath(bowl);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 230, 140));
    p.drawEllipse(QRectF(cup.x() - 8, 4, 3, 9));
    return image;
}

QImage bonusBack()
{
    const int w = 44;
    const int h = 55;
    QImage image = canvas(w, h);
    QPainter p(&image);
    setupPainter(p);
    const QRectF plate(0.5, 0.5, w - 1.0, h - 1.0);
    QLinearGradient g(plate.topLeft(), plate.bottomLeft());
    g.setColorAt(0, QColor(92, 20, 24));
    g.setColorAt(1, QColor(44, 6, 10));
    p.setPen(QPen(QColor(30, 4, 6), 1));
    p.setBrush(g);
    p.drawRoundedRect(plate, 6, 6);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kGold, 1.2));
    p.drawRoundedRect(plate.adjusted(1.5, 1.5, -1.5, -1.5), 4.5, 4.5);

    // The die is drawn over the well at 4,4 by the game.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawRoundedRect(QRectF(3.5, 3.5, 33, 33), 7, 7);

    const QRectF caption(1, 37, w - 2, 15);
    QFont font = sans(9);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.3);
    embossedText(p, caption, QStringLiteral("BONUS"), font, QColor(255, 222, 130),
                 QColor(0, 0, 0, 200), QPointF(0.7, 0.8));
    return image;
}

QImage rollMarker()
{
    QImage image = canvas(20, 20);
    QPainter p(&image);
    setupPainter(p);
    const QRectF body(2.5, 2.5, 14.5, 14.5);
    p.translate(body.center());
    p.rotate(-10);
    p.translate(-body.center());
    DieStyle style = bonusDie();
    style.rim = Qt::transparent;
    paintDie(p, body, 3, style, 0.8);
    return image;
}

QImage eyes()
{
    QImage image = canvas(24, 12);
    QPainter p(&image);
    setupPainter(p);
    for (double cx : {6.0, 18.0}) {
        const QPointF c(cx, 6);
        QRadialGradient white(c + QPointF(-1, -1.5), 7);
        white.setColorAt(0, QColor(255, 255, 255));
        white.setColorAt(1, QColor(212, 214, 222));
        p.setPen(QPen(QColor(40, 30, 30), 1));
        p.setBrush(white);
        p.drawEllipse(c, 5.3, 5.3);
        // Looking sideways, at the table.
        const QPointF iris = c + QPointF(1.6, 0.6);
        QRadialGradient ig(iris, 3);
        ig.setColorAt(0, QColor(80, 140, 200));
        ig.setColorAt(1, QColor(20, 60, 120));
        p.setPen(Qt::NoPen);
        p.setBrush(ig);
        p.drawEllipse(iris, 2.8, 2.8);
        p.setBrush(QColor(10, 10, 16));
        p.drawEllipse(iris, 1.4, 1.4);
        p.setBrush(QColor(255, 255, 255, 230));
        p.drawEllipse(iris + QPointF(-0.9, -1.0), 0.7, 0.7);
        // Heavy lid.
        p.setBrush(QColor(60, 40, 30, 110));
        p.drawChord(QRectF(c.x() - 5.3, c.y() - 5.3, 10.6, 10.6), 30 * 16, 120 * 16);
    }
    return image;
}

QImage logo()
{
    const int w = 55;
    const int h = 27;
    QImage image = canvas(w, h);
    QPainter p(&image);
    setupPainter(p);
    const QRectF plate(0.5, 0.5, w - 1.0, h - 1.0);
    QLinearGradient g(plate.topLeft(), plate.bottomLeft());
    g.setColorAt(0, QColor(168, 28, 30));
    g.setColorAt(1, QColor(92, 8, 12));
    p.setPen(QPen(QColor(50, 4, 6), 1));
    p.setBrush(g);
    p.drawRoundedRect(plate, 5, 5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(236, 190, 90, 200), 0.8));
    p.drawRoundedRect(plate.adjusted(1.6, 1.6, -1.6, -1.6), 3.5, 3.5);

    const QString word = QStringLiteral("Morvello");
    QFont font = serif(15, true, true);
    while (QFontMetricsF(font).horizontalAdvance(word) > w - 7 && font.pixelSize() > 9)
        font.setPixelSize(font.pixelSize() - 1);
    const QRectF textRect(0, 1, w, 19);
    QLinearGradient ink(0, 5, 0, 17);
    ink.setColorAt(0, QColor(255, 246, 200));
    ink.setColorAt(1, QColor(236, 176, 60));
    p.setFont(font);
    p.setPen(QColor(30, 0, 0, 200));
    p.drawText(textRect.translated(0.8, 1), Qt::AlignCenter, word);
    p.setPen(QPen(QBrush(ink), 1));
    p.drawText(textRect, Qt::AlignCenter, word);

    // Five pips, one per die, under the name.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 230, 160));
    for (int i = 0; i < 5; ++i)
        p.drawEllipse(QPointF(w / 2.0 + (i - 2) * 5.0, 21.5), 1.2, 1.2);
    return image;
}

QImage phraseGlyph(int button)
{
    const int w = 25;
    const int h = 19;
    QImage image = canvas(w, h);
    image.fill(QColor(0, 64, 0));
    QPainter p(&image);
    setupPainter(p);
    QLinearGradient face(0, 0, 0, h);
    face.setColorAt(0, QColor(0, 92, 0));
    face.setColorAt(0.5, QColor(0, 64, 0));
    face.setColorAt(1, QColor(0, 46, 0));
    p.fillRect(QRect(0, 0, w, h), face);
    // Bevel: lit top and left, shaded bottom and right.
    p.setPen(QPen(QColor(90, 170, 90), 1));
    p.drawLine(QPointF(0.5, 0.5), QPointF(w - 1.5, 0.5));
    p.drawLine(QPointF(0.5, 0.5), QPointF(0.5, h - 1.5));
    p.setPen(QPen(QColor(0, 20, 0), 1));
    p.drawLine(QPointF(0.5, h - 0.5), QPointF(w - 0.5, h - 0.5));
    p.drawLine(QPointF(w - 0.5, 0.5), QPointF(w - 0.5, h - 0.5));
    p.setPen(QPen(QColor(0, 36, 0), 1));
    p.drawLine(QPointF(1.5, h - 1.5), QPointF(w - 1.5, h - 1.5));
    p.drawLine(QPointF(w - 1.5, 1.5), QPointF(w - 1.5, h - 1.5));

    const QString digit = QString::number(button % 10);
    embossedText(p, QRectF(0, 0, w - 1, h - 1), digit, sans(13), QColor(250, 236, 170),
                 QColor(0, 20, 0, 220), QPointF(0.8, 0.9));
    return image;
}

QImage backgroundTile()
{
    QImage tile = paper(128, 128, 377, QColor(226, 220, 198), 9);
    // A fine linen weave, periodic in the tile.
    QPainter p(&tile);
    for (int y = 0; y < 128; y += 4)
        p.fillRect(QRect(0, y, 128, 1), QColor(255, 255, 255, 16));
    for (int x = 0; x < 128; x += 4)
        p.fillRect(QRect(x, 0, 1, 128), QColor(120, 100, 60, 10));
    return tile;
}

QImage icon(int size)
{
    QImage image = canvas(size, size);
    QPainter p(&image);
    setupPainter(p);
    // Laid out for 256 pixels but drawn in the pixels of this size, not scaled down, so that
    // outlines and shadows keep the least widths paintDie gives them at the small sizes too.
    const double k = size / 256.0;
    auto place = [&](QPointF centre, double angle, int face, const DieStyle &style) {
        p.save();
        p.translate(centre * k);
        p.rotate(angle);
        const double half = 62 * k;
        paintDie(p, QRectF(-half, -half, 2 * half, 2 * half), face, style, 1.4);
        p.restore();
    };
    place(QPointF(90, 100), -14, 5, ivoryDie());
    place(QPointF(170, 160), 11, 3, bonusDie());
    return image;
}

QImage lobby(int scale)
{
    const int w = 240;
    const int h = 180;
    QImage image(w * scale, h * scale, QImage::Format_RGB32);
    QPainter p(&image);
    setupPainter(p);
    // Drawn in the picture's own 240 x 180 units, at scale device pixels each.
    p.scale(scale, scale);

    // Panelled wall, dim; the lamp over the table lights the middle.
    QLinearGradient wall(0, 0, 0, 96);
    wall.setColorAt(0, QColor(58, 26, 22));
    wall.setColorAt(1, QColor(104, 48, 34));
    p.fillRect(QRect(0, 0, w, 96), wall);
    for (int x = 6; x < w; x += 38) {
        p.setPen(QPen(QColor(40, 16, 12), 1));
        p.setBrush(QColor(120, 58, 40, 60));
        p.drawRoundedRect(QRectF(x + 0.5, 48.5, 30, 40), 2, 2);
    }
    p.fillRect(QRect(0, 42, w, 4), QColor(70, 34, 20));
    p.fillRect(QRect(0, 92, w, 5), QColor(52, 24, 14));

    // Two framed pictures of dice on the wall.
    auto framed = [&](QRectF r, int face) {
        p.setPen(QPen(QColor(40, 20, 6), 1));
        p.setBrush(QColor(190, 150, 70));
        p.drawRect(r);
        p.setBrush(QColor(22, 70, 40));
        p.drawRect(r.adjusted(3, 3, -3, -3));
        const double d = std::min(r.width(), r.height()) - 14;
        paintDie(p, QRectF(r.center().x() - d / 2, r.center().y() - d / 2, d, d), face, ivoryDie(),
                 0.5);
    };
    framed(QRectF(22, 10, 30, 26), 5);
    framed(QRectF(188, 10, 30, 26), 6);

    // Floor.
    p.drawImage(QRect(0, 96, w, h - 96), wood(w * scale, (h - 96) * scale, 1212, walnut, false));
    QLinearGradient floorShade(0, 96, 0, h);
    floorShade.setColorAt(0, QColor(0, 0, 0, 150));
    floorShade.setColorAt(1, QColor(0, 0, 0, 40));
    p.fillRect(QRect(0, 96, w, h - 96), floorShade);

    // Chairs around the far side of the table.
    auto chair = [&](double cx, double top, double width) {
        QLinearGradient cg(cx - width / 2, 0, cx + width / 2, 0);
        cg.setColorAt(0, QColor(70, 18, 20));
        cg.setColorAt(0.5, QColor(140, 40, 40));
        cg.setColorAt(1, QColor(60, 14, 16));
        p.setPen(QPen(QColor(30, 6, 6), 1));
        p.setBrush(cg);
        p.drawRoundedRect(QRectF(cx - width / 2, top, width, 40), 6, 6);
    };
    chair(64, 76, 30);
    chair(120, 68, 34);
    chair(176, 76, 30);

    // The table: wooden rim, green cloth.
    const QPointF table(120, 128);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 110));
    p.drawEllipse(table + QPointF(0, 26), 100, 18);
    QLinearGradient rim(0, 90, 0, 166);
    rim.setColorAt(0, QColor(176, 112, 52));
    rim.setColorAt(1, QColor(80, 40, 14));
    p.setBrush(rim);
    p.drawEllipse(table + QPointF(0, 4), 104, 38);
    p.setBrush(QColor(60, 30, 10));
    p.drawRect(QRectF(108, 150, 24, 30));
    QRadialGradient cloth(table + QPointF(0, -6), 100);
    cloth.setColorAt(0, QColor(56, 150, 80));
    cloth.setColorAt(1, QColor(14, 70, 36));
    p.setBrush(cloth);
    p.drawEllipse(table, 94, 31);

    // On the table: dice, a score pad, a cup.
    auto smallDie = [&](QPointF c, double angle, int face, bool bonus) {
        p.save();
        p.translate(c);
        p.rotate(angle);
        paintDie(p, QRectF(-6, -6, 12, 12), face, bonus ? bonusDie() : ivoryDie(), 0.9);
        p.restore();
    };
    smallDie(QPointF(92, 126), -18, 5, false);
    smallDie(QPointF(108, 134), 12, 3, false);
    smallDie(QPointF(126, 122), 30, 6, false);
    smallDie(QPointF(140, 136), -6, 2, false);
    smallDie(QPointF(100, 114), 40, 4, true);
    p.save();
    p.translate(164, 120);
    p.rotate(-8);
    p.setPen(QPen(QColor(120, 100, 70), 0.8));
    p.setBrush(QColor(246, 240, 220));
    p.drawRect(QRectF(-10, -8, 20, 16));
    p.setPen(QPen(QColor(150, 60, 60, 160), 0.6));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(-8, -4 + i * 3.5), QPointF(8, -4 + i * 3.5));
    p.restore();
    QLinearGradient cupGrad(58, 0, 74, 0);
    cupGrad.setColorAt(0, QColor(50, 20, 10));
    cupGrad.setColorAt(0.4, QColor(150, 80, 40));
    cupGrad.setColorAt(1, QColor(40, 16, 8));
    p.setPen(QPen(QColor(20, 8, 4), 0.8));
    p.setBrush(cupGrad);
    p.drawRect(QRectF(58, 110, 16, 18));
    p.setBrush(QColor(30, 12, 6));
    p.drawEllipse(QRectF(58, 107, 16, 6));

    // The lamp and its light.
    p.setPen(QPen(QColor(20, 10, 6), 1));
    p.drawLine(QPointF(120, 0), QPointF(120, 14));
    QPainterPath shade;
    shade.moveTo(108, 26);
    shade.lineTo(112, 14);
    shade.lineTo(128, 14);
    shade.lineTo(132, 26);
    shade.closeSubpath();
    p.setBrush(QColor(30, 80, 46));
    p.drawPath(shade);
    p.setCompositionMode(QPainter::CompositionMode_Plus);
    QPainterPath cone;
    cone.moveTo(110, 26);
    cone.lineTo(130, 26);
    cone.lineTo(214, 130);
    cone.lineTo(26, 130);
    cone.closeSubpath();
    QLinearGradient beam(0, 26, 0, 130);
    beam.setColorAt(0, QColor(90, 76, 40));
    beam.setColorAt(1, QColor(0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(beam);
    p.drawPath(cone);
    QRadialGradient pool(table, 100);
    pool.setColorAt(0, QColor(60, 52, 26));
    pool.setColorAt(1, QColor(0, 0, 0));
    p.setBrush(pool);
    p.drawEllipse(table, 100, 40);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setBrush(QColor(255, 240, 190));
    p.drawEllipse(QPointF(120, 26), 8, 2.2);

    // Vignette.
    QRadialGradient vignette(QPointF(w / 2.0, h / 2.0), 160);
    vignette.setColorAt(0.55, QColor(0, 0, 0, 0));
    vignette.setColorAt(1, QColor(0, 0, 0, 150));
    p.fillRect(QRect(0, 0, w, h), vignette);
    return image;
}

} // namespace pictures
