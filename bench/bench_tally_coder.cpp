// Throughput and ratio of the tally file coder (LZRW1-KH, and LZHUF for reference)
// next to LZ4 on a tally dump, English text and random bytes.
// Run: build-rel/bench/bench_tally_coder   (a Release build gives meaningful figures)

#include "tally/tallycoder.h"
#include "tally/tallytable.h"

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>

#include <lz4.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <stdexcept>

namespace {

QByteArray tallyDump()
{
    static const char* names[] = { "Barbara", "Klot", "Marcus", "Gwen", "Dr. Pickles", "xXhangerXx", "Ann", "Bob" };
    QRandomGenerator generator(7);
    TallyTable table;
    for (int row = 1; row <= 2000; ++row) {
        table.follow(QStringLiteral("%1 %2").arg(names[row % 8]).arg(row));
        for (int column = 1; column <= 4; ++column)
            table.setCell(column, row, QString::number(generator.bounded(column == 1 ? 500 : 150)));
    }
    return table.toText();
}

QByteArray englishText()
{
    const char* files[] = { "Apache-2.0", "Artistic", "GFDL-1.3", "GPL-2", "GPL-3", "LGPL-2.1", "MPL-1.1", "MPL-2.0" };
    QByteArray text;
    for (const char* name : files) {
        QFile file(QStringLiteral("/usr/share/common-licenses/") + QString::fromLatin1(name));
        if (file.open(QIODevice::ReadOnly))
            text += file.readAll();
    }
    if (text.isEmpty())
        throw std::runtime_error("no English text found under /usr/share/common-licenses");
    return text;
}

QByteArray randomBytes(int size)
{
    QRandomGenerator generator(11);
    QByteArray data(size, '\0');
    for (char& c : data)
        c = char(generator.bounded(256));
    return data;
}

// Runs `work` until at least half a second has passed; returns MB/s of `bytes` per run.
double megabytesPerSecond(qint64 bytes, const std::function<void()>& work)
{
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    int runs = 0;
    double seconds = 0;
    do {
        work();
        ++runs;
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
    } while (seconds < 0.5);
    return double(bytes) * runs / seconds / 1e6;
}

void report(const char* input, const char* coder, qint64 original, qint64 packed, double packSpeed, double unpackSpeed)
{
    std::printf("%-13s %-9s %9lld -> %9lld  ratio %6.3f  compress %8.1f MB/s  decompress %8.1f MB/s\n", input, coder,
                static_cast<long long>(original), static_cast<long long>(packed), double(packed) / double(original),
                packSpeed, unpackSpeed);
}

void benchTallyCoder(const char* input, const QByteArray& data, CompressionMode mode, const char* coderName)
{
    TallyCoder coder;
    QByteArray packed;
    const double packSpeed = megabytesPerSecond(data.size(), [&] { packed = coder.compress(data, mode); });
    QByteArray unpacked;
    const double unpackSpeed = megabytesPerSecond(data.size(), [&] { unpacked = coder.decompress(packed); });
    if (unpacked != data)
        throw std::runtime_error("round trip failed");
    report(input, coderName, data.size(), packed.size(), packSpeed, unpackSpeed);
}

void benchLz4(const char* input, const QByteArray& data)
{
    QByteArray packed(LZ4_compressBound(int(data.size())), '\0');
    int packedSize = 0;
    const double packSpeed = megabytesPerSecond(data.size(), [&] {
        packedSize = LZ4_compress_default(data.constData(), packed.data(), int(data.size()), int(packed.size()));
    });
    QByteArray unpacked(data.size(), '\0');
    int unpackedSize = 0;
    const double unpackSpeed = megabytesPerSecond(data.size(), [&] {
        unpackedSize = LZ4_decompress_safe(packed.constData(), unpacked.data(), packedSize, int(unpacked.size()));
    });
    if (unpackedSize != data.size() || unpacked != data)
        throw std::runtime_error("LZ4 round trip failed");
    report(input, "LZ4", data.size(), packedSize, packSpeed, unpackSpeed);
}

} // namespace

int main()
{
    const struct {
        const char* name;
        QByteArray data;
    } inputs[] = { { "tally dump", tallyDump() }, { "English text", englishText() }, { "random bytes", randomBytes(1 << 20) } };
    for (const auto& input : inputs) {
        benchTallyCoder(input.name, input.data, CompressionMode::Fast, "LZRW1-KH");
        benchLz4(input.name, input.data);
        benchTallyCoder(input.name, input.data, CompressionMode::Good, "LZHUF");
    }
    return 0;
}
