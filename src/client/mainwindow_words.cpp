// The main window's choice of word lists: the folder from the command line or
// the settings file, handed to the server, which reads it at each game start.
// The server's lines about the folder wait for the host's own start line.
#include "client/mainwindow.h"

#include "board/board.h"
#include "client/settingsfile.h"
#include "server/hostedserver.h"
#include "windows/prompts.h"

#include <QDir>

#include <utility>

void MainWindow::setWordFolderOverride(const QString& folder)
{
    m_wordFolderOverride = folder;
    applyWordFolder();
}

QString MainWindow::wordFolder() const
{
    return m_wordFolderOverride.value_or(m_settings.wordFolder);
}

void MainWindow::applyWordFolder()
{
    if (m_windows.server)
        m_windows.server->server().setWordFolder(wordFolder());
}

void MainWindow::chooseWordFolder()
{
    const QString folder = m_surroundings.prompts.chooseFolder(this, "Word Lists", wordFolder());
    if (folder.isEmpty())
        return;
    useWordFolder(folder);
    addSystemLine("Word lists from " + QDir::toNativeSeparators(folder) + " from the next game on.");
}

void MainWindow::useBuiltInWords()
{
    useWordFolder({});
    addSystemLine("Built-in words from the next game on.");
}

void MainWindow::useWordFolder(const QString& folder)
{
    m_wordFolderOverride.reset();
    m_settings.wordFolder = folder;
    applyWordFolder();
    reportingErrors([this, &folder] {
        IniFile file(settingsPath());
        writeHangmanWordFolder(file, folder);
    });
}

void MainWindow::gameStarted()
{
    for (const QString& line : std::exchange(m_heldWordFolderReport, {}))
        addSystemLine(line);
}
