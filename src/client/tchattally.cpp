// The main window's side of the tally: who is at the table, finished games and the user's own
// fives of a kind.

#include "client/tchat.h"

#include <QLabel>
#include <QPointer>

#include "rules/categories.h"
#include "tally/tallytable.h"
#include "windows/tallylist.h"

void Tchat::connectTally()
{
    Ttallylist *tally = windows_.tally;
    if (!tally)
        return;
    // The tally window may outlive this window at the end of the run.
    tally->setChecklistLoader([chat = QPointer<Tchat>(this)] {
        if (chat)
            chat->loadchecklist();
    });
    // A problem found while reading the tally was reported before anyone listened.
    if (!tally->problem().isEmpty())
        addlinetochat(tally->problem(), kBlue);
    connect(tally, &Ttallylist::problemReported, this, [this](const QString &text) { addlinetochat(text, kBlue); });
}

void Tchat::loadchecklist()
{
    if (!windows_.tally)
        return;
    QStringList seatNames;
    for (int seat = 1; seat <= 4; ++seat)
        seatNames.append(label(QStringLiteral("label_playername%1").arg(seat))->text());
    windows_.tally->setCurrentPlayers(TallyTable::opponentsAtTable(seatNames, myseat));
}

void Tchat::ViewTally1Click()
{
    if (!windows_.tally)
        return;
    loadchecklist();
    windows_.tally->show();
    windows_.tally->raise();
    windows_.tally->activateWindow();
}

void Tchat::recordGameResult(const QString &winnerText)
{
    if (windows_.tally)
        windows_.tally->addgame(winnerText == myname ? TallyTable::mine() : winnerText);
}

void Tchat::countOwnFiveOfAKind(int seat, int category, const QString &cellText)
{
    // An empty cell holds no score at all, so it cannot be a five of a kind either.
    if (windows_.tally && seat == myseat && category == rules::FiveKind && !cellText.isEmpty()
        && cellText != QStringLiteral("0"))
        windows_.tally->addtomine(TallyTable::kFiveKind);
}
