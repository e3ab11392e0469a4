#pragma once

#include <QDialog>
#include <QUrl>

#include <functional>
#include <memory>

class QLabel;
class QNetworkAccessManager;
class QNetworkReply;
class QPushButton;
class QSaveFile;

// The window offered with a solo game: download and install The Vorlix Lobby,
// go on with the solo game, or close the game and open an installed lobby.
class Tdownload : public QDialog {
    Q_OBJECT
public:
    using ProcessStarter = std::function<bool(const QString& program, const QStringList& arguments)>;
    using MessageShower = std::function<void(const QString& text)>;

    // Creates the hidden window with the built-in installer address and launcher path.
    explicit Tdownload(QWidget* parent = nullptr);
    ~Tdownload() override;

    // The address of the lobby's installer; the last path segment names the downloaded file.
    void setDownloadUrl(const QUrl& url);
    QUrl downloadUrl() const { return downloadUrl_; }
    // The installed launcher that "Play with Others" starts.
    void setLauncherPath(const QString& path);
    QString launcherPath() const { return launcherPath_; }
    // The folder the installer is downloaded into; the game's data folder unless set.
    void setDataFolder(const QString& folder);
    // Where a completed download is kept: the data folder + the file name of the address.
    QString installerPath() const;
    // Called to close the game once the installer or the lobby has been started.
    void setExitGame(std::function<void()> exitGame);
    // Replaces starting a program (default: QProcess::startDetached); returns whether it started.
    void setProcessStarter(ProcessStarter starter);
    // Replaces showing a message box.
    void setMessageShower(MessageShower shower);
    // True while a transfer runs.
    bool isDownloading() const { return reply_ != nullptr; }

    // "Download And Install The Vorlix Lobby Now": fetch the installer, then run it and close the game.
    void getbuttonClick();
    // "Stop Download": end a running transfer; nothing is run.
    void abortbuttonClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildLeftPanel();
    QWidget* buildSoloPanel();
    QWidget* buildOthersPanel();
    void Button1Click();
    void Button2Click();
    void HttpCli1HeaderData(int lines);
    void HttpCli1DocBegin();
    void HttpCli1DocData();
    void HttpCli1Finished();
    QString installerFolder() const;
    void runInstaller();
    void setOutcome(int tag);
    int outcome() const;

    QUrl downloadUrl_;
    QString launcherPath_;
    QString dataFolder_;
    std::function<void()> exitGame_;
    ProcessStarter startProcess_;
    MessageShower showMessage_;
    QNetworkAccessManager* HttpCli1 = nullptr; // made at the first download
    QNetworkReply* reply_ = nullptr;
    std::unique_ptr<QSaveFile> installerFile_;
    qint64 received_ = 0;
    bool bodyBegun_ = false;
    bool writeFailed_ = false;

    QPushButton* getbutton;
    QPushButton* abortbutton;
    QPushButton* Button1;
    QPushButton* Button2;
    QLabel* infolabel;
    QLabel* infolabel2;
    QLabel* infolabel3;
};
