#include "library/quorvelerror.h"
#include "play/turnengine.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace quorvel {
namespace {

// Records what the engine asks of the window; a tune can run an action "during" its wait.
struct FakeHost : TurnHost {
    std::string caption = "1";
    bool music = true;
    bool playersEnabled = true;
    std::string status;
    Rgb frame{};
    int repaints = 0;
    int tickRestarts = 0;
    std::vector<int> cardTunes;
    int winTunes = 0;
    std::vector<std::string> errors;
    std::function<void()> duringCardTune;
    bool cardTuneFails = false;
    std::vector<std::string> news;

    void repaintBoard() override { ++repaints; }
    void restartTicks() override { ++tickRestarts; }
    void enablePlayersButton(bool enabled) override { playersEnabled = enabled; }
    std::string playersCaption() override { return caption; }
    void showStatus(const std::string &text) override { status = text; }
    void showFrameColour(Rgb colour) override { frame = colour; }
    void playCardTune(int picture) override
    {
        cardTunes.push_back(picture);
        if (duringCardTune)
            duringCardTune();
        if (cardTuneFails)
            throw MediaError("Cannot open the tune");
    }
    bool musicOn() override { return music; }
    void playWinTune() override { ++winTunes; }
    void reportError(const std::string &message) override { errors.push_back(message); }
    void announce(const std::string &text) override { news.push_back(text); }
};

// Cards in deal order 1..30: position p holds card p, so p and p + 15 pair.
RandomSource inOrder()
{
    auto next = std::make_shared<int>(0);
    return [next](int) { return (*next)++ % 30; };
}

struct Engine : ::testing::Test {
    FakeHost host;
    TurnEngine engine{host};

