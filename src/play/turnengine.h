#pragma once

#include "board.h"
#include "library/cardnames.h"
#include "scoring.h"

#include <cstdint>
#include <string>

namespace quorvel {

// What the turn engine needs from the window around it.
class TurnHost {
public:
    virtual ~TurnHost() = default;
    // Paints the whole play grid from the board, before returning.
    virtual void repaintBoard() = 0;
    // Restarts the tick counter at 0, so the periodic repaint comes 50 ticks from now.
    virtual void restartTicks() = 0;
    virtual void enablePlayersButton(bool enabled) = 0;
    virtual std::string playersCaption() = 0;
    virtual void showStatus(const std::string &text) = 0;
    virtual void showFrameColour(Rgb colour) = 0;
    // The cue of a found pair of picture 1..15: its tune to the end with music on, else a
    // short pause. Handles the window's events meanwhile; throws MediaError.
    virtual void playCardTune(int picture) = 0;
    virtual bool musicOn() = 0;
    // Plays the game's "You Won" tune to its end; throws MediaError.
    virtual void playWinTune() = 0;
    // Shows an error in the standard error report and returns when it has been seen.
    virtual void reportError(const std::string &message) = 0;
    // Tells a screen reader's user what just happened in the game, in one message.
    virtual void announce(const std::string &news) = 0;
};

// The turns of a game on the play grid: turning cards, resolving pairs, passing the turn
// between up to three players and announcing the result.
class TurnEngine {
public:
    explicit TurnEngine(TurnHost &host) : host_(host) {}

    Board board;
    std::string PickString; // character p belongs to position p (1-based)

    std::int32_t CurrentPlayer = kRed;
    std::int32_t PlayerCount = 1;
    std::int32_t PickCount = 0;
    std::int32_t FirstPick = 0;
    std::int32_t SecondPick = 0;
    std::int32_t CardsTurned = 0;
    bool PairPending = false;
    GameOutcome outcome; // the last game's result, computed when its end is detected
    // The spoken names of the game's cards, which the news of its turns uses.
    CardNames cardNames = SpokenCardNames(GameRecord::zeroed());

    // Starts a new game: RED to play, no pick, the players button enabled, the status and
    // the frame showing RED, and a new board of face-down cards. No repaint.
    void Deal(const RandomSource &random);

    // A click on the play grid's cell (column, row), by mouse or by keyboard.
    void Click(int column, int row);

    void TurnCardUp(int p);
    void TurnCardDown(int p);
    void MarkMatched(int p);
    void NextPlayer();
    void EndOfGameCheck();

    // Counts the deals, so that a pair whose tune was interrupted by one marks nothing.
    unsigned dealCount() const { return dealCount_; }

private:
    void resolvePair();
    void showCurrentPlayer();
    std::int32_t &stateAt(int p);
    bool isFree(int p) const;
    std::string nameAt(int p) const;

    TurnHost &host_;
    unsigned dealCount_ = 0;
};

} // namespace quorvel
