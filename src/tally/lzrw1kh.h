#pragma once

#include <QtGlobal>

#include <memory>

// The LZRW1/KH block format: every piece of at most 32768 bytes becomes one independent block.
namespace Lzrw1kh {

inline constexpr int kPieceSize = 32768;
// The coder may run up to this many bytes past n before it notices the block is no smaller.
inline constexpr int kSlack = 16;
inline constexpr int kBufferSize = kPieceSize + kSlack;
inline constexpr int kMaxBlockSize = kPieceSize + 1;

inline constexpr quint8 kFlagCompressed = 0x40;
inline constexpr quint8 kFlagStored = 0x80;

inline constexpr int kHashSize = 4096;
inline constexpr quint32 kHashMultiplier = 40543;
inline constexpr int kWindow = 4096;
inline constexpr int kMinMatch = 3;
inline constexpr int kMaxMatch = 18;
inline constexpr int kMinRun = 16;
inline constexpr int kMaxRun = 4095;
inline constexpr int kItemsPerControlWord = 16;

} // namespace Lzrw1kh

// The block coder. Its hash table lives as long as the coder and is reset for every block.
class TLZR {
public:
    TLZR();

    // Encodes in[0..n) (n at most kPieceSize) into out, which has room for n + kSlack bytes,
    // and returns the block's length: a compressed block, or the stored piece when coding
    // would not make it smaller.
    int compress(const quint8 *in, int n, quint8 *out);

    // Decodes a block of `length` bytes into out (room for kPieceSize bytes) and returns the
    // piece's length, or -1 when the block is damaged: it would run past its own end, past the
    // piece, or copy from before the piece's start.
    static int decompress(const quint8 *in, int length, quint8 *out);

private:
    std::unique_ptr<qint16[]> hash_;
};
