#pragma once

#include <QObject>
#include <QPointer>
#include <array>

class BoardView;
class ClientCommands;
class GameModel;
class HostControls;
class Preferences;
class QAction;
class QMainWindow;
class QMenu;
class QMessageBox;
class QWidget;
class ScoreCardView;
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
    };

    // The preferences say whether a zero score is asked about first.
    GameControls(GameModel &model, ClientCommands &commands, const Preferences &preferences, const Parts &parts,
                 QObject *parent = nullptr);

    // The in-process host (hosting copy) and the start options window; either may be missing.
    void setWindows(HostControls *host, Tgamestartform *gamestart);

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
    const Preferences &preferences_;
    Parts parts_;
    BoardView *boardView_ = nullptr;
    ScoreCardView *cardView_ = nullptr;
    HostControls *host_ = nullptr;
    QPointer<Tgamestartform> gamestart_;
    bool gamestartPlaced_ = false;
    QPointer<QMessageBox> zeroBox_;
    int popupSeat_ = 0;
    QAction *removeFromGame_ = nullptr;
    QAction *setToJustWatch_ = nullptr;
    QAction *unsetJustWatch_ = nullptr;
};
