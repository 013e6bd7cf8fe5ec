// The user's settings: read from the settings file when the host confirms the user's own
// connection, written back after every change made through the menus; and the menu entries
// and side windows that go with them.

#include "client/tchat.h"

#include <QAction>
#include <QColorDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMoveEvent>
#include <QScreen>
#include <QToolButton>

#include "client/chatpanel.h"
#include "client/clienttexts.h"
#include "ui/clickablelabel.h"
#include "ui/desktopcolor.h"
#include "ui/plaintext.h"
#include "ui/sideplace.h"
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
    connect(double1, &QAction::triggered, this, &Tchat::doubleClick);
    connect(ShowHints1, &QAction::triggered, this, &Tchat::ShowHints1Click);
    connect(findChild<QAction *>(QStringLiteral("TextColor1")), &QAction::triggered, this, &Tchat::TextColor1Click);
    connect(findChild<QAction *>(QStringLiteral("ActionColor1")), &QAction::triggered, this,
            &Tchat::ActionColor1Click);
    for (int size : kTextSizes)
        connect(findChild<QAction *>(QStringLiteral("N%1").arg(size)), &QAction::triggered, this,
                [this, size] { N14Click(size); });
    if (auto *logo = findChild<ClickableLabel *>(QStringLiteral("Image4")))
        connect(logo, &ClickableLabel::clicked, this, &Tchat::Image4Click);

    Preferences *preferences = &session_->preferences();
    connect(preferences, &Preferences::textSizeChanged, this, &Tchat::showTextSize);
    connect(preferences, &Preferences::colorsChanged, this, &Tchat::showColors);
    connect(preferences, &Preferences::switchesChanged, this, &Tchat::showSwitches);
    connect(preferences, &Preferences::phrasesChanged, this, &Tchat::showPhrases);
    connect(preferences, &Preferences::saveFailed, this, [this](const QString &path, const QString &reason) {
        const QFileInfo file(path);
        addlinetochat(QStringLiteral("Your settings could not be saved: the file %1 in %2 could not be written (%3).")
                          .arg(file.fileName(), QDir::toNativeSeparators(file.absolutePath()), reason),
                      kBlue);
    });
    connect(preferences, &Preferences::readFailed, this, [this](const QString &path, const QString &reason) {
        const QFileInfo file(path);
        addlinetochat(QStringLiteral("Your settings could not be read: the file %1 in %2 %3. The game uses its "
                                     "default settings and leaves that file as it is.")
                          .arg(file.fileName(), QDir::toNativeSeparators(file.absolutePath()), reason),
                      kBlue);
    });
    showTextSize(preferences->textSize());
    showColors();
    showSwitches();
    showPhrases();
}

void Tchat::connectSideWindows()
{
    if (windows_.phrases)
        connect(windows_.phrases, &Tphrases::phrasesDone, &session_->preferences(), &Preferences::setPhrases,
                Qt::UniqueConnection);
    if (windows_.download)
        connect(windows_.download, &Tdownload::exitRequested, this, &QWidget::close, Qt::UniqueConnection);
}

void Tchat::playsounds(const QString &name)
{
    if (preferences().playSounds())
        sounds_.play(name);
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

void Tchat::showColors()
{
    setTextColour(mychat, toColor(preferences().textColor()));
}

void Tchat::showSwitches()
{
    PlaySounds1->setChecked(preferences().playSounds());
    double1->setChecked(preferences().doubleCheck());
    ShowHints1->setChecked(preferences().showHints());
}

void Tchat::showPhrases()
{
    for (int n = 1; n <= Preferences::kPhrases; ++n) {
        if (auto *button = findChild<QToolButton *>(QStringLiteral("b_phrase%1").arg(n)))
            button->setToolTip(PlainText::toolTip(preferences().phrase(n)));
    }
}

void Tchat::PlaySounds1Click()
{
    preferences().setPlaySounds(!preferences().playSounds());
}

void Tchat::doubleClick()
{
    preferences().setDoubleCheck(!preferences().doubleCheck());
}

void Tchat::ShowHints1Click()
{
    preferences().setShowHints(!preferences().showHints());
}

void Tchat::TextColor1Click()
{
    const std::optional<QColor> chosen = chooseColor(toColor(preferences().textColor()), QStringLiteral("Text Color"));
    if (chosen)
        preferences().setTextColor(DesktopColor::fromColor(*chosen));
}

void Tchat::ActionColor1Click()
{
    const std::optional<QColor> chosen =
        chooseColor(toColor(preferences().actionColor()), QStringLiteral("Action Color"));
    if (chosen)
        preferences().setActionColor(DesktopColor::fromColor(*chosen));
    else
        preferences().save();  // written whether the user chose or cancelled
}

void Tchat::N14Click(int size)
{
    preferences().setTextSize(size);
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
    // Its frame is only known once it is shown, so it is placed without it first and then,
    // if the frame moved it past the screen's edge, once more.
    placeLobbyOffer();
    // The chat line keeps the keyboard: the offer is shown, not made the active window.
    offer->setAttribute(Qt::WA_ShowWithoutActivating);
    offer->show();
    offer->setAttribute(Qt::WA_ShowWithoutActivating, false);
    placeLobbyOffer();
    offer->installEventFilter(this);
}

void Tchat::placeLobbyOffer()
{
    // Beside the game, never over the card.
    constexpr int kGap = 8;
    Tdownload *offer = windows_.download;
    const QPoint at = SidePlace::beside(frameGeometry(), screen()->availableGeometry(), offer->frameGeometry().size(), kGap);
    lobbyPlacedAt_ = at;
    if (offer->pos() != at)
        offer->move(at);
}

void Tchat::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    Tdownload *offer = windows_.download;
    if (offer && offer->isVisible() && lobbyPlacedAt_ == offer->pos())
        placeLobbyOffer();
}

bool Tchat::eventFilter(QObject *watched, QEvent *event)
{
    Tdownload *offer = windows_.download;
    if (watched == offer && lobbyPlacedAt_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        // Framed where it was put, it may now reach past the screen; put elsewhere, the user
        // moved it, and there it stays.
        if (offer->pos() == *lobbyPlacedAt_)
            placeLobbyOffer();
        else
            lobbyPlacedAt_.reset();
    }
    return QMainWindow::eventFilter(watched, event);
}
