#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// The note language of the tune table, readable and easy to correct by hand:
//
//   D4:q | G4:h B4:e G4 | B4:h A4:q | r:q E4:h.
//
// A note is a letter A-G, an optional accidental '#' or 'b' and an octave digit, with
// middle C as C4 (MIDI key 60); 'r' is a rest. A duration follows a colon: w whole, h half,
// q quarter, e eighth, s sixteenth, a '.' making it dotted; several joined by '+' are added
// ("h+e", a tie). A note without a duration keeps the one before it (the first one without
// a duration is a quarter). '|' is a bar line; bar lines are optional, but where a meter
// is given every whole bar between two bar lines must have the meter's length, and the
// parts before the first and after the last (pick-up and closing bar) may not be longer.

namespace quorvel {

inline constexpr int kRest = -1;

struct Note {
    int key;             // MIDI key, or kRest
    std::uint32_t ticks; // duration
    bool operator==(const Note &) const = default;
};

// Parses "C4", "F#3", "Bb5" into a MIDI key. Throws std::invalid_argument for anything
// else or a key outside 0-127.
int parsePitch(std::string_view text);

// A time signature: beats a bar and the note value of a beat (1, 2, 4 or 8).
struct Meter {
    int beats;
    int unit;
    std::uint32_t barTicks(std::uint32_t ticksPerQuarter) const
    {
        return static_cast<std::uint32_t>(beats) * 4 * ticksPerQuarter / unit;
    }
};

// Parses "3/4", "6/8", "4/2". Throws std::invalid_argument for anything else.
Meter parseMeter(std::string_view text);

// Parses a line of notes. Throws std::invalid_argument naming the offending token, or the
// number of the bar (counted from 1 after the first bar line) that has a wrong length.
// ticksPerQuarter must be divisible by 8 so that a dotted sixteenth is whole.
std::vector<Note> parseNotes(std::string_view text, std::uint32_t ticksPerQuarter,
                             std::string_view meter = {});

// Sum of the notes' durations.
std::uint32_t totalTicks(const std::vector<Note> &notes);

} // namespace quorvel
