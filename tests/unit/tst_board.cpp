#include "play/board.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace quorvel {
namespace {

TEST(Board, PositionsNumberTheCellsRowByRow)
{
    struct {
        int p, column, row;
    } cases[] = {{1, 0, 0}, {5, 4, 0}, {6, 0, 1}, {26, 0, 5}, {30, 4, 5}, {13, 2, 2}};
    for (const auto &c : cases) {
        EXPECT_EQ(BoardPosition(c.column, c.row), c.p);
        EXPECT_EQ(PositionColumn(c.p), c.column) << c.p;
        EXPECT_EQ(PositionRow(c.p), c.row) << c.p;
    }
}

TEST(Board, PairsAndPictures)
{
    EXPECT_TRUE(IsPair(7, 22));
    EXPECT_TRUE(IsPair(22, 7));
    EXPECT_FALSE(IsPair(7, 8));
    EXPECT_TRUE(IsPair(15, 30));
    EXPECT_TRUE(IsPair(1, 16));
    EXPECT_FALSE(IsPair(16, 16));
    EXPECT_EQ(PictureOf(22), 7);
    EXPECT_EQ(PictureOf(15), 15);
    EXPECT_EQ(PictureOf(16), 1);
    EXPECT_EQ(PictureOf(30), 15);
}

TEST(Board, DealPlacesEveryCardOnceFaceDown)
{
    std::mt19937 rng(42);
    const RandomSource random = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    Board board;
    std::string pick = "garbage";
    board.CellState[2][3] = 4;
    for (int deal = 0; deal < 200; ++deal) {
        DealCards(board, pick, random);
        std::set<int> seen;
        for (int c = 0; c < kBoardColumns; ++c) {
            for (int r = 0; r < kBoardRows; ++r) {
                seen.insert(board.CardNumber[c][r]);
                EXPECT_EQ(board.CellState[c][r], kFaceDown);
            }
        }
        EXPECT_EQ(seen.size(), 30u);
        EXPECT_EQ(*seen.begin(), 1);
        EXPECT_EQ(*seen.rbegin(), 30);
        EXPECT_EQ(pick, std::string(30, '0'));
    }
}

TEST(Board, DealUsesTheRejectionDrawInOrder)
{
    // The generator first offers 4 twice (the second is rejected as drawn), then the rest
    // in falling order; position p receives the p-th number drawn.
    std::vector<int> script = {4, 4};
    for (int r = 29; r >= 0; --r) {
        if (r != 4)
            script.push_back(r);
    }
    std::size_t next = 0;
    int calls = 0;
    Board board;
    std::string pick;
    DealCards(board, pick, [&](int n) {
        EXPECT_EQ(n, 30);
        ++calls;
        return script[next++];
    });
    EXPECT_EQ(calls, 31);
    EXPECT_EQ(CardAt(board, 1), 5);
    EXPECT_EQ(CardAt(board, 2), 30);
    EXPECT_EQ(CardAt(board, 30), 1);
    EXPECT_EQ(board.CardNumber[4][0], 27); // position 5
}

TEST(Board, PlacementIsRoughlyUniform)
{
    std::mt19937 rng(7);
    const RandomSource random = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    // How often card 1 lands on each position over many deals.
    int hits[kBoardCells] = {};
    const int deals = 30000;
    Board board;
    std::string pick;
    for (int i = 0; i < deals; ++i) {
        DealCards(board, pick, random);
        for (int p = 1; p <= kBoardCells; ++p) {
            if (CardAt(board, p) == 1)
                ++hits[p - 1];
        }
    }
    for (int p = 0; p < kBoardCells; ++p) {
        EXPECT_GT(hits[p], deals / 30 * 0.85) << "position " << p + 1;
        EXPECT_LT(hits[p], deals / 30 * 1.15) << "position " << p + 1;
    }
}

} // namespace
} // namespace quorvel
