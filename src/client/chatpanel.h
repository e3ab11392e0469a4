#pragma once
// The chat below the board: the messages, the input line, the nine phrase buttons,
// the smiley menu and the chatter sounds. What the player sends leaves through a
// ChatOutlet, after the host's flood rule has been applied to it here.

#include "net/gametimer.h"
#include "server/floodcontrol.h"

#include <QColor>
#include <QWidget>
#include <array>
#include <optional>

class QAction;
class QLineEdit;
class QMenu;
class QToolButton;
class ChatView;

// The chatter sounds: tag 1 to 20 on the wire, tag 0 is the menu's "<Cancel>".
namespace chatter {
inline constexpr int kSoundCount = 20;
// The menu caption of a tag, such as "Doh" for 1.
QString caption(int tag);
// The sound played for a tag: "wave1" to "wave20".
QString soundName(int tag);
} // namespace chatter

// Where the lines, actions and chatter sounds the player sends go.
class ChatOutlet {
public:
    virtual ~ChatOutlet() = default;
    // Whether a typed line may leave now (the player is logged in).
    virtual bool chatOpen() const = 0;
    // Whether a chatter sound may leave now (logged in on a seat).
    virtual bool chatterSoundsOpen() const = 0;
    // Sends a chat line in the given colour text.
    virtual void sendChat(const QString& text, const QString& colour) = 0;
    // Sends an action ("/me" line or phrase) in the given colour text.
    virtual void sendAction(const QString& text, const QString& colour) = 0;
    // Sends a chatter sound's tag (1 to 20).
    virtual void sendChatterSound(int tag) = 0;
};

class ChatPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPhraseCount = 9;
    using Phrases = std::array<QString, kPhraseCount>;

    // Fills the chat area it is placed in; the phrase cool-down and flood rule run on the clock.
    ChatPanel(Clock& clock, ChatOutlet& outlet, QWidget* area);

    // Adds a line "style+text" (style 0 is a notice) in the given colour; bad lines are dropped.
    void addLine(const QString& line, const QColor& colour);
    // Adds a notice in the status colour.
    void addNotice(const QString& text);
    // Adds a line a player sent, in the colour they chose.
    void addPlayerLine(int sender, const QString& text, const QColor& colour);
    // The colour a player's line is shown in: the one the sender's colour text names, else red.
    static QColor senderColour(const std::optional<QString>& colourText);

    // The phrases behind the nine buttons.
    Phrases phrases() const { return m_phrases; }
    // Takes the non-empty phrases; an empty one leaves its button as it is.
    void setPhrases(const Phrases& phrases);
    // Takes every phrase, empty ones too (the phrase editor's "Done").
    void replacePhrases(const QStringList& phrases);

    // The colour of the player's own lines, 0x00BBGGRR or a system colour.
    void setOwnColour(quint32 bgr);
    quint32 ownColour() const { return m_ownColour; }
    // The messages' text size in points.
    void setTextSize(int points);
    // Whether new lines leave the view where it is instead of scrolling to them.
    void setScrollingOff(bool off);
    bool scrollingOff() const { return m_scrollingOff; }
    // Empties the messages and gives the input the focus.
    void clear();
    // Gives the input the keyboard focus.
    void focusInput();
    // Sends what the input holds, as a line or a "/me" action.
    void sendInput();

    ChatView* view() const { return m_view; }
    QLineEdit* input() const { return m_input; }
    // The first widget after the input in the Tab order; the board goes between them.
    void orderTabStops(QWidget* afterInput);

signals:
    // A line reached the chat (style, text without the style number).
    void lineAdded(int style, const QString& text);
    // A link in the messages was clicked.
    void linkClicked(const QString& target);
    // The scrolling was switched on or off from the messages' pop-up menu.
    void scrollingOffChanged(bool off);

private:
    void buildView();
    void buildViewMenu();
    void buildInput();
    void buildSmileyButton(int row);
    void buildPhraseButtons(int row);
    void buildChatterSoundButton(int row);
    QToolButton* addButton(const QString& name, const QRect& place);
    void popUpBeside(QToolButton* button, QMenu* menu);
    void fillSmileyMenu();
    void insertSmiley(int code);
    void pasteClipboard();
    void sendPhrase(int button);
    void sendChatterSound(int tag);
    bool hostWouldRelayOwnLine();
    QString ownColourText() const;

    ChatOutlet& m_outlet;
    Clock& m_clock;
    GameTimer m_phraseCooldown;
    bool m_phraseReady = true;
    // The host's flood rule, applied to our own lines before they leave: a line it would drop is kept.
    ChatLimiter m_ownLineAllowance;
    Phrases m_phrases;
    quint32 m_ownColour = 0;
    bool m_scrollingOff = false;

    ChatView* m_view = nullptr;
    QLineEdit* m_input = nullptr;
    QToolButton* m_smileyButton = nullptr;
    QToolButton* m_phraseButtons[kPhraseCount] = {};
    QToolButton* m_chatterSoundButton = nullptr;
    QMenu* m_smileyMenu = nullptr;
    QMenu* m_chatterSoundMenu = nullptr;
    QMenu* m_viewMenu = nullptr;
    QAction* m_scrollOff = nullptr;
};
