#pragma once

#include "gamerecord.h"
#include "quorvelerror.h"

#include <string>

namespace quorvel {

class FileCalls;
struct FileStatus;

inline constexpr const char *kLibraryFileName = "quorvels.dat";

// Error codes of the library file and their texts for the user.
inline constexpr int kFileNotFound = 2;
inline constexpr int kInvalidFilename = 3;
inline constexpr int kTooManyOpenFiles = 4;
inline constexpr int kAccessDenied = 5;
inline constexpr int kReadBeyondEnd = 100;
inline constexpr int kDiskFull = 101;

// "File not found", ..., or "I/O error <code>" for a code without a text of its own.
std::string ioErrorText(int code);

// The program's code for a failing system call's errno, by meaning, or 0 for an error that
// has no text of the program's own. `path` is the file the call was about: a missing file
// in a missing folder is a bad name, as it is on the system the library file comes from.
int ioErrorCode(int errnum, const std::string &path);

// The error the user sees for a failing system call: the program's code and text where the
// errno has one by meaning, else the system's number with "I/O error <errno>", also where
// that number happens to equal one of the program's codes (EIO is not "File access denied").
InOutError ioErrorOf(int errnum, const std::string &path);

// The library file: a flat file of GameRecords, 6686 bytes each, no header. Every
// operation either succeeds or throws InOutError with the code and text of the failure.
// The handle is closed when the object goes, also on a failing path.
class LibraryFile {
public:
    explicit LibraryFile(std::string fileName = kLibraryFileName);
    ~LibraryFile();
    LibraryFile(const LibraryFile &) = delete;
    LibraryFile &operator=(const LibraryFile &) = delete;

    // Opens the existing file for reading and writing, at record 0.
    void Open();
    // Creates the file, or empties the existing one, for reading and writing, at record 0.
    void Create();
    // Number of whole records; a partial record at the end does not count.
    int Count();
    // Positions at record n; n == Count() prepares an append. The index is not checked
    // against the file's length; a negative one positions before the first record.
    void Seek(int n);
    // Reads the record at the position and advances one record. Fails with
    // "Read beyond end of file" when no whole record is there (also before the first);
    // `record` is then unchanged.
    void Read(GameRecord &record);
    // Writes the record at the position (appending at the end) and advances one record.
    // Fails with "Read beyond end of file" before the first record.
    void Write(const GameRecord &record);
    // Cuts the file at the position.
    void Truncate();
    // Closes the handle; a failure is reported, and the handle is closed all the same.
    void Close();

    // Removes record n from the library file all at once (the editor's DEL): the library
    // without it is written to a new file of a fresh name beside it, flushed to the disk and
    // renamed over it, and the folder is flushed after; a failure at any step leaves the
    // file as it was and removes the new one.
    // The result holds the bytes that moving every later record down one place and then
    // cutting the file after the new last record give, so a partial record at the end goes
    // too. The file keeps its permission bits and, where the user may give it, its group;
    // a library that is a symbolic link stays one, to the file it named. Fails with "Read
    // beyond end of file" when n names no whole record, and like Open when the library is
    // not writable.
    static void RemoveRecord(const std::string &linkName, int n);
    // Puts `record` into the library file as record n (0 to Count()) all at once, the same
    // way: the records from n on move up one place, a partial record at the end goes. Fails
    // with "Read beyond end of file" when n is past the end.
    static void InsertRecord(const std::string &linkName, int n, const GameRecord &record);

    bool isOpen() const { return fd_ >= 0; }
    const std::string &fileName() const { return fileName_; }

private:
    [[noreturn]] void fail(int errnum) const;
    [[noreturn]] static void failCode(int code);
    void requireOpen() const;
    void requirePosition() const;
    void openWith(int flags);
    FileStatus status();
    void readBytes(void *buffer, std::size_t size);
    void writeBytes(const void *buffer, std::size_t size);
    void copyRecords(LibraryFile &source, int first, int count, std::string &buffer);
    // RemoveRecord without `inserted`, InsertRecord with it.
    static void replaceRecord(const std::string &linkName, int n, const GameRecord *inserted);

    FileCalls &calls_;
    std::string fileName_;
    int fd_ = -1;
    long long position_ = 0; // byte offset of the next Read or Write
};

} // namespace quorvel
