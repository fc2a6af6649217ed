#pragma once

#include "play/mediaplayer.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace quorvel {

// The media player on FluidSynth: General MIDI through one synthesiser. The audio output runs
// only while a tune sounds: open() starts it, and it is stopped again once the tune and its
// release have ended, so a program that plays nothing costs no processor time for sound. All
// methods belong to one thread (the window's), and none of them waits for the sound server
// longer than two seconds; the tune plays on the audio output's own thread. An output that
// does not answer is left behind with its synthesiser, and the player goes on with fresh ones.
class FluidPlayer : public MediaPlayer {
public:
    static constexpr const char *kDefaultSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

    struct Options {
        // Full path of the General MIDI sound font tried first; where it is missing,
        // FluidSynth's configured default sound font ("synth.default-soundfont"), then the
        // first .sf2 or .sf3 file in soundFontFolders.
        std::string soundFont = kDefaultSoundFont;
        std::vector<std::string> soundFontFolders = {"/usr/share/sounds/sf2",
                                                     "/usr/share/sounds/sf3"};
        // Audio outputs, tried in this order until one starts: "pulseaudio" is the player's
        // own client of the desktop's sound server, any other name a FluidSynth audio driver.
        std::vector<std::string> drivers = {"pulseaudio", "alsa"};
        // Further FluidSynth settings as name and value, e.g. {"audio.file.name", "/dev/null"};
        // the value is converted to the setting's type. They override the player's own
        // choices (the period of FluidSynth's drivers, for one; the sound server client keeps
        // its own).
        std::vector<std::pair<std::string, std::string>> settings;
    };

    FluidPlayer();
    explicit FluidPlayer(Options options);
    ~FluidPlayer() override;

    FluidPlayer(const FluidPlayer &) = delete;
    FluidPlayer &operator=(const FluidPlayer &) = delete;

    // Starts creating the synthesiser and loading the sound font on a thread of their own,
    // so that the first open() finds them ready. Without it the first open() does the work.
    // A failure there is left for open() to meet again and report. The player's end waits
    // for that work.
    void warmUp();

    void setFileName(const std::string &fileName) override;
    // Also throws MediaError when no sound font can be loaded or a setting is unknown, and
    // when the sound server does not answer: after two seconds, and at once while it has not
    // yet answered an earlier open().
    void open() override;
    // Starts the open tune from its beginning, also when it has been played before.
    void play() override;
    // True from play() until the tune's last MIDI event has been played; the last notes may
    // still ring out. Also false once the audio output has rendered nothing for two seconds.
    bool isPlaying() override;
    void close() override;

    // True while the audio output runs: from open() until the tune and its release are over.
    bool outputRunning() const;

    // The sound font to load: `first` when it is a file, else `configured` when it is one,
    // else the first .sf2 or .sf3 file (by name) in `folders`. Throws MediaError, naming
    // `tuneName` and every place looked in, when there is none.
    static std::string findSoundFont(const std::string &first, const std::string &configured,
                                     const std::vector<std::string> &folders,
                                     const std::string &tuneName);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace quorvel
