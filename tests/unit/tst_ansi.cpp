#include "library/ansi.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(Ansi, Windows1252RoundTripsThroughUtf8)
{
    EXPECT_EQ(ansiToUtf8("Caf\xE9"), "Caf\u00e9");
    EXPECT_EQ(ansiToUtf8("\x80 \x85 \x99"), "\u20ac \u2026 \u2122");
    EXPECT_EQ(utf8ToAnsi("\u20ac \u2026 \u2122 \u00ff"), "\x80 \x85 \x99 \xFF");
    // Every byte survives a round trip, the five undefined ones included.
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(utf8ToAnsi(ansiToUtf8(all)), all);
}

TEST(Ansi, CharactersWithoutAByteBecomeQuestionMarks)
{
    EXPECT_EQ(utf8ToAnsi("\u03a9mega \u6f22"), "?mega ?");
    EXPECT_EQ(utf8ToAnsi("\xF0\x9F\x8E\xB5 tune"), "? tune"); // one character, one "?"
    EXPECT_EQ(utf8ToAnsi("bad \xC3"), "bad ?");                 // cut sequence
    EXPECT_EQ(utf8ToAnsi("plain.bmp"), "plain.bmp");
}

} // namespace
} // namespace quorvel
