// The FluidSynth media player against the real FluidSynth, with the "file" audio driver: it
// renders in real time without a sound card, into a file the tests read back. How long a
// tune played is read from the audio rendered, which no busy machine changes, never from a
// clock; waits for the audio thread poll with a bound that only a tune that never ends breaks.
#include "play/fluidplayer.h"

#include "library/quorvelerror.h"
#include "play/audiooutput.h"
#include "fileoutput.h"
#include "polling.h"
#include "steptune.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using quorvel::FluidPlayer;
using quorvel::MediaError;
using quorvel::test::TestTune;
using quorvel::test::eventually;
using quorvel::test::fileOutput;
using quorvel::test::renderedMs;
using quorvel::test::silentOutput;

const TestTune kFiveNotes{{72, 72, 72, 72, 72}, 96, 400000}; // 1.5 s
const TestTune kLongLastNote{{240, 240, 1440}, 480, 500000}; // 2.0 s, the last note 1.5 s
const TestTune kShort{{96, 96, 96}, 96, 200000};             // 0.6 s

constexpr long kRate = quorvel::test::kRenderedRate;
// Rendered audio beyond a tune's last event that only a fault reaches: a tune that never ends.
constexpr long kLateMs = 5000;

// 16-bit stereo samples of a raw file, interleaved left and right.
std::vector<short> readSamples(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<short> samples(bytes.size() / sizeof(short));
    std::copy_n(bytes.data(), samples.size() * sizeof(short),
                reinterpret_cast<char *>(samples.data()));
    return samples;
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

// A fresh folder per test, named after it.
fs::path testFolder()
{
    const auto *test = ::testing::UnitTest::GetInstance()->current_test_info();
    fs::path dir = fs::temp_directory_path()
                   / ("tst_fluidplayer_" + std::to_string(getpid()) + "_" + test->name());
    fs::create_directories(dir);
    return dir;
}

class FluidPlayerTest : public ::testing::Test {
protected:

    void TearDown() override { fs::remove_all(dir_); }

    std::string write(const std::string &name, const std::string &bytes)
    {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    void openTune(FluidPlayer &player, const TestTune &tune, const std::string &name = "t.mid")
    {
        player.setFileName(write(name, tune.midiFile()));
        player.open();
    }

    // Plays the open tune and polls isPlaying() as the window does, until it reads false.
    // Gives the milliseconds of audio rendered from play() to then: never less than the tune,
    // which has played to its last event; -1 when it did not start.
    long renderedMsAtEnd(FluidPlayer &player)
    {
        const long before = renderedMs(output_);
        player.play();
        if (!player.isPlaying()) {
            ADD_FAILURE() << "the tune did not start playing";
            return -1;
        }
        EXPECT_TRUE(eventually([&] { return !player.isPlaying(); })) << "the tune never ended";
        return renderedMs(output_) - before;
    }

    // A tune that plays to its last event and not much beyond it.
    void expectPlayedWhole(FluidPlayer &player, const TestTune &tune)
    {
        const long ms = renderedMsAtEnd(player);
        // One audio period may still lie in the file writer's buffer.
        EXPECT_GE(ms, tune.lengthMs() - 30);
        EXPECT_LT(ms, tune.lengthMs() + kLateMs) << "ended long after its last event";
    }

    fs::path dir_ = testFolder();
    fs::path output_ = dir_ / "out.raw";
    FluidPlayer player_{fileOutput(output_)};
};

TEST_F(FluidPlayerTest, PlaysUntilTheLastEventOfTheTune)
{
    EXPECT_FALSE(player_.isPlaying());
    for (const TestTune &tune : {kFiveNotes, kLongLastNote}) {
        openTune(player_, tune);
        EXPECT_FALSE(player_.isPlaying());
        expectPlayedWhole(player_, tune);
    }
}

TEST_F(FluidPlayerTest, AWarmedUpPlayerPlaysTheSame)
{
    FluidPlayer warm(fileOutput(output_));
    warm.warmUp();
    openTune(warm, kFiveNotes);
    expectPlayedWhole(warm, kFiveNotes);
    // A player that is dropped while it is still warming up waits for that to end.
    FluidPlayer dropped(silentOutput());
    dropped.warmUp();
}

TEST_F(FluidPlayerTest, OpeningAnotherTuneStopsThePlayingOne)
{
    openTune(player_, kLongLastNote, "long.mid");
    player_.play();
    ASSERT_TRUE(player_.isPlaying());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    openTune(player_, kShort, "short.mid");
    EXPECT_FALSE(player_.isPlaying());
    expectPlayedWhole(player_, kShort);
}

TEST_F(FluidPlayerTest, PlayStartsOverFromTheBeginning)
{
    openTune(player_, kShort);
    player_.play();
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    expectPlayedWhole(player_, kShort);
}

// The output runs only while a tune sounds: from open() to the end of the tune's release
// (plus FluidSynth's short wait for the reverb), and a tune opened but never played keeps it
// only briefly.
TEST_F(FluidPlayerTest, TheOutputRunsOnlyWhileATuneSounds)
{
    EXPECT_FALSE(player_.outputRunning());
    openTune(player_, kShort);
    EXPECT_TRUE(player_.outputRunning());
    renderedMsAtEnd(player_);
    EXPECT_TRUE(eventually([&] { return !player_.outputRunning(); }));
    const auto size = fs::file_size(output_);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(fs::file_size(output_), size) << "still rendering";

    openTune(player_, kShort);
    EXPECT_TRUE(eventually([&] { return !player_.outputRunning(); }));
    // A play after the output stopped starts it again; a close stops it soon after.
    player_.play();
    EXPECT_TRUE(player_.outputRunning());
    EXPECT_TRUE(player_.isPlaying());
    player_.close();
    EXPECT_FALSE(player_.isPlaying());
    EXPECT_TRUE(eventually([&] { return !player_.outputRunning(); }));
}

// A tune started right after another, while the other still plays or rings out, is heard
// from its first note. The tunes use the same channel, the first panned hard left and the
// second hard right, so the right channel holds the second tune's sound alone.
TEST_F(FluidPlayerTest, ATuneRightAfterAnotherIsHeardFromItsFirstNote)
{
    FluidPlayer::Options options = fileOutput(output_);
    options.settings.push_back({"synth.reverb.active", "0"});
    options.settings.push_back({"synth.chorus.active", "0"});
    const TestTune longLeft{{480, 1440}, 480, 500000, 0};   // 2 s
    const TestTune shortLeft{{48}, 480, 500000, 0};         // 50 ms
    const TestTune oneNoteRight{{192}, 480, 500000, 127};   // 200 ms
    struct Case {
        const char *name;
        TestTune before;
        int playedMs; // how long the first tune plays before the second opens
    };
    for (const Case &c : {Case{"still playing", longLeft, 300},
                          Case{"ringing out", shortLeft, 300}}) {
        SCOPED_TRACE(c.name);
        FluidPlayer player(options);
        openTune(player, c.before, "before.mid");
        player.play();
        std::this_thread::sleep_for(std::chrono::milliseconds(c.playedMs));
        openTune(player, oneNoteRight, "after.mid");
        renderedMsAtEnd(player);
        player.close();

        const std::vector<short> samples = readSamples(output_);
        constexpr long kWindow = kRate / 200; // 5 ms
        auto peak = [&](long frame) {
            int loudest = 0;
            for (long f = frame; f < frame + kWindow && 2 * f + 1 < long(samples.size()); ++f)
                loudest = std::max(loudest, std::abs(int(samples[2 * f + 1])));
            return loudest;
        };
        long onset = 0;
        while (2 * onset < long(samples.size()) && peak(onset) < 300)
            onset += kWindow;
        ASSERT_LT(2 * onset, long(samples.size())) << "the second tune was never heard";
        for (long f = onset; f < onset + kRate / 20; f += kWindow)
            EXPECT_GE(peak(f), 300) << "silent " << (f - onset) * 1000 / kRate << " ms in";
    }
}

TEST_F(FluidPlayerTest, CloseStopsAtOnceAndLeavesNothingToPlay)
{
    openTune(player_, kFiveNotes);
    player_.play();
    ASSERT_TRUE(player_.isPlaying());
    player_.close();
    EXPECT_FALSE(player_.isPlaying());
    player_.play();
    EXPECT_FALSE(player_.isPlaying());
}

TEST_F(FluidPlayerTest, AFailedOpenStopsTheTuneAndLeavesNothingOpen)
{
    openTune(player_, kFiveNotes);
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

// Every page change opens a tune; many in a row, more than the player keeps stopped players
// for, must each play, and the last one to its end.
TEST_F(FluidPlayerTest, ManyTunesInARowEachPlay)
{
    const std::string file = write("tune.mid", kShort.midiFile());
    player_.setFileName(file);
    for (int i = 0; i < 70; ++i) {
        player_.open();
        player_.play();
        ASSERT_TRUE(player_.isPlaying()) << "play " << i;
    }
    player_.open();
    expectPlayedWhole(player_, kShort);
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

// The sound font: the first choice by its full path, else FluidSynth's configured default,
// else the first .sf2 or .sf3 by name in the folders; without any, a text saying where it
// looked.
TEST_F(FluidPlayerTest, TheSoundFontIsSearchedInOrder)
{
    const std::string first = write("first.sf2", "x");
    const std::string configured = write("configured.sf3", "x");
    fs::create_directories(dir_ / "a");
    fs::create_directories(dir_ / "b/z.sf2");
    write("a/notes.txt", "x");
    const std::string inB = write("b/m.sf3", "x");
    write("b/n.sf2", "x");
    const std::string none = (dir_ / "none.sf2").string();
    const std::vector<std::string> folders = {(dir_ / "a").string(), (dir_ / "b").string()};

    EXPECT_EQ(FluidPlayer::findSoundFont(first, configured, folders, "t"), first);
    EXPECT_EQ(FluidPlayer::findSoundFont(none, configured, folders, "t"), configured);
    EXPECT_EQ(FluidPlayer::findSoundFont(none, none, folders, "t"), inB);
    EXPECT_EQ(FluidPlayer::findSoundFont(none, "", folders, "t"), inB);

    // End to end: nothing found anywhere, and a found file that is no sound font.
    FluidPlayer::Options options = silentOutput();
    options.soundFont = none;
    options.soundFontFolders = {folders[0], (dir_ / "missing").string()};
    options.settings.push_back({"synth.default-soundfont", (dir_ / "default.sf2").string()});
    const std::string tune = write("tune.mid", kShort.midiFile());
    FluidPlayer lost(options);
    EXPECT_EQ(openError(lost, tune),
              "No sound font was found to play \"" + tune + "\": looked for \"" + none
                  + "\", FluidSynth's default \"" + (dir_ / "default.sf2").string()
                  + "\" and any .sf2 or .sf3 file in " + folders[0] + " and "
                  + (dir_ / "missing").string());
    options.soundFont = first;
    FluidPlayer broken(options);
    EXPECT_EQ(openError(broken, tune), "The sound font \"" + first + "\" to play \"" + tune
                                           + "\" cannot be loaded");
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

// A call that answers in time gives its result or its error; one that does not is given up
// at its bound, counts as late until it ends on its own, and drops its result there.
TEST(BoundedCallsTest, ALateCallIsGivenUpAndDropsItsResultWhenItEnds)
{
    quorvel::BoundedCalls calls;
    const auto forever = std::chrono::hours(1);
    EXPECT_EQ(calls.run([] { return 7; }, forever), 7);
    EXPECT_THROW(calls.run([]() -> int { throw MediaError("no"); }, forever), MediaError);

    std::promise<void> answer;
    std::shared_future<void> answered = answer.get_future().share();
    auto result = std::make_shared<int>(1);
    std::weak_ptr<int> dropped = result;
    const auto late = calls.run(
        [answered, held = std::move(result)]() mutable {
            answered.wait();
            return std::move(held);
        },
        std::chrono::milliseconds(0));
    EXPECT_FALSE(late.has_value());
    EXPECT_EQ(calls.late(), 1);
    answer.set_value();
    EXPECT_TRUE(eventually([&] { return calls.late() == 0; }));
    EXPECT_TRUE(dropped.expired()) << "the late result was kept";
}

} // namespace
