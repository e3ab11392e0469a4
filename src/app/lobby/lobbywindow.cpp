#include "app/lobby/lobbywindow.h"

#include "board/art.h"
#include "board/background.h"
#include "client/inifile.h"
#include "net/invitation.h"
#include "net/protocol.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFormLayout>
#include <QLabel>
#include <QDebug>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTcpSocket>
#include <QVBoxLayout>

namespace {

const int maxNameLength = 20;
constexpr int kGameRows = 3;
constexpr int kRecentRows = 2;
constexpr int kAddressRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1;

QString count(int number, const QString& one, const QString& many)
{
    return QString::number(number) + " " + (number == 1 ? one : many);
}

// Two lines: the name, then the players, the state and the address.
QString gameText(const LanGame& game)
{
    QString details = count(game.roster.players, "player", "players");
    if (game.roster.spies > 0)
        details += ", " + count(game.roster.spies, "spy", "spies");
    details += game.roster.running ? ", playing" : ", waiting";
    if (game.version != kVersion)
        details += ", another version (" + (game.version.isEmpty() ? QString("unknown") : game.version) + ")";
    return game.name + "\n" + details + " - " + game.addresses.value(0);
}

// A line of the list that is no entry: nothing to choose.
void addNote(QListWidget* list, const QString& text)
{
    auto* note = new QListWidgetItem(text, list);
    note->setFlags(Qt::ItemIsEnabled);
}

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
    auto* intro = new QLabel("Play HangMan with others: choose a game on your network, or type your name and "
                             "the host's address, or tick \"Host this game\" to host one yourself.");
    intro->setWordWrap(true);
    statusLabel = new QLabel;
    statusLabel->setObjectName("statusLabel");
    statusLabel->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 14, 18, 14);
    layout->addWidget(logo);
    layout->addWidget(title);
    layout->addWidget(intro);
    buildLists(layout);
    buildFields(layout);
    layout->addWidget(statusLabel);
    setFixedWidth(420);

    game_.setProcessChannelMode(QProcess::ForwardedChannels);
    connect(&game_, &QProcess::finished, this, &LobbyWindow::gameFinished);
    connect(&listener_, &QTcpServer::newConnection, this, &LobbyWindow::acceptConnections);
    connect(&browser_, &LanBrowser::gamesChanged, this, [this] { showNetworkGames(browser_.games()); });
    connect(&browser_, &LanBrowser::unavailable, this, &LobbyWindow::browsingUnavailable);
    loadFields();
}

void LobbyWindow::buildLists(QVBoxLayout* layout)
{
    gamesList = makeList("gamesList", kGameRows);
    recentLabel = new QLabel("Recent:");
    recentList = makeList("recentList", kRecentRows);
    layout->addWidget(new QLabel("Games on your network:"));
    layout->addWidget(gamesList);
    layout->addWidget(recentLabel);
    layout->addWidget(recentList);
    showNetworkGames({});
}

QListWidget* LobbyWindow::makeList(const QString& objectName, int rows)
{
    auto* list = new QListWidget;
    list->setObjectName(objectName);
    list->setAlternatingRowColors(true);
    list->setWordWrap(true);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setFixedHeight(rows * list->fontMetrics().height() * 2 + 8);
    connect(list, &QListWidget::itemClicked, this, &LobbyWindow::chooseEntry);
    connect(list, &QListWidget::currentItemChanged, this, &LobbyWindow::chooseEntry);
    connect(list, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        if (chooseEntry(item))
            play();
    });
    return list;
}

void LobbyWindow::buildFields(QVBoxLayout* layout)
{
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
    for (QLineEdit* field : {nameEdit, serverEdit})
        connect(field, &QLineEdit::returnPressed, this, &LobbyWindow::play);

    playButton = new QPushButton("Play");
    playButton->setObjectName("playButton");
    playButton->setDefault(true);
    connect(playButton, &QPushButton::clicked, this, &LobbyWindow::play);
    layout->addLayout(form);
    layout->addWidget(playButton, 0, Qt::AlignCenter);
}

