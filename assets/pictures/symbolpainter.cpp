#include "symbolpainter.h"

#include "drawnsymbols.h"
#include "library/quorvelerror.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>

namespace quorvel::pictures {

namespace {

constexpr const char *kEmojiFamily = "Noto Color Emoji";
constexpr const char *kTextFamily = "Liberation Sans";
constexpr const char *kNarrowFamily = "Liberation Sans Narrow";
// The size at which Noto Color Emoji stores its bitmaps; glyphs are drawn at it and scaled
// down once, which looks better than letting the font engine scale to a small size.
constexpr int kEmojiStrike = 109;

QFont requireFamily(const char *family, const char *package)
{
    if (!QFontDatabase::families().contains(QString::fromLatin1(family)))
        throw QuorvelError(std::string("The font \"") + family +
                           "\" is not installed (Debian package " + package + ").");
    QFont font(QString::fromLatin1(family));
    font.setStyleStrategy(QFont::NoFontMerging);
    return font;
}

// The smallest rectangle holding every pixel that is not fully transparent.
QRect opaqueBounds(const QImage &image)
{
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) == 0)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

QImage fitInto(const QImage &canvas, QSize box, const char *what)
{
    const QRect bounds = opaqueBounds(canvas);
    if (bounds.isEmpty())
        throw QuorvelError(std::string("The symbol ") + what + " came out empty.");
    return canvas.copy(bounds).scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QImage emptyCanvas()
{
    QImage canvas(kSymbolCanvas, kSymbolCanvas, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    return canvas;
}

// Noto's lobster is a cooked one, bright red. A living lobster is dark greenish brown: the
// glyph keeps its shading, and its reds and oranges turn to that; black eyes stay.
QImage inLivingColours(QImage image)
{
    constexpr int kLivingHue = 62;
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            QColor colour = QColor::fromRgba(image.pixel(x, y));
            if (colour.alpha() == 0 || colour.hsvSaturation() < 60)
                continue;
            colour.setHsv(kLivingHue, colour.hsvSaturation() * 3 / 5, colour.value() * 2 / 5,
                          colour.alpha());
            image.setPixel(x, y, colour.rgba());
        }
    }
    return image;
}

QFont makeFont(const QString &family, int pixelSize, bool bold)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

} // namespace

SymbolPainter::SymbolPainter()
    : emojiFont_(requireFamily(kEmojiFamily, "fonts-noto-color-emoji")),
      textFamily_(requireFamily(kTextFamily, "fonts-liberation2").family()),
      narrowFamily_(requireFamily(kNarrowFamily, "fonts-liberation").family())
{
    emojiFont_.setPixelSize(kEmojiStrike);
}

QImage SymbolPainter::glyph(const char *utf8, QSize box) const
{
    const QString text = QString::fromUtf8(utf8);
    const QRawFont raw = QRawFont::fromFont(emojiFont_);
    for (char32_t c : text.toUcs4()) {
        const bool joiner = c == 0x200D || c == 0xFE0F;
        if (!joiner && !raw.supportsCharacter(c))
            throw QuorvelError("Noto Color Emoji has no glyph U+" +
                               QString::number(c, 16).toUpper().toStdString() + ".");
    }
    QImage canvas = emptyCanvas();
    {
        QPainter p(&canvas);
        p.setFont(emojiFont_);
        p.drawText(canvas.rect(), Qt::AlignCenter, text);
    }
    return fitInto(canvas, box, utf8);
}

QImage SymbolPainter::symbol(const CardSubject &subject, QSize box) const
{
    if (subject.glyph)
        return glyph(subject.glyph, box);
    if (subject.drawn == DrawnSymbol::LivingLobster)
        return inLivingColours(glyph("\U0001F99E", box));
    QImage canvas = emptyCanvas();
    {
        QPainter p(&canvas);
        p.setRenderHint(QPainter::Antialiasing);
        drawSymbol(p, subject.drawn);
    }
    return fitInto(canvas, box, subject.caption);
}

QFont SymbolPainter::textFont(int pixelSize, bool bold) const
{
    return makeFont(textFamily_, pixelSize, bold);
}

QFont SymbolPainter::narrowFont(int pixelSize) const
{
    return makeFont(narrowFamily_, pixelSize, true);
}

} // namespace quorvel::pictures
