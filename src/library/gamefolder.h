#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>

// Files that authoring brings into the game's folder (the working folder, where the library
// file lives): the names they get there and how their bytes get there without ever leaving
// a half-written file or replacing one that is already there.

namespace quorvel {

// The largest picture or tune file that is brought in, copied or imported.
inline constexpr std::size_t kLargestGameFile = 16u << 20;

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

// The whole content of a file (UTF-8 path). Throws QuorvelError naming the file when it
// cannot be read, is not a regular file or holds more than `limit` bytes.
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

// The system calls through which new files reach the disk. Tests replace them to fail a
// chosen call with a chosen error; every call goes through here.
struct FileSystemCalls {
    int (*open)(const char *path, int flags, mode_t mode);
    ssize_t (*write)(int fd, const void *data, std::size_t size);
    int (*fsync)(int fd);
    int (*link)(const char *from, const char *to);
    int (*rename)(const char *from, const char *to);
};
FileSystemCalls &fileSystemCalls();

} // namespace quorvel
