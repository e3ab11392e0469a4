#include "tally/tallycoder.h"

#include "tally/lzhuf.h"

#include <QBuffer>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <vector>

TallyCoderError::TallyCoderError(const QString& message)
    : std::runtime_error(message.toStdString())
{
}

QString TallyCoderError::message() const
{
    return QString::fromStdString(what());
}

namespace {

const QByteArray lzrwSignature("WRZL");
const QByteArray lzhSignature("!HZL");
// Auto mode codes a large input Fast when LZRW1-KH shrinks its samples below this share.
constexpr int kAdviceThresholdPercent = 40;

QString readError(const QString& name)
{
    return QStringLiteral("Lzrw1 : Error reading from input file : ") + name;
}

QString writeError(const QString& name)
{
    return QStringLiteral("Lzrw1 : Error writing to output file : ") + name;
}

void writeAll(QIODevice& out, const char* data, qint64 size, const QString& outName)
{
    if (out.write(data, size) != size)
        throw TallyCoderError(writeError(outName));
}

void writeAll(QIODevice& out, const QByteArray& data, const QString& outName)
{
    writeAll(out, data.constData(), data.size(), outName);
}

QByteArray readExactly(QIODevice& in, qint64 count, const QString& inName)
{
    QByteArray data = in.read(count);
    if (data.size() != count)
        throw TallyCoderError(readError(inName));
    return data;
}

} // namespace

namespace Lzrw1kh {

namespace {

unsigned hashAt(const std::uint8_t* in, int p, int n)
{
    const unsigned b0 = in[p];
    const unsigned b1 = p + 1 < n ? in[p + 1] : 0;
    const unsigned b2 = p + 2 < n ? in[p + 2] : 0;
    const std::uint32_t product = ((((b0 << 4) ^ b1) << 4) ^ b2) * 40543u;
    return (product >> 4) & 0xFFF;
}

void putWord(std::uint8_t* out, int at, unsigned value)
{
    out[at] = std::uint8_t(value >> 8);
    out[at + 1] = std::uint8_t(value);
}

} // namespace

int compressBlock(const std::uint8_t* in, int n, std::uint8_t* out, std::int16_t* hashTable)
{
    std::fill(hashTable, hashTable + hashSize, std::int16_t(-1));
    out[0] = 0x40;
    int controlAt = 1;
    int q = 3;
    unsigned control = 0;
    int items = 0;
    int p = 0;
    while (p < n && q <= n) {
        if (items == 16) {
            putWord(out, controlAt, control);
            controlAt = q;
            q += 2;
            control = 0;
            items = 0;
        }
        int run = 1;
        while (p + run < n && run < 4095 && in[p + run] == in[p])
            ++run;
        if (run >= 16) {
            out[q++] = 0;
            out[q++] = std::uint8_t((run - 16) >> 8);
            out[q++] = std::uint8_t((run - 16) & 0xFF);
            out[q++] = in[p];
            p += run;
            control = (control << 1) | 1;
        } else {
            const unsigned h = hashAt(in, p, n);
            const int candidate = hashTable[h];
            hashTable[h] = std::int16_t(p);
            int match = 0;
            if (candidate != -1 && p - candidate < 4096) {
                while (match < 18 && p + match < n && in[p + match] == in[candidate + match])
                    ++match;
            }
            if (match >= 3) {
                putWord(out, q, unsigned((p - candidate) << 4) + unsigned(match - 3));
                q += 2;
                p += match;
                control = (control << 1) | 1;
            } else {
                out[q++] = in[p++];
                control <<= 1;
            }
        }
        ++items;
    }
    putWord(out, controlAt, (control << (16 - items)) & 0xFFFF);
    if (q > n) {
        out[0] = 0x80;
        std::memcpy(out + 1, in, size_t(n));
        return n + 1;
    }
    return q;
}

int decompressBlock(const std::uint8_t* in, int length, std::uint8_t* out)
{
    if (length < 2)
        return 0;
    if (length > maxBlockSize)
        return -1;
    if (in[0] == 0x80) {
        std::memcpy(out, in + 1, size_t(length - 1));
        return length - 1;
    }
    if (length < 3)
        return -1;
    unsigned control = unsigned(in[1]) << 8 | in[2];
    int items = 0;
    int r = 3;
    int w = 0;
    while (r < length) {
        if (items == 16) {
            if (r + 2 > length)
                return -1;
            control = unsigned(in[r]) << 8 | in[r + 1];
            r += 2;
            items = 0;
            if (r >= length)
                return -1;
        }
        const bool literal = (control & 0x8000) == 0;
        control <<= 1;
        ++items;
        if (literal) {
            if (w >= pieceSize)
                return -1;
            out[w++] = in[r++];
            continue;
        }
        if (r + 2 > length)
            return -1;
        const int offset = in[r] * 16 + (in[r + 1] >> 4);
        if (offset != 0) {
            const int count = (in[r + 1] & 0x0F) + 3;
            r += 2;
            if (offset > w || w + count > pieceSize)
                return -1;
            for (int k = 0; k < count; ++k, ++w)
                out[w] = out[w - offset];
            continue;
        }
        if (r + 4 > length)
            return -1;
        const int count = (in[r + 1] << 8 | in[r + 2]) + 16;
        const std::uint8_t value = in[r + 3];
        r += 4;
        if (w + count > pieceSize)
            return -1;
        std::memset(out + w, value, size_t(count));
        w += count;
    }
    return w;
}

} // namespace Lzrw1kh

