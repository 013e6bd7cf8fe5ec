#include "client/gamecontrols.h"

#include <QAction>
#include <QKeySequence>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include "client/boardview.h"
#include "client/clienttexts.h"
#include "session/clientcommands.h"
#include "session/gamemodel.h"
#include "client/scorecardview.h"
#include "host/hostcontrols.h"
#include "session/preferences.h"
#include "rules/scoring.h"
#include "ui/clickablelabel.h"
#include "windows/tgamestartform.h"
#include "ui/plaintext.h"

const QString GameControls::kZeroScoreQuestion = QStringLiteral("Are you sure you want to score 0 for this catagory?");

namespace {

constexpr Qt::Key kCategoryKeys[rules::kCategoryCount + 1] = {
    Qt::Key_unknown, Qt::Key_F1, Qt::Key_F2, Qt::Key_F3, Qt::Key_F4, Qt::Key_F5,  Qt::Key_F6,
    Qt::Key_F7,      Qt::Key_F8, Qt::Key_F9, Qt::Key_F10, Qt::Key_F11, Qt::Key_F12};
constexpr Qt::Key kDieKeys[GameModel::kDice + 1] = {Qt::Key_unknown, Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4,
                                                    Qt::Key_5};

QString keyText(const QKeySequence &keys)
{
    return keys.toString(QKeySequence::NativeText);
}

} // namespace

GameControls::GameControls(GameModel &model, ClientCommands &commands, const Preferences &preferences,
                           const Parts &parts, QObject *parent)
    : QObject(parent), model_(model), commands_(commands), preferences_(preferences), parts_(parts)
{
    boardView_ = new BoardView(model_, parts_.board, parts_.card, this);
    cardView_ = new ScoreCardView(model_, parts_.card, this);
    wireClicks();
    addKeys();
}

void GameControls::setWindows(HostControls *host, Tgamestartform *gamestart)
{
    host_ = host;
    if (gamestart_)
        disconnect(gamestart_, nullptr, this, nullptr);
    gamestart_ = gamestart;
    if (!gamestart)
        return;
    gamestart->setHost(host);
    connect(gamestart, &Tgamestartform::startRequested, this, &GameControls::startgame);
    connect(gamestart, &Tgamestartform::closedWithoutStart, this, [this] {
        // Otherwise the hosting copy would have no start button until a game ended.
        if (model_.ishost())
            model_.noteStartOffered(true);
    });
}

void GameControls::wireClicks()
{
    auto clickable = [this](QWidget *parent, const QString &name) {
        auto *label = parent->findChild<ClickableLabel *>(name);
        Q_ASSERT_X(label, "GameControls", qPrintable(name));
        return label;
    };
    for (int die = 1; die <= GameModel::kDice; ++die)
        connect(clickable(parts_.board, QStringLiteral("dice%1").arg(die)), &ClickableLabel::clicked, this,
                [this, die] { dice1Click(die); });
    connect(clickable(parts_.board, QStringLiteral("image_throwdice")), &ClickableLabel::clicked, this,
            &GameControls::image_throwdiceClick);
    connect(clickable(parts_.board, QStringLiteral("button_start")), &ClickableLabel::clicked, this,
            &GameControls::button_startClick);
    // A category is chosen from its caption or from its row's cell in any column.
    for (int category = 1; category <= rules::kCategoryCount; ++category) {
        auto choose = [this, category] { score1_1Click(category); };
        connect(clickable(parts_.card, QStringLiteral("label%1").arg(category)), &ClickableLabel::clicked, this, choose);
        for (int seat = 1; seat <= game::kSeats; ++seat)
            connect(clickable(parts_.card, QStringLiteral("score%1_%2").arg(seat).arg(category)),
                    &ClickableLabel::clicked, this, choose);
    }

    connect(parts_.startGame, &QAction::triggered, this, &GameControls::button_startClick);
    connect(parts_.justWatch, &QAction::triggered, this, &GameControls::JustWatch1Click);
    removeFromGame_ = parts_.popupKick->findChild<QAction *>(QStringLiteral("RemoveFromGame1"));
    setToJustWatch_ = parts_.popupKick->findChild<QAction *>(QStringLiteral("SettoJustWatch1"));
    unsetJustWatch_ = parts_.popupKick->findChild<QAction *>(QStringLiteral("UnsetJustWatch1"));
    connect(removeFromGame_, &QAction::triggered, this, &GameControls::RemoveFromGame1Click);
    connect(setToJustWatch_, &QAction::triggered, this, &GameControls::SettoJustWatch1Click);
    connect(unsetJustWatch_, &QAction::triggered, this, &GameControls::UnsetJustWatch1Click);
}

QAction *GameControls::key(const char *name, const QKeySequence &keys)
{
    auto *action = new QAction(parts_.window);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    parts_.window->addAction(action);
    return action;
}

