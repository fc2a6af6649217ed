#pragma once

#include <fluidsynth.h>

#include <memory>
#include <string>
#include <vector>

namespace quorvel {

// The audio output a synthesiser renders to, on a thread of the output's own, from its start
// until the object goes. Deleting it stops the rendering before it returns.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // False once the output has given up (its sound server went away); it renders no more.
    virtual bool running() const { return true; }
};

// Starts the first output of `drivers` that can start, for `synth` made from `settings`.
// "pulseaudio" is the program's own client of the desktop's sound server (see
// audiooutput.cpp); any other name is a FluidSynth audio driver ("alsa", "file", ...) set up
// from `settings`. A candidate that fails is expected and stays quiet; when none starts,
// throws MediaError naming `tuneName` and the outputs tried, and shows FluidSynth's
// complaints on stderr.
std::unique_ptr<AudioOutput> startAudioOutput(const std::vector<std::string> &drivers,
                                              fluid_settings_t *settings, fluid_synth_t *synth,
                                              const std::string &tuneName);

// Sends FluidSynth's and ALSA's own messages where they belong: real errors to stderr, the
// chatter nowhere. Safe to call from any thread, any number of times.
void installFluidLog();

} // namespace quorvel
