#include "board.h"

namespace quorvel {

int CardAt(const Board &board, int p)
{
    return board.CardNumber[PositionColumn(p)][PositionRow(p)];
}

void DealCards(Board &board, std::string &PickString, const RandomSource &random)
{
    board = Board{};
    PickString.assign(kBoardCells, kPickFree);

    // While drawing, the pick string records which card numbers are taken.
    int drawn[kBoardCells];
    for (int k = 0; k < kBoardCells; ++k) {
        int n;
        do {
            n = random(kBoardCells) + 1;
        } while (PickString[n - 1] != kPickFree);
        PickString[n - 1] = kPickTurned;
        drawn[k] = n;
    }
    for (int row = 0; row < kBoardRows; ++row) {
        for (int column = 0; column < kBoardColumns; ++column)
            board.CardNumber[column][row] = drawn[BoardPosition(column, row) - 1];
    }
    PickString.assign(kBoardCells, kPickFree);
}

} // namespace quorvel
