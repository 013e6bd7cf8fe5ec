// The pictures and sounds compiled into the game: each must be present under its resource path,
// decode, and have the size or sample format the windows and the sound player rely on.

#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QResource>
#include <QTest>
#include <QtEndian>

#include <cstring>
#include <optional>

#include "ui/decodedpicture.h"
#include "ui/gamestyle.h"
#include "ui/pictures.h"

namespace {

struct WaveInfo {
    quint16 format = 0;
    quint16 channels = 0;
    quint32 rate = 0;
    quint32 byteRate = 0;
    quint16 blockAlign = 0;
    quint16 bits = 0;
    QByteArray samples;
};

quint16 le16(const char *p) { return qFromLittleEndian<quint16>(p); }
quint32 le32(const char *p) { return qFromLittleEndian<quint32>(p); }

// Walks the RIFF chunks; nullopt when the file is not a well-formed WAVE file.
std::optional<WaveInfo> parseWave(const QByteArray &file, QString *why)
{
    if (file.size() < 12 || !file.startsWith("RIFF") || file.mid(8, 4) != "WAVE") {
        *why = QStringLiteral("no RIFF WAVE header");
        return std::nullopt;
    }
    if (le32(file.constData() + 4) != quint32(file.size() - 8)) {
        *why = QStringLiteral("RIFF size does not match the file");
        return std::nullopt;
    }
    WaveInfo info;
    bool haveFormat = false;
    bool haveData = false;
    qsizetype at = 12;
    while (at + 8 <= file.size()) {
        const QByteArray id = file.mid(at, 4);
        const quint32 size = le32(file.constData() + at + 4);
        const qsizetype body = at + 8;
        if (body + qsizetype(size) > file.size()) {
            *why = QStringLiteral("chunk %1 runs past the end").arg(QString::fromLatin1(id));
            return std::nullopt;
        }
        if (id == "fmt " && size >= 16) {
            const char *p = file.constData() + body;
            info.format = le16(p);
            info.channels = le16(p + 2);
            info.rate = le32(p + 4);
            info.byteRate = le32(p + 8);
            info.blockAlign = le16(p + 12);
            info.bits = le16(p + 14);
            haveFormat = true;
        } else if (id == "data") {
            info.samples = file.mid(body, size);
            haveData = true;
        }
        at = body + size + (size % 2);
    }
    if (!haveFormat || !haveData) {
        *why = QStringLiteral("missing fmt or data chunk");
        return std::nullopt;
    }
    return info;
}

int sampleAt(const WaveInfo &w, qsizetype frame, int channel)
{
    const qsizetype offset = frame * w.blockAlign + channel * (w.bits / 8);
    if (w.bits == 8)
        return int(quint8(w.samples.at(offset))) - 128;
    return qFromLittleEndian<qint16>(w.samples.constData() + offset);
}

} // namespace

class ResourcesTest : public QObject {
    Q_OBJECT

private slots:
    void pictureHasItsSize_data();
    void pictureHasItsSize();
    void diceFacesAreDistinct();
    void disabledDiceKeepTheirColours();
    void decodedCopiesMatchTheirPictures();
    void denseScreensGetDoubleSizePictures();
    void picturesComeFromDecodedCopyOrFile();
    void damagedDecodedPicturesAreRefused_data();
    void damagedDecodedPicturesAreRefused();
    void soundHasItsFormat_data();
    void soundHasItsFormat();
};

void ResourcesTest::pictureHasItsSize_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");

    const QList<std::pair<const char *, QSize>> fixed = {
        {":/images/board.png", {533, 312}},     {":/images/tray.png", {58, 181}},
        {":/images/scorecard.png", {281, 426}}, {":/images/throwdice.png", {99, 24}},
        {":/images/startgame.png", {99, 24}},   {":/images/gamestart.png", {99, 24}},
        {":/images/winner.png", {276, 57}},     {":/images/bonusback.png", {44, 55}},
        {":/images/rollmarker.png", {20, 20}},  {":/images/eyes.png", {24, 12}},
        {":/images/logo.png", {55, 27}},        {":/images/background.png", {128, 128}},
        {":/images/icon.png", {64, 64}},
        {":/images/lobby.jpg", {240, 180}},     {":/images/lobby@2x.jpg", {480, 360}},
    };
    for (const auto &[path, size] : fixed)
        QTest::newRow(path) << QString::fromLatin1(path) << size;
    for (int face = 1; face <= 6; ++face) {
        const QString die = QStringLiteral(":/images/dice/%1.png").arg(face);
        const QString bonus = QStringLiteral(":/images/bonusdice/%1.png").arg(face);
        QTest::newRow(qPrintable(die)) << die << QSize(32, 32);
        QTest::newRow(qPrintable(bonus)) << bonus << QSize(32, 32);
    }
    for (int button = 1; button <= 10; ++button) {
        const QString glyph = QStringLiteral(":/images/phrase/%1.png").arg(button);
        QTest::newRow(qPrintable(glyph)) << glyph << QSize(25, 19);
    }
}

