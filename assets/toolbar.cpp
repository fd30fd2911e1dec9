// SPDX-License-Identifier: GPL-3.0-or-later
// The seventeen toolbar pictures, in button order. Each is drawn on a
// 27 x 28 pixel canvas; the background is laid first by toolbarPicture().

#include <QLinearGradient>
#include <QPainterPathStroker>
#include <QTransform>
#include <array>

#include "assets.h"

namespace vis::assets {
namespace {

void drawCamera(QPainter& p) {
    dashedFrame(p, QRectF(1.5, 2.5, 23, 22));
    camera(p, QRectF(3.5, 7, 20, 14.5));
}

void drawWholeScreen(QPainter& p) {
    const QRectF bezel(2.5, 3.5, 22, 16);
    fillOutlined(p, roundRect(bezel, 1.5), colour::body);
    const QRectF screen = bezel.adjusted(2, 2, -2, -2);
    fillOutlined(p, rectPath(screen), vertical(screen, QColor(150, 214, 255), QColor(56, 140, 230)), 0);
    // Corner marks: the whole of the screen.
    QPen mark(Qt::white, 1.4);
    mark.setCapStyle(Qt::SquareCap);
    p.setPen(mark);
    const QRectF in = screen.adjusted(1.5, 1.5, -1.5, -1.5);
    const qreal k = 3;
    for (int sx : {0, 1}) {
        for (int sy : {0, 1}) {
            const QPointF c(sx ? in.right() : in.left(), sy ? in.bottom() : in.top());
            const qreal dx = sx ? -k : k, dy = sy ? -k : k;
            p.drawLine(c, c + QPointF(dx, 0));
            p.drawLine(c, c + QPointF(0, dy));
        }
    }
    fillOutlined(p, rectPath(QRectF(11.5, 19.5, 4, 2.5)), colour::metalDark);
    fillOutlined(p, roundRect(QRectF(7.5, 22, 12, 2.5), 1),
                 vertical(QRectF(7.5, 22, 12, 2.5), colour::metalLight, colour::metalDark));
}

void window(QPainter& p, const QRectF& r) {
    fillOutlined(p, rectPath(r), colour::paper);
    const QRectF title(r.left(), r.top(), r.width(), 3.5);
    fillOutlined(p, rectPath(title), vertical(title, QColor(40, 80, 150), colour::navy));
    p.setPen(Qt::NoPen);
    p.setBrush(colour::red);
    p.drawRect(QRectF(r.right() - 3, r.top() + 1, 2, 1.5));
}

void drawActiveWindow(QPainter& p) {
    window(p, QRectF(1.5, 3.5, 19, 15));
    camera(p, QRectF(9.5, 12.5, 16, 12));
}

void drawCopy(QPainter& p) {
    sheet(p, QRectF(3.5, 2.5, 12, 16), 4);
    sheet(p, QRectF(11.5, 8.5, 12, 16), 4);
}

void drawSave(QPainter& p) { floppy(p, QRectF(4.5, 4.5, 18, 19)); }

void drawSaveAll(QPainter& p) {
    floppy(p, QRectF(2.5, 2.5, 14, 15));
    floppy(p, QRectF(10.5, 10.5, 14, 15));
}

void drawPrinter(QPainter& p) {
    fillOutlined(p, rectPath(QRectF(7.5, 2.5, 12, 9)), colour::paper);
    const QRectF bodyRect(2.5, 10.5, 22, 9);
    fillOutlined(p, roundRect(bodyRect, 1.5), vertical(bodyRect, colour::metalLight, colour::metalDark));
    p.setPen(Qt::NoPen);
    p.setBrush(colour::green);
    p.drawEllipse(QPointF(21, 13), 1, 1);
    p.setBrush(colour::body);
    p.drawRect(QRectF(5.5, 16, 16, 1.5));
    fillOutlined(p, rectPath(QRectF(7.5, 16.5, 12, 8)), colour::paper);
    p.setPen(QPen(colour::paperLine, 1));
    for (qreal y : {19.0, 21.0}) p.drawLine(QPointF(9.5, y), QPointF(17.5, y));
}

void cross(QPainter& p, const QPointF& c, qreal half, const QColor& fill) {
    QPainterPath strokes;
    strokes.moveTo(c + QPointF(-half, -half));
    strokes.lineTo(c + QPointF(half, half));
    strokes.moveTo(c + QPointF(half, -half));
    strokes.lineTo(c + QPointF(-half, half));
    QPainterPathStroker stroker;
    stroker.setWidth(3.2);
    stroker.setCapStyle(Qt::SquareCap);
    fillOutlined(p, stroker.createStroke(strokes).simplified(), fill);
}

void drawDelete(QPainter& p) {
    landscape(p, QRectF(2.5, 3.5, 18, 14));
    cross(p, QPointF(18, 19.5), 4.5, colour::red);
}

void drawWaste(QPainter& p) {
    QPainterPath bin;
    bin.moveTo(5.5, 9.5);
    bin.lineTo(21.5, 9.5);
    bin.lineTo(19.5, 25.5);
    bin.lineTo(7.5, 25.5);
    bin.closeSubpath();
    QLinearGradient g(5.5, 0, 21.5, 0);
    g.setColorAt(0, colour::metalDark);
    g.setColorAt(0.35, colour::metalLight);
    g.setColorAt(1, colour::metalDark);
    fillOutlined(p, bin, g);
    p.setPen(QPen(colour::metalDark.darker(130), 1));
    for (qreal x : {10.5, 13.5, 16.5}) p.drawLine(QPointF(x, 12), QPointF(x + (x - 13.5) * 0.15, 23));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour::ink, 1.2));
    p.drawRoundedRect(QRectF(10.5, 3.5, 6, 3), 1, 1);
    fillOutlined(p, roundRect(QRectF(3.5, 5.5, 20, 3.5), 1),
                 vertical(QRectF(3.5, 5.5, 20, 3.5), colour::metalLight, colour::metalDark));
}

