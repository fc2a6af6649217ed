#pragma once

#include "midiwriter.h"
#include "tunebook.h"

#include <array>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

// The 18 tunes of each of the four default games: which melody goes into which file, in
// which key and with which General MIDI instruments.

namespace quorvel {

inline constexpr int kTicksPerQuarter = 480;
inline constexpr int kCardTunes = 15;

// How a tune is played: instruments (General MIDI programs, counted from 0) of the melody
// on channel 0 and of the bass on channel 1, and a shift in semitones for both.
struct Voicing {
    int melodyProgram;
    int bassProgram;
    int transpose;
};

struct GameTunes {
    std::string_view prefix;  // file names are prefix + "1.mid" ... "15.mid", "win.mid", ...
    Voicing hymns;            // the card, read-me and help tunes: the game's own colour
    Voicing fanfare;          // the "You Won" tune
    std::array<std::string_view, kCardTunes> cards; // tune names for cards 1 to 15
    std::string_view readMe;  // prefix + "inst.mid"
    std::string_view help;    // prefix + "help.mid"
    std::string_view win;     // prefix + "win.mid"
};

// The four default games in library order: "OQ", "MQ", "BQ", "TA".
std::span<const GameTunes> defaultGameTunes();

// A format 1 file: a first track with the tune's name, time signature and tempo, then the
// melody track and, when the tune has one, the bass track. Throws std::invalid_argument,
// naming the tune, when its notes do not parse, a bar has the wrong length, melody and bass
// differ in length or a transposed note leaves the MIDI range.
MidiFile renderTune(const Tune &tune, const Voicing &voicing);

// Writes every default game's 18 files into folder, which must exist, and returns their
// paths in writing order. The bytes depend only on the tables, never on time or place.
std::vector<std::filesystem::path> writeDefaultTunes(const std::filesystem::path &folder);

} // namespace quorvel
