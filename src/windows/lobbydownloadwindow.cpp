#include "windows/lobbydownloadwindow.h"

#include "board/art.h"
#include "board/background.h"
#include "tally/datafolder.h"
#include "windows/desktop.h"
#include "windows/placement.h"
#include "windows/prompts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

#ifndef HANGMAN_LOBBY_INSTALLER_URL
#define HANGMAN_LOBBY_INSTALLER_URL "https://lobby.vorlix.example/lobby/vorlixsetup.exe"
#endif
#ifndef HANGMAN_LOBBY_LAUNCHER
#define HANGMAN_LOBBY_LAUNCHER ""
#endif

namespace {

const QStringList installerArguments = {"/SP-", "/silent", "/noicons"};

// A cream panel with a thin brown frame and rounded corners.
class CreamPanel : public QFrame {
public:
    CreamPanel()
    {
        setContentsMargins(1, 1, 1, 1);
        // The buttons on the panel take their frames from the plain window colour,
        // not from the window's paper texture.
        QPalette plain = palette();
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            plain.setBrush(group, QPalette::Window, QApplication::palette().brush(group, QPalette::Window));
        setPalette(plain);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QColor(0x8a, 0x6a, 0x3a));
        painter.setBrush(QColor(255, 248, 231, 230));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 5.5, 5.5); // 6 at the frame's outer edge
    }
};

QFrame* panel()
{
    auto* frame = new CreamPanel;
    frame->setObjectName("panel");
    return frame;
}

QLabel* wrappedLabel(const QString& text, bool bold = false)
{
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    QFont font("Arial", 9);
    font.setBold(bold);
    label->setFont(font);
    return label;
}

// The launcher chosen at build time, else the one installed next to the game.
QString defaultLauncherPath()
{
    const QString configured = HANGMAN_LOBBY_LAUNCHER;
    return configured.isEmpty() ? QDir(QCoreApplication::applicationDirPath()).filePath("vorlix-lobby") : configured;
}

} // namespace

LobbyDownloadWindow::LobbyDownloadWindow(Desktop& desktop, Prompts& prompts, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_downloadUrl(QString(HANGMAN_LOBBY_INSTALLER_URL))
    , m_launcherPath(defaultLauncherPath())
    , m_desktop(desktop)
    , m_prompts(prompts)
{
    setWindowTitle("Download The Vorlix Lobby");
    applyGameBackground(this);
    auto* right = new QVBoxLayout;
    right->setSpacing(8);
    right->addWidget(buildSoloPanel());
    right->addWidget(buildOthersPanel());
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(8);
    layout->addWidget(buildLeftPanel(), 1);
    layout->addLayout(right, 1);
    setFixedSize(660, 330);
    m_soloButton->setDefault(true);
}

LobbyDownloadWindow::~LobbyDownloadWindow()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

QWidget* LobbyDownloadWindow::buildLeftPanel()
{
    QFrame* frame = panel();
    auto* column = new QVBoxLayout(frame);
    auto* picture = new QLabel;
    picture->setPixmap(Art::gameLogo(72));
    picture->setAlignment(Qt::AlignCenter);
    column->addWidget(picture);
    auto* invitation = wrappedLabel(
        "Download The Vorlix Lobby Now to play this  and other exciting games online with other players! ", true);
    invitation->setFont(QFont("Arial", 10, QFont::Bold));
    invitation->setAlignment(Qt::AlignCenter);
    column->addWidget(invitation);
    m_downloadButton = new QPushButton("Download And Install The Vorlix Lobby Now");
    m_downloadButton->setObjectName("getbutton");
    m_downloadButton->setMinimumHeight(32);
    m_downloadButton->setFont(QFont("Arial", 9, QFont::Bold));
    connect(m_downloadButton, &QPushButton::clicked, this, &LobbyDownloadWindow::startDownload);
    m_stopButton = new QPushButton("Stop Download");
    m_stopButton->setObjectName("abortbutton");
    m_stopButton->setEnabled(false);
    connect(m_stopButton, &QPushButton::clicked, this, &LobbyDownloadWindow::stopDownload);
    column->addWidget(m_downloadButton);
    column->addWidget(m_stopButton);
    m_progressLine = wrappedLabel("", true);
    m_progressLine->setObjectName("label_progress");
    m_stageLine = wrappedLabel("");
    m_stageLine->setObjectName("label_stage");
    column->addWidget(m_progressLine);
    column->addWidget(m_stageLine);
    column->addStretch();
    auto* terms = wrappedLabel("The Vorlix Lobby is free. Installing it means you accept its licence terms, "
                               "which the installer shows.");
    terms->setFont(QFont("Arial", 7));
    column->addWidget(terms);
    return frame;
}

QWidget* LobbyDownloadWindow::buildSoloPanel()
{
    QFrame* frame = panel();
    auto* column = new QVBoxLayout(frame);
    column->addWidget(wrappedLabel(
        "To proceed to the game without the ability to play against others click the button below."));
    m_soloButton = new QPushButton("Play Solo Game");
    m_soloButton->setObjectName("button_solo");
    m_soloButton->setMinimumHeight(30);
    connect(m_soloButton, &QPushButton::clicked, this, &LobbyDownloadWindow::playSolo);
    column->addStretch();
    column->addWidget(m_soloButton);
    auto* note = wrappedLabel("Note: Even if you are playing offline, you will need to configure your FIREWALL "
                              "to allow the game to access the internet components.");
    note->setFont(QFont("Arial", 8));
    column->addWidget(note);
    return frame;
}

QWidget* LobbyDownloadWindow::buildOthersPanel()
{
    QFrame* frame = panel();
    auto* column = new QVBoxLayout(frame);
    column->addWidget(wrappedLabel("If you already have The Vorlix Lobby and you wish to play with others then "
                                   "click the button below to close this game and open The Vorlix Lobby."));
    column->addStretch();
    m_othersButton = new QPushButton("Play with Others");
    m_othersButton->setObjectName("button_others");
    m_othersButton->setMinimumHeight(30);
    connect(m_othersButton, &QPushButton::clicked, this, &LobbyDownloadWindow::playWithOthers);
    column->addWidget(m_othersButton);
    return frame;
}

void LobbyDownloadWindow::setDownloadUrl(const QUrl& url)
{
    m_downloadUrl = url;
}

void LobbyDownloadWindow::setLauncherPath(const QString& path)
{
    m_launcherPath = path;
}

void LobbyDownloadWindow::setDataFolder(const QString& folder)
{
    m_dataFolder = folder;
}

QString LobbyDownloadWindow::installerFolder() const
{
    return m_dataFolder.isEmpty() ? dataFolder() : m_dataFolder;
}

QString LobbyDownloadWindow::installerPath() const
{
    return QDir(installerFolder()).filePath(m_downloadUrl.fileName());
}

void LobbyDownloadWindow::setExitGame(std::function<void()> exitGame)
{
    m_exitGame = std::move(exitGame);
}

void LobbyDownloadWindow::showMessage(const QString& text)
{
    m_prompts.showMessage(this, text);
}

void LobbyDownloadWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    centreOn(this, nullptr);
}

