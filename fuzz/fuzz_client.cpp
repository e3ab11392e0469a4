// Feeds arbitrary bytes to the main window as if the game server had sent them:
// the bytes arrive in pieces of 256 and are cut into messages as the game
// connection cuts them (with its bound: past an overlong message nothing more
// arrives), each queued as the connection hands it over, and virtual time
// dispatches the queue one message per tick through the window's handlers and
// the board's, then lets the board's turn clock and animation run on.
//
// The window has every side window, as in the program, but no connection: what
// it sends fails with the window's "not connected" exception, which the fuzzer
// catches per timer tick just as the application reports it per event.

#include "app/gamewindows.h"
#include "board/board.h"
#include "../tests/support/fakesurroundings.h"
#include "../tests/support/mainwindowaccess.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <exception>
#include <memory>

namespace {

constexpr int kPiece = 256;

// The application lives until the process ends and is never destroyed: taking it
// down after main() returns would free Qt's font caches out of order.
QApplication& application()
{
    static int argc = 1;
    static char name[] = "fuzz_client";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

const QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

// Advances the clock by one step, carrying on past an exception as the
// application's event guard does.
void tick(VirtualClock& clock, long long ms)
{
    try {
        clock.advance(ms);
    } catch (const std::exception&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    application();
    const QString tallyPath = folder().path() + "/hangmantally.tld";
    const QString settingsPath = folder().path() + "/vorlixlobby.ini";
    QFile::remove(tallyPath);
    QFile::remove(settingsPath);

    VirtualClock clock;
    {
        FakeSurroundings outside;
        GameWindows windows(clock, tallyPath, outside);
        MainWindow* chat = windows.chat.get();
        chat->setArguments({"Fuzz", "127.0.0.1", "false"});
        chat->setSettingsPath(settingsPath);
        const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
        proto::MessageCutter cutter(proto::kMaxServerMessageBytes);
        for (qsizetype at = 0; at < input.size() && !cutter.overflowed(); at += kPiece) {
            for (const QByteArray& message : cutter.feed(input.mid(at, kPiece)))
                MainWindowTestAccess::receiveMessage(*chat, message);
            for (int step = 0; step < 4 * kPiece && chat->queuedMessages() > 0; ++step)
                tick(clock, 1);
            tick(clock, 20);
        }
        for (int step = 0; step < 40; ++step)
            tick(clock, 100);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
