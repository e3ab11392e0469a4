#pragma once
// The options of the command line that change how a game is played. They stand
// in front of the launcher's three arguments (player name, server address, host
// switch), which are taken as they are, even a name that looks like an option:
// "hangman --words FOLDER NAME ADDRESS true|false", or "hangman --words FOLDER"
// for a solo game.

#include <QString>
#include <QStringList>
#include <optional>

struct GameCommandLine {
    QStringList gameArguments;         // what is left: NAME ADDRESS true|false, or nothing
    std::optional<QString> wordFolder; // from "--words FOLDER"
    QString error;                     // for standard error; the program then exits with status 2
};

constexpr int kCommandLineErrorStatus = 2;

// Reads "--words FOLDER" from the front of the arguments (without the program name); the folder must exist.
GameCommandLine parseGameCommandLine(const QStringList& arguments);
