// How long a tune plays, read from its Standard MIDI File the way FluidSynth's player reads
// and times it, and the 3-minute limit on the tunes a game may bring.
#include "library/midilength.h"

#include "library/quorvelerror.h"
#include "midireader.h"
#include "midiwriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace quorvel {
namespace {

std::string be(std::uint32_t v, int bytes)
{
    std::string out;
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        out += static_cast<char>((v >> shift) & 0xFF);
    return out;
}

std::string chunk(const std::string &id, const std::string &body)
{
    return id + be(static_cast<std::uint32_t>(body.size()), 4) + body;
}

// A file of raw track bodies: "MThd" of length 6, then one "MTrk" chunk a body.
std::string smf(const std::vector<std::string> &tracks, unsigned division = 480,
                unsigned format = 1)
{
    std::string file = chunk("MThd", be(format, 2) + be(static_cast<unsigned>(tracks.size()), 2) +
                                         be(division, 2));
    for (const std::string &t : tracks)
        file += chunk("MTrk", t);
    return file;
}

const std::string kEnd("\x00\xFF\x2F\x00", 4); // delta 0, end of track
std::string tempo(const std::string &delta, std::uint32_t micros)
{
    return delta + "\xFF\x51\x03" + be(micros, 3);
}
// A quarter note (480 ticks) of key 60 on channel 0, its delta before the note-on 0.
const std::string kQuarter("\x00\x90\x3C\x40\x83\x60\x80\x3C\x40", 9);

std::string bytesOf(const MidiBytes &b)
{
    return std::string(b.begin(), b.end());
}

struct Case {
    const char *what;
    std::string file;
    double seconds; // below 0: the player would refuse the file
};

TEST(MidiLength, TimesTunesAsThePlayerDoes)
{
    const std::string twoQuarters = kQuarter + kQuarter;
    // Running status: the second note-on and both note-offs (as note-ons of velocity 0)
    // carry no status byte; 0x83 0x60 is 480.
    const std::string running("\x00\x90\x3C\x40\x83\x60\x3C\x00\x00\x3E\x40\x83\x60\x3E\x00", 15);
    // Nine notes of the longest delta time, 0x0FFFFFFF ticks each: past 2^31 ticks.
    std::string longest("\xFF\xFF\xFF\x7F\x90\x3C\x40", 7);
    for (int i = 0; i < 8; ++i)
        longest += "\xFF\xFF\xFF\x7F\x3C\x40";
    const std::vector<Case> cases = {
        {"one quarter at the default tempo", smf({kQuarter + kEnd}), 0.5},
        {"no tempo given, no notes", smf({kEnd}), 0.0},
        {"tempo change mid-track", smf({tempo(std::string(1, '\0'), 250000) + kQuarter +
                                        tempo(std::string(1, '\0'), 1000000) + kQuarter + kEnd}),
         0.25 + 1.0},
        {"tempo of the first track rules the second",
         smf({tempo(std::string(1, '\0'), 1000000) + tempo("\x83\x60", 2000000) + kEnd,
              twoQuarters + kEnd}),
         1.0 + 2.0},
        {"a tempo change in a later track rules the earlier",
         smf({twoQuarters + kEnd, tempo("\x83\x60", 2000000) + kEnd}), 0.5 + 2.0},
        {"running status", smf({running + kEnd}), 1.0},
        {"the longest track ends the tune", smf({kQuarter + kEnd, twoQuarters + kEnd}), 1.0},
        {"an end of track late in silence counts",
         smf({kQuarter + std::string("\x87\x40\xFF\x2F\x00", 5)}), 0.5 + 1.0},
        {"a marker after the last note does not", smf({kQuarter + std::string("\x87\x40\xFF\x06"
                                                                             "\x01X",
                                                                             6)}),
         0.5},
        {"division 96", smf({kQuarter + kEnd}, 96), 2.5},
        {"a track with a negative length is empty",
         smf({}).substr(0, 10) + be(2, 2) + be(480, 2) + "MTrk\xFF\xFF\xFF\xFF" +
             chunk("MTrk", kQuarter + kEnd),
         0.5},
        {"data after the end of track is skipped", smf({kQuarter + kEnd + "junk"}), 0.5},
        // Damaged and unplayable files.
        {"empty", "", -1},
        {"header cut short", smf({kEnd}).substr(0, 12), -1},
        {"header of length 7",
         "MThd" + be(7, 4) + be(0, 2) + be(1, 2) + be(480, 2) + std::string(1, '\0') +
             chunk("MTrk", kEnd),
         -1},
        {"format 3", smf({kEnd}, 480, 3), -1},
        {"SMPTE timing", smf({kEnd}, 0xE728), -1},
        {"division 0", smf({kEnd}, 0), -1},
        {"129 tracks", smf(std::vector<std::string>(129, kEnd)), -1},
        {"a track missing", smf({kEnd}).substr(0, 10) + be(2, 2) + be(480, 2) +
                                chunk("MTrk", kEnd), -1},
        {"another chunk where a track is due", smf({kEnd}).substr(0, 14) + chunk("MTrX", kEnd),
         -1},
        {"a track cut short mid-event", smf({kQuarter}).substr(0, 14 + 8 + 5), -1},
        {"a delta time of five bytes", smf({"\x81\x81\x81\x81\x01\x90\x3C\x40" + kEnd}), -1},
        {"a data byte with no status before it", smf({std::string("\x00\x3C\x40", 3) + kEnd}),
         -1},
        {"end of track with a length", smf({std::string("\x00\xFF\x2F\x01\x00", 5)}), -1},
        {"a tempo of two bytes", smf({std::string("\x00\xFF\x51\x02\x07\xA1", 6) + kEnd}), -1},
        {"a system common message", smf({std::string("\x00\xF1\x00", 3) + kEnd}), -1},
        {"a sysex running past the end", smf({std::string("\x00\xF0\x7F\x01", 4)}), -1},
        {"more ticks than the player counts", smf({longest + kEnd}), -1},
    };
    for (const Case &c : cases) {
        const std::optional<double> seconds = midiPlayingSeconds(c.file);
        if (c.seconds < 0) {
            EXPECT_FALSE(seconds.has_value()) << c.what << ": " << seconds.value_or(0);
        } else {
            ASSERT_TRUE(seconds.has_value()) << c.what;
            EXPECT_NEAR(*seconds, c.seconds, 1e-9) << c.what;
        }
    }
}

// The default games' tunes, timed by the tune generator's own reader: the two must agree.
TEST(MidiLength, AgreesWithTheGeneratorsReaderOnEveryDefaultTune)
{
    const char *games = std::getenv("QUORVEL_GAMES_DIR");
    ASSERT_NE(games, nullptr);
    int tunes = 0;
    for (const auto &entry : std::filesystem::directory_iterator(games)) {
        if (entry.path().extension() != ".mid")
            continue;
        const MidiBytes bytes = readFileBytes(entry.path());
        const std::optional<double> seconds = midiPlayingSeconds(bytesOf(bytes));
        ASSERT_TRUE(seconds.has_value()) << entry.path();
        EXPECT_NEAR(*seconds, playingSeconds(parseSmf(bytes)), 1e-6) << entry.path();
        EXPECT_LE(*seconds, kLongestTuneSeconds) << entry.path();
        ++tunes;
    }
    EXPECT_EQ(tunes, 72);
}

TEST(MidiLength, AllowsTunesOfAtMostThreeMinutes)
{
    // One note per tune, lasting the whole tune, at 1 second a quarter and 1 tick a quarter.
    const auto tune = [](std::uint32_t seconds) {
        MidiFile file(0, 1);
        MidiTrack &track = file.addTrack();
        track.addTempo(0, 1000000);
        track.addNote(0, seconds, 0, 60, 100);
        return bytesOf(file.bytes());
    };
    EXPECT_NO_THROW(requirePlayableTune(tune(180), "long.mid"));
    try {
        requirePlayableTune(tune(181), "longer.mid");
        FAIL() << "a tune of 3 min 1 s was accepted";
    } catch (const QuorvelError &e) {
        EXPECT_STREQ(e.what(), "The tune \"longer.mid\" plays for 3 min 1 s; a tune may play "
                               "for at most 3 minutes");
    }
    try {
        requirePlayableTune("MThd", "short.mid");
        FAIL() << "a header alone was accepted";
    } catch (const QuorvelError &e) {
        EXPECT_STREQ(e.what(), "\"short.mid\" is not a Standard MIDI File that can be played");
    }
}

} // namespace
} // namespace quorvel
