// The settings file and what the player sets: the profile layer, the keys the main window
// reads and writes, the phrase editor, the spy list's kick, and the help and about windows.

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

#include <sys/stat.h>
#include <thread>

#include "chatfixture.h"
#include "session/clientsettings.h"
#include "common/environment.h"
#include "common/profile.h"
#include "host/tserver.h"
#include "tally/sharedtally.h"
#include "tally/tallyfile.h"
#include "testclient.h"
#include "windows/tabout.h"
#include "windows/tdownload.h"
#include "windows/thelp.h"
#include "windows/tphrases.h"

namespace {

const QString kSection = QStringLiteral("Morvello");
using Entries = Profile::Entries;

QString settingsPath()
{
    return ClientSettings::path();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// What a damaged disk or a prankster may leave where the game reads its files.
enum class Hostile { ContainerBomb, TableBomb, Huge, Pipe, DeviceLink, ByteOrderMark, OldBad };

// A tally container whose every block unpacks to 32768 line breaks, claiming `size` bytes.
QByteArray tallyBomb(qint64 size, int blocks)
{
    const QByteArray one = Tlzrw1().compress(QByteArray(Lzrw1kh::kPieceSize, '\n'));
    const int length = quint8(one[8]) | quint8(one[9]) << 8;
    QByteArray file("WRZL");
    for (int i = 0; i < 4; ++i)
        file += char(size >> (8 * i));
    for (int block = 0; block < blocks; ++block)
        file += one.mid(8, 2 + length);
    return file;
}

// Puts the hostile thing at `path`; false when it could not be made.
bool plant(Hostile kind, const QString &path)
{
    QFile::remove(path);
    QFile file(path);
    switch (kind) {
    case Hostile::ContainerBomb:
        return file.open(QIODevice::WriteOnly) && file.write(tallyBomb(0xFFFFFFFF, 2000)) > 0;
    case Hostile::TableBomb:
        // Within the size a tally may have, but claiming sixteen million rows.
        return file.open(QIODevice::WriteOnly) &&
               file.write(Tlzrw1().compress("9\r\n16000000\r\n" + QByteArray(16000000, '\n'))) > 0;
    case Hostile::Huge:
        // Sparse: a hundred megabytes that take no room on the disk.
        return file.open(QIODevice::WriteOnly) && file.resize(100 * 1024 * 1024);
    case Hostile::Pipe:
        return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    case Hostile::DeviceLink:
        return QFile::link(QStringLiteral("/dev/zero"), path);
    case Hostile::ByteOrderMark:
        return file.open(QIODevice::WriteOnly) &&
               file.write("\xEF\xBB\xBF[Morvello]\r\nTextsize=12\r\nTextcolor=clRed\r\n") > 0;
    case Hostile::OldBad:
        return file.open(QIODevice::WriteOnly) && file.write("not a tally either") > 0;
    }
    return false;
}

// What stands at a path, to tell that nothing was written over it.
QString kindOf(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return QStringLiteral("link to ") + info.symLinkTarget();
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return QStringLiteral("nothing");
    if (S_ISFIFO(st.st_mode))
        return QStringLiteral("pipe");
    return QStringLiteral("file of %1 bytes").arg(info.size());
}

// Made before the main window, which connects to them.
struct SideWindows {
    Tphrases phrases;
    Tabout about;

    TchatWindows windows()
    {
        TchatWindows w;
        w.phrases = &phrases;
        w.about = &about;
        return w;
    }
};

// A main window with a phrase editor and an about window; connect() logs in as seat 1, at
// which the settings are read.
struct SettingsFixture : SideWindows, ChatFixture {
    SettingsFixture()
        : ChatFixture(windows())
    {
    }
    void connect() { deliver("CMD_sendlogininfo+1#CMD_newplayerinfo+1+You#"); }
    QLineEdit *input() const { return chat.findChild<QLineEdit *>(QStringLiteral("mychat")); }
    QString phrase(int n) const
    {
        return chat.phraseOf(n);
    }
    QStringList checkedSizes() const
    {
        QStringList checked;
        for (const char *name : {"N8", "N10", "N12", "N14"}) {
            if (action(QString::fromLatin1(name))->isChecked())
                checked << QString::fromLatin1(name);
        }
        return checked;
    }
};

} // namespace

Q_DECLARE_METATYPE(Hostile)

class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void profileReadsLikeTheDesktop_data();
    void profileReadsLikeTheDesktop();
    void profileWritesOnlyItsOwnLines_data();
    void profileWritesOnlyItsOwnLines();
    void settingsReadWithTheirDefaults_data();
    void settingsReadWithTheirDefaults();
    void connectingAppliesTheFile();
    void menuChangesAreWrittenAtOnce();
    void hostileFilesThroughTheReaders_data();
    void hostileFilesThroughTheReaders();
    void unusableSettingsAreToldOnce_data();
    void unusableSettingsAreToldOnce();
    void writersAtOnceKeepEachOthersKeys();
    void phraseEditorAppliesAndStores();
    void spyListKicksOnlyTheSpyPointedAt();
    void helpPagesAndAbout_data();
    void helpPagesAndAbout();
};

