#include "windows/downloadform.h"

#include "board/art.h"
#include "board/background.h"
#include "tally/datafolder.h"
#include "windows/placement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

#ifndef HANGMAN_LOBBY_INSTALLER_URL
#define HANGMAN_LOBBY_INSTALLER_URL "https://lobby.vorlix.example/lobby/vorlixsetup.exe"
#endif
#ifndef HANGMAN_LOBBY_LAUNCHER
#define HANGMAN_LOBBY_LAUNCHER "/usr/local/bin/vorlix-lobby"
#endif

namespace {

const char* const tagProperty = "Tag";
const int downloadRunning = 1;
const int downloadStopped = 2;

const QStringList installerArguments = {"/SP-", "/silent", "/noicons"};

QFrame* panel()
{
    auto* frame = new QFrame;
    frame->setObjectName("panel");
    frame->setStyleSheet("QFrame#panel { background: rgba(255, 248, 231, 230); border: 1px solid #8a6a3a;"
                         " border-radius: 6px; }");
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

} // namespace

Tdownload::Tdownload(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , downloadUrl_(QString(HANGMAN_LOBBY_INSTALLER_URL))
    , launcherPath_(HANGMAN_LOBBY_LAUNCHER)
    , startProcess_([](const QString& program, const QStringList& arguments) {
        return QProcess::startDetached(program, arguments);
    })
    , showMessage_([this](const QString& text) { QMessageBox::information(this, windowTitle(), text); })
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
    Button1->setDefault(true);
}

Tdownload::~Tdownload()
{
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
    }
}

QWidget* Tdownload::buildLeftPanel()
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
    getbutton = new QPushButton("Download And Install The Vorlix Lobby Now");
    getbutton->setObjectName("getbutton");
    getbutton->setMinimumHeight(32);
    getbutton->setFont(QFont("Arial", 9, QFont::Bold));
    connect(getbutton, &QPushButton::clicked, this, &Tdownload::getbuttonClick);
    abortbutton = new QPushButton("Stop Download");
    abortbutton->setObjectName("abortbutton");
    abortbutton->setEnabled(false);
    connect(abortbutton, &QPushButton::clicked, this, &Tdownload::abortbuttonClick);
    column->addWidget(getbutton);
    column->addWidget(abortbutton);
    infolabel = wrappedLabel("", true);
    infolabel->setObjectName("infolabel");
    infolabel->setProperty(tagProperty, 0);
    infolabel3 = wrappedLabel("");
    infolabel3->setObjectName("infolabel3");
    infolabel2 = new QLabel;
    infolabel2->setObjectName("infolabel2");
    infolabel2->hide();
    column->addWidget(infolabel);
    column->addWidget(infolabel3);
    column->addWidget(infolabel2);
    column->addStretch();
    auto* terms = wrappedLabel("The Vorlix Lobby is free. Installing it means you accept its licence terms, "
                               "which the installer shows.");
    terms->setFont(QFont("Arial", 7));
    column->addWidget(terms);
    return frame;
}

QWidget* Tdownload::buildSoloPanel()
{
    QFrame* frame = panel();
    auto* column = new QVBoxLayout(frame);
    column->addWidget(wrappedLabel(
        "To proceed to the game without the ability to play against others click the button below."));
    Button1 = new QPushButton("Play Solo Game");
    Button1->setObjectName("Button1");
    Button1->setMinimumHeight(30);
    connect(Button1, &QPushButton::clicked, this, &Tdownload::Button1Click);
    column->addStretch();
    column->addWidget(Button1);
    auto* note = wrappedLabel("Note: Even if you are playing offline, you will need to configure your FIREWALL "
                              "to allow the game to access the internet components.");
    note->setFont(QFont("Arial", 8));
    column->addWidget(note);
    return frame;
}

QWidget* Tdownload::buildOthersPanel()
{
    QFrame* frame = panel();
    auto* column = new QVBoxLayout(frame);
    column->addWidget(wrappedLabel("If you already have The Vorlix Lobby and you wish to play with others then "
                                   "click the button below to close this game and open The Vorlix Lobby."));
    column->addStretch();
    Button2 = new QPushButton("Play with Others");
    Button2->setObjectName("Button2");
    Button2->setMinimumHeight(30);
    connect(Button2, &QPushButton::clicked, this, &Tdownload::Button2Click);
    column->addWidget(Button2);
    return frame;
}

void Tdownload::setDownloadUrl(const QUrl& url)
{
    downloadUrl_ = url;
}

void Tdownload::setLauncherPath(const QString& path)
{
    launcherPath_ = path;
}

void Tdownload::setDataFolder(const QString& folder)
{
    dataFolder_ = folder;
}

QString Tdownload::installerFolder() const
{
    return dataFolder_.isEmpty() ? dataFolder() : dataFolder_;
}

