// The main window's menus, chat, phrase buttons, smilies and chatter sounds.
#include "client/chatform.h"

#include "board/board.h"
#include "client/chatline.h"
#include "client/chatview.h"
#include "client/colortext.h"
#include "client/soundplayer.h"
#include "net/tsock.h"
#include "tally/tallylistform.h"
#include "windows/aboutform.h"
#include "windows/helpform.h"
#include "windows/phrasesform.h"
#include "windows/spylistform.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QRegularExpression>
#include <QToolButton>
#include <QUrl>

namespace {

constexpr char kEnterChatHere[] = "<Enter Chat Here>";

const QStringList kDefaultPhrases = {"Way To Go!", "Good One!",  "Nice Try!",         "Excellent!",         "Brilliant!",
                                     "Wow, WTG!",  "Thanks!",    "Way To Go Teamie!", "Good Game Everyone!"};

const QStringList kChatterSounds = {"<Cancel>", "Doh", "Cough", "Hello", "Thank You", "Where have you been?",
                                    "Snoring", "Sneezing", "Sorry", "Welcome", "Yeehaa", "Yippee", "Oh No",
                                    "Applause", "Honk", "Oooh", "Razzberry", "Cheer", "Woman Laughing",
                                    "Man Laughing", "Crying"};

// Clears the "<Enter Chat Here>" hint on the first key and sends on Enter.
class ChatInputFilter : public QObject {
public:
    explicit ChatInputFilter(QLineEdit* input) : QObject(input), m_input(input) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && m_input->text() == kEnterChatHere)
            m_input->clear();
        return false;
    }

private:
    QLineEdit* m_input;
};

} // namespace

QAction* Tchat::addNamedAction(QMenu* menu, const QString& objectName, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(objectName);
    m_actions.insert(objectName, action);
    return action;
}

void Tchat::buildMenus()
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
    add(file, "StartGame1", "Start Game", [this] { m_board->button_startClick(); })->setEnabled(false);
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
    add(options, "TextColor1", "Text Color", [this] { TextColor1Click(); });
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
    connect(scrollOff, &QAction::triggered, this, &Tchat::ScrollChatOff1Click);
    scrollOff->setShortcut(QKeySequence("Ctrl+S"));
    add(options, "ClearMainChat1", "Clear Main Chat", [this] { ClearMainChat1Click(); });
    add(options, "ResetScreenLocation1", "Reset Screen Location", [this] { ResetScreenLocation1Click(); });
    options->addSeparator();
    add(options, "JustWatch1", "Just Watch", [this] { JustWatch1Click(); })->setCheckable(true);

    QMenu* view = menuBar()->addMenu("View");
    add(view, "ViewTally1", "View Tally", [this] { ViewTally1Click(); });
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
    add(m_popupKick, "RemoveFromGame1", "Remove From Game", [this] { RemoveFromGame1Click(); });
    add(m_popupKick, "SettoJustWatch1", "Set to Just Watch", [this] { SettoJustWatch1Click(); });
    add(m_popupKick, "UnsetJustWatch1", "Unset Just Watch", [this] { UnsetJustWatch1Click(); });
}

