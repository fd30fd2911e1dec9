// SPDX-License-Identifier: GPL-3.0-or-later
#include <QLinearGradient>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <QTransform>
#include <cmath>

#include "assets.h"

namespace vis::assets {

void fillOutlined(QPainter& p, const QPainterPath& path, const QBrush& fill, qreal outline) {
    p.setBrush(fill);
    if (outline > 0) {
        QPen pen(colour::ink, outline);
        pen.setJoinStyle(Qt::RoundJoin);
        p.setPen(pen);
    } else {
        p.setPen(Qt::NoPen);
    }
    p.drawPath(path);
}

QBrush vertical(const QRectF& r, const QColor& top, const QColor& bottom) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

QPainterPath rectPath(const QRectF& r) {
    QPainterPath path;
    path.addRect(r);
    return path;
}

QPainterPath roundRect(const QRectF& r, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

void arrow(QPainter& p, const QPainterPath& spine, const QColor& fill, qreal width, qreal headLength, qreal headWidth) {
    const qreal length = spine.length();
    const QPointF tip = spine.pointAtPercent(1);
    // The tangent just before the end, so a curve's head follows its last stretch.
    const QPointF before = spine.pointAtPercent(spine.percentAtLength(length - headLength));
    QPointF dir = tip - before;
    dir /= std::hypot(dir.x(), dir.y());
    const QPointF normal(-dir.y(), dir.x());
    const QPointF base = tip - dir * headLength;

    // The shaft stops inside the head so that the joint has no notch.
    QPainterPath shaft;
    const int steps = 24;
    const qreal shaftEnd = spine.percentAtLength(length - headLength * 0.6);
    shaft.moveTo(spine.pointAtPercent(0));
    for (int i = 1; i <= steps; ++i) shaft.lineTo(spine.pointAtPercent(shaftEnd * i / steps));
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::FlatCap);
    stroker.setJoinStyle(Qt::RoundJoin);

    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(base + normal * headWidth / 2);
    head.lineTo(base - normal * headWidth / 2);
    head.closeSubpath();

    fillOutlined(p, stroker.createStroke(shaft).united(head).simplified(), fill);
}

void camera(QPainter& p, const QRectF& box) {
    // Designed on a 22 x 16 grid.
    const qreal u = box.width() / 22.0;
    const qreal v = box.height() / 16.0;
    const qreal line = std::max(1.0, u);
    auto at = [&](qreal x, qreal y) { return QPointF(box.left() + x * u, box.top() + y * v); };
    auto rect = [&](qreal x, qreal y, qreal w, qreal h) { return QRectF(at(x, y), QSizeF(w * u, h * v)); };

    QPainterPath prism;
    prism.moveTo(at(5.5, 4));
    prism.lineTo(at(7.5, 0.5));
    prism.lineTo(at(14.5, 0.5));
    prism.lineTo(at(16.5, 4));
    prism.closeSubpath();
    fillOutlined(p, prism, colour::bodyTop, line);
    fillOutlined(p, roundRect(rect(17, 1.8, 3, 2.4), 0.5 * u), colour::red, line);

    const QRectF bodyRect = rect(0.5, 3.5, 21, 12);
    fillOutlined(p, roundRect(bodyRect, 2 * u), vertical(bodyRect, colour::bodyTop, colour::body), line);
    fillOutlined(p, roundRect(rect(2, 5.2, 3.6, 2.2), 0.4 * u), colour::paper, 0);

    const QPointF c = at(11, 9.6);
    auto disc = [&](qreal r) {
        QPainterPath d;
        d.addEllipse(c, r * u, r * v);
        return d;
    };
    fillOutlined(p, disc(5.4), vertical(rect(5, 4, 12, 11), colour::metalLight, colour::metalDark), line);
    fillOutlined(p, disc(3.9), colour::body, 0);
    QRadialGradient g(at(10, 8.6), 3.2 * u);
    g.setColorAt(0, colour::glass.lighter(150));
    g.setColorAt(1, colour::glass.darker(170));
    fillOutlined(p, disc(2.7), g, 0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 220));
    p.drawEllipse(at(9.8, 8.4), 0.9 * u, 0.9 * v);
}

