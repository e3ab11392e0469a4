// Where a solo game's start-up time and memory go, part by part, in one process:
// the application object, the first sound (audio output and decoding), the font
// database, every picture, the word lists, the sounds, the nine windows in their
// order, the first paint; then the first use of what start-up leaves for later:
// each side window from its click to being shown, and sounds from the call to playing.
//
//     QT_QPA_PLATFORM=xcb DISPLAY=:N build-perf/bench/bench_startup_parts
//
// Every figure is the first (cold) use in this process; run it on a real (Xvfb)
// display for the window figures, with a sound server for the sound figures.
#include "app/gamewindows.h"
#include "board/art.h"
#include "client/gamemenus.h"
#include "client/lazysound.h"
#include "client/sound/soundplayer.h"
#include "server/wordlists.h"
#include "windows/desktop.h"
#include "windows/prompts.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QAudioSink>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QWindow>

#include <cstdio>
#include <functional>
#include <vector>
#include <malloc.h>

namespace {

constexpr int kShowTimeoutMs = 5000;
constexpr int kSettleMs = 500;
constexpr int kLogoSizes[] = {32, 64, 72, 128};

// Bytes the process holds from malloc, small blocks and mapped ones alike.
qint64 heapBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

void timed(const char* what, const std::function<void()>& work)
{
    const qint64 heapBefore = heapBytes();
    QElapsedTimer timer;
    timer.start();
    work();
    const double ms = timer.nsecsElapsed() / 1e6;
    std::printf("  %-46s %8.1f ms %+8.0f KiB heap\n", what, ms, (heapBytes() - heapBefore) / 1024.0);
}

qint64 bytesOf(const QPixmap& picture)
{
    return qint64(picture.width()) * picture.height() * picture.depth() / 8;
}

void reportArt()
{
    qint64 bytes = 0;
    auto keep = [&bytes](const QPixmap& picture) { bytes += bytesOf(picture); };
    timed("background texture", [&] { keep(Art::backgroundTexture()); });
    timed("27 letter tiles", [&] { for (int n = 0; n <= 26; ++n) keep(Art::letterTile(n)); });
    timed("26 lit letter tiles", [&] { for (int n = 1; n <= 26; ++n) keep(Art::litLetterTile(n)); });
    timed("used letter board", [&] { keep(Art::usedLetterBoard()); });
    timed("7 hang stages", [&] { for (int n = 0; n <= 6; ++n) keep(Art::hangStage(n)); });
    timed("hanged strip (8 frames)", [&] { keep(Art::hangedStrip()); });
    timed("5 category banners + 5 glyphs", [&] {
        for (int n = 0; n < 5; ++n) {
            keep(Art::categoryBanner(n));
            keep(Art::categoryGlyph(n));
        }
    });
    timed("team art", [&] { keep(Art::teamArt()); });
    timed("headings, pointer, eyes, timer, chat banner", [&] {
        for (const QPixmap& p : {Art::thePlayersHeading(), Art::turnPointer(), Art::eyes(), Art::timerBar(),
                                 Art::timerFrame(), Art::chatBanner()})
            keep(p);
    });
    timed("start buttons and switches", [&] {
        for (const QPixmap& p : {Art::startGameButton(false), Art::startGameButton(true), Art::switchPicture(false),
                                 Art::switchPicture(true)})
            keep(p);
    });
    timed("logos 32, 64, 72, 128", [&] { for (int size : kLogoSizes) keep(Art::gameLogo(size)); });
    std::printf("  every picture at its kept size: %.1f MiB\n", bytes / 1048576.0);
}

void reportSounds()
{
    qint64 bytes = 0;
    const QStringList names = SoundPlayer::builtInSounds();
    timed("decode every sound", [&] {
        for (const QString& name : names) {
            QAudioFormat format;
            bytes += SoundPlayer::decode(name, &format).size();
        }
    });
    std::printf("  %lld sounds decoded: %.1f MiB of PCM\n", qlonglong(names.size()), bytes / 1048576.0);
}

// Each window made alone, in the program's order, then destroyed again.
void reportEachWindow()
{
    static SystemDesktop desktop;
    static DialogPrompts prompts;
    static LazySound sound;
    std::vector<std::unique_ptr<QObject>> made;
    auto make = [&made](const char* what, const std::function<QObject*()>& construct) {
        timed(what, [&] { made.emplace_back(construct()); });
    };
    make("window 1: main window (board, chat, menus)",
         [] { return new MainWindow(Clock::system(), {desktop, prompts, sound}); });
    make("window 2: tally (the tally and its window)", [] {
        static Tally tally(QDir::temp().filePath("bench-startup.tld"));
        return new TallyWindow(tally, prompts);
    });
    make("window 3: about", [] { return new AboutDialog(desktop); });
    make("window 4: game start", [] { return new GameOptionsDialog; });
    make("window 5: help", [] { return new HelpWindow; });
    make("window 6: phrases", [] { return new PhraseEditor; });
    make("window 7: server (with the word lists)", [] { return new HostedServer; });
    make("window 8: spy list", [] { return new SpyListWindow; });
    make("window 9: download", [] { return new LobbyDownloadWindow(desktop, prompts); });
    while (!made.empty())
        made.pop_back();
}

bool waitExposed(QWidget* window)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < kShowTimeoutMs) {
        if (window->windowHandle() && window->windowHandle()->isExposed())
            return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return false;
}

void settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

void reportFirstWindow(const char* what, QWidget* window, const std::function<void()>& click)
{
    if (!window)
        return;
    window->hide();
    settle(50);
    QElapsedTimer timer;
    timer.start();
    click();
    const bool shown = waitExposed(window);
    std::printf("  %-46s %8.1f ms%s\n", what, timer.nsecsElapsed() / 1e6, shown ? "" : " (never shown)");
    window->hide();
}

void reportFirstSound(const char* name)
{
    SoundPlayer player;
    QElapsedTimer timer;
    timer.start();
    player.play(QString::fromLatin1(name));
    while (!player.isPlaying() && player.currentSound().size() && timer.elapsed() < kShowTimeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    std::printf("  sound %-40s %8.1f ms%s\n", name, timer.nsecsElapsed() / 1e6,
                player.isPlaying() ? "" : " (no audio output: nothing played)");
    player.stop();
}

} // namespace

int main(int argc, char** argv)
{
    QElapsedTimer total;
    total.start();
    std::printf("start-up parts (first use in this process):\n");
    std::unique_ptr<QApplication> app;
    timed("application object (display connection)", [&] { app = std::make_unique<QApplication>(argc, argv); });
    const bool parts = !app->arguments().contains("--windows-only");
    if (parts) {
        std::printf("  the very first sound (output looked up and opened, sound decoded):\n");
        reportFirstSound("ENTERED");
        timed("font database", [] { QFontDatabase::families(); });
        reportArt();
        timed("word lists", [] { WordLists lists; });
        reportSounds();
    }
    if (parts)
        reportEachWindow();
    std::unique_ptr<GameWindows> windows;
    timed("the nine windows", [&] { windows = std::make_unique<GameWindows>(); });
    timed("main window shown and exposed", [&] {
        windows->chat->show();
        waitExposed(windows->chat.get());
    });
    std::printf("  %-46s %8.1f ms\n", "total so far", total.nsecsElapsed() / 1e6);
    settle(kSettleMs);

    std::printf("first use:\n");
    MainWindow* chat = windows->chat.get();
    reportFirstWindow("game start window, from START GAME", windows->gamestart.get(), [&] { chat->showGameStart(); });
    reportFirstWindow("tally window, from its menu entry", windows->tallyWindow.get(),
                      [&] { chat->menus().viewTally->trigger(); });
    reportFirstWindow("spy list, from its menu entry", windows->spylist.get(),
                      [&] { chat->menus().spyList->trigger(); });
    reportFirstWindow("phrase list, from its menu entry", windows->phrases.get(),
                      [&] { chat->menus().phraseList->trigger(); });
    reportFirstWindow("help window", windows->help.get(), [&] { windows->help->show(); });
    reportFirstWindow("about window", windows->about.get(), [&] { windows->about->show(); });
    for (const char* sound : {"TURN", "GAMEOVER", "WAVE13"})
        reportFirstSound(sound);
    return 0;
}
