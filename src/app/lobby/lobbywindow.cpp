#include "app/lobby/lobbywindow.h"

#include "board/art.h"
#include "board/background.h"
#include "client/inifile.h"
#include "net/invitation.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpSocket>
#include <QVBoxLayout>

namespace {

const int maxNameLength = 20;

} // namespace

LobbyWindow::LobbyWindow(QString settingsPath, QString gamePath, quint16 listenPort, QWidget* parent)
    : QWidget(parent)
    , settingsPath_(std::move(settingsPath))
    , gamePath_(std::move(gamePath))
    , listenPort_(listenPort)
{
    setWindowTitle("The Vorlix Lobby");
    setWindowIcon(Art::gameLogo(64));
    applyGameBackground(this);

    auto* logo = new QLabel;
    logo->setPixmap(Art::gameLogo(96));
    logo->setAlignment(Qt::AlignCenter);
    auto* title = new QLabel("The Vorlix Lobby");
    title->setFont(QFont("Comic Sans MS", 18, QFont::Bold));
    title->setAlignment(Qt::AlignCenter);
    auto* intro = new QLabel("Play HangMan with others: type your name and the host's address, "
                             "or tick \"Host this game\" to host one yourself.");
    intro->setWordWrap(true);

    nameEdit = new QLineEdit;
    nameEdit->setObjectName("nameEdit");
    nameEdit->setMaxLength(maxNameLength);
    serverEdit = new QLineEdit;
    serverEdit->setObjectName("serverEdit");
    serverEdit->setPlaceholderText("for example 192.168.1.20");
    hostBox = new QCheckBox("Host this game");
    hostBox->setObjectName("hostBox");
    auto* form = new QFormLayout;
    form->addRow("Your name:", nameEdit);
    form->addRow("Server address:", serverEdit);
    form->addRow("", hostBox);

    playButton = new QPushButton("Play");
    playButton->setObjectName("playButton");
    playButton->setDefault(true);
    connect(playButton, &QPushButton::clicked, this, &LobbyWindow::play);
    statusLabel = new QLabel;
    statusLabel->setObjectName("statusLabel");
    statusLabel->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 14, 18, 14);
    layout->addWidget(logo);
    layout->addWidget(title);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(playButton, 0, Qt::AlignCenter);
    layout->addWidget(statusLabel);
    setFixedWidth(380);

    game_.setProcessChannelMode(QProcess::ForwardedChannels);
    connect(&game_, &QProcess::finished, this, &LobbyWindow::gameFinished);
    connect(&listener_, &QTcpServer::newConnection, this, &LobbyWindow::acceptConnections);
    loadFields();
}

void LobbyWindow::closeEvent(QCloseEvent* event)
{
    if (!gameRunning()) {
        QWidget::closeEvent(event);
        return;
    }
    quitWithGame_ = true;
    event->ignore();
    hide();
}

QString LobbyWindow::status() const
{
    return statusLabel->text();
}

void LobbyWindow::loadFields()
{
    const IniFile file(settingsPath_);
    nameEdit->setText(file.readString(section, "Name", ""));
    serverEdit->setText(file.readString(section, "Server", ""));
    hostBox->setChecked(file.readString(section, "Host", "false") == "true");
}

void LobbyWindow::saveFields()
{
    IniFile file(settingsPath_);
    file.writeString(section, "Name", nameEdit->text().trimmed());
    file.writeString(section, "Server", serverEdit->text().trimmed());
    file.writeString(section, "Host", hostBox->isChecked() ? "true" : "false");
}

QString LobbyWindow::checkFields() const
{
    const QString name = nameEdit->text().trimmed();
    if (name.isEmpty())
        return "Type the name the other players will see.";
    for (QChar c : name)
        if (c == '+' || c.unicode() < 0x20 || c.unicode() > 0x7e)
            return "Use only plain letters, digits and punctuation other than + in your name.";
    const QString server = serverEdit->text().trimmed();
    if (!hostBox->isChecked() && server.isEmpty())
        return "Type the address of the computer that hosts the game.";
    if (!server.isEmpty() && !invitation::isServerAddress(server))
        return "Type the host's address as an IPv4 or IPv6 address or a host name.";
    return {};
}

bool LobbyWindow::play()
{
    if (gameRunning())
        return false;
    if (const QString problem = checkFields(); !problem.isEmpty()) {
        statusLabel->setText(problem);
        return false;
    }
    try {
        saveFields();
    } catch (const IniWriteError& error) {
        statusLabel->setText(QString::fromStdString(error.what()));
    }
    QString server = serverEdit->text().trimmed();
    if (server.isEmpty())
        server = "127.0.0.1";
    listener_.listen(QHostAddress::LocalHost, listenPort_);
    game_.start(gamePath_, {nameEdit->text().trimmed(), server, hostBox->isChecked() ? "true" : "false"});
    if (!game_.waitForStarted()) {
        listener_.close();
        statusLabel->setText("HangMan could not be started: " + game_.errorString());
        return false;
    }
    playButton->setEnabled(false);
    statusLabel->setText("HangMan is running.");
    return true;
}

void LobbyWindow::gameFinished()
{
    listener_.close();
    for (QTcpSocket* socket : listener_.findChildren<QTcpSocket*>())
        socket->abort();
    playButton->setEnabled(true);
    statusLabel->setText("");
    if (quitWithGame_)
        QCoreApplication::quit();
}

void LobbyWindow::acceptConnections()
{
    while (QTcpSocket* socket = listener_.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, socket, [socket] { socket->readAll(); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}
