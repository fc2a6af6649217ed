// Every tune the default games name is one the real player opens and plays, and the
// player's end of a tune comes neither at once nor never: how long it played is read from the
// audio rendered, never from a clock; how closely it keeps time is the benchmark's business.
#include "library/defaultlibrary.h"
#include "midireader.h"
#include "play/fluidplayer.h"
#include "fileoutput.h"
#include "polling.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace quorvel {
namespace {

using test::eventually;
using test::fileOutput;
using test::renderedMs;
using test::silentOutput;

std::filesystem::path gamesFolder()
{
    const char *folder = std::getenv("QUORVEL_GAMES_DIR");
    return folder ? folder : "";
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
            EXPECT_TRUE(eventually([&] { return player.isPlaying(); }));
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
    const auto rendered = std::filesystem::temp_directory_path()
                          / ("tst_defaulttunes_" + std::to_string(::getpid()) + ".raw");
    {
        FluidPlayer player(fileOutput(rendered));
        player.setFileName(file.string());
        player.open();
        const long before = renderedMs(rendered);
        player.play();
        ASSERT_TRUE(player.isPlaying());
        // As long as the tune and twice its length again may take on the busiest machine.
        const int polls = static_cast<int>(seconds * 3 * 200);
        ASSERT_TRUE(eventually([&] { return !player.isPlaying(); }, 4000 + polls))
            << "the tune never ends";
        // How long it played is read from the audio rendered, not from a clock: all of it up
        // to its last event, and not much beyond.
        const double played = (renderedMs(rendered) - before) / 1000.0;
        EXPECT_GE(played, seconds - 0.05) << "the tune ended early";
        EXPECT_LT(played, seconds + 5) << "the tune ended long after its last event";
    }
    std::filesystem::remove(rendered);
}

} // namespace
} // namespace quorvel
