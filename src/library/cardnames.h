#pragma once

#include "gamerecord.h"

#include <array>
#include <string>

namespace quorvel {

// The names a screen reader speaks for the fifteen cards of a game: card k is names[k - 1].
using CardNames = std::array<std::string, kCardCount>;

// The name a picture's file name gives its card: the bare name without folder, extension
// and the "-2" that a second file of the same name is given, underscores read as blanks
// ("pictures/snowy_owl-2.bmp" reads "snowy owl"). Empty when that leaves no letter.
std::string NameFromFileName(const std::string &fileName);

// One name per card, unique within the game: the subject a default game's picture shows
// where the card's picture is one of theirs, else the name its file name gives, else
// "card k". Names that would repeat are told apart by their card numbers ("owl, card 3").
CardNames SpokenCardNames(const GameRecord &record);

} // namespace quorvel
