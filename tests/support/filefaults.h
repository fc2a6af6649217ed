#pragma once

// Fault injection under the files authoring writes: the n-th call of one kind fails with a
// chosen errno, or writes come in short pieces, while the object lives.

#include "library/gamefolder.h"

#include <cerrno>
#include <filesystem>
#include <set>
#include <string>

namespace quorvel::test {

class FileFaults {
public:
    enum Call { Open, Write, Fsync, Link, Rename, ShortWrites };

    FileFaults(Call call, int nth = 1, int error = ENOSPC) : saved_(fileSystemCalls())
    {
        countdown_ = nth;
        error_ = error;
        FileSystemCalls &calls = fileSystemCalls();
        switch (call) {
        case Open:
            calls.open = [](const char *p, int f, mode_t m) {
                return fail() ? -1 : original().open(p, f, m);
            };
            break;
        case Write:
            calls.write = [](int fd, const void *d, std::size_t n) -> ssize_t {
                return fail() ? -1 : original().write(fd, d, n);
            };
            break;
        case Fsync:
            calls.fsync = [](int fd) { return fail() ? -1 : original().fsync(fd); };
            break;
        case Link:
            calls.link = [](const char *a, const char *b) {
                return fail() ? -1 : original().link(a, b);
            };
            break;
        case Rename:
            calls.rename = [](const char *a, const char *b) {
                return fail() ? -1 : original().rename(a, b);
            };
            break;
        case ShortWrites:
            calls.write = [](int fd, const void *d, std::size_t n) -> ssize_t {
                return original().write(fd, d, n < 3 ? n : 3);
            };
            break;
        }
        original() = saved_;
    }
    ~FileFaults() { fileSystemCalls() = saved_; }
    FileFaults(const FileFaults &) = delete;
    FileFaults &operator=(const FileFaults &) = delete;

private:
    static FileSystemCalls &original()
    {
        static FileSystemCalls calls;
        return calls;
    }
    static bool fail()
    {
        if (--countdown_ != 0)
            return false;
        errno = error_;
        return true;
    }
    static inline int countdown_ = 0;
    static inline int error_ = 0;
    FileSystemCalls saved_;
};

// The names in a folder, hidden ones included.
inline std::set<std::string> namesIn(const std::filesystem::path &folder)
{
    std::set<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

} // namespace quorvel::test
