#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QColor>
#include <QHash>
#include <QMainWindow>
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
#include "session/gamemodel.h"
#include "common/namedmutex.h"
#include "client/gamecontrols.h"
#include "common/profile.h"
#include "session/clientsettings.h"
#include "ui/soundplayer.h"

class QAction;
class QHostAddress;
class QLabel;
class QMenu;
class QMessageBox;
class QTcpSocket;
class ChatInput;
class ChatView;
class TServer;
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
    TServer *server = nullptr;
    Tspylist *spylist = nullptr;
    Tgamestartform *gamestart = nullptr;
    Tphrases *phrases = nullptr;
    Tdownload *download = nullptr;
};

// The main window and its wiring. The game lives in the session: the connection takes
// the host's messages one per tick to the model, the views show what the model holds, and
// what the user asks for goes through the commands. The handler names of the game stay here
// as short forwards, so they can be found by name.
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

    const GameModel &model() const { return *model_; }
    ClientCommands &commands() { return *commands_; }
    ClientConnection &connection() { return *connection_; }

    // ---- start-up and connection (tchatconnection.cpp) ----

    void processparams();
    void hostpress();
    void joinpress();
    void sendloginfo() { commands_->sendloginfo(); }

    void receiveBytes(QByteArrayView bytes) { connection_->receiveBytes(bytes); }
    void Timer1Timer() { connection_->Timer1Timer(); }
    const QQueue<QByteArray> &receivedlist() const { return connection_->receivedlist(); }
    bool timer1Active() const { return connection_->timer1Active(); }
    QTcpSocket *sock() const { return connection_->sock(); }
    QTcpSocket *sock11() const { return sock11_; }

    // ---- chat and roster (tchatchat.cpp, tchatroster.cpp) ----

    void addlinetochat(const QString &text, const QColor &color);
    void sendit();
    void b_phrase1Click(int button);
    void PhraseList1Click();
    void Copy1Click();
    // The phrase of a button, kept as a property beside its tooltip (which holds it escaped).
    static constexpr const char *kPhraseProperty = "phrase";
    QString phraseOf(int button) const;
    void setPhrase(int button, const QString &phrase);

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
    void loadinifile();
    void saveinifile();
    int textSize() const;
    void PlaySounds1Click();
    void doubleClick();
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
    // A game has ended; the tally records it under this name ("addtomine" for the user's win).
    void recordGameResult(const QString &tallyName);
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

private:
    // ---- construction (tchatlayout.cpp) ----
    void buildWindow();
    QWidget *buildBoard(QWidget *parent);
    QWidget *buildScorecard(QWidget *parent);
    QWidget *buildChat(QWidget *parent);
    void buildPhraseButtons(QWidget *parent);
    void buildMenus();

    // ---- connection (tchatconnection.cpp) ----
    void connectSockTo(const QString &address);
    void openSock(const QHostAddress &address);
    void sockConnected();
    void sockInfo();
    void connectFailed(const QString &errorText);
    void gamefull();
    void showMessage(const QString &text);
    void tick();
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
    void applyPhrases(const QStringList &phrases);
    // A solo start offers the lobby in its window beside the game's.
    void showLobbyOffer();
    // The five settings as the menus hold them now.
    ClientSettings currentSettings() const;
    // Writes keys of the settings file; the first failure of the run is told in the chat. A key
    // whose value this copy has not changed since it last read or wrote it is written only
    // where the file lacks it, so a change another copy made meanwhile is kept.
    void writeSettings(const Profile::Entries &entries);
    void rememberSettings(const Profile::Entries &entries);

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
    QString hostaddress_;
    bool solo_ = false;
    bool shownOnce_ = false;

    NamedMutex mutex_;
    SoundPlayer sounds_;

    ClientConnection *connection_ = nullptr;
    GameModel *model_ = nullptr;
    std::unique_ptr<ClientCommands> commands_;
    GameControls *game_ = nullptr;
    QTcpSocket *sock11_ = nullptr;
    QPointer<QMessageBox> fullBox_;
    bool fullSeen_ = false;
    bool settingsProblemTold_ = false;
    // The settings file's keys with the values this copy last read or wrote.
    QHash<QString, QString> settingsKnown_;

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
};
