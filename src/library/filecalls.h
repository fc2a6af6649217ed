#pragma once

#include <cstddef>
#include <string>

namespace quorvel {

// The system calls under LibraryFile, one virtual function each, so that a test can make
// any of them fail (the way SQLite's test file system does). Each behaves as its POSIX
// namesake: a result of -1 means failure, with errno telling why.
class FileCalls {
public:
    virtual ~FileCalls() = default;

    virtual int open(const std::string &path, int flags, int mode) = 0;
    virtual long read(int fd, void *buffer, std::size_t size) = 0;
    virtual long write(int fd, const void *buffer, std::size_t size) = 0;
    // Positions at byte `offset` from the start (lseek with SEEK_SET).
    virtual long long seek(int fd, long long offset) = 0;
    // fstat: the file's length and its permission bits.
    virtual int status(int fd, long long &size, int &mode) = 0;
    virtual int setMode(int fd, int mode) = 0;
    virtual int truncate(int fd, long long length) = 0;
    // Waits until the file's content is on the disk (fdatasync).
    virtual int flush(int fd) = 0;
    // Starts writing the file's content to the disk without waiting; a hint that cannot
    // fail, so that a later flush() has less left to wait for.
    virtual void startFlush(int fd) = 0;
    virtual int close(int fd) = 0;
    // Closes a handle without waiting and without a result: for the last handle of a file
    // that is no longer linked, whose closing frees the file's blocks and cached pages.
    virtual void closeLater(int fd) = 0;
    virtual int rename(const std::string &from, const std::string &to) = 0;
    virtual int remove(const std::string &path) = 0;

    // The calls every LibraryFile made from now on uses: the system's unless a test has
    // put others in place.
    static FileCalls &current();
    // Puts `calls` in place (nullptr: the system's again); returns what was in place.
    static FileCalls *use(FileCalls *calls);
    static FileCalls &system();
};

} // namespace quorvel