void SettingsTest::init()
{
    QFile::remove(settingsPath());
}

void SettingsTest::cleanup()
{
    QDir(settingsPath()).removeRecursively();
    QFile::remove(settingsPath());
}

void SettingsTest::profileReadsLikeTheDesktop_data()
{
    QTest::addColumn<QByteArray>("file");   // null: no file at all
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");  // "<none>" when the fallback comes back

    QTest::newRow("missing file") << QByteArray() << "Textsize" << "<none>";
    QTest::newRow("names in any case") << QByteArray("[mORVELLO]\nTEXTSIZE=12\n") << "Textsize" << "12";
    QTest::newRow("blanks around") << QByteArray("[Morvello]\n  Textsize \t=  12  \n") << "Textsize" << "12";
    QTest::newRow("one pair of quotes") << QByteArray("[Morvello]\nPhrase1=\"\"Hi\"\"\n") << "Phrase1" << "\"Hi\"";
    QTest::newRow("quotes keep blanks") << QByteArray("[Morvello]\nPhrase1=\"  hi \"\n") << "Phrase1" << "  hi ";
    QTest::newRow("single quotes") << QByteArray("[Morvello]\nPhrase1='x'\n") << "Phrase1" << "x";
    QTest::newRow("unmatched quote stays") << QByteArray("[Morvello]\nPhrase1=\"x\n") << "Phrase1" << "\"x";
    QTest::newRow("a comma is text") << QByteArray("[Morvello]\nPhrase6=Wow, WTG!\n") << "Phrase6" << "Wow, WTG!";
    QTest::newRow("first = splits") << QByteArray("[Morvello]\nPhrase1=a=b\n") << "Phrase1" << "a=b";
    QTest::newRow("empty value") << QByteArray("[Morvello]\nPhrase3=\n") << "Phrase3" << "";
    QTest::newRow("CRLF lines") << QByteArray("[Morvello]\r\nTextsize=12\r\n") << "Textsize" << "12";
    QTest::newRow("other section first") << QByteArray("[Lobby]\nTextsize=9\n[Morvello]\nTextsize=12")
                                         << "Textsize" << "12";
    QTest::newRow("key of the next section") << QByteArray("[Morvello]\nA=1\n[Other]\nTextsize=5\n")
                                             << "Textsize" << "<none>";
    QTest::newRow("UTF-8") << QByteArray("[Morvello]\nPhrase1=Sch\xc3\xb6n!\n") << "Phrase1" << "Schön!";
    QTest::newRow("Latin-1") << QByteArray("[Morvello]\nPhrase1=Sch\xf6n!\n") << "Phrase1" << "Schön!";
    QTest::newRow("accented names in any case") << QByteArray("[Morvello]\nGR\xc3\x9c\xc3\x9f=1\n") << "grüß" << "1";
    QTest::newRow("the first of a key") << QByteArray("[Morvello]\nTextsize=12\ntextsize=14\n") << "Textsize"
                                        << "12";
    QTest::newRow("only the first section of a name")
        << QByteArray("[Morvello]\nA=1\n[Lobby]\n[morvello]\nTextsize=12\n") << "Textsize" << "<none>";
    QByteArray many;
    for (int i = 0; i < 2000; ++i)
        many += "[Room" + QByteArray::number(i) + "]\nTextsize=" + QByteArray::number(i) + "\n";
    many += "[Morvello]\n";
    for (int i = 0; i < 2000; ++i)
        many += "Phrase" + QByteArray::number(i) + "=" + QByteArray::number(i) + "\n";
    QTest::newRow("many sections and keys") << many << "Phrase1234" << "1234";
}

void SettingsTest::profileReadsLikeTheDesktop()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("orlenlobby.ini"));
    if (!file.isNull())
        writeFile(path, file);
    // Another section asked for first must not answer for ours.
    const Profile profile(path);
    profile.readString(QStringLiteral("Lobby"), key);
    QCOMPARE(profile.readString(kSection, key, QStringLiteral("<none>")), expected);
}

