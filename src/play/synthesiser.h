#pragma once

#include "play/audiooutput.h"

#include <fluidsynth.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace quorvel {

// One play of a tune. FluidSynth's player parses the file on the audio thread when it
// starts, so what the window's thread needs to know is handed over here, by the audio thread
// itself, instead of being read from the player's tracks while they may be changing.
struct Tune {
    fluid_synth_t *synth = nullptr;
    fluid_player_t *player = nullptr;
    // Set before the player is stopped: from then on nothing it sends reaches the synthesiser.
    std::atomic<bool> retired{false};
    std::atomic<int> totalTicks{-1}; // -1 until the audio thread has loaded the file
    std::atomic<int> tick{0};
    std::atomic<std::int64_t> lastAdvance{0}; // steadyNow() of the last tick change

    // Runs on the audio thread whenever the player's tick changes; the events up to that
    // tick reach the synthesiser within the same audio block.
    static int onTick(void *data, int tick);

    // Passes the player's events to the synthesiser on the audio thread. A stopped FluidSynth
    // player sends all-sounds-off on its channels in the next audio block, after the first
    // notes of a player started in the same block; a retired tune's events are dropped, so
    // they never cut the tune that follows.
    static int onEvent(void *data, fluid_midi_event_t *event);

    // A playing tune's tick advances with every block the output renders. No advance for
    // kAnswerLimit means that the output has stopped rendering (its sound server stalled or
    // went away, say): the tune then no longer counts as playing, so nobody waits for it.
    bool stalled() const;
};

// The synthesiser with its settings and every FluidSynth player made for it. FluidSynth
// forbids freeing a player while an output renders for the synthesiser, so the outputs that
// render for it (or are starting or stopping) are counted, and retired players are freed only
// while there are none. Each such output holds the synthesiser too: one that never stops
// keeps it, and the media player goes on with a fresh one.
class Synthesiser {
public:
    fluid_settings_t *settings = nullptr;
    fluid_synth_t *synth = nullptr;

    Synthesiser() = default;
    Synthesiser(const Synthesiser &) = delete;
    Synthesiser &operator=(const Synthesiser &) = delete;
    ~Synthesiser();

    // A fresh player for the tune in `data`, or nullptr when FluidSynth refuses.
    Tune *newTune(const std::vector<char> &data);
    // Stops the tune, cuts every note still sounding and restores the channels' programs and
    // controllers, so that a tune never inherits the sound or the instruments of the one
    // before.
    void retire(Tune *tune);
    std::size_t retiredCount();

    void outputComes();
    // Frees the retired players when it was the last output.
    void outputGone();
    bool rendering();
    // True once no output renders, false when one still does after `bound`.
    bool waitIdle(std::chrono::nanoseconds bound);

private:
    std::mutex mutex_;
    std::condition_variable idle_;
    int outputs_ = 0;
    std::vector<std::unique_ptr<Tune>> tunes_;
};

// An audio output with the synthesiser it renders for, counted there from before its start
// until it has stopped.
struct Rendering {
    explicit Rendering(std::shared_ptr<Synthesiser> renders);
    ~Rendering();
    Rendering(const Rendering &) = delete;
    Rendering &operator=(const Rendering &) = delete;

    std::shared_ptr<Synthesiser> synth;
    std::unique_ptr<AudioOutput> output;
};

// Stops the output on a thread of its own and returns at once: a FluidSynth driver waits for
// its device, which may not answer.
void stopAside(std::unique_ptr<Rendering> rendering);

} // namespace quorvel