void sheet(QPainter& p, const QRectF& box, int lines) {
    const qreal fold = box.width() * 0.32;
    QPainterPath page;
    page.moveTo(box.topLeft());
    page.lineTo(box.right() - fold, box.top());
    page.lineTo(box.right(), box.top() + fold);
    page.lineTo(box.bottomRight());
    page.lineTo(box.bottomLeft());
    page.closeSubpath();
    fillOutlined(p, page, colour::paper);
    QPainterPath corner;
    corner.moveTo(box.right() - fold, box.top());
    corner.lineTo(box.right() - fold, box.top() + fold);
    corner.lineTo(box.right(), box.top() + fold);
    fillOutlined(p, corner, colour::metalLight);

    p.setPen(QPen(colour::paperLine, 1));
    const qreal step = 2.0;
    for (int i = 0; i < lines; ++i) {
        const qreal y = box.top() + fold + 2 + i * step;
        if (y > box.bottom() - 1.5) break;
        const qreal right = box.right() - 2 - (i % 3 == 2 ? 3 : 0);
        p.drawLine(QPointF(box.left() + 2, y), QPointF(right, y));
    }
}

void floppy(QPainter& p, const QRectF& box) {
    const qreal w = box.width(), h = box.height();
    const qreal cut = w * 0.16;
    QPainterPath shell;
    shell.moveTo(box.topLeft());
    shell.lineTo(box.right() - cut, box.top());
    shell.lineTo(box.right(), box.top() + cut);
    shell.lineTo(box.bottomRight());
    shell.lineTo(box.bottomLeft());
    shell.closeSubpath();
    fillOutlined(p, shell, vertical(box, QColor(58, 66, 84), QColor(30, 34, 46)));

    const QRectF shutter(box.left() + w * 0.25, box.top(), w * 0.5, h * 0.34);
    fillOutlined(p, rectPath(shutter), vertical(shutter, colour::metalLight, colour::metalDark), 0.8);
    p.setPen(Qt::NoPen);
    p.setBrush(colour::body);
    p.drawRect(QRectF(shutter.left() + shutter.width() * 0.62, shutter.top() + h * 0.06, shutter.width() * 0.2,
                      shutter.height() - h * 0.12));

    const QRectF label(box.left() + w * 0.14, box.top() + h * 0.48, w * 0.72, h * 0.52 - 1.5);
    p.setBrush(colour::paper);
    p.drawRect(label);
    p.setPen(QPen(colour::red, 1));
    p.drawLine(QPointF(label.left() + 1, label.top() + 1.5), QPointF(label.right() - 1, label.top() + 1.5));
    p.setPen(QPen(colour::paperLine, 1));
    for (qreal y = label.top() + 4; y < label.bottom() - 0.5; y += 2.5)
        p.drawLine(QPointF(label.left() + 1.5, y), QPointF(label.right() - 1.5, y));
}

void landscape(QPainter& p, const QRectF& box) {
    p.save();
    p.setClipRect(box);
    p.fillRect(box, vertical(box, QColor(120, 196, 250), QColor(210, 236, 255)));
    const qreal w = box.width(), h = box.height();
    p.setPen(Qt::NoPen);
    p.setBrush(colour::yellow);
    p.drawEllipse(QPointF(box.left() + w * 0.72, box.top() + h * 0.3), w * 0.12, w * 0.12);
    QPainterPath hills;
    hills.moveTo(box.left(), box.bottom());
    hills.lineTo(box.left(), box.top() + h * 0.75);
    hills.lineTo(box.left() + w * 0.32, box.top() + h * 0.42);
    hills.lineTo(box.left() + w * 0.55, box.top() + h * 0.68);
    hills.lineTo(box.left() + w * 0.72, box.top() + h * 0.55);
    hills.lineTo(box.right(), box.top() + h * 0.8);
    hills.lineTo(box.right(), box.bottom());
    hills.closeSubpath();
    p.setBrush(QColor(64, 160, 80));
    p.drawPath(hills);
    p.restore();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour::ink, 1));
    p.drawRect(box);
}

void clockFace(QPainter& p, const QPointF& centre, qreal radius) {
    QPainterPath face;
    face.addEllipse(centre, radius, radius);
    fillOutlined(p, face, colour::paper);
    QPen hand(colour::ink, std::max(1.0, radius / 4.5));
    hand.setCapStyle(Qt::RoundCap);
    p.setPen(hand);
    p.drawLine(centre, centre + QPointF(0, -radius * 0.68));
    p.drawLine(centre, centre + QPointF(radius * 0.5, 0));
    p.setPen(QPen(colour::red, 1));
    p.drawPoint(centre);
}

void dashedFrame(QPainter& p, const QRectF& r) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour::ink, 1));
    p.drawRect(r);
    QPen dash(Qt::white, 1);
    dash.setDashPattern({2, 2});
    p.setPen(dash);
    p.drawRect(r);
}

}  // namespace vis::assets
