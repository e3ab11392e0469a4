#pragma once
// How a chat line ("N+text") is cut into the items the chat view shows: a bold
// prefix up to the first ":", then words, web links and smiley pictures.

#include <QList>
#include <QString>
#include <optional>

struct ChatItem {
    enum class Kind { Text, Link, Smiley };
    Kind kind = Kind::Text;
    QString text;   // the word as shown, trailing blank included
    QString target; // links: the address to open
    int smiley = 0; // smileys: picture 0..17
};

struct ChatLine {
    int style = 0;
    QString prefix; // up to and including the first ":" and one blank after it
    QList<ChatItem> items;
    bool cut = false; // the text went on beyond what is shown; the last item is the mark
};

namespace ChatLineParser {

constexpr int kStyles = 15;
constexpr int kSmilies = 18;
// A line may be as long as a message (64 KiB); only its start is shown.
constexpr int kMaxShownCharacters = 2000;
// What ends a line that was cut for showing.
inline const QString kCutMark = QString(QChar(0x2026));

// Cuts "N+text" into items; nothing when N is not a style number 0..14. A text
// longer than kMaxShownCharacters is shown up to there (never half a smiley code)
// followed by kCutMark.
std::optional<ChatLine> parse(const QString& line);
// The address a word links to, or an empty text when it is no link. A word is a
// link when it begins, in any case, with "http://", "https://" or "www.".
QString linkTarget(const QString& word);
// Splits text into words that each keep their trailing blank.
QStringList words(const QString& text);

} // namespace ChatLineParser
