#pragma once

#include "library/cardsubjects.h"

class QPainter;

namespace quorvel::pictures {

// The side of the square canvas the drawn symbols are drawn on; the symbol painter trims
// the transparent margin and scales the rest to the card.
inline constexpr int kSymbolCanvas = 160;

// Draws one of the symbols that no emoji shows as its card's lines describe it, on a
// transparent canvas of kSymbolCanvas pixels square, antialiased.
void drawSymbol(QPainter &p, DrawnSymbol symbol);

} // namespace quorvel::pictures
