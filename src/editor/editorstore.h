#pragma once

#include "editorstate.h"
#include "library/ansi.h"
#include "library/libraryfile.h"

#include <array>
#include <string>

namespace quorvel {

// What the editor's controls show, as UTF-8: the game name, the picture names Bmps[0..18]
// and the tune names Midis[1..18] (midis[0] is never shown and never stored).
struct EditorFields {
    std::string name;
    std::array<std::string, kImageCount> bmps;
    std::array<std::string, kImageCount> midis;
};

// The four buttons that move the editor through the library.
enum class EditorStep { First, Previous, Next, Last };

// Stores a control's UTF-8 text into a field: converted to the file's code page, cut to
// the field's capacity, the bytes after it left as they were.
template <std::size_t N>
void storeText(ShortString<N> &field, const std::string &utf8)
{
    field.assign(utf8ToAnsi(utf8));
}

// Copies the controls into the record, in the order the editor stores them: the name, the
// card back, the three colour cards, the three page tunes, then the 15 card pictures and
// the 15 card tunes. Fields the editor does not show are not touched.
void copyFields(const EditorFields &screen, GameRecord &record);
// The texts the controls show for a record.
EditorFields fieldsOf(const GameRecord &record);

// The record NEW appends, made from the record on screen: its name, pictures Bmps[0..18],
// tunes Midis[1..18] and 45 description lines emptied by their length bytes alone; the
// spare slots and every byte after a length stay as they were.
GameRecord emptiedForNew(const GameRecord &record);

// The record number a navigation button moves to from `index` in a library whose last
// record is `last`; NEXT after the last record and PREV before the first wrap around.
std::int32_t stepIndex(EditorStep step, std::int32_t index, std::int32_t last);

// Whether a file of that name exists (a folder does not count); the editor loads a
// picture and plays a card's tune only when it does.
bool fileExists(const std::string &utf8Name);

// The game editor's operations on the library file. Each opens the file, does one short
// sequence of record operations and closes it again, touching only the records it names.
// Every step may throw InOutError, and what the steps before it stored stays stored; but a
// failure never leaves EditIndex naming another record than the one whose fields are on
// screen, so the next store writes that record or none. Records 0 to 3 are never written or
// deleted.
class EditorStore {
public:
    explicit EditorStore(EditorState &state, std::string fileName = kLibraryFileName)
        : state_(state), fileName_(std::move(fileName))
    {
    }

    // Whether the record on screen goes back to the file when it is left.
    bool writesBack() const
    {
        return state_.EditorLoaded && state_.EditIndex > 3 && state_.EditShown;
    }

    // When writesBack(): copies the controls into EditRecord and writes it to record
    // EditIndex. Otherwise does nothing.
    void StoreEditRecord(const EditorFields &screen);
    // EditLast := the number of records - 1.
    void CountEditRecords();
    // Reads record EditIndex into EditRecord and sets EditShown. When the read fails,
    // EditRecord is unchanged and EditShown is cleared.
    void ReadEditRecord();

    // FIRST, PREV, NEXT, LAST up to the read: stores the record on screen, counts, moves
    // EditIndex and reads the record it names. When that read fails, EditIndex goes back
    // to the record still on screen.
    void Move(EditorStep step, const EditorFields &screen);
    // NEW up to the write: stores the record on screen and appends emptiedForNew() of it as
    // the new last record. Only once it is in the file do EditIndex and EditRecord take it.
    void AppendNew(const EditorFields &screen);
    // DEL up to the read: removes record EditIndex from the file all at once, keeps it as
    // the file held it in LastDeleted, and reads the record EditIndex then names, the next
    // one, or the one before when the last went.
    // Returns false, having done nothing, unless EditIndex names a stored record above 3
    // whose fields are on screen. Until the record is gone, a failure leaves the file and
    // the editor as they were.
    bool Delete();
    // Undo Delete up to the read, once the record on screen has been stored as leaving it
    // stores it: puts LastDeleted back into the file all at once, byte for byte, as the
    // record number it had (or as the last record, should the library have become shorter
    // since), and reads it there. Returns false, having done nothing, when there is none.
    // Until the game is back, a failure leaves the file as it was and LastDeleted waiting.
    bool UndoDelete();

private:
    GameRecord readRecord(std::int32_t index);
    // Makes `index` EditIndex and reads it; when the read fails, EditIndex names `shownIndex`,
    // the number the record still on screen has now.
    void readInstead(std::int32_t index, std::int32_t shownIndex);

    EditorState &state_;
    std::string fileName_;
};

} // namespace quorvel