void ResourcesTest::pictureHasItsSize()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QVERIFY2(QFile::exists(path), "not compiled into the executable");
    QImageReader reader(path);
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), size);
}

void ResourcesTest::diceFacesAreDistinct()
{
    // A face drawn twice, or the bonus set copied from the plain one, would let two different
    // rolls look alike on the board.
    QList<QImage> faces;
    for (const char *set : {"dice", "bonusdice"})
        for (int face = 1; face <= 6; ++face)
            faces << QImage(QStringLiteral(":/images/%1/%2.png").arg(QLatin1String(set)).arg(face));
    for (qsizetype i = 0; i < faces.size(); ++i) {
        QVERIFY(!faces.at(i).isNull());
        for (qsizetype j = i + 1; j < faces.size(); ++j)
            QVERIFY2(faces.at(i) != faces.at(j), qPrintable(QStringLiteral("%1 and %2 are alike").arg(i).arg(j)));
    }
}

void ResourcesTest::disabledDiceKeepTheirColours()
{
    // The dice are disabled outside the own turn; a watcher still sees the bonus die red and
    // every die as it is drawn.
    GameStyle style;
    const QImage face(QStringLiteral(":/images/bonusdice/5.png"));
    QLabel die;
    die.setStyle(&style);
    die.setPixmap(QPixmap::fromImage(face));
    die.resize(face.size());
    const QImage enabled = die.grab().toImage();
    die.setEnabled(false);
    QCOMPARE(die.grab().toImage(), enabled);
}

