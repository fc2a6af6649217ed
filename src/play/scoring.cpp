#include "scoring.h"

namespace quorvel {

Rgb PlayerColour(int player)
{
    switch (player) {
    case kGreen:
        return {0, 128, 0};
    case kBlue:
        return {0, 0, 255};
    default:
        return {255, 0, 0};
    }
}

const char *PlayerName(int player)
{
    switch (player) {
    case kGreen:
        return "GREEN";
    case kBlue:
        return "BLUE";
    default:
        return "RED";
    }
}

std::string CurrentPlayerText(int player)
{
    return std::string("Current Player = ") + PlayerName(player);
}

int PlayerCountFromCaption(const std::string &caption)
{
    if (caption == "1")
        return 1;
    if (caption == "2")
        return 2;
    return 3;
}

GameOutcome ScoreGame(const std::string &PickString, int PlayerCount, int CardsTurned)
{
    GameOutcome out;
    if (PlayerCount > 1) {
        for (char c : PickString) {
            if (c == '1')
                ++out.RedCards;
            else if (PlayerCount == 3 && c == '2')
                ++out.GreenCards;
            else if (PlayerCount == 3)
                ++out.BlueCards;
            else
                ++out.GreenCards;
        }
        const int r = out.RedCards, g = out.GreenCards, b = out.BlueCards;
        if (r > g && r > b)
            out.GameResult = kRedWins;
        else if (g > r && g > b)
            out.GameResult = kGreenWins;
        else if (b > g && b > r)
            out.GameResult = kBlueWins;
        else if (r == g && r > b)
            out.GameResult = kRedGreenTie;
        else if (b == g && b > r)
            out.GameResult = kGreenBlueTie;
        else if (r == b && r > g)
            out.GameResult = kRedBlueTie;
        else if (r == g && r == b)
            out.GameResult = kAllTie;
    }

    const auto compose = [](const char *first, int number, const char *second) {
        return std::string(first) + std::to_string(number) + second;
    };
    switch (out.GameResult) {
    case kRedWins:
        out.message = compose("  Red WINS with ", out.RedCards, " Cards.");
        break;
    case kGreenWins:
        out.message = compose("  Green WINS with ", out.GreenCards, " Cards.");
        break;
    case kBlueWins:
        out.message = compose("  Blue WINS with ", out.BlueCards, " Cards.");
        break;
    case kRedGreenTie:
        out.message = compose("  Red and Green TIE with ", out.RedCards, " Cards.");
        break;
    case kRedBlueTie:
        out.message = compose("  Red and Blue TIE with ", out.RedCards, " Cards.");
        break;
    case kGreenBlueTie:
        out.message = compose("  Green and Blue TIE with ", out.GreenCards, " Cards.");
        break;
    case kAllTie:
        out.message = compose("  ALL Players TIE with ", out.RedCards, " Cards.");
        break;
    default:
        out.message = compose("  You Did It In ", CardsTurned / 2, " Tries.");
        break;
    }
    return out;
}

} // namespace quorvel
