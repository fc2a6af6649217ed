#pragma once

#include "library/gamerecord.h"

#include <cstdint>
#include <optional>

namespace quorvel {

// A game DEL removed, as the library file held it, and the record number it had.
struct DeletedGame {
    GameRecord record;
    std::int32_t index;
};

// The game editor's record and where it lives in the library file.
struct EditorState {
    GameRecord EditRecord = GameRecord::zeroed();
    std::int32_t EditIndex = 0;    // record number of EditRecord in the library file
    std::int32_t EditLast = 0;     // last record number, counted afresh when needed
    bool EditorLoaded = false;     // while false nothing is written back
    // Whether EditRecord and the controls hold record EditIndex, as read from the file. A
    // step that moved EditIndex but could not read the record it names clears it, and
    // then nothing is stored or deleted until a record has been read again: the controls
    // still show a record that EditIndex no longer names.
    bool EditShown = false;
    // The last game DEL removed in this run, until Undo Delete puts it back.
    std::optional<DeletedGame> LastDeleted;
};

} // namespace quorvel
