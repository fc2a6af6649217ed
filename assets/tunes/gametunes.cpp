#include "gametunes.h"

#include "notation.h"

#include <stdexcept>
#include <string>

namespace quorvel {

namespace {

// General MIDI programs, counted from 0.
enum Program {
    kAcousticGrandPiano = 0,
    kChurchOrgan = 19,
    kCello = 42,
    kStringEnsemble = 48,
    kTrumpet = 56,
    kFrenchHorn = 60,
    kBrassSection = 61,
    kBassoon = 70,
    kFlute = 73,
};

constexpr int kMelodyVelocity = 100;
constexpr int kBassVelocity = 68;
// Each note is released this much before its full value so that repeated notes strike
// again instead of running together.
constexpr std::uint32_t kRelease = kTicksPerQuarter / 16;

// Every game plays 17 of the 18 hymn tunes, each in its own key, so a tune heard in two
// games never sounds the same in both.
const GameTunes kGames[] = {
    {"OQ", {kChurchOrgan, kChurchOrgan, 0}, {kTrumpet, kChurchOrgan, 0},
     {"OLD HUNDREDTH", "NEW BRITAIN", "ANTIOCH", "ADESTE FIDELES", "STILLE NACHT",
      "MENDELSSOHN", "LOBE DEN HERREN", "AUSTRIA", "MATERNA", "AMERICA", "HYMN TO JOY",
      "GREENSLEEVES", "TEMPUS ADEST FLORIDUM", "GOD REST YOU MERRY", "GLORIA"},
     "EVENTIDE", "VENI EMMANUEL", "FANFARE IN C"},
    {"MQ", {kAcousticGrandPiano, kAcousticGrandPiano, -2}, {kBrassSection, kBrassSection, 0},
     {"LOBE DEN HERREN", "AUSTRIA", "MATERNA", "AMERICA", "HYMN TO JOY", "GREENSLEEVES",
      "TEMPUS ADEST FLORIDUM", "GOD REST YOU MERRY", "GLORIA", "EVENTIDE", "VENI EMMANUEL",
      "KINGS OF ORIENT", "OLD HUNDREDTH", "NEW BRITAIN", "ANTIOCH"},
     "ADESTE FIDELES", "STILLE NACHT", "FANFARE IN F"},
    {"BQ", {kStringEnsemble, kCello, 3}, {kFrenchHorn, kCello, 0},
     {"TEMPUS ADEST FLORIDUM", "GOD REST YOU MERRY", "GLORIA", "EVENTIDE", "VENI EMMANUEL",
      "KINGS OF ORIENT", "OLD HUNDREDTH", "NEW BRITAIN", "ANTIOCH", "ADESTE FIDELES",
      "STILLE NACHT", "MENDELSSOHN", "LOBE DEN HERREN", "AUSTRIA", "MATERNA"},
     "AMERICA", "HYMN TO JOY", "FANFARE IN D"},
    {"TA", {kFlute, kBassoon, 5}, {kTrumpet, kBassoon, 0},
     {"ADESTE FIDELES", "STILLE NACHT", "MENDELSSOHN", "LOBE DEN HERREN", "AUSTRIA",
      "MATERNA", "AMERICA", "HYMN TO JOY", "GREENSLEEVES", "TEMPUS ADEST FLORIDUM",
      "GOD REST YOU MERRY", "GLORIA", "EVENTIDE", "VENI EMMANUEL", "KINGS OF ORIENT"},
     "OLD HUNDREDTH", "NEW BRITAIN", "FANFARE IN G"},
};

// Adds one voice as a track of its own and returns its length in ticks.
std::uint32_t addVoice(MidiFile &file, const Tune &tune, std::string_view notes, int channel,
                       int program, int velocity, int transpose)
{
    MidiTrack &track = file.addTrack();
    track.addProgramChange(0, channel, program);
    std::uint32_t now = 0;
    for (const Note &note : parseNotes(notes, kTicksPerQuarter, tune.meter)) {
        if (note.key != kRest)
            track.addNote(now, note.ticks - kRelease, channel, note.key + transpose, velocity);
        now += note.ticks;
    }
    return now;
}

} // namespace

std::span<const GameTunes> defaultGameTunes()
{
    return kGames;
}

MidiFile renderTune(const Tune &tune, const Voicing &voicing)
{
    try {
        MidiFile file(1, kTicksPerQuarter);
        MidiTrack &conductor = file.addTrack();
        conductor.setName(std::string(tune.name));
        if (!tune.meter.empty()) {
            const Meter meter = parseMeter(tune.meter);
            conductor.addTimeSignature(0, meter.beats, meter.unit);
        }
        conductor.addTempo(0, static_cast<std::uint32_t>(60'000'000 / tune.tempo));
        const std::uint32_t length = addVoice(file, tune, tune.melody, 0,
                                              voicing.melodyProgram, kMelodyVelocity,
                                              voicing.transpose);
        if (!tune.bass.empty()
            && addVoice(file, tune, tune.bass, 1, voicing.bassProgram, kBassVelocity,
                        voicing.transpose) != length)
            throw std::invalid_argument("bass and melody differ in length");
        return file;
    } catch (const std::invalid_argument &e) {
        throw std::invalid_argument(std::string(tune.name) + ": " + e.what());
    }
}

std::vector<std::filesystem::path> writeDefaultTunes(const std::filesystem::path &folder)
{
    std::vector<std::filesystem::path> written;
    const auto write = [&](const GameTunes &game, const std::string &suffix,
                           std::string_view tuneName, const Voicing &voicing) {
        written.push_back(folder / (std::string(game.prefix) + suffix + ".mid"));
        renderTune(findTune(tuneName), voicing).save(written.back());
    };
    for (const GameTunes &game : kGames) {
        for (int k = 1; k <= kCardTunes; ++k)
            write(game, std::to_string(k), game.cards[k - 1], game.hymns);
        write(game, "win", game.win, game.fanfare);
        write(game, "inst", game.readMe, game.hymns);
        write(game, "help", game.help, game.hymns);
    }
    return written;
}

} // namespace quorvel
