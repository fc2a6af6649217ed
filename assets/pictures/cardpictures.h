#pragma once

#include "library/cardsubjects.h"

#include <QColor>
#include <QImage>

namespace quorvel::pictures {

class SymbolPainter;

// Every card picture is the size of a play grid cell, since the game draws it unscaled.
inline constexpr int kCardWidth = 122;
inline constexpr int kCardHeight = 58;

// The ground hue of card k (1..15) of a game: fifteen hues a full circle apart, so no two
// faces of one game share a colour.
int faceHue(const GameTheme &theme, int card);

// Card k's face: its symbol on the left in a light disc, its caption on the right.
QImage cardFace(const SymbolPainter &symbols, const GameTheme &theme, int card);

// The face-down side: the game's emblem on a lattice in the game's colour.
QImage cardBack(const SymbolPainter &symbols, const GameTheme &theme);

// The card that marks a found pair. Besides its colour each one carries a shape and a
// letter of its own (circle R, triangle G, square B), for players who cannot tell red
// from green.
enum class Player { Red, Green, Blue };
QColor playerColour(Player player);
QImage colourCard(const SymbolPainter &symbols, const GameTheme &theme, Player player);

} // namespace quorvel::pictures
