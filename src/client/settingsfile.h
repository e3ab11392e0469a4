#pragma once
// The game's own section "hangman" of the settings file "vorlixlobby.ini":
// which keys exist, their defaults, and the order they are read and written in.

#include "inifile.h"

#include <QString>
#include <array>
#include <optional>

// The values kept in the settings file. An empty optional, when read, means the
// file held an unusable value and the control it feeds keeps what it shows.
struct HangmanSettings {
    int textSize = 8;
    int top = 3;
    int left = 3;
    int width = 712;
    int height = 524;
    quint32 textColor = 0; // 0x00BBGGRR
    std::optional<int> playToScore = 100;
    std::optional<int> timePerTurn = 20;
    std::optional<bool> chooseCategory = false;
    int botSpeed = 1500; // 2000 Slow, 1500 Normal, 1000 Fast
    std::array<QString, 9> phrases; // an empty phrase leaves its button as it is
    bool playSounds = true;
    int turnSound = 0; // 0 Classic, 1 New
    bool chatterSounds = true;
    QString wordFolder; // the host's own word lists; empty for the built-in words
    bool openPortOnRouter = true; // ask the router to forward the game port while hosting
    bool askBeforeJoining = false; // the host lets each newcomer in or turns him away
};

// The section name of the game in the settings file.
inline const QString hangmanSection = QStringLiteral("hangman");

// The settings file inside the given data folder.
QString settingsFilePath(const QString& folder);
// Reads every key of the section in order; missing or unusable values follow the key's rules.
HangmanSettings readHangmanSettings(const IniFile& file);
// Writes the section's keys in order (not the phrases); a failed "Textcolor" is passed over,
// any other failure throws IniWriteError and the later keys are not written.
// An empty optional is written as that key's default.
void writeHangmanSettings(IniFile& file, const HangmanSettings& values);
// Writes "Wordfolder" (empty for the built-in words); throws IniWriteError on failure.
void writeHangmanWordFolder(IniFile& file, const QString& folder);
// Writes "Phrase1".."Phrase9"; throws IniWriteError on failure.
void writeHangmanPhrases(IniFile& file, const std::array<QString, 9>& phrases);
