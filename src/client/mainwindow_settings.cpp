// The main window's settings: reading and writing the "hangman" section, the
// options that change saved values, and the window's place and size.
#include "client/mainwindow.h"

#include "client/chatview.h"
#include "client/colortext.h"
#include "client/gamemenus.h"
#include "client/hostadmission.h"
#include "client/hostreachability.h"
#include "client/wordfolderchoice.h"
#include "client/settingsfile.h"
#include "tally/datafolder.h"
#include "windows/gameoptionsdialog.h"
#include "windows/prompts.h"

#include <QAction>
#include <QLineEdit>
#include <QScreen>

namespace {
constexpr QRect kDefaultBounds(3, 3, 712, 524);
} // namespace

QString MainWindow::settingsPath() const
{
    return m_settingsPath.isEmpty() ? settingsFilePath(dataFolder()) : m_settingsPath;
}

QRect MainWindow::bounds() const
{
    return QRect(pos(), size());
}

void MainWindow::setBounds(const QRect& bounds)
{
    move(bounds.topLeft());
    resize(bounds.size());
}

void MainWindow::loadSettings()
{
    IniFile file(settingsPath());
    m_settings = readHangmanSettings(file);
    setTextSize(m_settings.textSize);
    m_chat->view()->applyTextSizeNow();
    setBounds(QRect(m_settings.left, m_settings.top, m_settings.width, m_settings.height));
    m_loadedBounds = bounds();
    setOwnColour(m_settings.textColor);
    showGameOptions();
    setBotSpeed(m_settings.botSpeed);
    m_chat->setPhrases(m_settings.phrases);
    setTurnSound(m_settings.turnSound);
    m_menus->showSettings(m_settings);
    m_wordFolders->setSaved(m_settings.wordFolder);
    applyAdmissionOptions();
    m_settingsRead = true;
    updatePortMapping();
}

void MainWindow::showGameOptions()
{
    if (!m_windows.gamestart)
        return;
    if (m_settings.playToScore)
        m_windows.gamestart->setPlayTo(*m_settings.playToScore);
    if (m_settings.timePerTurn)
        m_windows.gamestart->setTimeLimit(*m_settings.timePerTurn);
    if (m_settings.chooseCategory)
        m_windows.gamestart->setSwitch("image_choose", *m_settings.chooseCategory ? 1 : 0);
}

void MainWindow::saveSettings()
{
    // Before the settings were first read, the built-in defaults must not overwrite the user's.
    if (!m_settingsRead)
        return;
    const QRect current = bounds();
    m_settings.top = current.top();
    m_settings.left = current.left();
    m_settings.width = current.width();
    m_settings.height = current.height();
    if (m_windows.gamestart) {
        m_settings.playToScore = m_windows.gamestart->playTo();
        m_settings.timePerTurn = m_windows.gamestart->timeLimit();
        m_settings.chooseCategory = m_windows.gamestart->chooseCategory();
    }
    IniFile file(settingsPath());
    writeHangmanSettings(file, m_settings);
}

// A settings file that cannot be written is told in a box; the game goes on.
void MainWindow::reportingErrors(const std::function<void()>& write)
{
    try {
        write();
    } catch (const std::exception& failure) {
        showMessage(QString::fromUtf8(failure.what()));
    }
}

void MainWindow::saveSettingsReportingErrors()
{
    reportingErrors([this] { saveSettings(); });
}

void MainWindow::saveWordFolder(const QString& folder)
{
    m_settings.wordFolder = folder;
    reportingErrors([this, &folder] {
        IniFile file(settingsPath());
        writeHangmanWordFolder(file, folder);
    });
}

void MainWindow::savePhrases()
{
    reportingErrors([this] {
        IniFile file(settingsPath());
        writeHangmanPhrases(file, m_chat->phrases());
    });
}

void MainWindow::saveBoundsOnClose()
{
    if (!m_settingsRead || bounds() == m_loadedBounds)
        return;
    QRect current = bounds();
    if (const QScreen* display = screen()) {
        const QRect workArea = display->availableGeometry();
        if (current.width() > workArea.width())
            current.setWidth(current.width() - 15);
        if (current.height() > workArea.height())
            current.setHeight(current.height() - 15);
        setBounds(current);
    }
    m_loadedBounds = bounds();
    saveSettingsReportingErrors();
}

void MainWindow::resetScreenLocation()
{
    setBounds(kDefaultBounds);
}

void MainWindow::setTextSize(int size)
{
    m_settings.textSize = size;
    m_chat->setTextSize(size);
    m_menus->showTextSize(size);
}

void MainWindow::setBotSpeed(int milliseconds)
{
    m_settings.botSpeed = milliseconds == 2000 || milliseconds == 1000 ? milliseconds : 1500;
    m_menus->showBotSpeed(m_settings.botSpeed);
}

void MainWindow::chooseBotSpeed(int milliseconds)
{
    setBotSpeed(milliseconds);
    m_game.sendBotSpeed(milliseconds);
    saveSettingsReportingErrors();
}

void MainWindow::setTurnSound(int sound)
{
    m_settings.turnSound = sound == 1 ? 1 : 0;
    m_game.setTurnSound(m_settings.turnSound);
    m_menus->showTurnSound(m_settings.turnSound);
}

void MainWindow::chooseSound(bool HangmanSettings::*setting, bool on)
{
    m_settings.*setting = on;
    saveSettingsReportingErrors();
}

void MainWindow::setOwnColour(quint32 bgr)
{
    m_settings.textColor = bgr;
    m_chat->setOwnColour(bgr);
}

void MainWindow::chooseTextColour()
{
    const QColor chosen =
        m_surroundings.prompts.chooseColour(this, "Text Color", ColorText::toQColor(m_settings.textColor));
    if (!chosen.isValid())
        return;
    setOwnColour(ColorText::fromQColor(chosen));
    saveSettingsReportingErrors();
}

void MainWindow::setOpenPortOnRouter(bool on)
{
    m_settings.openPortOnRouter = on;
    saveSettingsReportingErrors();
    updatePortMapping();
}

// The router is asked only by a host of a game for others, once the settings say it may.
void MainWindow::updatePortMapping()
{
    m_reachability->setWanted(m_game.isHost() && !m_arguments.isEmpty() && m_settingsRead && m_settings.openPortOnRouter);
}

// "Lock Game" lasts for this run only; "Ask Before Anyone Joins" is saved.
void MainWindow::applyAdmissionOptions()
{
    if (m_admission)
        m_admission->apply(m_menus->lockGame->isChecked(), m_settings.askBeforeJoining);
}

void MainWindow::setAskBeforeJoining(bool on)
{
    m_settings.askBeforeJoining = on;
    saveSettingsReportingErrors();
    applyAdmissionOptions();
}
