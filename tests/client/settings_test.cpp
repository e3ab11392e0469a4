#include "client/settingsfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class SettingsFile : public ::testing::Test {
protected:
    QString path() const { return settingsFilePath(dir.path()); }

    void setFile(const QByteArray& data)
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
    }

    QByteArray fileContents() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    HangmanSettings readSection(const QByteArray& section)
    {
        setFile("[hangman]\n" + section);
        return readHangmanSettings(IniFile(path()));
    }

    QTemporaryDir dir;
};

// Records the keys written and fails on one of them.
class FailingIniFile : public IniFile {
public:
    FailingIniFile(const QString& path, QString failingKey)
        : IniFile(path)
        , failingKey(std::move(failingKey))
    {
    }

    void writeString(const QString& section, const QString& key, const QString& value) override
    {
        written.append(key);
        if (key == failingKey)
            throw IniWriteError(path());
        IniFile::writeString(section, key, value);
    }

    QString failingKey;
    QStringList written;
};

const QStringList writeOrder{"Textsize", "Top", "Left", "Width", "Height", "Textcolor", "Playtoscore",
                             "Timeperturn", "Choosecat", "Botspeed", "Playsounds", "Turnsound", "ChatterSounds",
                             "OpenPortOnRouter", "AskBeforeJoining"};

} // namespace

TEST_F(SettingsFile, EmptyFileGivesTheDefaults)
{
    setFile("");
    const HangmanSettings values = readHangmanSettings(IniFile(path()));
    EXPECT_TRUE(path().endsWith("/vorlixlobby.ini"));
    EXPECT_EQ(values.textSize, 8);
    EXPECT_EQ(QList<int>({values.left, values.top, values.width, values.height}), QList<int>({3, 3, 712, 524}));
    EXPECT_EQ(values.textColor, 0u);
    EXPECT_EQ(values.playToScore, 100);
    EXPECT_EQ(values.timePerTurn, 20);
    EXPECT_EQ(values.chooseCategory, false);
    EXPECT_EQ(values.botSpeed, 1500);
    EXPECT_EQ(values.phrases, (std::array<QString, 9>{}));
    EXPECT_TRUE(values.playSounds);
    EXPECT_EQ(values.turnSound, 0);
    EXPECT_TRUE(values.chatterSounds);
    EXPECT_TRUE(values.openPortOnRouter);
    EXPECT_FALSE(values.askBeforeJoining);
    EXPECT_EQ(fileContents(), QByteArray()) << "reading never writes";
}

TEST_F(SettingsFile, ValuesFollowTheKeysRules)
{
    HangmanSettings values = readSection("Textsize=11\nBotspeed=1500\nPlaysounds=False\nTextcolor=clRed\n"
                                         "Turnsound=1\nChatterSounds=false\nChoosecat=1\nPhrase3=Hi there\n"
                                         "OpenPortOnRouter=false\nAskBeforeJoining=true\n");
    EXPECT_EQ(values.textSize, 11);
    EXPECT_EQ(values.botSpeed, 1500);
    EXPECT_TRUE(values.playSounds);
    EXPECT_EQ(values.textColor, 0x0000FFu);
    EXPECT_EQ(values.turnSound, 1);
    EXPECT_FALSE(values.chatterSounds);
    EXPECT_FALSE(values.openPortOnRouter);
    EXPECT_TRUE(values.askBeforeJoining);
    EXPECT_EQ(values.chooseCategory, true);
    EXPECT_EQ(values.phrases[2], "Hi there");

    values = readSection("Botspeed=x\nPlaysounds=false\nTurnsound=true\nTextcolor=nocolour\nTextsize=big\nTop=\n"
                         "Left=-20\nWidth=wide\nPlaytoscore=\nTimeperturn=abc\nChoosecat=yes\n");
    EXPECT_EQ(values.botSpeed, 1500);
    EXPECT_FALSE(values.playSounds);
    EXPECT_EQ(values.turnSound, 0);
    EXPECT_EQ(values.textColor, 0u);
    EXPECT_EQ(values.textSize, 8);
    EXPECT_EQ(QList<int>({values.left, values.top, values.width}), QList<int>({-20, 3, 712}));
    EXPECT_FALSE(values.playToScore.has_value()) << "leaves the control as it was";
    EXPECT_FALSE(values.timePerTurn.has_value());
    EXPECT_FALSE(values.chooseCategory.has_value());

    EXPECT_EQ(readSection("Botspeed=2000\n").botSpeed, 2000);
    EXPECT_EQ(readSection("Botspeed=1000\n").botSpeed, 1000);
    EXPECT_EQ(readSection("Textsize=100000\n").textSize, 8);
}

TEST_F(SettingsFile, WritesTheWholeSectionInOrderBesideOtherSections)
{
    setFile("[Lobby]\r\nServer = lobby \r\n\r\n[hangman]\r\nPhrase1=Hello all\r\nTop=9\r\n\r\n[Other]\r\nTop=1\r\n");
    HangmanSettings values;
    values.textSize = 12;
    values.top = 40;
    values.textColor = 0x123456;
    values.timePerTurn = std::nullopt;
    values.chooseCategory = true;
    values.botSpeed = 2000;
    values.playSounds = false;
    values.turnSound = 1;
    IniFile ini(path());
    writeHangmanSettings(ini, values);

    EXPECT_EQ(fileContents(),
              QByteArray("[Lobby]\r\nServer = lobby \r\n\r\n[hangman]\r\nPhrase1=Hello all\r\nTop=40\r\n"
                         "Textsize=12\r\nLeft=3\r\nWidth=712\r\nHeight=524\r\nTextcolor=$00123456\r\n"
                         "Playtoscore=100\r\nTimeperturn=20\r\nChoosecat=1\r\nBotspeed=2000\r\n"
                         "Playsounds=false\r\nTurnsound=1\r\nChatterSounds=true\r\nOpenPortOnRouter=true\r\n"
                         "AskBeforeJoining=false\r\n\r\n[Other]\r\nTop=1\r\n"));
    EXPECT_EQ(readHangmanSettings(ini).textColor, 0x123456u);

    std::array<QString, 9> phrases;
    phrases[8] = "Good Game!";
    writeHangmanPhrases(ini, phrases);
    EXPECT_EQ(readHangmanSettings(ini).phrases, phrases);
}

TEST_F(SettingsFile, OnlyTheTextColourFailureIsPassedOver)
{
    FailingIniFile colourFails(path(), "Textcolor");
    EXPECT_NO_THROW(writeHangmanSettings(colourFails, HangmanSettings{}));
    EXPECT_EQ(colourFails.written, writeOrder);
    EXPECT_FALSE(fileContents().contains("Textcolor"));
    EXPECT_TRUE(fileContents().contains("ChatterSounds=true"));

    FailingIniFile widthFails(dir.filePath("second.ini"), "Width");
    EXPECT_THROW(writeHangmanSettings(widthFails, HangmanSettings{}), IniWriteError);
    EXPECT_EQ(widthFails.written, writeOrder.mid(0, 4));
}
