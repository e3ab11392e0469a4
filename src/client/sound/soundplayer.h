#pragma once
// Plays the game's built-in sounds (resources ":/sounds/NAME.wav", PCM or MPEG
// Layer-3 inside WAVE) one at a time on the default audio output, without waiting.
// A sound is decoded when it starts and its samples are freed when it ends; the
// audio output is looked up at the first sound. The game loads it as a module at
// its first sound (see LazySound), so Qt Multimedia, PulseAudio and libsndfile are
// not loaded at start-up.

#include "client/soundoutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <optional>

class QAudioSink;

class SoundPlayer : public QObject, public SoundOutput {
    Q_OBJECT
public:
    explicit SoundPlayer(QObject* parent = nullptr);
    ~SoundPlayer() override;

    void play(const QString& name) override;
    void stop() override;
    bool isPlaying() const override;
    QString currentSound() const override;
    // Plays on the given output instead of the system's default one; a null device means no output at all.
    void setOutputDevice(const QAudioDevice& device);

    // The names of all built-in sounds, upper case.
    static QStringList builtInSounds();
    // Decodes a built-in sound to interleaved 16-bit PCM and stores its format; empty for an unknown name.
    static QByteArray decode(const QString& name, QAudioFormat* format);

private:
    QAudioDevice outputDevice() const;
    void releaseSink();
    void onSinkStateChanged();

    QPointer<QAudioSink> m_sink;
    QString m_current;
    std::optional<QAudioDevice> m_device;
};