void SettingsTest::profileWritesOnlyItsOwnLines_data()
{
    QTest::addColumn<QByteArray>("before");   // null: no file
    QTest::addColumn<Profile::Entries>("entries");   // written in one go
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("new file") << QByteArray() << Entries{{"Textsize", "10"}}
                              << QByteArray("[Morvello]\nTextsize=10\n");
    QTest::newRow("new section after the others")
        << QByteArray("; the lobby's\r\n[Lobby]\r\nName=Ann\r\n") << Entries{{"Playsounds", "false"}}
        << QByteArray("; the lobby's\r\n[Lobby]\r\nName=Ann\r\n\r\n[Morvello]\r\nPlaysounds=false\r\n");
    QTest::newRow("value replaced in place")
        << QByteArray("; keep me\r\n[Lobby]\r\nTextsize=99\r\n\r\n[MORVELLO]\r\n  textsize = 8 \r\nPlaysounds=true\r\n")
        << Entries{{"Textsize", "12"}}
        << QByteArray("; keep me\r\n[Lobby]\r\nTextsize=99\r\n\r\n[MORVELLO]\r\n  textsize=12\r\nPlaysounds=true\r\n");
    QTest::newRow("only the first of a key") << QByteArray("[Morvello]\nA=1\na=2\n") << Entries{{"A", "3"}}
                                             << QByteArray("[Morvello]\nA=3\na=2\n");
    QTest::newRow("new key before the blank lines")
        << QByteArray("[Morvello]\nA=1\n; note\n\n[Other]\nB=2") << Entries{{"Phrase6", "Wow, WTG!"}}
        << QByteArray("[Morvello]\nA=1\n; note\nPhrase6=Wow, WTG!\n\n[Other]\nB=2");
    QTest::newRow("last line without ending") << QByteArray("[Morvello]\nA=1") << Entries{{"B", "2"}}
                                              << QByteArray("[Morvello]\nA=1\nB=2\n");
    QTest::newRow("blanks kept by quotes") << QByteArray("[Morvello]\n") << Entries{{"Phrase1", " hi "}}
                                           << QByteArray("[Morvello]\nPhrase1=\" hi \"\n");
    QTest::newRow("quotes kept by quotes") << QByteArray("[Morvello]\n") << Entries{{"Phrase1", "\"Yes\""}}
                                           << QByteArray("[Morvello]\nPhrase1=\"\"Yes\"\"\n");
    QTest::newRow("several keys, one replaced")
        << QByteArray("[Morvello]\nA=1\n\n[Other]\nB=2\n")
        << Entries{{"Phrase1", "x"}, {"a", "2"}, {"Phrase2", "y"}}
        << QByteArray("[Morvello]\nA=2\nPhrase1=x\nPhrase2=y\n\n[Other]\nB=2\n");
    QTest::newRow("several keys in a new section")
        << QByteArray("[Lobby]\nName=Ann") << Entries{{"A", "1"}, {"B", "2"}}
        << QByteArray("[Lobby]\nName=Ann\n\n[Morvello]\nA=1\nB=2\n");
    QTest::newRow("empty value") << QByteArray("[Morvello]\nPhrase3=Nice Try!\n") << Entries{{"Phrase3", ""}}
                                 << QByteArray("[Morvello]\nPhrase3=\n");
}

void SettingsTest::profileWritesOnlyItsOwnLines()
{
    QFETCH(QByteArray, before);
    QFETCH(Profile::Entries, entries);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("orlenlobby.ini"));
    if (!before.isNull())
        writeFile(path, before);
    Profile profile(path);
    // Read before the write, so the write must replace what was read.
    profile.readString(kSection, entries.first().first);
    QVERIFY2(profile.write(kSection, entries), qPrintable(profile.errorString()));
    QCOMPARE(readFile(path), after);
    for (const auto &[key, value] : entries) {
        QCOMPARE(profile.readString(kSection, key), value);
        QCOMPARE(Profile(path).readString(kSection, key), value);
    }
}

