// The main window's side of the tally: who is at the table, finished games and the user's own
// fives of a kind.

#include "client/tchat.h"

#include "tally/tallytable.h"
#include "windows/tallylist.h"

void Tchat::connectTally()
{
    Ttallylist *tally = windows_.tally;
    if (!tally)
        return;
    // A problem found while reading the tally may have been reported before anyone listened.
    if (tally->isLoaded() && !tally->problem().isEmpty())
        addlinetochat(tally->problem(), kBlue);
    connect(tally, &Ttallylist::problemReported, this, [this](const QString &text) { addlinetochat(text, kBlue); });
}

void Tchat::loadchecklist()
{
    if (!windows_.tally)
        return;
    QStringList seatNames;
    for (int seat = 1; seat <= game::kSeats; ++seat)
        seatNames.append(model_->seat(seat).name);
    windows_.tally->setCurrentPlayers(TallyTable::opponentsAtTable(seatNames, model_->myseat()));
}

void Tchat::ViewTally1Click()
{
    if (!windows_.tally)
        return;
    loadchecklist();
    showSideWindow(windows_.tally);
}

void Tchat::recordGameResult(const GameResult &result)
{
    if (windows_.tally)
        windows_.tally->addgame(result);
}

void Tchat::countOwnFiveOfAKind()
{
    if (windows_.tally)
        windows_.tally->addtomine(TallyTable::kFiveKind);
}
