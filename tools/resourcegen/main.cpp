// Writes every picture and sound of the game into a resources folder:
//   resourcegen <resources-dir> [--preview <png>]
// The output depends on nothing but this code and the Liberation fonts: no clock, fixed seeds,
// none of the machine's font settings, and no conversion whose rounding depends on the processor.

#include "paintkit.h"
#include "pictures.h"
#include "sounds.h"

#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

QImage mainWindowPreview();
QImage zoomSheet();
QImage soundSheet();

namespace {

// The picture with straight alpha, as PNG stores it, unpremultiplied here with exact rounding.
// QImage::convertToFormat() divides by the processor's approximate reciprocal (rcpps), whose
// last bits differ from one processor to another: a pixel of alpha 6 came out 127 on one
// machine and 128 on another, and the files must be the same wherever they are made.
QImage straightAlpha(const QImage &image)
{
    const QImage premultiplied = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage straight(premultiplied.size(), QImage::Format_ARGB32);
    straight.setDevicePixelRatio(premultiplied.devicePixelRatio());
    straight.setDotsPerMeterX(premultiplied.dotsPerMeterX());
    straight.setDotsPerMeterY(premultiplied.dotsPerMeterY());
    const auto channel = [](uint value, uint alpha) {
        return std::min(255u, (value * 255 + alpha / 2) / alpha);
    };
    for (int y = 0; y < premultiplied.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(premultiplied.constScanLine(y));
        auto *out = reinterpret_cast<QRgb *>(straight.scanLine(y));
        for (int x = 0; x < premultiplied.width(); ++x) {
            const uint alpha = qAlpha(in[x]);
            out[x] = alpha == 0 ? 0
                                : qRgba(channel(qRed(in[x]), alpha), channel(qGreen(in[x]), alpha),
                                        channel(qBlue(in[x]), alpha), alpha);
        }
    }
    return straight;
}

bool writePng(const QDir &root, const QString &path, const QImage &image)
{
    const QString file = root.filePath(path);
    QDir().mkpath(QFileInfo(file).absolutePath());
    QImageWriter writer(file, "png");
    // For PNG, quality 0 asks for the strongest compression: the files live in the repository.
    writer.setQuality(0);
    if (!writer.write(image.hasAlphaChannel() ? straightAlpha(image)
                                              : image.convertToFormat(QImage::Format_RGB32))) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(file), qPrintable(writer.errorString()));
        return false;
    }
    return true;
}

bool writeJpeg(const QDir &root, const QString &path, const QImage &image)
{
    const QString file = root.filePath(path);
    QDir().mkpath(QFileInfo(file).absolutePath());
    QImageWriter writer(file, "jpeg");
    writer.setQuality(85);
    if (!writer.write(image.convertToFormat(QImage::Format_RGB32))) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(file), qPrintable(writer.errorString()));
        return false;
    }
    return true;
}

bool writeFile(const QDir &root, const QString &path, const QByteArray &bytes)
{
    const QString file = root.filePath(path);
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(file), qPrintable(out.errorString()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    // Text is rendered as fonts.conf says, not as this machine's or this user's font settings
    // say: antialiasing switched off there, or full hinting, would change the pictures.
    qputenv("FONTCONFIG_FILE", RESOURCEGEN_FONTS_CONF);
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2 && !(args.size() == 4 && args.at(2) == QLatin1String("--preview"))) {
        std::fprintf(stderr, "usage: resourcegen <resources-dir> [--preview <png>]\n");
        return 2;
    }
    // Another font standing in for a missing one would change every picture with text.
    for (const QFont &font : {paintkit::sans(12), paintkit::serif(12)}) {
        const QString drawn = QFontInfo(font).family();
        if (drawn != font.family()) {
            std::fprintf(stderr, "resourcegen: the font %s is missing (Debian package fonts-liberation2); %s "
                                 "would stand in for it\n",
                         qPrintable(font.family()), qPrintable(drawn));
            return 1;
        }
    }
    const QDir root(args.at(1));
    bool ok = true;
    using namespace pictures;

    // The pictures of the board, the card and the buttons come twice: at layout size, and at
    // twice that as "<name>@2x.png" for screens scaled to 200%.
    for (int scale : {1, 2}) {
        paintkit::setScale(scale);
        const QString suffix = scale == 1 ? QStringLiteral(".png") : QStringLiteral("@2x.png");
        auto png = [&](const QString &name, const QImage &image) {
            ok &= writePng(root, QStringLiteral("images/") + name + suffix, image);
        };
        png(QStringLiteral("board"), board());
        png(QStringLiteral("tray"), tray());
        png(QStringLiteral("scorecard"), scoreCard());
        for (int face = 1; face <= 6; ++face) {
            png(QStringLiteral("dice/%1").arg(face), die(face, false));
            png(QStringLiteral("bonusdice/%1").arg(face), die(face, true));
        }
        png(QStringLiteral("throwdice"), rollButton());
        png(QStringLiteral("startgame"), startGameButton());
        png(QStringLiteral("gamestart"), gameStartButton());
        png(QStringLiteral("winner"), winnerBanner());
        png(QStringLiteral("bonusback"), bonusBack());
        png(QStringLiteral("rollmarker"), rollMarker());
        png(QStringLiteral("eyes"), eyes());
        png(QStringLiteral("logo"), logo());
        for (int button = 1; button <= 10; ++button)
            png(QStringLiteral("phrase/%1").arg(button), phraseGlyph(button));
    }
    paintkit::setScale(1);
    ok &= writePng(root, QStringLiteral("images/background.png"), backgroundTile());
    ok &= writePng(root, QStringLiteral("images/icon.png"), icon(64));
    // The desktop's icon, installed into the hicolor theme: each size drawn at that size.
    for (int size : {48, 64, 128, 256})
        ok &= writePng(root, QStringLiteral("icons/morvello-%1.png").arg(size), icon(size));
    ok &= writeJpeg(root, QStringLiteral("images/lobby.jpg"), lobby());
    ok &= writeJpeg(root, QStringLiteral("images/lobby@2x.jpg"), lobby(2));

    for (const sounds::Sound &s : sounds::all())
        ok &= writeFile(root, QStringLiteral("sounds/%1.wav").arg(s.name), s.wave);

    if (args.size() == 4) {
        QString zoomed = args.at(3);
        if (zoomed.endsWith(QLatin1String(".png")))
            zoomed.chop(4);
        QString waves = zoomed + QLatin1String("-sounds.png");
        zoomed += QLatin1String("-zoom.png");
        ok &= mainWindowPreview().save(args.at(3), "png");
        ok &= zoomSheet().save(zoomed, "png");
        ok &= soundSheet().save(waves, "png");
    }
    return ok ? 0 : 1;
}
