#include "rules/hinttable.h"

#include "rules/hintturn.h"

#include <algorithm>
#include <bit>
#include <set>
#include <thread>

namespace rules {

namespace {

constexpr quint16 bitOf(int category) { return quint16(1u << (category - 1)); }

constexpr std::array<int, 5> kLowerBonusCategories{FourKind, FullHouse, SmStraight, BigStraight,
                                                   Freebie};

// Every score a category can make: over all hands and, in a bonus dice game, all bonus faces.
std::vector<int> possibleScores(int category, HintVariant variant)
{
    std::set<int> scores;
    const auto &graph = hint::KeepGraph::get();
    for (const Hand &hand : graph.hands) {
        scores.insert(scoreFor(hand, category));
        if (variant == HintVariant::BonusDice) {
            for (int face = 1; face <= 6; ++face)
                scores.insert(scoreFor(hand, category, {true, face}));
        }
    }
    return {scores.begin(), scores.end()};
}

} // namespace

HintIndex::Classes HintIndex::classesFor(const std::vector<std::vector<int>> &scores, int threshold,
                                         const std::vector<int> &maxima)
{
    // Totals past the threshold are all alike: they are held as the threshold.
    std::vector<bool> reachable(std::size_t(threshold + 1), false);
    reachable[0] = true;
    for (const auto &categoryScores : scores) {
        std::vector<bool> next(reachable.size(), false);
        for (int total = 0; total <= threshold; ++total) {
            if (!reachable[std::size_t(total)])
                continue;
            for (int score : categoryScores)
                next[std::size_t(std::min(total + score, threshold))] = true;
        }
        reachable = std::move(next);
    }
    int stillPossible = 0;
    for (int maximum : maxima)
        stillPossible += maximum;

    const auto settled = [&](int total) {
        return total >= threshold || total + stillPossible < threshold;
    };
    Classes classes;
    classes.classOf.assign(std::size_t(threshold + 1), -1);
    bool anySettled = false;
    for (int total = 0; total <= threshold; ++total) {
        if (!reachable[std::size_t(total)])
            continue;
        if (settled(total)) {
            anySettled = true;
        } else {
            classes.classOf[std::size_t(total)] = qint16(classes.totals.size());
            classes.totals.push_back(qint16(total));
        }
    }
    if (anySettled) {
        // A total that can no longer reach the threshold plays on as one past it: neither
        // will bring the bonus.
        const auto settledClass = qint16(classes.totals.size());
        classes.totals.push_back(qint16(threshold));
        for (int total = 0; total <= threshold; ++total) {
            if ((reachable[std::size_t(total)] && settled(total)) || total == threshold)
                classes.classOf[std::size_t(total)] = settledClass;
        }
    }
    return classes;
}

HintIndex::HintIndex(HintRules rules) : rules_(rules)
{
    for (int c = Ones; c <= Freebie; ++c)
        scores_[std::size_t(c)] = rules_.hasCategory(c) ? possibleScores(c, rules_.variant)
                                                         : std::vector<int>{0};
    const auto maximum = [&](int c) { return scores_[std::size_t(c)].back(); };

    for (int key = 0; key < 64; ++key) {
        std::vector<std::vector<int>> scores;
        std::vector<int> maxima;
        for (int c = Ones; c <= Sixes; ++c) {
            if (key & bitOf(c))
                scores.push_back(scores_[std::size_t(c)]);
            else
                maxima.push_back(maximum(c));
        }
        upper_[std::size_t(key)] = classesFor(scores, kUpperBonusThreshold, maxima);
    }
    for (int key = 0; key < 32; ++key) {
        std::vector<std::vector<int>> scores;
        std::vector<int> maxima;
        for (std::size_t i = 0; i < kLowerBonusCategories.size(); ++i) {
            const int c = kLowerBonusCategories[i];
            if (key & (1 << i))
                scores.push_back(scores_[std::size_t(c)]);
            else
                maxima.push_back(maximum(c));
        }
        lower_[std::size_t(key)] = classesFor(scores, kLowerBonusThreshold, maxima);
    }

    // Categories out of play count as used from the start.
    const quint16 outOfPlay = quint16(~rules_.categories & HintRules::kAllCategories);
    for (int used = 0; used <= HintRules::kAllCategories; ++used) {
        if ((used & outOfPlay) != outOfPlay) {
            first_[std::size_t(used)] = -1;
            continue;
        }
        first_[std::size_t(used)] = size_;
        size_ += qint64(upper_[std::size_t(upperKey(quint16(used)))].totals.size())
            * qint64(lower_[std::size_t(lowerKey(quint16(used)))].totals.size());
    }
}

int HintIndex::upperClass(quint16 used, int upperTotal) const
{
    if (upperTotal < 0)
        return -1;
    return upper_[std::size_t(upperKey(used))]
        .classOf[std::size_t(std::min(upperTotal, kUpperBonusThreshold))];
}

int HintIndex::lowerClass(quint16 used, int lowerSum) const
{
    if (lowerSum < 0)
        return -1;
    return lower_[std::size_t(lowerKey(used))]
        .classOf[std::size_t(std::min(lowerSum, kLowerBonusThreshold))];
}

qint64 HintIndex::positionOf(quint16 used, int upperTotal, int lowerSum) const
{
    if (used > HintRules::kAllCategories || first_[used] < 0)
        return -1;
    const int u = upperClass(used, upperTotal);
    const int l = lowerClass(used, lowerSum);
    if (u < 0 || l < 0)
        return -1;
    return first_[used] + qint64(u) * qint64(lowerSums(used).size()) + l;
}

HintTable::HintTable(HintRules rules) : index_(rules), values_(std::size_t(index_.size()), 0.0f) {}

std::optional<double> HintTable::pointsToCome(quint16 used, int upperTotal, int lowerSum) const
{
    const qint64 at = index_.positionOf(used, upperTotal, lowerSum);
    if (at < 0 || std::size_t(at) >= values_.size())
        return std::nullopt;
    return values_[std::size_t(at)];
}

std::optional<double> HintTable::expectedFinal(const ScoreCells &cells) const
{
    const CardPosition card = cardPosition(cells, rules());
    if (!card.valid)
        return std::nullopt;
    const auto toCome = pointsToCome(card.used, card.upperTotal, card.lowerSum);
    if (!toCome)
        return std::nullopt;
    return card.banked + *toCome;
}

CardPosition cardPosition(const ScoreCells &cells, const HintRules &rules)
{
    CardPosition card;
    card.valid = true;
    for (int c = Ones; c <= Freebie; ++c) {
        const qint32 cell = cells[std::size_t(c)];
        if (cell == kEmptyCell) {
            if (!rules.hasCategory(c))
                card.used |= bitOf(c);
            continue;
        }
        if (!rules.hasCategory(c) || cell < 0 || cell >= kEmptyCell) {
            card.valid = false;
            continue;
        }
        card.used |= bitOf(c);
        card.banked += cell;
        if (isNumberRow(c))
            card.upperTotal += cell;
        else if (countsForLowerBonus(c))
            card.lowerSum += cell;
    }
    if (card.upperTotal >= kUpperBonusThreshold)
        card.banked += kUpperBonus;
    if (card.lowerSum >= kLowerBonusThreshold)
        card.banked += kLowerBonus;
    return card;
}

namespace {

// Positions computed side by side: one per lane.
constexpr int kLanes = 16;

// A category's scores for every hand: an index into its distinct scores.
struct ScoreSlots {
    std::vector<int> scores;
    std::array<quint8, hint::kHandCount> slotOfHand{};
};

ScoreSlots slotsFor(int category, BonusDie bonus)
{
    const auto &graph = hint::KeepGraph::get();
    ScoreSlots slots;
    std::array<int, hint::kHandCount> byHand{};
    for (std::size_t h = 0; h < graph.hands.size(); ++h) {
        byHand[h] = scoreFor(graph.hands[h], category, bonus);
        if (std::find(slots.scores.begin(), slots.scores.end(), byHand[h]) == slots.scores.end())
            slots.scores.push_back(byHand[h]);
    }
    for (std::size_t h = 0; h < graph.hands.size(); ++h) {
        slots.slotOfHand[h] = quint8(std::find(slots.scores.begin(), slots.scores.end(), byHand[h])
                                     - slots.scores.begin());
    }
    return slots;
}

class Builder {
public:
    explicit Builder(HintTable &table) : table_(table), index_(table.index())
    {
        for (int c = Ones; c <= Freebie; ++c) {
            plain_[std::size_t(c)] = slotsFor(c, {});
            doubled_[std::size_t(c)] = isNumberRow(c) ? slotsFor(c, {true, c}) : plain_[std::size_t(c)];
        }
    }