    void SetUp() override { engine.Deal(inOrder()); }
    void click(int p) { engine.Click(PositionColumn(p), PositionRow(p)); }
    int state(int p) { return engine.board.CellState[PositionColumn(p)][PositionRow(p)]; }
};

TEST_F(Engine, DealResetsTheTurnAndShowsRed)
{
    host.caption = "2";
    click(1);
    click(2); // mismatch: GREEN to play
    click(3);
    EXPECT_EQ(engine.CurrentPlayer, kGreen);
    EXPECT_FALSE(host.playersEnabled);
    engine.Deal(inOrder());
    EXPECT_EQ(engine.CurrentPlayer, kRed);
    EXPECT_EQ(engine.PickCount, 0);
    EXPECT_EQ(engine.CardsTurned, 0);
    EXPECT_FALSE(engine.PairPending);
    EXPECT_TRUE(host.playersEnabled);
    EXPECT_EQ(host.status, "Current Player = RED");
    EXPECT_EQ(host.frame, (Rgb{255, 0, 0}));
    EXPECT_EQ(engine.PickString, std::string(30, '0'));
}

TEST_F(Engine, FirstCardTwiceIsNoSecondPick)
{
    click(4);
    EXPECT_EQ(state(4), kFaceUp);
    EXPECT_EQ(host.repaints, 1);
    EXPECT_EQ(host.tickRestarts, 1);
    click(4);
    EXPECT_EQ(engine.PickCount, 1);
    EXPECT_EQ(engine.CardsTurned, 1);
    EXPECT_EQ(engine.PickString[3], 'X');
    click(19); // the pair of card 4
    EXPECT_EQ(state(4), kMatchedByRed);
    EXPECT_EQ(state(19), kMatchedByRed);
    EXPECT_EQ(host.cardTunes, std::vector<int>{4});
}

TEST_F(Engine, MismatchPassesTheTurnWithoutRepaint)
{
    host.caption = "2";
    click(1);
    click(2);
    EXPECT_EQ(state(1), kFaceDown);
    EXPECT_EQ(state(2), kFaceDown);
    EXPECT_EQ(host.repaints, 2) << "only the two turns repaint; the screen catches up later";
    EXPECT_EQ(engine.CurrentPlayer, kGreen);
    EXPECT_EQ(host.status, "Current Player = GREEN");
    EXPECT_EQ(host.frame, (Rgb{0, 128, 0}));
    EXPECT_EQ(engine.PickString, std::string(30, '0'));
    EXPECT_FALSE(engine.PairPending);
    // A card of the mismatch is face down again and can open GREEN's turn.
    click(1);
    EXPECT_EQ(state(1), kFaceUp);
    EXPECT_EQ(engine.FirstPick, 1);
}

TEST_F(Engine, ThreePlayersRotateAndOnePlayerStaysRed)
{
    host.caption = "3";
    const int order[] = {kGreen, kBlue, kRed, kGreen};
    for (int turn = 0; turn < 4; ++turn) {
        click(1);
        click(2);
        EXPECT_EQ(engine.CurrentPlayer, order[turn]);
    }
    engine.Deal(inOrder());
    host.caption = "1";
    host.status.clear();
    click(1);
    click(2);
    EXPECT_EQ(engine.CurrentPlayer, kRed);
    EXPECT_EQ(host.status, "Current Player = RED");
}

TEST_F(Engine, PairKeepsThePlayerAndMatchedCellsAreNoPick)
{
    host.caption = "2";
    click(1);
    click(2); // GREEN's turn
    click(5);
    click(20);
    EXPECT_EQ(engine.CurrentPlayer, kGreen);
    EXPECT_EQ(state(5), kMatchedByRed + 1);
    EXPECT_EQ(engine.PickString[4], '2');
    EXPECT_EQ(engine.PickString[19], '2');
    const int repaints = host.repaints;
    click(5); // matched: nothing
    EXPECT_EQ(engine.PickCount, 0);
    EXPECT_EQ(host.repaints, repaints);
}

TEST_F(Engine, ClicksDuringAPairsTuneAreLost)
{
    host.duringCardTune = [&] {
        EXPECT_TRUE(engine.PairPending);
        click(7);
        click(22);
    };
    click(3);
    click(18);
    EXPECT_EQ(state(7), kFaceDown);
    EXPECT_EQ(state(22), kFaceDown);
    EXPECT_EQ(engine.PickCount, 0);
    EXPECT_EQ(host.cardTunes.size(), 1u);
}

TEST_F(Engine, ADealDuringAPairsTuneWins)
{
    host.duringCardTune = [&] { engine.Deal(inOrder()); };
    click(3);
    click(18);
    EXPECT_EQ(engine.PickString, std::string(30, '0'));
    EXPECT_EQ(state(3), kFaceDown);
    EXPECT_EQ(state(18), kFaceDown);
    EXPECT_FALSE(engine.PairPending);
    EXPECT_EQ(engine.CurrentPlayer, kRed);
}

TEST_F(Engine, AFailedTuneIsReportedAndThePairStillCounts)
{
    host.cardTuneFails = true;
    click(3);
    click(18);
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(state(3), kMatchedByRed);
    EXPECT_FALSE(engine.PairPending);
    click(1);
    EXPECT_EQ(state(1), kFaceUp) << "the board is not frozen";
}

// Plays a whole game: `mismatches` wrong turns first, then every pair in order.
void playGame(Engine &t, int mismatches)
{
    for (int i = 0; i < mismatches; ++i) {
        t.click(1);
        t.click(2);
    }
    for (int p = 1; p <= 15; ++p) {
        t.click(p);
        t.click(p + 15);
    }
}

TEST_F(Engine, OnePlayerGameCountsTriesOfThisGameOnly)
{
    playGame(*this, 0);
    EXPECT_EQ(host.status, "  You Did It In 15 Tries.");
    EXPECT_EQ(host.winTunes, 1);
    engine.Deal(inOrder());
    playGame(*this, 3);
    EXPECT_EQ(host.status, "  You Did It In 18 Tries.");
}

TEST_F(Engine, FinishedBoardAnnouncesAgainOnAnyClick)
{
    host.music = false;
    playGame(*this, 0);
    EXPECT_EQ(host.winTunes, 0) << "no win tune without music";
    host.status.clear();
    host.music = true;
    const int repaints = host.repaints;
    click(9);
    EXPECT_EQ(host.status, "  You Did It In 15 Tries.");
    EXPECT_EQ(host.repaints, repaints + 1);
    EXPECT_EQ(host.winTunes, 1);
}

TEST_F(Engine, GameWithoutMismatchUsesThePlayersShown)
{
    host.caption = "2";
    playGame(*this, 0);
    EXPECT_EQ(engine.outcome.GameResult, kRedWins);
    EXPECT_EQ(host.status, "  Red WINS with 30 Cards.");
}

TEST_F(Engine, TellsEachTurnInOneMessageBuiltWhenItHappens)
{
    host.caption = "2";
    for (int k = 1; k <= kCardCount; ++k)
        engine.cardNames[k - 1] = "bird " + std::to_string(k);
    // During the tune a new game is dealt; the pair was told before, from the old board.
    host.duringCardTune = [&] { engine.Deal(inOrder()); };
    click(1);
    click(1); // the card already turned up: no pick, nothing told
    click(2);
    click(18);
    click(3);
    EXPECT_EQ(host.news, (std::vector<std::string>{
                             "bird 1", "bird 2. No match with bird 1. Green's turn.", "bird 3",
                             "bird 3. Pair for Green; Green plays again."}));
    host.duringCardTune = nullptr;
    host.news.clear();
    playGame(*this, 0);
    EXPECT_EQ(host.news[host.news.size() - 2], "bird 15. Pair for Red.");
    EXPECT_EQ(host.news.back(), "Game over. Red WINS with 30 Cards.");
}

TEST(EngineBeforeDeal, ClicksAnnounceNothing)
{
    FakeHost host;
    TurnEngine engine(host);
    engine.Click(0, 0);
    EXPECT_EQ(host.status, "");
    EXPECT_EQ(host.winTunes, 0);
    EXPECT_EQ(engine.PickCount, 0);
}

} // namespace
} // namespace quorvel
