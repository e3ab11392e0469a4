#include "client/gamemenus.h"

#include "client/settingsfile.h"

#include <QMenu>
#include <QMenuBar>

namespace {

QAction* addCheckable(QMenu* menu, const QString& caption, bool checked = false)
{
    QAction* action = menu->addAction(caption);
    action->setCheckable(true);
    action->setChecked(checked);
    return action;
}

} // namespace

GameMenus::GameMenus(QMenuBar* bar, QWidget* window) : QObject(window)
{
    buildFileMenu(bar);
    buildOptionsMenu(bar);
    buildViewAndHelpMenus(bar);
    buildSeatMenu(window);
}

void GameMenus::buildFileMenu(QMenuBar* bar)
{
    file = bar->addMenu("File");
    startGame = file->addAction("Start Game");
    startGame->setEnabled(false);
    file->addSeparator();
    exit = file->addAction("Exit");
}

void GameMenus::buildOptionsMenu(QMenuBar* bar)
{
    options = bar->addMenu("Options");
    buildSoundEntries();
    options->addSeparator();
    buildChatEntries();
    options->addSeparator();
    chooseWordLists = options->addAction("Word Lists…");
    useBuiltInWords = options->addAction("Built-in Words");
    openPortOnRouter = addCheckable(options, "Open Port On Router", true);
    lockGame = addCheckable(options, "Lock Game");
    askBeforeJoining = addCheckable(options, "Ask Before Anyone Joins");
    lockGame->setEnabled(false);
    askBeforeJoining->setEnabled(false);
    copyInvitationLink = options->addAction("Copy Invitation Link");
    copyInvitationLink->setEnabled(false);
    options->addSeparator();
    justWatch = addCheckable(options, "Just Watch");
}

void GameMenus::buildSoundEntries()
{
    playSounds = addCheckable(options, "Play Sounds", true);
    playChatterSounds = addCheckable(options, "Play Chatter Sounds");
    QMenu* turnSound = options->addMenu("Turn Sound");
    classicTurnSound = addCheckable(turnSound, "Classic", true);
    newTurnSound = addCheckable(turnSound, "New");
    QMenu* botSpeed = options->addMenu("Bot Speed");
    slowBots = addCheckable(botSpeed, "Slow");
    normalBots = addCheckable(botSpeed, "Normal", true);
    fastBots = addCheckable(botSpeed, "Fast");
}

void GameMenus::buildChatEntries()
{
    textColour = options->addAction("Text Color");
    QMenu* textSize = options->addMenu("Text Size");
    for (std::size_t i = 0; i < kTextSizes.size(); ++i)
        textSizes[i] = addCheckable(textSize, QString::number(kTextSizes[i]));
    scrollChatOff = addCheckable(options, "Scroll Chat Off");
    scrollChatOff->setShortcut(QKeySequence("Ctrl+S"));
    clearChat = options->addAction("Clear Main Chat");
    resetScreenLocation = options->addAction("Reset Screen Location");
}

void GameMenus::buildViewAndHelpMenus(QMenuBar* bar)
{
    view = bar->addMenu("View");
    viewTally = view->addAction("View Tally");
    spyList = view->addAction("Spy List");
    phraseList = view->addAction("Phrase List");

    help = bar->addMenu("Help");
    helpContents = help->addAction("Content");
    helpContents->setShortcut(QKeySequence(Qt::Key_F1));
    help->addSeparator();
    about = help->addAction("About");
}

void GameMenus::buildSeatMenu(QWidget* window)
{
    seatMenu = new QMenu(window);
    seatMenu->setObjectName("seat_menu");
    removeFromGame = seatMenu->addAction("Remove From Game");
    setToJustWatch = seatMenu->addAction("Set to Just Watch");
    unsetJustWatch = seatMenu->addAction("Unset Just Watch");
}

void GameMenus::showSettings(const HangmanSettings& settings)
{
    playSounds->setChecked(settings.playSounds);
    playChatterSounds->setChecked(settings.chatterSounds);
    openPortOnRouter->setChecked(settings.openPortOnRouter);
    askBeforeJoining->setChecked(settings.askBeforeJoining);
    showTurnSound(settings.turnSound);
    showBotSpeed(settings.botSpeed);
    showTextSize(settings.textSize);
}

void GameMenus::showBotSpeed(int milliseconds)
{
    slowBots->setChecked(milliseconds == 2000);
    normalBots->setChecked(milliseconds == 1500);
    fastBots->setChecked(milliseconds == 1000);
}

void GameMenus::showTurnSound(int sound)
{
    classicTurnSound->setChecked(sound == 0);
    newTurnSound->setChecked(sound == 1);
}

void GameMenus::showTextSize(int points)
{
    for (std::size_t i = 0; i < kTextSizes.size(); ++i)
        textSizes[i]->setChecked(kTextSizes[i] == points);
}
