#include "notation.h"

#include <cctype>
#include <stdexcept>
#include <string>

namespace quorvel {

namespace {

[[noreturn]] void bad(std::string_view what, std::string_view token)
{
    throw std::invalid_argument(std::string(what) + " \"" + std::string(token) + "\"");
}

std::uint32_t parseDuration(std::string_view text, std::uint32_t ticksPerQuarter)
{
    std::uint32_t total = 0;
    while (true) {
        const std::size_t plus = text.find('+');
        const std::string_view part = text.substr(0, plus);
        if (part.empty() || part.size() > 2 || (part.size() == 2 && part[1] != '.'))
            bad("bad duration", text);
        std::uint32_t ticks = 0;
        switch (part[0]) {
        case 'w': ticks = 4 * ticksPerQuarter; break;
        case 'h': ticks = 2 * ticksPerQuarter; break;
        case 'q': ticks = ticksPerQuarter; break;
        case 'e': ticks = ticksPerQuarter / 2; break;
        case 's': ticks = ticksPerQuarter / 4; break;
        default: bad("bad duration", text);
        }
        if (part.size() == 2)
            ticks += ticks / 2;
        total += ticks;
        if (plus == std::string_view::npos)
            return total;
        text.remove_prefix(plus + 1);
    }
}

void checkBar(std::uint32_t length, std::uint32_t expected, bool whole, int barNumber)
{
    if (expected == 0 || length == 0)
        return;
    if (whole ? length != expected : length > expected)
        throw std::invalid_argument("bar " + std::to_string(barNumber) + " lasts "
                                    + std::to_string(length) + " ticks, not "
                                    + std::to_string(expected));
}

} // namespace

int parsePitch(std::string_view text)
{
    static constexpr int kSemitones[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    if (text.size() < 2 || text[0] < 'A' || text[0] > 'G')
        bad("bad pitch", text);
    int key = kSemitones[text[0] - 'A'];
    std::size_t pos = 1;
    if (text[pos] == '#' || text[pos] == 'b') {
        key += text[pos] == '#' ? 1 : -1;
        ++pos;
    }
    if (pos + 1 != text.size() || !std::isdigit(static_cast<unsigned char>(text[pos])))
        bad("bad pitch", text);
    key += 12 * (text[pos] - '0' + 1);
    if (key < 0 || key > 127)
        bad("pitch out of the MIDI range", text);
    return key;
}

Meter parseMeter(std::string_view text)
{
    const std::size_t slash = text.find('/');
    const auto isNumber = [](std::string_view s) {
        return !s.empty() && s.size() <= 2
               && s.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (slash == std::string_view::npos || !isNumber(text.substr(0, slash))
        || !isNumber(text.substr(slash + 1)))
        bad("bad meter", text);
    const Meter meter{std::stoi(std::string(text.substr(0, slash))),
                      std::stoi(std::string(text.substr(slash + 1)))};
    if (meter.beats == 0 || (meter.unit != 1 && meter.unit != 2 && meter.unit != 4
                             && meter.unit != 8))
        bad("bad meter", text);
    return meter;
}

std::vector<Note> parseNotes(std::string_view text, std::uint32_t ticksPerQuarter,
                             std::string_view meter)
{
    if (ticksPerQuarter == 0 || ticksPerQuarter % 8 != 0)
        throw std::invalid_argument("ticks a quarter must be a multiple of 8");
    const std::uint32_t expected =
        meter.empty() ? 0 : parseMeter(meter).barTicks(ticksPerQuarter);
    std::vector<Note> notes;
    std::uint32_t duration = ticksPerQuarter;
    std::uint32_t barLength = 0;
    int barsClosed = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (std::isspace(static_cast<unsigned char>(text[pos]))) {
            ++pos;
            continue;
        }
        std::size_t end = pos;
        while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end])))
            ++end;
        const std::string_view token = text.substr(pos, end - pos);
        pos = end;
        if (token == "|") {
            // The part before the first bar line is a pick-up and may be short.
            checkBar(barLength, expected, barsClosed > 0, barsClosed);
            ++barsClosed;
            barLength = 0;
            continue;
        }
        const std::size_t colon = token.find(':');
        const std::string_view pitch = token.substr(0, colon);
        if (colon != std::string_view::npos)
            duration = parseDuration(token.substr(colon + 1), ticksPerQuarter);
        const int key = pitch == "r" ? kRest : parsePitch(pitch);
        notes.push_back({key, duration});
        barLength += duration;
    }
    checkBar(barLength, expected, false, barsClosed);
    return notes;
}

std::uint32_t totalTicks(const std::vector<Note> &notes)
{
    std::uint32_t total = 0;
    for (const Note &n : notes)
        total += n.ticks;
    return total;
}

} // namespace quorvel
