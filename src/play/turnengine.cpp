#include "turnengine.h"

#include "announcements.h"
#include "library/quorvelerror.h"

#include <algorithm>

namespace quorvel {

std::int32_t &TurnEngine::stateAt(int p)
{
    return board.CellState[PositionColumn(p)][PositionRow(p)];
}

bool TurnEngine::isFree(int p) const
{
    return p >= 1 && p <= static_cast<int>(PickString.size()) && PickString[p - 1] == kPickFree;
}

std::string TurnEngine::nameAt(int p) const
{
    return CardName(cardNames, CardAt(board, p));
}

void TurnEngine::showCurrentPlayer()
{
    host_.showStatus(CurrentPlayerText(CurrentPlayer));
    host_.showFrameColour(PlayerColour(CurrentPlayer));
}

void TurnEngine::Deal(const RandomSource &random)
{
    ++dealCount_;
    CurrentPlayer = kRed;
    PairPending = false;
    PickCount = 0;
    CardsTurned = 0;
    host_.enablePlayersButton(true);
    showCurrentPlayer();
    DealCards(board, PickString, random);
}

void TurnEngine::Click(int column, int row)
{
    if (PairPending)
        return;
    const int p = BoardPosition(column, row);
    if (stateAt(p) == kFaceDown) {
        if (PickCount < 2) {
            ++PickCount;
            ++CardsTurned;
            if (PickCount == 1)
                FirstPick = p;
            else
                SecondPick = p;
            if (isFree(p)) {
                TurnCardUp(p);
                PickString[p - 1] = kPickTurned;
                if (PickCount == 1)
                    host_.announce(nameAt(p));
            } else {
                --PickCount;
                --CardsTurned;
            }
        }
        if (PickCount == 2)
            resolvePair();
    }
    EndOfGameCheck();
}

void TurnEngine::resolvePair()
{
    PairPending = true;
    const int first = CardAt(board, FirstPick);
    const int second = CardAt(board, SecondPick);
    if (IsPair(first, second)) {
        // Told now, while the pair's tune plays: a deal during it may change the board.
        const bool lastPair = PickString.find(kPickFree) == std::string::npos;
        host_.announce(PairNews(nameAt(SecondPick), CurrentPlayer,
                                PlayerCountFromCaption(host_.playersCaption()), lastPair));
        const unsigned dealBefore = dealCount_;
        try {
            host_.playCardTune(std::min(first, second));
        } catch (const QuorvelError &e) {
            // Without its tune the pair still counts, so a game can be finished on a
            // machine that cannot play music.
            host_.reportError(e.what());
        }
        if (dealCount_ != dealBefore)
            return; // a new game was dealt during the tune: these positions are not ours
        MarkMatched(FirstPick);
        MarkMatched(SecondPick);
        PickCount = 0;
    } else {
        TurnCardDown(FirstPick);
        TurnCardDown(SecondPick);
        PickCount = 0;
        NextPlayer();
        host_.announce(MissNews(nameAt(SecondPick), nameAt(FirstPick), CurrentPlayer,
                                PlayerCount));
        PickString[FirstPick - 1] = kPickFree;
        PickString[SecondPick - 1] = kPickFree;
    }
}

void TurnEngine::TurnCardUp(int p)
{
    stateAt(p) = kFaceUp;
    host_.restartTicks();
    host_.enablePlayersButton(false);
    host_.repaintBoard();
}

void TurnEngine::TurnCardDown(int p)
{
    stateAt(p) = kFaceDown;
    PairPending = false;
}

void TurnEngine::MarkMatched(int p)
{
    stateAt(p) = CurrentPlayer + 1;
    PairPending = false;
    PickString[p - 1] = static_cast<char>('0' + CurrentPlayer);
}

void TurnEngine::NextPlayer()
{
    PlayerCount = PlayerCountFromCaption(host_.playersCaption());
    if (PlayerCount > 1)
        CurrentPlayer = CurrentPlayer % PlayerCount + 1;
    showCurrentPlayer();
}

void TurnEngine::EndOfGameCheck()
{
    // Before the first deal there is no game whose end could be announced.
    if (PickString.empty() || PickString.find(kPickFree) != std::string::npos)
        return;
    PlayerCount = PlayerCountFromCaption(host_.playersCaption());
    outcome = ScoreGame(PickString, PlayerCount, CardsTurned);
    host_.showStatus(outcome.message);
    host_.announce(EndNews(outcome.message));
    host_.repaintBoard();
    if (host_.musicOn())
        host_.playWinTune();
}

} // namespace quorvel
