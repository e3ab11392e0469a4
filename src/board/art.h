#pragma once
// Every picture of the game, drawn with QPainter when first asked for and kept
// (taken from the pictures baked into the program when it was built, where there
// are any for the screen's density: see bakedpictures.h).
// Sizes are in logical pixels; each picture is rendered at the density of the
// sharpest screen (its devicePixelRatio), so it is kept no larger than it is drawn
// and stays sharp on high-DPI screens. A number outside a picture's range gives a
// wholly transparent picture of that size.

#include <QPixmap>
#include <QString>

class QPainter;

namespace Art {

int density();                        // device pixels per logical pixel: the screens' highest ratio, at least 1
void substituteMissingFaces();        // the pictures' faces, mapped to free metric-compatible ones where missing

QPixmap backgroundTexture();          // 274 x 234, tiled behind every window
QPixmap letterTile(int n);            // 38 x 38: 0 a blank tile, 1..26 the letters A..Z
QPixmap litLetterTile(int n);         // 38 x 38: letter 1..26 lit under the mouse
QPixmap usedLetterBoard();            // 241 x 199: the 26 letters greyed, in the tile grid
QPixmap hangStage(int misses);        // 164 x 140: the figure for 0..6 misses
QPixmap hangedStrip();                // 1312 x 140: 8 frames of the hanged figure side by side
QPixmap categoryBanner(int category); // 250 x 30: "General Words" .. "Phrases"
QPixmap categoryGlyph(int category);  // 250 x 30: the category name for the choice buttons
QString categoryName(int category);   // the name those pictures show; empty outside 0..4
QPixmap teamArt();                    // 429 x 123: "TEAM GAME" with the yellow and gray team boxes
QPixmap thePlayersHeading();          // 207 x 31: "THE PLAYERS"
QPixmap turnPointer();                // 32 x 27: a hand pointing right
QPixmap eyes();                       // 37 x 17: a pair of eyes
QPixmap timerBar();                   // 185 x 25: yellow stripes
QPixmap timerFrame();                 // 191 x 31: the frame around the timer bar
QPixmap startGameButton(bool pressed);// 102 x 28: "START GAME"
void paintWordBox(QPainter& painter); // 693 x 86: the plain tan box behind banner, word and status, painted straight onto a widget (antialiased painter)
QPixmap chatBanner();                 // 164 x 19: the decorative banner above the chat
QPixmap switchPicture(bool on);       // 56 x 32: the on/off switch of the game start window
QPixmap gameLogo(int size);           // size x size: the game's logo and window icon
inline constexpr int kLogoSizes[] = {32, 64, 72, 96, 128}; // the sizes the windows show

// Asks for every picture above once (the logo in each of its sizes), so the tool that
// bakes the pictures into the program sees them all.
void askForEveryPicture();

} // namespace Art
