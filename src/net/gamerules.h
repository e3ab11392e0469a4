#pragma once
// The game's rules and names, shared by the server, the client and the windows.
//
// Every connection holds a player slot 1..9: slots 1..6 are the board's seats,
// which take turns and score; slots 7..9 are spies, who watch and chat. Slot 1
// is always the host's own client. Letters are numbered 1..26 ("a".."z") and
// categories 0..4 (General, holiday, food, Entertainment, Phrases).

#include <array>

constexpr int kSeatCount = 6;
constexpr int kSpyCount = 3;
constexpr int kSlotCount = kSeatCount + kSpyCount;
constexpr int kLetterCount = 26;
constexpr int kCategoryCount = 5;
// The chatter sounds a seated player can send ("wave1".."wave20").
constexpr int kChatterSoundCount = 20;
// The miss that hangs the figure and ends the round.
constexpr int kHangingMisses = 7;

// The version a client sends at login; the host tells copies with another one so.
// The about window shows the same text.
inline constexpr char kVersion[] = "1.0.6";
// The build shown after the version in the about and help windows ("1.0.6.6").
inline constexpr char kBuild[] = ".6";

// Whether the slot is one of the board's seats (1..6).
constexpr bool isSeat(int slot) { return slot >= 1 && slot <= kSeatCount; }
// Whether the slot is a spy's (7..9).
constexpr bool isSpy(int slot) { return slot > kSeatCount && slot <= kSlotCount; }
// Whether the number is a player slot at all (1..9).
constexpr bool isSlot(int slot) { return slot >= 1 && slot <= kSlotCount; }
// Whether the number is a letter number (1..26).
constexpr bool isLetter(int letter) { return letter >= 1 && letter <= kLetterCount; }
// Whether the number is a category number (0..4).
constexpr bool isCategory(int category) { return category >= 0 && category < kCategoryCount; }

// The computer players' names by seat, as the server announces them (in
// "CMD_winner" when a computer-played seat wins). Seat 1 is the host's and has none.
inline constexpr std::array<const char*, kSeatCount + 1> kComputerNames = {
    "", "", "Klot", "Klock", "Kling", "Klick", "Krazy"};

// The names the client's seat labels show for a computer-played seat. They are
// the server's names but for seat 3, whose label has always read "Klick", as
// seat 5's does; the server still calls it "Klock", so a computer win at seat 3
// is announced as "Klock" while its label says "Klick".
inline constexpr std::array<const char*, kSeatCount + 1> kComputerSeatCaptions = {
    "", "", "Klot", "Klick", "Kling", "Klick", "Krazy"};
