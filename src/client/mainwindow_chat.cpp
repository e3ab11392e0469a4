// The main window's menus, chat, phrase buttons, smilies and chatter sounds.
#include "client/mainwindow.h"

#include "board/board.h"
#include "client/chatline.h"
#include "client/chatview.h"
#include "client/colortext.h"
#include "client/soundoutput.h"
#include "windows/aboutdialog.h"
#include "windows/desktop.h"
#include "windows/helpwindow.h"
#include "windows/phraseeditor.h"
#include "windows/spylistwindow.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QToolButton>
#include <QUrl>

namespace {

constexpr char kEnterChatHere[] = "<Enter Chat Here>";
constexpr char kSlowDown[] = "Slow down: that line was not sent.";
constexpr int kChatInputFromBottom = 45;
// The longest line that can be typed: it still fits the one message the server takes,
// with room for "CMD_action+", the slot, the colour text and the terminator.
constexpr int kChatEnvelopeBytes = 128;
constexpr int kMaxChatInput = proto::kMaxPendingBytes - kChatEnvelopeBytes;

const QStringList kDefaultPhrases = {"Way To Go!", "Good One!",  "Nice Try!",         "Excellent!",         "Brilliant!",
                                     "Wow, WTG!",  "Thanks!",    "Way To Go Teamie!", "Good Game Everyone!"};

const QStringList kChatterSounds = {"<Cancel>", "Doh", "Cough", "Hello", "Thank You", "Where have you been?",
                                    "Snoring", "Sneezing", "Sorry", "Welcome", "Yeehaa", "Yippee", "Oh No",
                                    "Applause", "Honk", "Oooh", "Razzberry", "Cheer", "Woman Laughing",
                                    "Man Laughing", "Crying"};

// A chatter sound's name on the wire and in the sounds: "wave1" to "wave20".
QString chatterSoundName(int tag)
{
    return "wave" + QString::number(tag);
}

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

QAction* MainWindow::addNamedAction(QMenu* menu, const QString& objectName, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(objectName);
    m_actions.insert(objectName, action);
    return action;
}

void MainWindow::buildMenus()
{
    auto add = [this](QMenu* menu, const QString& name, const QString& caption, auto handler) {
        QAction* action = addNamedAction(menu, name, caption);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    auto radio = [](std::initializer_list<QAction*> group, int checkedIndex) {
        int i = 0;
        for (QAction* action : group) {
            action->setCheckable(true);
            action->setChecked(i++ == checkedIndex);
        }
    };

    QMenu* file = menuBar()->addMenu("File");
    add(file, "StartGame1", "Start Game", [this] { m_board->onStartClicked(); })->setEnabled(false);
    file->addSeparator();
    add(file, "Exit1", "Exit", [this] { close(); });

    QMenu* options = menuBar()->addMenu("Options");
    QAction* playSounds = add(options, "PlaySounds1", "Play Sounds", [this] { saveSettingsReportingErrors(); });
    playSounds->setCheckable(true);
    playSounds->setChecked(true);
    QAction* chatter = add(options, "PlayChatterSounds1", "Play Chatter Sounds", [this] { saveSettingsReportingErrors(); });
    chatter->setCheckable(true);
    QMenu* turnSound = options->addMenu("Turn Sound");
    turnSound->setObjectName("TurnSound1");
    QAction* classic = add(turnSound, "Classic1", "Classic", [this] { setTurnSound(0); });
    QAction* newSound = add(turnSound, "New1", "New", [this] { setTurnSound(1); });
    radio({classic, newSound}, 0);
    QMenu* botSpeed = options->addMenu("Bot Speed");
    botSpeed->setObjectName("BotSpeed1");
    QAction* slow = add(botSpeed, "Slow1", "Slow", [this] { chooseBotSpeed(2000); });
    QAction* normal = add(botSpeed, "Normal1", "Normal", [this] { chooseBotSpeed(1500); });
    QAction* fast = add(botSpeed, "Fast1", "Fast", [this] { chooseBotSpeed(1000); });
    radio({slow, normal, fast}, 1);
    options->addSeparator();
    add(options, "TextColor1", "Text Color", [this] { chooseTextColour(); });
    QMenu* textSize = options->addMenu("Text Size");
    textSize->setObjectName("TextSize1");
    for (int size : {8, 10, 12, 14}) {
        QAction* entry = add(textSize, "N" + QString::number(size), QString::number(size), [this, size] {
            setTextSize(size);
            saveSettingsReportingErrors();
        });
        entry->setCheckable(true);
    }
    QAction* scrollOff = addNamedAction(options, "ScrollChatOff2", "Scroll Chat Off");
    scrollOff->setCheckable(true);
    connect(scrollOff, &QAction::triggered, this, &MainWindow::setChatScrollingOff);
    scrollOff->setShortcut(QKeySequence("Ctrl+S"));
    add(options, "ClearMainChat1", "Clear Main Chat", [this] { clearChat(); });
    add(options, "ResetScreenLocation1", "Reset Screen Location", [this] { resetScreenLocation(); });
    options->addSeparator();
    add(options, "WordLists1", "Word Lists…", [this] { chooseWordFolder(); });
    add(options, "BuiltinWords1", "Built-in Words", [this] { useBuiltInWords(); });
    QAction* openPort = add(options, "OpenPortOnRouter1", "Open Port On Router", [this] { setOpenPortOnRouter(); });
    openPort->setCheckable(true);
    openPort->setChecked(true);
    options->addSeparator();
    // "Just Watch" stays the menu's last entry.
    add(options, "JustWatch1", "Just Watch", [this] { toggleJustWatch(); })->setCheckable(true);

    QMenu* view = menuBar()->addMenu("View");
    add(view, "ViewTally1", "View Tally", [this] { showTally(); });
    add(view, "SpyList1", "Spy List", [this] {
        if (m_windows.spylist)
            m_windows.spylist->show();
    });
    add(view, "PrhaseList1", "Phrase List", [this] {
        if (!m_windows.phrases)
            return;
        m_windows.phrases->setPhrases(phrases());
        m_windows.phrases->show();
    });

    QMenu* help = menuBar()->addMenu("Help");
    add(help, "Help2", "Content", [this] {
        if (m_windows.help)
            m_windows.help->show();
    })->setShortcut(QKeySequence(Qt::Key_F1));
    help->addSeparator();
    add(help, "About1", "About", [this] {
        if (m_windows.about)
            m_windows.about->show();
    });

    m_popupKick = new QMenu(this);
    m_popupKick->setObjectName("popup_kick");
    add(m_popupKick, "RemoveFromGame1", "Remove From Game", [this] { removeSeatPlayer(); });
    add(m_popupKick, "SettoJustWatch1", "Set to Just Watch", [this] { setSeatJustWatching(); });
    add(m_popupKick, "UnsetJustWatch1", "Unset Just Watch", [this] { unsetSeatJustWatching(); });
}

void MainWindow::buildChat(QWidget* area)
{
    buildChatView(area);
    buildChatInput(area);
    QList<QWidget*> buttons = buildChatButtons(area);
    area->installEventFilter(new FocusForwarder(area, m_chatInput));
    m_chatView->installEventFilter(new TypingForwarder(m_chatView, m_chatInput));
    m_chatInput->setFocus();
    orderTabStops(buttons);
}

void MainWindow::buildChatView(QWidget* area)
{
    m_chatView = new ChatView(area);
    m_chatView->setObjectName("mainchat");
    m_chatView->setAccessibleName("Chat messages");
    m_chatView->setGeometry(0, 0, area->width(), area->height() - 48);
    connect(m_chatView, &ChatView::linkClicked, this, &MainWindow::openChatLink);

    m_popupMainchat = new QMenu(this);
    m_popupMainchat->setObjectName("popup_mainchat");
    m_popupMainchat->addAction("Select All", m_chatView, &ChatView::selectAllText);
    QAction* copy = m_popupMainchat->addAction("Copy", m_chatView, &ChatView::copySelection);
    copy->setShortcut(QKeySequence("Ctrl+C"));
    copy->setShortcutContext(Qt::WidgetShortcut);
    m_chatView->addAction(copy);
    m_popupMainchat->addAction("Clear Main Chat", this, &MainWindow::clearChat);
    m_popupMainchat->addSeparator();
    QAction* scrollOff = addNamedAction(m_popupMainchat, "ScrollChatOff1", "Scroll Chat Off");
    scrollOff->setCheckable(true);
    scrollOff->setShortcut(QKeySequence("Ctrl+S"));
    scrollOff->setShortcutContext(Qt::WidgetShortcut); // its twin under Options answers the keys
    connect(scrollOff, &QAction::triggered, this, &MainWindow::setChatScrollingOff);
    m_chatView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_chatView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { m_popupMainchat->popup(m_chatView->mapToGlobal(pos)); });
}

void MainWindow::buildChatInput(QWidget* area)
{
    const int row = area->height() - kChatInputFromBottom;
    m_chatInput = new QLineEdit(kEnterChatHere, area);
    m_chatInput->setObjectName("mychat");
    m_chatInput->setAccessibleName("Chat input");
    m_chatInput->setAccessibleDescription("Type a line and press Enter to send it");
    m_chatInput->setGeometry(0, row, area->width() - 28, 21);
    m_chatInput->setMaxLength(kMaxChatInput);
    const auto paste = [this] {
        const QString text = QApplication::clipboard()->text();
        if (!text.isEmpty())
            m_chatInput->setText(text);
    };
    m_chatInput->installEventFilter(new ChatInputFilter(m_chatInput, paste));
    connect(m_chatInput, &QLineEdit::returnPressed, this, &MainWindow::sendChatInput);
    m_chatInput->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_chatInput, &QWidget::customContextMenuRequested, this, [this, paste](const QPoint& pos) {
        QMenu menu;
        menu.setObjectName("popup_mychat");
        menu.addAction("Paste", paste)->setShortcut(QKeySequence("Ctrl+V"));
        menu.exec(m_chatInput->mapToGlobal(pos));
    });
}

