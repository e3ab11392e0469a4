#include "client/wordfolderchoice.h"

#include "server/gameserver.h"
#include "windows/prompts.h"

#include <QDir>
#include <QWidget>

#include <utility>

WordFolderChoice::WordFolderChoice(Prompts& prompts, QWidget* window)
    : QObject(window), m_prompts(prompts), m_window(window)
{
}

void WordFolderChoice::setServer(GameServer* server)
{
    m_server = server;
    if (m_server)
        m_server->wordFolderRead = [this](const QStringList& lines) { m_heldReport = lines; };
    apply();
}

void WordFolderChoice::setOverride(const QString& folder)
{
    m_override = folder;
    apply();
}

void WordFolderChoice::setSaved(const QString& folder)
{
    m_saved = folder;
    apply();
}

QString WordFolderChoice::folder() const
{
    return m_override.value_or(m_saved);
}

void WordFolderChoice::apply()
{
    if (m_server)
        m_server->setWordFolder(folder());
}

void WordFolderChoice::choose()
{
    const QString folder = m_prompts.chooseFolder(m_window, "Word Lists", this->folder());
    if (folder.isEmpty())
        return;
    use(folder);
    emit line("Word lists from " + QDir::toNativeSeparators(folder) + " from the next game on.");
}

void WordFolderChoice::useBuiltIn()
{
    use({});
    emit line("Built-in words from the next game on.");
}

void WordFolderChoice::use(const QString& folder)
{
    m_override.reset();
    m_saved = folder;
    apply();
    emit chosen(folder);
}

void WordFolderChoice::releaseReport()
{
    for (const QString& text : std::exchange(m_heldReport, {}))
        emit line(text);
}
