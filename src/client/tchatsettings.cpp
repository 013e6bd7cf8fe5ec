// The user's settings: read from the settings file when the host confirms the user's own
// connection, written back after every change made through the menus; and the menu entries
// and side windows that go with them.

#include "client/tchat.h"

#include <QAction>
#include <QColorDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QScreen>

#include "client/chatpanel.h"
#include "client/clienttexts.h"
#include "session/clientsettings.h"
#include "ui/clickablelabel.h"
#include "ui/desktopcolor.h"
#include "windows/tabout.h"
#include "windows/tdownload.h"
#include "windows/tphrases.h"

namespace {

constexpr int kTextSizes[] = {8, 10, 12, 14};

void setTextColour(QWidget *input, const QColor &colour)
{
    QPalette palette = input->palette();
    palette.setColor(QPalette::Text, colour);
    input->setPalette(palette);
}

} // namespace

void Tchat::connectSettings()
{
    chooseColor = [this](const QColor &initial, const QString &title) -> std::optional<QColor> {
        const QColor chosen = QColorDialog::getColor(initial, this, title);
        return chosen.isValid() ? std::optional<QColor>(chosen) : std::nullopt;
    };
    connect(PlaySounds1, &QAction::triggered, this, &Tchat::PlaySounds1Click);
    connect(findChild<QAction *>(QStringLiteral("double")), &QAction::triggered, this, &Tchat::doubleClick);
    connect(findChild<QAction *>(QStringLiteral("TextColor1")), &QAction::triggered, this, &Tchat::TextColor1Click);
    connect(findChild<QAction *>(QStringLiteral("ActionColor1")), &QAction::triggered, this,
            &Tchat::ActionColor1Click);
    for (int size : kTextSizes) {
        QAction *entry = findChild<QAction *>(QStringLiteral("N%1").arg(size));
        connect(entry, &QAction::triggered, this, [this, entry] { N14Click(entry->property("Tag").toInt()); });
    }
    if (auto *logo = findChild<ClickableLabel *>(QStringLiteral("Image4")))
        connect(logo, &ClickableLabel::clicked, this, &Tchat::Image4Click);
    connect(model_, &GameModel::ownLogin, this, &Tchat::loadinifile);
    showTextSize(textSize());
    rememberSettings(currentSettings().entries());
}

void Tchat::connectSideWindows()
{
    if (windows_.phrases)
        connect(windows_.phrases, &Tphrases::phrasesDone, this, &Tchat::applyPhrases, Qt::UniqueConnection);
    if (windows_.download)
        connect(windows_.download, &Tdownload::exitRequested, this, &QWidget::close, Qt::UniqueConnection);
}

void Tchat::playsounds(const QString &name)
{
    if (PlaySounds1->isChecked())
        sounds_.play(name);
}

int Tchat::textSize() const
{
    return mainchat->font().pointSize();
}

void Tchat::showTextSize(int size)
{
    QFont font = mainchat->font();
    font.setPointSize(size);
    mainchat->setFont(font);
    // The check mark stays with the size in use: one entry, or none for a size the menu lacks.
    for (int entry : kTextSizes)
        findChild<QAction *>(QStringLiteral("N%1").arg(entry))->setChecked(entry == size);
}

void Tchat::loadinifile()
{
    const ClientSettings settings = ClientSettings::read(Profile(ClientSettings::path()));
    showTextSize(settings.textSize);
    commands_->textColor = settings.textColor;
    commands_->actionColor = settings.actionColor;
    setTextColour(mychat, toColor(settings.textColor));
    for (int n = 1; n <= ClientSettings::kPhrases; ++n) {
        if (!settings.phrases[std::size_t(n)].isEmpty())
            setPhrase(n, settings.phrases[std::size_t(n)]);
    }
    PlaySounds1->setChecked(settings.playSounds);
    findChild<QAction *>(QStringLiteral("double"))->setChecked(settings.doubleCheck);
    rememberSettings(currentSettings().entries() + ClientSettings::phraseEntries(settings.phrases));
}

ClientSettings Tchat::currentSettings() const
{
    ClientSettings settings;
    settings.textSize = textSize();
    settings.textColor = commands_->textColor;
    settings.actionColor = commands_->actionColor;
    settings.playSounds = PlaySounds1->isChecked();
    settings.doubleCheck = findChild<QAction *>(QStringLiteral("double"))->isChecked();
    return settings;
}

void Tchat::saveinifile()
{
    writeSettings(currentSettings().entries());
}

void Tchat::rememberSettings(const Profile::Entries &entries)
{
    for (const auto &[key, value] : entries)
        settingsKnown_.insert(key, value);
}

void Tchat::writeSettings(const Profile::Entries &entries)
{
    Profile::Entries changed;
    Profile::Entries unchanged;
    for (const auto &entry : entries) {
        const auto known = settingsKnown_.constFind(entry.first);
        (known != settingsKnown_.cend() && *known == entry.second ? unchanged : changed).append(entry);
    }
    Profile profile(ClientSettings::path());
    if (profile.write(ClientSettings::kSection, changed, unchanged)) {
        rememberSettings(entries);
        return;
    }
    if (settingsProblemTold_)
        return;
    settingsProblemTold_ = true;
    const QFileInfo file(profile.path());
    addlinetochat(QStringLiteral("Your settings could not be saved: the file %1 in %2 could not be written (%3).")
                      .arg(file.fileName(), QDir::toNativeSeparators(file.absolutePath()), profile.errorString()),
                  kBlue);
}

void Tchat::PlaySounds1Click()
{
    saveinifile();
}

void Tchat::doubleClick()
{
    saveinifile();
}

void Tchat::TextColor1Click()
{
    const std::optional<QColor> chosen = chooseColor(toColor(commands_->textColor), QStringLiteral("Text Color"));
    if (!chosen)
        return;
    commands_->textColor = DesktopColor::fromColor(*chosen);
    setTextColour(mychat, *chosen);
    saveinifile();
}

void Tchat::ActionColor1Click()
{
    const std::optional<QColor> chosen = chooseColor(toColor(commands_->actionColor), QStringLiteral("Action Color"));
    if (chosen)
        commands_->actionColor = DesktopColor::fromColor(*chosen);
    // Written whether the user chose or cancelled.
    saveinifile();
}

void Tchat::N14Click(int size)
{
    showTextSize(size);
    saveinifile();
}

void Tchat::Image4Click()
{
    if (windows_.about)
        windows_.about->Label7Click();
}

void Tchat::showLobbyOffer()
{
    Tdownload *offer = windows_.download;
    if (!offer)
        return;
    // Beside the game rather than over it: to its right where the screen has room, else left.
    const QRect game = frameGeometry();
    const QRect screenArea = screen()->availableGeometry();
    QPoint at(game.right() + 8, game.top());
    if (at.x() + offer->frameGeometry().width() > screenArea.right())
        at.setX(qMax(screenArea.left(), game.left() - offer->frameGeometry().width() - 8));
    offer->move(at);
    offer->show();
}

void Tchat::applyPhrases(const QStringList &phrases)
{
    std::array<QString, ClientSettings::kPhrases + 1> stored;
    for (int n = 1; n <= ClientSettings::kPhrases; ++n) {
        const QString phrase = phrases.value(n - 1);
        stored[std::size_t(n)] = phrase;
        // An emptied phrase is stored empty, which the next start reads as the built-in
        // phrase; the button takes that phrase now rather than sending an empty one.
        setPhrase(n, phrase.isEmpty() ? ClientText::defaultPhrases[n] : phrase);
    }
    writeSettings(ClientSettings::phraseEntries(stored));
}
