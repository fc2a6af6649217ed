#pragma once

// File calls that fail on request: while one of these lives, every LibraryFile goes through
// it to the system, and the call numbered `failCall(n, ...)` fails with the chosen errno
// instead of reaching the system.

#include "library/filecalls.h"

#include <cerrno>
#include <string>
#include <vector>

namespace quorvel::test {

class FaultyFileCalls : public FileCalls {
public:
    FaultyFileCalls() : next_(FileCalls::system()) { previous_ = FileCalls::use(this); }
    ~FaultyFileCalls() override { FileCalls::use(previous_); }
    FaultyFileCalls(const FaultyFileCalls &) = delete;
    FaultyFileCalls &operator=(const FaultyFileCalls &) = delete;

    // Counts calls afresh; call `n` from now (1: the next) fails with `errnum`, none when
    // n is 0.
    void failCall(int n, int errnum = EIO)
    {
        calls.clear();
        failAt_ = n;
        errnum_ = errnum;
    }

    // The names of the calls made since failCall(), the failed one included.
    std::vector<std::string> calls;

    int open(const std::string &path, int flags, int mode) override
    {
        return call("open", [&] { return next_.open(path, flags, mode); });
    }
    long read(int fd, void *buffer, std::size_t size) override
    {
        return call("read", [&] { return next_.read(fd, buffer, size); });
    }
    long write(int fd, const void *buffer, std::size_t size) override
    {
        return call("write", [&] { return next_.write(fd, buffer, size); });
    }
    long long seek(int fd, long long offset) override
    {
        return call("seek", [&] { return next_.seek(fd, offset); });
    }
    int status(int fd, long long &size, int &mode) override
    {
        return call("status", [&] { return next_.status(fd, size, mode); });
    }
    int setMode(int fd, int mode) override
    {
        return call("setMode", [&] { return next_.setMode(fd, mode); });
    }
    int truncate(int fd, long long length) override
    {
        return call("truncate", [&] { return next_.truncate(fd, length); });
    }
    int flush(int fd) override
    {
        return call("flush", [&] { return next_.flush(fd); });
    }
    void startFlush(int fd) override { next_.startFlush(fd); }
    int close(int fd) override
    {
        // A failing close still releases the handle, as the system's does.
        return call("close", [&] { return next_.close(fd); }, [&] { next_.close(fd); });
    }
    int rename(const std::string &from, const std::string &to) override
    {
        return call("rename", [&] { return next_.rename(from, to); });
    }
    int remove(const std::string &path) override
    {
        return call("remove", [&] { return next_.remove(path); });
    }

private:
    template <typename Call, typename OnFailure = void (*)()>
    auto call(const char *name, Call &&real, OnFailure &&onFailure = [] {}) -> decltype(real())
    {
        calls.emplace_back(name);
        if (static_cast<int>(calls.size()) == failAt_) {
            onFailure();
            errno = errnum_;
            return -1;
        }
        return real();
    }

    FileCalls &next_;
    FileCalls *previous_ = nullptr;
    int failAt_ = 0;
    int errnum_ = EIO;
};

} // namespace quorvel::test
