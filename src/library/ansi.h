#pragma once

#include <string>
#include <string_view>

namespace quorvel {

// The library file stores one Windows-1252 byte per character. These convert between
// those bytes and UTF-8, the text of the window and of file names on this system.

// Every byte has a character; the five bytes Windows-1252 leaves undefined map to the
// C1 controls of the same value, as Windows does.
std::string ansiToUtf8(std::string_view ansi);

// A character with no Windows-1252 byte, or a malformed UTF-8 sequence, becomes "?".
std::string utf8ToAnsi(std::string_view utf8);

} // namespace quorvel
