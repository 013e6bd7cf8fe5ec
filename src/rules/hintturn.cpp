#include "rules/hintturn.h"

namespace rules::hint {

namespace {

int codeOf(const std::array<int, 7> &counts)
{
    int code = 0;
    for (int face = 6; face >= 1; --face)
        code = code * 6 + counts[std::size_t(face)];
    return code;
}

// Every way to hold `size` dice, as counts of faces 1..6.
void addKeepsOfSize(int size, int face, std::array<int, 7> &counts,
                    std::array<std::array<quint8, 7>, kKeepCount> &out, int &next)
{
    if (face == 6) {
        counts[6] = size;
        for (std::size_t f = 0; f < 7; ++f)
            out[std::size_t(next)][f] = quint8(counts[f]);
        ++next;
        return;
    }
    for (int n = size; n >= 0; --n) {
        counts[std::size_t(face)] = n;
        addKeepsOfSize(size - n, face + 1, counts, out, next);
    }
    counts[std::size_t(face)] = 0;
}

} // namespace

KeepGraph::KeepGraph()
{
    byCode_.fill(-1);
    int next = 0;
    for (int size = 0; size <= 5; ++size) {
        std::array<int, 7> counts{};
        addKeepsOfSize(size, 1, counts, count, next);
    }
    for (int k = 0; k < kKeepCount; ++k) {
        std::array<int, 7> c{};
        for (std::size_t f = 0; f < 7; ++f)
            c[f] = count[std::size_t(k)][f];
        byCode_[std::size_t(codeOf(c))] = qint16(k);
    }

    // 5! / (n1! ... n6!) orders of 6^5 equally likely rolls.
    const std::array<int, 6> factorial{1, 1, 2, 6, 24, 120};
    for (int k = 0; k < kKeepCount; ++k) {
        std::array<int, 7> c{};
        int size = 0;
        for (std::size_t f = 1; f <= 6; ++f) {
            c[f] = count[std::size_t(k)][f];
            size += c[f];
        }
        plusFace[std::size_t(k)].fill(-1);
        minusFace[std::size_t(k)].fill(-1);
        int dropped = 0;
        for (std::size_t f = 1; f <= 6; ++f) {
            if (size < 5) {
                ++c[f];
                plusFace[std::size_t(k)][f - 1] = byCode_[std::size_t(codeOf(c))];
                --c[f];
            }
            if (c[f] > 0) {
                --c[f];
                minusFace[std::size_t(k)][std::size_t(dropped++)] = byCode_[std::size_t(codeOf(c))];
                ++c[f];
            }
        }
        if (size == 5) {
            const std::size_t h = std::size_t(k - kFirstHand);
            std::size_t at = 0;
            int orders = factorial[5];
            for (std::size_t f = 1; f <= 6; ++f) {
                orders /= factorial[std::size_t(c[f])];
                for (int n = 0; n < c[f]; ++n)
                    hands[h][at++] = int(f);
            }
            rollAll[h] = float(orders) / 7776.0f;
        }
    }
}

const KeepGraph &KeepGraph::get()
{
    static const KeepGraph graph;
    return graph;
}

int KeepGraph::indexOf(const std::array<int, 7> &counts) const
{
    int size = 0;
    for (std::size_t f = 1; f <= 6; ++f) {
        if (counts[f] < 0)
            return -1;
        size += counts[f];
    }
    if (size > 5)
        return -1;
    std::array<int, 7> c = counts;
    c[0] = 0;
    return byCode_[std::size_t(codeOf(c))];
}

int KeepGraph::indexOf(const Hand &hand) const
{
    std::array<int, 7> counts{};
    for (int face : hand) {
        if (face < 1 || face > 6)
            return -1;
        ++counts[std::size_t(face)];
    }
    return indexOf(counts);
}

} // namespace rules::hint
