#include "app/infooptions.h"

#include "net/gamerules.h"

namespace {

const char* const usage =
    "Usage: hangman [--words FOLDER] [NAME ADDRESS true|false]\n"
    "A hangman word game for up to six players and three spies.\n"
    "\n"
    "  hangman                      play a solo game against the computer\n"
    "  hangman NAME ADDRESS true    host a game under the name NAME\n"
    "  hangman NAME ADDRESS false   join the game hosted at ADDRESS as NAME\n"
    "  hangman --words FOLDER ...   play with the word lists in FOLDER (general.txt,\n"
    "                               holiday.txt, food.txt, entertainment.txt, phrases.txt)\n"
    "  hangman --help               show this help and exit\n"
    "  hangman --version            show the version and exit\n"
    "\n"
    "A host needs incoming TCP connections allowed on port 7772.\n"
    "The Vorlix Lobby (vorlix-lobby) starts multi-player games without a command line.\n";

} // namespace

bool handleInfoOptions(const QStringList& args, QTextStream& out)
{
    if (args.size() != 2)
        return false;
    const QString& option = args[1];
    if (option == "--version") {
        out << kVersion << kBuild << "\n";
    } else if (option == "--help" || option == "-h") {
        out << usage;
    } else {
        return false;
    }
    out.flush();
    return true;
}
