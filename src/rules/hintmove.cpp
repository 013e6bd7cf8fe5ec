#include "rules/hintmove.h"

#include "rules/hintturn.h"

#include <algorithm>

namespace rules {

namespace {

// Every hand's score in every category, plain and with the category's own face as the bonus face.
struct HandScores {
    // score[doubled][category][hand]
    std::array<std::array<std::array<qint16, hint::kHandCount>, kCategoryCount + 1>, 2> score{};

    static const HandScores &get()
    {
        static const HandScores scores;
        return scores;
    }

private:
    HandScores()
    {
        const auto &graph = hint::KeepGraph::get();
        for (int c = Ones; c <= Freebie; ++c) {
            for (std::size_t h = 0; h < graph.hands.size(); ++h) {
                score[0][std::size_t(c)][h] = qint16(scoreFor(graph.hands[h], c));
                score[1][std::size_t(c)][h] = qint16(scoreFor(graph.hands[h], c, {true, c}));
            }
        }
    }
};

// The points a category's score brings from a position: itself, a bonus it reaches, and the
// best that can follow.
class Successors {
public:
    Successors(const HintTable &table, const CardPosition &card) : table_(table), card_(card) {}

    // nullopt when the table lacks the position that follows (a table of other rules).
    std::optional<float> after(int category, int score) const
    {
        int upper = card_.upperTotal;
        int lower = card_.lowerSum;
        int bonus = 0;
        if (isNumberRow(category)) {
            if (upper < kUpperBonusThreshold && upper + score >= kUpperBonusThreshold)
                bonus = kUpperBonus;
            upper += score;
        } else if (countsForLowerBonus(category)) {
            if (lower < kLowerBonusThreshold && lower + score >= kLowerBonusThreshold)
                bonus = kLowerBonus;
            lower += score;
        }
        const quint16 next = card_.used | quint16(1u << (category - 1));
        const auto toCome = table_.pointsToCome(next, upper, lower);
        if (!toCome)
            return std::nullopt;
        return float(score + bonus + *toCome);
    }

private:
    const HintTable &table_;
    const CardPosition &card_;
};

// The first dice of the hand that make up a keep.
std::array<bool, 5> heldFor(const Hand &hand, const std::array<quint8, 7> &keep)
{
    std::array<quint8, 7> left = keep;
    std::array<bool, 5> held{};
    for (std::size_t d = 0; d < hand.size(); ++d) {
        auto &n = left[std::size_t(hand[d])];
        if (n > 0) {
            held[d] = true;
            --n;
        }
    }
    return held;
}

} // namespace

HintAdvice bestMove(const HintTable &table, const HintPosition &position)
{
    HintAdvice advice;
    const HintRules &rules = table.rules();
    const bool bonusGame = rules.variant == HintVariant::BonusDice;
    if (position.rolls < 0 || position.rolls > 3)
        return advice;
    if (bonusGame && (position.bonusFace < 1 || position.bonusFace > 6))
        return advice;
    const CardPosition card = cardPosition(position.cells, rules);
    if (!card.valid || !table.pointsToCome(card.used, card.upperTotal, card.lowerSum))
        return advice;
    std::vector<int> open;
    for (int c = Ones; c <= Freebie; ++c) {
        if (!(card.used & (1u << (c - 1))))
            open.push_back(c);
    }
    if (open.empty())
        return advice;
    const auto &graph = hint::KeepGraph::get();
    int handKeep = -1;
    if (position.rolls > 0) {
        handKeep = graph.indexOf(position.hand);
        if (handKeep < 0)
            return advice;
    }

    // What scoring each hand brings, category by category, and the best of it.
    const auto &scores = HandScores::get();
    const Successors successors(table, card);
    alignas(64) hint::KeepValues<1> keeps;
    std::vector<std::array<float, hint::kHandCount>> byCategory(open.size());
    for (std::size_t i = 0; i < open.size(); ++i) {
        const int c = open[i];
        const bool doubled = bonusGame && c == position.bonusFace;
        const auto &score = scores.score[doubled ? 1 : 0][std::size_t(c)];
        // Scores repeat from hand to hand; each is looked up once.
        std::array<float, 128> afterScore;
        std::array<bool, 128> known{};
        for (int h = 0; h < hint::kHandCount; ++h) {
            const int s = score[std::size_t(h)];
            if (!known[std::size_t(s)]) {
                const auto after = successors.after(c, s);
                if (!after)
                    return advice;
                afterScore[std::size_t(s)] = *after;
                known[std::size_t(s)] = true;
            }
            byCategory[i][std::size_t(h)] = afterScore[std::size_t(s)];
        }
    }
    for (int h = 0; h < hint::kHandCount; ++h) {
        float best = -1.0f;
        for (const auto &values : byCategory)
            best = std::max(best, values[std::size_t(h)]);
        keeps[hint::kFirstHand + h][0] = best;
    }

    advice.valid = true;
    if (position.rolls == 0) {
        hint::rollOnce<1>(keeps, graph);
        hint::chooseKeep<1>(keeps, graph);
        hint::rollOnce<1>(keeps, graph);
        hint::chooseKeep<1>(keeps, graph);
        double turn = 0.0;
        for (int h = 0; h < hint::kHandCount; ++h)
            turn += double(graph.rollAll[std::size_t(h)]) * keeps[hint::kFirstHand + h][0];
        HintChoice roll;
        roll.expectedFinal = card.banked + turn;
        advice.choices.push_back(roll);
        return advice;
    }

    const int hand = handKeep - hint::kFirstHand;
    for (std::size_t i = 0; i < open.size(); ++i) {
        HintChoice choice;
        choice.kind = HintChoice::Kind::Score;
        choice.category = open[i];
        const bool doubled = bonusGame && open[i] == position.bonusFace;
        choice.points = scores.score[doubled ? 1 : 0][std::size_t(open[i])][std::size_t(hand)];
        choice.expectedFinal = card.banked + double(byCategory[i][std::size_t(hand)]);
        advice.choices.push_back(choice);
    }
    if (position.rolls < 3) {
        // The keeps' values with one roll left, then, for the first roll, with two.
        hint::rollOnce<1>(keeps, graph);
        if (position.rolls == 1) {
            hint::chooseKeep<1>(keeps, graph);
            hint::rollOnce<1>(keeps, graph);
        }
        std::vector<bool> offered(hint::kKeepCount, false);
        for (unsigned subset = 0; subset < 31; ++subset) {
            std::array<int, 7> counts{};
            for (std::size_t d = 0; d < 5; ++d) {
                if (subset & (1u << d))
                    ++counts[std::size_t(position.hand[d])];
            }
            const int keep = graph.indexOf(counts);
            if (offered[std::size_t(keep)])
                continue;
            offered[std::size_t(keep)] = true;
            HintChoice choice;
            choice.held = heldFor(position.hand, graph.count[std::size_t(keep)]);
            choice.expectedFinal = card.banked + double(keeps[keep][0]);
            advice.choices.push_back(choice);
        }
    }
    std::stable_sort(advice.choices.begin(), advice.choices.end(),
                     [](const HintChoice &a, const HintChoice &b) { return a.expectedFinal > b.expectedFinal; });
    return advice;
}

} // namespace rules
