#include "drawnsymbols.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <utility>

namespace quorvel::pictures {

namespace {

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

// A tawny owl perched on a branch: a round head without ear tufts, a pale facial disc
// round dark eyes, a streaked breast and white-spotted wings in warm brown.
void drawTawnyOwl(QPainter &p)
{
    const QColor outline(70, 40, 20);
    const QColor tawny(165, 98, 48);
    p.setPen(QPen(outline, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));

    p.setBrush(QColor(120, 72, 36)); // tail, behind the branch
    p.drawPolygon(QPolygonF({{68, 128}, {92, 128}, {88, 156}, {72, 156}}));
    p.setPen(QPen(QColor(88, 58, 32), 11, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 150), QPointF(152, 142));
    p.setPen(QPen(outline, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));

    QRadialGradient body(QPointF(80, 96), 52);
    body.setColorAt(0, tawny.lighter(115));
    body.setColorAt(1, tawny.darker(125));
    p.setBrush(body);
    p.drawEllipse(QPointF(80, 100), 42, 46);
    p.setBrush(QColor(214, 168, 112)); // breast
    p.drawEllipse(QPointF(80, 110), 25, 32);
    p.setPen(QPen(QColor(115, 66, 30), 3, Qt::SolidLine, Qt::RoundCap));
    for (const QPointF &at : {QPointF(70, 94), QPointF(90, 94), QPointF(80, 104),
                              QPointF(68, 116), QPointF(92, 116), QPointF(80, 127)}) {
        p.drawLine(at + QPointF(0, -5), at + QPointF(0, 5));
        p.drawLine(at + QPointF(-3, 1), at + QPointF(3, 1));
    }

    // Wings folded along the sides, with the white spots of the shoulders.
    p.setPen(QPen(outline, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(128, 76, 38));
    for (int side : {-1, 1}) {
        QPainterPath wing;
        wing.moveTo(80 + side * 30, 70);
        wing.cubicTo(80 + side * 48, 84, 80 + side * 46, 124, 80 + side * 28, 144);
        wing.cubicTo(80 + side * 34, 118, 80 + side * 30, 96, 80 + side * 30, 70);
        p.drawPath(wing);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 226, 196));
    for (int side : {-1, 1}) {
        for (const QPointF &spot : {QPointF(38, 88), QPointF(40, 100), QPointF(38, 112)})
            p.drawEllipse(QPointF(80 + side * spot.x(), spot.y()), 2.6, 2.6);
    }

    // Feathered feet gripping the branch.
    p.setPen(QPen(outline, 2));
    p.setBrush(QColor(226, 196, 140));
    p.drawEllipse(QPointF(68, 144), 7, 5);
    p.drawEllipse(QPointF(92, 143), 7, 5);

    // The head: round on top, as a tawny owl's is; no tufts.
    p.setPen(QPen(outline, 3));
    QRadialGradient head(QPointF(80, 44), 44);
    head.setColorAt(0, tawny.lighter(110));
    head.setColorAt(1, tawny.darker(120));
    p.setBrush(head);
    p.drawEllipse(QPointF(80, 50), 40, 37);
    p.setPen(QPen(QColor(232, 212, 170), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(80, 20), QPointF(80, 40)); // the pale parting above the beak

    p.setPen(QPen(QColor(104, 60, 28), 3));
    p.setBrush(QColor(206, 160, 104));
    p.drawEllipse(QPointF(63, 54), 19, 20);
    p.drawEllipse(QPointF(97, 54), 19, 20);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(28, 16, 10)); // a tawny owl's eyes are dark, not yellow
    p.drawEllipse(QPointF(64, 53), 10, 10);
    p.drawEllipse(QPointF(96, 53), 10, 10);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(61, 50), 3, 3);
    p.drawEllipse(QPointF(93, 50), 3, 3);

