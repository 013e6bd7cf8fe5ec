#include "tally/lzrw1kh.h"

#include "tally/lzrw1error.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

using namespace Lzrw1kh;

namespace {

quint64 load64(const quint8 *from)
{
    quint64 value;
    std::memcpy(&value, from, sizeof value);
    return value;
}

// How many of the first `limit` bytes at a and b agree; eight at a time while there is room.
int matchLength(const quint8 *a, const quint8 *b, int limit)
{
    int length = 0;
    while (limit - length >= 8) {
        const quint64 differ = load64(a + length) ^ load64(b + length);
        if (differ != 0) {
            if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN)
                return length + std::countr_zero(differ) / 8;
            else
                return length + std::countl_zero(differ) / 8;
        }
        length += 8;
    }
    while (length < limit && a[length] == b[length])
        ++length;
    return length;
}

} // namespace

TLZR::TLZR()
    : hash_(new (std::nothrow) qint16[kHashSize])
{
    if (!hash_)
        throw ELzrw1KHCompressor(Lzrw1Error::hashTable());
}

int TLZR::compress(const quint8 *in, int n, quint8 *out)
{
    qint16 *const hash = hash_.get();
    std::fill_n(hash, kHashSize, qint16(-1));
    out[0] = kFlagCompressed;
    quint8 *control = out + 1;
    quint8 *op = out + 3;
    // Past this the block would be no smaller than the piece.
    const quint8 *const opLimit = out + n;
    int x = 0;
    int items = 0;
    quint32 word = 0;

    while (x < n && op <= opLimit) {
        if (items == kItemsPerControlWord) {
            control[0] = quint8(word >> 8);
            control[1] = quint8(word);
            control = op;
            op += 2;
            items = 0;
        }
        ++items;
        const quint8 first = in[x];
        if (x + 1 < n && in[x + 1] == first) {
            const int runLimit = std::min(kMaxRun, n - x);
            int run = 2;
            while (run < runLimit && in[x + run] == first)
                ++run;
            if (run >= kMinRun) {
                op[0] = 0;
                op[1] = quint8((run - kMinRun) >> 8);
                op[2] = quint8(run - kMinRun);
                op[3] = first;
                op += 4;
                x += run;
                word = word << 1 | 1;
                continue;
            }
        }
        // No match can start in the last two positions, so they need no hashing.
        if (x + 2 < n) {
            quint32 h = ((quint32(first) << 4 ^ in[x + 1]) << 4) ^ in[x + 2];
            h = ((h * kHashMultiplier) >> 4) & (kHashSize - 1);
            const int position = hash[h];
            hash[h] = qint16(x);
            if (position >= 0 && x - position < kWindow) {
                const int length = matchLength(in + x, in + position, std::min(kMaxMatch, n - x));
                if (length >= kMinMatch) {
                    const int item = (x - position) * 16 + (length - kMinMatch);
                    op[0] = quint8(item >> 8);
                    op[1] = quint8(item);
                    op += 2;
                    x += length;
                    word = word << 1 | 1;
                    continue;
                }
            }
        }
        *op++ = first;
        ++x;
        word <<= 1;
    }
    word = items == 0 ? 0 : word << (kItemsPerControlWord - items);
    control[0] = quint8(word >> 8);
    control[1] = quint8(word);

    if (op > opLimit) {
        out[0] = kFlagStored;
        // An empty piece may come without any memory behind it.
        if (n > 0)
            std::memcpy(out + 1, in, size_t(n));
        return n + 1;
    }
    return int(op - out);
}

namespace {

// Copies count (3 to 18) bytes from distance back, byte by byte as far as the result goes:
// moves no wider than the distance repeat overlapping bytes the same way. May write up to
// 24 bytes when there is room; the next item overwrites what lands beyond count.
inline void copyBack(quint8 *op, int distance, int count, qsizetype room)
{
    const quint8 *from = op - distance;
    if (distance >= 8 && room >= 24) {
        std::memcpy(op, from, 8);
        if (count > 8) {
            std::memcpy(op + 8, from + 8, 8);
            std::memcpy(op + 16, from + 16, 8);
        }
    } else {
        for (int i = 0; i < count; ++i)
            op[i] = from[i];
    }
}

} // namespace

int TLZR::decompress(const quint8 *in, int length, quint8 *out)
{
    if (length < 2)
        return 0;
    if (in[0] == kFlagStored) {
        if (length - 1 > kPieceSize)
            return -1;
        std::memcpy(out, in + 1, size_t(length - 1));
        return length - 1;
    }
    if (length <= 3)
        return 0;

    const quint8 *ip = in + 3;
    const quint8 *const inEnd = in + length;
    quint8 *op = out;
    quint8 *const outEnd = out + kPieceSize;
    quint32 word = quint32(in[1]) << 8 | in[2];
    int bits = kItemsPerControlWord;
    // A whole group of items fits in this much input and, runs aside, output.
    constexpr qsizetype kGroupIn = 2 * kItemsPerControlWord;
    constexpr qsizetype kGroupOut = 24 * kItemsPerControlWord;

    while (ip < inEnd) {
        if (bits == 0) {
            // The writer never ends a block on a control word without an item after it.
            if (inEnd - ip < 3)
                return -1;
            word = quint32(ip[0]) << 8 | ip[1];
            ip += 2;
            bits = kItemsPerControlWord;
        }
        if (bits == kItemsPerControlWord && inEnd - ip >= kGroupIn + 4 && outEnd - op >= kGroupOut) {
            // Room for the whole group: only a run needs its bounds checked.
            for (; bits > 0; --bits, word <<= 1) {
                if (!(word & 0x8000)) {
                    *op++ = *ip++;
                    continue;
                }
                const int distance = ip[0] << 4 | ip[1] >> 4;
                if (distance == 0)
                    break;
                if (distance > op - out)
                    return -1;
                copyBack(op, distance, (ip[1] & 0x0F) + kMinMatch, outEnd - op);
                op += (ip[1] & 0x0F) + kMinMatch;
                ip += 2;
            }
            if (bits == 0)
                continue;
        }
        if (!(word & 0x8000)) {
            // A stretch of literals at once. The unused low bits of the last control word are
            // zeros that stand for nothing: the block's end stops them.
            const int count = int(std::min<qsizetype>(std::min(std::countl_zero(quint16(word)), bits), inEnd - ip));
            if (outEnd - op < count)
                return -1;
            if (inEnd - ip >= kItemsPerControlWord && outEnd - op >= kItemsPerControlWord)
                std::memcpy(op, ip, kItemsPerControlWord);
            else
                std::memcpy(op, ip, size_t(count));
            op += count;
            ip += count;
            word <<= count;
            bits -= count;
            continue;
        }
        if (inEnd - ip < 2)
            return -1;
        const int distance = ip[0] << 4 | ip[1] >> 4;
        if (distance == 0) {
            if (inEnd - ip < 4)
                return -1;
            const int count = (ip[1] << 8 | ip[2]) + kMinRun;
            if (outEnd - op < count)
                return -1;
            std::memset(op, ip[3], size_t(count));
            op += count;
            ip += 4;
        } else {
            const int count = (ip[1] & 0x0F) + kMinMatch;
            if (distance > op - out || outEnd - op < count)
                return -1;
            copyBack(op, distance, count, outEnd - op);
            op += count;
            ip += 2;
        }
        word <<= 1;
        --bits;
    }
    return int(op - out);
}
