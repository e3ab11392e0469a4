#pragma once
// The game's sound output, loaded when the first sound is asked for: the sound
// player lives in the module "hangman-sound" with Qt Multimedia, PulseAudio and
// libsndfile, which a start-up then need not load. Where the module cannot be
// loaded the game stays silent and says why once on standard error.

#include "client/soundoutput.h"

#include <QLibrary>
#include <QStringList>

#include <memory>

class LazySound : public SoundOutput {
public:
    // Looks for the module in the given folders, in order (by default moduleFolders()).
    explicit LazySound(QStringList folders = moduleFolders());
    ~LazySound() override;

    void play(const QString& name) override;
    void stop() override;
    bool isPlaying() const override;
    QString currentSound() const override;

    // True once the module is loaded and its sound player made.
    bool isLoaded() const { return m_output != nullptr; }

    // Beside the program, then ../lib/games/hangman from it (as installed), then the folder it was built in.
    static QStringList moduleFolders();

private:
    void load();

    QStringList m_folders;
    bool m_tried = false;
    QLibrary m_module;
    std::unique_ptr<SoundOutput> m_output;
};
