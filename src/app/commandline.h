#pragma once
// The options of the command line that change how a game is played, taken out
// before the player name, server address and host switch are read.

#include <QString>
#include <QStringList>
#include <optional>

struct GameCommandLine {
    QStringList gameArguments;         // what is left: NAME ADDRESS true|false, or nothing
    std::optional<QString> wordFolder; // from "--words FOLDER"
    QString error;                     // for standard error; the program then exits with status 2
};

constexpr int kCommandLineErrorStatus = 2;

// Reads "--words FOLDER" out of the arguments (without the program name); the folder must exist.
GameCommandLine parseGameCommandLine(const QStringList& arguments);
