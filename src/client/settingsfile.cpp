#include "settingsfile.h"

#include "colortext.h"

namespace {

constexpr int smallestTextSize = 1;
constexpr int largestTextSize = 72;

std::optional<int> readNumber(const IniFile& file, const QString& key, const QString& fallback)
{
    bool ok = false;
    const int value = file.readString(hangmanSection, key, fallback).toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

int readTextSize(const IniFile& file, int fallback)
{
    const int size = file.readInteger(hangmanSection, QStringLiteral("Textsize"), fallback);
    return (size < smallestTextSize || size > largestTextSize) ? fallback : size;
}

quint32 readTextColor(const IniFile& file)
{
    const QString text = file.readString(hangmanSection, QStringLiteral("Textcolor"), QStringLiteral("clblack"));
    return ColorText::fromText(text).value_or(0);
}

std::optional<bool> readChooseCategory(const IniFile& file)
{
    const auto value = readNumber(file, QStringLiteral("Choosecat"), QStringLiteral("0"));
    if (!value)
        return std::nullopt;
    return *value == 1;
}

int readBotSpeed(const IniFile& file)
{
    const int speed = readNumber(file, QStringLiteral("Botspeed"), QString()).value_or(0);
    return (speed == 2000 || speed == 1000) ? speed : 1500;
}

QString phraseKey(int number)
{
    return QStringLiteral("Phrase%1").arg(number);
}

QString switchText(bool on)
{
    return on ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

QString settingsFilePath(const QString& folder)
{
    return folder + QStringLiteral("/vorlixlobby.ini");
}

HangmanSettings readHangmanSettings(const IniFile& file)
{
    const HangmanSettings defaults;
    HangmanSettings values;
    values.textSize = readTextSize(file, defaults.textSize);
    values.top = file.readInteger(hangmanSection, QStringLiteral("Top"), defaults.top);
    values.left = file.readInteger(hangmanSection, QStringLiteral("Left"), defaults.left);
    values.width = file.readInteger(hangmanSection, QStringLiteral("Width"), defaults.width);
    values.height = file.readInteger(hangmanSection, QStringLiteral("Height"), defaults.height);
    values.textColor = readTextColor(file);
    values.playToScore = readNumber(file, QStringLiteral("Playtoscore"), QStringLiteral("100"));
    values.timePerTurn = readNumber(file, QStringLiteral("Timeperturn"), QStringLiteral("20"));
    values.chooseCategory = readChooseCategory(file);
    values.botSpeed = readBotSpeed(file);
    for (int i = 0; i < 9; ++i)
        values.phrases[size_t(i)] = file.readString(hangmanSection, phraseKey(i + 1), QString());
    values.playSounds = file.readString(hangmanSection, QStringLiteral("Playsounds"), QString()) != QLatin1String("false");
    values.turnSound = file.readString(hangmanSection, QStringLiteral("Turnsound"), QStringLiteral("0")) == QLatin1String("1") ? 1 : 0;
    values.chatterSounds = file.readString(hangmanSection, QStringLiteral("ChatterSounds"), QStringLiteral("true")) != QLatin1String("false");
    values.wordFolder = file.readString(hangmanSection, QStringLiteral("Wordfolder"), QString());
    values.openPortOnRouter = file.readString(hangmanSection, QStringLiteral("OpenPortOnRouter"), QStringLiteral("true")) != QLatin1String("false");
    values.askBeforeJoining = file.readString(hangmanSection, QStringLiteral("AskBeforeJoining"), QStringLiteral("false")) == QLatin1String("true");
    return values;
}

void writeHangmanSettings(IniFile& file, const HangmanSettings& values)
{
    const HangmanSettings defaults;
    auto write = [&file](const char* key, const QString& value) {
        file.writeString(hangmanSection, QLatin1String(key), value);
    };
    write("Textsize", QString::number(values.textSize));
    write("Top", QString::number(values.top));
    write("Left", QString::number(values.left));
    write("Width", QString::number(values.width));
    write("Height", QString::number(values.height));
    try {
        write("Textcolor", ColorText::toText(values.textColor));
    } catch (const IniWriteError&) {
    }
    write("Playtoscore", QString::number(values.playToScore.value_or(*defaults.playToScore)));
    write("Timeperturn", QString::number(values.timePerTurn.value_or(*defaults.timePerTurn)));
    write("Choosecat", values.chooseCategory.value_or(false) ? QStringLiteral("1") : QStringLiteral("0"));
    write("Botspeed", QString::number(values.botSpeed));
    write("Playsounds", switchText(values.playSounds));
    write("Turnsound", values.turnSound == 1 ? QStringLiteral("1") : QStringLiteral("0"));
    write("ChatterSounds", switchText(values.chatterSounds));
    write("OpenPortOnRouter", switchText(values.openPortOnRouter));
    write("AskBeforeJoining", switchText(values.askBeforeJoining));
}

void writeHangmanWordFolder(IniFile& file, const QString& folder)
{
    file.writeString(hangmanSection, QStringLiteral("Wordfolder"), folder);
}

void writeHangmanPhrases(IniFile& file, const std::array<QString, 9>& phrases)
{
    for (int i = 0; i < 9; ++i)
        file.writeString(hangmanSection, phraseKey(i + 1), phrases[size_t(i)]);
}
