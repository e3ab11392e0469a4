#include "tally/tallycoder.h"

#include <QRandomGenerator>
#include <QtEndian>

#include <gtest/gtest.h>

#include <vector>

namespace {

QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray data(size, '\0');
    for (char& c : data)
        c = char(generator.bounded(256));
    return data;
}

// Text with plenty of repeats and runs, like a tally dump or a chat log.
QByteArray textLike(int size, quint32 seed)
{
    static const char* words[] = { "hangman ", "tally ", "0\r\n", "Klot\r\n", "the ", "puzzle ", "          ", "wins " };
    QRandomGenerator generator(seed);
    QByteArray data;
    while (data.size() < size)
        data += words[generator.bounded(8)];
    data.truncate(size);
    return data;
}

QByteArray blockOf(const QByteArray& container, int offset = 8)
{
    const int length = qFromLittleEndian<quint16>(container.constData() + offset);
    return container.mid(offset + 2, length);
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray data;
    for (int v : values)
        data.append(char(v));
    return data;
}

QString errorOf(TallyCoder& coder, const QByteArray& container)
{
    try {
        coder.decompress(container);
    } catch (const TallyCoderError& e) {
        return e.message();
    }
    return {};
}

} // namespace

TEST(Lzrw1, ContainerLayoutAtPieceBoundaries)
{
    TallyCoder coder;
    const QByteArray empty = coder.compress({}, CompressionMode::Fast);
    EXPECT_EQ(empty, bytes({ 'W', 'R', 'Z', 'L', 0, 0, 0, 0, 1, 0, 0x80 }));
    EXPECT_TRUE(coder.decompress(empty).isEmpty());

    const QByteArray full = textLike(32768, 1);
    const QByteArray twoBlocks = coder.compress(full, CompressionMode::Fast);
    EXPECT_EQ(qFromLittleEndian<qint32>(twoBlocks.constData() + 4), 32768);
    const int firstLength = qFromLittleEndian<quint16>(twoBlocks.constData() + 8);
    EXPECT_EQ(twoBlocks.mid(10 + firstLength), bytes({ 1, 0, 0x80 }));
    EXPECT_EQ(coder.decompress(twoBlocks), full);

    const QByteArray noise = randomBytes(1000, 2);
    const QByteArray stored = blockOf(coder.compress(noise, CompressionMode::Fast));
    EXPECT_EQ(stored.size(), 1001);
    EXPECT_EQ(quint8(stored[0]), 0x80);
    EXPECT_EQ(stored.mid(1), noise);
}

TEST(Lzrw1, RunsOfSixteenOrMoreBecomeRunItems)
{
    TallyCoder coder;
    EXPECT_EQ(blockOf(coder.compress(QByteArray(20, 'a'), CompressionMode::Fast)),
              bytes({ 0x40, 0x80, 0x00, 0x00, 0x00, 0x04, 'a' }));
    // Fifteen equal bytes: one literal, then a copy of 14 from offset 1.
    EXPECT_EQ(blockOf(coder.compress(QByteArray(15, 'a'), CompressionMode::Fast)),
              bytes({ 0x40, 0x40, 0x00, 'a', 0x00, 0x1B }));
    const QByteArray longRun = QByteArray(5000, 'x') + "tail";
    EXPECT_EQ(coder.decompress(coder.compress(longRun, CompressionMode::Fast)), longRun);
}

TEST(Lzrw1, RoundTripsAroundPieceBoundaries)
{
    TallyCoder coder;
    const int sizes[] = { 1, 2, 3, 17, 4096, 32767, 32768, 32769, 65535, 65536, 65537, 100000 };
    quint32 seed = 10;
    for (int size : sizes) {
        for (const QByteArray& data : { randomBytes(size, seed++), textLike(size, seed++) }) {
            const QByteArray fast = coder.compress(data, CompressionMode::Fast);
            EXPECT_TRUE(fast.startsWith("WRZL"));
            EXPECT_EQ(coder.decompress(fast), data) << "WRZL size " << size;
            const QByteArray good = coder.compress(data, CompressionMode::Good);
            EXPECT_TRUE(good.startsWith("!HZL"));
            EXPECT_EQ(coder.decompress(good), data) << "!HZL size " << size;
        }
    }
}

TEST(Lzrw1, RoundTripsAMatchAtTheEdgeOfTheWindow)
{
    // "XYZ" again 4095, 4096 and 4097 bytes later: only the first is in reach of a copy.
    TallyCoder coder;
    for (int gap : { 4092, 4093, 4094 }) {
        for (const QByteArray& filler : { QByteArray(gap, '\0'), randomBytes(gap, quint32(gap)) }) {
            const QByteArray data = "XYZ" + filler + "XYZ";
            EXPECT_EQ(coder.decompress(coder.compress(data, CompressionMode::Fast)), data) << "gap " << gap;
            const QByteArray twice = data + data;
            EXPECT_EQ(coder.decompress(coder.compress(twice, CompressionMode::Fast)), twice) << "gap " << gap;
        }
    }
}

