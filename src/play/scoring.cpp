#include "scoring.h"

namespace quorvel {
namespace {

// How each result of a game with more than one player is announced: the text before the
// number, and whose number of cards it gives.
struct Announcement {
    std::int32_t result;
    const char *first;
    std::int32_t GameOutcome::*count;
};

constexpr Announcement kAnnouncements[] = {
    {kRedWins, "  Red WINS with ", &GameOutcome::RedCards},
    {kGreenWins, "  Green WINS with ", &GameOutcome::GreenCards},
    {kBlueWins, "  Blue WINS with ", &GameOutcome::BlueCards},
    {kRedGreenTie, "  Red and Green TIE with ", &GameOutcome::RedCards},
    {kRedBlueTie, "  Red and Blue TIE with ", &GameOutcome::RedCards},
    {kGreenBlueTie, "  Green and Blue TIE with ", &GameOutcome::GreenCards},
    {kAllTie, "  ALL Players TIE with ", &GameOutcome::RedCards},
};

} // namespace

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

    for (const Announcement &a : kAnnouncements) {
        if (a.result == out.GameResult) {
            out.message = a.first + std::to_string(out.*a.count) + " Cards.";
            return out;
        }
    }
    out.message = "  You Did It In " + std::to_string(CardsTurned / 2) + " Tries.";
    return out;
}

} // namespace quorvel
