#pragma once

#include <cstdint>
#include <string>

namespace quorvel {

// Players and their colours.
inline constexpr int kRed = 1;
inline constexpr int kGreen = 2;
inline constexpr int kBlue = 3;

struct Rgb {
    int red, green, blue;
    bool operator==(const Rgb &) const = default;
};

// The frame colour of player 1..3: RED (255, 0, 0), GREEN (0, 128, 0), BLUE (0, 0, 255).
Rgb PlayerColour(int player);
// "RED", "GREEN" or "BLUE".
const char *PlayerName(int player);
// "Current Player = RED" and so on.
std::string CurrentPlayerText(int player);

// The number of players the players button's caption stands for: "1" is 1, "2" is 2,
// anything else 3.
int PlayerCountFromCaption(const std::string &caption);

// Results of a finished game.
inline constexpr int kOnePlayerResult = 0;
inline constexpr int kRedWins = 1, kGreenWins = 2, kBlueWins = 3;
inline constexpr int kRedGreenTie = 12, kRedBlueTie = 13, kGreenBlueTie = 23, kAllTie = 123;

struct GameOutcome {
    std::int32_t RedCards = 0;
    std::int32_t GreenCards = 0;
    std::int32_t BlueCards = 0;
    std::int32_t GameResult = kOnePlayerResult;
    std::string message; // the status line that announces the result
};

// Scores a finished game from its pick string. With two players a "1" counts for RED and
// every other character for GREEN; with three, "1" for RED, "2" for GREEN, the rest for BLUE.
// One player is told the number of tries, cardsTurned div 2.
GameOutcome ScoreGame(const std::string &PickString, int PlayerCount, int CardsTurned);

} // namespace quorvel
