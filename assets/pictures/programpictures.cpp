#include "programpictures.h"

#include "library/quorvelerror.h"
#include "symbolpainter.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace quorvel::pictures {

namespace {

constexpr double kW = kSceneWidth;
constexpr double kH = kSceneHeight;

const QColor kIconBlue(12, 30, 84);
const QColor kIconYellow(255, 210, 30);

void sky(QPainter &p, std::initializer_list<std::pair<double, QColor>> stops)
{
    QLinearGradient g(0, 0, 0, kH);
    for (const auto &[at, colour] : stops)
        g.setColorAt(at, colour);
    p.fillRect(QRectF(0, 0, kW, kH), g);
}

// A soft glow: a radial gradient from `colour` to nothing.
void glow(QPainter &p, QPointF centre, double radius, QColor colour)
{
    QRadialGradient g(centre, radius);
    g.setColorAt(0, colour);
    colour.setAlpha(0);
    g.setColorAt(1, colour);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(centre, radius, radius);
}

// A hill whose top runs through `ridge` (left to right), filled down to the bottom edge.
void hill(QPainter &p, std::initializer_list<QPointF> ridge, const QBrush &brush)
{
    QPainterPath path;
    const QPointF *points = ridge.begin();
    path.moveTo(0, kH);
    path.lineTo(points[0]);
    for (std::size_t i = 1; i < ridge.size(); ++i) {
        const QPointF a = points[i - 1], b = points[i];
        const double mid = (a.x() + b.x()) / 2;
        path.cubicTo(QPointF(mid, a.y()), QPointF(mid, b.y()), b);
    }
    path.lineTo(kW, kH);
    path.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(brush);
    p.drawPath(path);
}

QBrush vertical(QColor top, QColor bottom, double y0 = 30, double y1 = kH)
{
    QLinearGradient g(0, y0, 0, y1);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

void sunriseOverHills(QPainter &p)
{
    sky(p, {{0, QColor(40, 70, 140)}, {0.45, QColor(240, 150, 110)},
            {0.7, QColor(255, 215, 140)}});
    const QPointF sun(70, 46);
    glow(p, sun, 40, QColor(255, 240, 190, 200));
    p.setPen(QPen(QColor(255, 235, 170, 120), 1.5));
    for (int i = 0; i < 11; ++i) {
        const double a = M_PI * (0.05 + 0.09 * i);
        p.drawLine(sun + QPointF(std::cos(a) * 17, -std::sin(a) * 17),
                   sun + QPointF(std::cos(a) * 34, -std::sin(a) * 34));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 244, 200));
    p.drawEllipse(sun, 12, 12);
    hill(p, {{0, 48}, {35, 40}, {80, 50}, {122, 42}},
         vertical(QColor(110, 150, 90), QColor(70, 110, 60)));
    hill(p, {{0, 58}, {50, 52}, {122, 62}},
         vertical(QColor(80, 130, 60), QColor(40, 80, 35), 50));
    hill(p, {{0, 70}, {70, 64}, {122, 68}}, QColor(30, 60, 30));
}

void openBook(QPainter &p)
{
    sky(p, {{0, QColor(70, 40, 30)}, {1, QColor(150, 95, 55)}});
    glow(p, QPointF(61, 32), 46, QColor(255, 230, 170, 170));
    const QColor cover(110, 30, 35);
    p.setBrush(cover);
    p.setPen(QPen(cover.darker(150), 1));
    p.drawRoundedRect(QRectF(10, 16, 102, 50), 3, 3);
    for (int side : {-1, 1}) {
        QPainterPath page;
        page.moveTo(61, 20);
        page.cubicTo(61 + side * 18, 12, 61 + side * 36, 14, 61 + side * 48, 16);
        page.lineTo(61 + side * 48, 60);
        page.cubicTo(61 + side * 36, 58, 61 + side * 18, 56, 61, 64);
        page.closeSubpath();
        QLinearGradient paper(61, 0, 61 + side * 48, 0);
        paper.setColorAt(0, QColor(215, 200, 170));
        paper.setColorAt(0.25, QColor(250, 244, 228));
        paper.setColorAt(1, QColor(240, 230, 205));
        p.setBrush(paper);
        p.setPen(QPen(QColor(160, 140, 110), 0.8));
        p.drawPath(page);
        p.setPen(QPen(QColor(120, 110, 100, 150), 1));
        for (int line = 0; line < 8; ++line) {
            const double y = 24 + line * 4.5;
            const double shorten = (line == 7) ? 18 : (line * 7 % 5);
            p.drawLine(QPointF(61 + side * 6, y + 1),
                       QPointF(61 + side * (42 - shorten), y));
        }
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 40, 40));
    p.drawPolygon(QPolygonF({{63, 62}, {68, 62}, {68, 73}, {65.5, 70}, {63, 73}}));
}

