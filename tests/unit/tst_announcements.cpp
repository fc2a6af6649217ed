// What a screen reader says: the spoken names of the cards and the texts of the cells and
// the news of the game.

#include "library/cardnames.h"
#include "library/cardsubjects.h"
#include "library/defaultlibrary.h"
#include "play/announcements.h"
#include "play/scoring.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace quorvel {
namespace {

struct Spoken {
    std::string given;
    std::string expected;
};

class FileNames : public testing::TestWithParam<Spoken> {};

TEST_P(FileNames, GiveTheCardsName)
{
    EXPECT_EQ(NameFromFileName(GetParam().given), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, FileNames,
    testing::Values(Spoken{"snowy_owl-2.bmp", "snowy owl"},
                    Spoken{"pictures/Mute  Swan.bmp", "Mute Swan"},
                    Spoken{"C:\\cards\\C-Clamp.bmp", "C-Clamp"},
                    Spoken{"owl-v2", "owl-v2"}, Spoken{"M\xC3\xB6we.bmp", "M\xC3\xB6we"},
                    Spoken{"12-3.bmp", ""}, Spoken{"", ""}));

TEST(SpokenCardNames, DefaultGamesSpeakWhatTheirPicturesShow)
{
    for (const DefaultGame &game : kDefaultGames) {
        GameRecord record = GameRecord::zeroed();
        fillDefaultRecord(record, game);
        const CardNames names = SpokenCardNames(record);
        const auto theme = std::find_if(
            pictures::kGameThemes.begin(), pictures::kGameThemes.end(),
            [&](const pictures::GameTheme &t) { return std::string(t.prefix) == game.prefix; });
        ASSERT_NE(theme, pictures::kGameThemes.end()) << game.name;
        for (int k = 1; k <= kCardCount; ++k)
            EXPECT_EQ(names[k - 1], theme->cards[k - 1].caption) << game.name << " card " << k;
        EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), size_t(kCardCount))
            << game.name;
    }
}

TEST(SpokenCardNames, OtherGamesSpeakTheirFileNamesEachOnce)
{
    GameRecord record = GameRecord::zeroed();
    const std::pair<int, const char *> files[] = {
        {1, "owl.bmp"},    {2, "Owl-2.bmp"}, {4, "42.bmp"},   {5, "OQ7.bmp"},
        {7, "OQ7.bmp"},    {8, "card 3.bmp"}, {9, "x.bmp"},    {10, "x, card 11.bmp"},
        {11, "x-3.bmp"},
    };
    for (const auto &[slot, file] : files)
        record.Bmps[slot].assign(file);
    const CardNames names = SpokenCardNames(record);
    const std::vector<std::string> expected = {
        "owl, card 1", "Owl, card 2", "card 3", "card 4", "OQ7", "card 6", "Parrot",
        "card 3, card 8", "x, card 9", "card 10", "card 11", "card 12", "card 13", "card 14",
        "card 15"};
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.end()), expected);
}

// The texts of each kind that the window and turn tests do not hear: one player, the last
// pair, every colour.
TEST(Announcements, TextsAsTheyAreSpoken)
{
    const std::pair<std::string, std::string> said[] = {
        {CellName(kFaceUp, "Parrot", 2, 1), "Parrot, row 2 column 3"},
        {CellName(kMatchedByRed + 1, "Parrot", 0, 5), "Green's pair, Parrot, row 6 column 1"},
        {PairNews("Parrot", kBlue, 3, true), "Parrot. Pair for Blue."},
        {PairNews("Parrot", kRed, 1, false), "Parrot. Pair found."},
        {MissNews("Rooster", "Parrot", kRed, 1), "Rooster. No match with Parrot."},
        {DealNews("Ostrel Quorvel", 1), "Ostrel Quorvel, new deal"},
    };
    for (const auto &[text, expected] : said)
        EXPECT_EQ(text, expected);
}

} // namespace
} // namespace quorvel