void ResourcesTest::decodedCopiesMatchTheirPictures()
{
    // Every PNG has a decoded copy showing exactly what a pixmap made from the PNG shows.
    int pictures = 0;
    QDirIterator it(QStringLiteral(":/images"), {QStringLiteral("*.png")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        ++pictures;
        const QResource decoded(QStringLiteral(":/decoded/") + path.mid(2));
        QVERIFY2(decoded.isValid(), qPrintable(path));
        QCOMPARE(decoded.compressionAlgorithm(), QResource::NoCompression);
        const QImage copy = DecodedPicture::decode(QByteArrayView(decoded.data(), decoded.size()));
        QVERIFY2(!copy.isNull(), qPrintable(path));
        const QImage fromFile = QPixmap(path).toImage();
        QCOMPARE(copy.format(), fromFile.format());
        QVERIFY2(copy == fromFile, qPrintable(path));
    }
    QVERIFY(pictures >= 30);
}

void ResourcesTest::denseScreensGetDoubleSizePictures()
{
    // Every double-size copy is twice its picture each way, so at 200% it takes the same room.
    int pictures = 0;
    QDirIterator it(QStringLiteral(":/images"), {QStringLiteral("*@2x.png")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString twice = it.next();
        ++pictures;
        const QString plain = QString(twice).remove(QStringLiteral("@2x"));
        QCOMPARE(QImage(twice).size(), QImage(plain).size() * 2);
    }
    QVERIFY(pictures >= 30);

    const QPixmap dense = Pictures::pixmap(QStringLiteral(":/images/dice/4.png"), 2.0);
    QCOMPARE(dense.devicePixelRatio(), 2.0);
    QCOMPARE(dense.deviceIndependentSize(), QSizeF(32, 32));
    QCOMPARE(Pictures::pixmap(QStringLiteral(":/images/dice/4.png"), 1.0).devicePixelRatio(), 1.0);
    // Pictures without a double-size copy come at their own size.
    QCOMPARE(Pictures::pixmap(QStringLiteral(":/images/icon.png"), 2.0).devicePixelRatio(), 1.0);
}

void ResourcesTest::picturesComeFromDecodedCopyOrFile()
{
    const QPixmap board = Pictures::pixmap(QStringLiteral(":/images/board.png"));
    QCOMPARE(board.size(), QSize(533, 312));
    QVERIFY(board.hasAlphaChannel());
    QCOMPARE(Pictures::pixmap(QStringLiteral(":/images/board.png")).cacheKey(), board.cacheKey());
    QVERIFY(!Pictures::pixmap(QStringLiteral(":/images/background.png")).hasAlphaChannel());

    // Without a decoded copy the file itself is read; a missing picture is a null pixmap.
    QCOMPARE(Pictures::pixmap(QStringLiteral(":/images/lobby.jpg")).size(), QSize(240, 180));
    QVERIFY(Pictures::pixmap(QStringLiteral(":/images/none.png")).isNull());
}

void ResourcesTest::damagedDecodedPicturesAreRefused_data()
{
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(qRgba(10, 20, 30, 128));
    image.setPixel(2, 1, qRgba(200, 100, 0, 255));
    const QByteArray good = DecodedPicture::encode(image);
    const QImage back = DecodedPicture::decode(good);
    QVERIFY(!back.isNull());
    QCOMPARE(back, image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    QCOMPARE(back.constBits(), reinterpret_cast<const uchar *>(good.constData()) + 16);   // in place
    // Bytes that do not start on a word boundary give a copy with the same pixels.
    const QByteArray shifted = ' ' + good;
    const QImage moved = DecodedPicture::decode(QByteArrayView(shifted).sliced(1));
    QCOMPARE(moved, back);

    auto withWord = [&](int offset, quint32 value) {
        QByteArray bytes = good;
        std::memcpy(bytes.data() + offset, &value, sizeof value);
        return bytes;
    };
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("header only") << good.left(16);
    QTest::newRow("one byte short") << good.chopped(1);
    QTest::newRow("one byte over") << good + '\0';
    QTest::newRow("wrong magic") << QByteArray("PNG!") + good.mid(4);
    QTest::newRow("zero width") << withWord(4, 0);
    QTest::newRow("huge width") << withWord(4, 0x40000000);
    QTest::newRow("huge height") << withWord(8, 0xFFFFFFFF);
    QTest::newRow("other format") << withWord(12, QImage::Format_Indexed8);
}

void ResourcesTest::damagedDecodedPicturesAreRefused()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(DecodedPicture::decode(bytes).isNull());
}

void ResourcesTest::soundHasItsFormat_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("channels");
    QTest::addColumn<double>("seconds");

    QTest::newRow("entered") << QStringLiteral("entered") << 11025 << 8 << 1 << 0.22;
    QTest::newRow("turn") << QStringLiteral("turn") << 11025 << 16 << 2 << 0.57;
    QTest::newRow("dice2") << QStringLiteral("dice2") << 22050 << 16 << 1 << 1.25;
    QTest::newRow("dice") << QStringLiteral("dice") << 22050 << 8 << 1 << 0.76;
    QTest::newRow("setdice") << QStringLiteral("setdice") << 22050 << 8 << 1 << 0.11;
    QTest::newRow("unsetdice") << QStringLiteral("unsetdice") << 11025 << 16 << 1 << 0.54;
    QTest::newRow("scored") << QStringLiteral("scored") << 44100 << 16 << 2 << 0.39;
    QTest::newRow("fivekind") << QStringLiteral("fivekind") << 22050 << 8 << 1 << 1.00;
    QTest::newRow("noscore") << QStringLiteral("noscore") << 11025 << 8 << 1 << 0.25;
    QTest::newRow("error") << QStringLiteral("error") << 22050 << 8 << 1 << 0.13;
    QTest::newRow("gameover") << QStringLiteral("gameover") << 22050 << 8 << 1 << 1.06;
}

void ResourcesTest::soundHasItsFormat()
{
    QFETCH(QString, name);
    QFETCH(int, rate);
    QFETCH(int, bits);
    QFETCH(int, channels);
    QFETCH(double, seconds);

    QFile file(QStringLiteral(":/sounds/%1.wav").arg(name));
    QVERIFY2(file.open(QIODevice::ReadOnly), "not compiled into the executable");
    QString why;
    const auto wave = parseWave(file.readAll(), &why);
    QVERIFY2(wave, qPrintable(why));
    QCOMPARE(wave->format, quint16(1));
    QCOMPARE(int(wave->rate), rate);
    QCOMPARE(int(wave->bits), bits);
    QCOMPARE(int(wave->channels), channels);
    QCOMPARE(int(wave->blockAlign), channels * bits / 8);
    QCOMPARE(int(wave->byteRate), rate * channels * bits / 8);
    QCOMPARE(wave->samples.size() % wave->blockAlign, 0);

    const qsizetype frames = wave->samples.size() / wave->blockAlign;
    QVERIFY2(qAbs(double(frames) / rate - seconds) <= 0.010,
             qPrintable(QStringLiteral("lasts %1 s").arg(double(frames) / rate)));

    // Starts and ends at silence (no click), is audible, and never hits full scale. A signed
    // 8-bit file would sit at -128 here instead of 0.
    const int fullScale = bits == 8 ? 127 : 32767;
    int loudest = 0;
    for (qsizetype f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c)
            loudest = qMax(loudest, qAbs(sampleAt(*wave, f, c)));
    for (int c = 0; c < channels; ++c) {
        QVERIFY(qAbs(sampleAt(*wave, 0, c)) <= fullScale / 50);
        QVERIFY(qAbs(sampleAt(*wave, frames - 1, c)) <= fullScale / 50);
    }
    QVERIFY2(loudest > fullScale / 4, qPrintable(QStringLiteral("peak %1").arg(loudest)));
    QVERIFY2(loudest < fullScale, qPrintable(QStringLiteral("clips at %1").arg(loudest)));
}

QTEST_MAIN(ResourcesTest)
#include "tst_resources.moc"
