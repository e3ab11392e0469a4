#pragma once
// TallyCoder: the file coder behind the tally file. A container starts with the
// signature "WRZL" (LZRW1-KH in 32 KiB blocks) or "!HZL" (LZHUF, adaptive
// Huffman LZSS) and the uncompressed size, little-endian.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <stdexcept>

class QIODevice;

// Every failure of the coder; the text says what went wrong.
class TallyCoderError : public std::runtime_error {
public:
    explicit TallyCoderError(const QString& message);
    // The error text as a QString.
    QString message() const;
};

enum class CompressionMode { Good, Fast, Auto };

namespace Lzrw1kh {

constexpr int pieceSize = 32768;
constexpr int maxBlockSize = pieceSize + 1;
constexpr int bufferSize = 32784;
constexpr int hashSize = 4096;

// Codes one piece of n (0..32768) bytes into out, which must hold bufferSize
// bytes; hashTable holds hashSize entries. Returns the block length (at most n + 1).
int compressBlock(const std::uint8_t* in, int n, std::uint8_t* out, std::int16_t* hashTable);

// Decodes one block of `length` bytes into out, which must hold pieceSize bytes.
// Returns the piece length, or -1 when the block is damaged. However the block was
// damaged, it never reads in[] at or past `length` and never writes out[] past pieceSize.
int decompressBlock(const std::uint8_t* in, int length, std::uint8_t* out);

} // namespace Lzrw1kh

class TallyCoder {
public:
    TallyCoder();
    ~TallyCoder();

    // Codes data in memory into a complete container. Auto picks Good for up to
    // 98303 bytes, otherwise Fast when two LZRW1-KH samples shrink below 40 percent, else Good.
    QByteArray compress(const QByteArray& data, CompressionMode mode);
    // Decodes a complete container held in memory; `name` is used in error texts.
    // Throws TallyCoderError on a damaged or truncated container.
    QByteArray decompress(const QByteArray& container, const QString& name = QStringLiteral("memory"));

private:
    CompressionMode advise(QIODevice& in, qint64 size);
    qint64 compressStream(QIODevice& in, qint64 size, QIODevice& out, CompressionMode mode,
                          const QString& inName, const QString& outName);
    qint64 decompressStream(QIODevice& in, QIODevice& out, const QString& inName, const QString& outName);
    qint64 decompressBlocks(QIODevice& in, QIODevice& out, qint64 size, const QString& inName,
                            const QString& outName);

    std::unique_ptr<std::int16_t[]> hashTable;
};
