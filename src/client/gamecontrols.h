#pragma once

#include <QObject>
#include <QPointer>
#include <array>

class BoardView;
class ClientCommands;
class GameModel;
class QAction;
class QMainWindow;
class QMenu;
class QMessageBox;
class QWidget;
class ScoreCardView;
class TServer;
class Tgamestartform;

// The game's side of the main window: the board and card views, and what the user's clicks
// and keys on them ask for. Every action goes through the commands, under the same conditions
// for the mouse and the keyboard; the focus returns to the chat line so typing goes on.
//
// Keys (actions of the main window): Ctrl+N starts a game (hosting copy), Ctrl+R rolls,
// Ctrl+1..Ctrl+5 hold or release die 1..5, Ctrl+J is Just Watch, F1..F12 choose the
// categories in card order (F1 Ones .. F6 Sixes, F7 4 of a Kind .. F12 Freebie). The
// zero-score box answers to Y, N, Enter (No) and Esc.
class GameControls : public QObject {
    Q_OBJECT

public:
    struct Parts {
        QMainWindow *window = nullptr;
        QWidget *board = nullptr;       // panel_board
        QWidget *card = nullptr;        // panel_scorecard
        QWidget *chatInput = nullptr;   // mychat
        QMenu *popupKick = nullptr;
        QAction *startGame = nullptr;   // StartGame1
        QAction *justWatch = nullptr;   // JustWatch1
        QAction *doubleCheck = nullptr; // double
    };

    GameControls(GameModel &model, ClientCommands &commands, const Parts &parts, QObject *parent = nullptr);

    // The in-process host (hosting copy) and the start options window; either may be missing.
    void setWindows(TServer *server, Tgamestartform *gamestart);

    // ---- board and turns ----
    void button_startClick();
    void startgame(bool bonusGame, bool teamGame);
    void image_throwdiceClick();
    void dice1Click(int die);

    // ---- score card ----
    void score1_1Click(int category);
    void doublecheck(int category);
    void sendscore(int category);
    // The zero-score question while it is open.
    QMessageBox *zeroScoreBox() const;

    // ---- spectators and seats ----
    void JustWatch1Click();
    void label_playername1ContextPopup(int seat);
    void RemoveFromGame1Click();
    void SettoJustWatch1Click();
    void UnsetJustWatch1Click();
    int popupSeat() const { return popupSeat_; }

    BoardView &board() const { return *boardView_; }
    ScoreCardView &card() const { return *cardView_; }

    static const QString kZeroScoreQuestion;

private:
    void wireClicks();
    void addKeys();
    QAction *key(const char *name, const QKeySequence &keys);
    void askZeroScore(int category);
    void focusChat();

    GameModel &model_;
    ClientCommands &commands_;
    Parts parts_;
    BoardView *boardView_ = nullptr;
    ScoreCardView *cardView_ = nullptr;
    TServer *server_ = nullptr;
    QPointer<Tgamestartform> gamestart_;
    bool gamestartPlaced_ = false;
    QPointer<QMessageBox> zeroBox_;
    int popupSeat_ = 0;
    QAction *removeFromGame_ = nullptr;
    QAction *setToJustWatch_ = nullptr;
    QAction *unsetJustWatch_ = nullptr;
};
