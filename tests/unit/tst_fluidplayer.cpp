// The FluidSynth media player against the real FluidSynth, with the "file" audio driver
// writing to /dev/null: it renders in real time without a sound card.
#include "play/fluidplayer.h"

#include "library/quorvelerror.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using quorvel::FluidPlayer;
using quorvel::MediaError;
using Clock = std::chrono::steady_clock;

void putBigEndian(std::string &out, unsigned value, int bytes)
{
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

void putVariableLength(std::string &out, unsigned value)
{
    std::string reversed(1, static_cast<char>(value & 0x7F));
    while (value >>= 7)
        reversed += static_cast<char>(0x80 | (value & 0x7F));
    out.append(reversed.rbegin(), reversed.rend());
}

// A tune as a standard MIDI file: one track that sets the tempo and plays its notes one
// after the other, each lasting the given number of ticks.
struct TestTune {
    std::vector<unsigned> noteTicks;
    unsigned division;     // ticks per quarter note
    unsigned usPerQuarter; // tempo

    long lengthMs() const
    {
        unsigned long ticks = 0;
        for (unsigned t : noteTicks)
            ticks += t;
        return static_cast<long>(ticks * usPerQuarter / division / 1000);
    }

    std::string midiFile() const
    {
        std::string track;
        putVariableLength(track, 0);
        track += "\xFF\x51\x03";
        putBigEndian(track, usPerQuarter, 3);
        char key = 60;
        for (unsigned ticks : noteTicks) {
            putVariableLength(track, 0);
            track += {'\x90', key, 100};
            putVariableLength(track, ticks);
            track += {'\x80', key, 0};
            key += 2;
        }
        putVariableLength(track, 0);
        track += std::string("\xFF\x2F\x00", 3);

        std::string file = "MThd";
        putBigEndian(file, 6, 4);
        putBigEndian(file, 0, 2); // format 0
        putBigEndian(file, 1, 2); // one track
        putBigEndian(file, division, 2);
        file += "MTrk";
        putBigEndian(file, static_cast<unsigned>(track.size()), 4);
        return file + track;
    }
};

const TestTune kFiveNotes{{72, 72, 72, 72, 72}, 96, 400000}; // 1.5 s
const TestTune kLongLastNote{{240, 240, 1440}, 480, 500000}; // 2.0 s, the last note 1.5 s
const TestTune kShort{{96, 96, 96}, 96, 200000};             // 0.6 s

// The window polls every 10 ms tick; FluidSynth reports its own end about 3 s after the tune.
constexpr long kToleranceMs = 150;

long msSince(Clock::time_point start)
{
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

FluidPlayer::Options silentOutput()
{
    FluidPlayer::Options options;
    options.drivers = {"file"};
    options.settings = {{"audio.file.name", "/dev/null"}};
    return options;
}

// Plays the open tune and polls isPlaying() as the window does; returns the milliseconds
// from play() to the first false, or -1 after a failure when it did not start at once.
long playedMs(FluidPlayer &player)
{
    const Clock::time_point start = Clock::now();
    player.play();
    while (!player.isPlaying()) {
        if (msSince(start) > 20) {
            ADD_FAILURE() << "the tune did not start playing";
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    while (player.isPlaying() && msSince(start) < 10000)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return msSince(start);
}

std::string openError(FluidPlayer &player, const std::string &fileName)
{
    player.setFileName(fileName);
    try {
        player.open();
    } catch (const MediaError &error) {
        return error.what();
    }
    return "(opened)";
}

class FluidPlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto *test = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path()
               / ("tst_fluidplayer_" + std::to_string(getpid()) + "_" + test->name());
        fs::create_directories(dir_);
    }

    void TearDown() override { fs::remove_all(dir_); }

    std::string write(const std::string &name, const std::string &bytes)
    {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    void openTune(const TestTune &tune, const std::string &name = "tune.mid")
    {
        player_.setFileName(write(name, tune.midiFile()));
        player_.open();
    }

    fs::path dir_;
    FluidPlayer player_{silentOutput()};
};

TEST_F(FluidPlayerTest, PlaysUntilTheLastEventOfTheTune)
{
    EXPECT_FALSE(player_.isPlaying());
    openTune(kFiveNotes);
    EXPECT_FALSE(player_.isPlaying());
    EXPECT_NEAR(playedMs(player_), kFiveNotes.lengthMs(), kToleranceMs);
}

TEST_F(FluidPlayerTest, AWarmedUpPlayerPlaysTheSame)
{
    FluidPlayer warm(silentOutput());
    warm.warmUp();
    warm.setFileName(write("tune.mid", kFiveNotes.midiFile()));
    warm.open();
    EXPECT_NEAR(playedMs(warm), kFiveNotes.lengthMs(), kToleranceMs);
    // A player that is dropped while it is still warming up waits for that to end.
    FluidPlayer dropped(silentOutput());
    dropped.warmUp();
}

TEST_F(FluidPlayerTest, ALongLastNoteIsWaitedForUntilItEnds)
{
    openTune(kLongLastNote);
    EXPECT_NEAR(playedMs(player_), kLongLastNote.lengthMs(), kToleranceMs);
}

TEST_F(FluidPlayerTest, OpeningAnotherTuneStopsThePlayingOne)
{
    openTune(kLongLastNote, "long.mid");
    player_.play();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(player_.isPlaying());

    openTune(kShort, "short.mid");
    EXPECT_FALSE(player_.isPlaying());
    EXPECT_NEAR(playedMs(player_), kShort.lengthMs(), kToleranceMs);
}

TEST_F(FluidPlayerTest, PlayStartsOverFromTheBeginning)
{
    openTune(kShort);
    player_.play();
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_NEAR(playedMs(player_), kShort.lengthMs(), kToleranceMs);
}

TEST_F(FluidPlayerTest, CloseStopsAtOnceAndLeavesNothingToPlay)
{
    openTune(kFiveNotes);
    player_.play();
    ASSERT_TRUE(player_.isPlaying());
    player_.close();
    EXPECT_FALSE(player_.isPlaying());
    player_.play();
    EXPECT_FALSE(player_.isPlaying());
}

TEST_F(FluidPlayerTest, AFailedOpenStopsTheTuneAndLeavesNothingOpen)
{
    openTune(kFiveNotes);
    player_.play();
    ASSERT_TRUE(player_.isPlaying());
    const std::string missing = (dir_ / "missing.mid").string();
    EXPECT_EQ(openError(player_, missing), "The tune file \"" + missing + "\" does not exist");
    EXPECT_FALSE(player_.isPlaying());
    player_.play();
    EXPECT_FALSE(player_.isPlaying());
}

TEST_F(FluidPlayerTest, RefusedFilesGetATextNamingThem)
{
    const std::string text = write("notes.mid", "These are no notes.\n");
    const std::string folder = (dir_ / "folder.mid").string();
    fs::create_directory(folder);
    const std::string missing = (dir_ / "missing.mid").string();

    EXPECT_EQ(openError(player_, ""), "The tune file name is empty");
    EXPECT_EQ(openError(player_, missing), "The tune file \"" + missing + "\" does not exist");
    EXPECT_EQ(openError(player_, text), "The file \"" + text + "\" is not a MIDI file");
    EXPECT_EQ(openError(player_, folder), "The file \"" + folder + "\" is not a MIDI file");
}

TEST_F(FluidPlayerTest, AnUnreadableFileIsRefused)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    const std::string locked = write("locked.mid", kShort.midiFile());
    fs::permissions(locked, fs::perms::none);
    EXPECT_EQ(openError(player_, locked), "The tune file \"" + locked + "\" cannot be read");
}

// The first open sets up the synthesiser, the sound font and the output; later ones must
// stay cheap, as one comes with every page change. Enough tunes pass here for the player
// to restart its output to free the stopped FluidSynth players.
TEST_F(FluidPlayerTest, LaterOpensAreCheapAndKeepPlaying)
{
    const std::string file = write("tune.mid", kShort.midiFile());
    player_.setFileName(file);
    Clock::time_point start = Clock::now();
    player_.open();
    const long firstMs = msSince(start);

    long slowestUs = 0;
    for (int i = 0; i < 150; ++i) {
        player_.play();
        ASSERT_TRUE(player_.isPlaying()) << "play " << i;
        start = Clock::now();
        player_.open();
        const auto took = Clock::now() - start;
        const auto us = std::chrono::duration_cast<std::chrono::microseconds>(took).count();
        slowestUs = std::max(slowestUs, static_cast<long>(us));
    }
    std::printf("first open %ld ms, slowest later open %ld us\n", firstMs, slowestUs);
    EXPECT_LT(slowestUs, 50000);
    EXPECT_NEAR(playedMs(player_), kShort.lengthMs(), kToleranceMs);
}

TEST_F(FluidPlayerTest, NoUsableAudioOutputNamesTheDriversTried)
{
    FluidPlayer::Options options = silentOutput();
    options.drivers = {"no-such-driver", "neither-this"};
    FluidPlayer player(options);
    const std::string tune = write("tune.mid", kShort.midiFile());
    const std::string expected = "No audio output is available to play \"" + tune
                                 + "\": tried no-such-driver, neither-this";
    EXPECT_EQ(openError(player, tune), expected);
    player.play();
    EXPECT_FALSE(player.isPlaying());
    EXPECT_EQ(openError(player, tune), expected);
}

TEST_F(FluidPlayerTest, AMissingSoundFontIsNamed)
{
    FluidPlayer::Options options = silentOutput();
    options.soundFont = (dir_ / "none.sf2").string();
    FluidPlayer player(options);
    const std::string tune = write("tune.mid", kShort.midiFile());
    EXPECT_EQ(openError(player, tune), "The sound font \"" + options.soundFont + "\" to play \""
                                           + tune + "\" cannot be loaded");
}

TEST_F(FluidPlayerTest, SettingsTakeTheirOwnTypes)
{
    const std::string tune = write("tune.mid", kShort.midiFile());
    FluidPlayer::Options options = silentOutput();
    options.settings.push_back({"audio.period-size", "128"});
    options.settings.push_back({"synth.gain", "0.5"});
    FluidPlayer player(options);
    EXPECT_EQ(openError(player, tune), "(opened)");

    for (const auto &[name, value] : {std::pair{"audio.period-size", "lots"},
                                      std::pair{"audio.no-such-setting", "1"}}) {
        FluidPlayer::Options wrong = silentOutput();
        wrong.settings.push_back({name, value});
        FluidPlayer refusing(wrong);
        EXPECT_EQ(openError(refusing, tune), "The audio setting \"" + std::string(name) + "="
                                                 + value + "\" is not valid");
    }
}

} // namespace
