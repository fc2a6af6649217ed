#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace quorvel {

inline constexpr int kBoardColumns = 5;
inline constexpr int kBoardRows = 6;
inline constexpr int kBoardCells = kBoardColumns * kBoardRows; // 30 cards, 15 pairs
inline constexpr int kPairDistance = 15;                          // card n pairs with n + 15

// Cell states of the board.
inline constexpr std::int32_t kFaceDown = 0;
inline constexpr std::int32_t kFaceUp = 1;
// A cell matched by player p (1 RED, 2 GREEN, 3 BLUE) has state p + 1.
inline constexpr std::int32_t kMatchedByRed = 2;

// Characters of the pick string.
inline constexpr char kPickFree = '0';    // face down, free to be picked
inline constexpr char kPickTurned = 'X';  // turned up in the current turn
// A cell matched by player p holds the digit of p.

// The board: card number and state of every cell, indexed [column][row].
struct Board {
    std::int32_t CardNumber[kBoardColumns][kBoardRows] = {};
    std::int32_t CellState[kBoardColumns][kBoardRows] = {};
};

// Positions number the cells 1..30 row by row: position 1 is the top-left cell.
constexpr int BoardPosition(int column, int row) { return row * kBoardColumns + column + 1; }
constexpr int PositionColumn(int p) { return (p - 1) % kBoardColumns; }
constexpr int PositionRow(int p) { return (p - 1) / kBoardColumns; }

// Two cards form a pair when their numbers differ by exactly 15.
constexpr bool IsPair(int a, int b) { return a - b == kPairDistance || b - a == kPairDistance; }

// The picture (1..15) that card n (1..30) shows, which is also the number of its tune.
constexpr int PictureOf(int card) { return card > kPairDistance ? card - kPairDistance : card; }

// The card number at position p (1..30).
int CardAt(const Board &board, int p);

// A source of uniformly distributed integers 0..n - 1.
using RandomSource = std::function<int(int n)>;

// Lays out a new board: every cell face down, the numbers 1..30 in random order drawn by
// rejection (a number already drawn is drawn again), position p receiving the p-th number
// drawn, and the pick string thirty "0".
void DealCards(Board &board, std::string &PickString, const RandomSource &random);

} // namespace quorvel
