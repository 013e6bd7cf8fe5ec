#include "host/hostengine.h"

#include "protocol/catalogue.h"

namespace {

const QByteArray &rollAgainMessage()
{
    static const QByteArray message = wire::Notice{wire::Word::rollagain}.encode();
    return message;
}

const QByteArray &chooseAgainMessage()
{
    static const QByteArray message = wire::Notice{wire::Word::chooseagain}.encode();
    return message;
}

} // namespace

void HostEngine::setscore(int seat, int category)
{
    if (seat == 0 || seat != currentplayer)
        return;
    tplayer &p = players[std::size_t(seat)];
    if (dice[1] == -1) {
        refuseScore(seat, rollAgainMessage());
        return;
    }
    if (!rules::isCategory(category) || p.scores[std::size_t(category)] != kEmptyCell) {
        refuseScore(seat, chooseAgainMessage());
        return;
    }

    for (int i = 1; i <= 5; ++i) {
        if (helddice[std::size_t(i)] == 0)
            helddice[std::size_t(i)] = dice[std::size_t(i)];
    }
    const rules::Hand hand{helddice[1], helddice[2], helddice[3], helddice[4], helddice[5]};
    p.scores[std::size_t(category)] = rules::scoreFor(hand, category, {bonusgame, bonusdie});
    p.total = rules::computeTotals(p.scores);

    wire::Card card{seat, p.total, wire::Card::Scored, category, p.scores};
    sendToAll(card.encode());

    if (teamgame) {
        // Partners keep one card: whatever either scores is used for both.
        tplayer &partner = players[std::size_t(p.partner)];
        partner.scores = p.scores;
        partner.total = p.total;
        card.seat = p.partner;
        card.mark = wire::Card::PartnerCopy;
        sendToAll(card.encode());
    }

    findplayer();
}

void HostEngine::refuseScore(int seat, const QByteArray &message)
{
    // Only a connected seat has someone to tell. The computer's own requests are never
    // refused (it names open categories after a roll), so a connected seat the host plays
    // cannot be left waiting here.
    if (players[std::size_t(seat)].connected)
        sendTo(seat, message);
    else
        rolldice(seat);
}
