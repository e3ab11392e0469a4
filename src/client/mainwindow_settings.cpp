// The main window's settings: reading and writing the "hangman" section, the
// options that change saved values, and the window's place and size.
#include "client/mainwindow.h"

#include "client/chatview.h"
#include "client/colortext.h"
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
    const HangmanSettings settings = readHangmanSettings(file);
    setTextSize(settings.textSize);
    m_chatView->applyTextSizeNow();
    setBounds(QRect(settings.left, settings.top, settings.width, settings.height));
    m_loadedBounds = bounds();
    setOwnColour(settings.textColor);
    if (m_windows.gamestart) {
        if (settings.playToScore)
            m_windows.gamestart->setPlayTo(*settings.playToScore);
        if (settings.timePerTurn)
            m_windows.gamestart->setTimeLimit(*settings.timePerTurn);
        if (settings.chooseCategory)
            m_windows.gamestart->setSwitch("image_choose", *settings.chooseCategory ? 1 : 0);
    }
    setBotSpeed(settings.botSpeed);
    setPhrases(QStringList(settings.phrases.begin(), settings.phrases.end()));
    action("PlaySounds1")->setChecked(settings.playSounds);
    setTurnSoundCheck(settings.turnSound);
    action("PlayChatterSounds1")->setChecked(settings.chatterSounds);
    m_wordFolderSetting = settings.wordFolder;
    applyWordFolder();
    action("OpenPortOnRouter1")->setChecked(settings.openPortOnRouter);
    m_settingsRead = true;
    updatePortMapping();
}

void MainWindow::saveSettings()
{
    // Before the settings were first read, the built-in defaults must not overwrite the user's.
    if (!m_settingsRead)
        return;
    HangmanSettings settings;
    settings.textSize = m_textSize;
    const QRect current = bounds();
    settings.top = current.top();
    settings.left = current.left();
    settings.width = current.width();
    settings.height = current.height();
    settings.textColor = m_ownColour;
    if (m_windows.gamestart) {
        settings.playToScore = m_windows.gamestart->playTo();
        settings.timePerTurn = m_windows.gamestart->timeLimit();
        settings.chooseCategory = m_windows.gamestart->chooseCategory();
    }
    settings.botSpeed = m_botSpeed;
    settings.playSounds = playSoundsChecked();
    settings.turnSound = m_turnSound;
    settings.chatterSounds = chatterSoundsChecked();
    settings.openPortOnRouter = action("OpenPortOnRouter1")->isChecked();
    IniFile file(settingsPath());
    writeHangmanSettings(file, settings);
}

void MainWindow::saveSettingsReportingErrors()
{
    try {
        saveSettings();
    } catch (const std::exception& failure) {
        showMessage(QString::fromUtf8(failure.what()));
    }
}

void MainWindow::savePhrases()
{
    std::array<QString, 9> texts;
    const QStringList current = phrases();
    for (int i = 0; i < 9; ++i)
        texts[i] = current.value(i);
    try {
        IniFile file(settingsPath());
        writeHangmanPhrases(file, texts);
    } catch (const std::exception& failure) {
        showMessage(QString::fromUtf8(failure.what()));
    }
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
    m_textSize = size;
    m_chatView->setTextSize(size);
    for (int entry : {8, 10, 12, 14})
        action("N" + QString::number(entry))->setChecked(entry == size);
}

void MainWindow::setBotSpeed(int milliseconds)
{
    m_botSpeed = milliseconds == 2000 || milliseconds == 1000 ? milliseconds : 1500;
    action("Slow1")->setChecked(m_botSpeed == 2000);
    action("Normal1")->setChecked(m_botSpeed == 1500);
    action("Fast1")->setChecked(m_botSpeed == 1000);
}

void MainWindow::chooseBotSpeed(int milliseconds)
{
    setBotSpeed(milliseconds);
    if (m_loggedIn)
        send(proto::msg::botSpeed(m_ownSlot, milliseconds));
    saveSettingsReportingErrors();
}

void MainWindow::setTurnSoundCheck(int tag)
{
    m_turnSound = tag == 1 ? 1 : 0;
    action("Classic1")->setChecked(m_turnSound == 0);
    action("New1")->setChecked(m_turnSound == 1);
}

void MainWindow::setTurnSound(int tag)
{
    setTurnSoundCheck(tag);
    saveSettingsReportingErrors();
}

void MainWindow::setOwnColour(quint32 bgr)
{
    // Kept as the colour value itself, so a system colour stays a system colour.
    m_ownColour = bgr;
    const QColor colour = ColorText::toQColor(bgr);
    QPalette palette = m_chatInput->palette();
    palette.setColor(QPalette::Text, colour);
    m_chatInput->setPalette(palette);
}

QColor MainWindow::ownTextColour() const
{
    return ColorText::toQColor(m_ownColour);
}

void MainWindow::chooseTextColour()
{
    const QColor chosen = m_surroundings.prompts.chooseColour(this, "Text Color", ownTextColour());
    if (!chosen.isValid())
        return;
    setOwnColour(ColorText::fromQColor(chosen));
    saveSettingsReportingErrors();
}
