#include "libraryfile.h"

#include "library/filecalls.h"
#include "library/quorvelerror.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <system_error>

namespace quorvel {

std::string ioErrorText(int code)
{
    switch (code) {
    case kFileNotFound:
        return "File not found";
    case kInvalidFilename:
        return "Invalid filename";
    case kTooManyOpenFiles:
        return "Too many open files";
    case kAccessDenied:
        return "File access denied";
    case kReadBeyondEnd:
        return "Read beyond end of file";
    case kDiskFull:
        return "Disk full";
    default:
        return "I/O error " + std::to_string(code);
    }
}

int ioErrorCode(int errnum, const std::string &path)
{
    switch (errnum) {
    case ENOENT: {
        std::error_code ec;
        const auto parent = std::filesystem::path(path).parent_path();
        if (!parent.empty() && !std::filesystem::is_directory(parent, ec))
            return kInvalidFilename;
        return kFileNotFound;
    }
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ:
        return kInvalidFilename;
    case EMFILE:
    case ENFILE:
        return kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        return kAccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return kDiskFull;
    default:
        return 0;
    }
}

InOutError ioErrorOf(int errnum, const std::string &path)
{
    const int code = ioErrorCode(errnum, path);
    if (code != 0)
        return InOutError(code, ioErrorText(code));
    return InOutError(errnum, "I/O error " + std::to_string(errnum));
}

LibraryFile::LibraryFile(std::string fileName)
    : calls_(FileCalls::current()), fileName_(std::move(fileName))
{
}

LibraryFile::~LibraryFile()
{
    if (fd_ >= 0)
        calls_.close(fd_);
}

void LibraryFile::fail(int errnum) const
{
    throw ioErrorOf(errnum, fileName_);
}

void LibraryFile::failCode(int code)
{
    throw InOutError(code, ioErrorText(code));
}

void LibraryFile::requireOpen() const
{
    // A file operation on a closed handle; the program's sequences never do this.
    if (fd_ < 0)
        failCode(103);
}

void LibraryFile::requirePosition() const
{
    requireOpen();
    if (position_ < 0)
        failCode(kReadBeyondEnd);
}

void LibraryFile::openWith(int flags)
{
    Close();
    const int fd = calls_.open(fileName_, flags, 0666);
    if (fd < 0)
        fail(errno);
    fd_ = fd;
    position_ = 0;
}

void LibraryFile::Open()
{
    openWith(O_RDWR);
}

void LibraryFile::Create()
{
    openWith(O_RDWR | O_CREAT | O_TRUNC);
}

FileStatus LibraryFile::status()
{
    requireOpen();
    FileStatus status;
    if (calls_.status(fd_, status) != 0)
        fail(errno);
    return status;
}

int LibraryFile::Count()
{
    return static_cast<int>(status().size / static_cast<long long>(kRecordSize));
}

void LibraryFile::Seek(int n)
{
    requireOpen();
    const long long position = static_cast<long long>(n) * static_cast<long long>(kRecordSize);
    // A record before the first is as absent as one past the last: reading it fails with
    // "Read beyond end of file", not with the system's complaint about a negative offset.
    if (position >= 0 && calls_.seek(fd_, position) < 0)
        fail(errno);
    position_ = position;
}

void LibraryFile::readBytes(void *buffer, std::size_t size)
{
    auto *bytes = static_cast<char *>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const long got = calls_.read(fd_, bytes + done, size - done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        if (got == 0)
            failCode(kReadBeyondEnd);
        done += static_cast<std::size_t>(got);
    }
    position_ += static_cast<long long>(size);
}

void LibraryFile::writeBytes(const void *buffer, std::size_t size)
{
    const auto *bytes = static_cast<const char *>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const long put = calls_.write(fd_, bytes + done, size - done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        if (put == 0)
            fail(ENOSPC);
        done += static_cast<std::size_t>(put);
    }
    position_ += static_cast<long long>(size);
}

void LibraryFile::Read(GameRecord &record)
{
    requirePosition();
    GameRecord buffer;
    readBytes(buffer.data(), kRecordSize);
    record = buffer;
}

void LibraryFile::Write(const GameRecord &record)
{
    requirePosition();
    writeBytes(record.data(), kRecordSize);
}

void LibraryFile::Truncate()
{
    requireOpen();
    if (calls_.truncate(fd_, position_) != 0)
        fail(errno);
}

void LibraryFile::Close()
{
    if (fd_ < 0)
        return;
    const int fd = fd_;
    fd_ = -1;
    if (calls_.close(fd) != 0)
        fail(errno);
}

namespace {

constexpr std::size_t kCopyChunk = std::size_t(4) << 20;
// Bytes written between two hints to start putting them on the disk, so that the flush
// before the rename finds little left to wait for.
constexpr long long kFlushHintEvery = 4LL << 20;

} // namespace

void LibraryFile::copyRecords(LibraryFile &source, int first, int count, std::string &buffer)
{
    source.Seek(first);
    long long left = static_cast<long long>(count) * static_cast<long long>(kRecordSize);
    while (left > 0) {
        const std::size_t size = static_cast<std::size_t>(
            std::min(left, static_cast<long long>(buffer.size())));
        source.readBytes(buffer.data(), size);
        writeBytes(buffer.data(), size);
        left -= static_cast<long long>(size);
        if (position_ / kFlushHintEvery !=
            (position_ - static_cast<long long>(size)) / kFlushHintEvery)
            calls_.startFlush(fd_);
    }
}

void LibraryFile::RemoveRecord(const std::string &linkName, int n)
{
    replaceRecord(linkName, n, nullptr);
}

void LibraryFile::InsertRecord(const std::string &linkName, int n, const GameRecord &record)
{
    replaceRecord(linkName, n, &record);
}

void LibraryFile::replaceRecord(const std::string &linkName, int n, const GameRecord *inserted)
{
    // A library that is a link to a file elsewhere stays one: the file it names is replaced,
    // beside itself.
    std::error_code error;
    std::string fileName = std::filesystem::canonical(linkName, error).string();
    if (error)
        fileName = linkName;
    LibraryFile source(fileName);
    source.Open();
    const FileStatus was = source.status();
    const long long count = was.size / static_cast<long long>(kRecordSize);
    if (n < 0 || n > count || (n == count && !inserted))
        failCode(kReadBeyondEnd);
    const int last = static_cast<int>(count) - 1;

    std::string folder = std::filesystem::path(fileName).parent_path().string();
    if (folder.empty())
        folder = ".";
    // A name no one else can have made beforehand: a link put there in its place would
    // have the file it names emptied and written.
    LibraryFile target(fileName);
    target.fd_ = createTemporary(target.calls_, folder, O_RDWR, 0600, target.fileName_);
    if (target.fd_ < 0)
        target.fail(errno);
    try {
        // The library's group where the user may give it (a group they belong to); the
        // permission bits after it, since a change of group may clear the set-group bit.
        if (target.calls_.setGroup(target.fd_, was.group) != 0 && errno != EPERM)
            target.fail(errno);
        if (target.calls_.setMode(target.fd_, static_cast<int>(was.mode & 07777)) != 0)
            target.fail(errno);
        std::string buffer(std::min(kCopyChunk, static_cast<std::size_t>(count) * kRecordSize),
                           '\0');
        target.copyRecords(source, 0, n, buffer);
        if (inserted)
            target.Write(*inserted);
        const int rest = inserted ? n : n + 1;
        target.copyRecords(source, rest, last + 1 - rest, buffer);
        if (target.calls_.flush(target.fd_) != 0)
            target.fail(errno);
        target.Close();
        if (target.calls_.rename(target.fileName_, fileName) != 0)
            source.fail(errno);
    } catch (...) {
        target.calls_.remove(target.fileName_); // the handle closes as `target` goes
        throw;
    }
    target.calls_.flushFolder(folder);
    // The old library is unlinked now and only read from, so its closing can neither fail
    // the removal nor lose a byte; it holds the cost of freeing the old file.
    source.calls_.closeLater(source.fd_);
    source.fd_ = -1;
}

} // namespace quorvel
