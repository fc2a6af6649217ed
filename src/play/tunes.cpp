#include "tunes.h"

namespace quorvel {

Tunes::Tunes(MediaPlayer &player, TickClock &clock) : player_(player), clock_(clock) {}

void Tunes::StartTune(const std::string &fileName)
{
    player_.setFileName(fileName);
    player_.open();
    clock_.WaitTicks(kAfterOpenTicks);
    player_.play();
}

void Tunes::PlayTuneToEnd(const std::string &fileName)
{
    player_.setFileName(fileName);
    player_.open();
    player_.play();
    do {
        clock_.WaitTicks(1);
    } while (player_.isPlaying());
    clock_.WaitTicks(kAfterTuneTicks);
}

void Tunes::PlayCardTune(bool musicOn, const std::string &fileName)
{
    if (musicOn)
        PlayTuneToEnd(fileName);
    else
        clock_.WaitTicks(kSilentPairTicks);
}

} // namespace quorvel