// The smiley button beside the input, the nine phrase buttons and the chatter sounds below it.
QList<QWidget*> MainWindow::buildChatButtons(QWidget* area)
{
    const int row = area->height() - kChatInputFromBottom;
    auto* smilies = new QToolButton(area);
    smilies->setObjectName("button_smilies");
    smilies->setGeometry(area->width() - 25, row, 25, 21);
    smilies->setIcon(ChatView::smiley(0));
    smilies->setToolTip("Smilies");
    smilies->setAccessibleName("Smilies");
    m_popupSmilies = new QMenu(this);
    m_popupSmilies->setObjectName("popup_smilies");
    connect(m_popupSmilies, &QMenu::aboutToShow, this, &MainWindow::fillSmileyMenu);
    connect(m_popupSmilies, &QMenu::aboutToHide, this, &MainWindow::focusChatInput);
    connect(smilies, &QToolButton::clicked, this, [this, smilies] {
        m_popupSmilies->popup(smilies->mapToGlobal(QPoint(smilies->width(), smilies->height())));
    });

    const int buttonRow = area->height() - 21;
    const int step = area->width() / 10;
    for (int i = 0; i < 9; ++i) {
        auto* button = new QToolButton(area);
        button->setObjectName(QString("b_phrase%1").arg(i + 1));
        button->setGeometry(i * step, buttonRow, step - 3, 21);
        button->setText(QString::number(i + 1));
        button->setToolTip(kDefaultPhrases[i]);
        button->setAccessibleName(kDefaultPhrases[i]);
        connect(button, &QToolButton::clicked, this, [this, i] {
            sendPhrase(i);
            focusChatInput();
        });
        m_phraseButtons[i] = button;
    }
    auto* sounds = new QToolButton(area);
    sounds->setObjectName("b_phrase10");
    sounds->setGeometry(9 * step, buttonRow, area->width() - 9 * step, 21);
    sounds->setText(QString::fromUtf8("\u266A"));
    sounds->setToolTip("Chatter Sounds");
    sounds->setAccessibleName("Chatter Sounds");
    m_popupSounds = new QMenu(this);
    m_popupSounds->setObjectName("popup_sounds");
    for (int tag = 0; tag < kChatterSounds.size(); ++tag) {
        QAction* entry = m_popupSounds->addAction(kChatterSounds[tag], this, [this, tag] { sendChatterSound(tag); });
        entry->setObjectName(tag == 0 ? QString("Cancel1") : chatterSoundName(tag));
        entry->setToolTip(kChatterSounds[tag]);
    }
    connect(m_popupSounds, &QMenu::aboutToHide, this, &MainWindow::focusChatInput);
    connect(sounds, &QToolButton::clicked, this, [this, sounds] {
        m_popupSounds->popup(sounds->mapToGlobal(QPoint(sounds->width(), sounds->height())));
    });
    QList<QWidget*> buttons{smilies};
    for (QToolButton* button : m_phraseButtons)
        buttons << button;
    return buttons << sounds;
}

