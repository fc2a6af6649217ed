#pragma once

#include <QImage>

namespace quorvel::pictures {

class SymbolPainter;

inline constexpr int kSceneWidth = 122;
inline constexpr int kSceneHeight = 74;
inline constexpr int kSceneCount = 5;
// The small icon must stay within this many colours.
inline constexpr int kSmallIconColours = 16;

// Scene n (1..5) of the "How To Be Saved" page: sunrise over hills, an open book, a dove
// with an olive twig, a cross on a hill at dusk, a lit path at evening.
QImage savedScene(int n);

// The program icon: yellow "FQ" on dark blue. `size` 32 gives an indexed image of at most
// kSmallIconColours colours; other sizes are full colour with rounded, transparent corners.
QImage programIcon(const SymbolPainter &symbols, int size);

} // namespace quorvel::pictures
