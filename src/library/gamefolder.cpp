#include "gamefolder.h"

#include "library/ansi.h"
#include "library/filecalls.h"
#include "library/gamerecord.h"
#include "library/libraryfile.h"
#include "library/quorvelerror.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <vector>

namespace quorvel {
namespace {

constexpr std::size_t kLongestExtension = 11; // the dot included

// The text of a failed call's errno, as the library file's errors read: "I/O error <errno>"
// for an errno without a text of the program's own.
std::string reason(int errnum, const std::string &path)
{
    return ioErrorOf(errnum, path).what();
}

// Splits UTF-8 text into its characters, each a whole sequence (a malformed byte alone).
std::vector<std::string> characters(std::string_view utf8)
{
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[pos]);
        std::size_t n = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3
                                       : (lead >> 3) == 30 ? 4 : 1;
        n = std::min(n, utf8.size() - pos);
        out.emplace_back(utf8.substr(pos, n));
        pos += n;
    }
    return out;
}

std::string joined(const std::vector<std::string> &chars, std::size_t from, std::size_t to)
{
    std::string out;
    for (std::size_t i = from; i < to && i < chars.size(); ++i)
        out += chars[i];
    return out;
}

// Writes all bytes to an open file, going on after short writes.
bool writeAll(FileCalls &calls, int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const long n = calls.write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// A hidden file in `folder` holding `bytes`, flushed to the disk. Throws QuorvelError
// naming `shownName`; on failure nothing is left behind.
std::string writeTemporary(const std::string &folder, std::string_view bytes,
                           const std::string &shownName)
{
    FileCalls &calls = FileCalls::current();
    std::string temp;
    const int fd = createTemporary(calls, folder, O_WRONLY, 0644, temp);
    if (fd < 0)
        throw QuorvelError("Cannot write " + quoted(shownName) + ": " + reason(errno, temp));
    int error = 0;
    if (!writeAll(calls, fd, bytes) || calls.flush(fd) != 0)
        error = errno;
    if (calls.close(fd) != 0 && !error)
        error = errno;
    if (error) {
        calls.remove(temp);
        throw QuorvelError("Cannot write " + quoted(shownName) + ": " +
                           reason(error, shownName));
    }
    return temp;
}

// Whether `path` is a regular file holding exactly `bytes`.
bool holdsExactly(const std::string &path, std::string_view bytes)
{
    FileStatus status;
    if (FileCalls::current().lookup(path, status) != 0 || !S_ISREG(status.mode) ||
        static_cast<std::size_t>(status.size) != bytes.size())
        return false;
    const BoundedRead file = readBounded(path, bytes.size());
    return file.outcome == BoundedRead::Outcome::Read && file.bytes == bytes;
}

} // namespace

std::string storableFileName(std::string_view utf8Name, std::string_view fallback)
{
    std::string out;
    for (const std::string &c : characters(utf8Name)) {
        const std::string ansi = utf8ToAnsi(c);
        const bool stored = ansi.size() == 1 && ansiToUtf8(ansi) == c;
        const auto byte = static_cast<unsigned char>(ansi[0]);
        // Windows-1252 leaves five bytes undefined; they read back as C1 controls.
        const bool control = byte < 0x20 || byte == 0x7F ||
                             (c.size() == 2 && c[0] == '\xC2' && (c[1] & 0xE0) == 0x80);
        out += stored && !control && byte != '/' && byte != '\\' ? c : std::string("_");
    }
    if (out.empty() || out == "." || out == "..")
        return std::string(fallback);
    return out;
}

std::string candidateName(const std::string &utf8Name, int n, std::size_t capacity)
{
    const std::vector<std::string> chars = characters(utf8Name);
    std::size_t dot = chars.size();
    for (std::size_t i = chars.size(); i-- > 1;) {
        if (chars[i] == ".") {
            if (chars.size() - i <= kLongestExtension)
                dot = i;
            break;
        }
    }
    const std::string suffix = n > 1 ? "-" + std::to_string(n) : std::string();
    const std::size_t extension = chars.size() - dot;
    const std::size_t room = capacity > extension + suffix.size()
                                 ? capacity - extension - suffix.size() : 1;
    return joined(chars, 0, std::min(dot, room)) + suffix + joined(chars, dot, chars.size());
}

std::string fittedFileName(const std::string &utf8Name, std::size_t capacity)
{
    return candidateName(utf8Name, 1, capacity);
}

BoundedRead readBounded(const std::string &path, std::size_t limit)
{
    return readBounded(FileCalls::current(), path, limit);
}

