#include "windows/helppages.h"

namespace {

const char* const overview =
    "Overview\n"
    "\n"
    "Hangman is a word game that as survived the test of time. Too bad the man \n"
    "doesn't!\n"
    "\n"
    "Up to six players take seats around the board and take turns guessing the letters of a "
    "hidden word or phrase. Up to three more people can join as spies: they watch the game and "
    "chat, but do not play. Computer players fill empty seats in a solo game and in a team game.\n";

const char* const connecting =
    "Connecting\n"
    "\n"
    "Solo game\n"
    "Start HangMan without anything after its name (the HangMan entry of your desktop menu, or "
    "\"hangman\" in a terminal). You play as \"You\" against the computer players. Press the "
    "START GAME button, pick the options and the game begins. A solo game runs on your own "
    "computer and can be played offline.\n"
    "\n"
    "Multi-player games\n"
    "The easiest way in is The Vorlix Lobby (see \"The Lobby\"): type your name and the host's "
    "address, tick whether you host, and press Play. From a terminal the same works with:\n"
    "\n"
    "    hangman NAME ADDRESS true\n"
    "        hosts a game under the name NAME\n"
    "    hangman NAME ADDRESS false\n"
    "        joins the game hosted at ADDRESS as NAME\n"
    "\n"
    "The host presses START GAME when everybody has arrived. Players who arrive later join "
    "the running game; when all six seats are taken, newcomers watch as spies.\n"
    "\n"
    "Firewall\n"
    "The host's computer must accept incoming TCP connections on port 7772: allow HangMan (or "
    "that port) in the firewall, and forward the port on the router when playing over the "
    "internet. Players who join need no open ports.\n"
    "\n"
    "When the host leaves\n"
    "The game runs inside the host's copy of HangMan. If the host closes the game, the game ends "
    "for everybody.\n";

const char* const gamePlay =
    "Game Play\n"
    "\n"
    "Players take turns choosing a letter. If the letter is in the word or phrase, it is "
    "uncovered everywhere it appears, the player earns points and keeps the turn. If it is not, "
    "another part of the man is hung up and the turn passes to the next player. Each turn has a "
    "time limit: when the clock runs out, the turn passes on.\n"
    "\n"
    "After seven misses the man is fully hung: the round ends and a new word or phrase is posted. "
    "A round also ends when the word or phrase is complete.\n"
    "\n"
    "The first player to reach the play to score will win the game.\n"
    "\n"
    "In a team game the Yellow Team (seats 1, 3 and 5) plays against the Gray Team (seats 2, 4 "
    "and 6), and team-mates share one score.\n"
    "\n"
    "Categories\n"
    "General Words - everyday words from all walks of life.\n"
    "Food Related - dishes, drinks, fruit, vegetables and the kitchen.\n"
    "Holiday Related - feasts, seasons, travel and celebrations.\n"
    "Entertainment Related - movies, music, television, games and sports.\n"
    "Phrases - sayings and expressions, spaces and all.\n";

const char* const scoring =
    "Scoring\n"
    "\n"
    "Players get 1 point for each time the letter they guessed is found in the word \n"
    "or the phrase.\n"
    "\n"
    "The player that completes the word or phrase gets a 10 point bonus.\n";

const char* const history =
    "History\n"
    "\n"
    "Mar 2, 2010 - Version 1.0.6.6\n"
    "  - Smilies added to the chat.\n"
    "\n"
    "Jan 11, 2010 - Version 1.0.6.5\n"
    "  - The chatter sounds can be switched off on their own.\n"
    "  - Links typed in the chat can be clicked.\n"
    "\n"
    "Nov 23, 2009 - Version 1.0.6.0\n"
    "  - New turn sound; the classic one can still be chosen.\n"
    "  - Phrase buttons for the lines you type most.\n"
    "\n"
    "Aug 14, 2009 - Version 1.0.5.2\n"
    "  - The host can let the player in turn choose the category.\n"
    "  - Fixed the turn clock running on after a player left.\n"
    "\n"
    "May 5, 2009 - Version 1.0.5.0\n"
    "  - Team games: the Yellow Team against the Gray Team.\n"
    "  - Computer player speed: Slow, Normal or Fast.\n"
    "\n"
    "Feb 20, 2009 - Version 1.0.4.0\n"
    "  - The tally keeps your games against the people you play with.\n"
    "\n"
    "Dec 1, 2008 - Version 1.0.3.0\n"
    "  - Spies: up to three more people can watch a game and chat.\n"
    "  - The host can remove a player or set a player to just watch.\n"
    "\n"
    "Sep 30, 2008 - Version 1.0.2.0\n"
    "  - Holiday, food and entertainment words and a list of phrases.\n"
    "\n"
    "Jul 22, 2008 - Version 1.0.1.0\n"
    "  - Computer players for solo games.\n"
    "  - Chat text size and colour.\n"
    "\n"
    "Jun 9, 2008 - Version 1.0.0.0\n"
    "  - First release.\n";

const char* const license =
    "License\n"
    "\n"
    "HangMan\n"
    "Copyright (c) 2008-2010 Vorlix Games\n"
    "\n"
    "Permission is hereby granted, free of charge, to any person obtaining a copy of this "
    "software and associated documentation files (the \"Software\"), to deal in the Software "
    "without restriction, including without limitation the rights to use, copy, modify, merge, "
    "publish, distribute, sublicense, and/or sell copies of the Software, and to permit persons "
    "to whom the Software is furnished to do so, subject to the following conditions:\n"
    "\n"
    "The above copyright notice and this permission notice shall be included in all copies or "
    "substantial portions of the Software.\n"
    "\n"
    "THE SOFTWARE IS PROVIDED \"AS IS\", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR IMPLIED, "
    "INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY, FITNESS FOR A PARTICULAR "
    "PURPOSE AND NONINFRINGEMENT. IN NO EVENT SHALL THE AUTHORS OR COPYRIGHT HOLDERS BE LIABLE "
    "FOR ANY CLAIM, DAMAGES OR OTHER LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR "
    "OTHERWISE, ARISING FROM, OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER "
    "DEALINGS IN THE SOFTWARE.\n";

const char* const lobby =
    "The Lobby\n"
    "\n"
    "The Vorlix Lobby (the program vorlix-lobby, installed beside HangMan) starts multi-player "
    "games for you, so nobody has to type a command line.\n"
    "\n"
    "Open it from your desktop menu, type the name the other players will see and the address "
    "of the computer that hosts the game, and tick \"Host this game\" if that computer is "
    "yours. Press Play and the lobby starts HangMan for you. It remembers what you typed for "
    "the next time.\n"
    "\n"
    "To host, tell your friends your computer's address (and make sure port 7772 is open, see "
    "\"Connecting\"); to join, ask the host for theirs.\n"
    "\n"
    "If you started HangMan on its own, the button \"Play with Others\" of the download window "
    "closes the solo game and opens the lobby.\n";

} // namespace

QString helpPageText(int topic)
{
    switch (topic) {
    case 1: return overview;
    case 2: return connecting;
    case 3: return gamePlay;
    case 4: return scoring;
    case 5: return history;
    case 6: return license;
    case 11: return lobby;
    }
    return {};
}
