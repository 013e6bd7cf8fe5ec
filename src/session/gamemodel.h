#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QString>
#include <array>
#include <functional>

#include "common/colortext.h"
#include "common/ratelimiter.h"
#include "common/gameconstants.h"
#include "protocol/catalogue.h"
#include "rules/categories.h"
#include "tally/tallytable.h"


// One of the four seats as the client knows it from the host's messages.
struct SeatView {
    QString name;                        // "<Waiting>" until someone or the computer sits here
    QString computerName;                // who plays the seat when nobody does (empty for seat 1)
    bool person = false;                 // a connection sits here (the computer plays it otherwise)
    bool watching = false;               // just watching: the host plays the seat
    QString total = QStringLiteral("0"); // grand total as the host sent it
    std::array<int, rules::kCellCount + 1> cells{};  // cells 1..16; kEmptyCell when empty
};

// A connection beyond the four seats: it watches and chats.
struct SpectatorView {
    int slot = 0;
    QString name;
};

// One die on the board.
struct DieView {
    enum Mark : char { NotPlaced = '1', Free = 'o', Held = 's' };
    int face = 0;                        // 0 until first rolled: the die shows its own number
    Mark mark = NotPlaced;
    QPoint pos;                          // top left on the board, in the board's pixels
    bool enabled = false;                // clickable: the own turn
    bool bonus = false;                  // drawn from the bonus pictures when it was placed
};

// The client's game: everything the window shows, applied from the host's messages one at a
// time and read by the views. Nothing here changes but through apply() and the few notes the
// commands make of what they sent (ClientCommands). Messages are read through the catalogue
// (src/protocol/catalogue.h): one whose fields would index past a seat, die, face or category
// stops before anything changes; the reason goes to standard error.
class GameModel : public QObject {
    Q_OBJECT

public:
    // Board size, the column colours and the roll markers' range.
    static constexpr int kBoardWidth = 533;
    static constexpr int kBoardHeight = 312;
    static constexpr int kDice = 5;
    static constexpr int kMaxRolls = 3;

    // How the own seat's column is coloured: as the card was emptied (categories green, the
    // rest black), or all sixteen cells green in the own turn and maroon otherwise.
    enum class OwnColumn { Initial, Green, Maroon };

    // Reports of messages that were stopped: at most this many lines a second.
    static constexpr int kReportsPerSecond = 10;

    // The status line's own texts beside those of the host's answers.
    static inline const QString kReleaseFirst = QStringLiteral("Release a die first, then roll.");
    static inline const QString kChooseCategory = QStringLiteral("Choose a category.");
    static inline const QString kRollFirst = QStringLiteral("Roll first.");

    explicit GameModel(QObject *parent = nullptr);

    // The clock of the report limit, in milliseconds (monotonic); tests step their own.
    void setClock(std::function<qint64()> clock) { clock_ = std::move(clock); }

    // Hands one queue entry (without its terminator) to its handler.
    void apply(const QByteArray &entry);

    // ---- the client's own facts, set at start-up ----
    void setMyname(const QString &name) { myname_ = name; }
    void setIshost(bool host);

    // ---- state read by the views and the commands ----
    const QString &myname() const { return myname_; }
    bool ishost() const { return ishost_; }
    int myseat() const { return myseat_; }
    bool loggedin() const { return loggedin_; }
    bool isSpectator() const { return myseat_ > game::kSeats; }
    // The connection to the host has ended; nothing more can be sent or played.
    bool connectionEnded() const { return connectionEnded_; }
    // Someone besides the user is at the table, in a seat or watching.
    bool othersConnected() const;
    // The own name as the host announced it, which the wire may have changed.
    QString announcedName() const;

    const SeatView &seat(int seat) const { return seats_[std::size_t(seat)]; }
    // Spectators (slots 5..9) in the order they came.
    const QList<SpectatorView> &spectators() const { return spectators_; }

    int turnseat() const { return turnseat_; }
    bool canact() const { return canact_; }
    bool myTurn() const { return loggedin_ && turnseat_ == myseat_ && myseat_ != 0; }
    int bonusdie() const { return bonusdie_; }
    bool bonusShown() const { return bonusShown_; }
    bool teamGame() const { return teamGame_; }
    // A game runs: from its start (or, for a newcomer, the first turn it hears of) to its winner.
    bool gameStarted() const { return gameStarted_; }
    int rolls() const { return rolls_; }
    bool rollOffered() const { return rollOffered_; }
    bool startOffered() const { return startOffered_; }
    bool justWatching() const { return justWatching_; }
    OwnColumn ownColumn() const { return ownColumn_; }
    // The seat whose column ownColumn() colours; 0 when none is (a spectator, or a card last
    // emptied before the login).
    int ownColumnSeat() const;
    const QString &turnText() const { return turnText_; }
    const QString &roundText() const { return roundText_; }
    const QString &statusText() const { return statusText_; }
    const QString &winnerText() const { return winnerText_; }   // empty while no winner is shown
    const DieView &die(int die) const { return dice_[std::size_t(die)]; }
    // The faces last placed on dice 1..5 (0 for a die never rolled).
    std::array<int, kDice> faces() const;
    // All five dice are held in this turn (after its first roll).
    bool allDiceHeld() const;

