// Every tune the default games name is one the real player opens and plays, and the
// player's end of a tune comes neither at once nor never. The real synthesiser plays in real
// time, so its bounds are wide enough that only such a fault breaks them, also in a sanitizer
// build on a busy machine; how closely it keeps time is the benchmark's business.
#include "library/defaultlibrary.h"
#include "midireader.h"
#include "play/fluidplayer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace quorvel {
namespace {

using Clock = std::chrono::steady_clock;

FluidPlayer::Options silentOutput()
{
    FluidPlayer::Options options;
    options.drivers = {"file"};
    options.settings = {{"audio.file.name", "/dev/null"}};
    return options;
}

std::filesystem::path gamesFolder()
{
    const char *folder = std::getenv("QUORVEL_GAMES_DIR");
    return folder ? folder : "";
}

// How long the player may take to report a change of state, beyond the tune's own length:
// far more than it ever takes.
constexpr std::chrono::seconds kPatience{30};

// Waits up to `limit` for the player's state to become `playing`.
bool becomes(FluidPlayer &player, bool playing, std::chrono::milliseconds limit)
{
    const auto end = Clock::now() + limit;
    while (Clock::now() < end) {
        if (player.isPlaying() == playing)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

TEST(DefaultTunes, EveryNamedTuneOpensAndPlays)
{
    FluidPlayer player(silentOutput());
    for (const DefaultGame &game : kDefaultGames) {
        for (int slot = 1; slot <= kHelpTuneSlot; ++slot) {
            const auto file = gamesFolder() / defaultMidiName(game, slot);
            SCOPED_TRACE(file.string());
            player.setFileName(file.string());
            ASSERT_NO_THROW(player.open());
            player.play();
            EXPECT_TRUE(becomes(player, true, kPatience));
            player.close();
            EXPECT_FALSE(player.isPlaying());
        }
    }
}

TEST(DefaultTunes, AWinTunePlaysForItsLength)
{
    const auto file = gamesFolder() / defaultMidiName(kDefaultGames[0], kWinTuneSlot);
    const double seconds = playingSeconds(parseSmf(readFileBytes(file)));
    ASSERT_GT(seconds, 1.0);
    FluidPlayer player(silentOutput());
    player.setFileName(file.string());
    player.open();
    const auto start = Clock::now();
    player.play();
    ASSERT_TRUE(becomes(player, true, kPatience));
    const auto length = std::chrono::milliseconds(int(seconds * 1000));
    ASSERT_TRUE(becomes(player, false, length + kPatience)) << "the tune never ends";
    const double played = std::chrono::duration<double>(Clock::now() - start).count();
    // The audio thread renders no faster than real time, so a tune that ends well before its
    // length was cut short or played too fast.
    EXPECT_GE(played, 0.8 * seconds) << "the tune ended early";
}

} // namespace
} // namespace quorvel
