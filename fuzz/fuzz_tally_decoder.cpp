// Feeds arbitrary bytes to the tally file reader (the container decoder, the raw
// LZRW1-KH block decoder and the text dump reader) and checks that both codings
// give small inputs back unchanged.

#include "tally/tallycoder.h"
#include "tally/tallytable.h"

#include <cstddef>
#include <cstdlib>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static TallyCoder coder;
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const QByteArray text = coder.decompress(input);
        TallyTable::fromText(text).toText();
    } catch (const std::exception&) {
    }
    try {
        TallyTable::fromText(input);
    } catch (const TallyError&) {
    }
    if (size <= std::size_t(Lzrw1kh::maxBlockSize)) {
        std::vector<std::uint8_t> block(data, data + size);
        std::vector<std::uint8_t> piece(Lzrw1kh::pieceSize);
        Lzrw1kh::decompressBlock(block.data(), int(size), piece.data());
    }
    if (size <= 4096) {
        for (CompressionMode mode : { CompressionMode::Fast, CompressionMode::Good })
            if (coder.decompress(coder.compress(input, mode)) != input)
                std::abort();
    }
    return 0;
}