BoundedRead readBounded(FileCalls &calls, const std::string &path, std::size_t limit)
{
    BoundedRead file;
    using Outcome = BoundedRead::Outcome;
    const int fd = calls.open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY, 0);
    if (fd < 0) {
        file.errnum = errno;
        file.outcome = errno == ENOENT ? Outcome::Missing : Outcome::CannotOpen;
        return file;
    }
    FileStatus status;
    if (calls.status(fd, status) != 0) {
        file.errnum = errno;
        file.outcome = Outcome::Failed;
    } else if (!S_ISREG(status.mode)) {
        file.outcome = Outcome::NotAFile;
    } else if (static_cast<unsigned long long>(status.size) > limit) {
        file.outcome = Outcome::TooLarge;
    } else {
        // Pieces of a size every file reads in (those under /proc want whole entries),
        // until the end or the limit, however large the file said it was.
        file.bytes.reserve(static_cast<std::size_t>(status.size));
        char buffer[65536];
        for (;;) {
            const long n = calls.read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                file.errnum = errno;
                file.outcome = Outcome::Failed;
            }
            if (n <= 0)
                break;
            file.bytes.append(buffer, static_cast<std::size_t>(n));
            if (file.bytes.size() > limit) {
                file.outcome = Outcome::TooLarge;
                break;
            }
        }
    }
    calls.close(fd); // a read handle: nothing is lost when closing it fails
    if (file.outcome != Outcome::Read)
        file.bytes.clear();
    return file;
}

std::string readGameFile(const std::string &path, std::size_t limit)
{
    BoundedRead file = readBounded(path, limit);
    switch (file.outcome) {
    case BoundedRead::Outcome::Read:
        break;
    case BoundedRead::Outcome::Missing:
        throw QuorvelError("The file " + quoted(path) + " does not exist");
    case BoundedRead::Outcome::NotAFile:
        throw QuorvelError(quoted(path) + " is not a file");
    case BoundedRead::Outcome::TooLarge:
        throw QuorvelError("The file " + quoted(path) + " is larger than " +
                           std::to_string(limit >> 20) + " MB");
    case BoundedRead::Outcome::CannotOpen:
    case BoundedRead::Outcome::Failed:
        throw QuorvelError("Cannot read " + quoted(path) + ": " + reason(file.errnum, path));
    }
    return std::move(file.bytes);
}

PlacedFile placeInGameFolder(const std::string &wantedName, std::string_view bytes)
{
    FileCalls &calls = FileCalls::current();
    const std::string first = fittedFileName(wantedName, kFileNameCapacity);
    std::string temp;
    struct Cleanup {
        FileCalls &calls;
        std::string &path;
        ~Cleanup()
        {
            if (!path.empty())
                calls.remove(path);
        }
    } cleanup{calls, temp};
    for (int n = 1; n < 100000; ++n) {
        const std::string name = candidateName(wantedName, n, kFileNameCapacity);
        FileStatus status;
        if (calls.lookup(name, status) == 0) {
            if (holdsExactly(name, bytes))
                return {name, false};
            continue;
        }
        if (errno != ENOENT)
            throw QuorvelError("Cannot write " + quoted(name) + ": " + reason(errno, name));
        if (temp.empty())
            temp = writeTemporary(".", bytes, first);
        // A hard link takes the name only if it is still free; a file system without
        // links gets the temporary file renamed instead.
        if (calls.link(temp, name) == 0)
            return {name, true};
        if (errno == EEXIST)
            continue;
        if (errno != EPERM && errno != ENOTSUP && errno != ENOSYS && errno != EMLINK)
            throw QuorvelError("Cannot write " + quoted(name) + ": " + reason(errno, name));
        if (calls.rename(temp, name) != 0)
            throw QuorvelError("Cannot write " + quoted(name) + ": " + reason(errno, name));
        temp.clear();
        return {name, true};
    }
    throw QuorvelError("Cannot write " + quoted(first) + ": no free name is left");
}

void replaceFile(const std::string &path, std::string_view bytes)
{
    FileCalls &calls = FileCalls::current();
    std::string folder = std::filesystem::path(path).parent_path().string();
    if (folder.empty())
        folder = ".";
    const std::string temp = writeTemporary(folder, bytes, path);
    if (calls.rename(temp, path) != 0) {
        const int error = errno;
        calls.remove(temp);
        throw QuorvelError("Cannot write " + quoted(path) + ": " + reason(error, path));
    }
    calls.flushFolder(folder);
}

} // namespace quorvel