void Tchat::buildChat(QWidget* area)
{
    m_mainchat = new ChatView(area);
    m_mainchat->setObjectName("mainchat");
    m_mainchat->setAccessibleName("Chat messages");
    m_mainchat->setGeometry(0, 0, area->width(), area->height() - 48);
    connect(m_mainchat, &ChatView::linkClicked, this, &Tchat::mainchatJump);

    m_popupMainchat = new QMenu(this);
    m_popupMainchat->addAction("Select All", m_mainchat, &ChatView::selectAllText);
    m_popupMainchat->addAction("Copy", m_mainchat, &ChatView::copySelection);
    m_popupMainchat->addAction("Clear Main Chat", this, &Tchat::ClearMainChat1Click);
    m_popupMainchat->addSeparator();
    QAction* scrollOff = addNamedAction(m_popupMainchat, "ScrollChatOff1", "Scroll Chat Off");
    scrollOff->setCheckable(true);
    connect(scrollOff, &QAction::triggered, this, &Tchat::ScrollChatOff1Click);
    m_mainchat->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_mainchat, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { m_popupMainchat->popup(m_mainchat->mapToGlobal(pos)); });

    const int row = area->height() - 45;
    m_mychat = new QLineEdit(kEnterChatHere, area);
    m_mychat->setObjectName("mychat");
    m_mychat->setAccessibleName("Chat input");
    m_mychat->setAccessibleDescription("Type a line and press Enter to send it");
    m_mychat->setGeometry(0, row, area->width() - 28, 21);
    m_mychat->setMaxLength(400);
    m_mychat->installEventFilter(new ChatInputFilter(m_mychat));
    connect(m_mychat, &QLineEdit::returnPressed, this, &Tchat::sendit);
    m_mychat->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_mychat, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu menu;
        menu.addAction("Paste", [this] {
            const QString text = QApplication::clipboard()->text();
            if (!text.isEmpty())
                m_mychat->setText(text);
        });
        menu.exec(m_mychat->mapToGlobal(pos));
    });

    auto* smilies = new QToolButton(area);
    smilies->setObjectName("button_smilies");
    smilies->setGeometry(area->width() - 25, row, 25, 21);
    smilies->setIcon(ChatView::smiley(0));
    smilies->setToolTip("Smilies");
    smilies->setAccessibleName("Smilies");
    m_popupSmilies = new QMenu(this);
    m_popupSmilies->setObjectName("popup_smilies");
    for (int code = 10; code <= 27; ++code)
        m_popupSmilies->addAction(ChatView::smiley(code - 10), ":)#" + QString::number(code), this,
                                  [this, code] { N271Click(code); });
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
        connect(button, &QToolButton::clicked, this, [this, i] { b_phrase1Click(i); });
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
        QAction* entry = m_popupSounds->addAction(kChatterSounds[tag], this, [this, tag] { wave20Click(tag); });
        entry->setObjectName(tag == 0 ? QString("Cancel1") : "wave" + QString::number(tag));
        entry->setToolTip(kChatterSounds[tag]);
    }
    connect(sounds, &QToolButton::clicked, this, [this, sounds] {
        m_popupSounds->popup(sounds->mapToGlobal(QPoint(sounds->width(), sounds->height())));
    });
}

// ---------------------------------------------------------------- chat

void Tchat::addSystemLine(const QString& text)
{
    addlinetochat("0+" + text, m_statusColour);
}

void Tchat::addlinetochat(const QString& text, const QColor& colour)
{
    const auto line = ChatLineParser::parse(text);
    if (!line)
        return;
    m_mainchat->setStyleLook(line->style, colour, true, false, false);
    m_mainchat->beginLine();
    m_mainchat->addParagraph(line->style, line->prefix);
    for (const ChatItem& item : line->items) {
        switch (item.kind) {
        case ChatItem::Kind::Text:
            m_mainchat->addText(line->style, item.text);
            break;
        case ChatItem::Kind::Link:
            if (++m_linkCounter > 100)
                m_linkCounter = 1;
            m_links[m_linkCounter] = item.target;
            m_mainchat->addLink(item.text, item.target);
            break;
        case ChatItem::Kind::Smiley:
            m_mainchat->addSmiley(item.smiley);
            break;
        }
    }
    m_mainchat->endLine();
    if (!action("ScrollChatOff2")->isChecked())
        m_mainchat->scrollToEnd();
    emit chatLineAdded(line->style, text.section('+', 1));
}

QByteArray Tchat::ownColourText() const
{
    return proto::toWire(ColorText::toText(m_ownColour));
}

void Tchat::sendit()
{
    if (!m_loggedIn)
        return;
    const QString text = m_mychat->text();
    if (!text.isEmpty()) {
        // "/me" and a blank (or nothing) is an action; "/meow" is an ordinary line; other "/" lines are not sent.
        const bool action = text == "/me" || text.startsWith("/me ");
        if (action)
            send(proto::msg::action(m_ownSlot, proto::toWire(text.mid(4)), ownColourText()));
        else if (!text.startsWith('/') || text.startsWith("/me"))
            send(proto::msg::chat(m_ownSlot, proto::toWire(text), ownColourText()));
    }
    m_mychat->clear();
}

