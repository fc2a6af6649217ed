#include "tempfolder.h"

#include "library/quorvelerror.h"
#include "library/defaultlibrary.h"
#include "library/gameselection.h"

#include <gtest/gtest.h>

#include <set>

namespace quorvel {
namespace {

using test::fileBytes;
using test::TempFolder;
using test::writeBytes;

struct FakeHost : GameInPlayHost {
    std::string gameName;
    std::vector<std::string> loaded; // pictures loaded, in order
    std::set<std::string> missing;   // pictures that fail to load
    int deals = 0;
    bool music = true;
    std::vector<std::string> tunes;
    bool tuneFails = false;
    int repaints = 0;

    void showGameName(const std::string &name) override { gameName = name; }
    void loadPicture(int, const std::string &fileName) override
    {
        if (missing.count(fileName))
            throw QuorvelError("Cannot open file " + fileName);
        loaded.push_back(fileName);
    }
    void deal() override { ++deals; }
    bool musicOn() override { return music; }
    void startTune(const std::string &fileName) override
    {
        if (tuneFails)
            throw MediaError("Cannot open the tune " + fileName);
        tunes.push_back(fileName);
    }
    void repaintBoard() override { ++repaints; }
};

struct Selection : ::testing::Test {
    TempFolder folder;
    FakeHost host;
    GameSelection selection;
    GameRecord PlayRecord = GameRecord::zeroed();

    std::string select()
    {
        selection.SelectGame(PlayRecord, host);
        return host.gameName;
    }
};

TEST_F(Selection, MissingLibraryIsWrittenWithTheDefaultGames)
{
    EXPECT_EQ(select(), "Ostrel Quorvel");
    EXPECT_EQ(std::filesystem::file_size("quorvels.dat"), 26744u);
    EXPECT_EQ(selection.GameIndex, 1);
    EXPECT_EQ(selection.GameLast, 3);
    ASSERT_EQ(host.loaded.size(), 19u);
    EXPECT_EQ(host.loaded.front(), "OQCvr.bmp");
    EXPECT_EQ(host.loaded[7], "OQ7.bmp");
    EXPECT_EQ(host.loaded.back(), "OQBlu.bmp");
    EXPECT_EQ(host.deals, 1);
    EXPECT_EQ(host.tunes, std::vector<std::string>{"OQ1.mid"});
    EXPECT_EQ(host.repaints, 1);
}

TEST_F(Selection, CyclesThroughTheLibrary)
{
    const std::vector<std::string> expected = {"Ostrel Quorvel", "Makers Quorvel", "Brevic Quorvel",
                                               "Tamsel Quorvel", "Ostrel Quorvel", "Makers Quorvel"};
    for (const std::string &name : expected)
        EXPECT_EQ(select(), name);
    EXPECT_EQ(host.tunes.back(), "MQ1.mid");
}

TEST_F(Selection, OneRecordLibraryReloadsItself)
{
    GameRecord r;
    fillDefaultRecord(r, kDefaultGames[2]);
    writeBytes("quorvels.dat", std::string(reinterpret_cast<const char *>(r.data()), kRecordSize));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(select(), "Brevic Quorvel");
        EXPECT_EQ(selection.GameIndex, 0);
    }
    EXPECT_EQ(host.deals, 3);
}

TEST_F(Selection, ExistingEmptyFileIsNotReplaced)
{
    writeBytes("quorvels.dat", "");
    try {
        select();
        FAIL() << "an empty library cannot be read";
    } catch (const InOutError &e) {
        EXPECT_STREQ(e.what(), "Read beyond end of file");
    }
    EXPECT_EQ(std::filesystem::file_size("quorvels.dat"), 0u);
    EXPECT_EQ(host.deals, 0);
    EXPECT_EQ(host.gameName, "");
}

TEST_F(Selection, MissingCardBackStopsBeforeTheDeal)
{
    select(); // Ostrel
    host.missing = {"MQCvr.bmp"};
    try {
        select();
        FAIL() << "the card back is missing";
    } catch (const QuorvelError &e) {
        EXPECT_STREQ(e.what(), "Cannot open file MQCvr.bmp");
    }
    EXPECT_EQ(host.gameName, "Makers Quorvel");
    EXPECT_EQ(PlayRecord.Name.str(), "Makers Quorvel");
    EXPECT_EQ(selection.GameIndex, 2);
    EXPECT_EQ(host.deals, 1) << "no deal for the new game";
    EXPECT_EQ(host.tunes.size(), 1u);
    host.missing.clear();
    EXPECT_EQ(select(), "Brevic Quorvel") << "the next selection goes on after it";
}

TEST_F(Selection, FailingTuneSkipsOnlyTheRepaint)
{
    host.tuneFails = true;
    EXPECT_THROW(select(), MediaError);
    EXPECT_EQ(host.deals, 1);
    EXPECT_EQ(host.repaints, 0);
    host.music = false;
    host.tuneFails = false;
    select();
    EXPECT_TRUE(host.tunes.empty()) << "no tune with music off";
    EXPECT_EQ(host.repaints, 1);
}

TEST_F(Selection, DeletedLibraryIsWrittenAgain)
{
    select();
    select(); // GameIndex 2
    std::filesystem::remove("quorvels.dat");
    EXPECT_EQ(select(), "Brevic Quorvel");
    EXPECT_EQ(std::filesystem::file_size("quorvels.dat"), 26744u);
}

TEST_F(Selection, ShorterLibraryStartsAgainAtTheFirstRecord)
{
    select();
    select();
    select(); // GameIndex 3
    const std::string bytes = fileBytes("quorvels.dat");
    writeBytes("quorvels.dat", bytes.substr(0, 2 * kRecordSize));
    EXPECT_EQ(select(), "Ostrel Quorvel");
    EXPECT_EQ(selection.GameIndex, 1);
}

TEST_F(Selection, UnreadableLibraryLeavesEverythingAsItWas)
{
    select();
    std::filesystem::remove("quorvels.dat");
    std::filesystem::create_directory("quorvels.dat"); // exists, cannot be opened for writing
    const GameRecord before = PlayRecord;
    EXPECT_THROW(select(), InOutError);
    EXPECT_EQ(selection.GameIndex, 1);
    EXPECT_EQ(host.gameName, "Ostrel Quorvel");
    EXPECT_EQ(std::memcmp(before.data(), PlayRecord.data(), kRecordSize), 0);
}

} // namespace
} // namespace quorvel
