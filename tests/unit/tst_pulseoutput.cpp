// The player's own client of the sound server, against a real PulseAudio server of the test's
// own (a null sink, its monitor recorded), as a player meets it on the desktop. Its waits
// poll with a generous bound: only a tune that is never heard, never ends or never lets go
// of the server breaks them. Without PulseAudio the program reports itself skipped.
#include "play/fluidplayer.h"

#include "library/quorvelerror.h"
#include "polling.h"
#include "steptune.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using test::eventually;
using test::TestTune;

bool onPath(const std::string &program)
{
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// Starts a program with its standard output into `out` (or nowhere); -1 when it can't.
pid_t spawn(const std::vector<std::string> &arguments, const fs::path &out = "/dev/null")
{
    std::vector<char *> argv;
    for (const std::string &a : arguments)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void stop(pid_t &pid, int signal = SIGTERM)
{
    if (pid <= 0)
        return;
    ::kill(pid, signal);
    ::waitpid(pid, nullptr, 0);
    pid = -1;
}

std::string output(const std::string &command)
{
    std::string text;
    if (FILE *pipe = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe))
            text += buffer;
        ::pclose(pipe);
    }
    return text;
}

// A private sound server with one null sink, reached through PULSE_SERVER, which the player's
// client and the command-line tools all follow.
class PulseOutputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("tst_pulseoutput_" + std::to_string(getpid()));
        fs::create_directories(dir_ / "runtime");
        fs::permissions(dir_ / "runtime", fs::perms::owner_all);
        const std::string socket = (dir_ / "native").string();
        ::setenv("XDG_RUNTIME_DIR", (dir_ / "runtime").c_str(), 1);
        ::setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
        server_ = spawn({"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                         "--use-pid-file=no", "--load=module-null-sink sink_name=quorvel_test",
                         "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket});
        ASSERT_GT(server_, 0);
        ASSERT_TRUE(eventually([] { return std::system("pactl info >/dev/null 2>&1") == 0; }))
            << "the sound server did not start";
    }

    void TearDown() override
    {
        if (server_ > 0)
            ::kill(server_, SIGCONT);
        stop(recorder_);
        stop(server_);
        if (!dir_.empty())
            fs::remove_all(dir_);
    }

    // Records what the sink plays, as a listener would hear it.
    void record()
    {
        recorder_ = spawn({"parec", "--device=quorvel_test.monitor", "--raw", "--format=s16le",
                           "--rate=44100", "--channels=2"},
                          dir_ / "heard.raw");
        ASSERT_GT(recorder_, 0);
        ASSERT_TRUE(eventually([this] { return streams("source-outputs") > 0; }));
    }

    std::size_t bytesHeard() const { return fs::file_size(dir_ / "heard.raw"); }

    // The loudest sample recorded so far, after the first `from` bytes.
    int loudestHeard(std::size_t from = 0)
    {
        std::ifstream in(dir_ / "heard.raw", std::ios::binary);
        in.seekg(static_cast<std::streamoff>(from & ~std::size_t(1)));
        std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
        int loudest = 0;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
            const auto sample = static_cast<short>(static_cast<unsigned char>(bytes[i])
                                                   | (static_cast<unsigned char>(bytes[i + 1])
                                                      << 8));
            loudest = std::max(loudest, std::abs(static_cast<int>(sample)));
        }
        return loudest;
    }

    // Streams of a kind ("sink-inputs": players, "source-outputs": recorders) on the server.
    static int streams(const std::string &kind)
    {
        const std::string list = output("pactl list short " + kind + " 2>/dev/null");
        return static_cast<int>(std::count(list.begin(), list.end(), '\n'));
    }

    std::string write(const std::string &name, const TestTune &tune)
    {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << tune.midiFile();
        return path.string();
    }

    static FluidPlayer::Options serverOnly()
    {
        FluidPlayer::Options options;
        options.drivers = {"pulseaudio"};
        return options;
    }

    fs::path dir_;
    pid_t server_ = -1;
    pid_t recorder_ = -1;
};

