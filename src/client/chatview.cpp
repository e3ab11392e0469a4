#include "client/chatview.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QTextObjectInterface>

namespace {

constexpr int kStyleProperty = QTextFormat::UserProperty + 1;
constexpr int kSmileyProperty = QTextFormat::UserProperty + 2;
constexpr int kSmileyObject = QTextFormat::UserObject + 1;
constexpr qreal kSmileySize = 19;
const QString kLinkMark = QStringLiteral("link:");
const QColor kBackground(227, 213, 187);
const QString kFontName = QStringLiteral("Arial");

QString plainItemText(const QString& text)
{
    QString clean = text;
    for (QChar& c : clean) {
        if (c.unicode() < 0x20 || c == QChar::LineSeparator || c == QChar::ParagraphSeparator
            || c == QChar::ObjectReplacementCharacter || c.unicode() == 0x7F)
            c = u' ';
    }
    return clean;
}

int validStyle(int style)
{
    return qBound(0, style, ChatView::kStyleCount - 1);
}

int styleMask(const QTextBlock& block)
{
    return std::max(0, block.userState());
}

// Draws the smiley pictures placed in the text.
class SmileyObject : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    using QObject::QObject;
    QSizeF intrinsicSize(QTextDocument*, int, const QTextFormat&) override
    {
        return {kSmileySize, kSmileySize};
    }
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int, const QTextFormat& format) override
    {
        painter->drawPixmap(rect, ChatView::smiley(format.intProperty(kSmileyProperty)), QRectF());
    }
};

} // namespace

ChatView::ChatView(QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setMaximumBlockCount(kMaxParagraphs);
    setMouseTracking(true);
    document()->documentLayout()->registerHandler(kSmileyObject, new SmileyObject(this));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, kBackground);
    setPalette(colours);
    document()->setDocumentMargin(5);
    document()->setDefaultFont(QFont(kFontName, m_textSize));

    const QColor windowText = QApplication::palette().color(QPalette::WindowText);
    m_styles.fill({windowText});
    m_styles[0] = {Qt::blue};
    m_styles[1] = {Qt::blue, true};
    m_styles[2] = {QColor(0, 0, 128), true};
    m_styles[3] = {QColor(128, 0, 0), false, true};
    m_styles[4] = {QColor(0, 128, 0), false, false, true};
    m_styles[5] = {QColor(0, 128, 0), false, false, true};
    m_styles[6] = {QColor(192, 192, 192)};
    m_styles[7] = {QColor(192, 192, 192)};
}

ChatView::StyleLook ChatView::styleLook(int style) const
{
    return m_styles[validStyle(style)];
}

void ChatView::setStyleLook(int style, const QColor& colour, bool bold, bool italic, bool underline)
{
    style = validStyle(style);
    const StyleLook look{colour, bold, italic, underline};
    if (m_styles[style] == look)
        return;
    m_styles[style] = look;

    QList<std::pair<int, int>> ranges;
    for (QTextBlock block = document()->firstBlock(); block.isValid(); block = block.next()) {
        if (!(styleMask(block) & (1 << style)))
            continue;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (format.hasProperty(kStyleProperty) && format.intProperty(kStyleProperty) == style)
                ranges.append({fragment.position(), fragment.length()});
        }
    }
    const QTextCharFormat restyled = formatOf(style);
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    for (const auto& [position, length] : ranges) {
        cursor.setPosition(position);
        cursor.setPosition(position + length, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(restyled);
    }
    cursor.endEditBlock();
}

void ChatView::setTextSize(int points)
{
    points = qBound(1, points, 200);
    if (points == m_textSize)
        return;
    m_textSize = points;
    m_sizePending = true;
}

void ChatView::beginLine()
{
    applyPendingSize();
    m_lineEdit = QTextCursor(document());
    m_lineEdit.beginEditBlock();
}

void ChatView::endLine()
{
    m_lineEdit.endEditBlock();
    m_lineEdit = QTextCursor();
}

