#include "client/chatline.h"

namespace ChatLineParser {
namespace {

void addWords(ChatLine& line, const QString& text)
{
    for (const QString& word : words(text)) {
        const QString target = linkTarget(word);
        if (target.isEmpty())
            line.items.append({ChatItem::Kind::Text, word, {}, 0});
        else
            line.items.append({ChatItem::Kind::Link, word, target, 0});
    }
}

int smileyIndex(const QString& code)
{
    bool ok = false;
    const int number = code.toInt(&ok);
    return ok && code.size() == 2 && number >= 10 && number <= 27 ? number - 10 : 0;
}

// The text's first kMaxShownCharacters characters, less a smiley code they would halve.
QString shownPart(const QString& text)
{
    QString shown = text.left(kMaxShownCharacters);
    const qsizetype code = shown.lastIndexOf(":)#");
    if (code >= 0 && code + 5 > shown.size())
        shown.truncate(code);
    return shown;
}

} // namespace

QStringList words(const QString& text)
{
    QStringList out;
    QString rest = text + ' ';
    while (!rest.isEmpty()) {
        const qsizetype blank = rest.indexOf(' ');
        out << rest.left(blank + 1);
        rest.remove(0, blank + 1);
    }
    return out;
}

QString linkTarget(const QString& word)
{
    const QString trimmed = word.trimmed();
    const QString lower = trimmed.toLower();
    if (lower.startsWith("http://") || lower.startsWith("https://"))
        return trimmed;
    if (lower.startsWith("www."))
        return "http://" + trimmed;
    return {};
}

std::optional<ChatLine> parse(const QString& text)
{
    const qsizetype plus = text.indexOf('+');
    bool ok = false;
    const int style = text.left(plus).toInt(&ok);
    if (plus < 0 || !ok || style < 0 || style >= kStyles)
        return std::nullopt;

    ChatLine line;
    line.style = style;
    const QString whole = text.mid(plus + 1);
    QString rest = shownPart(whole);
    line.cut = rest.size() < whole.size();
    const qsizetype colon = rest.indexOf(':');
    if (colon >= 0) {
        line.prefix = rest.left(colon + 1);
        rest.remove(0, colon + 1);
    }
    line.prefix += ' ';
    for (qsizetype mark; (mark = rest.indexOf(":)#")) >= 0;) {
        addWords(line, rest.left(mark));
        line.items.append({ChatItem::Kind::Smiley, {}, {}, smileyIndex(rest.mid(mark + 3, 2))});
        rest.remove(0, mark + 5);
    }
    if (!rest.isEmpty())
        addWords(line, rest);
    if (line.cut)
        line.items.append({ChatItem::Kind::Text, kCutMark, {}, 0});
    return line;
}

} // namespace ChatLineParser
