// Measures reading a host's word file of 100,000 entries, as the server does at
// each game start, against reading the same file's lines with QFile alone.
#include "server/wordfolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

namespace {

constexpr int kRuns = 15;

// Distinct entries of one to three words, a few with apostrophes, with comments and CR LF ends mixed in.
QByteArray sampleFile(int entries, bool latin1Tail)
{
    std::mt19937 rng(17);
    std::uniform_int_distribution<int> letter('a', 'z');
    std::uniform_int_distribution<int> length(3, 9);
    std::uniform_int_distribution<int> words(1, 3);
    QByteArray bytes = "# one hundred thousand words\n";
    for (int i = 0; i < entries; ++i) {
        QByteArray entry;
        for (int w = words(rng); w > 0; --w) {
            if (!entry.isEmpty())
                entry += ' ';
            for (int n = length(rng); n > 0; --n)
                entry += char(letter(rng));
        }
        if (i % 50 == 0)
            entry += "'s";
        QByteArray tag;
        for (int n = i; n > 0 || tag.isEmpty(); n /= 26)
            tag += char('a' + n % 26);
        bytes += entry + ' ' + tag + (i % 3 == 0 ? "\r\n" : "\n");
    }
    if (latin1Tail)
        bytes += "caf\xE9\n";
    return bytes;
}

// Medians of the wall-clock time and of the processor time of this process, in milliseconds.
struct Timing {
    double wallMs;
    double cpuMs;
};

Timing median(const std::function<void()>& work)
{
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const std::clock_t cpuStart = std::clock();
        work();
        cpu.push_back(1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC);
        wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

void printRow(const char* what, Timing timing, Timing reader)
{
    std::printf("  %-34s %7.1f ms wall %7.1f ms processor", what, timing.wallMs, timing.cpuMs);
    if (timing.wallMs != reader.wallMs)
        std::printf("  (reader = %.1f x by processor time)", reader.cpuMs / timing.cpuMs);
    std::printf("\n");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

void measure(const char* title, const QByteArray& bytes)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath("general.txt");
    writeFile(path, bytes);
    qsizetype entries = 0;
    qsizetype lines = 0;
    const Timing reader = median([&] { entries = readWordFile(path).entries.size(); });
    const Timing gameStart = median([&] {
        WordLists lists{WordListSet{}};
        lists.useOwnLists(readWordFolder(dir.path()).lists());
    });
    const Timing readLines = median([&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        lines = 0;
        while (!file.atEnd()) {
            file.readLine();
            ++lines;
        }
    });
    const Timing readAllSplit = median([&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        lines = file.readAll().split('\n').size();
    });
    std::printf("%s: %lld bytes, %lld lines, %lld usable entries (medians of %d runs)\n", title,
                static_cast<long long>(bytes.size()), static_cast<long long>(lines), static_cast<long long>(entries),
                kRuns);
    printRow("readWordFile", reader, reader);
    printRow("game start (folder into the lists)", gameStart, reader);
    printRow("reference: QFile::readLine loop", readLines, reader);
    printRow("reference: QFile readAll + split", readAllSplit, reader);
}

} // namespace

int main()
{
    measure("UTF-8, 100000 entries", sampleFile(kMaxWordFileEntries, false));
    measure("Latin-1 (not valid UTF-8 at the end), 100000 entries", sampleFile(kMaxWordFileEntries - 1, true));
    return 0;
}
