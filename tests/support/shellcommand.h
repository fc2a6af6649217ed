#pragma once

// Running shell commands from a test: a path quoted for the shell, and a command's exit status.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace quorvel::test {

// The path in single quotes (no path here holds one).
inline std::string quoted(const std::filesystem::path &path)
{
    // Appended in place: GCC 12 warns wrongly (-Wrestrict) of "'" + std::string in Release.
    std::string text(1, '\'');
    text += path.string();
    text += '\'';
    return text;
}

// Runs a shell command and returns its exit status, or -1 when it did not exit normally.
inline int run(const std::string &command)
{
    const int status = std::system(command.c_str());
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace quorvel::test