void drawUndo(QPainter& p) {
    dashedFrame(p, QRectF(2.5, 2.5, 22, 23));
    QPainterPath back;
    back.moveTo(19, 21);
    back.cubicTo(24, 15, 20, 7, 13, 8);
    back.cubicTo(10, 8.4, 8, 10, 6.5, 12.5);
    arrow(p, back, colour::yellow, 3.4, 5.5, 8);
}

// Two arrows chasing each other round `c`: the same selection again.
void circularArrows(QPainter& p, const QPointF& c, qreal r, qreal width) {
    for (int half : {0, 1}) {
        QPainterPath arc;
        const qreal start = half ? 20 : 200;  // degrees, counter-clockwise from 3 o'clock
        const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
        arc.arcMoveTo(box, start);
        arc.arcTo(box, start, -140);
        arrow(p, arc, colour::green, width, width * 1.5, width * 2.5);
    }
}

void drawRepeat(QPainter& p) {
    circularArrows(p, QPointF(13.5, 14), 8.5, 3);
    dashedFrame(p, QRectF(10.5, 11.5, 6, 5));
}

void drawRepeatTimed(QPainter& p) {
    circularArrows(p, QPointF(10.5, 11.5), 6.5, 2.6);
    clockFace(p, QPointF(19.5, 20.5), 5.5);
}

void drawClose(QPainter& p) {
    const QRectF frame(4.5, 3.5, 12, 21);
    fillOutlined(p, rectPath(frame), QColor(26, 22, 20));
    QPainterPath leaf;  // the door swung open toward us on its left hinge
    leaf.moveTo(4.5, 3.5);
    leaf.lineTo(11.5, 5.5);
    leaf.lineTo(11.5, 26.5);
    leaf.lineTo(4.5, 24.5);
    leaf.closeSubpath();
    fillOutlined(p, leaf, vertical(frame, colour::wood.lighter(120), colour::wood.darker(120)));
    p.setPen(Qt::NoPen);
    p.setBrush(colour::yellow);
    p.drawEllipse(QPointF(10, 15.5), 0.9, 0.9);
    QPainterPath out;
    out.moveTo(13, 15);
    out.lineTo(25.5, 15);
    arrow(p, out, colour::green, 3.2, 5, 8);
}

void drawWrench(QPainter& p) {
    // Laid out along the x axis, open jaw to the left, then turned to the diagonal.
    QPainterPath shape;
    shape.addEllipse(QPointF(0, 0), 6, 6);
    shape.addRoundedRect(QRectF(0, -2.4, 20, 4.8), 2.4, 2.4);
    shape = shape.simplified();
    QPainterPath jaw;
    jaw.addRect(QRectF(-7, -2.2, 7.5, 4.4));
    QPainterPath hole;
    hole.addEllipse(QPointF(17, 0), 1.1, 1.1);
    shape = shape.subtracted(jaw).subtracted(hole);
    QTransform t;
    t.translate(7.5, 7.5);
    t.rotate(45);
    fillOutlined(p, t.map(shape), QColor(236, 240, 246), 1.2);
}