// The chat input comes first and Tab goes on to the board: the keyboard reaches the
// letters in one step and Escape brings it back. Then the chat messages and the buttons.
void MainWindow::orderTabStops(const QList<QWidget*>& chatButtons)
{
    QWidget::setTabOrder(m_chatInput, m_board);
    QWidget* previous = m_chatView;
    for (QWidget* button : chatButtons) {
        QWidget::setTabOrder(previous, button);
        previous = button;
    }
}

// ---------------------------------------------------------------- chat

void MainWindow::addSystemLine(const QString& text)
{
    addChatLine("0+" + text, m_statusColour);
}

void MainWindow::addChatLine(const QString& text, const QColor& colour)
{
    const auto line = ChatLineParser::parse(text);
    if (!line)
        return;
    m_chatView->setStyleLook(line->style, colour, true, false, false);
    m_chatView->beginLine();
    m_chatView->addParagraph(line->style, line->prefix);
    for (const ChatItem& item : line->items) {
        switch (item.kind) {
        case ChatItem::Kind::Text:
            m_chatView->addText(line->style, item.text);
            break;
        case ChatItem::Kind::Link:
            if (++m_linkCounter > 100)
                m_linkCounter = 1;
            m_chatView->addLink(item.text, item.target);
            break;
        case ChatItem::Kind::Smiley:
            m_chatView->addSmiley(item.smiley);
            break;
        }
    }
    m_chatView->endLine();
    if (!action("ScrollChatOff2")->isChecked())
        m_chatView->scrollToEnd();
    emit chatLineAdded(line->style, text.section('+', 1));
}

