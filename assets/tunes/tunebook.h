#pragma once

#include <span>
#include <string_view>

// The melodies of the default games, written out in the note language of notation.h so
// that a wrong note is found and corrected by reading the table, not by decoding bytes.

namespace quorvel {

struct Tune {
    std::string_view name;   // the tune's name as hymnals print it
    std::string_view meter;  // time signature the bar lines are checked against
    int tempo;               // quarter notes a minute
    std::string_view melody;
    std::string_view bass;   // a simple line under the melody, the same length; may be empty
};

// Hymn tunes published before 1900, each an excerpt of a phrase or two, in a home key
// that the games transpose. Names are unique.
std::span<const Tune> hymnTunes();

// Short fanfares for the end of a game, one a game, our own.
std::span<const Tune> fanfares();

// The hymn or fanfare of that name. Throws std::out_of_range for an unknown name.
const Tune &findTune(std::string_view name);

} // namespace quorvel
