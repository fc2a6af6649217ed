#pragma once

// A small Standard MIDI File for the authoring tests: one note lasting the whole tune, at one
// second a quarter note, one tick a quarter.

#include "midiwriter.h"

#include <string>

namespace quorvel::test {

inline std::string tuneOfSeconds(std::uint32_t seconds, int key = 60)
{
    MidiFile file(0, 1);
    MidiTrack &track = file.addTrack();
    track.addTempo(0, 1000000);
    track.addNote(0, seconds, 0, key, 100);
    const MidiBytes bytes = file.bytes();
    return std::string(bytes.begin(), bytes.end());
}

} // namespace quorvel::test
