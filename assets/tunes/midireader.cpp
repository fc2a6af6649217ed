#include "midireader.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>

namespace quorvel {

namespace {

[[noreturn]] void malformed(const std::string &what)
{
    throw std::runtime_error("malformed MIDI file: " + what);
}

std::uint32_t readBigEndian(const MidiBytes &data, std::size_t pos, int byteCount)
{
    if (pos + byteCount > data.size())
        malformed("truncated");
    std::uint32_t value = 0;
    for (int i = 0; i < byteCount; ++i)
        value = (value << 8) | data[pos + i];
    return value;
}

void expectId(const MidiBytes &data, std::size_t pos, const char *id)
{
    if (pos + 4 > data.size() || !std::equal(id, id + 4, data.begin() + pos))
        malformed(std::string("expected chunk ") + id);
}

std::uint8_t byteAt(const MidiBytes &data, std::size_t pos, std::size_t end)
{
    if (pos >= end)
        malformed("event runs past the end of its track");
    return data[pos];
}

// Data bytes that follow a channel status byte.
int channelDataLength(std::uint8_t status)
{
    const int kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

std::vector<SmfEvent> parseTrack(const MidiBytes &data, std::size_t pos, std::size_t end)
{
    std::vector<SmfEvent> events;
    std::uint32_t tick = 0;
    std::uint8_t running = 0;
    while (pos < end) {
        std::size_t deltaPos = pos;
        tick += readVarLength(data, deltaPos);
        pos = deltaPos;
        if (pos > end)
            malformed("event runs past the end of its track");
        SmfEvent event;
        event.tick = tick;
        std::uint8_t first = byteAt(data, pos, end);
        std::size_t payloadLength = 0;
        if (first == 0xFF) {
            event.status = 0xFF;
            event.metaType = byteAt(data, pos + 1, end);
            pos += 2;
            payloadLength = readVarLength(data, pos);
        } else if (first == 0xF0 || first == 0xF7) {
            event.status = first;
            ++pos;
            payloadLength = readVarLength(data, pos);
        } else {
            if (first & 0x80) {
                running = first;
                ++pos;
            } else if (running == 0) {
                malformed("data byte without running status");
            }
            event.status = running;
            payloadLength = channelDataLength(running);
        }
        if (pos + payloadLength > end)
            malformed("event runs past the end of its track");
        event.data.assign(data.begin() + pos, data.begin() + pos + payloadLength);
        pos += payloadLength;
        const bool isEnd = event.status == 0xFF && event.metaType == 0x2F;
        events.push_back(std::move(event));
        if (isEnd) {
            if (pos != end)
                malformed("events after end-of-track");
            return events;
        }
    }
    malformed("track without end-of-track");
}

} // namespace

std::uint32_t readVarLength(const MidiBytes &data, std::size_t &pos)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        if (pos >= data.size())
            malformed("truncated variable-length value");
        const std::uint8_t byte = data[pos++];
        value = (value << 7) | (byte & 0x7F);
        if (!(byte & 0x80))
            return value;
    }
    malformed("variable-length value longer than four bytes");
}

SmfFile parseSmf(const MidiBytes &data)
{
    expectId(data, 0, "MThd");
    if (readBigEndian(data, 4, 4) != 6)
        malformed("header length is not 6");
    SmfFile file;
    file.format = static_cast<int>(readBigEndian(data, 8, 2));
    const std::uint32_t trackCount = readBigEndian(data, 10, 2);
    file.ticksPerQuarter = static_cast<int>(readBigEndian(data, 12, 2));
    if (file.format > 2 || (file.format == 0 && trackCount != 1))
        malformed("format " + std::to_string(file.format) + " with "
                  + std::to_string(trackCount) + " tracks");
    if (file.ticksPerQuarter == 0 || file.ticksPerQuarter > 0x7FFF)
        malformed("division is not in ticks a quarter note");
    std::size_t pos = 14;
    for (std::uint32_t i = 0; i < trackCount; ++i) {
        expectId(data, pos, "MTrk");
        const std::size_t length = readBigEndian(data, pos + 4, 4);
        pos += 8;
        if (pos + length > data.size())
            malformed("track chunk longer than the file");
        file.tracks.push_back(parseTrack(data, pos, pos + length));
        pos += length;
    }
    if (pos != data.size())
        malformed("bytes after the last track");
    return file;
}

MidiBytes readFileBytes(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return MidiBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

double playingSeconds(const SmfFile &file)
{
    std::map<std::uint32_t, std::uint32_t> tempoAt; // tick -> microseconds a quarter
    std::uint32_t lastTick = 0;
    for (const auto &track : file.tracks) {
        for (const SmfEvent &e : track) {
            lastTick = std::max(lastTick, e.tick);
            if (e.status == 0xFF && e.metaType == 0x51 && e.data.size() == 3)
                tempoAt[e.tick] = readBigEndian(e.data, 0, 3);
        }
    }
    double micros = 0;
    std::uint32_t tick = 0;
    std::uint32_t tempo = 500000;
    for (const auto &[at, value] : tempoAt) {
        if (at >= lastTick)
            break;
        micros += double(at - tick) * tempo / file.ticksPerQuarter;
        tick = at;
        tempo = value;
    }
    micros += double(lastTick - tick) * tempo / file.ticksPerQuarter;
    return micros / 1e6;
}

} // namespace quorvel
