#include "tally/lzrw1kh.h"

#include "tally/lzrw1error.h"

#include <algorithm>
#include <cstring>
#include <new>

using namespace Lzrw1kh;

TLZR::TLZR()
    : hash_(new (std::nothrow) qint16[kHashSize])
{
    if (!hash_)
        throw ELzrw1KHCompressor(Lzrw1Error::hashTable());
}

int TLZR::compress(const quint8 *in, int n, quint8 *out)
{
    std::fill_n(hash_.get(), kHashSize, qint16(-1));
    out[0] = kFlagCompressed;
    int control = 1;
    int y = 3;
    int x = 0;
    int items = 0;
    quint16 word = 0;

    while (x < n && y <= n) {
        if (items == kItemsPerControlWord) {
            out[control] = quint8(word >> 8);
            out[control + 1] = quint8(word);
            control = y;
            y += 2;
            items = 0;
        }
        const quint8 first = in[x];
        const int runLimit = std::min(kMaxRun, n - x);
        int run = 1;
        while (run < runLimit && in[x + run] == first)
            ++run;

        if (run >= kMinRun) {
            out[y] = 0;
            out[y + 1] = quint8((run - kMinRun) >> 8);
            out[y + 2] = quint8(run - kMinRun);
            out[y + 3] = first;
            y += 4;
            x += run;
            word = quint16(word << 1 | 1);
        } else {
            // No match can start in the last two positions, so they need no hashing.
            int length = 0;
            int position = -1;
            if (x + 2 < n) {
                quint32 h = ((quint32(first) << 4 ^ in[x + 1]) << 4) ^ in[x + 2];
                h = ((h * kHashMultiplier) >> 4) & (kHashSize - 1);
                position = hash_[h];
                hash_[h] = qint16(x);
                if (position >= 0 && x - position < kWindow) {
                    const int limit = std::min(kMaxMatch, n - x);
                    const quint8 *a = in + x;
                    const quint8 *b = in + position;
                    while (length < limit && a[length] == b[length])
                        ++length;
                }
            }
            if (length >= kMinMatch) {
                const int item = (x - position) * 16 + (length - kMinMatch);
                out[y] = quint8(item >> 8);
                out[y + 1] = quint8(item);
                y += 2;
                x += length;
                word = quint16(word << 1 | 1);
            } else {
                out[y++] = first;
                ++x;
                word = quint16(word << 1);
            }
        }
        ++items;
    }
    word = items == 0 ? 0 : quint16(word << (kItemsPerControlWord - items));
    out[control] = quint8(word >> 8);
    out[control + 1] = quint8(word);

    if (y > n) {
        out[0] = kFlagStored;
        std::memcpy(out + 1, in, size_t(n));
        return n + 1;
    }
    return y;
}

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
    if (length < 3)
        return 0;

    const quint8 *ip = in + 3;
    const quint8 *const inEnd = in + length;
    quint8 *op = out;
    quint8 *const outEnd = out + kPieceSize;
    quint32 word = quint32(in[1]) << 8 | in[2];
    int bits = kItemsPerControlWord;

    while (ip < inEnd) {
        if (bits == 0) {
            // The writer never ends a block on a control word without an item after it.
            if (inEnd - ip < 3)
                return -1;
            word = quint32(ip[0]) << 8 | ip[1];
            ip += 2;
            bits = kItemsPerControlWord;
        }
        if (!(word & 0x8000)) {
            if (op == outEnd)
                return -1;
            *op++ = *ip++;
        } else {
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
                const quint8 *from = op - distance;
                if (distance >= 16 && outEnd - op >= kMaxMatch) {
                    // Two fixed-size moves, each no wider than the distance, so they repeat
                    // overlapping bytes as a byte-by-byte copy would; the bytes beyond count
                    // are overwritten by the next item.
                    std::memcpy(op, from, 16);
                    std::memcpy(op + 16, from + 16, 2);
                } else {
                    for (int i = 0; i < count; ++i)
                        op[i] = from[i];
                }
                op += count;
                ip += 2;
            }
        }
        word <<= 1;
        --bits;
    }
    return int(op - out);
}