// A raised wing: from the shoulder up the curved leading edge (bent by c1, c2) to the tip,
// then back down along rounded feather ends through `trailing`.
QPainterPath wingPath(QPointF shoulder, QPointF c1, QPointF c2, QPointF tip,
                      std::initializer_list<QPointF> trailing)
{
    QPainterPath wing;
    wing.moveTo(shoulder);
    wing.cubicTo(c1, c2, tip);
    QPointF from = tip;
    for (const QPointF &to : trailing) {
        const QPointF mid = (from + to) / 2;
        const QPointF out(to.y() - from.y(), from.x() - to.x());  // outward normal
        wing.quadTo(mid - out * 0.35, to);
        from = to;
    }
    wing.closeSubpath();
    return wing;
}

void doveWithTwig(QPainter &p)
{
    sky(p, {{0, QColor(90, 150, 215)}, {1, QColor(200, 230, 250)}});
    glow(p, QPointF(95, 14), 30, QColor(255, 255, 235, 200));
    for (const QRectF &cloud : {QRectF(4, 52, 40, 14), QRectF(24, 56, 44, 14),
                                QRectF(80, 58, 50, 14)}) {
        p.setBrush(QColor(255, 255, 255, 170));
        p.drawEllipse(cloud);
    }
    const QColor shade(165, 175, 195);
    p.setPen(QPen(shade, 0.8));
    p.setBrush(QColor(222, 228, 238));
    p.drawPath(wingPath({80, 32}, {88, 24}, {94, 14}, {102, 5},
                        {{93, 8}, {86, 12}, {80, 18}, {74, 25}, {68, 33}}));
    QPainterPath body;
    body.moveTo(20, 36);  // the tail fan
    body.lineTo(38, 36);
    body.cubicTo(50, 30, 68, 29, 82, 31);
    body.cubicTo(86, 26, 95, 26, 98, 32);  // head
    body.lineTo(104, 34.5);                // beak
    body.lineTo(97, 36.5);
    body.cubicTo(92, 44, 74, 48, 56, 46);
    body.cubicTo(46, 45, 38, 44, 20, 50);
    body.lineTo(24, 43);
    body.closeSubpath();
    p.setBrush(QColor(252, 252, 254));
    p.drawPath(body);
    p.setBrush(QColor(246, 247, 251));
    p.drawPath(wingPath({64, 37}, {70, 22}, {60, 6}, {46, 1},
                        {{41, 8}, {39, 15}, {39, 22}, {41, 30}, {46, 38}}));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 50));
    p.drawEllipse(QPointF(92, 32), 1.2, 1.2);
    p.setPen(QPen(QColor(110, 90, 40), 1.2));
    p.drawLine(QPointF(101, 36), QPointF(112, 44));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(95, 140, 60));
    for (int i = 0; i < 3; ++i) {
        p.save();
        p.translate(104 + i * 3.2, 38.5 + i * 2.3);
        p.rotate(i % 2 ? 50 : -30);
        p.drawEllipse(QRectF(-4, -1.6, 8, 3.2));
        p.restore();
    }
}

void crossAtDusk(QPainter &p)
{
    sky(p, {{0, QColor(30, 25, 70)}, {0.45, QColor(120, 60, 110)},
            {0.75, QColor(235, 130, 80)}, {1, QColor(250, 190, 110)}});
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 250, 230));
    for (const QPointF &star : {QPointF(12, 8), QPointF(30, 16), QPointF(50, 6),
                                QPointF(92, 10), QPointF(110, 20), QPointF(76, 4)})
        p.drawEllipse(star, 0.8, 0.8);
    glow(p, QPointF(61, 40), 36, QColor(255, 215, 150, 150));
    hill(p, {{0, 66}, {61, 50}, {122, 64}}, QColor(35, 25, 45));
    p.setBrush(QColor(25, 18, 32));
    p.drawRect(QRectF(59, 14, 5, 38));
    p.drawRect(QRectF(49, 22, 25, 4.5));
}

