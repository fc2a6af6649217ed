#pragma once

#include "play/mediaplayer.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace quorvel {

// The media player on FluidSynth: General MIDI through one synthesiser that lives as long as
// the player, so the program, which has one player, has one synthesiser. Nothing is set up
// until the first open(), which creates the synthesiser, loads the sound font and starts the
// audio output; later opens only read the tune. All methods belong to one thread (the window's);
// FluidSynth plays the tune on its own audio thread.
class FluidPlayer : public MediaPlayer {
public:
    static constexpr const char *kDefaultSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

    struct Options {
        // Full path of the General MIDI sound font; FluidSynth never picks one by itself.
        std::string soundFont = kDefaultSoundFont;
        // FluidSynth audio drivers, tried in this order until one starts.
        std::vector<std::string> drivers = {"pulseaudio", "alsa"};
        // Further FluidSynth settings as name and value, e.g. {"audio.file.name", "/dev/null"};
        // the value is converted to the setting's type.
        std::vector<std::pair<std::string, std::string>> settings;
    };

    FluidPlayer();
    explicit FluidPlayer(Options options);
    ~FluidPlayer() override;

    FluidPlayer(const FluidPlayer &) = delete;
    FluidPlayer &operator=(const FluidPlayer &) = delete;

    // Starts creating the synthesiser and loading the sound font on a thread of their own,
    // so that the first open() finds them ready. Without it the first open() does the work.
    // A failure there is left for open() to meet again and report.
    void warmUp();

    void setFileName(const std::string &fileName) override;
    // Also throws MediaError when the sound font cannot be loaded or a setting is unknown.
    void open() override;
    // Starts the open tune from its beginning, also when it has been played before.
    void play() override;
    // True from play() until the tune's last MIDI event has been played; the last notes may
    // still ring out. Also false once the audio output has stalled for two seconds.
    bool isPlaying() override;
    void close() override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace quorvel
