#pragma once
// What the game's windows ask of the world around them: the desktop (opening web
// addresses, starting programs), the boxes put in front of the player, and the
// sound output. The program hands in the real ones (GameWindows); tests hand in
// fakes that record what was asked.

class Desktop;
class Prompts;
class SoundOutput;

struct Surroundings {
    Desktop& desktop;
    Prompts& prompts;
    SoundOutput& sound;
};
