#include "common/gameconstants.h"
#include "host/hostengine.h"

#include "protocol/fieldreader.h"
#include "protocol/message.h"

#include <QtGlobal>

#include <algorithm>

namespace {

// The first field of every client message: the slot its sender says it has.
int leadingSlot(QByteArrayView data)
{
    FieldReader reader(data);
    return reader.takeInt();
}

} // namespace

int HostEngine::acceptSlot(bool hostUser)
{
    // Slot 1 waits for the hosting user's own client once it is expected: a stranger who
    // connects first must not take the host's seat.
    const int first = slotOneKept_ && !hostUser ? 2 : 1;
    newslot = 0;
    for (int slot = first; slot <= numslots; ++slot) {
        if (!players[slot].connected) {
            newslot = slot;
            break;
        }
    }
    if (newslot == 0) {
        if (numslots >= kMaxSlots)
            return 0;
        numslots = std::max(numslots + 1, first);
        newslot = numslots;
    }
    tplayer &player = players[newslot];
    player.connected = true;
    player.loggedin = false;
    // A newcomer does not inherit what its slot's last connection used up.
    relayLimits_[newslot].reset();
    logLimits_[newslot].reset();
    return newslot;
}

void HostEngine::slotClosed(int slot)
{
    if (!isSlot(slot) || !players[slot].connected)
        return;

    tplayer &player = players[slot];
    // A connection that never logged in was never announced, so its leaving is not either
    // (the end of a game may have given its seat a computer name meanwhile).
    if (player.loggedin) {
        const QByteArray notice =
            MessageBuilder("CMD_playerdisconnected").field(slot).field(player.name).finish();
        for (int other = 1; other <= numslots; ++other) {
            if (other != slot && players[other].connected)
                output_.sendToSlot(other, notice);
        }
    }

    player.connected = false;
    player.loggedin = false;
    player.name.clear();
    player.away = false;
    logLimits_[slot].flush();

    // Only on the first report of the close: a later one must not pass the turn again when
    // the rotation happened to come back to this seat. Seat 1 passes it too: a player who is
    // not the hosting user can sit there.
    if (gamestarted && slot == currentplayer)
        findplayer();
}

void HostEngine::dispatch(QByteArrayView entry, int fromSlot, bool fromHostUser)
{
    const std::optional<Command> command = splitCommand(entry);
    if (!command)
        return;

    using Handler = void (HostEngine::*)(const QByteArray &);
    struct Route {
        const char *word;
        Handler handler;
    };
    static constexpr Route routes[] = {
        {"CMD_logininfo", &HostEngine::receivedlogininfo},
        {"CMD_chat", &HostEngine::chat},
        {"CMD_action", &HostEngine::action},
        {"CMD_startgame", &HostEngine::startgame},
        {"CMD_justwatch", &HostEngine::justwatch},
        {"CMD_rolldice", &HostEngine::rolldice},
        {"CMD_unsetdice", &HostEngine::unsetdice},
        {"CMD_setdice", &HostEngine::setdice},
        {"CMD_setscore", &HostEngine::setscore},
    };

    const Route *route = nullptr;
    for (const Route &candidate : routes) {
        if (command->word == candidate.word) {
            route = &candidate;
            break;
        }
    }
    if (!route)
        return;

    // A message may only speak for the connection it came on; a connection that has no slot
    // (or has lost it) speaks for nobody.
    if (!isSlot(fromSlot) || !players[fromSlot].connected)
        return;

    try {
        const int named = leadingSlot(command->data);
        if (route->handler == &HostEngine::startgame) {
            if (!fromHostUser || named != fromSlot)
                return;
        } else if (route->handler == &HostEngine::justwatch && fromHostUser && named != fromSlot) {
            // The hosting user sets and unsets other seats to just watching.
            if (!game::isSeat(named) || !players[named].connected)
                return;
        } else if (named != fromSlot) {
            return;
        }
        (this->*route->handler)(command->data);
    } catch (const FieldError &error) {
        // The word is one of the routes; the error quotes the field short and without
        // control bytes, and the slot's limit keeps a flood of them from filling the log.
        logLimits_[fromSlot].write(clock_(), "Host: slot " + QByteArray::number(fromSlot) + ": "
                                                  + command->word + " dropped: " + error.what());
    }
}

void HostEngine::receivedlogininfo(const QByteArray &data)
{
    FieldReader reader(data);
    const int slot = reader.takeInt();
    const QByteArray version = reader.takeText();
    // A name goes out in every roster and chat line of the table: no control character in it.
    const QByteArray name = withoutControls(reader.rest().left(kMaxNameLength));
    if (!isSlot(slot) || !players[slot].connected)
        return;

    players[slot].name = name;
    players[slot].loggedin = true;

    sendToAll(MessageBuilder("CMD_newplayerinfo").field(slot).field(name).finish());

    for (int other = 1; other <= numslots; ++other) {
        if (other != slot && players[other].connected) {
            sendTo(slot, MessageBuilder("CMD_existingplayers")
                             .field(other)
                             .field(players[other].name)
                             .finish());
        }
    }

    if (version != game::kVersionText) {
        sendTo(1, MessageBuilder("CMD_havewrongversion").field(name).finish());
        sendTo(slot, MessageBuilder("CMD_wrongversion").field("").finish());
    }

    if (gamestarted) {
        // Bring the newcomer up to date: whose turn it is, how far it has gone, and the cards.
        sendTo(slot, nextPlayerMessage());
        for (int seat = 1; seat <= game::kSeats; ++seat) {
            MessageBuilder card("CMD_pscore");
            card.field(seat).field(players[seat].total).field("*");
            for (int cell = 1; cell <= 16; ++cell)
                card.field(players[seat].scores[cell]);
            sendTo(slot, card.finish());
        }
    }
}

void HostEngine::chat(const QByteArray &data)
{
    relay("CMD_chat", data, " chats: ");
}

void HostEngine::action(const QByteArray &data)
{
    relay("CMD_action", data, " ");
}

void HostEngine::relay(const char *word, const QByteArray &data, QByteArrayView separator)
{
    FieldReader reader(data);
    const int slot = reader.takeInt();
    // Nobody speaks before a login: there is no name to speak under.
    if (!isSlot(slot) || !players[slot].connected || !players[slot].loggedin)
        return;
    if (!relayLimits_[slot].allow(clock_()))
        return;

    // The line runs to the first "|", the colour follows it; each is cut to its length, so
    // that an ordinary line goes out untouched and a long one keeps its colour.
    const QByteArrayView text = reader.restView();
    const qsizetype bar = text.indexOf('|');
    const QByteArrayView line = bar < 0 ? text : text.first(bar);
    const QByteArrayView colour = bar < 0 ? QByteArrayView() : text.sliced(bar);
    sendToAll(MessageBuilder(word)
                  .field(players[slot].name)
                  .append(separator)
                  .append(withoutControls(line.first(std::min(line.size(), kMaxRelayedText))))
                  .append(withoutControls(colour.first(std::min(colour.size(), kMaxRelayedColour + 1))))
                  .finish());
}