TallyCoder::TallyCoder()
    : hashTable(new (std::nothrow) std::int16_t[Lzrw1kh::hashSize])
{
    if (!hashTable)
        throw TallyCoderError(QStringLiteral("LZRW1KH : no memory for HASH table"));
}

TallyCoder::~TallyCoder() = default;

CompressionMode TallyCoder::advise(QIODevice& in, qint64 size)
{
    if (size <= 98303)
        return CompressionMode::Good;
    std::vector<std::uint8_t> out(Lzrw1kh::bufferSize);
    qint64 bytesRead = 0;
    qint64 coded = 0;
    for (qint64 at : { size / 3, size * 2 / 3 }) {
        if (!in.seek(at - at % Lzrw1kh::pieceSize))
            break;
        const QByteArray sample = in.read(Lzrw1kh::pieceSize);
        bytesRead += sample.size();
        coded += Lzrw1kh::compressBlock(reinterpret_cast<const std::uint8_t*>(sample.constData()),
                                        int(sample.size()), out.data(), hashTable.get());
    }
    in.seek(0);
    return coded < bytesRead * kAdviceThresholdPercent / 100 ? CompressionMode::Fast : CompressionMode::Good;
}

qint64 TallyCoder::compressStream(QIODevice& in, qint64 size, QIODevice& out, CompressionMode mode,
                              const QString& inName, const QString& outName)
{
    if (size > std::numeric_limits<qint32>::max())
        throw TallyCoderError(QStringLiteral("Lzrw1 compression : Failed to obtain the size of : ") + inName);
    if (mode == CompressionMode::Auto)
        mode = advise(in, size);
    QByteArray header(8, '\0');
    std::memcpy(header.data(), (mode == CompressionMode::Fast ? lzrwSignature : lzhSignature).constData(), 4);
    qToLittleEndian<qint32>(qint32(size), header.data() + 4);
    writeAll(out, header, outName);
    qint64 written = header.size();
    if (mode == CompressionMode::Good) {
        const QByteArray input = in.readAll();
        if (input.size() != size)
            throw TallyCoderError(readError(inName) + QStringLiteral(" (LZH)"));
        const QByteArray coded = Lzhuf::encode(input);
        writeAll(out, coded, outName);
        return written + coded.size();
    }
    std::vector<std::uint8_t> block(Lzrw1kh::bufferSize + 2);
    std::vector<char> piece(Lzrw1kh::pieceSize);
    qint64 got = 0;
    do {
        got = in.read(piece.data(), Lzrw1kh::pieceSize);
        if (got < 0)
            throw TallyCoderError(readError(inName) + QStringLiteral(" (LZRW1/KH)"));
        const int length = Lzrw1kh::compressBlock(reinterpret_cast<const std::uint8_t*>(piece.data()), int(got),
                                                  block.data() + 2, hashTable.get());
        qToLittleEndian<quint16>(quint16(length), block.data());
        writeAll(out, reinterpret_cast<const char*>(block.data()), length + 2, outName);
        written += length + 2;
    } while (got == Lzrw1kh::pieceSize);
    return written;
}

