// Feeds arbitrary bytes to the tally file reader: the container, each block on its own, and
// the text dump. Nothing may be read or written out of bounds, whatever the input.
#include "tally/lzrw1.h"
#include "tally/tallytable.h"

#include <QByteArrayView>

#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Tlzrw1 doit;
    const QByteArrayView input(data, qsizetype(size));

    // The block alone, into a piece of exactly its size, so that AddressSanitizer sees any
    // write past it.
    if (size <= 0xFFFF) {
        const auto piece = std::make_unique<quint8[]>(Lzrw1kh::kPieceSize);
        const int decoded = TLZR::decompress(data, int(size), piece.get());
        if (decoded > Lzrw1kh::kPieceSize)
            std::abort();
    }

    try {
        const QByteArray text = doit.decompress(input, QStringLiteral("fuzz"));
        // What was read is written back the same.
        if (doit.decompress(doit.compress(text), QString()) != text)
            std::abort();
        try {
            const TallyTable table = TallyTable::fromDump(text);
            if (table.rowCount() < 1)
                std::abort();
        } catch (const TallyError &) {
        }
    } catch (const ELzrw1Exception &) {
    }

    // The same bytes as a dump, and as a text to pack and unpack.
    try {
        TallyTable::fromDump(input);
    } catch (const TallyError &) {
    }
    if (doit.decompress(doit.compress(input), QString()) != input)
        std::abort();
    return 0;
}
