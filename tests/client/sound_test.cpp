#include "client/lazysound.h"
#include "client/sound/soundplayer.h"

#include <QCoreApplication>
#include <QFile>
#include <QMediaDevices>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <gtest/gtest.h>
#include <cmath>

namespace {

struct WaveHeader {
    int formatTag = 0;
    int channels = 0;
    int sampleRate = 0;
    qint64 frames = -1; // from the data size for PCM, from the "fact" chunk otherwise
};

// The game's sound files keep "fmt " as their first chunk and no chunk besides "fact" and "data".
WaveHeader readWaveHeader(const QByteArray& bytes)
{
    auto number = [&bytes](qsizetype at) { return qFromLittleEndian<quint32>(bytes.constData() + at); };
    WaveHeader header;
    header.formatTag = number(20) & 0xFFFF;
    header.channels = number(22) & 0xFFFF;
    header.sampleRate = int(number(24));
    const int blockAlign = number(32) & 0xFFFF;
    const qsizetype data = bytes.indexOf("data", 36);
    const qsizetype fact = bytes.indexOf("fact", 36);
    if (header.formatTag == 1 && data > 0)
        header.frames = number(data + 4) / blockAlign;
    else if (fact > 0 && fact < data)
        header.frames = number(fact + 8);
    return header;
}

QByteArray resourceBytes(const QString& name)
{
    QFile file(":/sounds/" + name + ".wav");
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Level {
    double peak = 0;
    double rms = 0;
};

Level measure(const QByteArray& pcm)
{
    const auto* samples = reinterpret_cast<const qint16*>(pcm.constData());
    const qsizetype count = pcm.size() / 2;
    Level level;
    double sum = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const double value = samples[i] / 32768.0;
        level.peak = std::max(level.peak, std::abs(value));
        sum += value * value;
    }
    level.rms = count ? std::sqrt(sum / double(count)) : 0;
    return level;
}

const QStringList mp3Sounds{"WAVE6", "WAVE15", "WAVE16", "WAVE17", "WAVE20"};

QStringList expectedSounds()
{
    QStringList names{"ENTERED", "INVALID", "TURN", "TURNNEW", "INWORD", "PUZZLECOMPLETE",
                      "NOTINWORD", "LOSE", "GAMEOVER", "TICK"};
    for (int i = 1; i <= 20; ++i)
        names.append(QStringLiteral("WAVE%1").arg(i));
    return names;
}

} // namespace

TEST(SoundResources, EveryBuiltInSoundDecodesToPcmOfItsLength)
{
    QStringList present = SoundPlayer::builtInSounds();
    QStringList expected = expectedSounds();
    present.sort();
    expected.sort();
    ASSERT_EQ(present, expected);

    for (const QString& name : expected) {
        SCOPED_TRACE(name.toStdString());
        const WaveHeader header = readWaveHeader(resourceBytes(name));
        QAudioFormat format;
        const QByteArray pcm = SoundPlayer::decode(name, &format);

        EXPECT_EQ(header.formatTag, mp3Sounds.contains(name) ? 0x55 : 1);
        EXPECT_EQ(format.sampleFormat(), QAudioFormat::Int16);
        EXPECT_EQ(format.channelCount(), header.channels);
        EXPECT_EQ(format.sampleRate(), header.sampleRate);
        EXPECT_GE(header.sampleRate, 8000);
        EXPECT_LE(header.sampleRate, 44100);
        const qint64 frames = pcm.size() / format.bytesPerFrame();
        ASSERT_GT(header.frames, 0);
        if (header.formatTag == 1)
            EXPECT_EQ(frames, header.frames);
        else
            EXPECT_NEAR(double(frames), double(header.frames), 2 * 1152.0) << "beyond the coder's delay and padding";
        EXPECT_LT(format.durationForBytes(pcm.size()), 5'000'000);

        const Level level = measure(pcm);
        EXPECT_GT(level.peak, 0.2) << "too quiet";
        EXPECT_LT(level.peak, 0.99) << "clipped";
        EXPECT_GT(level.rms, 0.01);
    }
}