void SettingsTest::settingsReadWithTheirDefaults_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("textColor");
    QTest::addColumn<bool>("sounds");
    QTest::addColumn<bool>("doubleCheck");
    QTest::addColumn<QString>("phrase3");

    const int black = ColorText::kBlack;
    QTest::newRow("no file: missing switches read as on") << QByteArray() << 8 << black << true << true << "";
    QTest::newRow("size and colour") << QByteArray("[Morvello]\nTextsize=12\nTextcolor=clRed\n") << 12
                                     << int(ColorText::kRed) << true << true << "";
    QTest::newRow("size not a number") << QByteArray("[Morvello]\nTextsize=big\n") << 8 << black << true << true
                                       << "";
    QTest::newRow("size out of range") << QByteArray("[Morvello]\nTextsize=0\n") << 8 << black << true << true << "";
    QTest::newRow("size without a menu entry") << QByteArray("[Morvello]\nTextsize=9\n") << 9 << black << true
                                               << true << "";
    QTest::newRow("unreadable colour") << QByteArray("[Morvello]\nTextcolor=mauve\n") << 8 << black << true << true
                                       << "";
    QTest::newRow("system colour") << QByteArray("[Morvello]\nTextcolor=CLWINDOWTEXT\n") << 8
                                   << int(ColorText::systemColor(8)) << true << true << "";
    QTest::newRow("hex colour") << QByteArray("[Morvello]\nTextcolor=$00FF8000\n") << 8 << 0x00FF8000 << true
                                << true << "";
    QTest::newRow("False still plays sounds") << QByteArray("[Morvello]\nPlaysounds=False\nDoublecheck=FALSE\n")
                                              << 8 << black << true << true << "";
    QTest::newRow("exact false switches off") << QByteArray("[Morvello]\nPlaysounds=false\nDoublecheck=false\n")
                                              << 8 << black << false << false << "";
    QTest::newRow("a phrase") << QByteArray("[Morvello]\nPhrase3=/me cheers\n") << 8 << black << true << true
                              << "/me cheers";
}

void SettingsTest::settingsReadWithTheirDefaults()
{
    QFETCH(QByteArray, file);
    QFETCH(int, size);
    QFETCH(int, textColor);
    QFETCH(bool, sounds);
    QFETCH(bool, doubleCheck);
    QFETCH(QString, phrase3);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("orlenlobby.ini"));
    if (!file.isNull())
        writeFile(path, file);
    const ClientSettings settings = ClientSettings::read(Profile(path));
    QCOMPARE(settings.textSize, size);
    QCOMPARE(settings.textColor, textColor);
    QCOMPARE(settings.actionColor, ColorText::kBlack);
    QCOMPARE(settings.playSounds, sounds);
    QCOMPARE(settings.doubleCheck, doubleCheck);
    QCOMPARE(settings.phrases[3], phrase3);
    // What is read is written back as the same text.
    Profile written(dir.filePath(QStringLiteral("copy.ini")));
    QVERIFY(written.write(kSection, settings.entries()));
    QCOMPARE(ClientSettings::read(written).textColor, settings.textColor);
}

void SettingsTest::connectingAppliesTheFile()
{
    writeFile(settingsPath(), "[Morvello]\nTextsize=12\nTextcolor=clRed\nActioncolor=clWindowText\n"
                              "Phrase3=/me cheers\nPhrase6=\nPlaysounds=False\nDoublecheck=false\n");
    SettingsFixture f;
    f.action(QStringLiteral("PlaySounds1"))->setChecked(false);
    f.connect();

    QCOMPARE(f.chat.textSize(), 12);
    QCOMPARE(f.checkedSizes(), QStringList{QStringLiteral("N12")});
    QCOMPARE(f.input()->palette().color(QPalette::Text), QColor(255, 0, 0));
    QCOMPARE(f.phrase(3), QStringLiteral("/me cheers"));
    QCOMPARE(f.phrase(6), QStringLiteral("Wow, WTG!"));
    QVERIFY(f.action(QStringLiteral("PlaySounds1"))->isChecked());
    QVERIFY(!f.action(QStringLiteral("double"))->isChecked());

    f.sent.clear();
    f.input()->setText(QStringLiteral("hello"));
    f.chat.sendit();
    f.chat.b_phrase1Click(3);
    QCOMPARE(f.sent.size(), 2);
    QCOMPARE(f.sent.at(0).at(0).toByteArray(), QByteArray("CMD_chat+1+hello|clRed\xff"));
    QCOMPARE(f.sent.at(1).at(0).toByteArray(), QByteArray("CMD_action+1+cheers|clWindowText\xff"));
    // The same system colour arriving in a line shows in the desktop's text colour.
    f.deliver("CMD_action+Ann waves|clWindowText#");
    QCOMPARE(f.linesWith(QStringLiteral("Ann waves")).value(0), f.chat.palette().color(QPalette::Text));
}