void drawEnlarge(QPainter& p) {
    window(p, QRectF(2.5, 2.5, 22, 23));
    QPainterPath down, up;
    down.moveTo(13.5, 14);
    down.lineTo(13.5, 24);
    up.moveTo(13.5, 14);
    up.lineTo(13.5, 6.5);
    arrow(p, down, colour::green, 2.6, 4.5, 8);
    arrow(p, up, colour::green, 2.6, 4.5, 8);
}

void drawFilm(QPainter& p) {
    const QRectF strip(0.5, 5.5, 26, 17);
    fillOutlined(p, rectPath(strip), QColor(34, 32, 36));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 226, 210));
    for (qreal x = 2; x < 26; x += 4) {
        p.drawRoundedRect(QRectF(x, 6.8, 2, 1.8), 0.4, 0.4);
        p.drawRoundedRect(QRectF(x, 19.4, 2, 1.8), 0.4, 0.4);
    }
    landscape(p, QRectF(2.5, 9.5, 10, 8.5));
    landscape(p, QRectF(14.5, 9.5, 10, 8.5));
}

void drawAbout(QPainter& p) {
    QPainterPath disc;
    disc.addEllipse(QPointF(13.5, 14), 10.5, 10.5);
    fillOutlined(p, disc, vertical(QRectF(3, 3.5, 21, 21), Qt::white, QColor(214, 228, 246)));
    p.setPen(Qt::NoPen);
    p.setBrush(colour::navy);
    p.drawEllipse(QPointF(13.5, 8.2), 1.9, 1.9);
    QPainterPath stem;
    stem.moveTo(11, 11.5);
    stem.lineTo(15, 11.5);
    stem.lineTo(15, 19);
    stem.lineTo(16.5, 19);
    stem.lineTo(16.5, 20.8);
    stem.lineTo(10.5, 20.8);
    stem.lineTo(10.5, 19);
    stem.lineTo(12, 19);
    stem.lineTo(12, 13.2);
    stem.lineTo(11, 13.2);
    stem.closeSubpath();
    p.drawPath(stem);
}

constexpr std::array<ToolbarIcon, 17> kIcons{{
    {"camera", drawCamera},
    {"toutecran", drawWholeScreen},
    {"camerafen", drawActiveWindow},
    {"copy", drawCopy},
    {"save", drawSave},
    {"saveall", drawSaveAll},
    {"printer", drawPrinter},
    {"delete", drawDelete},
    {"waste", drawWaste},
    {"undo", drawUndo},
    {"moverbox", drawRepeat},
    {"moverboxtim", drawRepeatTimed},
    {"close", drawClose},
    {"wrench", drawWrench},
    {"agrandir", drawEnlarge},
    {"film", drawFilm},
    {"report", drawAbout},
}};

QImage background(bool highlighted) {
    QImage img(kButtonWidth, kButtonHeight, QImage::Format_RGB32);
    QPainter p(&img);
    const QRectF all(0, 0, kButtonWidth, kButtonHeight);
    p.fillRect(all, highlighted ? vertical(all, colour::hiTop, colour::hiBottom)
                                : vertical(all, colour::barTop, colour::barBottom));
    return img;
}

// Drawn over the picture, so that no picture can hide it.
void highlightFrame(QPainter& p) {
    const QRectF all(0, 0, kButtonWidth, kButtonHeight);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 235), 1));
    p.drawRoundedRect(all.adjusted(0.5, 0.5, -0.5, -0.5), 2.5, 2.5);
    p.setPen(QPen(QColor(255, 236, 150, 200), 1));
    p.drawRoundedRect(all.adjusted(1.5, 1.5, -1.5, -1.5), 2, 2);
}

}  // namespace

std::span<const ToolbarIcon> toolbarIcons() { return kIcons; }

QImage toolbarPicture(const ToolbarIcon& icon, bool highlighted) {
    QImage img = background(highlighted);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    icon.draw(p);
    if (highlighted) highlightFrame(p);
    return img;
}

QImage fillerTile() { return background(false); }

}  // namespace vis::assets
