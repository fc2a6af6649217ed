#pragma once

// File calls that fail on request: while one of these lives, every call on the files of the
// game's folder (the library file, files brought in, imported or exported) goes through it
// to the system, and the call chosen by failCall() fails with the chosen errno instead of
// reaching the system; or every write comes in short pieces.

#include "library/filecalls.h"
#include "library/quorvelerror.h"

#include <algorithm>
#include <cerrno>
#include <functional>
#include <string>
#include <vector>

namespace quorvel::test {

// Errors to inject, each with the text the user must see for it: the program's own texts by
// meaning, and "I/O error <errno>" for the rest, also where the number is one of the
// program's own codes.
struct InjectedError {
    int errnum;
    const char *text;
};
inline constexpr InjectedError kInjectedErrors[] = {
    {EIO, "I/O error 5"},           {ENOSPC, "Disk full"},
    {EACCES, "File access denied"}, {ENETDOWN, "I/O error 100"},
    {EMFILE, "Too many open files"}, {ENETUNREACH, "I/O error 101"},
};

// The text of the error an operation ends with, or "no failure".
inline std::string failureOf(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const QuorvelError &e) {
        return e.what();
    }
    return "no failure";
}

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
        failName_.clear();
        errnum_ = errnum;
    }
    // Counts calls afresh; the `occurrence`-th call of that name from now fails.
    void failCall(const std::string &name, int occurrence, int errnum)
    {
        failCall(0, errnum);
        failName_ = name;
        failAt_ = occurrence;
    }

    // The names of the calls made since failCall(), the failed one included.
    std::vector<std::string> calls;
    // Writes at most 3 bytes a call, as a system may under pressure.
    bool shortWrites = false;

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
        return call("write", [&] {
            return next_.write(fd, buffer, shortWrites ? std::min<std::size_t>(size, 3) : size);
        });
    }
    long long seek(int fd, long long offset) override
    {
        return call("seek", [&] { return next_.seek(fd, offset); });
    }
    int status(int fd, FileStatus &status) override
    {
        return call("status", [&] { return next_.status(fd, status); });
    }
    int lookup(const std::string &path, FileStatus &status) override
    {
        return call("lookup", [&] { return next_.lookup(path, status); });
    }
    int setMode(int fd, int mode) override
    {
        return call("setMode", [&] { return next_.setMode(fd, mode); });
    }
    int setGroup(int fd, unsigned group) override
    {
        return call("setGroup", [&] { return next_.setGroup(fd, group); });
    }
    int truncate(int fd, long long length) override
    {
        return call("truncate", [&] { return next_.truncate(fd, length); });
    }
    // No test can see whether bytes have reached the disk; waiting for it would only make
    // the tests slow on a busy machine.
    int flush(int) override
    {
        return call("flush", [] { return 0; });
    }
    void startFlush(int) override {}
    void flushFolder(const std::string &) override {}
    int close(int fd) override
    {
        // A failing close still releases the handle, as the system's does.
        return call("close", [&] { return next_.close(fd); }, [&] { next_.close(fd); });
    }
    void closeLater(int fd) override { next_.closeLater(fd); }
    int link(const std::string &from, const std::string &to) override
    {
        return call("link", [&] { return next_.link(from, to); });
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
        const bool chosen =
            failName_.empty()
                ? static_cast<int>(calls.size()) == failAt_
                : name == failName_ && std::count(calls.begin(), calls.end(), name) == failAt_;
        if (chosen) {
            onFailure();
            errno = errnum_;
            return -1;
        }
        return real();
    }

    FileCalls &next_;
    FileCalls *previous_ = nullptr;
    int failAt_ = 0;
    std::string failName_;
    int errnum_ = EIO;
};

} // namespace quorvel::test
