#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QColor>
#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "session/chatlinks.h"
#include "session/clientcommands.h"
#include "session/clientconnection.h"
#include "session/clientsession.h"
#include "session/gamemodel.h"
#include "session/preferences.h"
#include "common/namedmutex.h"
#include "client/gamecontrols.h"
#include "ui/soundplayer.h"

class QAction;
class QHostAddress;
class QLabel;
class QMenu;
class QMessageBox;
class QTcpSocket;
class ChatInput;
class ChatView;
class HostControls;
class Tabout;
class Tdownload;
class Tgamestartform;
class Thelp;
class Tphrases;
class Tspylist;
class Ttallylist;

// The windows that start-up creates after the main window; the main window opens them and
// hands them data. Any of them may be missing (tests build only what they need).
struct TchatWindows {
    Ttallylist *tally = nullptr;
    Tabout *about = nullptr;
    Thelp *help = nullptr;
    HostControls *server = nullptr;
    Tspylist *spylist = nullptr;
    Tgamestartform *gamestart = nullptr;
    Tphrases *phrases = nullptr;
    Tdownload *download = nullptr;
};

// The main window and its wiring. The game lives in the session: the connection takes
// the host's messages one per tick to the model, the views show what the model and the
// preferences hold, and what the user asks for goes through the commands and the
// preferences. The handler names of the game stay here as short forwards, so they can be
// found by name.
class Tchat : public QMainWindow {
    Q_OBJECT

public:
    // FormCreate: builds the window, holds the named mutex, empties the card and sets up the
    // dice generator (seeded only when MORVELLO_SEED asks for it).
    explicit Tchat(QWidget *parent = nullptr);
    ~Tchat() override;

    void setWindows(const TchatWindows &windows);
    // The command-line parameters after the executable's name; read when the window is
    // first shown.
    void setParameters(const QStringList &parameters) { parameters_ = parameters; }

    ClientSession &session() const { return *session_; }
    const GameModel &model() const { return session_->model(); }
    ClientCommands &commands() { return session_->commands(); }
    ClientConnection &connection() { return session_->connection(); }
    Preferences &preferences() const { return session_->preferences(); }

    // ---- start-up and connection (tchatconnection.cpp) ----

    void processparams();
    void hostpress() { session_->hostpress(); }
    void joinpress() { session_->joinpress(); }
    void sendloginfo() { session_->commands().sendloginfo(); }

    void receiveBytes(QByteArrayView bytes) { connection().receiveBytes(bytes); }
    void Timer1Timer() { connection().Timer1Timer(); }
    const QQueue<QByteArray> &receivedlist() const { return session_->connection().receivedlist(); }
    bool timer1Active() const { return session_->connection().timer1Active(); }
    QTcpSocket *sock() const { return session_->connection().sock(); }
    QTcpSocket *sock11() const { return session_->sock11(); }

    // ---- chat and roster (tchatchat.cpp, tchatroster.cpp) ----

    void addlinetochat(const QString &text, const QColor &color);
    void sendit();
    void b_phrase1Click(int button);
    void PhraseList1Click();
    void Copy1Click();
    QString phraseOf(int button) const { return preferences().phrase(button); }

    // ---- the game (gamecontrols.cpp, boardview.cpp, scorecardview.cpp) ----

    GameControls &game() const { return *game_; }
    void button_startClick() { game_->button_startClick(); }
    void startgame(bool bonusGame, bool teamGame) { game_->startgame(bonusGame, teamGame); }
    void image_throwdiceClick() { game_->image_throwdiceClick(); }
    void dice1Click(int die) { game_->dice1Click(die); }
    void score1_1Click(int category) { game_->score1_1Click(category); }
    void doublecheck(int category) { game_->doublecheck(category); }
    void sendscore(int category) { game_->sendscore(category); }
    void JustWatch1Click() { game_->JustWatch1Click(); }
    void label_playername1ContextPopup(int seat) { game_->label_playername1ContextPopup(seat); }
    void RemoveFromGame1Click() { game_->RemoveFromGame1Click(); }
    void SettoJustWatch1Click() { game_->SettoJustWatch1Click(); }
    void UnsetJustWatch1Click() { game_->UnsetJustWatch1Click(); }

    // ---- settings and sounds (tchatsettings.cpp) ----

