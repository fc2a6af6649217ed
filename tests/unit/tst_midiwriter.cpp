// The MIDI writer and reader of the tune generator: byte-exact encodings checked against
// hand-computed values, and files parsed back.

#include "midireader.h"
#include "midiwriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

namespace quorvel {
namespace {

MidiBytes varLength(std::uint32_t value)
{
    MidiBytes out;
    appendVarLength(out, value);
    return out;
}

std::uint32_t bigEndian(const MidiBytes &data, std::size_t pos, int count)
{
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | data.at(pos + i);
    return value;
}

// The body of the only track of a format 0 file, without the chunk header.
MidiBytes onlyTrackBody(const MidiFile &file)
{
    const MidiBytes bytes = file.bytes();
    return MidiBytes(bytes.begin() + 22, bytes.end());
}

struct VarLengthCase {
    std::uint32_t value;
    MidiBytes encoded;
};

class VarLength : public testing::TestWithParam<VarLengthCase> {};

TEST_P(VarLength, EncodesAndDecodes)
{
    EXPECT_EQ(varLength(GetParam().value), GetParam().encoded);
    std::size_t pos = 0;
    EXPECT_EQ(readVarLength(GetParam().encoded, pos), GetParam().value);
    EXPECT_EQ(pos, GetParam().encoded.size());
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, VarLength,
    testing::Values(VarLengthCase{0, {0x00}}, VarLengthCase{0x40, {0x40}},
                    VarLengthCase{127, {0x7F}}, VarLengthCase{128, {0x81, 0x00}},
                    VarLengthCase{0x2000, {0xC0, 0x00}}, VarLengthCase{0x3FFF, {0xFF, 0x7F}},
                    VarLengthCase{0x4000, {0x81, 0x80, 0x00}},
                    VarLengthCase{0x1FFFFF, {0xFF, 0xFF, 0x7F}},
                    VarLengthCase{0x200000, {0x81, 0x80, 0x80, 0x00}},
                    VarLengthCase{0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}}));

TEST(VarLengthLimits, RejectsWhatFourBytesCannotHold)
{
    MidiBytes out;
    EXPECT_THROW(appendVarLength(out, 0x10000000), std::invalid_argument);
    EXPECT_TRUE(out.empty());

    std::size_t pos = 0;
    EXPECT_THROW(readVarLength({0x80, 0x80, 0x80, 0x80, 0x00}, pos), std::runtime_error);
    pos = 0;
    EXPECT_THROW(readVarLength({0x81}, pos), std::runtime_error);
}

TEST(MidiFileLayout, HeaderAndChunkLengths)
{
    MidiFile file(1, 480);
    file.addTrack().addTempo(0, 500000);
    file.addTrack().addNote(0, 480, 0, 60, 100);
    file.addTrack().addNote(0, 960, 1, 48, 70);
    const MidiBytes bytes = file.bytes();

    const MidiBytes header{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 3, 0x01, 0xE0};
    ASSERT_GE(bytes.size(), header.size());
    EXPECT_TRUE(std::equal(header.begin(), header.end(), bytes.begin()));

    // Walking the chunks by their declared lengths must land exactly on the end.
    std::size_t pos = header.size();
    int chunks = 0;
    while (pos < bytes.size()) {
        ASSERT_EQ(MidiBytes(bytes.begin() + pos, bytes.begin() + pos + 4),
                  (MidiBytes{'M', 'T', 'r', 'k'}));
        const std::uint32_t length = bigEndian(bytes, pos + 4, 4);
        pos += 8 + length;
        // Every chunk closes with the end-of-track event.
        EXPECT_EQ(MidiBytes(bytes.begin() + pos - 3, bytes.begin() + pos),
                  (MidiBytes{0xFF, 0x2F, 0x00}));
        ++chunks;
    }
    EXPECT_EQ(pos, bytes.size());
    EXPECT_EQ(chunks, 3);
}

TEST(MidiFileLayout, FormatZeroNoteBytes)
{
    MidiFile file(0, 96);
    MidiTrack &track = file.addTrack();
    track.addTempo(0, 500000);
    track.addProgramChange(0, 2, 19);
    track.addNote(480, 200, 2, 60, 90);
    const MidiBytes bytes = file.bytes();
    EXPECT_EQ(bigEndian(bytes, 8, 2), 0u);
    EXPECT_EQ(bigEndian(bytes, 10, 2), 1u);
    EXPECT_EQ(bigEndian(bytes, 12, 2), 96u);

    const MidiBytes expected{
        0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, // tempo 500000 at 0
        0x00, 0xC2, 19,                            // program change, channel 2
        0x83, 0x60, 0x92, 60, 90,                  // note-on 480 ticks later
        0x81, 0x48, 0x82, 60, 64,                  // note-off 200 ticks after it
        0x00, 0xFF, 0x2F, 0x00};                   // end of track at once
    EXPECT_EQ(onlyTrackBody(file), expected);
    EXPECT_EQ(bigEndian(bytes, 18, 4), expected.size());
}

TEST(MidiTrackOrder, EventsAreSortedWithOffsBeforeOns)
{
    MidiFile file(0, 480);
    MidiTrack &track = file.addTrack();
    // Added out of order: the second note first, the instrument last.
    track.addNote(480, 480, 0, 67, 100);
    track.addNote(0, 480, 0, 67, 100);
    track.addProgramChange(0, 0, 73);
    track.setName("x");
    EXPECT_EQ(track.endTick(), 960u);

    const SmfFile parsed = parseSmf(file.bytes());
    const auto &events = parsed.tracks.at(0);
    ASSERT_EQ(events.size(), 7u);
    EXPECT_EQ(events[0].metaType, 0x03);     // name before the program change: both rank
    EXPECT_EQ(events[1].status, 0xC0);       // before any note at tick 0
    EXPECT_TRUE(events[2].isNoteOn());
    EXPECT_EQ(events[2].tick, 0u);
    // At tick 480 the first note ends before the same key strikes again.
    EXPECT_TRUE(events[3].isNoteOff());
    EXPECT_EQ(events[3].tick, 480u);
    EXPECT_TRUE(events[4].isNoteOn());
    EXPECT_EQ(events[4].tick, 480u);
    EXPECT_TRUE(events[5].isNoteOff());
    EXPECT_EQ(events[5].tick, 960u);
    EXPECT_EQ(events[6].metaType, 0x2F);
    EXPECT_EQ(events[6].tick, 960u);
}

TEST(MidiTrackChecks, RejectsValuesOutOfRange)
{
    MidiTrack track;
    EXPECT_THROW(track.addNote(0, 10, 16, 60, 100), std::invalid_argument);
    EXPECT_THROW(track.addNote(0, 10, 0, 128, 100), std::invalid_argument);
    EXPECT_THROW(track.addNote(0, 10, 0, -1, 100), std::invalid_argument);
    EXPECT_THROW(track.addNote(0, 10, 0, 60, 0), std::invalid_argument);
    EXPECT_THROW(track.addNote(0, 0, 0, 60, 100), std::invalid_argument);
    EXPECT_THROW(track.addProgramChange(0, 0, 128), std::invalid_argument);
    EXPECT_THROW(track.addTempo(0, 0), std::invalid_argument);
    EXPECT_THROW(track.addTempo(0, 0x1000000), std::invalid_argument);
    EXPECT_THROW(track.addTimeSignature(0, 3, 3), std::invalid_argument);
    EXPECT_EQ(track.endTick(), 0u);

    EXPECT_THROW(MidiFile(2, 480), std::invalid_argument);
    EXPECT_THROW(MidiFile(1, 0), std::invalid_argument);
    EXPECT_THROW(MidiFile(1, 0x8000), std::invalid_argument);
    MidiFile empty(1, 480);
    EXPECT_THROW(empty.bytes(), std::logic_error);
    MidiFile two(0, 480);
    two.addTrack();
    two.addTrack();
    EXPECT_THROW(two.bytes(), std::logic_error);
}

TEST(MidiTrackMeta, TimeSignatureBytes)
{
    MidiFile file(0, 480);
    file.addTrack().addTimeSignature(0, 6, 8);
    EXPECT_EQ(onlyTrackBody(file),
              (MidiBytes{0x00, 0xFF, 0x58, 0x04, 6, 3, 24, 8, 0x00, 0xFF, 0x2F, 0x00}));
}

TEST(MidiReader, RunningStatusAndTempoChanges)
{
    // Hand-written format 0 file at 100 ticks a quarter: a note-on, then under running
    // status a second note-on and two velocity-0 note-offs; the tempo halves after 100 ticks.
    const MidiBytes track{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, // 0.5 s a quarter
                          0x00, 0x90, 60, 80,
                          0x64, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40, // 1 s a quarter
                          0x00, 0x90, 64, 80,                       // status repeated
                          0x32, 60, 0,                              // running status
                          0x32, 64, 0,
                          0x00, 0xF0, 0x01, 0xF7,                   // system exclusive
                          0x00, 0xFF, 0x2F, 0x00};
    MidiBytes data{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 100,
                   'M', 'T', 'r', 'k', 0, 0, 0, static_cast<std::uint8_t>(track.size())};
    data.insert(data.end(), track.begin(), track.end());

    const SmfFile file = parseSmf(data);
    EXPECT_EQ(file.format, 0);
    EXPECT_EQ(file.ticksPerQuarter, 100);
    const auto &events = file.tracks.at(0);
    ASSERT_EQ(events.size(), 8u);
    EXPECT_TRUE(events[4].isNoteOff());
    EXPECT_EQ(events[4].tick, 150u);
    EXPECT_EQ(events[4].data, (MidiBytes{60, 0}));
    EXPECT_EQ(events[5].tick, 200u);
    EXPECT_EQ(events[6].status, 0xF0);
    // 100 ticks at 0.5 s a quarter, then 100 ticks at 1 s a quarter.
    EXPECT_DOUBLE_EQ(playingSeconds(file), 1.5);
}

TEST(MidiReader, RejectsMalformedFiles)
{
    MidiFile file(0, 480);
    file.addTrack().addNote(0, 480, 0, 60, 100);
    const MidiBytes good = file.bytes();
    EXPECT_NO_THROW(parseSmf(good));

    MidiBytes truncated(good.begin(), good.end() - 1);
    EXPECT_THROW(parseSmf(truncated), std::runtime_error);
    MidiBytes trailing = good;
    trailing.push_back(0);
    EXPECT_THROW(parseSmf(trailing), std::runtime_error);
    MidiBytes badId = good;
    badId[14] = 'X';
    EXPECT_THROW(parseSmf(badId), std::runtime_error);
    // Shorten the chunk so that the end-of-track event falls outside it.
    MidiBytes noEnd(good.begin(), good.end() - 4);
    noEnd[21] = static_cast<std::uint8_t>(noEnd[21] - 4);
    EXPECT_THROW(parseSmf(noEnd), std::runtime_error);
    EXPECT_THROW(parseSmf({'M', 'T', 'h', 'd'}), std::runtime_error);
}

TEST(MidiFileSave, WritesTheBytesAndReportsFailure)
{
    const auto dir = std::filesystem::temp_directory_path()
                     / ("tst_midiwriter_" + std::to_string(::testing::UnitTest::GetInstance()
                                                              ->random_seed()));
    std::filesystem::create_directories(dir);
    MidiFile file(1, 480);
    file.addTrack().addNote(0, 480, 0, 60, 100);
    file.save(dir / "a.mid");
    EXPECT_EQ(readFileBytes(dir / "a.mid"), file.bytes());

    EXPECT_THROW(file.save(dir / "missing" / "a.mid"), std::runtime_error);
    EXPECT_THROW(readFileBytes(dir / "missing.mid"), std::runtime_error);
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace quorvel
