// The views of the model that the main window has today: the roster (seat names, totals,
// just-watching markers and the spy list), and the model's lines, sounds and tally events.

#include "client/tchat.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>

#include "windows/tspylist.h"

void Tchat::connectModel()
{
    connect(model_, &GameModel::chatLine, this,
            [this](const QString &text, ColorText::Value color) { addlinetochat(text, toColor(color)); });
    connect(model_, &GameModel::sound, this, &Tchat::playsounds);
    connect(model_, &GameModel::rosterChanged, this, &Tchat::showRoster);
    connect(model_, &GameModel::cardChanged, this, &Tchat::showRoster);
    connect(model_, &GameModel::loginAsked, this, &Tchat::sendloginfo);
    connect(model_, &GameModel::gameFull, this, &Tchat::gamefull);
    connect(model_, &GameModel::gameFinished, this, &Tchat::recordGameResult);
    connect(model_, &GameModel::ownFiveOfAKind, this, &Tchat::countOwnFiveOfAKind);
    connect(model_, &GameModel::justWatchChanged, this, [this] { JustWatch1->setChecked(model_->justWatching()); });
    connect(model_, &GameModel::boardChanged, this,
            [this] { label(QStringLiteral("button_start"))->setVisible(model_->startOffered()); });
}

void Tchat::showRoster()
{
    for (int seat = 1; seat <= game::kSeats; ++seat) {
        const SeatView &s = model_->seat(seat);
        QLabel *name = label(QStringLiteral("label_playername%1").arg(seat));
        name->setText(s.name);
        name->setToolTip(s.computerName);
        label(QStringLiteral("label_score%1").arg(seat))->setText(s.total);
        label(QStringLiteral("image_eyes%1").arg(seat))->setVisible(s.watching);
    }
    if (windows_.spylist) {
        QListWidget *spys = windows_.spylist->listbox_spys();
        spys->clear();
        for (const SpectatorView &spy : model_->spectators()) {
            auto *item = new QListWidgetItem(GameModel::spyEntry(spy.slot, spy.name), spys);
            item->setData(Qt::UserRole, spy.slot);
        }
    }
}
