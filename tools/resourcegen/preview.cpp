// Lays the pictures out as the main window shows them, with stand-in text where the window's
// labels go, so the set can be judged as a whole rather than picture by picture.

#include "paintkit.h"
#include "pictures.h"
#include "sounds.h"

#include <QPainter>
#include <QtEndian>

#include <algorithm>
#include <cmath>

using namespace pictures;

namespace {

constexpr QPoint kPanel(6, 5);
constexpr QPoint kBoard = kPanel + QPoint(1, 1);
constexpr QPoint kCard = kPanel + QPoint(535, 1);
// The hint line's row between the board and the chat, as the window lays it out.
constexpr int kHintRow = 20;
constexpr int kWindowHeight = 482 + kHintRow;

void label(QPainter &p, QRect r, const QString &text, const QColor &color, int px, bool bold,
           Qt::Alignment align = Qt::AlignCenter)
{
    p.setFont(paintkit::sans(px, bold));
    p.setPen(color);
    p.drawText(r, align, text);
}

void scoreCardText(QPainter &p, bool finished)
{
    const QColor maroon(128, 0, 0);
    label(p, QRect(kCard + QPoint(9, 12), QSize(36, 16)), QStringLiteral("Rolls"), Qt::black, 13,
          false, Qt::AlignLeft | Qt::AlignVCenter);
    label(p, QRect(kCard + QPoint(124, 13), QSize(145, 16)), QStringLiteral("Round: 7"), Qt::black,
          13, false);
    label(p, QRect(kCard + QPoint(12, 34), QSize(261, 16)),
          finished ? QStringLiteral("Winner's Score Card") : QStringLiteral("Your Turn."), Qt::black,
          13, true);
    const QPoint names[] = {{45, 63}, {99, 77}, {143, 63}, {184, 78}};
    const char *who[] = {"You", "Klot", "Kling", "Klick"};
    for (int s = 0; s < 4; ++s)
        label(p, QRect(kCard + names[s], QSize(94, 16)), QString::fromLatin1(who[s]), Qt::black, 13,
              false);
    int value = 3;
    for (const CardRow &row : kCardRows) {
        label(p, QRect(kCard + QPoint(8, row.top), QSize(82, row.height)),
              QString::fromLatin1(row.caption), maroon, 13, true, Qt::AlignLeft | Qt::AlignVCenter);
        for (int s = 0; s < 4; ++s) {
            value = (value * 7 + 5) % 31;
            if (!finished && (value % 3 == 0))
                continue;
            label(p, QRect(kCard + QPoint(kCardColumns[s], row.top), QSize(kCardColumnWidth, row.height)),
                  QString::number(value), s == 0 ? QColor(0, 128, 0) : Qt::black, 13, true);
        }
    }
}

QImage window(bool finished)
{
    QImage image(829, kWindowHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRect(kPanel, QSize(817, 472 + kHintRow)), QColor(204, 200, 179));
    p.drawImage(kBoard, board());
    p.drawImage(kBoard + QPoint(kTrayLeft, 0), tray());

    const QPoint scattered[] = {{240, 70}, {318, 210}, {392, 140}, {86, 200}, {162, 96}};
    const int faces[] = {5, 2, 6, 5, 3};
    const bool held[] = {false, true, false, true, false};
    const int bonusFace = finished ? 5 : 0;
    for (int d = 0; d < 5; ++d) {
        QPoint at = kBoard + scattered[d];
        if (held[d])
            at = kBoard + QPoint(533 - 54, 18 + 32 * d);
        else if (finished && d == 2)
            at = kBoard + QPoint(533 - 108, 18 + 32 * d);
        p.drawImage(at, die(faces[d], faces[d] == bonusFace));
    }
    p.drawImage(kBoard + QPoint(428, 285), finished ? startGameButton() : rollButton());
    label(p, QRect(kBoard + QPoint(1, 295), QSize(424, 16)),
          finished ? QStringLiteral("Klick tagged a FULL HOUSE") : QStringLiteral("Welcome to Morvello!"),
          Qt::black, 13, true);
    if (finished) {
        p.drawImage(kBoard + QPoint(0, 0), bonusBack());
        p.drawImage(kBoard + QPoint(4, 4), die(5, true));
        p.drawImage(kBoard + QPoint(104, 57), winnerBanner());
        label(p, QRect(kBoard + QPoint(40, 91), QSize(401, 25)), QStringLiteral("Kling has Won the Game!"),
              Qt::black, 19, true);
    }

    p.drawImage(kCard, scoreCard());
    for (int m = 0; m < (finished ? 3 : 2); ++m)
        p.drawImage(kCard + QPoint(45 + 24 * m, 10), rollMarker());
    p.drawImage(kCard + QPoint(123, 74), eyes());
    scoreCardText(p, finished);

    if (!finished)
        label(p, QRect(kPanel + QPoint(7, 314), QSize(520, kHintRow)),
              QStringLiteral("Hint: keep 5 5 and roll (expected final score 214.2)"), QColor(0, 70, 40), 13, true,
              Qt::AlignLeft | Qt::AlignVCenter);

    // Chat, phrase buttons and logo.
    const QPoint chat = kPanel + QPoint(1, 315 + kHintRow);
    p.fillRect(QRect(chat, QSize(533, 157)), Qt::white);
    p.setPen(QColor(120, 120, 120));
    p.drawRect(QRect(chat, QSize(532, 156)));
    label(p, QRect(chat + QPoint(5, 3), QSize(500, 16)), QStringLiteral("You are Connected."),
          QColor(0, 0, 255), 11, false, Qt::AlignLeft | Qt::AlignVCenter);
    const int lefts[] = {536, 565, 595, 624, 653};
    for (int b = 0; b < 10; ++b)
        p.drawImage(kPanel + QPoint(lefts[b % 5], (b < 5 ? 429 : 449) + kHintRow), phraseGlyph(b + 1));
    p.drawImage(kPanel + QPoint(680, 435 + kHintRow), logo());
    return image;
}

} // namespace