QByteArray MainWindow::ownColourText() const
{
    return proto::toWire(ColorText::toText(m_ownColour));
}

// The host counts every chat line, action and chatter sound of a connection (its
// flood rule); what it would drop is not sent, so the sender sees why it is missing.
bool MainWindow::hostWouldRelayOwnLine()
{
    if (m_ownLineAllowance.take(m_clock.now()) == ChatLimiter::Verdict::Relay)
        return true;
    addSystemLine(kSlowDown);
    return false;
}

void MainWindow::sendChatInput()
{
    if (!m_loggedIn)
        return;
    const QString text = m_chatInput->text();
    // "/me" and a blank (or nothing) is an action; "/meow" is an ordinary line; other "/" lines are not sent.
    const bool action = text == "/me" || text.startsWith("/me ");
    const bool chat = !text.startsWith('/') || text.startsWith("/me");
    if (!text.isEmpty() && (action || chat)) {
        if (!hostWouldRelayOwnLine())
            return;
        if (action)
            send(proto::msg::action(m_ownSlot, proto::toWire(text.mid(4)), ownColourText()));
        else
            send(proto::msg::chat(m_ownSlot, proto::toWire(text), ownColourText()));
    }
    m_chatInput->clear();
}

void MainWindow::chatReceived(const QByteArray& args)
{
    const auto line = proto::read::chatRelay(args);
    if (!line)
        return;
    QColor colour(255, 0, 0);
    if (line->colour) {
        if (const auto bgr = ColorText::fromText(proto::fromWire(*line->colour), true))
            colour = ColorText::toQColor(*bgr);
    }
    addChatLine(QString::number(line->sender) + '+' + proto::fromWire(line->text), colour);
}

