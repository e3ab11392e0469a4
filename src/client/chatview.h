#pragma once
// ChatView: the read-only chat display under the board. It shows items in 15
// text styles (0..14), links and smiley pictures, keeps the last kMaxParagraphs
// paragraphs and never interprets text as markup.

#include <QColor>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <array>
#include <optional>

class ChatView : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int kStyleCount = 15;
    static constexpr int kSmileyCount = 18;
    static constexpr int kLinkStyle = 4;
    static constexpr int kMaxParagraphs = 1000;

    struct StyleLook {
        QColor colour;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool operator==(const StyleLook&) const = default;
    };

    explicit ChatView(QWidget* parent = nullptr);

    // The current look of a style (0..14).
    StyleLook styleLook(int style) const;
    // Changes a style's look; every item already shown in that style takes it too.
    void setStyleLook(int style, const QColor& colour, bool bold, bool italic, bool underline);
    // Point size of all styles, applied to the whole view with the next added line or a clear.
    void setTextSize(int points);
    int textSize() const { return m_textSize; }
    // Lays out every item already shown in the current point size now.
    void applyTextSizeNow() { applyPendingSize(); }

    // Opens one line's additions: they reach assistive tools as a single insertion.
    void beginLine();
    // Closes the line opened by beginLine().
    void endLine();
    // Adds a text item that starts a new paragraph.
    void addParagraph(int style, const QString& text);
    // Adds a text item that continues the current paragraph.
    void addText(int style, const QString& text);
    // Adds a link item in the link style; clicking it emits linkClicked(target).
    void addLink(const QString& shown, const QString& target);
    // Adds smiley picture 0..17 on the current line (others show picture 0).
    void addSmiley(int index);
    // Removes every item; style looks stay as they are.
    void clearAll();
    // Scrolls so that the last line is visible.
    void scrollToEnd();
    // Selects the whole chat.
    void selectAllText();
    // Puts the selection on the clipboard as plain text; nothing without a selection.
    void copySelection();
    // The selection as plain text, paragraphs separated by line breaks.
    QString selectedPlainText() const;
    int paragraphCount() const;

    // Smiley picture 0..17, 19x19 logical pixels drawn at twice the resolution.
    static QPixmap smiley(int index);

signals:
    void linkClicked(const QString& target);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void addItem(int style, const QString& text, const QTextCharFormat& extra = {});
    QTextCharFormat formatOf(int style) const;
    QTextCursor endCursor();
    void markBlock(QTextCursor& cursor, int style);
    void applyPendingSize();
    std::optional<QString> linkAt(const QPoint& pos) const;

    std::array<StyleLook, kStyleCount> m_styles;
    int m_textSize = 10;
    bool m_sizePending = false;
    bool m_empty = true;
    std::optional<QString> m_pressedLink;
    QTextCursor m_lineEdit;
};