TEST(Lzrw1, LzhufShrinksTextAndAutoChoosesByAdvice)
{
    TallyCoder coder;
    const QByteArray text = textLike(50000, 3);
    EXPECT_LT(coder.compress(text, CompressionMode::Good).size(), coder.compress(text, CompressionMode::Fast).size());
    EXPECT_TRUE(coder.compress(text, CompressionMode::Auto).startsWith("!HZL"));
    EXPECT_TRUE(coder.compress(textLike(300000, 4), CompressionMode::Auto).startsWith("WRZL"));
    EXPECT_TRUE(coder.compress(randomBytes(300000, 5), CompressionMode::Auto).startsWith("!HZL"));
}

TEST(Lzrw1, DamagedContainersAreRejected)
{
    TallyCoder coder;
    const QByteArray good = coder.compress(textLike(40000, 6), CompressionMode::Fast);
    const QString mismatch = "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !";
    const QString readError = "Lzrw1 : Error reading from input file : memory";

    EXPECT_EQ(errorOf(coder, "ABCD" + good.mid(4)), "memory : Lzrw1 decompression : this file has no valid header !");
    EXPECT_EQ(errorOf(coder, good.left(3)), readError);
    EXPECT_EQ(errorOf(coder, good.left(good.size() - 5)), readError);

    QByteArray wrongSize = good;
    qToLittleEndian<qint32>(39999, wrongSize.data() + 4);
    EXPECT_EQ(errorOf(coder, wrongSize), mismatch);
    qToLittleEndian<qint32>(40001, wrongSize.data() + 4);
    EXPECT_EQ(errorOf(coder, wrongSize), mismatch);

    const QByteArray header = good.left(8);
    QByteArray tooLong = header + bytes({ 0x02, 0x80 }) + QByteArray(32770, 'a');
    EXPECT_FALSE(errorOf(coder, tooLong).isEmpty());
    // Blocks that must be refused by the block decoder itself.
    std::vector<std::uint8_t> out(Lzrw1kh::pieceSize);
    auto decodes = [&out](const QByteArray& block) {
        return Lzrw1kh::decompressBlock(reinterpret_cast<const std::uint8_t*>(block.constData()), int(block.size()),
                                        out.data());
    };
    EXPECT_EQ(decodes(bytes({ 0x40, 0x40, 0x00, 'a', 0x00, 0x10 })), 4);
    EXPECT_EQ(decodes(bytes({ 0x40, 0x40, 0x00, 'a', 0x00, 0x20 })), -1) << "copy from before the block";
    QByteArray runs = bytes({ 0x40, 0xFF, 0x80 });
    for (int i = 0; i < 8; ++i)
        runs += bytes({ 0, 0x0F, 0xFF, 'r' });
    EXPECT_EQ(decodes(runs), -1) << "eight runs of 4111 bytes";
    EXPECT_EQ(decodes(runs.left(runs.size() - 4)), 7 * 4111);
    EXPECT_EQ(decodes(bytes({ 0x40, 0x80, 0x00, 0x00, 0x01 })), -1) << "run item cut short";
    EXPECT_EQ(decodes(bytes({ 0x40, 0x80, 0x00, 0x05 })), -1) << "copy item cut short";
    QByteArray literals = bytes({ 0x40, 0x00, 0x00 }) + QByteArray(16, 'l') + bytes({ 0x00 });
    EXPECT_EQ(decodes(literals), -1) << "half a control word";
    QByteArray tooMany = bytes({ 0x40, 0xFE, 0x00 });
    for (int i = 0; i < 7; ++i)
        tooMany += bytes({ 0, 0x0F, 0xFF, 'r' });
    tooMany += QByteArray(9, 'l');
    for (int group = 0; group < 249; ++group)
        tooMany += bytes({ 0, 0 }) + QByteArray(group < 248 ? 16 : 15, 'l');
    EXPECT_EQ(decodes(tooMany.left(tooMany.size() - 1)), 32768);
    EXPECT_EQ(decodes(tooMany), -1) << "literals past 32768";

    const QByteArray lzh = coder.compress(textLike(5000, 7), CompressionMode::Good);
    EXPECT_EQ(errorOf(coder, lzh.left(lzh.size() / 2)),
              "Lzrw1 (LZH decompression) : Original and compressed sizes do not match !");
}
