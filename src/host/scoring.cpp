#include "host/turn.h"

#include "host/table.h"

void Turn::setscore(int seat, int category)
{
    if (seat == 0 || seat != currentplayer_)
        return;
    if (rolls_ == 0) {
        refuseScore(seat, wire::Word::rollagain);
        return;
    }
    Seat &s = seats_[std::size_t(seat)];
    if (!rules::isCategory(category) || s.scores[std::size_t(category)] != rules::kEmptyCell) {
        refuseScore(seat, wire::Word::chooseagain);
        return;
    }

    s.scores[std::size_t(category)] = rules::scoreFor(hand(), category, {bonusgame_, bonusdie_});
    s.total = rules::computeTotals(s.scores);
    wire::Card card{seat, s.total, wire::Card::Scored, category, s.scores};
    table_.sendToAll(card.encode());

    if (teamgame_) {
        // Partners keep one card: whatever either scores is used for both.
        const int partner = partnerOf(seat);
        seats_[std::size_t(partner)].scores = s.scores;
        seats_[std::size_t(partner)].total = s.total;
        card.seat = partner;
        card.mark = wire::Card::PartnerCopy;
        table_.sendToAll(card.encode());
    }

    findplayer();
}

void Turn::refuseScore(int seat, wire::Word answer)
{
    // Only a connected seat has someone to tell. The computer's own requests are never
    // refused (it names open categories after a roll), so a connected seat the host plays
    // cannot be left waiting here.
    if (table_.connected(seat))
        table_.sendTo(seat, wire::Notice{answer}.encode());
    else
        rolldice(seat);
}
