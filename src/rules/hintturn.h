#pragma once

#include "rules/scoring.h"

#include <array>

// One turn of the hint's policy: the dice a player may keep and the best value of every way to
// go on. The table builder runs it for many positions side by side (W lanes, one position
// each, so that the compiler can use vector instructions); the best-move query runs it for one.
namespace rules::hint {

// The multisets of at most five faces ("keeps"), ordered by size: the empty keep first, the
// 252 five-dice hands last. Keeping all five is the same as scoring now.
inline constexpr int kKeepCount = 462;
inline constexpr int kHandCount = 252;
inline constexpr int kFirstHand = kKeepCount - kHandCount;
inline constexpr int kMaxDropped = 5;

struct KeepGraph {
    // How many dice of each face 1..6 the keep holds (index 0 unused).
    std::array<std::array<quint8, 7>, kKeepCount> count{};
    // The keep with one more die of face f+1; only for keeps of fewer than five dice.
    std::array<std::array<qint16, 6>, kKeepCount> plusFace{};
    // The keeps with one die fewer, one per face the keep holds; -1 after the last.
    std::array<std::array<qint16, kMaxDropped>, kKeepCount> minusFace{};
    // The faces of each hand in ascending order.
    std::array<Hand, kHandCount> hands{};
    // How likely each hand is when all five dice are rolled.
    std::array<float, kHandCount> rollAll{};

    static const KeepGraph &get();
    // The keep that holds counts[face] dice of each face (index 0 unused); -1 when it holds
    // more than five dice.
    int indexOf(const std::array<int, 7> &counts) const;
    int indexOf(const Hand &hand) const;

private:
    KeepGraph();
    std::array<qint16, 46656> byCode_{};
};

// `lanes[k][w]`: a value of keep k in lane w.
template <int W>
using KeepValues = float[kKeepCount][W];

// Turns the values of the hands (a player who holds them has no roll left) into the values of
// the keeps one roll earlier: a keep is worth the mean over the face of its next die.
template <int W>
void rollOnce(KeepValues<W> &v, const KeepGraph &graph)
{
    for (int k = kFirstHand - 1; k >= 0; --k) {
        const auto &next = graph.plusFace[std::size_t(k)];
        // Summed apart from the table, so that the compiler sees no overlap and uses vectors.
        float sum[W];
        for (int w = 0; w < W; ++w)
            sum[w] = v[next[0]][w];
        for (std::size_t f = 1; f < next.size(); ++f) {
            const float *face = v[next[f]];
            for (int w = 0; w < W; ++w)
                sum[w] += face[w];
        }
        for (int w = 0; w < W; ++w)
            v[k][w] = sum[w] * (1.0f / 6.0f);
    }
}

// Turns the values of the keeps into the best value a player can reach from each keep by
// letting go of some of its dice; on the hands that is the value of the best choice with the
// roll that the keeps' values assumed still to come.
template <int W>
void chooseKeep(KeepValues<W> &v, const KeepGraph &graph)
{
    for (int k = 1; k < kKeepCount; ++k) {
        float best[W];
        for (int w = 0; w < W; ++w)
            best[w] = v[k][w];
        for (int d : graph.minusFace[std::size_t(k)]) {
            if (d < 0)
                break;
            const float *smaller = v[d];
            for (int w = 0; w < W; ++w)
                best[w] = best[w] > smaller[w] ? best[w] : smaller[w];
        }
        for (int w = 0; w < W; ++w)
            v[k][w] = best[w];
    }
}

} // namespace rules::hint