void LobbyWindow::startBrowsing()
{
    browser_.start();
}

void LobbyWindow::showNetworkGames(const QList<LanGame>& games)
{
    const QString chosen = gamesList->currentItem() ? gamesList->currentItem()->data(kAddressRole).toString() : "";
    const QSignalBlocker quiet(gamesList);
    gamesList->clear();
    QStringList logged;
    for (const LanGame& game : games) {
        auto* item = new QListWidgetItem(gameText(game), gamesList);
        item->setData(kAddressRole, game.addresses.value(0));
        item->setData(kNameRole, game.name);
        item->setToolTip(game.addresses.join("\n"));
        if (item->data(kAddressRole).toString() == chosen)
            gamesList->setCurrentItem(item);
        logged << gameText(game).replace('\n', ", ") + " at " + game.addresses.join(" and ");
    }
    if (games.isEmpty())
        addNote(gamesList, browsingProblem_.isEmpty() ? "Looking for games on your network..." : browsingProblem_);
    qInfo().noquote() << "Games on the network:" << (logged.isEmpty() ? "none" : logged.join("; "));
}

void LobbyWindow::browsingUnavailable(const QString& reason)
{
    browsingProblem_ = "Games on your network cannot be listed (" + reason + ").";
    if (gamesList->count() == 1 && !(gamesList->item(0)->flags() & Qt::ItemIsSelectable))
        showNetworkGames({});
}

QStringList LobbyWindow::networkGames() const
{
    QStringList out;
    for (int row = 0; row < gamesList->count(); ++row)
        out << gamesList->item(row)->text();
    return out;
}

bool LobbyWindow::chooseEntry(QListWidgetItem* item)
{
    if (!item || item->data(kAddressRole).toString().isEmpty())
        return false;
    serverEdit->setText(item->data(kAddressRole).toString());
    hostBox->setChecked(false);
    return true;
}

void LobbyWindow::showRecent()
{
    const QSignalBlocker quiet(recentList);
    recentList->clear();
    for (const QString& host : recent_) {
        auto* item = new QListWidgetItem(host, recentList);
        item->setData(kAddressRole, host);
    }
    recentLabel->setVisible(!recent_.isEmpty());
    recentList->setVisible(!recent_.isEmpty());
}

void LobbyWindow::rememberRecent(const QString& host)
{
    recent_.removeAll(host);
    recent_.prepend(host);
    while (recent_.size() > kMaxRecent)
        recent_.removeLast();
    showRecent();
}

bool LobbyWindow::openInvitation(const QString& link)
{
    const invitation::ReadLink read = invitation::read(link);
    if (!read.error.isEmpty()) {
        qWarning().noquote() << "vorlix-lobby:" << read.error;
        statusLabel->setText(read.error);
        return false;
    }
    serverEdit->setText(read.host);
    hostBox->setChecked(false);
    statusLabel->setText("Type your name and press Enter to join the game at " + read.host + ".");
    nameEdit->setFocus();
    nameEdit->selectAll();
    qInfo().noquote() << "vorlix-lobby: invited to" << read.host;
    return true;
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
    recent_ = file.readString(section, "Recent", "").split(' ', Qt::SkipEmptyParts).mid(0, kMaxRecent);
    showRecent();
}

void LobbyWindow::saveFields()
{
    IniFile file(settingsPath_);
    file.writeString(section, "Name", nameEdit->text().trimmed());
    file.writeString(section, "Server", serverEdit->text().trimmed());
    file.writeString(section, "Host", hostBox->isChecked() ? "true" : "false");
    file.writeString(section, "Recent", recent_.join(' '));
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
    if (!hostBox->isChecked())
        rememberRecent(serverEdit->text().trimmed());
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
