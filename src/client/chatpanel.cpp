#include "client/chatpanel.h"

#include "client/chatline.h"
#include "client/chatview.h"
#include "client/colortext.h"
#include "net/protocol.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

namespace {

constexpr char kEnterChatHere[] = "<Enter Chat Here>";
constexpr char kSlowDown[] = "Slow down: that line was not sent.";
constexpr int kChatInputFromBottom = 45;
constexpr int kPhraseCooldownMs = 2000;
// The longest line that can be typed: it still fits the one message the server takes,
// with room for "CMD_action+", the slot, the colour text and the terminator.
constexpr int kChatEnvelopeBytes = 128;
constexpr int kMaxChatInput = proto::kMaxPendingBytes - kChatEnvelopeBytes;
const QColor kNoticeColour(0, 0, 255);

const ChatPanel::Phrases kDefaultPhrases = {"Way To Go!", "Good One!",  "Nice Try!",         "Excellent!",         "Brilliant!",
                                            "Wow, WTG!",  "Thanks!",    "Way To Go Teamie!", "Good Game Everyone!"};

const QStringList kChatterSoundCaptions = {"<Cancel>", "Doh", "Cough", "Hello", "Thank You", "Where have you been?",
                                           "Snoring", "Sneezing", "Sorry", "Welcome", "Yeehaa", "Yippee", "Oh No",
                                           "Applause", "Honk", "Oooh", "Razzberry", "Cheer", "Woman Laughing",
                                           "Man Laughing", "Crying"};

// Clears the "<Enter Chat Here>" hint on the first key; the paste keys run the pop-up's "Paste".
class ChatInputFilter : public QObject {
public:
    ChatInputFilter(QLineEdit* input, std::function<void()> paste) : QObject(input), m_input(input), m_paste(std::move(paste)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        if (m_input->text() == kEnterChatHere)
            m_input->clear();
        if (static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) {
            m_paste();
            return true;
        }
        return false;
    }

private:
    QLineEdit* m_input;
    std::function<void()> m_paste;
};

// Typing into the chat messages goes on in the chat input: the keys that write text are
// handed over to it, with the keyboard focus; copying and moving keys stay with the view.
class TypingForwarder : public QObject {
public:
    TypingForwarder(QWidget* view, QLineEdit* input) : QObject(view), m_input(input) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const bool writes = !key->text().isEmpty() && key->text().at(0).isPrint()
            && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if (!writes)
            return false;
        m_input->setFocus(Qt::OtherFocusReason);
        QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat(), key->count());
        QCoreApplication::sendEvent(m_input, &copy);
        return true;
    }

private:
    QLineEdit* m_input;
};

// Hands the keyboard focus on: the board gives it to its chat area, which passes it to the input.
class FocusForwarder : public QObject {
public:
    FocusForwarder(QWidget* from, QWidget* to) : QObject(from), m_to(to) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn)
            m_to->setFocus(static_cast<QFocusEvent*>(event)->reason());
        return false;
    }

private:
    QWidget* m_to;
};

} // namespace

QString chatter::caption(int tag)
{
    return kChatterSoundCaptions.value(tag);
}

QString chatter::soundName(int tag)
{
    return "wave" + QString::number(tag);
}

ChatPanel::ChatPanel(Clock& clock, ChatOutlet& outlet, QWidget* area)
    : QWidget(area)
    , m_outlet(outlet)
    , m_clock(clock)
    , m_phraseCooldown(clock, kPhraseCooldownMs)
    , m_phrases(kDefaultPhrases)
{
    setGeometry(area->rect());
    m_phraseCooldown.onTimer = [this] {
        m_phraseReady = true;
        m_phraseCooldown.stop();
    };
    m_ownLineAllowance.reset(m_clock.now());
    buildView();
    buildInput();
    const int row = height() - kChatInputFromBottom;
    buildSmileyButton(row);
    buildPhraseButtons(height() - 21);
    buildChatterSoundButton(height() - 21);
    area->installEventFilter(new FocusForwarder(area, m_input));
    m_view->installEventFilter(new TypingForwarder(m_view, m_input));
    m_input->setFocus();
}

void ChatPanel::buildView()
{
    m_view = new ChatView(this);
    m_view->setObjectName("mainchat");
    m_view->setAccessibleName("Chat messages");
    m_view->setGeometry(0, 0, width(), height() - 48);
    connect(m_view, &ChatView::linkClicked, this, &ChatPanel::linkClicked);
    buildViewMenu();
}

void ChatPanel::buildViewMenu()
{
    m_viewMenu = new QMenu(this);
    m_viewMenu->setObjectName("chat_messages_menu");
    m_viewMenu->addAction("Select All", m_view, &ChatView::selectAllText);
    QAction* copy = m_viewMenu->addAction("Copy", m_view, &ChatView::copySelection);
    copy->setShortcut(QKeySequence("Ctrl+C"));
    copy->setShortcutContext(Qt::WidgetShortcut);
    m_view->addAction(copy);
    m_viewMenu->addAction("Clear Main Chat", this, &ChatPanel::clear);
    m_viewMenu->addSeparator();
    m_scrollOff = m_viewMenu->addAction("Scroll Chat Off");
    m_scrollOff->setCheckable(true);
    m_scrollOff->setShortcut(QKeySequence("Ctrl+S"));
    m_scrollOff->setShortcutContext(Qt::WidgetShortcut); // its twin under Options answers the keys
    connect(m_scrollOff, &QAction::triggered, this, [this](bool off) {
        setScrollingOff(off);
        emit scrollingOffChanged(off);
    });
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_view, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { m_viewMenu->popup(m_view->mapToGlobal(pos)); });
}

