// The roster view of the model (seat names, just-watching markers and the spy list), and the
// model's lines, sounds and tally events. The board and the card have views of their own.

#include "client/tchat.h"

#include <QAction>
#include <QLabel>

#include <algorithm>

#include "ui/plaintext.h"

void Tchat::connectModel()
{
    connect(model_, &GameModel::chatLine, this,
            [this](const QString &text, ColorText::Value color) { addlinetochat(text, toColor(color)); });
    connect(model_, &GameModel::sound, this, &Tchat::playsounds);
    connect(model_, &GameModel::rosterChanged, this, &Tchat::showRoster);
    connect(model_, &GameModel::gameFull, this, &Tchat::gamefull);
    connect(model_, &GameModel::gameFinished, this, &Tchat::recordGameResult);
    connect(model_, &GameModel::ownFiveOfAKind, this, &Tchat::countOwnFiveOfAKind);
    connect(model_, &GameModel::justWatchChanged, this, [this] { JustWatch1->setChecked(model_->justWatching()); });
}

namespace {

constexpr int kEyesGap = 2;

// A name wider than its box is cut at its end, so that it reads from its start and never runs
// into the neighbouring seat's; the tooltip then has it whole instead of the computer player.
void showName(QLabel *name, const SeatView &seat, int room)
{
    const QString shown = name->fontMetrics().elidedText(seat.name, Qt::ElideRight, room);
    name->setText(shown);
    name->setToolTip(PlainText::toolTip(shown == seat.name ? seat.computerName : seat.name));
}

// The eyes of a seat that just watches go just left of its name, inside the name's own box,
// and the name moves right to make room: they never cover it, nor a neighbour's name.
void markWatching(QLabel *name, QLabel *eyes, bool watching)
{
    if (!watching) {
        eyes->hide();
        name->setAlignment(Qt::AlignCenter);
        name->setContentsMargins(0, 0, 0, 0);
        return;
    }
    const int textWidth = name->fontMetrics().horizontalAdvance(name->text());
    const int left = std::max(0, (name->width() - eyes->width() - kEyesGap - textWidth) / 2);
    name->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    name->setContentsMargins(left + eyes->width() + kEyesGap, 0, 0, 0);
    eyes->move(name->x() + left, name->y() + (name->height() - eyes->height()) / 2);
    eyes->raise();
    eyes->show();
}

} // namespace

void Tchat::showRoster()
{
    for (int seat = 1; seat <= game::kSeats; ++seat) {
        const SeatView &s = model_->seat(seat);
        QLabel *name = label(QStringLiteral("label_playername%1").arg(seat));
        QLabel *eyes = label(QStringLiteral("image_eyes%1").arg(seat));
        showName(name, s, name->width() - (s.watching ? eyes->width() + kEyesGap : 0));
        markWatching(name, eyes, s.watching);
    }
}
