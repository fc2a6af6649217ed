#include "libraryfile.h"

#include "library/filecalls.h"
#include "library/quorvelerror.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

class SystemFileCalls : public FileCalls {
public:
    int open(const std::string &path, int flags, int mode) override
    {
        return ::open(path.c_str(), flags | O_CLOEXEC, mode);
    }
    long read(int fd, void *buffer, std::size_t size) override
    {
        return ::read(fd, buffer, size);
    }
    long write(int fd, const void *buffer, std::size_t size) override
    {
        return ::write(fd, buffer, size);
    }
    long long seek(int fd, long long offset) override
    {
        return ::lseek(fd, static_cast<off_t>(offset), SEEK_SET);
    }
    int status(int fd, long long &size, int &mode) override
    {
        struct stat st;
        if (::fstat(fd, &st) != 0)
            return -1;
        size = st.st_size;
        mode = static_cast<int>(st.st_mode & 07777);
        return 0;
    }
    int setMode(int fd, int mode) override { return ::fchmod(fd, static_cast<mode_t>(mode)); }
    int truncate(int fd, long long length) override
    {
        return ::ftruncate(fd, static_cast<off_t>(length));
    }
    int flush(int fd) override { return ::fdatasync(fd); }
    void startFlush(int fd) override { ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE); }
    int close(int fd) override { return ::close(fd); }
    int rename(const std::string &from, const std::string &to) override
    {
        return std::rename(from.c_str(), to.c_str());
    }
    int remove(const std::string &path) override { return ::unlink(path.c_str()); }
};

FileCalls *&installed()
{
    static FileCalls *calls = nullptr;
    return calls;
}

} // namespace

FileCalls &FileCalls::system()
{
    static SystemFileCalls calls;
    return calls;
}

FileCalls &FileCalls::current()
{
    return installed() ? *installed() : system();
}

FileCalls *FileCalls::use(FileCalls *calls)
{
    FileCalls *previous = installed();
    installed() = calls;
    return previous;
}

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

int LibraryFile::Count()
{
    requireOpen();
    long long size = 0;
    int mode = 0;
    if (calls_.status(fd_, size, mode) != 0)
        fail(errno);
    return static_cast<int>(size / static_cast<long long>(kRecordSize));
}

void LibraryFile::Seek(int n)
{
    requireOpen();
    const long long position = static_cast<long long>(n) * static_cast<long long>(kRecordSize);
    if (calls_.seek(fd_, position) < 0)
        fail(errno);
    position_ = position;
}

void LibraryFile::Read(GameRecord &record)
{
    requireOpen();
    GameRecord buffer;
    std::size_t done = 0;
    while (done < kRecordSize) {
        const long got = calls_.read(fd_, buffer.data() + done, kRecordSize - done);
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
        const long put = calls_.write(fd_, record.data() + done, kRecordSize - done);
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
    if (calls_.truncate(fd_, position_) != 0)
        fail(errno);
}

void LibraryFile::Close()
{
    if (fd_ >= 0) {
        calls_.close(fd_);
        fd_ = -1;
    }
}

} // namespace quorvel
