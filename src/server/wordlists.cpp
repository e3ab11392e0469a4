#include "server/wordlists.h"

#include <QFile>

namespace {

constexpr std::array<const char*, kCategoryCount> kFiles = {
    ":/words/general.txt", ":/words/holiday.txt", ":/words/food.txt",
    ":/words/entertainment.txt", ":/words/phrases.txt"};

constexpr std::array<const char*, kCategoryCount> kCaptions = {
    "General", "holiday", "food", "Entertainment", "Phrases"};

// Drawn only when every list is empty even after starting over (no data compiled in).
constexpr char kLastResortWord[] = "hangman";

} // namespace

WordListSet WordLists::builtIn()
{
    WordListSet lists;
    for (int category = 0; category < kCategoryCount; ++category) {
        QFile file(kFiles[category]);
        if (file.open(QIODevice::ReadOnly))
            lists[category] = parse(file.readAll());
    }
    return lists;
}

WordList WordLists::parse(const QByteArray& fileContents)
{
    WordList entries = fileContents.split('\n');
    if (!entries.isEmpty() && entries.last().isEmpty())
        entries.removeLast();
    for (QByteArray& entry : entries)
        if (entry.endsWith('\r'))
            entry.chop(1);
    return entries;
}

QString WordLists::caption(int category)
{
    if (category < 0 || category >= kCategoryCount)
        return {};
    return QString::fromLatin1(kCaptions[category]);
}

WordLists::WordLists(WordListSet lists) : m_lists(lists), m_initial(std::move(lists)) {}

WordLists::Drawn WordLists::draw(int category, std::mt19937& rng)
{
    Drawn drawn;
    drawn.category = category;
    if (!takeFrom(category, rng, drawn.word)) {
        drawn.category = kHolidayCategory;
        if (!takeFrom(kHolidayCategory, rng, drawn.word)) {
            m_lists = m_initial;
            drawn.category = category;
            if (!takeFrom(category, rng, drawn.word))
                drawn.word = kLastResortWord;
        }
    }
    drawn.mask = maskWord(drawn.word);
    return drawn;
}

bool WordLists::takeFrom(int category, std::mt19937& rng, QByteArray& word)
{
    WordList& list = m_lists[category];
    while (!list.isEmpty()) {
        std::uniform_int_distribution<qsizetype> pick(0, list.size() - 1);
        word = cleanWord(list.takeAt(pick(rng)));
        if (!word.isEmpty())
            return true;
    }
    return false;
}

QByteArray cleanWord(const QByteArray& entry)
{
    qsizetype begin = 0;
    qsizetype end = entry.size();
    while (begin < end && entry[begin] == ' ')
        ++begin;
    while (end > begin && entry[end - 1] == ' ')
        --end;
    QByteArray word = entry.mid(begin, end - begin);
    for (char& c : word)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return word;
}

QByteArray maskWord(const QByteArray& word)
{
    QByteArray mask = word;
    for (char& c : mask)
        if (c != ' ' && c != '\'')
            c = '*';
    return mask;
}
