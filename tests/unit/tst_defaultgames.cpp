// The four default games: the rules their description lines follow, that the lines talk
// about what the card pictures show, and the library file CreateDefaultLibrary writes.

#include "library/cardsubjects.h"
#include "library/defaultlibrary.h"
#include "library/libraryfile.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using quorvel::DefaultGame;
using quorvel::GameRecord;
using quorvel::kCardCount;
using quorvel::kDefaultGames;
using quorvel::kRecordSize;
using quorvel::pictures::kGameThemes;
using quorvel::test::fileBytes;

namespace {

// The cards of each record whose first line is a heading in capitals.
const std::vector<std::set<int>> kHeadingCards = {
    {1, 4, 5, 6, 7, 9, 10, 11, 12, 13},
    {2, 3, 4, 5, 7, 8, 9, 10, 12, 13, 14, 15},
    {},
    {3},
};

std::string line(const DefaultGame &game, int card, int i)
{
    return game.descriptions[3 * (card - 1) + i];
}

bool isHeading(const std::string &text)
{
    const bool hasLetter = std::any_of(text.begin(), text.end(), [](unsigned char c) {
        return std::isalpha(c);
    });
    const bool hasLower = std::any_of(text.begin(), text.end(), [](unsigned char c) {
        return std::islower(c);
    });
    return hasLetter && !hasLower;
}

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return text;
}

} // namespace

TEST(DefaultGames, NamesAndPrefixesInRecordOrder)
{
    const char *names[] = {"Ostrel Quorvel", "Makers Quorvel", "Brevic Quorvel",
                           "Tamsel Quorvel"};
    const char *prefixes[] = {"OQ", "MQ", "BQ", "TA"};
    for (std::size_t r = 0; r < kDefaultGames.size(); ++r) {
        EXPECT_STREQ(kDefaultGames[r].name, names[r]);
        EXPECT_STREQ(kDefaultGames[r].prefix, prefixes[r]);
    }
}

TEST(DefaultGames, EveryLineIsPlainAsciiOf8To87Characters)
{
    for (const DefaultGame &game : kDefaultGames) {
        for (int j = 1; j <= quorvel::kDescriptionCount; ++j) {
            const std::string text = game.descriptions[j - 1];
            SCOPED_TRACE(std::string(game.name) + " line " + std::to_string(j) + ": " + text);
            EXPECT_GE(text.size(), 8u);
            EXPECT_LE(text.size(), 87u);
            EXPECT_TRUE(std::all_of(text.begin(), text.end(),
                                    [](unsigned char c) { return c >= 0x20 && c < 0x7F; }));
            EXPECT_NE(text.front(), ' ');
            EXPECT_NE(text.back(), ' ');
        }
    }
}

TEST(DefaultGames, HeadingsStandExactlyOnTheirCards)
{
    for (std::size_t r = 0; r < kDefaultGames.size(); ++r) {
        const DefaultGame &game = kDefaultGames[r];
        for (int card = 1; card <= kCardCount; ++card) {
            SCOPED_TRACE(std::string(game.name) + " card " + std::to_string(card));
            const bool wanted = kHeadingCards[r].count(card) > 0;
            EXPECT_EQ(isHeading(line(game, card, 0)), wanted) << line(game, card, 0);
            // Only ever the first line: the two lines after it are ordinary text.
            EXPECT_FALSE(isHeading(line(game, card, 1))) << line(game, card, 1);
            EXPECT_FALSE(isHeading(line(game, card, 2))) << line(game, card, 2);
        }
    }
}

TEST(DefaultGames, CardsWithoutHeadingRunOneSentenceAcrossTheirLines)
{
    for (std::size_t r = 0; r < kDefaultGames.size(); ++r) {
        for (int card = 1; card <= kCardCount; ++card) {
            if (kHeadingCards[r].count(card))
                continue;
            const DefaultGame &game = kDefaultGames[r];
            SCOPED_TRACE(std::string(game.name) + " card " + std::to_string(card));
            for (int i : {0, 1}) {
                const char last = line(game, card, i).back();
                EXPECT_TRUE(last != '.' && last != '!' && last != '?') << line(game, card, i);
            }
            EXPECT_EQ(line(game, card, 2).back(), '.');
            EXPECT_TRUE(std::isupper(static_cast<unsigned char>(line(game, card, 0)[0])));
        }
    }
}

