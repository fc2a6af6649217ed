#pragma once

#include "mediaplayer.h"
#include "tickclock.h"

#include <string>

namespace quorvel {

// The tune cues of the game, all through the one media player. Opening a tune throws
// MediaError (see MediaPlayer::open), which ends the caller at that step.
class Tunes {
public:
    static constexpr int kAfterOpenTicks = 5;
    static constexpr int kAfterTuneTicks = 5;
    static constexpr int kSilentPairTicks = 10;

    Tunes(MediaPlayer &player, TickClock &clock);

    // Opens the tune (stopping what played), waits 5 ticks, starts it and returns.
    void StartTune(const std::string &fileName);
    // Opens and plays the tune, returns 5 ticks after it has stopped playing.
    void PlayTuneToEnd(const std::string &fileName);
    // The cue of a found pair: with music on its tune to the end, otherwise a 10-tick pause
    // without touching the player.
    void PlayCardTune(bool musicOn, const std::string &fileName);

    MediaPlayer &player() { return player_; }

private:
    MediaPlayer &player_;
    TickClock &clock_;
};

// Music is on exactly when the music switch reads "MUSIC".
inline bool MusicOn(const std::string &musicCaption) { return musicCaption == "MUSIC"; }

} // namespace quorvel
