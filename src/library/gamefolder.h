#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Files that authoring brings into the game's folder (the working folder, where the library
// file lives): the names they get there and how their bytes get there without ever leaving
// a half-written file or replacing one that is already there.

namespace quorvel {

class FileCalls;

// The largest picture or tune file that is brought in, copied or imported.
inline constexpr std::size_t kLargestGameFile = 16u << 20;
// The largest picture or tune file the game reads to show or play it.
inline constexpr std::size_t kLargestReadFile = 32u << 20;

// A bare file name that a record can store and the file system can hold: characters
// without a Windows-1252 byte, controls, "/" and "\" become "_", and a name that would be
// empty, "." or ".." becomes `fallback`. UTF-8 in and out.
std::string storableFileName(std::string_view utf8Name, std::string_view fallback);

// The name cut to `capacity` characters by shortening its stem, the extension kept (a
// "extension" longer than ten characters counts as part of the stem).
std::string fittedFileName(const std::string &utf8Name, std::size_t capacity);

// The n-th candidate for a name (n from 1): the name itself, then "stem-2.ext",
// "stem-3.ext", ..., each fitted to `capacity` characters.
std::string candidateName(const std::string &utf8Name, int n, std::size_t capacity);

// The whole content of a file that anyone may have put there or named, read so that it can
// neither hang the program nor fill its memory: opened without waiting (a named pipe or a
// device answers at once), taken only when it is a regular file, and read to at most
// `limit` bytes, whatever its size claims (a file under /proc claims none).
struct BoundedRead {
    enum class Outcome { Read, Missing, CannotOpen, NotAFile, TooLarge, Failed };
    Outcome outcome = Outcome::Read;
    int errnum = 0;    // why it could not be opened or read
    std::string bytes; // the content, when read
};
BoundedRead readBounded(const std::string &path, std::size_t limit);
// The same through the calls given. Showing a picture and playing a tune read with the
// system's own: the fault sweeps of the library and the game's folder are about what the
// program writes and brings in, and a picture that cannot be read is an error of its own.
BoundedRead readBounded(FileCalls &calls, const std::string &path, std::size_t limit);

// The whole content of a file (UTF-8 path), read as readBounded() does. Throws QuorvelError
// naming the file when it cannot be read, is not a regular file or holds more than `limit`
// bytes.
std::string readGameFile(const std::string &path, std::size_t limit = kLargestGameFile);

// Writes `bytes` into the working folder under the first free candidate of `wantedName`
// (capacity 50), or, when a candidate already holds exactly these bytes, leaves it as it is.
// The bytes go to a hidden temporary file first, are flushed, and take their name only when
// whole, so a failure (a full disk, a read-only folder) leaves no file behind and replaces
// none. Throws QuorvelError naming the file and the reason.
struct PlacedFile {
    std::string name; // bare UTF-8 name in the working folder
    bool written;     // false when an identical file of that name was already there
};
PlacedFile placeInGameFolder(const std::string &wantedName, std::string_view bytes);

// Writes a whole file at `path` (any folder) the same way, replacing a file of that name
// only once the new one is complete.
void replaceFile(const std::string &path, std::string_view bytes);

} // namespace quorvel