void GameControls::addKeys()
{
    // The menu entries show their keys; the others are named in the tooltips of what they press.
    parts_.startGame->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    parts_.justWatch->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_J));
    parts_.board->findChild<QLabel *>(QStringLiteral("button_start"))
        ->setToolTip(QStringLiteral("Start Game (%1)").arg(keyText(parts_.startGame->shortcut())));

    QAction *roll = key("RollDice1", QKeySequence(Qt::CTRL | Qt::Key_R));
    connect(roll, &QAction::triggered, this, &GameControls::image_throwdiceClick);
    parts_.board->findChild<QLabel *>(QStringLiteral("image_throwdice"))
        ->setToolTip(QStringLiteral("Roll the dice (%1)").arg(keyText(roll->shortcut())));

    for (int die = 1; die <= GameModel::kDice; ++die) {
        QAction *hold = key(QStringLiteral("HoldDie%1").arg(die).toLatin1().constData(),
                            QKeySequence(Qt::CTRL | kDieKeys[die]));
        connect(hold, &QAction::triggered, this, [this, die] { dice1Click(die); });
        parts_.board->findChild<QLabel *>(QStringLiteral("dice%1").arg(die))
            ->setToolTip(QStringLiteral("Hold or release die %1 (%2)").arg(die).arg(keyText(hold->shortcut())));
    }
    for (int category = 1; category <= rules::kCategoryCount; ++category) {
        QAction *choose = key(QStringLiteral("Category%1").arg(category).toLatin1().constData(),
                              QKeySequence(kCategoryKeys[category]));
        connect(choose, &QAction::triggered, this, [this, category] { score1_1Click(category); });
        parts_.card->findChild<QLabel *>(QStringLiteral("label%1").arg(category))
            ->setToolTip(QStringLiteral("Score %1 (%2)")
                             .arg(QString::fromLatin1(rules::categoryInfo(category).caption),
                                  keyText(choose->shortcut())));
    }
}

void GameControls::focusChat()
{
    if (parts_.chatInput)
        parts_.chatInput->setFocus();
}

// ---- board and turns ----

void GameControls::button_startClick()
{
    if (!model_.ishost())
        return;
    model_.noteStartOffered(false);
    if (gamestart_) {
        // The first time over the middle of the board; afterwards where the user left it.
        if (!gamestartPlaced_) {
            gamestartPlaced_ = true;
            const QRect board(parts_.board->mapToGlobal(QPoint(0, 0)), parts_.board->size());
            gamestart_->move(board.center() - QPoint(gamestart_->width() / 2, gamestart_->height() / 2));
        }
        gamestart_->show();
        gamestart_->raise();
        gamestart_->activateWindow();
    }
}

void GameControls::startgame(bool bonusGame, bool teamGame)
{
    commands_.startgame(bonusGame, teamGame);
    // The options window has gone; the keys go back to the game, not to whichever window the
    // desktop picks next.
    if (parts_.chatInput) {
        parts_.chatInput->window()->activateWindow();
        focusChat();
    }
}

void GameControls::image_throwdiceClick()
{
    commands_.rolldice();
    focusChat();
}

void GameControls::dice1Click(int die)
{
    commands_.clickDie(die);
}

// ---- score card ----

void GameControls::score1_1Click(int category)
{
    if (commands_.chooseCategory(category, preferences_.doubleCheck()) == ClientCommands::Outcome::AskFirst)
        askZeroScore(category);
    focusChat();
}

void GameControls::doublecheck(int category)
{
    if (!rules::isCategory(category))
        return;
    if (rules::isMade(model_.faces(), category))
        sendscore(category);
    else
        askZeroScore(category);
}

QMessageBox *GameControls::zeroScoreBox() const
{
    return zeroBox_;
}

void GameControls::askZeroScore(int category)
{
    if (zeroBox_)
        return;
    auto *box = PlainText::messageBox(QMessageBox::Question, ClientText::caption, kZeroScoreQuestion,
                                     QMessageBox::Yes | QMessageBox::No, parts_.window);
    box->setObjectName(QStringLiteral("box_zeroscore"));
    // A stray Enter scores nothing.
    box->setDefaultButton(QMessageBox::No);
    box->setEscapeButton(QMessageBox::No);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, [this, box, category] {
        // The turn may have moved on while the question stood.
        if (box->clickedButton() == box->button(QMessageBox::Yes) && model_.myTurn() && model_.canact())
            sendscore(category);
        focusChat();
    });
    zeroBox_ = box;
    box->open();
}

void GameControls::sendscore(int category)
{
    commands_.sendscore(category);
}

// ---- spectators and seats ----

void GameControls::JustWatch1Click()
{
    // The check mark follows only the host's answer.
    parts_.justWatch->setChecked(model_.justWatching());
    commands_.toggleJustWatch();
}

void GameControls::label_playername1ContextPopup(int seat)
{
    const bool host = model_.ishost();
    removeFromGame_->setEnabled(host);
    setToJustWatch_->setEnabled(host);
    unsetJustWatch_->setEnabled(host);
    // Removing the hosting user's own seat would end every player's game: Exit does that.
    if (!game::isSeat(seat) || model_.seat(seat).name == ClientText::waiting || seat == model_.myseat())
        removeFromGame_->setEnabled(false);
    popupSeat_ = seat;
}

void GameControls::RemoveFromGame1Click()
{
    if (model_.ishost() && host_ && game::isSeat(popupSeat_) && popupSeat_ != model_.myseat())
        host_->disconnectsock(popupSeat_);
}

void GameControls::SettoJustWatch1Click()
{
    commands_.setJustWatch(popupSeat_, true);
}

void GameControls::UnsetJustWatch1Click()
{
    commands_.setJustWatch(popupSeat_, false);
}
