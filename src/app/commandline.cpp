#include "app/commandline.h"

#include <QFileInfo>

namespace {
const QString kWordsOption = QStringLiteral("--words");
} // namespace

GameCommandLine parseGameCommandLine(const QStringList& arguments)
{
    GameCommandLine parsed;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] != kWordsOption) {
            parsed.gameArguments << arguments[i];
            continue;
        }
        if (i + 1 == arguments.size()) {
            parsed.error = QStringLiteral("hangman: --words needs a folder: hangman --words FOLDER [NAME ADDRESS true|false]");
            return parsed;
        }
        const QString folder = arguments[++i];
        if (!QFileInfo(folder).isDir()) {
            parsed.error = QStringLiteral("hangman: word folder \"%1\" not found").arg(folder);
            return parsed;
        }
        parsed.wordFolder = QFileInfo(folder).absoluteFilePath();
    }
    return parsed;
}