void lightedPath(QPainter &p)
{
    sky(p, {{0, QColor(25, 40, 80)}, {0.5, QColor(90, 100, 150)}, {0.62, QColor(245, 205, 140)}});
    const QPointF light(61, 40);
    glow(p, light, 34, QColor(255, 240, 190, 230));
    hill(p, {{0, 44}, {40, 42}, {80, 45}, {122, 41}},
         vertical(QColor(60, 90, 60), QColor(20, 40, 25), 40));
    QPainterPath path;  // winding from the foreground to the light
    path.moveTo(38, kH);
    path.cubicTo(50, 62, 76, 58, 62, 50);
    path.cubicTo(56, 46, 60, 43, 61, 42);
    path.cubicTo(63, 43, 62, 46, 66, 50);
    path.cubicTo(88, 60, 66, 66, 86, kH);
    path.closeSubpath();
    QLinearGradient sand(0, 42, 0, kH);
    sand.setColorAt(0, QColor(255, 235, 180));
    sand.setColorAt(1, QColor(190, 150, 95));
    p.setPen(Qt::NoPen);
    p.setBrush(sand);
    p.drawPath(path);
    p.setBrush(QColor(255, 250, 225));
    p.drawEllipse(light, 3, 3);
    p.setBrush(QColor(15, 30, 18));
    for (const QPointF &tree : {QPointF(18, 44), QPointF(104, 42), QPointF(112, 46)}) {
        p.drawPolygon(QPolygonF({tree + QPointF(0, -12), tree + QPointF(5, 2),
                                 tree + QPointF(-5, 2)}));
    }
}

} // namespace

QImage savedScene(int n)
{
    QImage image(kSceneWidth, kSceneHeight, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    switch (n) {
    case 1:
        sunriseOverHills(p);
        break;
    case 2:
        openBook(p);
        break;
    case 3:
        doveWithTwig(p);
        break;
    case 4:
        crossAtDusk(p);
        break;
    case 5:
        lightedPath(p);
        break;
    default:
        throw QuorvelError("There is no picture " + std::to_string(n) + " of the page.");
    }
    return image;
}

QImage programIcon(const SymbolPainter &symbols, int size)
{
    const bool small = size <= 32;
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(small ? kIconBlue : QColor(Qt::transparent));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    if (!small) {
        const double s = size / 128.0;
        QLinearGradient ground(0, 0, 0, size);
        ground.setColorAt(0, QColor(30, 60, 150));
        ground.setColorAt(1, kIconBlue);
        p.setPen(QPen(kIconYellow, 3 * s));
        p.setBrush(ground);
        p.drawRoundedRect(QRectF(4, 4, size - 8, size - 8), 20 * s, 20 * s);
    }
    p.setFont(symbols.textFont(small ? 19 : size / 2));
    if (!small) {
        p.setPen(QColor(0, 0, 0, 110));
        p.drawText(QRectF(0, 0, size, size).translated(size / 40.0, size / 40.0),
                   Qt::AlignCenter, QStringLiteral("FQ"));
    }
    p.setPen(kIconYellow);
    p.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, QStringLiteral("FQ"));
    p.end();
    if (!small)
        return image;

    // Blends of the two colours are all the edges need.
    QList<QRgb> palette;
    for (int i = 0; i < kSmallIconColours; ++i) {
        const double t = i / double(kSmallIconColours - 1);
        palette.append(qRgb(qRound(kIconBlue.red() + t * (kIconYellow.red() - kIconBlue.red())),
                            qRound(kIconBlue.green() +
                                   t * (kIconYellow.green() - kIconBlue.green())),
                            qRound(kIconBlue.blue() +
                                   t * (kIconYellow.blue() - kIconBlue.blue()))));
    }
    return image.convertToFormat(QImage::Format_Indexed8, palette, Qt::ThresholdDither);
}

} // namespace quorvel::pictures