TEST_F(PulseOutputTest, ATuneIsHeardAndTheServerIsLeftWhenItHasEnded)
{
    record();
    FluidPlayer player(serverOnly());
    player.setFileName(write("short.mid", TestTune{{96, 96, 96}, 96, 200000}));
    player.open();
    EXPECT_EQ(streams("sink-inputs"), 1) << "open() starts the output";
    player.play();
    ASSERT_TRUE(player.isPlaying());
    EXPECT_TRUE(eventually([&] { return !player.isPlaying(); })) << "the tune never ended";
    EXPECT_TRUE(eventually([&] { return !player.outputRunning(); }))
        << "the output kept running after the tune";
    EXPECT_TRUE(eventually([] { return streams("sink-inputs") == 0; }))
        << "the stream stayed on the server";
    EXPECT_GT(loudestHeard(), 1000) << "nothing was heard";
}

TEST_F(PulseOutputTest, ATuneWhoseServerGoesAwayStopsPlaying)
{
    FluidPlayer player(serverOnly());
    player.setFileName(write("long.mid", TestTune{{960, 960, 960, 960}, 96, 500000}));
    player.open();
    player.play();
    ASSERT_TRUE(player.isPlaying());
    stop(server_, SIGKILL);
    EXPECT_TRUE(eventually([&] { return !player.isPlaying(); }))
        << "a tune without its server counted as playing";

    player.setFileName(write("next.mid", TestTune{{96}, 96, 500000}));
    try {
        player.open();
        ADD_FAILURE() << "opened a tune without a sound server";
    } catch (const MediaError &error) {
        EXPECT_NE(std::string(error.what()).find("No audio output is available to play"),
                  std::string::npos)
            << error.what();
    }
}

// A server that stops answering, before a tune or while one plays, holds nothing of the
// player: open() gives up with a text that says so, the tune stops counting as playing, the
// same player is heard again once the server answers, and a player whose server stalls
// again goes without waiting for it.
TEST_F(PulseOutputTest, AStalledServerHoldsNothingAndIsHeardAgainOnceItAnswers)
{
    record();
    const std::string tune = write("long.mid", TestTune{{960, 960, 960, 960}, 96, 500000});
    const std::string next = write("short.mid", TestTune{{96, 96, 96}, 96, 200000});
    auto openError = [](FluidPlayer &player) -> std::string {
        try {
            player.open();
            return "";
        } catch (const MediaError &error) {
            return error.what();
        }
    };
    for (const bool duringTune : {false, true}) {
        SCOPED_TRACE(duringTune ? "stopped during a tune" : "stopped before a tune");
        auto player = std::make_unique<FluidPlayer>(serverOnly());
        player->setFileName(tune);
        if (duringTune) {
            player->open();
            player->play();
            ASSERT_TRUE(player->isPlaying());
        }
        ::kill(server_, SIGSTOP);
        if (!duringTune) {
            const std::string expected = "No audio output is available to play \"" + tune
                                         + "\": the sound server does not answer";
            EXPECT_EQ(openError(*player), expected);
            EXPECT_EQ(openError(*player), expected) << "asked the server again";
            player->play();
        }
        EXPECT_TRUE(eventually([&] { return !player->isPlaying(); }));

        ::kill(server_, SIGCONT);
        const std::size_t resumed = bytesHeard();
        player->setFileName(next);
        EXPECT_TRUE(eventually([&] { return openError(*player).empty(); }));
        player->play();
        EXPECT_TRUE(eventually([&] { return loudestHeard(resumed) > 1000; }))
            << "nothing was heard once the server answered again";

        ::kill(server_, SIGSTOP);
        std::atomic<bool> gone = false;
        std::thread end([&] {
            player.reset();
            gone = true;
        });
        EXPECT_TRUE(eventually([&] { return gone.load(); })) << "the player waited for the server";
        ::kill(server_, SIGCONT);
        end.join();
    }
}

} // namespace
} // namespace quorvel

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (!quorvel::onPath("pulseaudio") || !quorvel::onPath("parec")
        || !quorvel::onPath("pactl")) {
        std::puts("PulseAudio and its tools are not installed: skipped");
        return 77; // SKIP_RETURN_CODE in tst_pulseoutput.cmake
    }
    return RUN_ALL_TESTS();
}
