#pragma once

#include "rules/scoring.h"

#include <array>
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

// The hint's table: for every turn-start position of a card that best play can meet, the
// points still to come (scores and bonuses) when the card is played to its end so as to make
// that number as large as possible. A position is the set of used categories, the upper total
// as far as it matters for the upper bonus, and the lower bonus's sum as far as it matters for
// the lower bonus; once a bonus is reached or out of reach, its total no longer matters and
// such positions share one entry.
namespace rules {

enum class HintVariant : quint8 {
    Plain = 0,     // the plain game; team games too (the partners play one card)
    BonusDice = 1, // each turn's bonus face doubles its number row
};

// The game a table is for: its variant and the categories in play. The whole game has all
// twelve; fewer make small tables for tests (the others count as used from the start).
struct HintRules {
    static constexpr quint16 kAllCategories = 0x0FFF;

    HintVariant variant = HintVariant::Plain;
    quint16 categories = kAllCategories; // bit c-1 for category c

    bool hasCategory(int category) const
    {
        return isCategory(category) && (categories >> (category - 1) & 1u) != 0;
    }
    bool isValid() const { return categories != 0 && (categories & ~kAllCategories) == 0; }
    bool operator==(const HintRules &) const = default;
};

// Which positions exist and where each one's value is kept.
class HintIndex {
public:
    explicit HintIndex(HintRules rules);

    const HintRules &rules() const { return rules_; }
    // The number of positions.
    qint64 size() const { return size_; }

    // The entry of the position with these used categories (bit c-1 for category c), this
    // upper total and this sum of the lower bonus's categories; -1 when no game of these
    // rules can reach it. Totals at or past a bonus's threshold count as the threshold.
    qint64 positionOf(quint16 used, int upperTotal, int lowerSum) const;

    // ---- the layout, for the builder ----

    // Where the positions of a set of used categories begin; -1 for a set that leaves a
    // category out of play unused (out of play counts as used from the start).
    qint64 firstOf(quint16 used) const { return first_[used & HintRules::kAllCategories]; }
    // The distinct upper totals and lower sums of a set of used categories, in the order of
    // their entries: the entry of (upper class u, lower class l) is firstOf + u * lowers + l.
    // A settled total (reached or out of reach) is held as the threshold.
    const std::vector<qint16> &upperTotals(quint16 used) const { return upper_[upperKey(used)].totals; }
    const std::vector<qint16> &lowerSums(quint16 used) const { return lower_[lowerKey(used)].totals; }
    static int upperKey(quint16 used) { return used & 0x3F; }
    // The lower bonus's five categories (4 of a Kind to Big Straight, Freebie) as five bits.
    static int lowerKey(quint16 used) { return (used >> 6 & 0x0F) | (used >> 7 & 0x10); }

private:
    // The class of a total or sum as a set of used categories sees it; -1 when unreachable.
    int upperClass(quint16 used, int upperTotal) const;
    int lowerClass(quint16 used, int lowerSum) const;

    struct Classes {
        std::vector<qint16> totals;   // class -> total (the threshold when settled)
        std::vector<qint16> classOf;  // total 0..threshold -> class, -1 unreachable
    };
    static Classes classesFor(const std::vector<std::vector<int>> &scores, int threshold,
                              const std::vector<int> &maxima);

    HintRules rules_;
    qint64 size_ = 0;
    // The scores each category can make under these rules, bonus faces included.
    std::array<std::vector<int>, kCategoryCount + 1> scores_;
    std::array<Classes, 64> upper_;
    std::array<Classes, 32> lower_;
    std::array<qint64, 4096> first_{};
};

// How a build reports and stops. The progress callback runs on the thread that builds.
struct HintBuildControl {
    // Called with 0..100 as the build goes, at least once with 100 when it completes.
    std::function<void(int percent)> progress;
    // Set (from any thread) to stop the build; the build then returns nothing.
    const std::atomic<bool> *cancel = nullptr;
    // Threads to build with, the calling one included; 0 for one per processor.
    int threads = 0;
};

class HintTable {
public:
    // A table of these rules with every value zero, to be filled by a build or a file.
    explicit HintTable(HintRules rules);

    const HintRules &rules() const { return index_.rules(); }
    const HintIndex &index() const { return index_; }
    std::vector<float> &values() { return values_; }
    const std::vector<float> &values() const { return values_; }

    // The points still to come at the start of a turn (its bonus face not yet drawn) from the
    // position; nullopt for a position the rules cannot reach.
    std::optional<double> pointsToCome(quint16 used, int upperTotal, int lowerSum) const;

    // The expected grand total of the card when it is played best from the start of its next
    // turn; nullopt for a card these rules cannot reach.
    std::optional<double> expectedFinal(const ScoreCells &cells) const;

private:
    HintIndex index_;
    std::vector<float> values_;
};

// The points a card holds for sure: its scores and the bonuses it has reached (the lower one
// counted as soon as its sum is there, as 5 of a Kind will be scored by the end); with the used
// categories and the bonus totals as a table sees them. Cells holding kEmptyCell are unused.
struct CardPosition {
    quint16 used = 0;
    int upperTotal = 0;
    int lowerSum = 0;
    int banked = 0;
    bool valid = false; // every scored cell is a category of the rules, 0..999
};
CardPosition cardPosition(const ScoreCells &cells, const HintRules &rules);

// Computes the table by backward induction from the full card to the empty one; nullopt when
// cancelled.
std::optional<HintTable> buildHintTable(HintRules rules, const HintBuildControl &control = {});

} // namespace rules