void ChatView::addParagraph(int style, const QString& text)
{
    applyPendingSize();
    if (!m_empty) {
        QTextCursor cursor = endCursor();
        cursor.insertBlock(QTextBlockFormat(), formatOf(validStyle(style)));
    }
    addItem(style, text);
}

void ChatView::addText(int style, const QString& text)
{
    addItem(style, text);
}

void ChatView::addLink(const QString& shown, const QString& target)
{
    QTextCharFormat link;
    link.setAnchor(true);
    link.setAnchorHref(kLinkMark + target);
    addItem(kLinkStyle, shown, link);
}

void ChatView::addSmiley(int index)
{
    if (index < 0 || index >= kSmileyCount)
        index = 0;
    applyPendingSize();
    QTextCharFormat picture;
    picture.setObjectType(kSmileyObject);
    picture.setProperty(kSmileyProperty, index);
    picture.setVerticalAlignment(QTextCharFormat::AlignMiddle);
    QTextCursor cursor = endCursor();
    cursor.insertText(QString(QChar::ObjectReplacementCharacter), picture);
    m_empty = false;
}

void ChatView::clearAll()
{
    document()->clear();
    document()->setDocumentMargin(5);
    m_empty = true;
    m_sizePending = false;
}

void ChatView::scrollToEnd()
{
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void ChatView::selectAllText()
{
    selectAll();
}

void ChatView::copySelection()
{
    if (!textCursor().hasSelection())
        return;
    QApplication::clipboard()->setText(selectedPlainText());
}

QString ChatView::selectedPlainText() const
{
    QString text = textCursor().selection().toPlainText();
    text.remove(QChar::ObjectReplacementCharacter);
    return text;
}

int ChatView::paragraphCount() const
{
    return m_empty ? 0 : document()->blockCount();
}

void ChatView::mousePressEvent(QMouseEvent* event)
{
    m_pressedLink = event->button() == Qt::LeftButton ? linkAt(event->position().toPoint()) : std::nullopt;
    QPlainTextEdit::mousePressEvent(event);
}

void ChatView::mouseReleaseEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    const auto link = std::exchange(m_pressedLink, std::nullopt);
    if (event->button() == Qt::LeftButton && link && !textCursor().hasSelection()
        && linkAt(event->position().toPoint()) == link)
        emit linkClicked(*link);
}

void ChatView::mouseMoveEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseMoveEvent(event);
    const bool overLink = linkAt(event->position().toPoint()).has_value();
    viewport()->setCursor(overLink ? Qt::PointingHandCursor : Qt::IBeamCursor);
}

void ChatView::addItem(int style, const QString& text, const QTextCharFormat& extra)
{
    applyPendingSize();
    style = validStyle(style);
    QTextCharFormat format = formatOf(style);
    format.merge(extra);
    QTextCursor cursor = endCursor();
    cursor.insertText(plainItemText(text), format);
    markBlock(cursor, style);
    m_empty = false;
}

QTextCharFormat ChatView::formatOf(int style) const
{
    const StyleLook& look = m_styles[style];
    QTextCharFormat format;
    format.setFontFamilies({kFontName});
    format.setFontPointSize(m_textSize);
    format.setForeground(look.colour);
    format.setFontWeight(look.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(look.italic);
    format.setFontUnderline(look.underline);
    format.setProperty(kStyleProperty, style);
    return format;
}

QTextCursor ChatView::endCursor()
{
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    return cursor;
}

void ChatView::markBlock(QTextCursor& cursor, int style)
{
    QTextBlock block = cursor.block();
    block.setUserState(styleMask(block) | (1 << style));
}

void ChatView::applyPendingSize()
{
    if (!m_sizePending)
        return;
    m_sizePending = false;
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    QTextCharFormat size;
    size.setFontPointSize(m_textSize);
    cursor.mergeCharFormat(size);
}

std::optional<QString> ChatView::linkAt(const QPoint& pos) const
{
    const QString href = anchorAt(pos);
    if (!href.startsWith(kLinkMark))
        return std::nullopt;
    return href.mid(kLinkMark.size());
}

#include "chatview.moc"
