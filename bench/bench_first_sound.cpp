// The game's first sound as a player meets it: the sound module loaded (with Qt
// Multimedia, PulseAudio and libsndfile), the audio output looked up and opened,
// the sound decoded and playing; then later sounds, each from the call to playing.
// Like the game, this program links no sound library of its own.
//
//     PULSE_SERVER=unix:/PATH/native build-perf/bench/bench_first_sound
//
// Without a sound server the module still loads and the figures say nothing played.
#include "client/lazysound.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

namespace {

constexpr int kTimeoutMs = 3000;

void timeSound(LazySound& sound, const char* name, const char* what)
{
    QElapsedTimer timer;
    timer.start();
    sound.play(QString::fromLatin1(name));
    while (!sound.isPlaying() && !sound.currentSound().isEmpty() && timer.elapsed() < kTimeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    std::printf("  %-14s %-28s %8.1f ms%s\n", name, what, timer.nsecsElapsed() / 1e6,
                sound.isPlaying() ? "" : " (nothing played: no audio output)");
}

void settle(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    LazySound sound;
    std::printf("sounds, from the call to playing:\n");
    timeSound(sound, "ENTERED", "(the first: module loaded)");
    if (!sound.isLoaded())
        return 1;
    for (const char* name : {"TURN", "INWORD", "WAVE13", "GAMEOVER"}) {
        settle(300);
        timeSound(sound, name, "");
    }
    return 0;
}