void ChatPanel::buildInput()
{
    m_input = new QLineEdit(kEnterChatHere, this);
    m_input->setObjectName("mychat");
    m_input->setAccessibleName("Chat input");
    m_input->setAccessibleDescription("Type a line and press Enter to send it");
    m_input->setGeometry(0, height() - kChatInputFromBottom, width() - 28, 21);
    m_input->setMaxLength(kMaxChatInput);
    m_input->installEventFilter(new ChatInputFilter(m_input, [this] { pasteClipboard(); }));
    connect(m_input, &QLineEdit::returnPressed, this, &ChatPanel::sendInput);
    m_input->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_input, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu menu;
        menu.setObjectName("chat_input_menu");
        menu.addAction("Paste", this, &ChatPanel::pasteClipboard)->setShortcut(QKeySequence("Ctrl+V"));
        menu.exec(m_input->mapToGlobal(pos));
    });
}

QToolButton* ChatPanel::addButton(const QString& name, const QRect& place)
{
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setGeometry(place);
    return button;
}

void ChatPanel::popUpBeside(QToolButton* button, QMenu* menu)
{
    menu->popup(button->mapToGlobal(QPoint(button->width(), button->height())));
}

void ChatPanel::buildSmileyButton(int row)
{
    m_smileyButton = addButton("button_smilies", QRect(width() - 25, row, 25, 21));
    m_smileyButton->setIcon(ChatView::smiley(0));
    m_smileyButton->setToolTip("Smilies");
    m_smileyButton->setAccessibleName("Smilies");
    m_smileyMenu = new QMenu(this);
    m_smileyMenu->setObjectName("smiley_menu");
    connect(m_smileyMenu, &QMenu::aboutToShow, this, &ChatPanel::fillSmileyMenu);
    connect(m_smileyMenu, &QMenu::aboutToHide, this, &ChatPanel::focusInput);
    connect(m_smileyButton, &QToolButton::clicked, this, [this] { popUpBeside(m_smileyButton, m_smileyMenu); });
}

void ChatPanel::buildPhraseButtons(int row)
{
    const int step = width() / 10;
    for (int i = 0; i < kPhraseCount; ++i) {
        QToolButton* button = addButton(QString("phrase_button_%1").arg(i + 1), QRect(i * step, row, step - 3, 21));
        button->setText(QString::number(i + 1));
        button->setToolTip(m_phrases[i]);
        button->setAccessibleName(m_phrases[i]);
        connect(button, &QToolButton::clicked, this, [this, i] {
            sendPhrase(i);
            focusInput();
        });
        m_phraseButtons[i] = button;
    }
}

void ChatPanel::buildChatterSoundButton(int row)
{
    const int left = kPhraseCount * (width() / 10);
    m_chatterSoundButton = addButton("chatter_sounds_button", QRect(left, row, width() - left, 21));
    m_chatterSoundButton->setText(QString::fromUtf8("\u266A"));
    m_chatterSoundButton->setToolTip("Chatter Sounds");
    m_chatterSoundButton->setAccessibleName("Chatter Sounds");
    m_chatterSoundMenu = new QMenu(this);
    m_chatterSoundMenu->setObjectName("chatter_sound_menu");
    for (int tag = 0; tag <= chatter::kSoundCount; ++tag) {
        QAction* entry = m_chatterSoundMenu->addAction(chatter::caption(tag), this, [this, tag] { sendChatterSound(tag); });
        entry->setObjectName(tag == 0 ? QString("chatter_sound_cancel") : chatter::soundName(tag));
        entry->setToolTip(chatter::caption(tag));
    }
    connect(m_chatterSoundMenu, &QMenu::aboutToHide, this, &ChatPanel::focusInput);
    connect(m_chatterSoundButton, &QToolButton::clicked, this,
            [this] { popUpBeside(m_chatterSoundButton, m_chatterSoundMenu); });
}

// The chat input comes first and Tab goes on to the board: the keyboard reaches the
// letters in one step and Escape brings it back. Then the chat messages and the buttons.
void ChatPanel::orderTabStops(QWidget* afterInput)
{
    QWidget::setTabOrder(m_input, afterInput);
    QWidget* previous = m_view;
    QList<QWidget*> buttons{m_smileyButton};
    for (QToolButton* button : m_phraseButtons)
        buttons << button;
    for (QWidget* button : buttons << m_chatterSoundButton) {
        QWidget::setTabOrder(previous, button);
        previous = button;
    }
}

void ChatPanel::addNotice(const QString& text)
{
    addLine("0+" + text, kNoticeColour);
}

