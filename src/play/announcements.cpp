#include "announcements.h"

#include "scoring.h"

#include <algorithm>
#include <cctype>

namespace quorvel {
namespace {

// A player's name as a sentence says it: "Green" for "GREEN".
std::string playerWord(int player)
{
    std::string word = PlayerName(player);
    std::transform(word.begin() + 1, word.end(), word.begin() + 1,
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return word;
}

} // namespace

std::string CardName(const CardNames &names, int card)
{
    const int picture = PictureOf(card);
    return picture >= 1 && picture <= kCardCount ? names[picture - 1] : std::string();
}

std::string CellName(std::int32_t state, const std::string &card, int column, int row)
{
    const std::string where =
        "row " + std::to_string(row + 1) + " column " + std::to_string(column + 1);
    if (state == kFaceUp)
        return card + ", " + where;
    if (state >= kMatchedByRed && state < kMatchedByRed + kBlue)
        return playerWord(state - 1) + "'s pair, " + card + ", " + where;
    return "face down, " + where;
}

std::string CellName(const Board &board, const CardNames &names, int column, int row)
{
    return CellName(board.CellState[column][row], CardName(names, board.CardNumber[column][row]),
                    column, row);
}

std::string PairNews(const std::string &card, int player, int playerCount, bool lastPair)
{
    if (playerCount <= 1)
        return card + ". Pair found.";
    std::string news = card + ". Pair for " + playerWord(player);
    if (!lastPair)
        news += "; " + playerWord(player) + " plays again";
    return news + ".";
}

std::string MissNews(const std::string &second, const std::string &first, int nextPlayer,
                     int playerCount)
{
    std::string news = second + ". No match with " + first + ".";
    if (playerCount > 1)
        news += " " + playerWord(nextPlayer) + "'s turn.";
    return news;
}

std::string EndNews(const std::string &resultMessage)
{
    const std::size_t start = resultMessage.find_first_not_of(' ');
    return "Game over. " + (start == std::string::npos ? "" : resultMessage.substr(start));
}

std::string DealNews(const std::string &gameName, int playerCount)
{
    std::string news = gameName + ", new deal";
    if (playerCount > 1)
        news += ", " + playerWord(kRed) + " to play";
    return news;
}

std::string PlayersButtonName(int playerCount)
{
    return "Players: " + std::to_string(playerCount);
}

std::string MusicButtonName(bool musicOn)
{
    return musicOn ? "Music: on" : "Music: off";
}

} // namespace quorvel