    // The turns the bonus face can give a position with these categories used, each with its
    // chance: one per free number row its face would double, one for all the other faces.
    std::vector<std::pair<int, float>> faceGroups(quint16 used) const
    {
        if (table_.rules().variant == HintVariant::Plain)
            return {{0, 1.0f}};
        std::vector<std::pair<int, float>> groups;
        float others = 0.0f;
        for (int face = 1; face <= 6; ++face) {
            if (index_.rules().hasCategory(face) && !(used & bitOf(face)))
                groups.emplace_back(face, 1.0f / 6.0f);
            else
                others += 1.0f / 6.0f;
        }
        if (others > 0.0f)
            groups.emplace_back(0, others);
        return groups;
    }

    // How much computing the positions of a set of used categories takes, in turns solved.
    qint64 work(quint16 used) const
    {
        return qint64(index_.upperTotals(used).size() * index_.lowerSums(used).size())
            * qint64(faceGroups(used).size());
    }

    void solve(quint16 used);

private:
    struct Lanes {
        alignas(64) hint::KeepValues<kLanes> keeps;
        // successor[category][doubled][slot][lane]: the score and what follows it.
        std::vector<float> successor[kCategoryCount + 1][2];
    };

    void fillSuccessors(Lanes &lanes, quint16 used, int category, bool doubled,
                        const std::array<int, kLanes> &upper, const std::array<int, kLanes> &lower) const;

