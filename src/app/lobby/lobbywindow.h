#pragma once

#include <QProcess>
#include <QTcpServer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The Vorlix Lobby: asks for the player name, the server address and whether to host,
// remembers them, and starts the game with them.
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

protected:
    // Closing while a game runs only hides the window; the program ends with the game.
    void closeEvent(QCloseEvent* event) override;

private:
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
    QLineEdit* nameEdit;
    QLineEdit* serverEdit;
    QCheckBox* hostBox;
    QPushButton* playButton;
    QLabel* statusLabel;
};
