#include "client/sound/soundplayer.h"

#include <QAudioSink>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QMediaDevices>
#include <algorithm>
#include <cstring>
#include <sndfile.h>
#include <vector>

namespace {

constexpr sf_count_t framesPerRead = 4096;
constexpr int longestSoundSeconds = 30;
constexpr qsizetype longestName = 20;

struct MemoryFile {
    const QByteArray* data;
    sf_count_t position;
};

sf_count_t memoryLength(void* file)
{
    return static_cast<MemoryFile*>(file)->data->size();
}

sf_count_t memorySeek(sf_count_t offset, int whence, void* file)
{
    auto* memory = static_cast<MemoryFile*>(file);
    const sf_count_t size = memory->data->size();
    sf_count_t target = offset;
    if (whence == SEEK_CUR)
        target += memory->position;
    else if (whence == SEEK_END)
        target += size;
    if (target < 0 || target > size)
        return -1;
    memory->position = target;
    return target;
}

sf_count_t memoryRead(void* destination, sf_count_t count, void* file)
{
    auto* memory = static_cast<MemoryFile*>(file);
    const sf_count_t available = std::min(count, sf_count_t(memory->data->size()) - memory->position);
    if (available <= 0)
        return 0;
    std::memcpy(destination, memory->data->constData() + memory->position, size_t(available));
    memory->position += available;
    return available;
}

sf_count_t memoryWrite(const void*, sf_count_t, void*)
{
    return 0;
}

sf_count_t memoryTell(void* file)
{
    return static_cast<MemoryFile*>(file)->position;
}

// Letters and digits only, checked by hand: a regular expression here would compile
// the expression engine's machine code at the first sound, half a megabyte kept.
bool isPlainName(const QString& name)
{
    return !name.isEmpty() && name.size() <= longestName
        && std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 128 && c.isLetterOrNumber(); });
}

QString resourcePath(const QString& name)
{
    if (!isPlainName(name))
        return {};
    const QString path = QStringLiteral(":/sounds/%1.wav").arg(name.toUpper());
    return QFile::exists(path) ? path : QString();
}

QByteArray readFrames(SNDFILE* sound, const SF_INFO& info)
{
    const sf_count_t limit = sf_count_t(info.samplerate) * longestSoundSeconds;
    std::vector<short> chunk(size_t(framesPerRead * info.channels));
    QByteArray pcm;
    sf_count_t total = 0;
    sf_count_t got = 0;
    while (total < limit && (got = sf_readf_short(sound, chunk.data(), framesPerRead)) > 0) {
        pcm.append(reinterpret_cast<const char*>(chunk.data()), qsizetype(got * info.channels * sizeof(short)));
        total += got;
    }
    return pcm;
}

} // namespace

SoundPlayer::SoundPlayer(QObject* parent)
    : QObject(parent)
{
}

SoundPlayer::~SoundPlayer()
{
    releaseSink();
}

QStringList SoundPlayer::builtInSounds()
{
    QStringList names;
    for (const QString& file : QDir(QStringLiteral(":/sounds")).entryList({QStringLiteral("*.wav")}, QDir::Files))
        names.append(file.chopped(4).toUpper());
    return names;
}

QByteArray SoundPlayer::decode(const QString& name, QAudioFormat* format)
{
    const QString path = resourcePath(name);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    MemoryFile memory{&bytes, 0};
    SF_VIRTUAL_IO io{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    SF_INFO info{};
    SNDFILE* sound = sf_open_virtual(&io, SFM_READ, &info, &memory);
    if (!sound)
        return {};
    QByteArray pcm;
    if (info.channels >= 1 && info.channels <= 2 && info.samplerate >= 8000 && info.samplerate <= 48000)
        pcm = readFrames(sound, info);
    sf_close(sound);
    if (pcm.isEmpty())
        return {};
    format->setSampleRate(info.samplerate);
    format->setChannelCount(info.channels);
    format->setSampleFormat(QAudioFormat::Int16);
    return pcm;
}

void SoundPlayer::setOutputDevice(const QAudioDevice& device)
{
    m_device = device;
}

QAudioDevice SoundPlayer::outputDevice() const
{
    return m_device ? *m_device : QMediaDevices::defaultAudioOutput();
}

void SoundPlayer::play(const QString& name)
{
    releaseSink();
    const QAudioDevice device = outputDevice();
    if (device.isNull())
        return;
    QAudioFormat format;
    const QByteArray pcm = decode(name, &format);
    if (pcm.isEmpty())
        return;
    auto* sink = new QAudioSink(device, format, this);
    auto* buffer = new QBuffer(sink);
    buffer->setData(pcm);
    buffer->open(QIODevice::ReadOnly);
    m_sink = sink;
    m_current = name.toUpper();
    connect(sink, &QAudioSink::stateChanged, this, [this, sink] {
        if (sink == m_sink)
            onSinkStateChanged();
    });
    sink->start(buffer);
    onSinkStateChanged();
}

void SoundPlayer::onSinkStateChanged()
{
    if (!m_sink)
        return;
    const QAudio::State state = m_sink->state();
    if (m_sink->error() != QAudio::NoError && state != QAudio::ActiveState)
        releaseSink();
    else if (state == QAudio::IdleState || state == QAudio::StoppedState)
        releaseSink();
}

void SoundPlayer::stop()
{
    releaseSink();
}

void SoundPlayer::releaseSink()
{
    m_current.clear();
    QAudioSink* sink = m_sink;
    m_sink = nullptr;
    if (!sink)
        return;
    sink->disconnect(this);
    sink->stop();
    sink->deleteLater();
}

bool SoundPlayer::isPlaying() const
{
    return m_sink && m_sink->state() == QAudio::ActiveState;
}

QString SoundPlayer::currentSound() const
{
    return m_sink ? m_current : QString();
}
