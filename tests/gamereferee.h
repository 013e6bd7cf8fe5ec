#pragma once

// Follows a whole game through the messages one client receives, read through the catalogue,
// and checks each against the rules, independently of the host's own bookkeeping: turns in
// order, a bonus die before each turn of a bonus game, rolls that list exactly the free dice,
// holds that change something, scores that are what the dice on the table make, partners'
// copies of the card just scored, and nothing after the winner.

#include <QByteArray>
#include <QList>

#include <array>

#include "protocol/catalogue.h"
#include "rules/scoring.h"

class GameReferee {
public:
    GameReferee(bool bonus, bool team) : bonus_(bonus), team_(team)
    {
        for (auto &card : cards)
            card = rules::emptyCard();
    }

    // What breaks the flow, or nothing.
    QByteArray take(const QByteArray &message)
    {
        log.append(message);
        if (ended)
            return "a message after the winner";
        using wire::Word;
        const std::optional<wire::Entry> entry = wire::readEntry(message);
        if (!entry)
            return "no command";
        switch (entry->word) {
        case Word::setbonusdice: return check(wire::BonusDie::decode(entry->data));
        case Word::nextplayer: return check(wire::NextPlayer::decode(entry->data));
        case Word::thedice: return check(wire::Roll::decode(entry->data));
        case Word::setdice:
        case Word::unsetdice: return check(wire::DieMoved::decode(entry->data, entry->word == Word::setdice));
        case Word::pscore: return check(wire::Card::decode(entry->data));
        case Word::winner: return check(wire::Winner::decode(entry->data));
        case Word::startgame:
        case Word::justwatching: return {};
        default: return "unexpected message";
        }
    }

    int firstOpen(int seat) const
    {
        for (int category = 1; category <= rules::kCategoryCount; ++category) {
            if (cards[std::size_t(seat)][std::size_t(category)] == rules::kEmptyCell)
                return category;
        }
        return 0;
    }
    bool complete(int seat) const { return firstOpen(seat) == 0; }
    bool untouched(int seat) const { return cards[std::size_t(seat)] == rules::emptyCard(); }
    int best() const
    {
        int top = 0;
        for (int seat = 1; seat <= 4; ++seat)
            top = qMax(top, totals[std::size_t(seat)]);
        return top;
    }

    QList<QByteArray> log;
    QList<int> turns;            // the seat of every turn, in order
    std::array<int, 5> scores{}; // categories each seat scored itself
    int bonusAnnouncements = 0;
    std::array<rules::ScoreCells, 5> cards{};
    std::array<int, 5> totals{};
    bool ended = false;
    wire::Winner winner;

private:
    template <class T>
    QByteArray check(const wire::Decoded<T> &message)
    {
        if (!message)
            return "does not decode: " + message.error();
        return see(*message);
    }

    QByteArray see(const wire::BonusDie &bonus)
    {
        if (!bonus_ || announced_)
            return "a bonus die out of place";
        bonusDie_ = bonus.face;
        announced_ = true;
        ++bonusAnnouncements;
        return {};
    }

    QByteArray see(const wire::NextPlayer &next)
    {
        if (current_ != 0 && !scored_)
            return "a turn began before the last one was scored";
        if (bonus_ != announced_)
            return "the bonus die must come right before each turn";
        announced_ = false;
        scored_ = false;
        current_ = next.seat;
        turns.append(current_);
        // Every seat these games play is passed each round, so its round is its turn count.
        if (next.round != int(turns.count(current_)))
            return "the round is wrong";
        if (next.total != totals[std::size_t(current_)])
            return "the total differs from the card";
        if (next.rolls != 0)
            return "a turn starts with rolls made";
        rolls_ = 0;
        faces_.fill(0);
        held_.fill(false);
        return {};
    }

    QByteArray see(const wire::Roll &roll)
    {
        if (roll.seat != current_ || scored_)
            return "dice for a seat not on turn";
        if (roll.rolls != ++rolls_)
            return "the roll count is wrong";
        if (roll.again != (rolls_ < 3))
            return "the roll-again flag is wrong";
        QList<int> expected;
        for (int i = 1; i <= 5; ++i) {
            if (!held_[std::size_t(i)])
                expected.append(i);
        }
        QList<int> listed;
        for (int i = 0; i < roll.count; ++i) {
            listed.append(roll.dice[std::size_t(i)].die);
            faces_[std::size_t(roll.dice[std::size_t(i)].die)] = roll.dice[std::size_t(i)].face;
        }
        if (listed != expected)
            return "the roll must list exactly the free dice";
        return {};
    }

    QByteArray see(const wire::DieMoved &moved)
    {
        bool &held = held_[std::size_t(moved.die)];
        if (scored_ || held == moved.held || faces_[std::size_t(moved.die)] == 0)
            return "a hold that changes nothing";
        held = moved.held;
        return {};
    }

    QByteArray see(const wire::Card &card)
    {
        rules::ScoreCells cells{};
        std::copy(card.cells.begin(), card.cells.end(), cells.begin());
        if (card.mark == wire::Card::Refresh)
            return "a refresh during the game";
        if (card.mark == wire::Card::PartnerCopy) {
            if (!team_ || !scored_ || card.seat != (current_ + 1) % 4 + 1 || card.category != category_
                || cells != cards[std::size_t(current_)] || card.total != totals[std::size_t(current_)])
                return "a partner's copy that is not the card just scored";
        } else {
            const int seat = card.seat;
            if (seat != current_ || scored_ || rolls_ == 0)
                return "a score out of turn";
            if (!card.categoryInRange() || cards[std::size_t(seat)][std::size_t(card.category)] != rules::kEmptyCell)
                return "a score in a used category";
            const rules::Hand hand{faces_[1], faces_[2], faces_[3], faces_[4], faces_[5]};
            rules::ScoreCells expected = cards[std::size_t(seat)];
            expected[std::size_t(card.category)] = rules::scoreFor(hand, card.category, {bonus_, bonusDie_});
            const int total = rules::computeTotals(expected);
            if (cells != expected)
                return "the card is not what the dice on the table make";
            if (card.total != total)
                return "the total does not add up";
            scored_ = true;
            category_ = card.category;
            ++scores[std::size_t(seat)];
        }
        cards[std::size_t(card.seat)] = cells;
        totals[std::size_t(card.seat)] = card.total;
        return {};
    }

    QByteArray see(const wire::Winner &won)
    {
        if ((current_ != 0 && !scored_) || bonus_ != announced_)
            return "the game ended in the middle of a turn";
        winner = won;
        ended = true;
        return {};
    }

    bool bonus_;
    bool team_;
    bool announced_ = false;
    bool scored_ = false;
    int bonusDie_ = 0;
    int current_ = 0;
    int rolls_ = 0;
    int category_ = 0;
    std::array<int, 6> faces_{};
    std::array<bool, 6> held_{};
};
