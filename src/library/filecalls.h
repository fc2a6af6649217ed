#pragma once

#include <cstddef>
#include <string>

namespace quorvel {

// What the system tells of a file: its length, its type and permission bits (st_mode) and
// its group.
struct FileStatus {
    long long size = 0;
    unsigned mode = 0;
    unsigned group = 0;
};

// Every system call through which the program reads and writes the files of the game's
// folder: the library file, the pictures and tunes an author brings in or an archive
// brings along, and their temporary files. One virtual function each, so that a test can
// make any of them fail (the way SQLite's test file system does). Each behaves as its POSIX
// namesake: a result of -1 means failure, with errno telling why.
class FileCalls {
public:
    virtual ~FileCalls() = default;

    // Every handle is opened close-on-exec.
    virtual int open(const std::string &path, int flags, int mode) = 0;
    virtual long read(int fd, void *buffer, std::size_t size) = 0;
    virtual long write(int fd, const void *buffer, std::size_t size) = 0;
    // Positions at byte `offset` from the start (lseek with SEEK_SET).
    virtual long long seek(int fd, long long offset) = 0;
    // fstat.
    virtual int status(int fd, FileStatus &status) = 0;
    // lstat: the name itself, a link not followed.
    virtual int lookup(const std::string &path, FileStatus &status) = 0;
    virtual int setMode(int fd, int mode) = 0;
    // Gives the file the group, its owner unchanged (fchown).
    virtual int setGroup(int fd, unsigned group) = 0;
    virtual int truncate(int fd, long long length) = 0;
    // Waits until the file's content is on the disk (fdatasync).
    virtual int flush(int fd) = 0;
    // Starts writing the file's content to the disk without waiting; a hint that cannot
    // fail, so that a later flush() has less left to wait for.
    virtual void startFlush(int fd) = 0;
    // Puts a folder's names on the disk, so that a file renamed into it stays renamed after
    // a power cut. The rename has happened by then, so a failure has nothing to undo.
    virtual void flushFolder(const std::string &folder) = 0;
    virtual int close(int fd) = 0;
    // Closes a handle without waiting and without a result: for the last handle of a file
    // that is no longer linked, whose closing frees the file's blocks and cached pages.
    virtual void closeLater(int fd) = 0;
    virtual int link(const std::string &from, const std::string &to) = 0;
    virtual int rename(const std::string &from, const std::string &to) = 0;
    virtual int remove(const std::string &path) = 0;

    // The calls every file operation made from now on uses: the system's unless a test has
    // put others in place.
    static FileCalls &current();
    // Puts `calls` in place (nullptr: the system's again); returns what was in place.
    static FileCalls *use(FileCalls *calls);
    static FileCalls &system();
    // Returns once every handle handed to the system's closeLater() is closed.
    static void awaitLaterCloses();
};

// Creates a new hidden file with a name of its own in `folder` (O_CREAT | O_EXCL |
// O_NOFOLLOW added to `flags`): never an existing file, never through a link. Sets `path`
// and returns the handle, or -1 with errno.
int createTemporary(FileCalls &calls, const std::string &folder, int flags, int mode,
                    std::string &path);

} // namespace quorvel
