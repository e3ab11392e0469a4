#pragma once

#include <QDialog>
#include <QUrl>

#include <functional>
#include <memory>

class Desktop;
class Prompts;
class QLabel;
class QNetworkAccessManager;
class QNetworkReply;
class QPushButton;
class QSaveFile;

// The window offered with a solo game: download and install The Vorlix Lobby,
// go on with the solo game, or close the game and open an installed lobby.
class LobbyDownloadWindow : public QDialog {
    Q_OBJECT
public:
    // Creates the hidden window with the built-in installer address and launcher path; it
    // starts programs through the desktop and shows its messages through the prompts.
    LobbyDownloadWindow(Desktop& desktop, Prompts& prompts, QWidget* parent = nullptr);
    ~LobbyDownloadWindow() override;

    // The address of the lobby's installer; the last path segment names the downloaded file.
    void setDownloadUrl(const QUrl& url);
    QUrl downloadUrl() const { return m_downloadUrl; }
    // The installed launcher that "Play with Others" starts.
    void setLauncherPath(const QString& path);
    QString launcherPath() const { return m_launcherPath; }
    // The folder the installer is downloaded into; the game's data folder unless set.
    void setDataFolder(const QString& folder);
    // Where a completed download is kept: the data folder + the file name of the address.
    QString installerPath() const;
    // Called to close the game once the installer or the lobby has been started.
    void setExitGame(std::function<void()> exitGame);
    // True while a transfer runs.
    bool isDownloading() const { return m_reply != nullptr; }

    // "Download And Install The Vorlix Lobby Now": fetch the installer, then run it and close the game.
    void startDownload();
    // "Stop Download": end a running transfer; nothing is run.
    void stopDownload();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildLeftPanel();
    QWidget* buildSoloPanel();
    QWidget* buildOthersPanel();
    void playSolo();
    void playWithOthers();
    void headersReceived(int lines);
    void bodyBegun();
    void saveReceivedData();
    void downloadFinished();
    QString installerFolder() const;
    void runInstaller();
    void showMessage(const QString& text);

    QUrl m_downloadUrl;
    QString m_launcherPath;
    QString m_dataFolder;
    std::function<void()> m_exitGame;
    Desktop& m_desktop;
    Prompts& m_prompts;
    QNetworkAccessManager* m_network = nullptr; // made at the first download
    QNetworkReply* m_reply = nullptr;
    std::unique_ptr<QSaveFile> m_installerFile;
    qint64 m_received = 0;
    bool m_bodyBegun = false;
    bool m_writeFailed = false;
    bool m_stopped = false;   // the running or last download was stopped or failed
    QString m_installerName; // the file name the running download is saved as

    QPushButton* m_downloadButton;
    QPushButton* m_stopButton;
    QPushButton* m_soloButton;
    QPushButton* m_othersButton;
    QLabel* m_progressLine; // "Loading...", the bytes received, the outcome
    QLabel* m_stageLine;    // "Downloading: ...", "Installing"
};
