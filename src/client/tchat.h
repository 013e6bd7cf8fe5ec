#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QColor>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>

#include "client/core/namedmutex.h"
#include "ui/soundplayer.h"
#include "protocol/messageframer.h"

class QAction;
class QHostAddress;
class QLabel;
class QLineEdit;
class QMenu;
class QMessageBox;
class QTcpSocket;
class QTextEdit;
class QTimer;
class QWidget;
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

// The main window: board, score card, roster and chat, and the client's end of the
// connection to the host. Everything it shows changes only when the host's messages arrive.
class Tchat : public QMainWindow {
    Q_OBJECT

public:
    // FormCreate: builds the window, holds the named mutex, empties the card and seeds the
    // generator.
    explicit Tchat(QWidget *parent = nullptr);
    ~Tchat() override;

    void setWindows(const TchatWindows &windows);
    // The command-line parameters after the executable's name; read when the window is
    // first shown.
    void setParameters(const QStringList &parameters) { parameters_ = parameters; }

    // ---- start-up and connection (tchatconnection.cpp) ----

    void processparams();
    void hostpress();
    void joinpress();
    void sendloginfo(const QByteArray &data);

    // Bytes that arrived from the host: cut at each terminator into receivedlist.
    void receiveBytes(QByteArrayView bytes);
    // Every byte for the host leaves through here.
    void sendToHost(const QByteArray &message);

    void Timer1Timer();
    void processsocktimer();

    // ---- chat and roster (tchatchat.cpp, tchatroster.cpp) ----

    void addlinetochat(const QString &text, const QColor &color);
    void newplayerinfo(const QByteArray &data);
    void playerdisconnected(const QByteArray &data);

    // ---- settings and sounds ----

    void playsounds(const QString &name);
    const SoundPlayer &sounds() const { return sounds_; }

    // ---- score card ----

    void clearall();

    // ---- tally (tchattally.cpp) ----

    // Fills the tally window's "Players In Current Game" with the other seated players.
    void loadchecklist();
    void ViewTally1Click();
    // A game has ended with this winner text (several winners joined by " and ").
    void recordGameResult(const QString &winnerText);
    // A seat's cell of a category has just been scored; counts the user's own fives of a kind.
    void countOwnFiveOfAKind(int seat, int category, const QString &cellText);

    // ---- client state, readable by tests and by the later parts of the client ----

    QString myname;
    QString hostaddress;
    QByteArray loginname;   // myname in wire bytes, with one terminator already appended
    bool ishost = false;
    int myseat = 0;
    bool loggedin = false;
    int turnseat = 0;
    bool canact = false;
    int bonusdie = -1;
    std::array<int, 6> dicevalues{};  // indexed by die 1..5
    bool phraseready = true;
    int phraseticks = 0;

    const QQueue<QByteArray> &receivedlist() const { return receivedlist_; }
    bool timer1Active() const;
    QTcpSocket *sock() const { return sock_; }
    QTcpSocket *sock11() const { return sock11_; }

    // Locks the phrase buttons until Timer1 has counted past the lock.
    void lockPhrases();

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
    void openSock(const QHostAddress &address);
    void connectSockTo(const QString &address);
    void sockConnected();
    void sockRead();
    void sockInfo();
    void sockError();
    void closeOversizedConnection();
    void dispatch(const QByteArray &word, const QByteArray &data);
    void gamefull(const QByteArray &data);
    void wrongversion(const QByteArray &data);
    void havewrongversion(const QByteArray &data);
    void updateTimer1();
    void showMessage(const QString &text);

    // Hands the tally window its player list and shows its problems in the chat.
    void connectTally();

    // ---- menus that need nothing of the later parts ----
    // Both "Scroll Chat Off" entries share one state; checked is the new state of the one chosen.
    void ScrollChatOff1Click(bool checked);
    void Copy1Click();
    void SpyList1Click();
    void Help2Click();
    void About1Click();

    QLabel *label(const QString &name) const;
    bool scrollChatOff() const;

    TchatWindows windows_;
    QStringList parameters_;
    bool shownOnce_ = false;

    NamedMutex mutex_;
    SoundPlayer sounds_;

    QTcpSocket *sock_ = nullptr;
    QTcpSocket *sock11_ = nullptr;
    QTimer *Timer1 = nullptr;
    QElapsedTimer lastTick_;   // invalid until Timer1 first ticks
    MessageFramer framer_;
    QQueue<QByteArray> receivedlist_;
    bool sockWasConnected_ = false;
    QPointer<QMessageBox> fullBox_;

    QTextEdit *mainchat = nullptr;
    QLineEdit *mychat = nullptr;
    QMenu *popup_kick = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QAction *StartGame1 = nullptr;
    QAction *PlaySounds1 = nullptr;
    QAction *ScrollOff1 = nullptr;
    QAction *ScrollChatOff1 = nullptr;
    QAction *JustWatch1 = nullptr;
};