TEST(SoundResources, NamesMatchWithoutRegardToCase)
{
    QAudioFormat upper;
    QAudioFormat lower;
    EXPECT_EQ(SoundPlayer::decode("wave7", &lower), SoundPlayer::decode("WAVE7", &upper));
    EXPECT_EQ(lower, upper);
    EXPECT_FALSE(SoundPlayer::decode("Tick", &lower).isEmpty());
    EXPECT_FALSE(SoundPlayer::decode("entered", &lower).isEmpty());
    for (const char* unknown : {"", "wave21", "wave0", "../sounds/WAVE1", ":/sounds/WAVE1.wav", "WAVE1.wav", "entered ",
                                "\u0131nword" /* a dotless i, upper case "INWORD" */})
        EXPECT_TRUE(SoundPlayer::decode(unknown, &lower).isEmpty()) << unknown;
}

TEST(SoundPlayer, WithoutAnOutputPlaysNothingQuietly)
{
    SoundPlayer player;
    player.setOutputDevice(QAudioDevice());
    for (const QString& name : {"entered", "wave6", "tick", "nosuchsound"}) {
        player.play(name);
        EXPECT_FALSE(player.isPlaying());
        EXPECT_EQ(player.currentSound(), "");
    }
    player.stop();
}

TEST(LazySound, LoadsTheModuleAtTheFirstSoundAndStaysSilentWithoutIt)
{
    LazySound missing({QStringLiteral("/no/such/folder")});
    missing.play("entered");
    EXPECT_FALSE(missing.isLoaded());
    EXPECT_FALSE(missing.isPlaying());
    EXPECT_EQ(missing.currentSound(), "");
    missing.stop();

    LazySound sound;
    EXPECT_FALSE(sound.isLoaded()) << "nothing is loaded before the first sound";
    sound.stop();
    EXPECT_FALSE(sound.isLoaded()) << "stopping is no reason to load";
    sound.play("nosuchsound");
    EXPECT_TRUE(sound.isLoaded()) << "the module beside the program or in the build folder";
    EXPECT_FALSE(sound.isPlaying());
}

// Runs in a child process whose environment points at a private null sink (see below).
TEST(SoundPlayerOnNullSink, NewRequestCutsOffTheSoundStillPlaying)
{
    if (!qEnvironmentVariableIsSet("HANGMAN_NULL_SINK"))
        GTEST_SKIP() << "runs only on the private null sink";
    ASSERT_FALSE(QMediaDevices::defaultAudioOutput().isNull());
    SoundPlayer player;
    for (int i = 0; i < 5; ++i)
        player.play("entered");
    player.play("wave13");
    EXPECT_TRUE(player.isPlaying());
    EXPECT_EQ(player.currentSound(), "WAVE13");

    player.play("Wave6");
    EXPECT_EQ(player.currentSound(), "WAVE6");
    EXPECT_TRUE(QTest::qWaitFor([&] { return player.isPlaying(); }, 2000));
    QTest::qWait(300);
    EXPECT_EQ(player.currentSound(), "WAVE6") << "a longer sound still plays";

    player.play("tick");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !player.isPlaying(); }, 3000)) << "a finished sound is let go";
    EXPECT_EQ(player.currentSound(), "");

    player.play("wave21");
    EXPECT_FALSE(player.isPlaying());
}

TEST(SoundPlayer, PlaysOnAPrivateNullSink)
{
    const QString pulseaudio = QStandardPaths::findExecutable("pulseaudio");
    if (pulseaudio.isEmpty())
        GTEST_SKIP() << "pulseaudio is not installed";
    QTemporaryDir runtime;
    const QString socket = runtime.filePath("native");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", runtime.path());
    environment.insert("HOME", runtime.path());

    QProcess server;
    server.setProcessEnvironment(environment);
    server.start(pulseaudio, {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                              "-L", "module-null-sink",
                              "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + socket});
    ASSERT_TRUE(server.waitForStarted());
    const bool listening = QTest::qWaitFor([&] { return QFile::exists(socket); }, 10000);

    QProcess child;
    environment.insert("PULSE_SERVER", "unix:" + socket);
    environment.insert("HANGMAN_NULL_SINK", "1");
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    if (listening) {
        child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=SoundPlayerOnNullSink.*"});
        child.waitForFinished(60000);
    }
    server.kill();
    server.waitForFinished();

    ASSERT_TRUE(listening) << "the null sink did not come up";
    const QByteArray output = child.readAll();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}
