#pragma once

#include "library/gamerecord.h"

#include <cstdint>

namespace quorvel {

// The game editor's record and where it lives in the library file.
struct EditorState {
    GameRecord EditRecord = GameRecord::zeroed();
    std::int32_t EditIndex = 0;    // record number of EditRecord in the library file
    std::int32_t EditLast = 0;     // last record number, counted afresh when needed
    bool EditorLoaded = false;     // while false nothing is written back
};

} // namespace quorvel
