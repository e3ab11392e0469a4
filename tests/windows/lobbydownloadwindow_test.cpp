#include "support/fakesurroundings.h"
#include "windows/lobbydownloadwindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A one-connection HTTP server on 127.0.0.1 whose answer the test writes piece by piece.
class LocalHttpServer {
public:
    LocalHttpServer()
    {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            client = server.nextPendingConnection();
            QObject::connect(client, &QTcpSocket::readyRead, [this] { request += client->readAll(); });
        });
    }
    QUrl url(const QString& path) const
    {
        return QUrl(QString("http://127.0.0.1:%1%2").arg(server.serverPort()).arg(path));
    }
    bool waitForRequest() { return QTest::qWaitFor([this] { return request.contains("\r\n\r\n"); }, 5000); }
    void send(const QByteArray& bytes)
    {
        client->write(bytes);
        client->flush();
    }
    void close() { client->disconnectFromHost(); }

    QTcpServer server;
    QTcpSocket* client = nullptr;
    QByteArray request;
};

const QByteArray headers = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                           "Content-Length: 10\r\nConnection: close\r\n\r\n";

// The download window pointed at the local server and a temporary folder, with its outside effects recorded.
class DownloadWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.setDataFolder(folder.path());
        window.setDownloadUrl(http.url("/lobby/vorlixsetup.exe"));
        window.setExitGame([this] { ++exits; });
    }
    QString label(const char* name) const { return window.findChild<QLabel*>(name)->text(); }
    QPushButton* button(const char* name) const { return window.findChild<QPushButton*>(name); }
    bool waitForLabel(const char* name, const QString& text)
    {
        return QTest::qWaitFor([&] { return label(name) == text; }, 5000);
    }
    QStringList folderEntries() const { return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir folder;
    LocalHttpServer http;
    FakeDesktop desktop;
    FakePrompts prompts;
    LobbyDownloadWindow window{desktop, prompts};
    const QList<FakeDesktop::Started>& started = desktop.started;
    const QStringList& messages = prompts.messages;
    int exits = 0;
};

} // namespace

