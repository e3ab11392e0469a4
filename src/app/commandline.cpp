#include "app/commandline.h"

#include <QFileInfo>

namespace {

const QString kWordsOption = QStringLiteral("--words");
constexpr qsizetype kLauncherArgumentCount = 3;

// Whether "--words" at the front of these arguments is the option: followed by its
// folder and then nothing or the launcher's arguments. Otherwise it is the start of
// the launcher's arguments, a player called "--words". Alone it is a forgotten folder.
bool isWordsOption(const QStringList& arguments, qsizetype at)
{
    if (arguments[at] != kWordsOption)
        return false;
    const qsizetype afterFolder = arguments.size() - at - 2;
    return afterFolder < 1 || afterFolder >= kLauncherArgumentCount;
}

} // namespace

GameCommandLine parseGameCommandLine(const QStringList& arguments)
{
    GameCommandLine parsed;
    qsizetype next = 0;
    for (; next < arguments.size() && isWordsOption(arguments, next); next += 2) {
        if (next + 1 == arguments.size()) {
            parsed.error = QStringLiteral("hangman: --words needs a folder: hangman --words FOLDER [NAME ADDRESS true|false]");
            return parsed;
        }
        const QFileInfo folder(arguments[next + 1]);
        if (!folder.isDir()) {
            parsed.error = QStringLiteral("hangman: word folder \"%1\" not found").arg(arguments[next + 1]);
            return parsed;
        }
        parsed.wordFolder = folder.absoluteFilePath();
    }
    parsed.gameArguments = arguments.mid(next);
    return parsed;
}