    p.setPen(QPen(QColor(120, 96, 50), 1.5));
    p.setBrush(QColor(236, 206, 128));
    QPainterPath beak;
    beak.moveTo(74, 60);
    beak.lineTo(86, 60);
    beak.quadTo(84, 70, 80, 76);
    beak.quadTo(76, 70, 74, 60);
    p.drawPath(beak);
}

// A sea turtle swimming to the right, seen from above: a streamlined shell of plates, long
// paddle-shaped front flippers, small rear flippers and a blunt head. No feet.
void drawSeaTurtle(QPainter &p)
{
    const QColor outline(46, 52, 28);
    const QColor skin(156, 150, 96);
    p.setPen(QPen(outline, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(skin);

    for (int side : {-1, 1}) {
        const auto y = [side](double dy) { return 80 + side * dy; };
        QPainterPath front; // swept back like a wing
        front.moveTo(102, y(24));
        front.cubicTo(96, y(52), 74, y(70), 42, y(76));
        front.cubicTo(62, y(60), 76, y(40), 84, y(26));
        front.closeSubpath();
        p.drawPath(front);
        QPainterPath rear;
        rear.moveTo(44, y(16));
        rear.cubicTo(34, y(28), 22, y(36), 14, y(36));
        rear.cubicTo(22, y(24), 30, y(16), 42, y(8));
        rear.closeSubpath();
        p.drawPath(rear);
    }
    p.drawEllipse(QPointF(138, 80), 17, 13); // head
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 20));
    p.drawEllipse(QPointF(144, 72), 2.8, 2.8);
    p.drawEllipse(QPointF(144, 88), 2.8, 2.8);
    p.setBrush(QColor(112, 104, 60)); // scales on the flippers
    for (const QPointF &at : {QPointF(88, 44), QPointF(76, 54), QPointF(64, 62),
                              QPointF(88, 116), QPointF(76, 106), QPointF(64, 98)})
        p.drawEllipse(at, 3.5, 2.5);

    QPainterPath shell;
    shell.moveTo(126, 80);
    shell.cubicTo(122, 44, 62, 40, 34, 80);
    shell.cubicTo(62, 120, 122, 116, 126, 80);
    QLinearGradient wood(QPointF(60, 44), QPointF(100, 116));
    wood.setColorAt(0, QColor(150, 126, 64));
    wood.setColorAt(1, QColor(86, 82, 40));
    p.setPen(QPen(outline, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(wood);
    p.drawPath(shell);

    // The plates: a row down the middle with a row on each side.
    p.setPen(QPen(QColor(206, 184, 120), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const double xs[] = {46, 66, 86, 106, 120};
    for (double x : {66.0, 86.0, 106.0})
        p.drawLine(QPointF(x, 70), QPointF(x, 90));
    p.drawPolyline(QPolygonF({{xs[0], 80}, {56, 70}, {116, 70}, {xs[4], 80}}));
    p.drawPolyline(QPolygonF({{xs[0], 80}, {56, 90}, {116, 90}, {xs[4], 80}}));
    for (double x : {66.0, 86.0, 106.0}) {
        p.drawLine(QPointF(x - 4, 70), QPointF(x - 8, 54));
        p.drawLine(QPointF(x - 4, 90), QPointF(x - 8, 106));
    }
}

// A felling axe: a long, gently curved hickory handle with a swell at its end, and a
// narrow steel head with a long, flared bit.
void drawFellingAxe(QPainter &p)
{
    p.translate(122, 20);
    p.rotate(38);
    const QColor outline(64, 42, 22);

    QPainterPath handle;
    handle.moveTo(-6, -4);
    handle.cubicTo(-6, 60, -3, 110, -9, 166);
    handle.quadTo(-11, 180, 0, 180);
    handle.quadTo(11, 180, 8, 166);
    handle.cubicTo(5, 110, 6, 60, 6, -4);
    handle.closeSubpath();
    QLinearGradient hickory(QPointF(-8, 0), QPointF(8, 0));
    hickory.setColorAt(0, QColor(226, 184, 120));
    hickory.setColorAt(1, QColor(178, 128, 70));
    p.setPen(QPen(outline, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(hickory);
    p.drawPath(handle);

    QPainterPath head;
    head.moveTo(-16, -2);
    head.lineTo(10, -4);
    head.cubicTo(24, -8, 34, -14, 44, -20);
    head.quadTo(50, 8, 44, 36);
    head.cubicTo(34, 30, 24, 24, 10, 22);
    head.lineTo(-16, 20);
    head.closeSubpath();
    QLinearGradient steel(QPointF(0, -16), QPointF(0, 36));
    steel.setColorAt(0, QColor(232, 235, 240));
    steel.setColorAt(0.5, QColor(150, 156, 166));
    steel.setColorAt(1, QColor(206, 210, 218));
    p.setPen(QPen(QColor(48, 52, 60), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(steel);
    p.drawPath(head);
    p.setPen(QPen(QColor(250, 252, 255), 2.5, Qt::SolidLine, Qt::RoundCap));
    QPainterPath edge; // the ground edge shines
    edge.moveTo(42, -14);
    edge.quadTo(47, 8, 42, 30);
    p.setBrush(Qt::NoBrush);
    p.drawPath(edge);
}

} // namespace

void drawSymbol(QPainter &p, DrawnSymbol symbol)
{
    switch (symbol) {
    case DrawnSymbol::Xylophone:
        drawXylophone(p);
        break;
    case DrawnSymbol::Triangle:
        drawTriangle(p);
        break;
    case DrawnSymbol::TawnyOwl:
        drawTawnyOwl(p);
        break;
    case DrawnSymbol::SeaTurtle:
        drawSeaTurtle(p);
        break;
    case DrawnSymbol::FellingAxe:
        drawFellingAxe(p);
        break;
    case DrawnSymbol::None:
    case DrawnSymbol::LivingLobster:
        break;
    }
}

} // namespace quorvel::pictures