TEST_F(DownloadWindow, CompletedDownloadReportsProgressThenRunsTheInstallerAndClosesTheGame)
{
    EXPECT_EQ(window.windowTitle(), "Download The Vorlix Lobby");
    EXPECT_TRUE(button("button_solo")->isDefault());
    EXPECT_FALSE(button("abortbutton")->isEnabled());

    button("getbutton")->click();
    EXPECT_EQ(label("label_progress"), "Loading");
    EXPECT_FALSE(button("getbutton")->isEnabled());
    EXPECT_TRUE(button("abortbutton")->isEnabled());
    ASSERT_TRUE(http.waitForRequest());
    EXPECT_TRUE(http.request.startsWith("GET /lobby/vorlixsetup.exe HTTP/1."));
    EXPECT_TRUE(http.request.contains("\r\nUser-Agent: Mozilla/3.0 (compatible)\r\n"));
    EXPECT_TRUE(http.request.contains("\r\nAccept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"));

    http.send(headers);
    EXPECT_TRUE(waitForLabel("label_stage", "Downloading: vorlixsetup.exe"));
    EXPECT_EQ(label("label_progress"), "Loading...");
    http.send("#!/bin");
    EXPECT_TRUE(waitForLabel("label_progress", "6 bytes"));
    EXPECT_FALSE(QFile::exists(window.installerPath())) << "only a completed download takes the installer's name";
    http.send("/sh\n");
    http.close();

    ASSERT_TRUE(QTest::qWaitFor([&] { return exits == 1; }, 5000));
    EXPECT_EQ(label("label_progress"), "Received 10 bytes");
    EXPECT_EQ(label("label_stage"), "Installing");
    EXPECT_TRUE(button("getbutton")->isEnabled());
    EXPECT_FALSE(button("abortbutton")->isEnabled());
    ASSERT_EQ(started.size(), 1);
    EXPECT_EQ(started[0].program, QDir(folder.path()).filePath("vorlixsetup.exe"));
    EXPECT_EQ(started[0].arguments, QStringList({"/SP-", "/silent", "/noicons"}));
    QFile installer(window.installerPath());
    ASSERT_TRUE(installer.open(QIODevice::ReadOnly));
    EXPECT_EQ(installer.readAll(), "#!/bin/sh\n");
    EXPECT_TRUE(installer.permissions() & QFile::ExeOwner);
    EXPECT_EQ(folderEntries(), QStringList{"vorlixsetup.exe"});
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(DownloadWindow, StopDownloadRunsNothingAndKeepsNoPartOfTheFile)
{
    button("getbutton")->click();
    ASSERT_TRUE(http.waitForRequest());
    http.send(headers + "abc");
    ASSERT_TRUE(waitForLabel("label_progress", "3 bytes"));

    button("abortbutton")->click();
    EXPECT_EQ(label("label_stage"), "Download Aborted");
    EXPECT_EQ(label("label_progress"), "Download Aborted");
    EXPECT_FALSE(window.isDownloading());
    EXPECT_TRUE(button("getbutton")->isEnabled());
    EXPECT_FALSE(button("abortbutton")->isEnabled());
    QTest::qWait(50);
    EXPECT_TRUE(started.isEmpty());
    EXPECT_EQ(exits, 0);
    EXPECT_TRUE(folderEntries().isEmpty());
}

TEST_F(DownloadWindow, FailedTransfersRunNothingAndLeaveNoInstaller)
{
    button("getbutton")->click();
    ASSERT_TRUE(http.waitForRequest());
    http.send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\nConnection: close\r\n\r\n0123456789");
    http.close();
    ASSERT_TRUE(waitForLabel("label_progress", "Download Aborted"));

    http.request.clear();
    button("getbutton")->click();
    ASSERT_TRUE(http.waitForRequest());
    http.send("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nnot found");
    http.close();
    ASSERT_TRUE(waitForLabel("label_progress", "Download Aborted"));

    window.setDownloadUrl(QUrl(QString("http://127.0.0.1:%1/lobby/vorlixsetup.exe").arg(http.server.serverPort())));
    http.server.close();
    button("getbutton")->click();
    ASSERT_TRUE(waitForLabel("label_progress", "Download Aborted"));

    EXPECT_TRUE(started.isEmpty());
    EXPECT_EQ(exits, 0);
    EXPECT_TRUE(folderEntries().isEmpty());
    EXPECT_TRUE(button("getbutton")->isEnabled());
}

TEST_F(DownloadWindow, RefusedInstallerKeepsTheGameOpen)
{
    desktop.startSucceeds = false;
    button("getbutton")->click();
    ASSERT_TRUE(http.waitForRequest());
    http.send(headers + "0123456789");
    http.close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.isEmpty(); }, 5000));
    EXPECT_EQ(messages, QStringList{"An Error has Occurred."});
    EXPECT_EQ(started.size(), 1);
    EXPECT_EQ(exits, 0);
}

TEST_F(DownloadWindow, PlayWithOthersOpensAnInstalledLauncherOrExplains)
{
    const QString launcher = QDir(folder.path()).filePath("vorlix-lobby");
    window.setLauncherPath(launcher);
    button("button_others")->click();
    EXPECT_EQ(messages, QStringList{"Please close the game and open the Vorlix Lobby using the icon on your desktop "
                                    "or using the your Window's start-up menu."});
    EXPECT_TRUE(started.isEmpty());
    EXPECT_EQ(exits, 0);

    QFile file(launcher);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    button("button_others")->click();
    ASSERT_EQ(started.size(), 1);
    EXPECT_EQ(started[0].program, launcher);
    EXPECT_TRUE(started[0].arguments.isEmpty());
    EXPECT_EQ(exits, 1);
}

TEST_F(DownloadWindow, InstallerThatCannotBeCreatedStopsBeforeAnythingIsSent)
{
    QFile blocker(QDir(folder.path()).filePath("not-a-folder"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    window.setDataFolder(QDir(folder.path()).filePath("not-a-folder/inner"));
    button("getbutton")->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("Cannot create file"));
    EXPECT_FALSE(window.isDownloading());
    EXPECT_TRUE(button("getbutton")->isEnabled());
    QTest::qWait(50);
    EXPECT_TRUE(http.request.isEmpty());
    EXPECT_TRUE(started.isEmpty());
}

TEST(DownloadWindowLauncher, IsLookedForBesideTheGame)
{
    FakeDesktop desktop;
    FakePrompts prompts;
    LobbyDownloadWindow window(desktop, prompts);
    EXPECT_EQ(window.launcherPath(), QDir(QCoreApplication::applicationDirPath()).filePath("vorlix-lobby"));
}
