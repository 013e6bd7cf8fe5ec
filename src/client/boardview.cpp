#include "client/boardview.h"

#include <QLabel>
#include <QWidget>

#include "ui/fittext.h"
#include "ui/pictures.h"

namespace {

QLabel *child(QWidget *parent, const QString &name)
{
    auto *label = parent->findChild<QLabel *>(name);
    Q_ASSERT_X(label, "BoardView", qPrintable(name));
    return label;
}

void setShown(QWidget *widget, bool shown)
{
    if (widget->isVisibleTo(widget->parentWidget()) != shown)
        widget->setVisible(shown);
}

void setText(QLabel *label, const QString &text)
{
    if (label->text() != text)
        label->setText(text);
}

} // namespace

BoardView::BoardView(const GameModel &model, QWidget *board, QWidget *card, QObject *parent)
    : QObject(parent), model_(model)
{
    for (int die = 1; die <= GameModel::kDice; ++die) {
        dice_[std::size_t(die)] = child(board, QStringLiteral("dice%1").arg(die));
        keys_[std::size_t(die)] = child(board, QStringLiteral("dicekey%1").arg(die));
    }
    // Where a number sits beside its die, as the window was laid out.
    keyOffset_ = keys_[1]->pos() - dice_[1]->pos();
    for (int face = 1; face <= 6; ++face) {
        faces_[std::size_t(face)] = Pictures::pixmap(QStringLiteral(":/images/dice/%1.png").arg(face));
        faces_[std::size_t(face + 6)] = Pictures::pixmap(QStringLiteral(":/images/bonusdice/%1.png").arg(face));
    }
    for (int marker = 1; marker <= GameModel::kMaxRolls; ++marker)
        markers_[std::size_t(marker)] = child(card, QStringLiteral("image_rolls%1").arg(marker));
    throwdice_ = child(board, QStringLiteral("image_throwdice"));
    start_ = child(board, QStringLiteral("button_start"));
    bonus_ = child(board, QStringLiteral("image_bonus"));
    bonusBack_ = child(board, QStringLiteral("image_bonusback"));
    winnerImage_ = child(board, QStringLiteral("image_winner"));
    winnerLabel_ = child(board, QStringLiteral("label_winner"));
    status_ = child(board, QStringLiteral("label_status"));
    turn_ = child(card, QStringLiteral("label_turn"));
    round_ = child(card, QStringLiteral("label_roundnum"));

    connect(&model_, &GameModel::boardChanged, this, &BoardView::refreshBoard);
    connect(&model_, &GameModel::headChanged, this, &BoardView::refreshHead);
    refreshBoard();
    refreshHead();
}

int BoardView::pictureOf(int die, const DieView &view)
{
    // A die not yet rolled shows its own number.
    if (view.face < 1 || view.face > 6)
        return die;
    return view.bonus ? view.face + 6 : view.face;
}

void BoardView::refreshBoard()
{
    for (int die = 1; die <= GameModel::kDice; ++die) {
        const DieView &view = model_.die(die);
        Shown &shown = shown_[std::size_t(die)];
        QLabel *label = dice_[std::size_t(die)];
        const int picture = pictureOf(die, view);
        if (picture != shown.picture) {
            // The first refresh keeps the picture the window was built with.
            if (shown.picture >= 0 || picture != die)
                label->setPixmap(faces_[std::size_t(picture)]);
            shown.picture = picture;
        }
        if (view.pos != label->pos())
            label->move(view.pos);
        if (view.enabled != label->isEnabled())
            label->setEnabled(view.enabled);
        // The number shows while the die can be held or released, which is the own turn.
        QLabel *key = keys_[std::size_t(die)];
        const QPoint keyPos = view.pos + keyOffset_;
        if (key->pos() != keyPos)
            key->move(keyPos);
        setShown(key, view.enabled && model_.myTurn());
    }

    setShown(throwdice_, model_.rollOffered());
    setShown(start_, model_.startOffered());

    const int bonusFace = model_.bonusdie();
    if (bonusFace != bonusFace_ && bonusFace >= 1 && bonusFace <= 6)
        bonus_->setPixmap(faces_[std::size_t(bonusFace + 6)]);
    if (bonusFace != bonusFace_ && (bonusFace < 1 || bonusFace > 6))
        bonus_->clear();
    bonusFace_ = bonusFace;
    setShown(bonus_, model_.bonusShown());
    setShown(bonusBack_, model_.bonusShown());

    const bool won = !model_.winnerText().isEmpty();
    if (won && model_.winnerText() != winnerShown_) {
        // Team games and long names make long lines: the line shrinks, then wraps, to stay
        // on the banner.
        winnerShown_ = model_.winnerText();
        fitText(winnerLabel_, winnerShown_, kWinnerPoints, kWinnerMinPoints);
    }
    setShown(winnerImage_, won);
    setShown(winnerLabel_, won);
}

void BoardView::showLine(QLabel *label, QString &shown, const QString &text)
{
    if (text == shown)
        return;
    shown = text;
    fitText(label, text, kLinePoints, kLineMinPoints);
}

void BoardView::refreshHead()
{
    showLine(status_, statusShown_, model_.statusText());
    showLine(turn_, turnShown_, model_.turnText());
    setText(round_, model_.roundText());
    for (int marker = 1; marker <= GameModel::kMaxRolls; ++marker)
        setShown(markers_[std::size_t(marker)], marker <= model_.rolls());
}