    HintTable &table_;
    const HintIndex &index_;
    std::array<ScoreSlots, kCategoryCount + 1> plain_;
    std::array<ScoreSlots, kCategoryCount + 1> doubled_;
};

void Builder::fillSuccessors(Lanes &lanes, quint16 used, int category, bool doubled,
                             const std::array<int, kLanes> &upper,
                             const std::array<int, kLanes> &lower) const
{
    const ScoreSlots &slots = doubled ? doubled_[std::size_t(category)] : plain_[std::size_t(category)];
    std::vector<float> &out = lanes.successor[category][doubled ? 1 : 0];
    out.resize(slots.scores.size() * kLanes);
    const quint16 next = used | bitOf(category);
    const auto &values = table_.values();
    for (std::size_t s = 0; s < slots.scores.size(); ++s) {
        const int score = slots.scores[s];
        for (int w = 0; w < kLanes; ++w) {
            int u = upper[std::size_t(w)];
            int l = lower[std::size_t(w)];
            int bonus = 0;
            if (isNumberRow(category)) {
                if (u < kUpperBonusThreshold && u + score >= kUpperBonusThreshold)
                    bonus = kUpperBonus;
                u += score;
            } else if (countsForLowerBonus(category)) {
                if (l < kLowerBonusThreshold && l + score >= kLowerBonusThreshold)
                    bonus = kLowerBonus;
                l += score;
            }
            const qint64 at = index_.positionOf(next, u, l);
            Q_ASSERT(at >= 0);
            out[s * kLanes + std::size_t(w)] = float(score + bonus) + values[std::size_t(at)];
        }
    }
}

void Builder::solve(quint16 used)
{
    thread_local Lanes lanes;
    const auto &graph = hint::KeepGraph::get();
    std::vector<int> open;
    for (int c = Ones; c <= Freebie; ++c) {
        if (!(used & bitOf(c)))
            open.push_back(c);
    }
    if (open.empty())
        return;
    const bool bonusGame = table_.rules().variant == HintVariant::BonusDice;
    const auto groups = faceGroups(used);
    const auto &uppers = index_.upperTotals(used);
    const auto &lowers = index_.lowerSums(used);
    const qint64 count = qint64(uppers.size() * lowers.size());
    const qint64 first = index_.firstOf(used);
    auto &values = table_.values();

    for (qint64 start = 0; start < count; start += kLanes) {
        std::array<int, kLanes> upper{};
        std::array<int, kLanes> lower{};
        for (int w = 0; w < kLanes; ++w) {
            // Lanes past the last position repeat it.
            const qint64 at = std::min(start + w, count - 1);
            upper[std::size_t(w)] = uppers[std::size_t(at / qint64(lowers.size()))];
            lower[std::size_t(w)] = lowers[std::size_t(at % qint64(lowers.size()))];
        }
        for (int c : open) {
            fillSuccessors(lanes, used, c, false, upper, lower);
            if (bonusGame && isNumberRow(c))
                fillSuccessors(lanes, used, c, true, upper, lower);
        }

        std::array<float, kLanes> total{};
        for (const auto &[face, chance] : groups) {
            for (int h = 0; h < hint::kHandCount; ++h) {
                float best[kLanes];
                for (int w = 0; w < kLanes; ++w)
                    best[w] = -1.0f;
                for (int c : open) {
                    const bool doubled = c == face;
                    const ScoreSlots &slots = doubled ? doubled_[std::size_t(c)] : plain_[std::size_t(c)];
                    const float *row = lanes.successor[c][doubled ? 1 : 0].data()
                        + std::size_t(slots.slotOfHand[std::size_t(h)]) * kLanes;
                    for (int w = 0; w < kLanes; ++w)
                        best[w] = best[w] > row[w] ? best[w] : row[w];
                }
                for (int w = 0; w < kLanes; ++w)
                    lanes.keeps[hint::kFirstHand + h][w] = best[w];
            }
            hint::rollOnce<kLanes>(lanes.keeps, graph);
            hint::chooseKeep<kLanes>(lanes.keeps, graph);
            hint::rollOnce<kLanes>(lanes.keeps, graph);
            hint::chooseKeep<kLanes>(lanes.keeps, graph);
            std::array<float, kLanes> turn{};
            for (int h = 0; h < hint::kHandCount; ++h) {
                const float p = graph.rollAll[std::size_t(h)];
                const float *v = lanes.keeps[hint::kFirstHand + h];
                for (int w = 0; w < kLanes; ++w)
                    turn[std::size_t(w)] += p * v[w];
            }
            for (int w = 0; w < kLanes; ++w)
                total[std::size_t(w)] += chance * turn[std::size_t(w)];
        }
        for (int w = 0; w < kLanes && start + w < count; ++w)
            values[std::size_t(first + start + w)] = total[std::size_t(w)];
    }
}

} // namespace

std::optional<HintTable> buildHintTable(HintRules rules, const HintBuildControl &control)
{
    if (!rules.isValid())
        return std::nullopt;
    HintTable table(rules);
    Builder builder(table);
    const HintIndex &index = table.index();

    // A turn fills one category, so the sets of used categories of one size depend only on
    // the sets one larger: each size is computed in parallel, from the full card down.
    std::array<std::vector<quint16>, kCategoryCount + 1> bySize;
    qint64 totalWork = 0;
    for (int used = 0; used < HintRules::kAllCategories; ++used) {
        if (index.firstOf(quint16(used)) < 0)
            continue;
        bySize[std::size_t(std::popcount(unsigned(used)))].push_back(quint16(used));
        totalWork += builder.work(quint16(used));
    }

    const auto cancelled = [&] { return control.cancel && control.cancel->load(); };
    const int threads = control.threads > 0
        ? control.threads
        : std::max(1, int(std::thread::hardware_concurrency()));
    std::atomic<qint64> workDone{0};
    int reported = -1;
    const auto report = [&](int percent) {
        if (control.progress && percent != reported) {
            reported = percent;
            control.progress(percent);
        }
    };
    report(0);

    for (int size = kCategoryCount - 1; size >= 0; --size) {
        const auto &sets = bySize[std::size_t(size)];
        std::atomic<std::size_t> next{0};
        const auto work = [&](bool reporting) {
            for (std::size_t i = next++; i < sets.size() && !cancelled(); i = next++) {
                builder.solve(sets[i]);
                workDone += builder.work(sets[i]);
                if (reporting)
                    report(int(workDone.load() * 99 / std::max<qint64>(totalWork, 1)));
            }
        };
        std::vector<std::thread> helpers;
        for (int t = 1; t < threads && std::size_t(t) < sets.size(); ++t)
            helpers.emplace_back(work, false);
        work(true);
        for (auto &helper : helpers)
            helper.join();
        if (cancelled())
            return std::nullopt;
    }
    report(100);
    return table;
}

} // namespace rules
