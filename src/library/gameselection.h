#pragma once

#include "gamerecord.h"
#include "libraryfile.h"

#include <cstdint>
#include <string>

namespace quorvel {

// What putting a game in play needs from the window. File names and texts are UTF-8.
class GameInPlayHost {
public:
    virtual ~GameInPlayHost() = default;
    virtual void showGameName(const std::string &name) = 0;
    // Loads picture `slot` (0..18) of the game in play from the file; throws on failure,
    // leaving that picture as it was.
    virtual void loadPicture(int slot, const std::string &fileName) = 0;
    virtual void deal() = 0;
    virtual bool musicOn() = 0;
    // Starts a tune without waiting for its end; throws MediaError.
    virtual void startTune(const std::string &fileName) = 0;
    virtual void repaintBoard() = 0;
};

// A stored file name or text as UTF-8 for the window and the file system.
std::string textOf(const ShortString<kFileNameCapacity> &field);
std::string textOf(const ShortString<kNameCapacity> &field);

// Shows the game of `record` on the play page: its name, its 19 pictures (stopping at the
// first that fails to load) and a new deal.
void ShowGameInPlay(const GameRecord &record, GameInPlayHost &host);
// Starts the game's first card tune when music is on, then repaints the board.
void StartGameInPlay(const GameRecord &record, GameInPlayHost &host);

// SELECT GAME: steps through the games of the library file in record order.
class GameSelection {
public:
    std::int32_t GameIndex = 0; // the record the next selection loads
    std::int32_t GameLast = 0;  // the last record, counted afresh at every selection

    // Loads record GameIndex into `PlayRecord` (writing the default library first when the
    // file is missing) and puts it in play. A library that has become shorter than GameIndex
    // starts again at record 0. Throws on failure, at the step that failed.
    void SelectGame(GameRecord &PlayRecord, GameInPlayHost &host,
                    const std::string &fileName = kLibraryFileName);
};

} // namespace quorvel