void Tchat::chatrecieved(const QByteArray& args)
{
    const QString text = proto::fromWire(args);
    const qsizetype bar = text.lastIndexOf('|');
    QColor colour(255, 0, 0);
    if (bar >= 0) {
        if (const auto bgr = ColorText::fromText(text.mid(bar + 1), true))
            colour = ColorText::toQColor(*bgr);
    }
    addlinetochat(bar >= 0 ? text.left(bar) : text, colour);
}

void Tchat::mainchatJump(const QString& target)
{
    const QString address = target.trimmed();
    if (address.isEmpty()) {
        showMessage("Cannot open Webpage");
        return;
    }
    if (openLink)
        openLink(address);
    else
        QDesktopServices::openUrl(QUrl(address));
}

void Tchat::ClearMainChat1Click()
{
    m_mainchat->clearAll();
    m_mychat->setFocus();
}

void Tchat::ScrollChatOff1Click(bool on)
{
    // The pop-up entry and its twin under Options always agree.
    action("ScrollChatOff1")->setChecked(on);
    action("ScrollChatOff2")->setChecked(on);
}

void Tchat::N271Click(int code)
{
    if (m_mychat->text() == kEnterChatHere)
        m_mychat->clear();
    m_mychat->setText(m_mychat->text() + ":)#" + QString::number(code));
    m_mychat->deselect();
    m_mychat->end(false);
}

QStringList Tchat::phrases() const
{
    QStringList out;
    for (QToolButton* button : m_phraseButtons)
        out << button->toolTip();
    return out;
}

void Tchat::setPhrases(const QStringList& phrases)
{
    for (int i = 0; i < 9 && i < phrases.size(); ++i)
        if (!phrases[i].isEmpty()) {
            m_phraseButtons[i]->setToolTip(phrases[i]);
            m_phraseButtons[i]->setAccessibleName(phrases[i]);
        }
}

void Tchat::b_phrase1Click(int button)
{
    if (!m_phraseReady)
        return;
    const QString phrase = m_phraseButtons[button]->toolTip();
    const QString text = phrase.startsWith("/me ") ? phrase.mid(4) : "says: " + phrase;
    send(proto::msg::action(m_ownSlot, proto::toWire(text), ownColourText()));
    m_phraseReady = false;
    m_phraseCooldown.start();
}

// ---------------------------------------------------------------- sound

bool Tchat::playSoundsChecked() const
{
    return action("PlaySounds1")->isChecked();
}

bool Tchat::chatterSoundsChecked() const
{
    return action("PlayChatterSounds1")->isChecked();
}

void Tchat::playSound(const QString& name)
{
    soundsRequested << name;
    if (playSoundsChecked())
        m_sound->play(name);
}

void Tchat::wave20Click(int tag)
{
    if (tag == 0)
        return;
    if (m_loggedIn && m_ownSlot >= 1 && m_ownSlot <= proto::kSeatCount)
        send(proto::msg::playasound(m_ownSlot, tag));
}

void Tchat::playasound(const QByteArray& args)
{
    proto::FieldReader reader(args);
    const auto sender = reader.nextNumber();
    const QString name = proto::fromWire(reader.next());
    static const QRegularExpression chatterName("^wave([1-9]|1[0-9]|20)$");
    if (!sender || !chatterName.match(name).hasMatch())
        return;
    if (chatterSoundsChecked()) {
        m_sound->play(name);
        return;
    }
    if (*sender < 1 || *sender > proto::kSeatCount)
        return;
    for (QAction* entry : m_popupSounds->actions())
        if (entry->objectName() == name)
            addSystemLine(m_board->seatCaption(*sender) + ": <Chatter Sound> " + entry->toolTip());
}
