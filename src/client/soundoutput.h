#pragma once
// What the game asks of its sound output: one of the built-in sounds at a time.

#include <QString>

class SoundOutput {
public:
    virtual ~SoundOutput() = default;

    // Starts the named sound (any letter case), cutting off the one still playing; an unknown name or no audio output plays nothing.
    virtual void play(const QString& name) = 0;
    // Cuts off the sound still playing.
    virtual void stop() = 0;
    // True while a sound is being played.
    virtual bool isPlaying() const = 0;
    // The upper-case name of the sound being played, empty when none is.
    virtual QString currentSound() const = 0;
};

// The name of the function the sound module exports: SoundOutput* (*)(), the caller owns the result.
inline constexpr char kCreateSoundOutput[] = "hangmanCreateSoundOutput";