QImage mainWindowPreview()
{
    QImage sheet(829, kWindowHeight * 2 + 200, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(60, 60, 60));
    QPainter p(&sheet);
    p.drawImage(0, 0, window(false));
    p.drawImage(0, kWindowHeight, window(true));

    // Side windows' materials.
    const int top = kWindowHeight * 2 + 10;
    for (int x = 0; x < 256; x += 128)
        for (int y = 0; y < 180; y += 128)
            p.drawImage(QRect(10 + x, top + y, 128, std::min(128, 180 - y)), backgroundTile(),
                        QRect(0, 0, 128, std::min(128, 180 - y)));
    p.drawImage(30, top + 20, gameStartButton());
    p.drawImage(30, top + 60, startGameButton());
    p.drawImage(30, top + 100, rollButton());
    p.drawImage(290, top, lobby());
    p.drawImage(550, top, icon(64));
    p.drawImage(620, top, icon(256).scaled(180, 180, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    return sheet;
}

QImage zoomSheet()
{
    // Small pictures four times over, pixels kept sharp.
    const QList<QImage> small = {die(1, false), die(2, false), die(3, false), die(4, false),
                                 die(5, false), die(6, false), die(1, true),  die(2, true),
                                 die(3, true),  die(4, true),  die(5, true),  die(6, true),
                                 rollMarker(),  eyes(),        logo(),        bonusBack(),
                                 phraseGlyph(1), phraseGlyph(10), rollButton(), gameStartButton()};
    QImage sheet(1000, 720, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(204, 200, 179));
    QPainter p(&sheet);
    int x = 8, y = 8, rowHeight = 0;
    for (const QImage &img : small) {
        const QImage big = img.scaled(img.size() * 4, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        if (x + big.width() > sheet.width()) {
            x = 8;
            y += rowHeight + 8;
            rowHeight = 0;
        }
        p.drawImage(x, y, big);
        x += big.width() + 8;
        rowHeight = std::max(rowHeight, big.height());
    }
    y += rowHeight + 8;
    const QImage banner = winnerBanner();
    p.fillRect(QRect(8, y, banner.width() * 3, banner.height() * 3), QColor(26, 104, 56));
    p.drawImage(8, y, banner.scaled(banner.size() * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    return sheet;
}

QImage soundSheet()
{
    // Each sound's waveform over its spectrogram, time running right, 0..rate/2 upwards.
    const QList<sounds::Sound> all = sounds::all();
    const int width = 800;
    const int lane = 150;
    QImage sheet(width, lane * int(all.size()), QImage::Format_RGB32);
    sheet.fill(Qt::black);
    QPainter p(&sheet);
    for (int s = 0; s < all.size(); ++s) {
        const sounds::Sound &snd = all.at(s);
        const int bytes = snd.bits / 8;
        const int frames = int((snd.wave.size() - 44) / (bytes * snd.channels));
        auto sample = [&](int f) {
            const char *at = snd.wave.constData() + 44 + qsizetype(f) * bytes * snd.channels;
            return snd.bits == 8 ? (int(quint8(*at)) - 128) / 128.0
                                 : qFromLittleEndian<qint16>(at) / 32768.0;
        };
        const int top = s * lane;
        const int specHeight = 90;
        const int window = 256;
        for (int x = 0; x < width; ++x) {
            const int centre = int(double(x) / width * frames);
            for (int bin = 0; bin < specHeight; ++bin) {
                const double freq = (bin + 0.5) / specHeight * 0.5;
                double re = 0, im = 0;
                for (int k = 0; k < window; ++k) {
                    const int f = centre - window / 2 + k;
                    if (f < 0 || f >= frames)
                        continue;
                    const double hann = 0.5 - 0.5 * std::cos(2 * M_PI * k / window);
                    re += sample(f) * hann * std::cos(2 * M_PI * freq * k);
                    im += sample(f) * hann * std::sin(2 * M_PI * freq * k);
                }
                const double db = 20 * std::log10(std::sqrt(re * re + im * im) / 64 + 1e-6);
                const int v = std::clamp(int((db + 70) * 255 / 70), 0, 255);
                sheet.setPixel(x, top + specHeight - 1 - bin, qRgb(v, v / 2, 255 - v / 2 > 200 ? 0 : v / 3));
            }
            double lo = 0, hi = 0;
            const int from = int(double(x) / width * frames);
            const int to = std::max(from + 1, int(double(x + 1) / width * frames));
            for (int f = from; f < to && f < frames; ++f) {
                lo = std::min(lo, sample(f));
                hi = std::max(hi, sample(f));
            }
            p.setPen(QColor(120, 255, 120));
            const int mid = top + specHeight + 28;
            p.drawLine(x, mid - int(hi * 28), x, mid - int(lo * 28));
        }
        p.setPen(Qt::white);
        p.setFont(paintkit::sans(12, true));
        p.drawText(4, top + 14, QStringLiteral("%1  %2 Hz %3-bit %4 ch %5 s")
                                    .arg(snd.name).arg(snd.rate).arg(snd.bits).arg(snd.channels)
                                    .arg(double(frames) / snd.rate));
        p.setPen(QColor(90, 90, 90));
        p.drawLine(0, top + lane - 1, width, top + lane - 1);
    }
    return sheet;
}
