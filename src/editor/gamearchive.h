#pragma once

#include <cstdint>
#include <string>

// A game travels as one file: a zip archive (extension .quorvel) that holds the game's
// record exactly as the library stores it, as "record.dat", and every file the record names
// that exists, as "files/" and the name as stored (made relative).

namespace quorvel {

inline constexpr const char *kArchiveExtension = ".quorvel";
inline constexpr int kMostArchiveEntries = 64;

// Writes a zip archive at `archivePath` (UTF-8; replaced only when the new one is whole)
// holding record `record` of the library file in the working folder, as stored (6686
// bytes), and every file it names that exists. Throws QuorvelError.
void exportGame(std::int32_t record, const std::string &archivePath);

// Appends the game of an archive to the library as a new record above 3, copying its files
// into the working folder (free names on a clash, the record's names changed to match; a
// file already there with the same bytes is not copied again); returns its record number.
// A damaged or hostile archive throws QuorvelError and writes nothing: a path outside the
// game's folder (absolute, "..", a link), a file over 16 MB, more than 64 entries, no record
// or one of another size than 6686 bytes, a tune that is not a playable Standard MIDI File
// or plays for more than 3 minutes.
std::int32_t importGame(const std::string &archivePath);

} // namespace quorvel
