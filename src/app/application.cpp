#include "app/application.h"

#include "app/gamestyle.h"

#include <QPixmapCache>
#include <QWidget>
#include <csignal>
#include <exception>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kPixmapCacheKiB = 32;

int g_signalPipe[2] = {-1, -1};

void writeSignalByte(int signalNumber)
{
    const char byte = char(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[0], &byte, 1);
}

void setHandler(int signalNumber, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signalNumber, &action, nullptr);
}

} // namespace

TerminationWatcher::TerminationWatcher(QObject* parent) : QObject(parent)
{
    if (g_signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        return;
    ::fcntl(g_signalPipe[0], F_SETFL, O_NONBLOCK);
    ::fcntl(g_signalPipe[1], F_SETFL, O_NONBLOCK);
    m_notifier = std::make_unique<QSocketNotifier>(g_signalPipe[1], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationWatcher::handleSignalByte);
    setHandler(SIGTERM, writeSignalByte);
    setHandler(SIGINT, writeSignalByte);
}

TerminationWatcher::~TerminationWatcher()
{
    setHandler(SIGTERM, SIG_DFL);
    setHandler(SIGINT, SIG_DFL);
}

void TerminationWatcher::handleSignalByte()
{
    char byte = 0;
    while (::read(g_signalPipe[1], &byte, 1) == 1)
        emit terminationRequested(int(byte));
}

HangmanApplication::HangmanApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName("Hangman");
    setStyle(new GameStyle);
    // Qt's pixmap cache keeps a rendered copy of each push button's face (35 KiB for
    // each of the download window's), which the game's few, rarely repainted buttons
    // do not need: keep only small pictures.
    QPixmapCache::setCacheLimit(kPixmapCacheKiB);
}

HangmanApplication::~HangmanApplication() = default;

bool HangmanApplication::notify(QObject* receiver, QEvent* event)
{
    return deliverGuarded([&] { return QApplication::notify(receiver, event); },
                          [this](const QString& text) { m_prompts.showError(activeWindow(), text); });
}

bool HangmanApplication::deliverGuarded(const std::function<bool()>& deliver,
                                        const std::function<void(const QString&)>& report)
{
    try {
        return deliver();
    } catch (const std::exception& error) {
        report(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        report("Unknown error");
    }
    return false;
}

void HangmanApplication::watchTerminationSignals()
{
    if (m_watcher)
        return;
    m_watcher = new TerminationWatcher(this);
    connect(m_watcher, &TerminationWatcher::terminationRequested, this, [this] {
        if (onTerminate)
            onTerminate();
        else
            closeMainWindow();
    });
}

void HangmanApplication::closeMainWindow()
{
    // Closing saves what the window keeps; quitting then also ends any modal box's loop.
    if (m_mainWindow)
        m_mainWindow->close();
    quit();
}
