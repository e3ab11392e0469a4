#include "app/singleinstance.h"

#include <QLockFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool waitFor(const std::function<bool()>& done)
{
    return QTest::qWaitFor(done, 5000);
}

// A child process takes the lock and binds the socket like a running copy, then is killed.
void leaveFilesOfAKilledCopy(const QString& folder)
{
    const pid_t child = fork();
    if (child == 0) {
        QLockFile lock(folder + "/xilrov.lock");
        lock.tryLock(0);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        const QByteArray path = (folder + "/xilrov").toLocal8Bit();
        std::strncpy(address.sun_path, path.constData(), sizeof(address.sun_path) - 1);
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        ::listen(fd, 1);
        ::raise(SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
}

TEST(SingleInstance, LaterCopyRaisesTheFirstAndEnds)
{
    QTemporaryDir folder;
    QTemporaryDir otherFolder;
    auto first = std::make_unique<SingleInstance>("xilrov", folder.path());
    QSignalSpy raised(first.get(), &SingleInstance::raiseRequested);
    QWidget window;
    window.showMinimized();
    first->raiseOnRequest(&window);
    EXPECT_FALSE(first->previousInstanceRunning());

    SingleInstance second("xilrov", folder.path());
    EXPECT_TRUE(second.previousInstanceRunning());
    ASSERT_TRUE(waitFor([&] { return raised.size() == 1; }));
    EXPECT_FALSE(window.isMinimized());

    SingleInstance elsewhere("xilrov", otherFolder.path());
    EXPECT_FALSE(elsewhere.previousInstanceRunning()) << "another runtime folder is another session";

    first.reset();
    SingleInstance next("xilrov", folder.path());
    EXPECT_FALSE(next.previousInstanceRunning()) << "the first copy has ended";
    QTest::qWait(50);
    EXPECT_EQ(raised.size(), 1);
}

TEST(SingleInstance, FilesOfAKilledCopyDoNotBlockTheNextStart)
{
    QTemporaryDir folder;
    leaveFilesOfAKilledCopy(folder.path());
    ASSERT_TRUE(QFile::exists(folder.path() + "/xilrov"));

    SingleInstance restarted("xilrov", folder.path());
    QSignalSpy raised(&restarted, &SingleInstance::raiseRequested);
    EXPECT_FALSE(restarted.previousInstanceRunning());
    SingleInstance later("xilrov", folder.path());
    EXPECT_TRUE(later.previousInstanceRunning());
    EXPECT_TRUE(waitFor([&] { return raised.size() == 1; }));
}

TEST(SingleInstance, RuntimeFolderFollowsTheSession)
{
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    QTemporaryDir session;
    qputenv("XDG_RUNTIME_DIR", session.path().toLocal8Bit());
    EXPECT_EQ(SingleInstance::runtimeFolder(), session.path());
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_TRUE(SingleInstance::runtimeFolder().startsWith(QDir::tempPath()));
    if (!saved.isEmpty())
        qputenv("XDG_RUNTIME_DIR", saved);
}

TEST(RunningMarker, HeldForTheLifeOfItsOwner)
{
    QTemporaryDir folder;
    EXPECT_FALSE(RunningMarker::isHeld("hangman", folder.path()));
    {
        RunningMarker marker("hangman", folder.path());
        EXPECT_TRUE(marker.held());
        EXPECT_TRUE(RunningMarker::isHeld("hangman", folder.path()));
    }
    EXPECT_FALSE(RunningMarker::isHeld("hangman", folder.path()));
}

} // namespace
