#include "host/hostengine.h"

#include "protocol/fieldreader.h"
#include "protocol/message.h"

namespace {

const QByteArray &rollAgainMessage()
{
    static const QByteArray message = MessageBuilder("CMD_rollagain").field("").finish();
    return message;
}

const QByteArray &chooseAgainMessage()
{
    static const QByteArray message = MessageBuilder("CMD_chooseagain").field("").finish();
    return message;
}

} // namespace

void HostEngine::setscore(const QByteArray &data)
{
    FieldReader reader(data);
    const int seat = reader.takeInt();
    setscore(seat, FieldReader::toInt(reader.rest()));
}

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

    // The sixteen cells, "+" before each; the partner's line carries the same text.
    MessageBuilder cells("");
    for (int c = 1; c <= rules::kCellCount; ++c)
        cells.field(p.scores[std::size_t(c)]);
    const QByteArray &card = cells.text();
    sendToAll(MessageBuilder("CMD_pscore").field(seat).field(p.total).field(category).append(card).finish());

    if (teamgame) {
        // Partners keep one card: whatever either scores is used for both.
        tplayer &partner = players[std::size_t(p.partner)];
        partner.scores = p.scores;
        partner.total = p.total;
        sendToAll(MessageBuilder("CMD_pscore")
                      .field(p.partner)
                      .field(partner.total)
                      .field("*")
                      .append(category)
                      .append(card)
                      .finish());
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
