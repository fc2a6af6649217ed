#pragma once

// Tunes made for the player tests: a Standard MIDI File of one track whose notes step up one
// after the other, so a test knows how long it plays and what it sounds like.

#include <string>
#include <vector>

namespace quorvel::test {

inline void putBigEndian(std::string &out, unsigned value, int bytes)
{
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

inline void putVariableLength(std::string &out, unsigned value)
{
    std::string reversed(1, static_cast<char>(value & 0x7F));
    while (value >>= 7)
        reversed += static_cast<char>(0x80 | (value & 0x7F));
    out.append(reversed.rbegin(), reversed.rend());
}

// A tune as a standard MIDI file: one track that sets the tempo and plays its notes one
// after the other, each lasting the given number of ticks.
struct TestTune {
    std::vector<unsigned> noteTicks;
    unsigned division;     // ticks per quarter note
    unsigned usPerQuarter; // tempo
    int pan = 64;          // of channel 1, set before the first note: 0 left, 127 right

    long lengthMs() const
    {
        unsigned long ticks = 0;
        for (unsigned t : noteTicks)
            ticks += t;
        return static_cast<long>(ticks * usPerQuarter / division / 1000);
    }

    std::string midiFile() const
    {
        std::string track;
        putVariableLength(track, 0);
        track += "\xFF\x51\x03";
        putBigEndian(track, usPerQuarter, 3);
        putVariableLength(track, 0);
        track += {'\xB0', 10, static_cast<char>(pan)};
        char key = 60;
        for (unsigned ticks : noteTicks) {
            putVariableLength(track, 0);
            track += {'\x90', key, 100};
            putVariableLength(track, ticks);
            track += {'\x80', key, 0};
            key += 2;
        }
        putVariableLength(track, 0);
        track += std::string("\xFF\x2F\x00", 3);

        std::string file = "MThd";
        putBigEndian(file, 6, 4);
        putBigEndian(file, 0, 2); // format 0
        putBigEndian(file, 1, 2); // one track
        putBigEndian(file, division, 2);
        file += "MTrk";
        putBigEndian(file, static_cast<unsigned>(track.size()), 4);
        return file + track;
    }
};

} // namespace quorvel::test
