#pragma once
// The main window's menu bar and the pop-up menu on a seat: every entry, its caption,
// shortcut and check mark. The window connects the entries to what they do; the
// check marks show the settings the window holds.

#include <QObject>
#include <array>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;
struct HangmanSettings;

class GameMenus : public QObject {
    Q_OBJECT
public:
    static constexpr std::array<int, 4> kTextSizes = {8, 10, 12, 14};

    // Fills the menu bar; the seat menu belongs to the given window.
    GameMenus(QMenuBar* bar, QWidget* window);

    // Shows the settings' check marks: sounds, turn sound, bot speed, text size, the router's port.
    void showSettings(const HangmanSettings& settings);
    // Checks the one bot speed entry of the given milliseconds.
    void showBotSpeed(int milliseconds);
    // Checks the one turn sound entry (0 Classic, 1 New).
    void showTurnSound(int sound);
    // Checks the one text size entry of the given points.
    void showTextSize(int points);

    QMenu* file = nullptr;
    QAction* startGame = nullptr;
    QAction* exit = nullptr;

    QMenu* options = nullptr;
    QAction* playSounds = nullptr;
    QAction* playChatterSounds = nullptr;
    QAction* classicTurnSound = nullptr;
    QAction* newTurnSound = nullptr;
    QAction* slowBots = nullptr;
    QAction* normalBots = nullptr;
    QAction* fastBots = nullptr;
    QAction* textColour = nullptr;
    std::array<QAction*, kTextSizes.size()> textSizes = {};
    QAction* scrollChatOff = nullptr;
    QAction* clearChat = nullptr;
    QAction* resetScreenLocation = nullptr;
    QAction* chooseWordLists = nullptr;
    QAction* useBuiltInWords = nullptr;
    QAction* openPortOnRouter = nullptr;
    QAction* lockGame = nullptr;         // host only, for this game only
    QAction* askBeforeJoining = nullptr; // host only
    QAction* copyInvitationLink = nullptr; // only while hosting a game others can join
    QAction* justWatch = nullptr; // stays the Options menu's last entry

    QMenu* view = nullptr;
    QAction* viewTally = nullptr;
    QAction* spyList = nullptr;
    QAction* phraseList = nullptr;

    QMenu* help = nullptr;
    QAction* helpContents = nullptr;
    QAction* about = nullptr;

    QMenu* seatMenu = nullptr; // on a seat's name
    QAction* removeFromGame = nullptr;
    QAction* setToJustWatch = nullptr;
    QAction* unsetJustWatch = nullptr;

private:
    void buildFileMenu(QMenuBar* bar);
    void buildOptionsMenu(QMenuBar* bar);
    void buildSoundEntries();
    void buildChatEntries();
    void buildViewAndHelpMenus(QMenuBar* bar);
    void buildSeatMenu(QWidget* window);
};