void SettingsTest::menuChangesAreWrittenAtOnce()
{
    SettingsFixture f;
    QCOMPARE(f.checkedSizes(), QStringList{QStringLiteral("N8")});
    f.connect();

    f.action(QStringLiteral("N10"))->trigger();
    QCOMPARE(f.chat.textSize(), 10);
    QCOMPARE(f.checkedSizes(), QStringList{QStringLiteral("N10")});
    f.action(QStringLiteral("N10"))->trigger();
    QCOMPARE(f.checkedSizes(), QStringList{QStringLiteral("N10")});
    QCOMPARE(Profile(settingsPath()).readString(kSection, QStringLiteral("Textsize")), QStringLiteral("10"));

    // Play Sounds off: written, and no sound plays.
    f.action(QStringLiteral("PlaySounds1"))->trigger();
    QCOMPARE(Profile(settingsPath()).readString(kSection, QStringLiteral("Playsounds")), QStringLiteral("false"));
    f.deliver("CMD_rollagain+#");
    QCOMPARE(f.chat.sounds().lastRequested(), QStringLiteral("entered"));

    f.action(QStringLiteral("double"))->trigger();
    QCOMPARE(Profile(settingsPath()).readString(kSection, QStringLiteral("Doublecheck")), QStringLiteral("false"));

    // A cancelled Action Color still writes the file; a cancelled Text Color does not.
    QList<QString> asked;
    std::optional<QColor> answer;
    f.chat.chooseColor = [&](const QColor &initial, const QString &title) {
        asked << title + QLatin1Char(' ') + initial.name();
        return answer;
    };
    QFile::remove(settingsPath());
    f.action(QStringLiteral("TextColor1"))->trigger();
    QVERIFY(!QFile::exists(settingsPath()));
    f.action(QStringLiteral("ActionColor1"))->trigger();
    QCOMPARE(Profile(settingsPath()).readString(kSection, QStringLiteral("Actioncolor")), QStringLiteral("clBlack"));

    answer = QColor(0, 128, 255);
    f.action(QStringLiteral("TextColor1"))->trigger();
    QCOMPARE(Profile(settingsPath()).readString(kSection, QStringLiteral("Textcolor")), QStringLiteral("$00FF8000"));
    QCOMPARE(f.input()->palette().color(QPalette::Text), QColor(0, 128, 255));
    f.action(QStringLiteral("TextColor1"))->trigger();
    QCOMPARE(asked, (QList<QString>{"Text Color #000000", "Action Color #000000", "Text Color #000000",
                                    "Text Color #0080ff"}));

    // The logo opens the maker's page through the about window.
    QStringList opened;
    f.about.openAddress = [&](const QString &address) {
        opened << address;
        return true;
    };
    f.chat.Image4Click();
    QCOMPARE(opened, QStringList{Tabout::kAddress});
}

void SettingsTest::hostileFilesThroughTheReaders_data()
{
    QTest::addColumn<Hostile>("kind");
    QTest::addColumn<QString>("tallyProblem");      // in the tally's report; the file is kept aside
    QTest::addColumn<QString>("settingsProblem");   // empty: the settings file is read
    QTest::addColumn<int>("textSize");

    QTest::newRow("tally bomb") << Hostile::ContainerBomb << "would unpack to 4294967295 bytes" << "" << 8;
    QTest::newRow("row bomb") << Hostile::TableBomb << "claims 16000000 rows" << "" << 8;
    QTest::newRow("huge") << Hostile::Huge << "is larger than 17 MB" << "is larger than 1 MB" << 8;
    QTest::newRow("pipe") << Hostile::Pipe << "is not a regular file" << "is not a regular file" << 8;
    QTest::newRow("link to a device") << Hostile::DeviceLink << "is not a regular file" << "is not a regular file"
                                      << 8;
    QTest::newRow("byte-order mark") << Hostile::ByteOrderMark << "no valid header" << "" << 12;
    QTest::newRow("older bad tallies") << Hostile::OldBad << "no valid header" << "" << 8;
}

