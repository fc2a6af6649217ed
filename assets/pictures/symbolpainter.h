#pragma once

#include "library/cardsubjects.h"

#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>

namespace quorvel::pictures {

// Turns a card subject's symbol into a small picture: an emoji glyph of Noto Color Emoji,
// or one of the instruments drawn with shapes. The fonts are looked up by family name when
// the painter is made; a missing font or glyph throws QuorvelError, because a fallback font
// would silently put empty boxes on the cards.
class SymbolPainter {
public:
    SymbolPainter();

    // The symbol scaled to fit `box` (aspect kept, transparent margins trimmed), on a
    // transparent ground.
    QImage glyph(const char *utf8, QSize box) const;
    QImage symbol(const CardSubject &subject, QSize box) const;

    // Liberation Sans, bold or regular, at a pixel size; for captions and letters.
    QFont textFont(int pixelSize, bool bold = true) const;
    // Liberation Sans Narrow bold, for a caption word too long for the card.
    QFont narrowFont(int pixelSize) const;

private:
    QFont emojiFont_;
    QString textFamily_;
    QString narrowFamily_;
};

} // namespace quorvel::pictures
