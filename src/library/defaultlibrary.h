#pragma once

#include "gamerecord.h"

#include <array>
#include <string>

namespace quorvel {

// One of the four games that a missing library file is replaced with.
struct DefaultGame {
    const char *name;    // the game's name, e.g. "Ostrel Quorvel"
    const char *prefix;  // the prefix of its file names, e.g. "OQ" for OQCvr.bmp, OQ7.mid
    std::array<const char *, kDescriptionCount> descriptions; // lines 1..45, plain ASCII
};

// The four default games in record order, with their description lines.
extern const std::array<DefaultGame, 4> kDefaultGames;

// Fills `record` with default game `game` exactly as the library file stores it. The record
// is zeroed first, so the file's bytes do not depend on what the buffer held before.
void fillDefaultRecord(GameRecord &record, const DefaultGame &game);

// Creates (or empties) the file `fileName` and writes the four default games into it as
// records 0 to 3. `scratch` is the buffer each record is built in; after a failure it holds
// the record that was being built. Throws InOutError.
void CreateDefaultLibrary(const std::string &fileName, GameRecord &scratch);

// The file names a default game's record names, in slot order: Bmps[0..18], then Midis[1..18].
std::string defaultBmpName(const DefaultGame &game, int slot);
std::string defaultMidiName(const DefaultGame &game, int slot);

} // namespace quorvel
