// The note language of the tune table, and the 72 tune files of the default games as the
// build wrote them into QUORVEL_GAMES_DIR: present, well formed, of the right length, one
// distinct melody a card, one instrument a game, and written again byte for byte.

#include "midireader.h"
#include "notation.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorvel {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kQ = 480; // ticks a quarter in these tests

// ---- the note language ----------------------------------------------------------------

TEST(Notation, PitchesFollowScientificNames)
{
    EXPECT_EQ(parsePitch("C4"), 60);
    EXPECT_EQ(parsePitch("A4"), 69);
    EXPECT_EQ(parsePitch("F#3"), 54);
    EXPECT_EQ(parsePitch("Bb5"), 82);
    EXPECT_EQ(parsePitch("B3"), 59);
    EXPECT_EQ(parsePitch("Cb4"), 59);
    EXPECT_EQ(parsePitch("B#3"), 60);
    EXPECT_EQ(parsePitch("G9"), 127);
}

TEST(Notation, RejectsWhatIsNotAPitch)
{
    for (const char *text : {"H4", "C", "C#", "c4", "C44", "Cx4", "#4", "G#9", "C-1", ""})
        EXPECT_THROW(parsePitch(text), std::invalid_argument) << text;
}

TEST(Notation, DurationsCarryOverAndAdd)
{
    const std::vector<Note> notes = parseNotes("C4 D4:h E4 r:e. F#4:q+e G4:s | A4:w", kQ);
    const std::vector<Note> expected{{60, kQ},         {62, 2 * kQ},    {64, 2 * kQ},
                                     {kRest, 3 * kQ / 4}, {66, 3 * kQ / 2}, {67, kQ / 4},
                                     {69, 4 * kQ}};
    EXPECT_EQ(notes, expected);
    EXPECT_EQ(totalTicks(notes), 23 * kQ / 2);
}

TEST(Notation, RejectsBadTokens)
{
    for (const char *text : {"C4:x", "C4:", "C4:q..", "C4:q+", "C4:hq", "C4 ; D4", "|C4"})
        EXPECT_THROW(parseNotes(text, kQ), std::invalid_argument) << text;
    EXPECT_THROW(parseNotes("C4", 100), std::invalid_argument);
}

TEST(Notation, BarsMustMatchTheMeter)
{
    // A pick-up and a short closing bar are fine; inner bars must be whole.
    EXPECT_NO_THROW(parseNotes("G4:q | C5:h. | D5:q E5 F5 | G5:h", kQ, "3/4"));
    EXPECT_NO_THROW(parseNotes("G4:q. A4:e G4:q | E4:h.", kQ, "6/8"));
    EXPECT_NO_THROW(parseNotes("C4:w D4:h E4 F4:w", kQ, "")); // no meter, no check

    try {
        parseNotes("G4:q | C5:h. | D5:q E5 | G5:h", kQ, "3/4");
        FAIL() << "a short inner bar was accepted";
    } catch (const std::invalid_argument &e) {
        EXPECT_NE(std::string(e.what()).find("bar 2"), std::string::npos) << e.what();
    }
    EXPECT_THROW(parseNotes("C4:w | D4:h.", kQ, "3/4"), std::invalid_argument);   // pick-up
    EXPECT_THROW(parseNotes("C4:h. | D4:w", kQ, "3/4"), std::invalid_argument);   // last bar
    EXPECT_THROW(parseNotes("C4:q | D4:h E4:q F4 |", kQ, "3/4"), std::invalid_argument);
}

TEST(Notation, Meters)
{
    EXPECT_EQ(parseMeter("3/4").barTicks(kQ), 3 * kQ);
    EXPECT_EQ(parseMeter("6/8").barTicks(kQ), 3 * kQ);
    EXPECT_EQ(parseMeter("4/2").barTicks(kQ), 8 * kQ);
    for (const char *text : {"", "3", "/4", "3/", "3/5", "0/4", "a/4", "3/4/4", "3 /4"})
        EXPECT_THROW(parseMeter(text), std::invalid_argument) << text;
}

// ---- the generated files ----------------------------------------------------------------

const char *const kPrefixes[] = {"OQ", "MQ", "BQ", "TA"};

std::vector<std::string> slotNames()
{
    std::vector<std::string> slots;
    for (int k = 1; k <= 15; ++k)
        slots.push_back(std::to_string(k));
    slots.insert(slots.end(), {"win", "inst", "help"});
    return slots;
}

fs::path gamesDir()
{
    const char *dir = std::getenv("QUORVEL_GAMES_DIR");
    return dir ? fs::path(dir) : fs::path();
}

struct Sounding {
    int key;
    std::uint32_t on;
    std::uint32_t off;
};

// Every note of a channel with its start and end, in order of start.
std::vector<Sounding> notesOf(const SmfFile &file, int channel)
{
    std::vector<Sounding> notes;
    std::map<int, std::size_t> open;
    for (const auto &track : file.tracks) {
        for (const SmfEvent &e : track) {
            if (e.status == 0xFF || e.status == 0xF0 || e.status == 0xF7
                || e.channel() != channel)
                continue;
            if (e.isNoteOn()) {
                open[e.data[0]] = notes.size();
                notes.push_back({e.data[0], e.tick, e.tick});
            } else if (e.isNoteOff() && open.count(e.data[0])) {
                notes[open[e.data[0]]].off = e.tick;
                open.erase(e.data[0]);
            }
        }
    }
    EXPECT_TRUE(open.empty()) << "a note is never released";
    return notes;
}