void SettingsTest::hostileFilesThroughTheReaders()
{
    QFETCH(Hostile, kind);
    QFETCH(QString, tallyProblem);
    QFETCH(QString, settingsProblem);
    QFETCH(int, textSize);

    // The tally: refused before anything large is allocated, and kept under the first free
    // ".bad" name, beside the older ones.
    const QString tally = TallyFile::defaultPath();
    QStringList asides{tally + QStringLiteral(".bad"), tally + QStringLiteral(".bad.2"), tally + QStringLiteral(".bad.3")};
    for (const QString &aside : asides)
        QFile::remove(aside);
    if (kind == Hostile::OldBad) {
        for (int n = 0; n < 2; ++n)
            writeFile(asides[n], "older " + QByteArray::number(n));
    }
    QVERIFY(plant(kind, tally));
    const QString planted = kindOf(tally);
    const QString aside = asides[kind == Hostile::OldBad ? 2 : 0];
    Tlzrw1 doit;
    const TallyFile::Loaded loaded = TallyFile::load(doit, tally);
    QVERIFY(!loaded.found);
    QVERIFY(loaded.canSave);
    QCOMPARE(loaded.table.rowCount(), 1);
    QVERIFY2(loaded.problem.contains(tallyProblem), qPrintable(loaded.problem));
    QVERIFY2(loaded.problem.contains(aside + QLatin1Char(' ')), qPrintable(loaded.problem));
    QCOMPARE(kindOf(tally), QStringLiteral("nothing"));
    QCOMPARE(kindOf(aside), planted);
    if (kind == Hostile::OldBad) {
        QCOMPARE(readFile(asides[0]), QByteArray("older 0"));
        QCOMPARE(readFile(asides[1]), QByteArray("older 1"));
    }
    for (const QString &name : asides)
        QFile::remove(name);

    // The settings: defaults, and nothing written over what is there.
    const QString path = settingsPath();
    QVERIFY(plant(kind, path));
    const QString before = kindOf(path);
    Profile profile(path);
    QVERIFY2(settingsProblem.isEmpty() ? profile.problem().isEmpty() : profile.problem() == settingsProblem,
             qPrintable(profile.problem()));
    const ClientSettings settings = ClientSettings::read(profile);
    QCOMPARE(settings.textSize, textSize);
    QCOMPARE(profile.write(kSection, settings.entries()), settingsProblem.isEmpty());
    if (!settingsProblem.isEmpty()) {
        QCOMPARE(kindOf(path), before);
        QVERIFY2(profile.errorString().contains(settingsProblem), qPrintable(profile.errorString()));
    }
    if (kind == Hostile::ByteOrderMark) {
        // Its one section kept its place and its mark, and took the keys.
        const QByteArray written = readFile(path);
        QVERIFY2(written.startsWith("\xEF\xBB\xBF[Morvello]\r\nTextsize=12\r\nTextcolor=clRed\r\n"), written.constData());
        QCOMPARE(written.count("[Morvello]"), 1);
        QCOMPARE(ClientSettings::read(Profile(path)).textColor, ColorText::kRed);
    }
    QFile::remove(path);

    // The same planted at the lock files' names: nothing waits on it or reads it, the save is
    // refused with the reason, and the thing stays.
    if (kind == Hostile::Pipe || kind == Hostile::DeviceLink || kind == Hostile::Huge) {
        const QString locks[] = {path + QStringLiteral(".lock"), SharedTally::lockPath(tally)};
        for (const QString &lock : locks)
            QVERIFY(plant(kind, lock));
        Profile fresh(path);
        QVERIFY(!fresh.write(kSection, settings.entries()));
        QVERIFY2(fresh.errorString().contains(QStringLiteral("lock file")), qPrintable(fresh.errorString()));
        QVERIFY(!SharedTally::load(doit, tally).found);
        const SharedTally::Saved saved = SharedTally::save(doit, TallyTable(), tally);
        QVERIFY(!saved.written);
        QVERIFY2(saved.problem.contains(QStringLiteral("lock file")), qPrintable(saved.problem));
        for (const QString &lock : locks) {
            QCOMPARE(kindOf(lock), planted);
            QFile::remove(lock);
        }
    }
}

void SettingsTest::unusableSettingsAreToldOnce_data()
{
    QTest::addColumn<bool>("pipe");          // else a directory
    QTest::addColumn<bool>("afterLogin");    // it was a good file when the settings were read
    QTest::addColumn<QString>("told");

    QTest::newRow("a directory") << false << false << "could not be read";
    QTest::newRow("a pipe") << true << false << "could not be read";
    QTest::newRow("a pipe after the settings were read") << true << true << "could not be saved";
}

