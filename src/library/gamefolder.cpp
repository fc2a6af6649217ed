#include "gamefolder.h"

#include "library/ansi.h"
#include "library/gamerecord.h"
#include "library/libraryfile.h"
#include "library/quorvelerror.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quorvel {
namespace {

constexpr std::size_t kLongestExtension = 11; // the dot included

// The text of a failed call's errno, from the same table as the library file's errors.
std::string reason(int errnum, const std::string &path)
{
    return ioErrorText(ioErrorCode(errnum, path));
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

// Writes all bytes to an open file, through the seam, going on after short writes.
bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = fileSystemCalls().write(fd, bytes.data(), bytes.size());
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

// A hidden file beside `target` holding `bytes`, flushed to the disk. Throws QuorvelError
// naming `shownName`; on failure nothing is left behind.
std::string writeTemporary(const std::filesystem::path &folder, std::string_view bytes,
                           const std::string &shownName)
{
    static std::atomic<unsigned> counter{0};
    thread_local std::mt19937 random{std::random_device{}()};
    for (int attempt = 0;; ++attempt) {
        const std::string name = ".quorvel-" + std::to_string(::getpid()) + "-" +
                                 std::to_string(counter++) + "-" + std::to_string(random()) +
                                 ".part";
        const std::string temp = (folder / name).string();
        const int fd = fileSystemCalls().open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL |
                                                                O_CLOEXEC, 0644);
        if (fd < 0) {
            if (errno == EEXIST && attempt < 100)
                continue;
            throw QuorvelError("Cannot write " + quoted(shownName) + ": " +
                               reason(errno, temp));
        }
        int error = 0;
        if (!writeAll(fd, bytes) || fileSystemCalls().fsync(fd) != 0)
            error = errno;
        if (::close(fd) != 0 && !error)
            error = errno;
        if (error) {
            ::unlink(temp.c_str());
            throw QuorvelError("Cannot write " + quoted(shownName) + ": " +
                               reason(error, shownName));
        }
        return temp;
    }
}

// Whether `path` is a regular file holding exactly `bytes`.
bool holdsExactly(const std::string &path, std::string_view bytes)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::size_t>(st.st_size) != bytes.size())
        return false;
    try {
        return readGameFile(path, bytes.size()) == bytes;
    } catch (const QuorvelError &) {
        return false;
    }
}

} // namespace

FileSystemCalls &fileSystemCalls()
{
    static FileSystemCalls calls{
        [](const char *path, int flags, mode_t mode) { return ::open(path, flags, mode); },
        ::write, ::fsync, ::link, std::rename};
    return calls;
}

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

std::string readGameFile(const std::string &path, std::size_t limit)
{
    // Not blocking: a named pipe must not hang the program.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT)
            throw QuorvelError("The file " + quoted(path) + " does not exist");
        throw QuorvelError("Cannot read " + quoted(path) + ": " + reason(errno, path));
    }
    struct stat st {};
    std::string bytes;
    int error = 0;
    if (::fstat(fd, &st) != 0) {
        error = errno;
    } else if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        throw QuorvelError(quoted(path) + " is not a file");
    } else if (static_cast<std::uint64_t>(st.st_size) > limit) {
        ::close(fd);
        throw QuorvelError("The file " + quoted(path) + " is larger than " +
                           std::to_string(limit >> 20) + " MB");
    } else {
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                error = errno;
            if (n <= 0)
                break;
            bytes.append(buffer, static_cast<std::size_t>(n));
            if (bytes.size() > limit) {
                ::close(fd);
                throw QuorvelError("The file " + quoted(path) + " is larger than " +
                                   std::to_string(limit >> 20) + " MB");
            }
        }
    }
    ::close(fd);
    if (error)
        throw QuorvelError("Cannot read " + quoted(path) + ": " + reason(error, path));
    return bytes;
}

PlacedFile placeInGameFolder(const std::string &wantedName, std::string_view bytes)
{
    const std::string first = fittedFileName(wantedName, kFileNameCapacity);
    std::string temp;
    struct Cleanup {
        std::string &path;
        ~Cleanup()
        {
            if (!path.empty())
                ::unlink(path.c_str());
        }
    } cleanup{temp};
    for (int n = 1; n < 100000; ++n) {
        const std::string name = candidateName(wantedName, n, kFileNameCapacity);
        struct stat st {};
        if (::lstat(name.c_str(), &st) == 0) {
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
        if (fileSystemCalls().link(temp.c_str(), name.c_str()) == 0)
            return {name, true};
        if (errno == EEXIST)
            continue;
        if (errno != EPERM && errno != ENOTSUP && errno != ENOSYS && errno != EMLINK)
            throw QuorvelError("Cannot write " + quoted(name) + ": " + reason(errno, name));
        if (fileSystemCalls().rename(temp.c_str(), name.c_str()) != 0)
            throw QuorvelError("Cannot write " + quoted(name) + ": " + reason(errno, name));
        temp.clear();
        return {name, true};
    }
    throw QuorvelError("Cannot write " + quoted(first) + ": no free name is left");
}

void replaceFile(const std::string &path, std::string_view bytes)
{
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty())
        folder = ".";
    const std::string temp = writeTemporary(folder, bytes, path);
    if (fileSystemCalls().rename(temp.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        throw QuorvelError("Cannot write " + quoted(path) + ": " + reason(error, path));
    }
}

} // namespace quorvel