QString Tdownload::installerPath() const
{
    return QDir(installerFolder()).filePath(downloadUrl_.fileName());
}

void Tdownload::setExitGame(std::function<void()> exitGame)
{
    exitGame_ = std::move(exitGame);
}

void Tdownload::setProcessStarter(ProcessStarter starter)
{
    startProcess_ = std::move(starter);
}

void Tdownload::setMessageShower(MessageShower shower)
{
    showMessage_ = std::move(shower);
}

void Tdownload::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    centreOn(this, nullptr);
}

void Tdownload::setOutcome(int tag)
{
    infolabel->setProperty(tagProperty, tag);
}

int Tdownload::outcome() const
{
    return infolabel->property(tagProperty).toInt();
}

void Tdownload::getbuttonClick()
{
    if (reply_)
        return;
    setOutcome(downloadRunning);
    infolabel2->setText(downloadUrl_.fileName());
    QDir().mkpath(installerFolder());
    installerFile_ = std::make_unique<QSaveFile>(installerPath());
    if (downloadUrl_.fileName().isEmpty() || !installerFile_->open(QIODevice::WriteOnly)) {
        showMessage_("Cannot create file \"" + installerPath() + "\". " + installerFile_->errorString());
        installerFile_.reset();
        return;
    }
    received_ = 0;
    bodyBegun_ = false;
    writeFailed_ = false;
    getbutton->setEnabled(false);
    abortbutton->setEnabled(true);
    infolabel->setText("Loading");

    QNetworkRequest request(downloadUrl_);
    request.setHeader(QNetworkRequest::UserAgentHeader, "Mozilla/3.0 (compatible)");
    request.setRawHeader("Accept", "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    if (!HttpCli1)
        HttpCli1 = new QNetworkAccessManager(this);
    reply_ = HttpCli1->get(request);
    connect(reply_, &QNetworkReply::metaDataChanged, this, [this] {
        HttpCli1HeaderData(int(reply_->rawHeaderPairs().size()));
        HttpCli1DocBegin();
    });
    connect(reply_, &QNetworkReply::readyRead, this, &Tdownload::HttpCli1DocData);
    connect(reply_, &QNetworkReply::finished, this, &Tdownload::HttpCli1Finished);
}

void Tdownload::abortbuttonClick()
{
    infolabel->setText("Download has been aborted.");
    setOutcome(downloadStopped);
    infolabel3->setText("Download Aborted");
    if (reply_)
        reply_->abort();
}

void Tdownload::HttpCli1HeaderData(int lines)
{
    infolabel->setText(infolabel->text() + QString(lines, '.'));
}

void Tdownload::HttpCli1DocBegin()
{
    if (bodyBegun_)
        return;
    bodyBegun_ = true;
    infolabel3->setText("Downloading: " + infolabel2->text());
}

void Tdownload::HttpCli1DocData()
{
    const QByteArray piece = reply_->readAll();
    if (piece.isEmpty())
        return;
    if (installerFile_->write(piece) != piece.size()) {
        writeFailed_ = true;
        reply_->abort();
        return;
    }
    received_ += piece.size();
    infolabel->setText(QString::number(received_) + " bytes");
}

void Tdownload::HttpCli1Finished()
{
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    reply->deleteLater();
    if (reply->error() == QNetworkReply::NoError && !writeFailed_) {
        const QByteArray rest = reply->readAll();
        writeFailed_ = installerFile_->write(rest) != rest.size();
    }
    const bool complete = reply->error() == QNetworkReply::NoError && !writeFailed_
        && outcome() != downloadStopped && installerFile_->commit();
    installerFile_.reset();
    if (complete) {
        infolabel->setText("Received " + QString::number(QFileInfo(installerPath()).size()) + " bytes");
    } else {
        infolabel->setText("Download Aborted");
        setOutcome(downloadStopped);
    }
    getbutton->setEnabled(true);
    abortbutton->setEnabled(false);
    if (outcome() != downloadStopped)
        runInstaller();
}

void Tdownload::runInstaller()
{
    infolabel3->setText("Installing");
    QFile::setPermissions(installerPath(), QFile::permissions(installerPath()) | QFile::ExeOwner
                                               | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther);
    if (!startProcess_(installerPath(), installerArguments)) {
        showMessage_("An Error has Occurred.");
        return;
    }
    if (exitGame_)
        exitGame_();
}

void Tdownload::Button1Click()
{
    hide();
}

void Tdownload::Button2Click()
{
    if (!QFileInfo(launcherPath_).isFile()) {
        showMessage_("Please close the game and open the Vorlix Lobby using the icon on your desktop or using the "
                     "your Window's start-up menu.");
        return;
    }
    if (!startProcess_(launcherPath_, {})) {
        showMessage_("An Error has Occurred.");
        return;
    }
    if (exitGame_)
        exitGame_();
}
