#pragma once
// The word lists the hosted server reads at each game start: the folder given on
// the command line for this run, else the one the player chose (saved), else the
// built-in words. The server's lines about the folder wait for the host's own
// start line.

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

class GameServer;
class Prompts;
class QWidget;

class WordFolderChoice : public QObject {
    Q_OBJECT
public:
    // Asks for folders with the prompts, over the given window.
    WordFolderChoice(Prompts& prompts, QWidget* window);

    // The hosted server, which is handed the folder now and at every change; none for a joiner.
    void setServer(GameServer* server);
    // The folder from the command line, used instead of the saved one for this run.
    void setOverride(const QString& folder);
    // The saved folder, as the settings file holds it.
    void setSaved(const QString& folder);
    // The folder in use; empty for the built-in words.
    QString folder() const;
    // Lets the player pick a folder, used from the next game on.
    void choose();
    // The built-in words from the next game on.
    void useBuiltIn();
    // Tells the server's held lines about the folder, after the host's start line.
    void releaseReport();

signals:
    // The player chose a folder (empty: the built-in words) to be saved.
    void chosen(const QString& folder);
    // A line for the host's chat.
    void line(const QString& text);

private:
    void use(const QString& folder);
    void apply();

    Prompts& m_prompts;
    QWidget* m_window;
    GameServer* m_server = nullptr;
    std::optional<QString> m_override;
    QString m_saved;
    QStringList m_heldReport;
};