void SettingsTest::unusableSettingsAreToldOnce()
{
    QFETCH(bool, pipe);
    QFETCH(bool, afterLogin);
    QFETCH(QString, told);
    const auto makeUnusable = [&] {
        QFile::remove(settingsPath());
        // Neither can be read or written, not even by root, and opening a pipe without a
        // writer would wait for ever.
        if (pipe)
            QCOMPARE(::mkfifo(QFile::encodeName(settingsPath()).constData(), 0600), 0);
        else
            QVERIFY(QDir().mkpath(settingsPath()));
    };
    if (afterLogin)
        writeFile(settingsPath(), "[Morvello]\nTextsize=12\n");
    else
        makeUnusable();
    SettingsFixture f;
    f.connect();
    QCOMPARE(f.chat.textSize(), afterLogin ? 12 : 8);
    if (afterLogin)
        makeUnusable();
    f.action(QStringLiteral("N14"))->trigger();
    f.action(QStringLiteral("PlaySounds1"))->trigger();
    f.connect();
    const QStringList lines = f.lines().filter(QStringLiteral("orlenlobby.ini"));
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().contains(told), qPrintable(lines.first()));
    QVERIFY2(lines.first().contains(QDir::toNativeSeparators(QDir(Environment::dataDirectory()).absolutePath())),
             qPrintable(lines.first()));
    QVERIFY(pipe ? kindOf(settingsPath()) == QLatin1String("pipe") : QFileInfo(settingsPath()).isDir());
}

// Two programs write the settings file at once, each its own keys one by one: every key of
// both is there at the end, and the lobby's section is as it was, byte for byte.
void SettingsTest::writersAtOnceKeepEachOthersKeys()
{
    constexpr int kKeys = 60;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("orlenlobby.ini"));
    const QByteArray lobby("; the lobby's own\r\n[Lobby]\r\nName = Ann \r\nTextsize=99\r\n\r\n");
    writeFile(path, lobby);
    bool written[2] = {true, true};
    const auto writer = [&path](const QString &prefix, bool *ok) {
        Profile profile(path);
        for (int n = 0; n < kKeys; ++n)
            *ok &= profile.writeString(kSection, prefix + QString::number(n), QString::number(n));
    };
    std::thread one(writer, QStringLiteral("One"), &written[0]);
    std::thread other(writer, QStringLiteral("Other"), &written[1]);
    one.join();
    other.join();
    QVERIFY(written[0] && written[1]);

    QVERIFY(readFile(path).startsWith(lobby));
    const Profile after(path);
    for (int n = 0; n < kKeys; ++n) {
        QCOMPARE(after.readString(kSection, QStringLiteral("One%1").arg(n)), QString::number(n));
        QCOMPARE(after.readString(kSection, QStringLiteral("Other%1").arg(n)), QString::number(n));
    }
}

void SettingsTest::phraseEditorAppliesAndStores()
{
    writeFile(settingsPath(), "; shared with the lobby\n[Lobby]\nPhrase6=theirs\n");
    {
        SettingsFixture f;
        f.chat.PhraseList1Click();
        QCOMPARE(f.phrases.phrase(6)->text(), QStringLiteral("Wow, WTG!"));
        QCOMPARE(f.phrases.phrase(1)->maxLength(), 50);
        f.phrases.phrase(6)->setText(QStringLiteral("Oh, no!"));
        f.phrases.phrase(2)->clear();
        f.phrases.findChild<QPushButton *>(QStringLiteral("SelButton8"))->click();
        QVERIFY(!f.phrases.isVisible());
        QCOMPARE(f.phrase(6), QStringLiteral("Oh, no!"));
        // An emptied phrase is stored empty and the button keeps a phrase to send.
        QCOMPARE(f.phrase(2), QStringLiteral("Good One!"));

        // Closing without "Done" changes nothing.
        f.chat.PhraseList1Click();
        f.phrases.phrase(1)->setText(QStringLiteral("not kept"));
        f.phrases.hide();
        QCOMPARE(f.phrase(1), QStringLiteral("Way To Go!"));
    }
    const QByteArray file = readFile(settingsPath());
    QVERIFY(file.startsWith("; shared with the lobby\n[Lobby]\nPhrase6=theirs\n\n[Morvello]\nPhrase1=Way To Go!\n"));
    QVERIFY(file.contains("\nPhrase2=\n"));

    SettingsFixture restarted;
    restarted.connect();
    QCOMPARE(restarted.phrase(6), QStringLiteral("Oh, no!"));
    QCOMPARE(restarted.phrase(2), QStringLiteral("Good One!"));
}