void MainWindow::openChatLink(const QString& target)
{
    const QString address = target.trimmed();
    if (address.isEmpty()) {
        showMessage("Cannot open Webpage");
        return;
    }
    m_surroundings.desktop.openUrl(QUrl(address));
}

void MainWindow::clearChat()
{
    m_chatView->clearAll();
    focusChatInput();
}

void MainWindow::focusChatInput()
{
    m_chatInput->setFocus(Qt::OtherFocusReason);
}

void MainWindow::setChatScrollingOff(bool on)
{
    // The pop-up entry and its twin under Options always agree.
    action("ScrollChatOff1")->setChecked(on);
    action("ScrollChatOff2")->setChecked(on);
}

// The smiley menu's 18 pictures are made when it first opens.
void MainWindow::fillSmileyMenu()
{
    if (!m_popupSmilies->isEmpty())
        return;
    for (int code = 10; code <= 27; ++code)
        m_popupSmilies->addAction(ChatView::smiley(code - 10), ":)#" + QString::number(code), this,
                                  [this, code] { insertSmiley(code); });
}

void MainWindow::insertSmiley(int code)
{
    if (m_chatInput->text() == kEnterChatHere)
        m_chatInput->clear();
    m_chatInput->setText(m_chatInput->text() + ":)#" + QString::number(code));
    m_chatInput->deselect();
    m_chatInput->end(false);
}

QStringList MainWindow::phrases() const
{
    QStringList out;
    for (QToolButton* button : m_phraseButtons)
        out << button->toolTip();
    return out;
}

void MainWindow::setPhrases(const QStringList& phrases)
{
    for (int i = 0; i < 9 && i < phrases.size(); ++i)
        if (!phrases[i].isEmpty()) {
            m_phraseButtons[i]->setToolTip(phrases[i]);
            m_phraseButtons[i]->setAccessibleName(phrases[i]);
        }
}

void MainWindow::replacePhrases(const QStringList& phrases)
{
    for (int i = 0; i < 9; ++i)
        m_phraseButtons[i]->setToolTip(phrases.value(i));
}

void MainWindow::sendPhrase(int button)
{
    if (!m_phraseReady || !hostWouldRelayOwnLine())
        return;
    const QString phrase = m_phraseButtons[button]->toolTip();
    const QString text = phrase.startsWith("/me ") ? phrase.mid(4) : "says: " + phrase;
    send(proto::msg::action(m_ownSlot, proto::toWire(text), ownColourText()));
    m_phraseReady = false;
    m_phraseCooldown.start();
}

// ---------------------------------------------------------------- sound

bool MainWindow::playSoundsChecked() const
{
    return action("PlaySounds1")->isChecked();
}

bool MainWindow::chatterSoundsChecked() const
{
    return action("PlayChatterSounds1")->isChecked();
}

void MainWindow::playSound(const QString& name)
{
    if (playSoundsChecked())
        playNow(name);
}

void MainWindow::playNow(const QString& name)
{
    m_surroundings.sound.play(name);
}

void MainWindow::sendChatterSound(int tag)
{
    if (tag == 0)
        return;
    if (m_loggedIn && isSeat(m_ownSlot) && hostWouldRelayOwnLine())
        send(proto::msg::playASound(m_ownSlot, tag));
}

void MainWindow::playASound(const QByteArray& args)
{
    const auto sound = proto::read::playASoundRelay(args);
    if (!sound)
        return;
    if (chatterSoundsChecked()) {
        playNow(chatterSoundName(sound->sound));
        return;
    }
    if (isSeat(sound->sender))
        addSystemLine(m_board->seatCaption(sound->sender) + ": <Chatter Sound> " + kChatterSounds[sound->sound]);
}
