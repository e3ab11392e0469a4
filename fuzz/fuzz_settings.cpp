// Treats the input as the contents of the settings file shared with other
// programs: reads every key of the game's section, writes the section back with
// the values read, then writes one phrase made from the input's last bytes. After
// the writes every line outside the game's section must be byte for byte what it
// was, and reading again must give back exactly what was written.

#include "client/inifile.h"
#include "client/settingsfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Line {
    QByteArray bytes;   // with its line end
    QByteArray content; // without it
};

std::vector<Line> linesOf(const QByteArray& data)
{
    std::vector<Line> lines;
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = data.indexOf('\n', start);
        end = end < 0 ? data.size() : end + 1;
        Line line{data.mid(start, end - start), data.mid(start, end - start)};
        if (line.content.endsWith('\n')) {
            line.content.chop(1);
            if (line.content.endsWith('\r'))
                line.content.chop(1);
        }
        lines.push_back(line);
        start = end;
    }
    return lines;
}

// Where the game's section starts (its header line) and ends (the next header
// or the end of the file); -1 for both when the file has no such section.
std::pair<int, int> gameSection(const std::vector<Line>& lines)
{
    int first = -1;
    for (int i = 0; i < int(lines.size()); ++i) {
        QByteArray text = lines[size_t(i)].content;
        if (i == 0 && text.startsWith("\xEF\xBB\xBF"))
            text.remove(0, 3);
        text = text.trimmed();
        if (!text.startsWith('['))
            continue;
        if (first >= 0)
            return {first, i};
        qsizetype close = text.indexOf(']');
        if (close < 0)
            close = text.size();
        if (QString::fromUtf8(text.mid(1, close - 1)).trimmed().compare(hangmanSection, Qt::CaseInsensitive) == 0)
            first = i;
    }
    return {first, first < 0 ? -1 : int(lines.size())};
}

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_settings: %s\n", what);
    std::abort();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Lines before the game's section and after it are kept; the last line of the
// file may gain a line end when something is appended after it.
void checkOutsideKept(const QByteArray& before, const QByteArray& after)
{
    const std::vector<Line> old = linesOf(before);
    const std::vector<Line> now = linesOf(after);
    auto [start, end] = gameSection(old);
    if (start < 0)
        start = end = int(old.size());
    if (now.size() < old.size())
        fail("lines lost");
    auto same = [&](size_t o, size_t n) {
        if (o + 1 == old.size())
            return now[n].bytes.startsWith(old[o].bytes);
        return old[o].bytes == now[n].bytes;
    };
    for (int i = 0; i < start; ++i)
        if (!same(size_t(i), size_t(i)))
            fail("a line before the game's section changed");
    const size_t shift = now.size() - old.size();
    for (int i = end; i < int(old.size()); ++i)
        if (!same(size_t(i), size_t(i) + shift))
            fail("a line after the game's section changed");
}

bool sameSettings(const HangmanSettings& a, const HangmanSettings& b)
{
    return a.textSize == b.textSize && a.top == b.top && a.left == b.left && a.width == b.width
        && a.height == b.height && a.textColor == b.textColor && a.playToScore == b.playToScore
        && a.timePerTurn == b.timePerTurn && a.chooseCategory == b.chooseCategory && a.botSpeed == b.botSpeed
        && a.phrases == b.phrases && a.playSounds == b.playSounds && a.turnSound == b.turnSound
        && a.chatterSounds == b.chatterSounds;
}

QString singleLineTrimmed(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.trimmed();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Every write replaces the file through a synced save: keep it in memory when possible.
    static QTemporaryDir folder(QFile::exists("/dev/shm") ? QStringLiteral("/dev/shm/fuzz_settings-XXXXXX")
                                                           : QDir::tempPath() + QStringLiteral("/fuzz_settings-XXXXXX"));
    const QString path = settingsFilePath(folder.path());
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(input) != input.size())
            fail("cannot write the settings file");
    }

    IniFile ini(path);
    const HangmanSettings read = readHangmanSettings(ini);
    // Every key of every section reads without trouble.
    const std::vector<Line> lines = linesOf(input);
    QString section;
    for (size_t i = 0; i < lines.size() && i < 64; ++i) {
        const QByteArray text = lines[i].content.trimmed();
        if (text.startsWith('['))
            section = QString::fromUtf8(text.mid(1, text.indexOf(']') - 1));
        else if (text.contains('='))
            ini.readString(section, QString::fromUtf8(text.left(text.indexOf('='))), QString());
    }

    HangmanSettings expected = read;
    expected.playToScore = read.playToScore.value_or(*HangmanSettings().playToScore);
    expected.timePerTurn = read.timePerTurn.value_or(*HangmanSettings().timePerTurn);
    expected.chooseCategory = read.chooseCategory.value_or(false);
    for (QString& phrase : expected.phrases)
        phrase = singleLineTrimmed(phrase);
    try {
        writeHangmanSettings(ini, read);
        writeHangmanPhrases(ini, read.phrases);
    } catch (const IniWriteError&) {
        fail("writing the settings failed");
    }
    const QByteArray written = readFile(path);
    checkOutsideKept(input, written);
    if (!sameSettings(readHangmanSettings(ini), expected))
        fail("the settings read back differ from those written");

    const QString phrase = QString::fromUtf8(input.right(40));
    ini.writeString(hangmanSection, QStringLiteral("Phrase1"), phrase);
    checkOutsideKept(written, readFile(path));
    if (ini.readString(hangmanSection, QStringLiteral("Phrase1"), QStringLiteral("?")) != singleLineTrimmed(phrase))
        fail("the phrase read back differs from the one written");
    return 0;
}