// The card descriptions page shows each picture beside its own lines, so the lines must
// name what the picture (drawn from the same subjects table) shows.
TEST(DefaultGames, LinesTalkAboutTheSubjectOfTheirPicture)
{
    ASSERT_EQ(kGameThemes.size(), kDefaultGames.size());
    for (std::size_t r = 0; r < kDefaultGames.size(); ++r) {
        const DefaultGame &game = kDefaultGames[r];
        ASSERT_STREQ(kGameThemes[r].prefix, game.prefix);
        for (int card = 1; card <= kCardCount; ++card) {
            const auto &subject = kGameThemes[r].cards[card - 1];
            SCOPED_TRACE(std::string(game.name) + " card " + std::to_string(card) + " " +
                         subject.caption);
            const std::string text = line(game, card, 0) + " " + line(game, card, 1) + " " +
                                     line(game, card, 2);
            EXPECT_NE(lower(text).find(subject.keyword), std::string::npos) << text;
            if (isHeading(line(game, card, 0))) {
                EXPECT_NE(line(game, card, 0).find(upper(subject.keyword)), std::string::npos);
            }
            EXPECT_TRUE(subject.glyph != nullptr ||
                        subject.drawn != quorvel::pictures::DrawnSymbol::None);
        }
    }
}

TEST(DefaultGames, SubjectsAndLinesAreDistinctWithinAGame)
{
    for (std::size_t r = 0; r < kGameThemes.size(); ++r) {
        std::set<std::string> captions, keywords, glyphs, lines;
        for (const auto &subject : kGameThemes[r].cards) {
            EXPECT_TRUE(captions.insert(lower(subject.caption)).second) << subject.caption;
            EXPECT_TRUE(keywords.insert(subject.keyword).second) << subject.keyword;
            if (subject.glyph) {
                EXPECT_TRUE(glyphs.insert(subject.glyph).second) << subject.caption;
            }
        }
        for (const char *text : kDefaultGames[r].descriptions)
            EXPECT_TRUE(lines.insert(text).second) << text;
    }
}

