#include "editorstore.h"

#include "library/gameselection.h"

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

void EditorStore::ReadEditRecord()
{
    LibraryFile file(fileName_);
    file.Open();
    file.Seek(state_.EditIndex);
    file.Read(state_.EditRecord);
    file.Close();
}

void EditorStore::Move(EditorStep step, const EditorFields &screen)
{
    StoreEditRecord(screen);
    CountEditRecords();
    state_.EditIndex = stepIndex(step, state_.EditIndex, state_.EditLast);
    ReadEditRecord();
}

void EditorStore::AppendNew(const EditorFields &screen)
{
    StoreEditRecord(screen);
    CountEditRecords();
    state_.EditLast += 1;
    state_.EditIndex = state_.EditLast;

    GameRecord &record = state_.EditRecord;
    record.Name.clear();
    for (int slot = 0; slot < kImageCount; ++slot)
        record.Bmps[slot].clear();
    for (int slot = 1; slot < kImageCount; ++slot)
        record.Midis[slot].clear();
    for (auto &line : record.Descriptions)
        line.clear();

    LibraryFile file(fileName_);
    file.Open();
    file.Seek(state_.EditIndex);
    file.Write(record);
    file.Close();
}

bool EditorStore::Delete()
{
    if (state_.EditIndex <= 3)
        return false;
    CountEditRecords();
    // Cutting off the last record must never reach the protected ones, even when an
    // earlier failure has left EditIndex past the end of a library of four records.
    if (state_.EditLast <= 3)
        return false;

    LibraryFile file(fileName_);
    file.Open();
    if (state_.EditIndex < state_.EditLast) {
        for (std::int32_t i = state_.EditIndex; i < state_.EditLast; ++i) {
            file.Seek(i + 1);
            file.Read(state_.EditRecord);
            file.Seek(i);
            file.Write(state_.EditRecord);
        }
    } else {
        state_.EditIndex -= 1;
    }
    file.Seek(state_.EditLast);
    file.Truncate();
    file.Close();

    ReadEditRecord();
    return true;
}

} // namespace quorvel