qint64 TallyCoder::decompressBlocks(QIODevice& in, QIODevice& out, qint64 size, const QString& inName,
                                const QString& outName)
{
    const QString mismatch
        = QStringLiteral("Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !");
    const QString damaged = inName + QStringLiteral(" : Lzrw1 decompression : damaged block !");
    std::vector<std::uint8_t> piece(Lzrw1kh::pieceSize);
    qint64 written = 0;
    int produced = 0;
    do {
        const QByteArray lengthBytes = readExactly(in, 2, inName);
        const int length = qFromLittleEndian<quint16>(lengthBytes.constData());
        if (length > Lzrw1kh::maxBlockSize)
            throw TallyCoderError(damaged);
        const QByteArray block = readExactly(in, length, inName);
        produced = Lzrw1kh::decompressBlock(reinterpret_cast<const std::uint8_t*>(block.constData()), length,
                                            piece.data());
        if (produced < 0)
            throw TallyCoderError(damaged);
        if (written + produced > size)
            throw TallyCoderError(mismatch);
        writeAll(out, reinterpret_cast<const char*>(piece.data()), produced, outName);
        written += produced;
    } while (produced == Lzrw1kh::pieceSize);
    if (written != size)
        throw TallyCoderError(mismatch);
    return written;
}

qint64 TallyCoder::decompressStream(QIODevice& in, QIODevice& out, const QString& inName, const QString& outName)
{
    const QByteArray signature = in.read(4);
    if (signature.size() == 4 && signature != lzrwSignature && signature != lzhSignature)
        throw TallyCoderError(inName + QStringLiteral(" : Lzrw1 decompression : this file has no valid header !"));
    if (signature.size() != 4)
        throw TallyCoderError(readError(inName));
    const qint32 size = qFromLittleEndian<qint32>(readExactly(in, 4, inName).constData());
    if (signature == lzrwSignature)
        return decompressBlocks(in, out, size, inName, outName);
    const QByteArray decoded = Lzhuf::decode(in.readAll(), size);
    if (decoded.size() != size)
        throw TallyCoderError(QStringLiteral("Lzrw1 (LZH decompression) : Original and compressed sizes do not match !"));
    writeAll(out, decoded, outName);
    return decoded.size();
}

QByteArray TallyCoder::compress(const QByteArray& data, CompressionMode mode)
{
    QByteArray source = data;
    QBuffer in(&source);
    in.open(QIODevice::ReadOnly);
    QByteArray result;
    QBuffer out(&result);
    out.open(QIODevice::WriteOnly);
    compressStream(in, data.size(), out, mode, QStringLiteral("memory"), QStringLiteral("memory"));
    out.close();
    return result;
}

QByteArray TallyCoder::decompress(const QByteArray& container, const QString& name)
{
    QByteArray source = container;
    QBuffer in(&source);
    in.open(QIODevice::ReadOnly);
    QByteArray result;
    QBuffer out(&result);
    out.open(QIODevice::WriteOnly);
    decompressStream(in, out, name, QStringLiteral("memory"));
    out.close();
    return result;
}
