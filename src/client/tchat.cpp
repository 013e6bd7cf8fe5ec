#include "client/tchat.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include "client/chatpanel.h"
#include "client/clienttexts.h"
#include "client/hintmarks.h"
#include "client/hintview.h"
#include "session/hintadvisor.h"
#include "session/clientsettings.h"
#include "rules/dicerandom.h"
#include "ui/desktopcolor.h"
#include "ui/windowkeys.h"
#include "windows/tabout.h"
#include "windows/tallylist.h"
#include "windows/tgamestartform.h"
#include "windows/tphrases.h"
#include "windows/thelp.h"
#include "windows/tspylist.h"
#include "windows/tdownload.h"

const QColor Tchat::kBlue(0, 0, 255);
const QColor Tchat::kNavy(0, 0, 128);

Tchat::Tchat(QWidget *parent)
    : QMainWindow(parent), mutex_("morvello")
{
    setObjectName(QStringLiteral("chat"));
    session_ = new ClientSession(ClientSettings::path(), this);
    model_ = &session_->model();
    openAddress = [](const QString &address) { return QDesktopServices::openUrl(QUrl(address)); };

    buildWindow();
    GameControls::Parts parts;
    parts.window = this;
    parts.board = findChild<QWidget *>(QStringLiteral("panel_board"));
    parts.card = findChild<QWidget *>(QStringLiteral("panel_scorecard"));
    parts.chatInput = mychat;
    parts.popupKick = popup_kick;
    parts.startGame = StartGame1;
    parts.justWatch = JustWatch1;
    game_ = new GameControls(*model_, session_->commands(), session_->preferences(), parts, this);
    // A click in the chat view, on the board or on the card, or a Tab onto a phrase button, must
    // not swallow what is typed next.
    QList<QWidget *> keysToChat{mainchat, parts.board, parts.card};
    for (int n = 1; n <= ClientCommands::kPhrases; ++n)
        keysToChat.append(findChild<QToolButton *>(QStringLiteral("b_phrase%1").arg(n)));
    new KeysToChatInput(mychat, keysToChat);
    new HintView(session_->hints(), *model_, label(QStringLiteral("label_hint")),
                 findChild<HintMarks *>(QStringLiteral("hint_marks")), this);
    connect(&session_->hints(), &HintAdvisor::problem, this, [this](const QString &text) { addlinetochat(text, kBlue); });
    connectModel();
    connectSettings();
    connectSession();

    DiceRandom::seedOnce();
}

Tchat::~Tchat()
{
    // The session outlives this part of the window while the base class tears down its
    // children; nothing it reports then may reach the handlers.
    disconnect(session_, nullptr, this, nullptr);
    disconnect(&session_->connection(), nullptr, this, nullptr);
    disconnect(model_, nullptr, this, nullptr);
    disconnect(&session_->preferences(), nullptr, this, nullptr);
    disconnect(&session_->hints(), nullptr, this, nullptr);
}

void Tchat::setWindows(const TchatWindows &windows)
{
    windows_ = windows;
    session_->setHost(windows.server);
    if (windows.spylist)
        windows.spylist->setModel(&session_->spies());
    game_->setWindows(windows.server, windows.gamestart);
    connectTally();
    connectSideWindows();
    auto button = [](QWidget *window, const char *name) {
        return window ? window->findChild<QAbstractButton *>(QLatin1String(name)) : nullptr;
    };
    // Help, the tally, the spy list, the start options and the lobby window close with Esc;
    // About and the phrase editor also take Enter for their one button.
    for (QWidget *window : std::initializer_list<QWidget *>{windows_.help, windows_.tally, windows_.spylist,
                                                           windows_.gamestart, windows_.download})
        WindowKeys::install(window);
    WindowKeys::install(windows_.about, button(windows_.about, "Button1"));
    WindowKeys::install(windows_.phrases, button(windows_.phrases, "SelButton8"));
}

void Tchat::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        mychat->setFocus();
        // After the window is on screen, so the loading line is seen while the host starts.
        QTimer::singleShot(0, this, &Tchat::processparams);
    }
}

void Tchat::closeEvent(QCloseEvent *event)
{
    // Leaving a hosting copy ends the game of everyone connected to it: File, Exit and the
    // window's own close ask first.
    if (!exitConfirmed_ && session_->exitNeedsAsking()) {
        event->ignore();
        if (!exitBox_)
            exitBox_ = game_->askFirst(QStringLiteral("box_exit"), GameControls::kExitQuestion, [this] {
                exitConfirmed_ = true;
                close();
            });
        return;
    }
    QMainWindow::closeEvent(event);
    if (event->isAccepted())
        emit windowClosed();
}

QLabel *Tchat::label(const QString &name) const
{
    return findChild<QLabel *>(name);
}

QColor Tchat::toColor(ColorText::Value value)
{
    return DesktopColor::toColor(value);
}

void Tchat::ScrollChatOff1Click(bool checked)
{
    ScrollOff1->setChecked(checked);
    ScrollChatOff1->setChecked(checked);
    mainchat->setScrollLocked(checked);
}

void Tchat::Copy1Click()
{
    const QString selected = mainchat->selectedText();
    if (!selected.isEmpty())
        QApplication::clipboard()->setText(selected);
}

void Tchat::showSideWindow(QWidget *window)
{
    if (!window)
        return;
    window->show();
    window->raise();
    window->activateWindow();
}

void Tchat::SpyList1Click()
{
    showSideWindow(windows_.spylist);
}

void Tchat::Help2Click()
{
    showSideWindow(windows_.help);
}

void Tchat::About1Click()
{
    showSideWindow(windows_.about);
}
