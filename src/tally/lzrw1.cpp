#include "tally/lzrw1.h"

#include <QBuffer>
#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <vector>

ELzrw1Exception::ELzrw1Exception(const QString& message)
    : std::runtime_error(message.toStdString())
{
}

QString ELzrw1Exception::message() const
{
    return QString::fromStdString(what());
}

namespace {

const QByteArray lzrwSignature("WRZL");
const QByteArray lzhSignature("!HZL");

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
        throw ELzrw1Exception(writeError(outName));
}

void writeAll(QIODevice& out, const QByteArray& data, const QString& outName)
{
    writeAll(out, data.constData(), data.size(), outName);
}

QByteArray readExactly(QIODevice& in, qint64 count, const QString& inName)
{
    QByteArray data = in.read(count);
    if (data.size() != count)
        throw ELzrw1Exception(readError(inName));
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

namespace Lzhuf {

namespace {

constexpr int N = 4096;
constexpr int F = 60;
constexpr int threshold = 2;
constexpr int nil = N;
constexpr int charCount = 256 - threshold + F;
constexpr int T = charCount * 2 - 1;
constexpr int R = T - 1;
constexpr unsigned maxFreq = 0x8000;

struct PositionCode {
    std::array<std::uint8_t, 64> length {};
    std::array<std::uint8_t, 64> code {};
    std::array<std::uint8_t, 256> symbolOfByte {};
    std::array<std::uint8_t, 256> lengthOfByte {};

    PositionCode()
    {
        const int counts[] = { 1, 3, 8, 12, 24, 16 };
        int symbol = 0;
        for (int group = 0; group < 6; ++group)
            for (int k = 0; k < counts[group]; ++k)
                length[symbol++] = std::uint8_t(group + 3);
        unsigned next = 0;
        for (int s = 0; s < 64; ++s) {
            code[s] = std::uint8_t(next);
            const unsigned span = 1u << (8 - length[s]);
            for (unsigned b = next; b < next + span; ++b) {
                symbolOfByte[b] = std::uint8_t(s);
                lengthOfByte[b] = length[s];
            }
            next += span;
        }
    }
};

const PositionCode& positionCode()
{
    static const PositionCode table;
    return table;
}

class AdaptiveTree {
public:
    AdaptiveTree()
    {
        for (int i = 0; i < charCount; ++i) {
            freq[i] = 1;
            son[i] = i + T;
            prnt[i + T] = i;
        }
        for (int i = 0, j = charCount; j <= R; i += 2, ++j) {
            freq[j] = freq[i] + freq[i + 1];
            son[j] = i;
            prnt[i] = prnt[i + 1] = j;
        }
        freq[T] = 0xFFFF;
        prnt[R] = 0;
    }

    void update(int c)
    {
        if (freq[R] == maxFreq)
            rebuild();
        c = prnt[c + T];
        do {
            const unsigned k = ++freq[c];
            int l = c + 1;
            if (k > freq[l]) {
                while (k > freq[++l]) { }
                --l;
                freq[c] = freq[l];
                freq[l] = std::uint16_t(k);
                const int i = son[c];
                prnt[i] = l;
                if (i < T)
                    prnt[i + 1] = l;
                const int j = son[l];
                son[l] = i;
                prnt[j] = c;
                if (j < T)
                    prnt[j + 1] = c;
                son[c] = j;
                c = l;
            }
        } while ((c = prnt[c]) != 0);
    }

    std::array<std::uint16_t, T + 1> freq {};
    std::array<int, T + charCount> prnt {};
    std::array<int, T> son {};

private:
    void rebuild()
    {
        int j = 0;
        for (int i = 0; i < T; ++i) {
            if (son[i] >= T) {
                freq[j] = std::uint16_t((freq[i] + 1) / 2);
                son[j] = son[i];
                ++j;
            }
        }
        for (int i = 0, j = charCount; j < T; i += 2, ++j) {
            const unsigned f = unsigned(freq[i]) + freq[i + 1];
            freq[j] = std::uint16_t(f);
            int k = j - 1;
            while (f < freq[k])
                --k;
            ++k;
            std::copy_backward(freq.begin() + k, freq.begin() + j, freq.begin() + j + 1);
            freq[k] = std::uint16_t(f);
            std::copy_backward(son.begin() + k, son.begin() + j, son.begin() + j + 1);
            son[k] = i;
        }
        for (int i = 0; i < T; ++i) {
            const int k = son[i];
            if (k >= T)
                prnt[k] = i;
            else
                prnt[k] = prnt[k + 1] = i;
        }
    }
};

class BitWriter {
public:
    void put(unsigned value, int count)
    {
        for (int i = count - 1; i >= 0; --i) {
            accumulator = (accumulator << 1) | ((value >> i) & 1);
            if (++filled == 8) {
                bytes.append(char(accumulator));
                accumulator = 0;
                filled = 0;
            }
        }
    }
    QByteArray finish()
    {
        if (filled > 0)
            bytes.append(char(accumulator << (8 - filled)));
        filled = 0;
        return bytes;
    }

private:
    QByteArray bytes;
    unsigned accumulator = 0;
    int filled = 0;
};

class BitReader {
public:
    explicit BitReader(const QByteArray& data) : bytes(data) { }
    int bit()
    {
        if (position >= qint64(bytes.size()) * 8) {
            exhausted = true;
            return 0;
        }
        const int value = (std::uint8_t(bytes[position >> 3]) >> (7 - (position & 7))) & 1;
        ++position;
        return value;
    }
    unsigned bits(int count)
    {
        unsigned value = 0;
        for (int i = 0; i < count; ++i)
            value = (value << 1) | unsigned(bit());
        return value;
    }
    bool exhausted = false;

private:
    const QByteArray& bytes;
    qint64 position = 0;
};

class Encoder {
public:
    QByteArray run(const QByteArray& input);

private:
    void insertNode(int r);
    void deleteNode(int p);
    void encodeChar(int c);
    void encodePosition(int c);

    AdaptiveTree tree;
    BitWriter writer;
    std::vector<std::uint8_t> text = std::vector<std::uint8_t>(N + F - 1, 0);
    std::vector<int> lson = std::vector<int>(N + 257, nil);
    std::vector<int> rson = std::vector<int>(N + 257, nil);
    std::vector<int> dad = std::vector<int>(N + 1, nil);
    int matchPosition = 0;
    int matchLength = 0;
};

void Encoder::insertNode(int r)
{
    int cmp = 1;
    const std::uint8_t* key = &text[size_t(r)];
    int p = N + 1 + key[0];
    rson[r] = lson[r] = nil;
    matchLength = 0;
    for (;;) {
        if (cmp >= 0) {
            if (rson[p] != nil) {
                p = rson[p];
            } else {
                rson[p] = r;
                dad[r] = p;
                return;
            }
        } else {
            if (lson[p] != nil) {
                p = lson[p];
            } else {
                lson[p] = r;
                dad[r] = p;
                return;
            }
        }
        int i = 1;
        for (; i < F; ++i) {
            cmp = int(key[i]) - int(text[size_t(p + i)]);
            if (cmp != 0)
                break;
        }
        if (i > threshold) {
            const int distance = ((r - p) & (N - 1)) - 1;
            if (i > matchLength) {
                matchPosition = distance;
                matchLength = i;
                if (matchLength >= F)
                    break;
            }
            if (i == matchLength && distance < matchPosition)
                matchPosition = distance;
        }
    }
    dad[r] = dad[p];
    lson[r] = lson[p];
    rson[r] = rson[p];
    dad[lson[p]] = r;
    dad[rson[p]] = r;
    if (rson[dad[p]] == p)
        rson[dad[p]] = r;
    else
        lson[dad[p]] = r;
    dad[p] = nil;
}

void Encoder::deleteNode(int p)
{
    if (dad[p] == nil)
        return;
    int q;
    if (rson[p] == nil) {
        q = lson[p];
    } else if (lson[p] == nil) {
        q = rson[p];
    } else {
        q = lson[p];
        if (rson[q] != nil) {
            do {
                q = rson[q];
            } while (rson[q] != nil);
            rson[dad[q]] = lson[q];
            dad[lson[q]] = dad[q];
            lson[q] = lson[p];
            dad[lson[p]] = q;
        }
        rson[q] = rson[p];
        dad[rson[p]] = q;
    }
    dad[q] = dad[p];
    if (rson[dad[p]] == p)
        rson[dad[p]] = q;
    else
        lson[dad[p]] = q;
    dad[p] = nil;
}

void Encoder::encodeChar(int c)
{
    int path[T];
    int depth = 0;
    int k = tree.prnt[c + T];
    do {
        path[depth++] = k & 1;
        k = tree.prnt[k];
    } while (k != R);
    while (depth > 0)
        writer.put(unsigned(path[--depth]), 1);
    tree.update(c);
}

void Encoder::encodePosition(int c)
{
    const PositionCode& table = positionCode();
    const int upper = c >> 6;
    writer.put(unsigned(table.code[upper]) >> (8 - table.length[upper]), table.length[upper]);
    writer.put(unsigned(c & 0x3F), 6);
}

QByteArray Encoder::run(const QByteArray& input)
{
    const auto* data = reinterpret_cast<const std::uint8_t*>(input.constData());
    const qint64 size = input.size();
    qint64 next = 0;
    int s = 0;
    int r = N - F;
    std::fill(text.begin(), text.begin() + r, std::uint8_t(' '));
    int len = 0;
    while (len < F && next < size)
        text[size_t(r + len++)] = data[next++];
    if (len == 0)
        return {};
    for (int i = 1; i <= F; ++i)
        insertNode(r - i);
    insertNode(r);
    do {
        if (matchLength > len)
            matchLength = len;
        if (matchLength <= threshold) {
            matchLength = 1;
            encodeChar(text[size_t(r)]);
        } else {
            encodeChar(255 - threshold + matchLength);
            encodePosition(matchPosition);
        }
        const int lastMatchLength = matchLength;
        int i = 0;
        for (; i < lastMatchLength && next < size; ++i) {
            const std::uint8_t c = data[next++];
            deleteNode(s);
            text[size_t(s)] = c;
            if (s < F - 1)
                text[size_t(s + N)] = c;
            s = (s + 1) & (N - 1);
            r = (r + 1) & (N - 1);
            insertNode(r);
        }
        while (i++ < lastMatchLength) {
            deleteNode(s);
            s = (s + 1) & (N - 1);
            r = (r + 1) & (N - 1);
            if (--len)
                insertNode(r);
        }
    } while (len > 0);
    return writer.finish();
}

int decodeChar(AdaptiveTree& tree, BitReader& reader)
{
    int c = tree.son[R];
    while (c < T) {
        c += reader.bit();
        c = tree.son[c];
    }
    c -= T;
    tree.update(c);
    return c;
}

int decodePosition(BitReader& reader)
{
    const PositionCode& table = positionCode();
    unsigned i = reader.bits(8);
    const unsigned upper = unsigned(table.symbolOfByte[i]) << 6;
    const int extra = table.lengthOfByte[i] - 2;
    for (int j = 0; j < extra; ++j)
        i = (i << 1) | unsigned(reader.bit());
    return int(upper | (i & 0x3F));
}

} // namespace

QByteArray encode(const QByteArray& input)
{
    return Encoder().run(input);
}

QByteArray decode(const QByteArray& coded, qint64 size)
{
    QByteArray output;
    if (size <= 0)
        return output;
    output.reserve(int(std::min<qint64>(size, qint64(coded.size()) * 8 * F + F)));
    AdaptiveTree tree;
    BitReader reader(coded);
    std::array<std::uint8_t, N> ring;
    ring.fill(' ');
    int r = N - F;
    while (output.size() < size) {
        const int c = decodeChar(tree, reader);
        if (reader.exhausted)
            break;
        if (c < 256) {
            output.append(char(c));
            ring[size_t(r)] = std::uint8_t(c);
            r = (r + 1) & (N - 1);
            continue;
        }
        const int start = (r - decodePosition(reader) - 1) & (N - 1);
        if (reader.exhausted)
            break;
        const int count = c - 255 + threshold;
        for (int k = 0; k < count && output.size() < size; ++k) {
            const std::uint8_t b = ring[size_t((start + k) & (N - 1))];
            output.append(char(b));
            ring[size_t(r)] = b;
            r = (r + 1) & (N - 1);
        }
    }
    return output;
}

} // namespace Lzhuf

Tlzrw1::Tlzrw1()
    : hashTable(new (std::nothrow) std::int16_t[Lzrw1kh::hashSize])
{
    if (!hashTable)
        throw ELzrw1Exception(QStringLiteral("LZRW1KH : no memory for HASH table"));
}

Tlzrw1::~Tlzrw1() = default;

TCompressMode Tlzrw1::advise(QIODevice& in, qint64 size)
{
    if (size <= 98303) {
        AdviceText = QStringLiteral("Lzrw1 recommends GOOD compression :  small file !!");
        return TCompressMode::Good;
    }
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
    const bool fast = coded < bytesRead * Threshold / 100;
    AdviceText = fast ? QStringLiteral("Lzrw1 recommends FAST compression")
                      : QStringLiteral("Lzrw1 recommends GOOD compression");
    return fast ? TCompressMode::Fast : TCompressMode::Good;
}

qint64 Tlzrw1::compressStream(QIODevice& in, qint64 size, QIODevice& out, TCompressMode mode,
                              const QString& inName, const QString& outName)
{
    if (size > std::numeric_limits<qint32>::max())
        throw ELzrw1Exception(QStringLiteral("Lzrw1 compression : Failed to obtain the size of : ") + inName);
    if (mode == TCompressMode::Auto)
        mode = advise(in, size);
    QByteArray header(8, '\0');
    std::memcpy(header.data(), (mode == TCompressMode::Fast ? lzrwSignature : lzhSignature).constData(), 4);
    qToLittleEndian<qint32>(qint32(size), header.data() + 4);
    writeAll(out, header, outName);
    qint64 written = header.size();
    if (mode == TCompressMode::Good) {
        const QByteArray input = in.readAll();
        if (input.size() != size)
            throw ELzrw1Exception(readError(inName) + QStringLiteral(" (LZH)"));
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
            throw ELzrw1Exception(readError(inName) + QStringLiteral(" (LZRW1/KH)"));
        const int length = Lzrw1kh::compressBlock(reinterpret_cast<const std::uint8_t*>(piece.data()), int(got),
                                                  block.data() + 2, hashTable.get());
        qToLittleEndian<quint16>(quint16(length), block.data());
        writeAll(out, reinterpret_cast<const char*>(block.data()), length + 2, outName);
        written += length + 2;
    } while (got == Lzrw1kh::pieceSize);
    return written;
}

qint64 Tlzrw1::decompressBlocks(QIODevice& in, QIODevice& out, qint64 size, const QString& inName,
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
            throw ELzrw1Exception(damaged);
        const QByteArray block = readExactly(in, length, inName);
        produced = Lzrw1kh::decompressBlock(reinterpret_cast<const std::uint8_t*>(block.constData()), length,
                                            piece.data());
        if (produced < 0)
            throw ELzrw1Exception(damaged);
        if (written + produced > size)
            throw ELzrw1Exception(mismatch);
        writeAll(out, reinterpret_cast<const char*>(piece.data()), produced, outName);
        written += produced;
    } while (produced == Lzrw1kh::pieceSize);
    if (written != size)
        throw ELzrw1Exception(mismatch);
    return written;
}

