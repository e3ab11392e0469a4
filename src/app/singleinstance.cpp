#include "app/singleinstance.h"

#include <QDir>
#include <QLocalSocket>
#include <QWidget>
#include <unistd.h>

namespace {

constexpr int kAnswerWaitMs = 1000;
constexpr qint64 kMaxRequestBytes = 16;
const QByteArray kRaiseRequest = "raise\n";

QString lockPath(const QString& folder, const QString& name)
{
    return (folder.isEmpty() ? SingleInstance::runtimeFolder() : folder) + "/" + name + ".lock";
}

void makeLockFileReliable(QLockFile& lock)
{
    lock.setStaleLockTime(0); // only a dead holder makes a lock stale, never its age
}

} // namespace

SingleInstance::SingleInstance(const QString& name, const QString& folder, QObject* parent)
    : QObject(parent), m_folder(folder.isEmpty() ? runtimeFolder() : folder), m_socketPath(m_folder + "/" + name)
{
    QDir().mkpath(m_folder);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.setMaxPendingConnections(4);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::handleConnection);
    m_lock = std::make_unique<QLockFile>(m_socketPath + ".lock");
    makeLockFileReliable(*m_lock);
}

SingleInstance::~SingleInstance()
{
    m_server.close();
}

bool SingleInstance::previousInstanceRunning()
{
    if (m_lock->isLocked())
        return false;
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() != QLockFile::LockFailedError)
            return false;
        askRunningCopyToRaise();
        return true;
    }
    if (askRunningCopyToRaise()) {
        m_lock->unlock();
        return true;
    }
    startListening();
    return false;
}

void SingleInstance::raiseOnRequest(QWidget* window)
{
    connect(this, &SingleInstance::raiseRequested, window, [window] { raiseWindow(window); });
}

QString SingleInstance::runtimeFolder()
{
    const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty())
        return xdg;
    const QString own = QDir::tempPath() + "/hangman-" + QString::number(getuid());
    QDir().mkpath(own);
    QFile::setPermissions(own, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return own;
}

void SingleInstance::raiseWindow(QWidget* window)
{
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
}

bool SingleInstance::askRunningCopyToRaise() const
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(kAnswerWaitMs))
        return false;
    socket.write(kRaiseRequest);
    socket.waitForBytesWritten(kAnswerWaitMs);
    socket.disconnectFromServer();
    return true;
}

// Called only while holding the lock, so a socket file found here was left by a dead copy.
bool SingleInstance::startListening()
{
    QLocalServer::removeServer(m_socketPath);
    return m_server.listen(m_socketPath);
}

void SingleInstance::handleConnection()
{
    while (QLocalSocket* caller = m_server.nextPendingConnection()) {
        connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
        auto answer = [this, caller] {
            const QByteArray request = caller->read(kMaxRequestBytes);
            if (request.startsWith(kRaiseRequest.trimmed()))
                emit raiseRequested();
            caller->disconnectFromServer();
        };
        connect(caller, &QLocalSocket::readyRead, this, answer);
        if (caller->bytesAvailable() > 0)
            answer();
    }
}

RunningMarker::RunningMarker(const QString& name, const QString& folder) : m_lock(lockPath(folder, name))
{
    makeLockFileReliable(m_lock);
    m_held = m_lock.tryLock(0);
}

bool RunningMarker::isHeld(const QString& name, const QString& folder)
{
    QLockFile probe(lockPath(folder, name));
    makeLockFileReliable(probe);
    if (probe.tryLock(0)) {
        probe.unlock();
        return false;
    }
    return probe.error() == QLockFile::LockFailedError;
}