void ChatPanel::addPlayerLine(int sender, const QString& text, const QColor& colour)
{
    addLine(QString::number(sender) + '+' + text, colour);
}

QColor ChatPanel::senderColour(const std::optional<QString>& colourText)
{
    const auto bgr = colourText ? ColorText::fromText(*colourText, true) : std::nullopt;
    return bgr ? ColorText::toQColor(*bgr) : QColor(255, 0, 0);
}

void ChatPanel::addLine(const QString& text, const QColor& colour)
{
    const auto line = ChatLineParser::parse(text);
    if (!line)
        return;
    m_view->setStyleLook(line->style, colour, true, false, false);
    m_view->beginLine();
    m_view->addParagraph(line->style, line->prefix);
    for (const ChatItem& item : line->items) {
        switch (item.kind) {
        case ChatItem::Kind::Text:
            m_view->addText(line->style, item.text);
            break;
        case ChatItem::Kind::Link:
            m_view->addLink(item.text, item.target);
            break;
        case ChatItem::Kind::Smiley:
            m_view->addSmiley(item.smiley);
            break;
        }
    }
    m_view->endLine();
    if (!m_scrollingOff)
        m_view->scrollToEnd();
    emit lineAdded(line->style, text.section('+', 1));
}

QString ChatPanel::ownColourText() const
{
    return ColorText::toText(m_ownColour);
}

// The host counts every chat line, action and chatter sound of a connection (its
// flood rule); what it would drop is not sent, so the sender sees why it is missing.
bool ChatPanel::hostWouldRelayOwnLine()
{
    if (m_ownLineAllowance.take(m_clock.now()) == ChatLimiter::Verdict::Relay)
        return true;
    addNotice(kSlowDown);
    return false;
}

void ChatPanel::sendInput()
{
    if (!m_outlet.chatOpen())
        return;
    const QString text = m_input->text();
    // "/me" and a blank (or nothing) is an action; "/meow" is an ordinary line; other "/" lines are not sent.
    const bool action = text == "/me" || text.startsWith("/me ");
    const bool chat = !text.startsWith('/') || text.startsWith("/me");
    if (!text.isEmpty() && (action || chat)) {
        if (!hostWouldRelayOwnLine())
            return;
        if (action)
            m_outlet.sendAction(text.mid(4), ownColourText());
        else
            m_outlet.sendChat(text, ownColourText());
    }
    m_input->clear();
}

void ChatPanel::pasteClipboard()
{
    const QString text = QApplication::clipboard()->text();
    if (!text.isEmpty())
        m_input->setText(text);
}

void ChatPanel::clear()
{
    m_view->clearAll();
    focusInput();
}

void ChatPanel::focusInput()
{
    m_input->setFocus(Qt::OtherFocusReason);
}

void ChatPanel::setScrollingOff(bool off)
{
    m_scrollingOff = off;
    m_scrollOff->setChecked(off);
}

void ChatPanel::setTextSize(int points)
{
    m_view->setTextSize(points);
}

void ChatPanel::setOwnColour(quint32 bgr)
{
    // Kept as the colour value itself, so a system colour stays a system colour.
    m_ownColour = bgr;
    QPalette palette = m_input->palette();
    palette.setColor(QPalette::Text, ColorText::toQColor(bgr));
    m_input->setPalette(palette);
}

// The smiley menu's 18 pictures are made when it first opens.
void ChatPanel::fillSmileyMenu()
{
    if (!m_smileyMenu->isEmpty())
        return;
    for (int code = 10; code <= 27; ++code)
        m_smileyMenu->addAction(ChatView::smiley(code - 10), ":)#" + QString::number(code), this,
                                [this, code] { insertSmiley(code); });
}

void ChatPanel::insertSmiley(int code)
{
    if (m_input->text() == kEnterChatHere)
        m_input->clear();
    m_input->setText(m_input->text() + ":)#" + QString::number(code));
    m_input->deselect();
    m_input->end(false);
}

void ChatPanel::setPhrases(const Phrases& phrases)
{
    for (int i = 0; i < kPhraseCount; ++i)
        if (!phrases[i].isEmpty()) {
            m_phrases[i] = phrases[i];
            m_phraseButtons[i]->setToolTip(phrases[i]);
            m_phraseButtons[i]->setAccessibleName(phrases[i]);
        }
}

void ChatPanel::replacePhrases(const QStringList& phrases)
{
    for (int i = 0; i < kPhraseCount; ++i) {
        m_phrases[i] = phrases.value(i);
        m_phraseButtons[i]->setToolTip(m_phrases[i]);
    }
}

void ChatPanel::sendPhrase(int button)
{
    if (!m_phraseReady || !hostWouldRelayOwnLine())
        return;
    const QString& phrase = m_phrases[button];
    m_outlet.sendAction(phrase.startsWith("/me ") ? phrase.mid(4) : "says: " + phrase, ownColourText());
    m_phraseReady = false;
    m_phraseCooldown.start();
}

void ChatPanel::sendChatterSound(int tag)
{
    if (tag != 0 && m_outlet.chatterSoundsOpen() && hostWouldRelayOwnLine())
        m_outlet.sendChatterSound(tag);
}