// The programs set on a channel.
std::set<int> programsOf(const SmfFile &file, int channel)
{
    std::set<int> programs;
    for (const auto &track : file.tracks)
        for (const SmfEvent &e : track)
            if ((e.status & 0xF0) == 0xC0 && e.channel() == channel)
                programs.insert(e.data.at(0));
    return programs;
}

// A melody as steps between keys and times between starts: the same in any key.
std::vector<int> shapeOf(const std::vector<Sounding> &melody)
{
    std::vector<int> shape;
    for (std::size_t i = 1; i < melody.size(); ++i) {
        shape.push_back(melody[i].key - melody[i - 1].key);
        shape.push_back(static_cast<int>(melody[i].on - melody[i - 1].on));
    }
    return shape;
}

class GeneratedTunes : public testing::Test {
protected:
    void SetUp() override
    {
        if (gamesDir().empty())
            GTEST_SKIP() << "QUORVEL_GAMES_DIR is not set";
    }

    static SmfFile load(const std::string &name)
    {
        return parseSmf(readFileBytes(gamesDir() / name));
    }
};

TEST_F(GeneratedTunes, AllFilesExistAndParse)
{
    for (const char *prefix : kPrefixes) {
        for (const std::string &slot : slotNames()) {
            const std::string name = prefix + slot + ".mid";
            ASSERT_TRUE(fs::is_regular_file(gamesDir() / name)) << name;
            SmfFile file;
            ASSERT_NO_THROW(file = load(name)) << name;
            EXPECT_EQ(file.format, 1) << name;
            EXPECT_FALSE(notesOf(file, 0).empty()) << name << " has no melody";
        }
    }
}

TEST_F(GeneratedTunes, LengthsSuitTheirUse)
{
    for (const char *prefix : kPrefixes) {
        for (const std::string &slot : slotNames()) {
            const std::string name = prefix + slot + ".mid";
            const double seconds = playingSeconds(load(name));
            if (slot == "win") {
                EXPECT_GE(seconds, 2.0) << name;
                EXPECT_LE(seconds, 6.0) << name;
            } else if (slot == "inst" || slot == "help") {
                EXPECT_GE(seconds, 8.0) << name;
                EXPECT_LE(seconds, 30.0) << name;
            } else {
                EXPECT_GE(seconds, 8.0) << name;
                EXPECT_LE(seconds, 20.0) << name;
            }
        }
    }
}

TEST_F(GeneratedTunes, EachCardOfAGameHasItsOwnMelody)
{
    for (const char *prefix : kPrefixes) {
        std::map<std::vector<int>, int> cardOfShape;
        for (int k = 1; k <= 15; ++k) {
            const auto shape = shapeOf(notesOf(load(prefix + std::to_string(k) + ".mid"), 0));
            const auto [it, fresh] = cardOfShape.emplace(shape, k);
            EXPECT_TRUE(fresh) << prefix << k << " repeats the melody of card " << it->second;
        }
    }
}

TEST_F(GeneratedTunes, EachGameHasItsOwnInstrument)
{
    std::map<int, std::string> gameOfProgram;
    for (const char *prefix : kPrefixes) {
        std::set<int> programs;
        for (const std::string &slot : slotNames()) {
            if (slot == "win")
                continue;
            const auto found = programsOf(load(prefix + slot + ".mid"), 0);
            EXPECT_EQ(found.size(), 1u) << prefix << slot;
            programs.insert(found.begin(), found.end());
        }
        ASSERT_EQ(programs.size(), 1u) << prefix << " mixes melody instruments";
        const auto [it, fresh] = gameOfProgram.emplace(*programs.begin(), prefix);
        EXPECT_TRUE(fresh) << prefix << " sounds like " << it->second;
    }
}

// The bass must stay under the melody and softer, so that the tune is heard.
TEST_F(GeneratedTunes, TheMelodyStaysOnTop)
{
    for (const char *prefix : kPrefixes) {
        for (const std::string &slot : slotNames()) {
            const std::string name = prefix + slot + ".mid";
            const SmfFile file = load(name);
            const auto melody = notesOf(file, 0);
            for (const Sounding &bass : notesOf(file, 1)) {
                for (const Sounding &tune : melody) {
                    if (tune.on < bass.off && bass.on < tune.off) {
                        EXPECT_LT(bass.key, tune.key) << name << " at tick " << bass.on;
                    }
                }
            }
            for (const auto &track : file.tracks) {
                for (const SmfEvent &e : track) {
                    if (e.isNoteOn() && e.channel() == 1) {
                        EXPECT_LT(e.data[1], 100) << name;
                    }
                }
            }
        }
    }
}

TEST_F(GeneratedTunes, GeneratingAgainGivesTheSameBytes)
{
    const fs::path dir = fs::temp_directory_path()
                         / ("tst_tunes_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    const std::string command = std::string("\"") + QUORVEL_TUNEGEN + "\" \"" + dir.string()
                                + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    int count = 0;
    for (const auto &entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        ++count;
        EXPECT_EQ(readFileBytes(entry.path()), readFileBytes(gamesDir() / name)) << name;
    }
    EXPECT_EQ(count, 72);
    fs::remove_all(dir);
}

} // namespace
} // namespace quorvel
