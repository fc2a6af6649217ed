#include "libraryfile.h"

#include "library/quorvelerror.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

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
        return errnum;
    }
}

LibraryFile::LibraryFile(std::string fileName) : fileName_(std::move(fileName)) {}

LibraryFile::~LibraryFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void LibraryFile::fail(int errnum) const
{
    failCode(ioErrorCode(errnum, fileName_));
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

void LibraryFile::Open()
{
    Close();
    const int fd = ::open(fileName_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        fail(errno);
    fd_ = fd;
    position_ = 0;
}

void LibraryFile::Create()
{
    Close();
    const int fd = ::open(fileName_.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        fail(errno);
    fd_ = fd;
    position_ = 0;
}

int LibraryFile::Count()
{
    requireOpen();
    struct stat st;
    if (::fstat(fd_, &st) != 0)
        fail(errno);
    return static_cast<int>(st.st_size / static_cast<off_t>(kRecordSize));
}

void LibraryFile::Seek(int n)
{
    requireOpen();
    position_ = static_cast<long long>(n) * static_cast<long long>(kRecordSize);
}

void LibraryFile::Read(GameRecord &record)
{
    requireOpen();
    GameRecord buffer;
    std::size_t done = 0;
    while (done < kRecordSize) {
        const ssize_t got = ::pread(fd_, buffer.data() + done, kRecordSize - done,
                                    static_cast<off_t>(position_ + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        if (got == 0)
            failCode(kReadBeyondEnd);
        done += static_cast<std::size_t>(got);
    }
    record = buffer;
    position_ += kRecordSize;
}

void LibraryFile::Write(const GameRecord &record)
{
    requireOpen();
    std::size_t done = 0;
    while (done < kRecordSize) {
        const ssize_t put = ::pwrite(fd_, record.data() + done, kRecordSize - done,
                                     static_cast<off_t>(position_ + done));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        if (put == 0)
            fail(ENOSPC);
        done += static_cast<std::size_t>(put);
    }
    position_ += kRecordSize;
}

void LibraryFile::Truncate()
{
    requireOpen();
    if (::ftruncate(fd_, static_cast<off_t>(position_)) != 0)
        fail(errno);
}

void LibraryFile::Close()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

} // namespace quorvel
