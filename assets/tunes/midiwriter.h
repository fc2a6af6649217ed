#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Writing Standard MIDI Files (SMF), the format of every tune the games play. Plain C++ with
// no toolkit, so the tune generator runs at build time without a display.

namespace quorvel {

using MidiBytes = std::vector<std::uint8_t>;

// Appends value as a variable-length quantity: seven bits a byte, most significant group
// first, the top bit set on every byte but the last. Throws std::invalid_argument above
// kMaxVarLength, the largest value the four bytes a MIDI reader accepts can carry.
inline constexpr std::uint32_t kMaxVarLength = 0x0FFFFFFF;
void appendVarLength(MidiBytes &out, std::uint32_t value);

// One track of a file: events placed at absolute times in ticks, in any order. On encoding
// they are sorted by time; at one time a note-off comes before meta events and program
// changes, and those before note-ons, so a note repeated without a gap re-strikes cleanly
// and an instrument is set before its first note. Events of one kind at one time keep the
// order in which they were added. Every add throws std::invalid_argument for a value out
// of its MIDI range (channel 0-15, key, program and velocity 0-127, velocity above 0).
class MidiTrack {
public:
    // Track name meta event (type 3) at time 0.
    void setName(const std::string &name);
    // Tempo meta event (type 0x51), in microseconds a quarter note (1 to 0xFFFFFF).
    void addTempo(std::uint32_t tick, std::uint32_t microsecondsPerQuarter);
    // Time signature meta event (type 0x58): numerator, denominator a power of two.
    void addTimeSignature(std::uint32_t tick, int numerator, int denominator);
    void addProgramChange(std::uint32_t tick, int channel, int program);
    // A note-on at tick and its note-off (status 0x80, release velocity 64) length ticks
    // later; length must be at least 1.
    void addNote(std::uint32_t tick, std::uint32_t length, int channel, int key,
                 int velocity);

    // Time of the last event, where the end-of-track event goes.
    std::uint32_t endTick() const;
    // The "MTrk" chunk: sorted events with delta times, closed by end-of-track.
    MidiBytes chunk() const;

private:
    struct Event {
        std::uint32_t tick;
        int rank;      // order among events at the same tick, see the class comment
        MidiBytes data; // status byte and what follows, without the delta time
    };
    void add(std::uint32_t tick, int rank, MidiBytes data);

    std::vector<Event> events_;
};

// A whole file: the "MThd" header chunk followed by one chunk a track. Format 0 holds
// exactly one track; format 1 holds tracks played together, tempo events in the first.
class MidiFile {
public:
    // Throws std::invalid_argument for a format other than 0 or 1, or a division of 0 or
    // one above 0x7FFF (the top bit would mean SMPTE timing).
    MidiFile(int format, int ticksPerQuarter);

    int ticksPerQuarter() const { return ticksPerQuarter_; }
    // The reference stays valid until the next addTrack().
    MidiTrack &addTrack();

    // Throws std::logic_error when the file has no track, or more than one in format 0.
    MidiBytes bytes() const;
    // Writes bytes() to path, replacing the file. Throws std::runtime_error naming the
    // file when it cannot be written.
    void save(const std::filesystem::path &path) const;

private:
    int format_;
    int ticksPerQuarter_;
    std::vector<MidiTrack> tracks_;
};

} // namespace quorvel
