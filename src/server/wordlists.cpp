#include "server/wordlists.h"

#include <QFile>

#include <utility>

namespace {

constexpr std::array<const char*, kCategoryCount> kFiles = {
    ":/words/general.txt", ":/words/holiday.txt", ":/words/food.txt",
    ":/words/entertainment.txt", ":/words/phrases.txt"};

constexpr std::array<const char*, kCategoryCount> kCaptions = {
    "General", "holiday", "food", "Entertainment", "Phrases"};

// Drawn only when every list is empty even after starting over (no data compiled in).
constexpr char kLastResortWord[] = "hangman";

WordList withoutDrawn(const WordList& entries, const QSet<QByteArray>& drawn)
{
    WordList left;
    left.reserve(entries.size());
    for (const QByteArray& entry : entries)
        if (!drawn.contains(cleanWord(entry)))
            left.append(entry);
    return left;
}

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

WordLists::WordLists(WordListSet lists)
    : m_builtInPending(false), m_lists(lists), m_initial(std::move(lists))
{
}

void WordLists::readBuiltInOnce() const
{
    if (!m_builtInPending)
        return;
    m_builtInPending = false;
    m_lists = builtIn();
    m_initial = m_lists;
}

const WordList& WordLists::list(int category) const
{
    readBuiltInOnce();
    return m_lists[category];
}

WordLists::Drawn WordLists::draw(int category, std::mt19937& rng)
{
    readBuiltInOnce();
    Drawn drawn;
    drawn.category = category;
    if (!takeFrom(category, rng, drawn.word)) {
        drawn.category = kHolidayCategory;
        if (!takeFrom(kHolidayCategory, rng, drawn.word)) {
            m_lists = m_initial;
            m_drawnFromOwn = {};
            drawn.category = category;
            if (!takeFrom(category, rng, drawn.word))
                drawn.word = kLastResortWord;
        }
    }
    drawn.mask = maskWord(drawn.word);
    return drawn;
}

void WordLists::useOwnLists(const WordListSet& own)
{
    readBuiltInOnce();
    for (int category = 0; category < kCategoryCount; ++category) {
        if (m_replaced[category]) {
            m_lists[category] = std::move(m_replacedLists[category]);
            m_initial[category] = std::move(m_replacedInitial[category]);
            m_replaced[category] = false;
        }
        if (own[category].isEmpty())
            continue;
        WordList left = withoutDrawn(own[category], m_drawnFromOwn[category]);
        m_replacedLists[category] = std::exchange(m_lists[category], std::move(left));
        m_replacedInitial[category] = std::exchange(m_initial[category], own[category]);
        m_replaced[category] = true;
    }
}

bool WordLists::takeFrom(int category, std::mt19937& rng, QByteArray& word)
{
    WordList& list = m_lists[category];
    while (!list.isEmpty()) {
        std::uniform_int_distribution<qsizetype> pick(0, list.size() - 1);
        word = cleanWord(list.takeAt(pick(rng)));
        if (word.isEmpty())
            continue;
        if (m_replaced[category])
            m_drawnFromOwn[category].insert(word);
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
