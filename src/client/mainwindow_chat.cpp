// The main window's wiring of the menus and the chat, and the chat and chatter
// sounds that arrive from the server.
#include "client/mainwindow.h"

#include "board/board.h"
#include "client/gamemenus.h"
#include "client/hostreachability.h"
#include "client/wordfolderchoice.h"
#include "client/soundoutput.h"
#include "windows/aboutdialog.h"
#include "windows/desktop.h"
#include "windows/helpwindow.h"
#include "windows/phraseeditor.h"
#include "windows/spylistwindow.h"

#include <QAction>
#include <QMenu>
#include <QUrl>

namespace {

// Shows a side window that may be missing (tests leave some out).
void showIfThere(QWidget* window)
{
    if (window)
        window->show();
}

} // namespace

void MainWindow::connectChat()
{
    connect(m_chat, &ChatPanel::lineAdded, this, &MainWindow::chatLineAdded);
    connect(m_chat, &ChatPanel::linkClicked, this, &MainWindow::openChatLink);
    connect(m_chat, &ChatPanel::scrollingOffChanged, this, &MainWindow::setChatScrollingOff);
}

void MainWindow::connectFileAndViewMenus()
{
    const GameMenus& menus = *m_menus;
    connect(menus.startGame, &QAction::triggered, this, [this] { m_game.askToStartGame(); });
    connect(menus.exit, &QAction::triggered, this, &MainWindow::close);
    connect(menus.viewTally, &QAction::triggered, this, &MainWindow::showTally);
    connect(menus.spyList, &QAction::triggered, this, [this] { showIfThere(m_windows.spylist); });
    connect(menus.phraseList, &QAction::triggered, this, &MainWindow::showPhraseList);
    connect(menus.helpContents, &QAction::triggered, this, [this] { showIfThere(m_windows.help); });
    connect(menus.about, &QAction::triggered, this, [this] { showIfThere(m_windows.about); });
}

void MainWindow::connectOptionsMenu()
{
    const GameMenus& menus = *m_menus;
    connect(menus.playSounds, &QAction::triggered, this,
            [this](bool on) { chooseSound(&HangmanSettings::playSounds, on); });
    connect(menus.playChatterSounds, &QAction::triggered, this,
            [this](bool on) { chooseSound(&HangmanSettings::chatterSounds, on); });
    const auto chooseTurnSound = [this](int sound) {
        setTurnSound(sound);
        saveSettingsReportingErrors();
    };
    connect(menus.classicTurnSound, &QAction::triggered, this, [chooseTurnSound] { chooseTurnSound(0); });
    connect(menus.newTurnSound, &QAction::triggered, this, [chooseTurnSound] { chooseTurnSound(1); });
    connect(menus.slowBots, &QAction::triggered, this, [this] { chooseBotSpeed(2000); });
    connect(menus.normalBots, &QAction::triggered, this, [this] { chooseBotSpeed(1500); });
    connect(menus.fastBots, &QAction::triggered, this, [this] { chooseBotSpeed(1000); });
    connect(menus.textColour, &QAction::triggered, this, &MainWindow::chooseTextColour);
    for (std::size_t i = 0; i < GameMenus::kTextSizes.size(); ++i)
        connect(menus.textSizes[i], &QAction::triggered, this, [this, i] {
            setTextSize(GameMenus::kTextSizes[i]);
            saveSettingsReportingErrors();
        });
    connect(menus.scrollChatOff, &QAction::triggered, this, &MainWindow::setChatScrollingOff);
    connect(menus.clearChat, &QAction::triggered, m_chat, &ChatPanel::clear);
    connect(menus.resetScreenLocation, &QAction::triggered, this, &MainWindow::resetScreenLocation);
    connect(menus.chooseWordLists, &QAction::triggered, m_wordFolders, &WordFolderChoice::choose);
    connect(menus.useBuiltInWords, &QAction::triggered, m_wordFolders, &WordFolderChoice::useBuiltIn);
    connect(menus.openPortOnRouter, &QAction::triggered, this, &MainWindow::setOpenPortOnRouter);
    connect(menus.lockGame, &QAction::triggered, this, &MainWindow::applyAdmissionOptions);
    connect(menus.askBeforeJoining, &QAction::triggered, this, &MainWindow::setAskBeforeJoining);
    connect(menus.copyInvitationLink, &QAction::triggered, this, [this] { m_reachability->copyInvitationLink(); });
    connect(menus.justWatch, &QAction::triggered, this, &MainWindow::toggleJustWatch);
}

void MainWindow::connectSeatMenu()
{
    connect(m_menus->removeFromGame, &QAction::triggered, this, [this] { m_game.kick(m_seatMenuSeat); });
    connect(m_menus->setToJustWatch, &QAction::triggered, this, [this] { m_game.setSeatWatching(m_seatMenuSeat, true); });
    connect(m_menus->unsetJustWatch, &QAction::triggered, this, [this] { m_game.setSeatWatching(m_seatMenuSeat, false); });
}

void MainWindow::showPhraseList()
{
    if (!m_windows.phrases)
        return;
    const ChatPanel::Phrases phrases = m_chat->phrases();
    m_windows.phrases->setPhrases(QStringList(phrases.begin(), phrases.end()));
    m_windows.phrases->show();
}

// ---------------------------------------------------------------- chat

void MainWindow::addSystemLine(const QString& text)
{
    m_chat->addNotice(text);
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

void MainWindow::setChatScrollingOff(bool off)
{
    // The pop-up entry and its twin under Options always agree.
    m_chat->setScrollingOff(off);
    m_menus->scrollChatOff->setChecked(off);
}

// ---------------------------------------------------------------- sound

void MainWindow::playSound(const QString& name)
{
    if (m_settings.playSounds)
        m_surroundings.sound.play(name);
}

void MainWindow::chatterSoundReceived(int sender, int sound)
{
    if (m_settings.chatterSounds) {
        m_surroundings.sound.play(chatter::soundName(sound));
        return;
    }
    if (isSeat(sender))
        addSystemLine(m_game.seatCaption(sender) + ": <Chatter Sound> " + chatter::caption(sound));
}