    void playsounds(const QString &name);
    const SoundPlayer &sounds() const { return sounds_; }
    // The desktop colour of a colour value of the chat or the settings.
    static QColor toColor(ColorText::Value value);
    // Reads the settings file (at "You are Connected.") and writes the five keys back.
    void loadinifile() { preferences().load(); }
    void saveinifile() { preferences().save(); }
    int textSize() const { return preferences().textSize(); }
    void PlaySounds1Click();
    void doubleClick();
    void ShowHints1Click();
    void TextColor1Click();
    void ActionColor1Click();
    // The "Text Size" entries; size is the entry's tag.
    void N14Click(int size);
    void Image4Click();
    // The colour dialog, replaceable for tests: the chosen colour, nothing when cancelled.
    std::function<std::optional<QColor>(const QColor &initial, const QString &title)> chooseColor;

    // ---- tally (tchattally.cpp) ----

    // Fills the tally window's "Players In Current Game" with the other seated players.
    void loadchecklist();
    void ViewTally1Click();
    // A game has ended; the tally records who won against whom.
    void recordGameResult(const GameResult &result);
    void countOwnFiveOfAKind();

    // Opens a web or mail address in the desktop's program for it; replaceable for tests.
    std::function<bool(const QString &address)> openAddress;

    static const QColor kBlue;
    static const QColor kNavy;

signals:
    // One framed message handed to the socket, terminator included.
    void messageSent(const QByteArray &message);
    // The window has closed; start-up ends the application on it.
    void windowClosed();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // ---- construction (tchatlayout.cpp) ----
    void buildWindow();
    QWidget *buildBoard(QWidget *parent);
    QWidget *buildScorecard(QWidget *parent);
    QWidget *buildChat(QWidget *parent);
    void buildPhraseButtons(QWidget *parent);
    void buildMenus();

    // ---- connection (tchatconnection.cpp) ----
    void connectSession();
    void starting(ClientSession::Mode mode);
    void hosting(quint16 port);
    // The chat lines (and for some a message box) that say why a start failed.
    void startFailed(const ClientSession::StartFailure &failure);
    void gamefull();
    void showMessage(const QString &text);
    // The chat line that tells the hosting player how others join this game.
    static QString joinHint(quint16 port);

    // ---- views of the model (tchatroster.cpp) ----
    void connectModel();
    void showRoster();
    void linkClicked(const ChatLinks::Link &link);

    // Hands the tally window its player list and shows its problems in the chat.
    void connectTally();

    // ---- settings (tchatsettings.cpp) ----
    void connectSettings();
    void connectSideWindows();
    void showTextSize(int size);
    void showColors();
    void showSwitches();
    void showPhrases();
    // A solo start offers the lobby in its window beside the game's.
    void showLobbyOffer();
    // Puts the offer beside the game as both windows' frames stand now.
    void placeLobbyOffer();
    // The game is connected, or could not be.
    void startSettled();

    // ---- menus ----
    // Both "Scroll Chat Off" entries share one state; checked is the new state of the one chosen.
    void ScrollChatOff1Click(bool checked);
    void SpyList1Click();
    void Help2Click();
    void About1Click();
    void showSideWindow(QWidget *window);

    QLabel *label(const QString &name) const;

    TchatWindows windows_;
    QStringList parameters_;
    bool shownOnce_ = false;
    bool lobbyOfferDue_ = false;
    // Where the offer was put, while it stays there: the window manager places the game and
    // frames both windows only after they are shown, so the offer is placed again as their
    // frames become known, until the user moves it.
    std::optional<QPoint> lobbyPlacedAt_;

    NamedMutex mutex_;
    SoundPlayer sounds_;

    ClientSession *session_ = nullptr;
    GameModel *model_ = nullptr;
    GameControls *game_ = nullptr;
    QPointer<QMessageBox> fullBox_;
    QPointer<QMessageBox> exitBox_;
    bool exitConfirmed_ = false;

    ChatView *mainchat = nullptr;
    ChatInput *mychat = nullptr;
    QMenu *popup_kick = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QAction *StartGame1 = nullptr;
    QAction *PlaySounds1 = nullptr;
    QAction *ScrollOff1 = nullptr;
    QAction *ScrollChatOff1 = nullptr;
    QAction *JustWatch1 = nullptr;
    QAction *double1 = nullptr;   // "Double Check for 0 Score", named "double"
    QAction *ShowHints1 = nullptr;
};
