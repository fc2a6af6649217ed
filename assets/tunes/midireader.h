#pragma once

#include "midiwriter.h"

#include <cstdint>
#include <filesystem>
#include <vector>

// Reading Standard MIDI Files back: enough of the format to check what the tune generator
// wrote and what a player will be given (running status, meta and system-exclusive events
// included), not a player.

namespace quorvel {

// One event of a track at its absolute time. For a channel message, status is the status
// byte (running status resolved) and data its one or two data bytes; for a meta event,
// status is 0xFF, metaType its type and data its payload; for system exclusive, status is
// 0xF0 or 0xF7 and data the payload.
struct SmfEvent {
    std::uint32_t tick = 0;
    std::uint8_t status = 0;
    std::uint8_t metaType = 0;
    MidiBytes data;

    bool isNoteOn() const { return (status & 0xF0) == 0x90 && data.at(1) != 0; }
    // A note-off, or a note-on of velocity 0, which means the same.
    bool isNoteOff() const
    {
        return (status & 0xF0) == 0x80 || ((status & 0xF0) == 0x90 && data.at(1) == 0);
    }
    int channel() const { return status & 0x0F; }
};

struct SmfFile {
    int format = 0;
    int ticksPerQuarter = 0;
    std::vector<std::vector<SmfEvent>> tracks;
};

// Reads a variable-length quantity at pos and advances pos past it. Throws
// std::runtime_error when the data ends first or the value runs over four bytes.
std::uint32_t readVarLength(const MidiBytes &data, std::size_t &pos);

// Parses a whole file. Throws std::runtime_error when the data is not a well-formed SMF
// with metrical timing: bad chunk ids or lengths, a track without end-of-track, an event
// running past its chunk, a data byte with no running status.
SmfFile parseSmf(const MidiBytes &data);

// The file's bytes. Throws std::runtime_error naming the file when it cannot be read.
MidiBytes readFileBytes(const std::filesystem::path &path);

// Seconds from the start to the last event of any track (the end-of-track events
// included), following every tempo event (default 500000 microseconds a quarter).
double playingSeconds(const SmfFile &file);

} // namespace quorvel
