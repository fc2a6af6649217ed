#include "play/scoring.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

// A finished pick string with the given number of cells per digit.
std::string finished(int red, int green, int blue)
{
    return std::string(red, '1') + std::string(green, '2') + std::string(blue, '3');
}

TEST(Scoring, TwoAndThreePlayerResults)
{
    struct Case {
        int players, red, green, blue;
        int result;
        const char *message;
    } cases[] = {
        {2, 16, 14, 0, kRedWins, "  Red WINS with 16 Cards."},
        {2, 14, 16, 0, kGreenWins, "  Green WINS with 16 Cards."},
        {2, 15, 15, 0, kRedGreenTie, "  Red and Green TIE with 15 Cards."},
        {3, 10, 10, 10, kAllTie, "  ALL Players TIE with 10 Cards."},
        {3, 12, 6, 12, kRedBlueTie, "  Red and Blue TIE with 12 Cards."},
        {3, 6, 12, 12, kGreenBlueTie, "  Green and Blue TIE with 12 Cards."},
        {3, 8, 8, 14, kBlueWins, "  Blue WINS with 14 Cards."},
        {3, 14, 14, 2, kRedGreenTie, "  Red and Green TIE with 14 Cards."},
        {3, 2, 20, 8, kGreenWins, "  Green WINS with 20 Cards."},
        {3, 30, 0, 0, kRedWins, "  Red WINS with 30 Cards."},
    };
    for (const Case &c : cases) {
        const GameOutcome out = ScoreGame(finished(c.red, c.green, c.blue), c.players, 40);
        EXPECT_EQ(out.GameResult, c.result) << c.message;
        EXPECT_EQ(out.message, c.message);
        EXPECT_EQ(out.RedCards + out.GreenCards + out.BlueCards, 30);
    }
}

TEST(Scoring, TwoPlayersCountEveryOtherDigitForGreen)
{
    // A game started with three players' digits but scored for two.
    const GameOutcome out = ScoreGame(finished(10, 10, 10), 2, 30);
    EXPECT_EQ(out.RedCards, 10);
    EXPECT_EQ(out.GreenCards, 20);
    EXPECT_EQ(out.GameResult, kGreenWins);
}

TEST(Scoring, OnePlayerIsToldTheTries)
{
    EXPECT_EQ(ScoreGame(finished(30, 0, 0), 1, 30).message, "  You Did It In 15 Tries.");
    EXPECT_EQ(ScoreGame(finished(30, 0, 0), 1, 57).message, "  You Did It In 28 Tries.");
    EXPECT_EQ(ScoreGame(finished(30, 0, 0), 1, 57).GameResult, kOnePlayerResult);
}

TEST(Scoring, CaptionsAndColours)
{
    EXPECT_EQ(PlayerCountFromCaption("1"), 1);
    EXPECT_EQ(PlayerCountFromCaption("2"), 2);
    EXPECT_EQ(PlayerCountFromCaption("3"), 3);
    EXPECT_EQ(PlayerCountFromCaption("x"), 3);
    EXPECT_EQ(PlayerCountFromCaption("1 "), 3);
    EXPECT_EQ(PlayerColour(kRed), (Rgb{255, 0, 0}));
    EXPECT_EQ(PlayerColour(kGreen), (Rgb{0, 128, 0}));
    EXPECT_EQ(PlayerColour(kBlue), (Rgb{0, 0, 255}));
    EXPECT_EQ(CurrentPlayerText(kGreen), "Current Player = GREEN");
}

} // namespace
} // namespace quorvel
