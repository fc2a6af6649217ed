#pragma once

// The real player rendering into a raw file (16-bit stereo at 44.1 kHz) instead of a sound
// card: in real time, as on a desktop, and readable afterwards.

#include "play/fluidplayer.h"

#include <filesystem>

namespace quorvel::test {

constexpr long kRenderedRate = 44100;     // frames per second
constexpr long kRenderedFrameBytes = 2 * 2; // 16-bit stereo

inline FluidPlayer::Options fileOutput(const std::filesystem::path &file)
{
    FluidPlayer::Options options;
    options.drivers = {"file"};
    options.settings = {{"audio.file.name", file.string()},
                        {"audio.file.type", "raw"},
                        {"audio.file.format", "s16"}};
    return options;
}

// Plays with no file to read back.
inline FluidPlayer::Options silentOutput()
{
    return fileOutput("/dev/null");
}

// Milliseconds of audio the file holds.
inline long renderedMs(const std::filesystem::path &file)
{
    std::error_code error;
    const auto bytes = static_cast<long>(std::filesystem::file_size(file, error));
    return error ? 0 : bytes / kRenderedFrameBytes * 1000 / kRenderedRate;
}

} // namespace quorvel::test
