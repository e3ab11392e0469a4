#pragma once
// LZHUF: LZSS with a 4096-byte ring buffer (first 4036 bytes spaces), 60-byte
// look-ahead, matches of 3 or more, 314 adaptive Huffman symbols and match
// positions through a fixed 6-bit code plus 6 plain bits; bits packed most
// significant first, the last byte padded with zero bits.

#include <QByteArray>

namespace Lzhuf {

// Codes the whole input as one LZHUF bit stream (no header).
QByteArray encode(const QByteArray& input);

// Decodes an LZHUF bit stream until `size` bytes are produced or the stream runs
// out; the result is shorter than `size` when the stream ended early. Never reads
// past the end of `coded`, whatever it holds.
QByteArray decode(const QByteArray& coded, qint64 size);

} // namespace Lzhuf