void LobbyDownloadWindow::startDownload()
{
    if (m_reply)
        return;
    m_stopped = false;
    m_installerName = m_downloadUrl.fileName();
    QDir().mkpath(installerFolder());
    m_installerFile = std::make_unique<QSaveFile>(installerPath());
    if (m_downloadUrl.fileName().isEmpty() || !m_installerFile->open(QIODevice::WriteOnly)) {
        showMessage("Cannot create file \"" + installerPath() + "\". " + m_installerFile->errorString());
        m_installerFile.reset();
        return;
    }
    m_received = 0;
    m_bodyBegun = false;
    m_writeFailed = false;
    m_downloadButton->setEnabled(false);
    m_stopButton->setEnabled(true);
    m_progressLine->setText("Loading");

    QNetworkRequest request(m_downloadUrl);
    request.setHeader(QNetworkRequest::UserAgentHeader, "Mozilla/3.0 (compatible)");
    request.setRawHeader("Accept", "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] {
        headersReceived(int(m_reply->rawHeaderPairs().size()));
        bodyBegun();
    });
    connect(m_reply, &QNetworkReply::readyRead, this, &LobbyDownloadWindow::saveReceivedData);
    connect(m_reply, &QNetworkReply::finished, this, &LobbyDownloadWindow::downloadFinished);
}

void LobbyDownloadWindow::stopDownload()
{
    m_progressLine->setText("Download has been aborted.");
    m_stopped = true;
    m_stageLine->setText("Download Aborted");
    if (m_reply)
        m_reply->abort();
}

void LobbyDownloadWindow::headersReceived(int lines)
{
    m_progressLine->setText(m_progressLine->text() + QString(lines, '.'));
}

void LobbyDownloadWindow::bodyBegun()
{
    if (m_bodyBegun)
        return;
    m_bodyBegun = true;
    m_stageLine->setText("Downloading: " + m_installerName);
}

void LobbyDownloadWindow::saveReceivedData()
{
    const QByteArray piece = m_reply->readAll();
    if (piece.isEmpty())
        return;
    if (m_installerFile->write(piece) != piece.size()) {
        m_writeFailed = true;
        m_reply->abort();
        return;
    }
    m_received += piece.size();
    m_progressLine->setText(QString::number(m_received) + " bytes");
}

void LobbyDownloadWindow::downloadFinished()
{
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    reply->deleteLater();
    if (reply->error() == QNetworkReply::NoError && !m_writeFailed) {
        const QByteArray rest = reply->readAll();
        m_writeFailed = m_installerFile->write(rest) != rest.size();
    }
    const bool complete = reply->error() == QNetworkReply::NoError && !m_writeFailed
        && !m_stopped && m_installerFile->commit();
    m_installerFile.reset();
    if (complete) {
        m_progressLine->setText("Received " + QString::number(QFileInfo(installerPath()).size()) + " bytes");
    } else {
        m_progressLine->setText("Download Aborted");
        m_stopped = true;
    }
    m_downloadButton->setEnabled(true);
    m_stopButton->setEnabled(false);
    if (!m_stopped)
        runInstaller();
}

void LobbyDownloadWindow::runInstaller()
{
    m_stageLine->setText("Installing");
    QFile::setPermissions(installerPath(), QFile::permissions(installerPath()) | QFile::ExeOwner
                                               | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther);
    if (!m_desktop.startProgram(installerPath(), installerArguments)) {
        showMessage("An Error has Occurred.");
        return;
    }
    if (m_exitGame)
        m_exitGame();
}

void LobbyDownloadWindow::playSolo()
{
    hide();
}

void LobbyDownloadWindow::playWithOthers()
{
    if (!QFileInfo(m_launcherPath).isFile()) {
        showMessage("Please close the game and open the Vorlix Lobby using the icon on your desktop or using the "
                     "your Window's start-up menu.");
        return;
    }
    if (!m_desktop.startProgram(m_launcherPath, {})) {
        showMessage("An Error has Occurred.");
        return;
    }
    if (m_exitGame)
        m_exitGame();
}
