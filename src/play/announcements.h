#pragma once

#include "board.h"
#include "library/cardnames.h"

#include <cstdint>
#include <string>

namespace quorvel {

// What a screen reader tells a player who listens instead of looking: the name of each cell
// of the play grid and the news of the game as it happens. Players are told by their colour
// in words ("Red"); with one player no message speaks of turns.

// The spoken name of card n (1..30), which it shares with its pair; empty for no card.
std::string CardName(const CardNames &names, int card);

// "face down, row 2 column 3", "Parrot, row 2 column 3" while the card is turned up, and
// "Red's pair, Parrot, row 2 column 3" once matched. Columns and rows count from 0 here and
// from 1 in the words.
std::string CellName(std::int32_t state, const std::string &card, int column, int row);
// The name of cell (column, row) of `board`, whose cards have `names`.
std::string CellName(const Board &board, const CardNames &names, int column, int row);

// The second card of a turn and what it decided: "Parrot. Pair for Red; Red plays again.",
// or "Parrot. Pair for Red." for the last pair of the game, whose end is told next.
std::string PairNews(const std::string &card, int player, int playerCount, bool lastPair);
// "Rooster. No match with Parrot. Green's turn."
std::string MissNews(const std::string &second, const std::string &first, int nextPlayer,
                     int playerCount);
// The end of the game with the result the status line shows.
std::string EndNews(const std::string &resultMessage);
// A new deal: "Ostrel Quorvel, new deal, Red to play".
std::string DealNews(const std::string &gameName, int playerCount);

// The names of the players button and the music switch, which speak their meaning where
// the captions show only "2" or "MUSIC".
std::string PlayersButtonName(int playerCount);
std::string MusicButtonName(bool musicOn);

} // namespace quorvel
