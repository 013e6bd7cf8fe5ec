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
    constexpr int kGap = 2;
    const int textWidth = name->fontMetrics().horizontalAdvance(name->text());
    const int left = std::max(0, (name->width() - eyes->width() - kGap - textWidth) / 2);
    name->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    name->setContentsMargins(left + eyes->width() + kGap, 0, 0, 0);
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
        name->setText(s.name);
        name->setToolTip(PlainText::toolTip(s.computerName));
        markWatching(name, label(QStringLiteral("image_eyes%1").arg(seat)), s.watching);
    }
}