TEST(DefaultGames, SubjectsTableIsDocumented)
{
    const char *source = std::getenv("QUORVEL_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    const std::string doc = fileBytes(fs::path(source) / "docs" / "card-subjects.md");
    ASSERT_FALSE(doc.empty());
    for (const auto &theme : kGameThemes) {
        for (int card = 1; card <= kCardCount; ++card) {
            const std::string row = std::string("| ") + theme.prefix + " | " +
                                    std::to_string(card) + " | " +
                                    theme.cards[card - 1].caption + " |";
            EXPECT_NE(doc.find(row), std::string::npos) << row;
        }
    }
}

// Runs in a fresh working folder, where the library file is created as a user's would be.
class DefaultLibraryFile : public ::testing::Test {
protected:
    std::vector<GameRecord> readAll()
    {
        quorvel::LibraryFile file;
        file.Open();
        std::vector<GameRecord> records(file.Count(), GameRecord::zeroed());
        for (GameRecord &record : records)
            file.Read(record);
        file.Close();
        return records;
    }

    quorvel::test::TempFolder folder_;
};

TEST_F(DefaultLibraryFile, HoldsTheFourGamesIn26744Bytes)
{
    GameRecord scratch = GameRecord::zeroed();
    quorvel::CreateDefaultLibrary(quorvel::kLibraryFileName, scratch);
    ASSERT_EQ(fs::file_size(quorvel::kLibraryFileName), 26744u);

    const std::vector<GameRecord> records = readAll();
    ASSERT_EQ(records.size(), 4u);
    for (std::size_t r = 0; r < records.size(); ++r) {
        const GameRecord &rec = records[r];
        const std::string p = kDefaultGames[r].prefix;
        SCOPED_TRACE(p);
        EXPECT_EQ(rec.Name.str(), kDefaultGames[r].name);
        EXPECT_EQ(rec.Bmps[0].str(), p + "Cvr.bmp");
        for (int k = 1; k <= kCardCount; ++k) {
            EXPECT_EQ(rec.Bmps[k].str(), p + std::to_string(k) + ".bmp");
            EXPECT_EQ(rec.Midis[k].str(), p + std::to_string(k) + ".mid");
        }
        EXPECT_EQ(rec.Bmps[16].str(), p + "Red.bmp");
        EXPECT_EQ(rec.Bmps[17].str(), p + "Grn.bmp");
        EXPECT_EQ(rec.Bmps[18].str(), p + "Blu.bmp");
        EXPECT_EQ(rec.Midis[16].str(), p + "win.mid");
        EXPECT_EQ(rec.Midis[17].str(), p + "inst.mid");
        EXPECT_EQ(rec.Midis[18].str(), p + "help.mid");
        EXPECT_EQ(rec.Bmps[19].str(), "");
        EXPECT_EQ(rec.Midis[0].str(), "");
        EXPECT_EQ(rec.Midis[19].str(), "");
        for (int j = 1; j <= quorvel::kDescriptionCount; ++j)
            EXPECT_EQ(rec.description(j).str(), kDefaultGames[r].descriptions[j - 1]);
    }
}

TEST_F(DefaultLibraryFile, NamesStandAtTheirByteOffsets)
{
    GameRecord scratch = GameRecord::zeroed();
    quorvel::CreateDefaultLibrary(quorvel::kLibraryFileName, scratch);
    const std::string bytes = fileBytes(quorvel::kLibraryFileName);
    ASSERT_EQ(bytes.size(), 4 * kRecordSize);
    const auto field = [&](int record, std::size_t offset) {
        const std::size_t at = record * kRecordSize + offset;
        return bytes.substr(at + 1, static_cast<unsigned char>(bytes[at]));
    };
    EXPECT_EQ(field(0, 0), "Ostrel Quorvel");
    EXPECT_EQ(field(0, quorvel::bmpOffset(7)), "OQ7.bmp");
    EXPECT_EQ(field(0, quorvel::midiOffset(12)), "OQ12.mid");
    EXPECT_EQ(field(0, quorvel::midiOffset(18)), "OQhelp.mid");
    EXPECT_EQ(field(1, quorvel::midiOffset(17)), "MQinst.mid");
    EXPECT_EQ(field(2, quorvel::bmpOffset(10)), "BQ10.bmp");
    EXPECT_EQ(field(3, quorvel::bmpOffset(16)), "TARed.bmp");
    EXPECT_EQ(field(3, quorvel::descriptionOffset(45)), kDefaultGames[3].descriptions[44]);
}

TEST_F(DefaultLibraryFile, BytesDoNotDependOnWhatTheScratchBufferHeld)
{
    GameRecord clean = GameRecord::zeroed();
    quorvel::CreateDefaultLibrary("clean.dat", clean);
    GameRecord dirty = GameRecord::zeroed();
    std::fill(dirty.data(), dirty.data() + kRecordSize, std::uint8_t{0xAB});
    quorvel::CreateDefaultLibrary("dirty.dat", dirty);
    EXPECT_EQ(fileBytes("clean.dat"), fileBytes("dirty.dat"));
    // The scratch buffer is left holding the last record built.
    EXPECT_EQ(dirty.Name.str(), "Tamsel Quorvel");
}

TEST_F(DefaultLibraryFile, ReplacesAnExistingFileOfTheGivenName)
{
    std::ofstream(quorvel::kLibraryFileName) << std::string(100000, 'x');
    GameRecord scratch = GameRecord::zeroed();
    quorvel::CreateDefaultLibrary(quorvel::kLibraryFileName, scratch);
    EXPECT_EQ(fs::file_size(quorvel::kLibraryFileName), 26744u);
    EXPECT_EQ(readAll().front().Name.str(), "Ostrel Quorvel");
}
