#include "defaultlibrary.h"

#include "libraryfile.h"

namespace quorvel {

std::string defaultBmpName(const DefaultGame &game, int slot)
{
    const std::string prefix = game.prefix;
    switch (slot) {
    case kCardBackSlot:
        return prefix + "Cvr.bmp";
    case kRedCardSlot:
        return prefix + "Red.bmp";
    case kGreenCardSlot:
        return prefix + "Grn.bmp";
    case kBlueCardSlot:
        return prefix + "Blu.bmp";
    default:
        return slot >= 1 && slot <= kCardCount ? prefix + std::to_string(slot) + ".bmp"
                                               : std::string();
    }
}

std::string defaultMidiName(const DefaultGame &game, int slot)
{
    const std::string prefix = game.prefix;
    switch (slot) {
    case kWinTuneSlot:
        return prefix + "win.mid";
    case kReadMeTuneSlot:
        return prefix + "inst.mid";
    case kHelpTuneSlot:
        return prefix + "help.mid";
    default:
        return slot >= 1 && slot <= kCardCount ? prefix + std::to_string(slot) + ".mid"
                                               : std::string();
    }
}

void fillDefaultRecord(GameRecord &record, const DefaultGame &game)
{
    record = GameRecord::zeroed();
    record.Name.assign(game.name);
    record.Bmps[kCardBackSlot].assign(defaultBmpName(game, kCardBackSlot));
    for (int k = 1; k <= kCardCount; ++k)
        record.Bmps[k].assign(defaultBmpName(game, k));
    for (int k = 1; k <= kCardCount; ++k)
        record.Midis[k].assign(defaultMidiName(game, k));
    for (int slot : {kRedCardSlot, kGreenCardSlot, kBlueCardSlot})
        record.Bmps[slot].assign(defaultBmpName(game, slot));
    for (int slot : {kWinTuneSlot, kReadMeTuneSlot, kHelpTuneSlot})
        record.Midis[slot].assign(defaultMidiName(game, slot));
    record.Midis[kSpareSlot].clear();
    record.Bmps[kSpareSlot].clear();
    for (int j = 1; j <= kDescriptionCount; ++j)
        record.description(j).clear();
    for (int j = 1; j <= kDescriptionCount; ++j)
        record.description(j).assign(game.descriptions[j - 1]);
}

void CreateDefaultLibrary(const std::string &fileName, GameRecord &scratch)
{
    LibraryFile file(fileName);
    file.Create();
    for (const DefaultGame &game : kDefaultGames) {
        fillDefaultRecord(scratch, game);
        file.Write(scratch);
    }
    file.Close();
}

} // namespace quorvel
