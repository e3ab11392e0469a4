#include "server/wordfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>

namespace {

constexpr std::array<const char*, kCategoryCount> kFileNames = {
    "general.txt", "holiday.txt", "food.txt", "entertainment.txt", "phrases.txt"};

constexpr int kReportedSkips = 5;
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

QString decodeWordFile(const QByteArray& bytes)
{
    QByteArrayView text(bytes);
    if (text.startsWith(kByteOrderMark))
        text = text.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    QString decoded = utf8(text);
    if (!utf8.hasError())
        return decoded;
    return QString::fromLatin1(text);
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// Why an entry (already trimmed, blanks joined) cannot be used; empty when it can.
QString entryProblem(const QString& entry)
{
    int letters = 0;
    for (qsizetype i = 0; i < entry.size(); ++i) {
        const QChar c = entry[i];
        if (isAsciiLetter(c)) {
            ++letters;
        } else if (c != u' ' && c != u'\'') {
            const QString sign = entry.mid(i, c.isHighSurrogate() ? 2 : 1);
            return QStringLiteral("\"%1\" is not allowed (only the letters a to z, blanks and apostrophes)").arg(sign);
        }
    }
    if (letters < kMinEntryLetters)
        return QStringLiteral("fewer than two letters");
    if (entry.size() > kMaxEntryCharacters)
        return QStringLiteral("longer than %1 characters").arg(kMaxEntryCharacters);
    return {};
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
    const QString text = decodeWordFile(bytes);
    QHash<QString, int> firstLineOf;
    int lineNumber = 0;
    for (QStringView line : QStringView(text).split(u'\n')) {
        ++lineNumber;
        const QString entry = line.toString().simplified();
        if (entry.isEmpty() || entry.startsWith(u'#'))
            continue;
        if (QString problem = entryProblem(entry); !problem.isEmpty()) {
            file.skipped.append({lineNumber, problem});
            continue;
        }
        const QString key = entry.toLower();
        if (const auto found = firstLineOf.constFind(key); found != firstLineOf.constEnd()) {
            file.skipped.append({lineNumber, QStringLiteral("repeats line %1").arg(*found)});
            continue;
        }
        firstLineOf.insert(key, lineNumber);
        if (file.entries.size() == kMaxWordFileEntries) {
            file.entries.clear();
            file.skipped.clear();
            file.refusal = QStringLiteral("more than %1 words").arg(kMaxWordFileEntries);
            return file;
        }
        file.entries.append(entry.toLatin1());
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
        skippedTotal += file.skipped.size();
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
