#include "host/computerplayer.h"

namespace {

bool isOpen(const rules::ScoreCells &card, int category)
{
    return card[std::size_t(category)] == rules::kEmptyCell;
}

// How many free dice show each face (index = face).
std::array<int, 7> freeFaceCounts(const Dice &dice)
{
    std::array<int, 7> counts{};
    for (const Die &die : dice) {
        if (die.isFree())
            ++counts[std::size_t(die.face)];
    }
    return counts;
}

// The highest face that at least `atLeast` free dice show and whose row is still open.
int bestOpenRow(const Dice &dice, const rules::ScoreCells &card, int atLeast)
{
    const auto counts = freeFaceCounts(dice);
    for (int face = 6; face >= 1; --face) {
        if (counts[std::size_t(face)] >= atLeast && isOpen(card, face))
            return face;
    }
    return 0;
}

} // namespace

void ComputerPlayer::turnStarted(int)
{
    choice_ = 0;
}

void ComputerPlayer::play(int seat)
{
    if (turn_.rolls() > 2 && choice_ == 0)
        choice_ = findany(turn_.card(seat));
    if (computercheck(seat))
        return;
    if (turn_.rolls() == 1 || turn_.rolls() == 2) {
        computerworking(seat);
        return;
    }
    if (choice_ == 0) {
        // Nothing left to score on this card: let the turn pass rather than be refused.
        turn_.findplayer();
        return;
    }
    const int choice = choice_;
    choice_ = 0;
    turn_.setscore(seat, choice);
}

void ComputerPlayer::playSpent(int seat)
{
    // Ending such a turn without a score would leave a cell of the card empty for good (a
    // seat handed to the host after its third roll gets here). Scoring it as any third roll
    // is scored keeps every card complete.
    if (!rules::isCategory(choice_) || !isOpen(turn_.card(seat), choice_))
        choice_ = findany(turn_.card(seat));
    play(seat);
}

bool ComputerPlayer::computercheck(int seat)
{
    const rules::ScoreCells &card = turn_.card(seat);
    const rules::Hand hand = turn_.hand();
    int category = 0;
    if (isOpen(card, rules::BigStraight) && rules::checkforlstraight(hand))
        category = rules::BigStraight;
    else if (isOpen(card, rules::FiveKind) && rules::checkforfivekind(hand))
        category = rules::FiveKind;
    else if (isOpen(card, rules::FourKind) && rules::checkforfourkind(hand))
        category = rules::FourKind;
    else if (rules::checkforfullhouse(hand) && isOpen(card, rules::FullHouse))
        category = rules::FullHouse;
    else if (isOpen(card, rules::SmStraight) && rules::checkforsstraight(hand))
        category = rules::SmStraight;
    if (category == 0)
        return false;
    turn_.setscore(seat, category);
    return true;
}

void ComputerPlayer::computerworking(int seat)
{
    if (choice_ == 0)
        choice_ = findworking(turn_.dice(), turn_.card(seat));
    if (rules::isNumberRow(choice_))
        worknums(seat, choice_);
    else if (choice_ == rules::BigStraight)
        workstraight(seat);
    turn_.enableTimer1();
}

int ComputerPlayer::findworking(const Dice &dice, const rules::ScoreCells &card)
{
    if (straight(dice) == rules::BigStraight && isOpen(card, rules::BigStraight))
        return rules::BigStraight;
    if (const int row = threes(dice, card))
        return row;
    return twos(dice, card);
}

int ComputerPlayer::findany(const rules::ScoreCells &card)
{
    for (int category = rules::Freebie; category >= rules::Ones; --category) {
        if (isOpen(card, category))
            return category;
    }
    return 0;
}

int ComputerPlayer::threes(const Dice &dice, const rules::ScoreCells &card)
{
    return bestOpenRow(dice, card, 3);
}

int ComputerPlayer::twos(const Dice &dice, const rules::ScoreCells &card)
{
    return bestOpenRow(dice, card, 2);
}

int ComputerPlayer::straight(const Dice &dice)
{
    const auto counts = freeFaceCounts(dice);
    const bool middle = counts[2] > 0 && counts[3] > 0 && counts[4] > 0 && counts[5] > 0;
    return middle ? int(rules::BigStraight) : 0;
}

void ComputerPlayer::workstraight(int seat)
{
    std::array<bool, 7> noted{};
    for (const Die &die : turn_.dice()) {
        if (die.isHeld() && die.face >= 2 && die.face <= 5)
            noted[std::size_t(die.face)] = true;
    }
    for (int i = 1; i <= game::kDice; ++i) {
        const Die &die = turn_.die(i);
        if (die.isFree() && die.face >= 2 && die.face <= 5 && !noted[std::size_t(die.face)]) {
            noted[std::size_t(die.face)] = true;
            turn_.setdice(seat, i);
        }
    }
}

void ComputerPlayer::worknums(int seat, int face)
{
    for (int i = 1; i <= game::kDice; ++i) {
        if (turn_.die(i).isFree() && turn_.die(i).face == face)
            turn_.setdice(seat, i);
    }
}
