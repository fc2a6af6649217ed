#pragma once

#include <stdexcept>
#include <string>

namespace quorvel {

// A file name as the error texts show it: in double quotes.
inline std::string quoted(const std::string &name)
{
    return '"' + name + '"';
}

// An error that ends the event handler in progress. Its message is the text the user
// sees in the standard error report, so it must be written for the user, not for us.
class QuorvelError : public std::runtime_error {
public:
    explicit QuorvelError(const std::string &text) : std::runtime_error(text) {}
};

// A failing file operation on the library file or a picture file.
class InOutError : public QuorvelError {
public:
    InOutError(int code, const std::string &text) : QuorvelError(text), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

// A tune that the media player could not open.
class MediaError : public QuorvelError {
public:
    using QuorvelError::QuorvelError;
};

} // namespace quorvel
