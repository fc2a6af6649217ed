#include "library/quorvelerror.h"
#include "play/tickclock.h"
#include "play/tunes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace quorvel {
namespace {

// A pump whose blocking pass stands for one 10 ms tick of the timer; events scripted for a
// pass run inside it, as window events do inside a pause.
struct FakePump : EventPump {
    TickClock *clock = nullptr;
    int passes = 0;
    int blockingPasses = 0;
    std::vector<std::function<void()>> events; // run one per pass, in order

    void processEvents(bool waitIfNone) override
    {
        ++passes;
        if (!events.empty()) {
            auto event = std::move(events.front());
            events.erase(events.begin());
            event();
            return;
        }
        if (waitIfNone) {
            ++blockingPasses;
            clock->Timer1Timer();
        }
    }
};

struct Clock : ::testing::Test {
    FakePump pump;
    int repaints = 0;
    TickClock clock{pump, [this] { ++repaints; }};
    void SetUp() override { pump.clock = &clock; }
};

TEST_F(Clock, WaitOfZeroHandlesPendingEventsOnce)
{
    clock.WaitTicks(0);
    EXPECT_EQ(pump.passes, 1);
    EXPECT_EQ(pump.blockingPasses, 0);
    EXPECT_EQ(clock.TickCount, 1);
    clock.WaitTicks(-3);
    EXPECT_EQ(pump.passes, 2);
}

TEST_F(Clock, WaitLastsItsTicksAndBlocksBetweenThem)
{
    clock.WaitTicks(5);
    EXPECT_EQ(clock.TickCount, 6);
    EXPECT_EQ(pump.blockingPasses, 5);
    EXPECT_EQ(pump.passes, 5) << "no pass spins without an event";
    clock.WaitTicks(10);
    EXPECT_EQ(clock.TickCount, 11);
}

TEST_F(Clock, EveryFiftiethTickRepaints)
{
    for (int t = 1; t <= 151; ++t) {
        clock.Timer1Timer();
        const int expected = t / 50;
        EXPECT_EQ(repaints, expected) << "tick " << t;
    }
}

TEST_F(Clock, NestedWaitRestartsTheOuterOne)
{
    // Two ticks into a 5-tick wait, an event handler pauses for 3 ticks of its own.
    pump.events = {[&] { clock.Timer1Timer(); }, [&] { clock.Timer1Timer(); },
                   [&] { clock.WaitTicks(3); }};
    clock.WaitTicks(5);
    // The inner wait leaves the counter at 4; the outer one needs two more ticks after it.
    EXPECT_EQ(clock.TickCount, 6);
    EXPECT_EQ(pump.blockingPasses, 3 + 2);
}

// A player whose tune plays for a set number of polls.
struct ScriptedPlayer : MediaPlayer {
    std::vector<std::string> log;
    int playPolls = 0;
    int remaining = 0;
    bool openFails = false;
    std::string name;
    void setFileName(const std::string &f) override { name = f; }
    void open() override
    {
        log.push_back("open " + name);
        if (openFails)
            throw MediaError("Cannot open the tune " + name);
    }
    void play() override
    {
        log.push_back("play");
        remaining = playPolls;
    }
    bool isPlaying() override { return remaining-- > 0; }
    void close() override {}
};

struct TuneCues : Clock {
    ScriptedPlayer player;
    Tunes tunes{player, clock};
};

TEST_F(TuneCues, StartTuneOpensWaitsFiveTicksThenPlays)
{
    pump.events = {[&] { EXPECT_EQ(player.log, (std::vector<std::string>{"open a.mid"})); }};
    tunes.StartTune("a.mid");
    EXPECT_EQ(player.log, (std::vector<std::string>{"open a.mid", "play"}));
    EXPECT_EQ(clock.TickCount, 6);
    EXPECT_EQ(pump.blockingPasses, 5);
}

TEST_F(TuneCues, PlayTuneToEndPollsEveryTickThenWaitsFive)
{
    player.playPolls = 20;
    tunes.PlayTuneToEnd("b.mid");
    // 21 one-tick waits (the 21st poll reads "not playing"), then 5 ticks.
    EXPECT_EQ(pump.blockingPasses, 21 + 5);
    EXPECT_EQ(clock.TickCount, 6);
    EXPECT_EQ(repaints, 0) << "no periodic repaint while a tune is awaited";
}

TEST_F(TuneCues, TuneThatNeverPlaysCostsOneTick)
{
    player.playPolls = 0;
    tunes.PlayTuneToEnd("c.mid");
    EXPECT_EQ(pump.blockingPasses, 1 + 5);
}

TEST_F(TuneCues, CardCueWithoutMusicIsAPauseOfTenTicks)
{
    tunes.PlayCardTune(false, "d.mid");
    EXPECT_TRUE(player.log.empty()) << "no media player operation with music off";
    EXPECT_EQ(pump.blockingPasses, 10);
    EXPECT_EQ(clock.TickCount, 11);
    player.playPolls = 2;
    tunes.PlayCardTune(true, "d.mid");
    EXPECT_EQ(player.log.front(), "open d.mid");
}

TEST_F(TuneCues, FailedOpenEndsTheCueBeforeAnyWait)
{
    player.openFails = true;
    EXPECT_THROW(tunes.StartTune("e.mid"), MediaError);
    EXPECT_THROW(tunes.PlayTuneToEnd("e.mid"), MediaError);
    EXPECT_EQ(pump.passes, 0);
}

TEST(MusicSwitch, OnlyTheExactCaptionMeansOn)
{
    EXPECT_TRUE(MusicOn("MUSIC"));
    EXPECT_FALSE(MusicOn("Music"));
    EXPECT_FALSE(MusicOn("MUSIC "));
    EXPECT_FALSE(MusicOn("NO MUSIC"));
    EXPECT_FALSE(MusicOn(""));
}

} // namespace
} // namespace quorvel
