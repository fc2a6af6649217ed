#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A game travels as one file: a zip archive (extension .quorvel) that holds the game's
// record in the library's layout, as "record.dat", and every file the record names that
// exists, as "files/" and its bare name. A shared game names its files by bare names only,
// so that it can reach nothing outside the game's folder of whoever imports it.

namespace quorvel {

inline constexpr const char *kArchiveExtension = ".quorvel";
inline constexpr int kMostArchiveEntries = 64;
// The most an import brings into the game's folder, all files together.
inline constexpr std::size_t kLargestImport = 64u << 20;

// Writes a zip archive at `archivePath` (UTF-8; replaced only when the new one is whole)
// holding record `record` of the library file in the working folder and every file it
// names that exists. The archive's record is the stored one with each file name made bare
// (a file the author named by a path travels under its own name, a second file of the same
// name under a free one) and zeros after each field's text. Throws QuorvelError, also for
// a folder given as `archivePath`.
void exportGame(std::int32_t record, const std::string &archivePath);

// Appends the game of an archive to the library as a new record above 3, copying its files
// into the working folder (free names on a clash, the record's names changed to match; a
// file already there with the same bytes is not copied again); returns its record number.
// A damaged or hostile archive throws QuorvelError and writes nothing: one that is not a
// regular file, an entry outside the game's folder (absolute, "..", a link), a file over
// 16 MB or files over 64 MB in all, more than 64 entries, no record or one of another size
// than 6686 bytes, a record that names a file other than by a bare name, a tune that is not
// a playable Standard MIDI File or plays for more than 3 minutes, a picture that is not a
// whole Windows bitmap of at most 4096 x 4096 pixels. A failure at the library or while
// writing the files names the archive and leaves nothing behind either.
std::int32_t importGame(const std::string &archivePath);

} // namespace quorvel