    // ---- notes of the commands: what the player just asked for ----
    void noteRollSent();       // the roll button goes, no more acting until the host answers
    void noteScoreSent();
    void noteStartOffered(bool offered);
    void setStatus(const QString &text);

    // The connection closed after its last message was applied. Says in the chat why, as far
    // as the host said it (unless `explained`, when the caller has said so already), and stops
    // the game's controls; the window, the chat and the card stay as they are.
    void connectionClosed(bool explained = false);

    // The computer seat hint, the spectators' entry text, the chat colours.
    static QString spyEntry(int slot, const QString &name);

signals:
    void chatLine(const QString &text, ColorText::Value color);
    void sound(const QString &name);
    void rosterChanged();
    void cardChanged(int seat);        // 0: every seat's column
    void boardChanged();               // dice, bonus die, roll and start buttons, winner banner
    void headChanged();                // turn line, round, roll markers, status line
    void justWatchChanged();
    // A game has started; the card is empty.
    void newGame();
    // A turn has begun (seat 1..4), before its first roll.
    void turnStarted(int seat);
    // A seat scored a category (not a partner's copy or a refresh).
    void tagged(int seat, int category);
    // The host asks who this is; the commands answer.
    void loginAsked();
    // The host announced the user's own connection ("You are Connected."): the settings are read.
    void ownLogin();
    void gameFull();
    // The connection ended (connectionClosed).
    void connectionGone();
    // A game ended: who won, and against whom, for the tally.
    void gameFinished(const GameResult &result);
    // The user scored a five of a kind above 0.
    void ownFiveOfAKind();

private:
    // Answers a refused roll or choice: says so, and gives the turn back as it stood.
    void giveTurnBack(const QString &status);
    // Hands a decoded message to its handler, or reports why it did not decode.
    template <class Message>
    void handle(const QByteArray &entry, const wire::Decoded<Message> &message,
                void (GameModel::*handler)(const Message &));

    void sendloginfo(const wire::LoginAsk &ask);
    void chatrecieved(const wire::RelayedLine &relayed);
    void newplayerinfo(const wire::PlayerInfo &info);
    void playerdisconnected(const wire::PlayerLeft &left);
    void havewrongversion(const wire::OtherVersion &other);
    void wrongversion();
    void startthegame(const wire::GameStart &start);
    void setbonusdice(const wire::BonusDie &bonus);
    void getnextplayer(const wire::NextPlayer &next);
    void thedice(const wire::Roll &roll);
    void moveDie(const wire::DieMoved &moved);
    void rollagain();
    void chooseagain();
    void pscore(const wire::Card &card);
    void justwatching(const wire::WatchChanged &changed);
    void winner(const wire::Winner &winner);

    void clearall();
    // Seats 2..4 that nobody has taken yet show the computer player who holds them.
    void nameComputerSeats();
    void placedice(int die, int face);
    QString nameOfSlot(int slot) const;
    void line(const QString &text, ColorText::Value color = ColorText::kBlue) { emit chatLine(text, color); }

    QString myname_;
    bool ishost_ = false;
    int myseat_ = 0;
    bool loggedin_ = false;
    bool connectionEnded_ = false;
    // What the host's last message said about a close that is to follow: this user removed
    // from the game, the hosting copy leaving, or the table full.
    enum class CloseNotice { None, Removed, HostClosed, Full };
    CloseNotice closeNotice_ = CloseNotice::None;
    std::array<SeatView, game::kSeats + 1> seats_;
    QList<SpectatorView> spectators_;

    int turnseat_ = 0;
    bool canact_ = false;
    int bonusdie_ = -1;
    bool bonusShown_ = false;
    bool teamGame_ = false;
    bool gameStarted_ = false;
    int rolls_ = 0;
    bool rollOffered_ = false;
    bool lastRollAgain_ = true;   // the own turn's last roll allowed another (or none was made)
    bool startOffered_ = false;
    bool justWatching_ = false;
    OwnColumn ownColumn_ = OwnColumn::Initial;
    int clearedSeat_ = 0;     // myseat when the card was last emptied
    QString turnText_ = QStringLiteral("Score Card");
    QString roundText_ = QStringLiteral("Round #");
    QString statusText_ = QStringLiteral("Welcome to Morvello!");
    QString winnerText_;
    std::array<DieView, kDice + 1> dice_;
    std::function<qint64()> clock_ = monotonicMs;
    LogLimiter reports_;
};
