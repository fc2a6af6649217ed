#include "filecalls.h"

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <random>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace quorvel {
namespace {

void fillStatus(const struct stat &st, FileStatus &status)
{
    status.size = st.st_size;
    status.mode = st.st_mode;
    status.group = st.st_gid;
}

// The handles closeLater() has not closed yet. Never destroyed: a closing thread may
// outlive the objects that end with the program.
struct LaterCloses {
    std::mutex mutex;
    std::condition_variable done;
    int pending = 0;

    void finished()
    {
        {
            const std::lock_guard lock(mutex);
            --pending;
        }
        done.notify_all();
    }
};

LaterCloses &laterCloses()
{
    static auto *closes = new LaterCloses;
    return *closes;
}

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
    int status(int fd, FileStatus &status) override
    {
        struct stat st;
        if (::fstat(fd, &st) != 0)
            return -1;
        fillStatus(st, status);
        return 0;
    }
    int lookup(const std::string &path, FileStatus &status) override
    {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0)
            return -1;
        fillStatus(st, status);
        return 0;
    }
    int setMode(int fd, int mode) override { return ::fchmod(fd, static_cast<mode_t>(mode)); }
    int setGroup(int fd, unsigned group) override
    {
        return ::fchown(fd, static_cast<uid_t>(-1), static_cast<gid_t>(group));
    }
    int truncate(int fd, long long length) override
    {
        return ::ftruncate(fd, static_cast<off_t>(length));
    }
    int flush(int fd) override { return ::fdatasync(fd); }
    void startFlush(int fd) override { ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE); }
    void flushFolder(const std::string &folder) override
    {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
    }
    int close(int fd) override { return ::close(fd); }
    // Freeing the blocks and cached pages of a large file that has just been replaced takes
    // longer than writing its replacement; nothing needs to wait for it, so a thread of its
    // own does it (as databases drop large files in the background).
    void closeLater(int fd) override
    {
        LaterCloses &closes = laterCloses();
        {
            const std::lock_guard lock(closes.mutex);
            ++closes.pending;
        }
        try {
            std::thread([fd, &closes] {
                ::close(fd);
                closes.finished();
            }).detach();
        } catch (const std::system_error &) { // no thread to be had: close it here
            ::close(fd);
            closes.finished();
        }
    }
    int link(const std::string &from, const std::string &to) override
    {
        return ::link(from.c_str(), to.c_str());
    }
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

void FileCalls::awaitLaterCloses()
{
    LaterCloses &closes = laterCloses();
    std::unique_lock lock(closes.mutex);
    closes.done.wait(lock, [&] { return closes.pending == 0; });
}

int createTemporary(FileCalls &calls, const std::string &folder, int flags, int mode,
                    std::string &path)
{
    static std::atomic<unsigned> counter{0};
    thread_local std::mt19937 random{std::random_device{}()};
    for (int attempt = 0;; ++attempt) {
        path = folder + "/.quorvel-" + std::to_string(::getpid()) + "-" +
               std::to_string(counter++) + "-" + std::to_string(random()) + ".part";
        const int fd = calls.open(path, flags | O_CREAT | O_EXCL | O_NOFOLLOW, mode);
        if (fd >= 0 || errno != EEXIST || attempt >= 100)
            return fd;
    }
}

} // namespace quorvel
