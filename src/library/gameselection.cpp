#include "gameselection.h"

#include "ansi.h"
#include "defaultlibrary.h"

#include <filesystem>

namespace quorvel {

std::string textOf(const ShortString<kFileNameCapacity> &field)
{
    return ansiToUtf8(field.str());
}

std::string textOf(const ShortString<kNameCapacity> &field)
{
    return ansiToUtf8(field.str());
}

void ShowGameInPlay(const GameRecord &record, GameInPlayHost &host)
{
    host.showGameName(textOf(record.Name));
    for (int i = 0; i < kImageCount; ++i)
        host.loadPicture(i, textOf(record.Bmps[i]));
    host.deal();
}

void StartGameInPlay(const GameRecord &record, GameInPlayHost &host)
{
    if (host.musicOn())
        host.startTune(textOf(record.Midis[1]));
    host.repaintBoard();
}

void GameSelection::SelectGame(GameRecord &PlayRecord, GameInPlayHost &host,
                               const std::string &fileName)
{
    std::error_code ec;
    if (!std::filesystem::exists(fileName, ec))
        CreateDefaultLibrary(fileName, PlayRecord);

    LibraryFile file(fileName);
    file.Open();
    GameLast = file.Count() - 1;
    file.Close();
    if (GameIndex > GameLast)
        GameIndex = 0;

    file.Open();
    file.Seek(GameIndex);
    file.Read(PlayRecord);
    file.Close();

    ++GameIndex;
    if (GameIndex > GameLast)
        GameIndex = 0;

    ShowGameInPlay(PlayRecord, host);
    StartGameInPlay(PlayRecord, host);
}

} // namespace quorvel