void SettingsTest::spyListKicksOnlyTheSpyPointedAt()
{
    TServer server;
    QString error;
    QVERIFY2(server.startListening(&error, 0), qPrintable(error));
    std::array<TestClient, 8> clients;   // slots 1..7
    for (int slot = 1; slot <= 7; ++slot) {
        QVERIFY(clients[std::size_t(slot)].connectTo(server.serverPort()));
        TestClient &client = clients[std::size_t(slot)];
        QCOMPARE(client.nextMessage(), QByteArray("CMD_sendlogininfo+") + QByteArray::number(slot));
        client.send("CMD_logininfo+" + QByteArray::number(slot) + "+1.0.1+P" + QByteArray::number(slot));
    }
    QVERIFY(!clients[1].nextMessageStartingWith("CMD_newplayerinfo+7+").isNull());

    ChatFixture f;
    f.deliver("CMD_sendlogininfo+1#CMD_newplayerinfo+5+Ann#CMD_newplayerinfo+6+Bob#CMD_newplayerinfo+7+Klot#");
    QListView *spys = f.spylist.listbox_spys();
    f.spylist.show();
    QCOMPARE(f.spies().size(), 3);
    QCOMPARE(f.spies().value(2), QStringLiteral("7: Klot"));
    QAction *kick = f.spylist.popup_kickhim();

    auto pointAt = [&](const QPoint &pos) {
        QMouseEvent move(QEvent::MouseMove, pos, spys->viewport()->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(spys->viewport(), &move);
    };
    const QPoint overKlot = spys->visualRect(spys->model()->index(2, 0)).center();
    // Not hosting: the command is off and does nothing.
    pointAt(overKlot);
    QCOMPARE(f.spylist.hoveredRow(), 2);
    QVERIFY(!kick->isEnabled());
    kick->trigger();

    f.spylist.setHost(&server);
    QVERIFY(kick->isEnabled());
    pointAt(QPoint(2, spys->viewport()->height() - 2));
    QCOMPARE(f.spylist.hoveredRow(), -1);
    kick->trigger();
    // Klot leaves and Dora takes slot 7 while the pointer rests: the command must not reach her.
    pointAt(overKlot);
    f.deliver("CMD_playerdisconnected+7+Klot#CMD_newplayerinfo+7+Dora#");
    kick->trigger();
    for (int slot = 1; slot <= 7; ++slot)
        QVERIFY2(server.engine().table().connected(slot), qPrintable(QString::number(slot)));

    pointAt(spys->visualRect(spys->model()->index(2, 0)).center());
    kick->trigger();
    QVERIFY(!server.engine().table().connected(7));
    QVERIFY(clients[7].waitForClosed());
    QVERIFY(!clients[1].nextMessageStartingWith("CMD_playerdisconnected+7+").isNull());
    for (int slot = 1; slot <= 6; ++slot) {
        QVERIFY2(server.engine().table().connected(slot), qPrintable(QString::number(slot)));
        QVERIFY2(!clients[std::size_t(slot)].isClosed(), qPrintable(QString::number(slot)));
    }
}

void SettingsTest::helpPagesAndAbout_data()
{
    QTest::addColumn<int>("tag");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("mentions");

    QTest::newRow("1") << 1 << "Overview" << QStringList{"twelve categories", "Klot"};
    QTest::newRow("2") << 2 << "Connecting" << QStringList{"7772", "MORVELLO_PORT", "firewall", Tdownload::kLobbyPath};
    QTest::newRow("3") << 3 << "Game Play" << QStringList{"12 rounds", "team game has 6", "Ctrl+R", "F12", "Ctrl+S"};
    QTest::newRow("4") << 4 << "Scoring" << QStringList{"Big Straight", "71 or more", "116 or more", "Team games"};
    QTest::newRow("5") << 5 << "Documentation" << QStringList{"Version 1.0.1"};
    QTest::newRow("6") << 6 << "License" << QStringList{"MIT License", "Copyright (c) 2026 the Morvello developers"};
}

void SettingsTest::helpPagesAndAbout()
{
    QFETCH(int, tag);
    QFETCH(QString, caption);
    QFETCH(QStringList, mentions);
    Tabout about;
    Thelp help;
    help.setAbout(&about);
    help.show();
    auto *button = help.findChildren<QPushButton *>().value(tag - 1);
    QCOMPARE(button->text(), caption);
    button->click();
    QCOMPARE(help.findChild<QLabel *>(QStringLiteral("label_caption"))->text(), caption);
    auto *memo = help.findChild<QTextBrowser *>(QStringLiteral("memo%1").arg(tag));
    QCOMPARE(help.findChild<QStackedWidget *>()->currentWidget(), memo);
    for (const QString &mention : mentions)
        QVERIFY2(memo->toPlainText().contains(mention), qPrintable(mention));

    help.findChild<QPushButton *>(QStringLiteral("button_about"))->click();
    QVERIFY(about.isVisible());
    QCOMPARE(about.findChild<QLabel *>(QStringLiteral("version"))->text(), QStringLiteral("1.0.1"));
}

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