qint64 Tlzrw1::decompressStream(QIODevice& in, QIODevice& out, const QString& inName, const QString& outName)
{
    const QByteArray signature = in.read(4);
    if (signature.size() == 4 && signature != lzrwSignature && signature != lzhSignature)
        throw ELzrw1Exception(inName + QStringLiteral(" : Lzrw1 decompression : this file has no valid header !"));
    if (signature.size() != 4)
        throw ELzrw1Exception(readError(inName));
    const qint32 size = qFromLittleEndian<qint32>(readExactly(in, 4, inName).constData());
    if (signature == lzrwSignature)
        return decompressBlocks(in, out, size, inName, outName);
    const QByteArray decoded = Lzhuf::decode(in.readAll(), size);
    if (decoded.size() != size)
        throw ELzrw1Exception(QStringLiteral("Lzrw1 (LZH decompression) : Original and compressed sizes do not match !"));
    writeAll(out, decoded, outName);
    return decoded.size();
}

namespace {

template <typename Operation>
qint64 runOnFiles(const QString& inName, const QString& outName, Operation operation)
{
    QFile input(inName);
    if (!input.open(QIODevice::ReadOnly))
        throw ELzrw1Exception(QStringLiteral("Lzrw1 (de)compression : Failed to open input file : ") + inName);
    QFile output(outName);
    if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw ELzrw1Exception(QStringLiteral("Lzrw1 (de)compression : Failed to open output file : ") + outName);
    try {
        const qint64 written = operation(input, output);
        if (!output.flush())
            throw ELzrw1Exception(writeError(outName));
        output.close();
        if (output.error() != QFile::NoError)
            throw ELzrw1Exception(writeError(outName));
        return written;
    } catch (...) {
        output.close();
        output.remove();
        throw;
    }
}

} // namespace

qint64 Tlzrw1::Compress()
{
    const qint64 size = QFile(InputFile).size();
    if (!QFile::exists(InputFile) || size > std::numeric_limits<qint32>::max())
        throw ELzrw1Exception(QStringLiteral("Lzrw1 compression : Failed to obtain the size of : ") + InputFile);
    return runOnFiles(InputFile, OutputFile, [&](QIODevice& in, QIODevice& out) {
        return compressStream(in, size, out, CompressMode, InputFile, OutputFile);
    });
}

qint64 Tlzrw1::Decompress()
{
    return runOnFiles(InputFile, OutputFile, [&](QIODevice& in, QIODevice& out) {
        return decompressStream(in, out, InputFile, OutputFile);
    });
}

TCompressMode Tlzrw1::Advise()
{
    QFile input(InputFile);
    if (!input.open(QIODevice::ReadOnly))
        throw ELzrw1Exception(QStringLiteral("Lzrw1 (de)compression : Failed to open input file : ") + InputFile);
    return advise(input, input.size());
}

QByteArray Tlzrw1::compress(const QByteArray& data, TCompressMode mode)
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

QByteArray Tlzrw1::decompress(const QByteArray& container, const QString& name)
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
