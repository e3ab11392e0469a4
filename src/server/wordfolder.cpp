#include "server/wordfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

namespace {

constexpr std::array<const char*, kCategoryCount> kFileNames = {
    "general.txt", "holiday.txt", "food.txt", "entertainment.txt", "phrases.txt"};

constexpr int kReportedSkips = 5;
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The line without blanks around it and with every run of blanks inside made one space.
QByteArray joinBlanks(QByteArrayView line)
{
    QByteArray entry(line.size(), Qt::Uninitialized);
    char* out = entry.data();
    bool blankBefore = false;
    for (char c : line) {
        if (isBlank(c)) {
            blankBefore = out != entry.data();
            continue;
        }
        if (blankBefore)
            *out++ = ' ';
        blankBefore = false;
        *out++ = c;
    }
    entry.truncate(out - entry.data());
    return entry;
}

// The character that starts at the byte, as the file's encoding reads it.
QString characterAt(QByteArrayView entry, qsizetype at, bool utf8)
{
    if (!utf8)
        return QString(QChar(uchar(entry[at])));
    qsizetype end = at + 1;
    while (end < entry.size() && (uchar(entry[end]) & 0xC0) == 0x80)
        ++end;
    return QString::fromUtf8(entry.sliced(at, end - at));
}

// Why an entry (already trimmed, blanks joined) cannot be used; empty when it can.
QString entryProblem(QByteArrayView entry, bool utf8)
{
    int letters = 0;
    for (qsizetype i = 0; i < entry.size(); ++i) {
        const char c = entry[i];
        if (isAsciiLetter(c))
            ++letters;
        else if (c != ' ' && c != '\'')
            return QStringLiteral("\"%1\" is not allowed (only the letters a to z, blanks and apostrophes)")
                .arg(characterAt(entry, i, utf8));
    }
    if (letters < kMinEntryLetters)
        return QStringLiteral("fewer than two letters");
    if (entry.size() > kMaxEntryCharacters)
        return QStringLiteral("longer than %1 characters").arg(kMaxEntryCharacters);
    return {};
}

void skip(WordFile& file, int line, const QString& reason)
{
    if (file.skipped.size() < kMaxSkippedLinesKept)
        file.skipped.append({line, reason});
    ++file.skippedCount;
}

QString countText(qsizetype count, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

} // namespace

QString wordFileName(int category)
{
    if (category < 0 || category >= kCategoryCount)
        return {};
    return QString::fromLatin1(kFileNames[category]);
}

WordFile parseWordFile(const QByteArray& bytes)
{
    WordFile file;
    file.present = true;
    QByteArrayView text(bytes);
    if (text.startsWith(kByteOrderMark))
        text = text.sliced(3);
    const bool utf8 = text.isValidUtf8();
    const qsizetype lineCount = std::min<qsizetype>(text.count('\n') + 1, kMaxWordFileEntries + 1);
    QHash<QByteArray, int> firstLineOf;
    firstLineOf.reserve(lineCount);
    file.entries.reserve(lineCount);
    int lineNumber = 0;
    for (qsizetype start = 0; start <= text.size();) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        const QByteArray entry = joinBlanks(text.sliced(start, end - start));
        start = end + 1;
        ++lineNumber;
        if (entry.isEmpty() || entry.startsWith('#'))
            continue;
        if (QString problem = entryProblem(entry, utf8); !problem.isEmpty()) {
            skip(file, lineNumber, problem);
            continue;
        }
        const bool mixedCase = std::any_of(entry.begin(), entry.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
        const QByteArray key = mixedCase ? entry.toLower() : entry;
        if (const auto found = firstLineOf.constFind(key); found != firstLineOf.constEnd()) {
            skip(file, lineNumber, QStringLiteral("repeats line %1").arg(*found));
            continue;
        }
        if (file.entries.size() == kMaxWordFileEntries) {
            file.entries.clear();
            file.skipped.clear();
            file.skippedCount = 0;
            file.refusal = QStringLiteral("more than %1 words").arg(kMaxWordFileEntries);
            return file;
        }
        firstLineOf.insert(key, lineNumber);
        file.entries.append(entry);
    }
    return file;
}

WordFile readWordFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        WordFile missing;
        missing.fileName = info.fileName();
        return missing;
    }
    WordFile refused;
    refused.fileName = info.fileName();
    refused.present = true;
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        refused.refusal = QStringLiteral("could not be read");
        return refused;
    }
    const QByteArray bytes = file.read(kMaxWordFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        refused.refusal = QStringLiteral("could not be read");
        return refused;
    }
    if (bytes.size() > kMaxWordFileBytes) {
        refused.refusal = QStringLiteral("larger than %1 MiB").arg(kMaxWordFileBytes / (1024 * 1024));
        return refused;
    }
    WordFile parsed = parseWordFile(bytes);
    parsed.fileName = info.fileName();
    return parsed;
}

WordFolder readWordFolder(const QString& path)
{
    WordFolder folder;
    folder.path = path;
    const QDir dir(path);
    folder.found = !path.isEmpty() && QFileInfo(path).isDir();
    for (int category = 0; category < kCategoryCount; ++category) {
        if (folder.found)
            folder.files[category] = readWordFile(dir.filePath(wordFileName(category)));
        folder.files[category].fileName = wordFileName(category);
    }
    return folder;
}

WordListSet WordFolder::lists() const
{
    WordListSet lists;
    for (int category = 0; category < kCategoryCount; ++category)
        lists[category] = files[category].entries;
    return lists;
}

QStringList WordFolder::reportLines() const
{
    const QString shownPath = QDir::toNativeSeparators(path);
    if (!found)
        return {QStringLiteral("Word folder %1 not found: playing with the built-in words.").arg(shownPath)};
    QStringList lines{QStringLiteral("Words from the folder %1:").arg(shownPath)};
    qsizetype skippedTotal = 0;
    for (int category = 0; category < kCategoryCount; ++category) {
        const WordFile& file = files[category];
        const QString caption = WordLists::caption(category);
        skippedTotal += file.skippedCount;
        if (!file.entries.isEmpty())
            lines << QStringLiteral("%1: %2 from %3").arg(caption, countText(file.entries.size(), "word", "words"),
                                                          file.fileName);
        else if (!file.present)
            lines << QStringLiteral("%1: built-in words (no %2)").arg(caption, file.fileName);
        else if (!file.refusal.isEmpty())
            lines << QStringLiteral("%1: built-in words (%2 %3)").arg(caption, file.fileName, file.refusal);
        else
            lines << QStringLiteral("%1: built-in words (%2 has no usable word)").arg(caption, file.fileName);
    }
    int reported = 0;
    for (const WordFile& file : files) {
        for (const SkippedLine& skipped : file.skipped) {
            if (reported == kReportedSkips)
                break;
            lines << QStringLiteral("Skipped %1 line %2: %3").arg(file.fileName).arg(skipped.line).arg(skipped.reason);
            ++reported;
        }
    }
    if (skippedTotal > reported)
        lines << QStringLiteral("... and %1 more %2 skipped.")
                     .arg(skippedTotal - reported)
                     .arg(QLatin1String(skippedTotal - reported == 1 ? "line" : "lines"));
    return lines;
}
