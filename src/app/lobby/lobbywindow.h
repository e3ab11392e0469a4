#pragma once

#include "net/lanbrowser.h"

#include <QProcess>
#include <QTcpServer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QVBoxLayout;
class QPushButton;

// The Vorlix Lobby: asks for the player name, the server address and whether to host,
// remembers them, and starts the game with them. It lists the games announced on the
// local network and the last hosts joined ("Recent"); choosing one fills in the
// address, a double click or Enter joins it. An invitation link fills in the address.
class LobbyWindow : public QWidget {
    Q_OBJECT
public:
    // The settings file section the lobby keeps its fields in.
    static constexpr const char* section = "lobby";

    // Creates the window with the fields remembered in settingsPath; the game is gamePath,
    // and while it runs the lobby listens on 127.0.0.1 at listenPort (0: any free port).
    LobbyWindow(QString settingsPath, QString gamePath, quint16 listenPort = 9001, QWidget* parent = nullptr);

    // Checks the fields, remembers them and starts the game; false with a status text on failure.
    bool play();
    // True while a game started by the lobby runs.
    bool gameRunning() const { return game_.state() != QProcess::NotRunning; }
    // The port listened on while a game runs; 0 when not listening.
    quint16 listeningPort() const { return listener_.isListening() ? listener_.serverPort() : 0; }
    // The status line under the fields.
    QString status() const;
    // Starts listing the games on the local network.
    void startBrowsing();
    // Shows the games found on the network (the browser's, or a test's).
    void showNetworkGames(const QList<LanGame>& games);
    // The lines of the network list as shown.
    QStringList networkGames() const;
    // Fills in the host of a "hangman://HOST" link and asks for the name; false with a
    // status text saying why when the link cannot be read (nothing is started either way).
    bool openInvitation(const QString& link);
    // The last hosts joined, newest first.
    const QStringList& recentHosts() const { return recent_; }
    // How many hosts "Recent" keeps.
    static constexpr int kMaxRecent = 10;

protected:
    // Closing while a game runs only hides the window; the program ends with the game.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLists(QVBoxLayout* layout);
    QListWidget* makeList(const QString& objectName, int rows);
    void buildFields(QVBoxLayout* layout);
    void browsingUnavailable(const QString& reason);
    bool chooseEntry(QListWidgetItem* item);
    void showRecent();
    void rememberRecent(const QString& host);
    void loadFields();
    void saveFields();
    QString checkFields() const;
    void gameFinished();
    void acceptConnections();

    QString settingsPath_;
    QString gamePath_;
    quint16 listenPort_;
    bool quitWithGame_ = false;
    QProcess game_;
    QTcpServer listener_;
    LanBrowser browser_;
    QString browsingProblem_;
    QStringList recent_;
    QListWidget* gamesList;
    QLabel* recentLabel;
    QListWidget* recentList;
    QLineEdit* nameEdit;
    QLineEdit* serverEdit;
    QCheckBox* hostBox;
    QPushButton* playButton;
    QLabel* statusLabel;
};
