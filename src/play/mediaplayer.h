#pragma once

#include <string>

namespace quorvel {

// The one media player through which every tune of the program plays. Opening a tune
// closes the one that was open before, so starting a tune replaces whatever was playing.
class MediaPlayer {
public:
    virtual ~MediaPlayer() = default;

    // The file the next open() uses, as a local path in UTF-8, used as given (a bare name
    // is looked up in the current working directory).
    virtual void setFileName(const std::string &fileName) = 0;

    // Closes what was open, then opens the file. Throws MediaError, with a text for the
    // user that names the file, when the file is missing, the name is empty, the file is
    // not a MIDI file or there is no usable audio output.
    virtual void open() = 0;

    // Starts the freshly opened tune from its beginning and returns at once. Never throws:
    // a failure only means that isPlaying() does not become true.
    virtual void play() = 0;

    // True while the tune is playing, up to its last MIDI event. Never throws; a failed
    // query reads as not playing.
    virtual bool isPlaying() = 0;

    // Stops and closes the open tune, if any. Never throws.
    virtual void close() = 0;
};

} // namespace quorvel
