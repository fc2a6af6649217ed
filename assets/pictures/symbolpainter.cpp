#include "symbolpainter.h"

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
constexpr int kCanvas = 160;

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
    QImage canvas(kCanvas, kCanvas, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    return canvas;
}

// Seven tuned wooden bars on two rails, longest on the left, with two mallets.
void drawXylophone(QPainter &p)
{
    const QColor outline(70, 40, 20);
    p.setPen(QPen(outline, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(120, 75, 40));
    p.drawPolygon(QPolygonF({{6, 44}, {154, 62}, {154, 72}, {6, 56}}));
    p.drawPolygon(QPolygonF({{6, 112}, {154, 96}, {154, 106}, {6, 124}}));
    const int bars = 7;
    for (int i = 0; i < bars; ++i) {
        const double x = 10 + i * 20.5;
        const double shrink = i * 4.5;
        const QRectF bar(x, 34 + shrink, 18, 100 - 2 * shrink);
        QLinearGradient wood(bar.topLeft(), bar.topRight());
        const QColor tone = QColor::fromHsv(24 + i * 2, 170 + i * 6, 240 - i * 8);
        wood.setColorAt(0, tone.lighter(120));
        wood.setColorAt(1, tone.darker(110));
        p.setBrush(wood);
        p.drawRoundedRect(bar, 3, 3);
        p.setBrush(QColor(210, 210, 215));
        p.drawEllipse(QPointF(bar.center().x(), bar.top() + 15 - i * 0.6), 3, 3);
        p.drawEllipse(QPointF(bar.center().x(), bar.bottom() - 15 + i * 0.6), 3, 3);
    }
    for (const auto &[from, to] : {std::pair{QPointF(70, 156), QPointF(112, 96)},
                                   std::pair{QPointF(150, 156), QPointF(134, 92)}}) {
        p.setPen(QPen(outline, 9, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(from, to);
        p.setPen(QPen(QColor(240, 210, 150), 5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(from, to);
        p.setPen(QPen(QColor(110, 10, 20), 3));
        p.setBrush(QColor(225, 45, 55));
        p.drawEllipse(to, 11, 11);
    }
}

// A steel triangle with its open corner, hanging from a loop, and its beater.
void drawTriangle(QPainter &p)
{
    p.setPen(QPen(QColor(200, 40, 40), 6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath loop;
    loop.moveTo(74, 30);
    loop.cubicTo(62, 10, 84, 2, 84, 2);
    p.drawPath(loop);

    QPainterPath steel;
    steel.moveTo(34, 118);
    steel.lineTo(74, 30);
    steel.lineTo(134, 148);
    steel.lineTo(18, 148);
    p.setPen(QPen(QColor(55, 60, 70), 20, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(steel);
    QLinearGradient shine(20, 30, 140, 150);
    shine.setColorAt(0, QColor(250, 250, 255));
    shine.setColorAt(0.5, QColor(165, 172, 185));
    shine.setColorAt(1, QColor(230, 233, 240));
    p.setPen(QPen(QBrush(shine), 11, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(steel);

    p.setPen(QPen(QColor(55, 60, 70), 12, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(150, 50), QPointF(104, 104));
    p.setPen(QPen(QColor(205, 208, 215), 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(150, 50), QPointF(104, 104));
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
    QImage canvas = emptyCanvas();
    {
        QPainter p(&canvas);
        p.setRenderHint(QPainter::Antialiasing);
        switch (subject.drawn) {
        case DrawnSymbol::Xylophone:
            drawXylophone(p);
            break;
        case DrawnSymbol::Triangle:
            drawTriangle(p);
            break;
        case DrawnSymbol::None:
            break;
        }
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
