#include "midiwriter.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace quorvel {

namespace {

enum Rank { kNoteOff, kMeta, kProgram, kNoteOn };

void checkRange(int value, int low, int high, const char *what)
{
    if (value < low || value > high)
        throw std::invalid_argument(std::string("MIDI ") + what + " out of range: "
                                    + std::to_string(value));
}

void appendBigEndian(MidiBytes &out, std::uint32_t value, int byteCount)
{
    for (int shift = 8 * (byteCount - 1); shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

MidiBytes metaEvent(std::uint8_t type, const MidiBytes &payload)
{
    MidiBytes data{0xFF, type};
    appendVarLength(data, static_cast<std::uint32_t>(payload.size()));
    data.insert(data.end(), payload.begin(), payload.end());
    return data;
}

} // namespace

void appendVarLength(MidiBytes &out, std::uint32_t value)
{
    if (value > kMaxVarLength)
        throw std::invalid_argument("MIDI variable-length value too large: "
                                    + std::to_string(value));
    std::uint8_t groups[4];
    int count = 0;
    do {
        groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1)
        out.push_back(static_cast<std::uint8_t>(groups[--count] | 0x80));
    out.push_back(groups[0]);
}

void MidiTrack::add(std::uint32_t tick, int rank, MidiBytes data)
{
    events_.push_back({tick, rank, std::move(data)});
}

void MidiTrack::setName(const std::string &name)
{
    add(0, kMeta, metaEvent(0x03, MidiBytes(name.begin(), name.end())));
}

void MidiTrack::addTempo(std::uint32_t tick, std::uint32_t microsecondsPerQuarter)
{
    if (microsecondsPerQuarter == 0 || microsecondsPerQuarter > 0xFFFFFF)
        throw std::invalid_argument("MIDI tempo out of range: "
                                    + std::to_string(microsecondsPerQuarter));
    MidiBytes payload;
    appendBigEndian(payload, microsecondsPerQuarter, 3);
    add(tick, kMeta, metaEvent(0x51, payload));
}

void MidiTrack::addTimeSignature(std::uint32_t tick, int numerator, int denominator)
{
    checkRange(numerator, 1, 255, "time signature numerator");
    int power = 0;
    while ((1 << power) < denominator && power < 8)
        ++power;
    if ((1 << power) != denominator)
        throw std::invalid_argument("MIDI time signature denominator not a power of two: "
                                    + std::to_string(denominator));
    // 24 MIDI clocks a metronome click and 8 thirty-seconds a quarter: the usual values.
    MidiBytes payload{static_cast<std::uint8_t>(numerator), static_cast<std::uint8_t>(power),
                      24, 8};
    add(tick, kMeta, metaEvent(0x58, payload));
}

void MidiTrack::addProgramChange(std::uint32_t tick, int channel, int program)
{
    checkRange(channel, 0, 15, "channel");
    checkRange(program, 0, 127, "program");
    add(tick, kProgram,
        {static_cast<std::uint8_t>(0xC0 | channel), static_cast<std::uint8_t>(program)});
}

void MidiTrack::addNote(std::uint32_t tick, std::uint32_t length, int channel, int key,
                        int velocity)
{
    checkRange(channel, 0, 15, "channel");
    checkRange(key, 0, 127, "key");
    checkRange(velocity, 1, 127, "velocity");
    if (length == 0)
        throw std::invalid_argument("MIDI note of zero length");
    const auto ch = static_cast<std::uint8_t>(channel);
    const auto k = static_cast<std::uint8_t>(key);
    add(tick, kNoteOn, {static_cast<std::uint8_t>(0x90 | ch), k,
                        static_cast<std::uint8_t>(velocity)});
    add(tick + length, kNoteOff, {static_cast<std::uint8_t>(0x80 | ch), k, 64});
}

std::uint32_t MidiTrack::endTick() const
{
    std::uint32_t end = 0;
    for (const Event &e : events_)
        end = std::max(end, e.tick);
    return end;
}

MidiBytes MidiTrack::chunk() const
{
    std::vector<const Event *> order;
    for (const Event &e : events_)
        order.push_back(&e);
    std::stable_sort(order.begin(), order.end(), [](const Event *a, const Event *b) {
        return a->tick != b->tick ? a->tick < b->tick : a->rank < b->rank;
    });

    MidiBytes body;
    std::uint32_t now = 0;
    for (const Event *e : order) {
        appendVarLength(body, e->tick - now);
        body.insert(body.end(), e->data.begin(), e->data.end());
        now = e->tick;
    }
    appendVarLength(body, endTick() - now);
    const MidiBytes end = metaEvent(0x2F, {});
    body.insert(body.end(), end.begin(), end.end());

    MidiBytes out{'M', 'T', 'r', 'k'};
    appendBigEndian(out, static_cast<std::uint32_t>(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

MidiFile::MidiFile(int format, int ticksPerQuarter)
    : format_(format), ticksPerQuarter_(ticksPerQuarter)
{
    checkRange(format, 0, 1, "file format");
    checkRange(ticksPerQuarter, 1, 0x7FFF, "division");
}

MidiTrack &MidiFile::addTrack()
{
    return tracks_.emplace_back();
}

MidiBytes MidiFile::bytes() const
{
    if (tracks_.empty() || (format_ == 0 && tracks_.size() != 1))
        throw std::logic_error("MIDI format " + std::to_string(format_) + " file with "
                               + std::to_string(tracks_.size()) + " tracks");
    MidiBytes out{'M', 'T', 'h', 'd'};
    appendBigEndian(out, 6, 4);
    appendBigEndian(out, static_cast<std::uint32_t>(format_), 2);
    appendBigEndian(out, static_cast<std::uint32_t>(tracks_.size()), 2);
    appendBigEndian(out, static_cast<std::uint32_t>(ticksPerQuarter_), 2);
    for (const MidiTrack &track : tracks_) {
        const MidiBytes chunk = track.chunk();
        out.insert(out.end(), chunk.begin(), chunk.end());
    }
    return out;
}

void MidiFile::save(const std::filesystem::path &path) const
{
    const MidiBytes data = bytes();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char *>(data.data()),
               static_cast<std::streamsize>(data.size()));
    file.close();
    if (!file)
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace quorvel
