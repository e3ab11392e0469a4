#include "tally/lzhuf.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

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
