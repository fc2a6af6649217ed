#include "editorstore.h"

#include "library/gameselection.h"

#include <algorithm>
#include <filesystem>

namespace quorvel {
namespace {

// The slots the editor shows as single fields, in the order it stores them.
constexpr int kPictureFieldSlots[] = {kCardBackSlot, kRedCardSlot, kGreenCardSlot,
                                      kBlueCardSlot};
constexpr int kTuneFieldSlots[] = {kWinTuneSlot, kReadMeTuneSlot, kHelpTuneSlot};

} // namespace

void copyFields(const EditorFields &screen, GameRecord &record)
{
    storeText(record.Name, screen.name);
    for (int slot : kPictureFieldSlots)
        storeText(record.Bmps[slot], screen.bmps[slot]);
    for (int slot : kTuneFieldSlots)
        storeText(record.Midis[slot], screen.midis[slot]);
    for (int k = 1; k <= kCardCount; ++k)
        storeText(record.Bmps[k], screen.bmps[k]);
    for (int k = 1; k <= kCardCount; ++k)
        storeText(record.Midis[k], screen.midis[k]);
}

EditorFields fieldsOf(const GameRecord &record)
{
    EditorFields fields;
    fields.name = textOf(record.Name);
    for (int slot = 0; slot < kImageCount; ++slot)
        fields.bmps[slot] = textOf(record.Bmps[slot]);
    for (int slot = 1; slot < kImageCount; ++slot)
        fields.midis[slot] = textOf(record.Midis[slot]);
    return fields;
}

GameRecord emptiedForNew(const GameRecord &record)
{
    GameRecord empty = record;
    empty.Name.clear();
    for (int slot = 0; slot < kImageCount; ++slot)
        empty.Bmps[slot].clear();
    for (int slot = 1; slot < kImageCount; ++slot)
        empty.Midis[slot].clear();
    for (auto &line : empty.Descriptions)
        line.clear();
    return empty;
}

std::int32_t stepIndex(EditorStep step, std::int32_t index, std::int32_t last)
{
    switch (step) {
    case EditorStep::First:
        return 0;
    case EditorStep::Previous:
        return index > 0 ? index - 1 : last;
    case EditorStep::Next:
        return index < last ? index + 1 : 0;
    case EditorStep::Last:
        return last;
    }
    return index;
}

bool fileExists(const std::string &utf8Name)
{
    std::error_code ec;
    return !utf8Name.empty() &&
           std::filesystem::is_regular_file(utf8Name, ec);
}

void EditorStore::StoreEditRecord(const EditorFields &screen)
{
    if (!writesBack())
        return;
    copyFields(screen, state_.EditRecord);
    LibraryFile file(fileName_);
    file.Open();
    file.Seek(state_.EditIndex);
    file.Write(state_.EditRecord);
    file.Close();
}

void EditorStore::CountEditRecords()
{
    LibraryFile file(fileName_);
    file.Open();
    state_.EditLast = file.Count() - 1;
    file.Close();
}

GameRecord EditorStore::readRecord(std::int32_t index)
{
    GameRecord record;
    LibraryFile file(fileName_);
    file.Open();
    file.Seek(index);
    file.Read(record);
    file.Close();
    return record;
}

void EditorStore::ReadEditRecord()
{
    GameRecord record;
    try {
        record = readRecord(state_.EditIndex);
    } catch (...) {
        state_.EditShown = false;
        throw;
    }
    state_.EditRecord = record;
    state_.EditShown = true;
}

void EditorStore::Move(EditorStep step, const EditorFields &screen)
{
    StoreEditRecord(screen);
    CountEditRecords();
    readInstead(stepIndex(step, state_.EditIndex, state_.EditLast), state_.EditIndex);
}

void EditorStore::readInstead(std::int32_t index, std::int32_t shownIndex)
{
    const bool shown = state_.EditShown;
    state_.EditIndex = index;
    try {
        ReadEditRecord();
    } catch (...) {
        state_.EditIndex = shownIndex;
        state_.EditShown = shown;
        throw;
    }
}

void EditorStore::AppendNew(const EditorFields &screen)
{
    StoreEditRecord(screen);
    CountEditRecords();
    state_.EditLast += 1;

    const GameRecord record = emptiedForNew(state_.EditRecord);
    LibraryFile file(fileName_);
    file.Open();
    file.Seek(state_.EditLast);
    file.Write(record);
    file.Close();
    state_.EditIndex = state_.EditLast;
    state_.EditRecord = record;
    state_.EditShown = true;
}

bool EditorStore::Delete()
{
    if (state_.EditIndex <= 3 || !state_.EditShown)
        return false;
    CountEditRecords();
    if (state_.EditIndex > state_.EditLast)
        return false;

    // What the file holds, not EditRecord: fields confirmed with Enter are not stored yet.
    DeletedGame deleted{readRecord(state_.EditIndex), state_.EditIndex};
    LibraryFile::RemoveRecord(fileName_, state_.EditIndex);
    state_.LastDeleted = deleted;
    if (state_.EditIndex == state_.EditLast)
        state_.EditIndex -= 1;
    ReadEditRecord();
    return true;
}

bool EditorStore::UndoDelete()
{
    if (!state_.LastDeleted)
        return false;
    CountEditRecords();
    const std::int32_t index = std::min(state_.LastDeleted->index, state_.EditLast + 1);
    if (index <= 3)
        throw QuorvelError("The library must hold the four default games before a game is "
                           "put back");
    LibraryFile::InsertRecord(fileName_, index, state_.LastDeleted->record);
    state_.LastDeleted.reset();
    // The record on screen has moved up one place when it stood at or after the game.
    readInstead(index, state_.EditIndex + (state_.EditIndex >= index ? 1 : 0));
    return true;
}

} // namespace quorvel
