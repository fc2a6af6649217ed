#include "cardpictures.h"

#include "symbolpainter.h"

#include <QPainter>
#include <QPainterPath>

namespace quorvel::pictures {

namespace {

constexpr QRect kCardRect(0, 0, kCardWidth, kCardHeight);

QImage blankCard()
{
    QImage image(kCardWidth, kCardHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

void drawCentred(QPainter &p, const QImage &image, QPointF centre)
{
    p.drawImage(QPointF(centre.x() - image.width() / 2.0, centre.y() - image.height() / 2.0),
                image);
}

bool fits(const QFont &font, const QString &text, QRect box)
{
    return box.contains(
        QFontMetrics(font).boundingRect(box, Qt::AlignCenter | Qt::TextWordWrap, text));
}

// The caption font: bold at the largest size from `largest` down to 12 at which `text`
// fits `box` wrapped at spaces; a word too long for that goes narrow rather than tiny.
QFont fittingFont(const SymbolPainter &symbols, const QString &text, QRect box, int largest)
{
    for (int size = largest; size >= 12; --size) {
        if (fits(symbols.textFont(size), text, box))
            return symbols.textFont(size);
    }
    for (int size = largest; size > 8; --size) {
        if (fits(symbols.narrowFont(size), text, box))
            return symbols.narrowFont(size);
    }
    return symbols.narrowFont(8);
}

} // namespace

int faceHue(const GameTheme &theme, int card)
{
    return (theme.backHue + 24 * (card - 1)) % 360;
}

QImage cardFace(const SymbolPainter &symbols, const GameTheme &theme, int card)
{
    const CardSubject &subject = theme.cards[card - 1];
    const int hue = faceHue(theme, card);
    QImage image = blankCard();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient ground(0, 0, 0, kCardHeight);
    ground.setColorAt(0, QColor::fromHsv(hue, 70, 255));
    ground.setColorAt(1, QColor::fromHsv(hue, 140, 225));
    p.fillRect(kCardRect, ground);

    const QPointF centre(30, 29);
    QRadialGradient disc(centre, 26);
    disc.setColorAt(0, Qt::white);
    disc.setColorAt(0.8, QColor::fromHsv(hue, 18, 255));
    disc.setColorAt(1, QColor::fromHsv(hue, 45, 250));
    p.setPen(QPen(QColor::fromHsv(hue, 160, 170), 1));
    p.setBrush(disc);
    p.drawEllipse(centre, 26, 26);
    drawCentred(p, symbols.symbol(subject, QSize(40, 40)), centre);

    const QString caption = QString::fromLatin1(subject.caption);
    const QRect captionBox(58, 3, 61, 52);
    p.setFont(fittingFont(symbols, caption, captionBox, 14));
    p.setPen(QColor::fromHsv(hue, 230, 80));
    p.drawText(captionBox, Qt::AlignCenter | Qt::TextWordWrap, caption);

    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor::fromHsv(hue, 200, 130));
    p.setBrush(Qt::NoBrush);
    p.drawRect(kCardRect.adjusted(0, 0, -1, -1));
    return image;
}

QImage cardBack(const SymbolPainter &symbols, const GameTheme &theme)
{
    const int hue = theme.backHue;
    QImage image = blankCard();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient ground(0, 0, kCardWidth, kCardHeight);
    ground.setColorAt(0, QColor::fromHsv(hue, 190, 165));
    ground.setColorAt(1, QColor::fromHsv(hue, 230, 75));
    p.fillRect(kCardRect, ground);

    // A diamond lattice, so that a face-down card reads as a pattern, not as a colour.
    p.setPen(QPen(QColor::fromHsv(hue, 120, 230, 80), 1));
    for (int x = -kCardHeight; x < kCardWidth + kCardHeight; x += 12) {
        p.drawLine(QPointF(x, 0), QPointF(x + kCardHeight, kCardHeight));
        p.drawLine(QPointF(x, kCardHeight), QPointF(x + kCardHeight, 0));
    }

    const QColor gold(222, 184, 82);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(gold, 2));
    p.drawRoundedRect(QRectF(kCardRect).adjusted(3, 3, -3, -3), 5, 5);

    const QPointF centre(kCardWidth / 2.0, kCardHeight / 2.0);
    QRadialGradient medallion(centre, 22);
    medallion.setColorAt(0, Qt::white);
    medallion.setColorAt(1, QColor::fromHsv(hue, 70, 235));
    p.setBrush(medallion);
    p.setPen(QPen(gold, 2));
    p.drawEllipse(centre, 22, 22);
    drawCentred(p, symbols.glyph(theme.backGlyph, QSize(30, 30)), centre);

    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    p.setPen(QColor::fromHsv(hue, 240, 50));
    p.drawRect(kCardRect.adjusted(0, 0, -1, -1));
    return image;
}

QColor playerColour(Player player)
{
    switch (player) {
    case Player::Red:
        return QColor(255, 0, 0);
    case Player::Green:
        return QColor(0, 128, 0);
    case Player::Blue:
        return QColor(0, 0, 255);
    }
    return {};
}

QImage colourCard(const SymbolPainter &symbols, const GameTheme &theme, Player player)
{
    const QColor colour = playerColour(player);
    QImage image = blankCard();
    image.fill(colour);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    p.setPen(QPen(Qt::white, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(kCardRect).adjusted(3, 3, -3, -3), 5, 5);

    const QPointF centre(kCardWidth / 2.0, kCardHeight / 2.0);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    QString letter;
    QPointF letterCentre = centre;
    switch (player) {
    case Player::Red:
        p.drawEllipse(centre, 23, 23);
        letter = QStringLiteral("R");
        break;
    case Player::Green: {
        const double top = 5, bottom = 52, half = 27;
        p.drawPolygon(QPolygonF({{centre.x(), top},
                                 {centre.x() + half, bottom},
                                 {centre.x() - half, bottom}}));
        letter = QStringLiteral("G");
        letterCentre.ry() += 8;
        break;
    }
    case Player::Blue:
        p.drawRect(QRectF(centre.x() - 18, centre.y() - 18, 36, 36));
        letter = QStringLiteral("B");
        break;
    }
    p.setPen(colour);
    p.setFont(symbols.textFont(26));
    p.drawText(QRectF(letterCentre.x() - 20, letterCentre.y() - 16, 40, 32), Qt::AlignCenter,
               letter);

    // The game's emblem on both sides says which game's colour card this is.
    const QImage emblem = symbols.glyph(theme.backGlyph, QSize(18, 18));
    for (double x : {20.0, kCardWidth - 20.0}) {
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(x, centre.y()), 12, 12);
        drawCentred(p, emblem, QPointF(x, centre.y()));
    }
    return image;
}

} // namespace quorvel::pictures
