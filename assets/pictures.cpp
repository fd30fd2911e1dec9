// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFont>
#include <QLinearGradient>
#include <QRadialGradient>
#include <QTransform>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "assets.h"

namespace vis::assets {

QImage selectionCursor() {
    // Hot spot (15, 14): the centre of the cross. Drawn pixel by pixel, no
    // smoothing, so the cross stays sharp on any background: a black line with a
    // white border on both sides.
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255);
    auto put = [&](int x, int y, QRgb c) {
        if (x >= 0 && x < 32 && y >= 0 && y < 32) img.setPixel(x, y, c);
    };
    const int cx = kCursorHotX, cy = kCursorHotY;
    for (int d = 3; d <= 13; ++d) {
        for (int s : {-1, 1}) {
            put(cx + s * d, cy - 1, white);
            put(cx + s * d, cy + 1, white);
            put(cx - 1, cy + s * d, white);
            put(cx + 1, cy + s * d, white);
        }
    }
    for (int d = 3; d <= 13; ++d) {
        for (int s : {-1, 1}) {
            put(cx + s * d, cy, black);
            put(cx, cy + s * d, black);
        }
    }
    // Caps at the four ends, and a ringed dot at the centre.
    for (int s : {-1, 1}) {
        put(cx + s * 14, cy, white);
        put(cx, cy + s * 14, white);
        put(cx + s * 3 - s, cy, white);
        put(cx, cy + s * 3 - s, white);
    }
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) put(cx + dx, cy + dy, white);
    put(cx, cy, black);
    return img;
}

QImage programIcon(int size) {
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 48.0, size / 48.0);
    const QRectF tile(1.5, 1.5, 45, 45);
    fillOutlined(p, roundRect(tile, 9), vertical(tile, colour::barTop.lighter(115), colour::barBottom), 1.5);
    // A big lens: rings of metal, a dark barrel, blue glass with a glint.
    const QPointF c(24, 25);
    auto disc = [&](qreal r, const QBrush& b, qreal outline) {
        QPainterPath d;
        d.addEllipse(c, r, r);
        fillOutlined(p, d, b, outline);
    };
    disc(17.5, vertical(QRectF(6, 7, 36, 36), colour::metalLight, colour::metalDark), 1.5);
    disc(13.5, colour::body, 1);
    QRadialGradient g(c + QPointF(-3, -3), 11);
    g.setColorAt(0, colour::glass.lighter(160));
    g.setColorAt(0.7, colour::glass.darker(140));
    g.setColorAt(1, colour::navy);
    disc(10, g, 0);
    disc(4.5, QColor(10, 16, 30), 0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 230));
    p.drawEllipse(QPointF(19.5, 20.5), 2.6, 2.6);
    p.setBrush(QColor(255, 255, 255, 140));
    p.drawEllipse(QPointF(29, 30), 1.3, 1.3);
    // The flash, top right.
    p.setBrush(colour::yellow);
    p.setPen(QPen(colour::ink, 1));
    p.drawRoundedRect(QRectF(35.5, 4.5, 8, 5), 1.2, 1.2);
    return img;
}

QImage collectionIcon(int size) {
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    // Three thumbnails fanned down the window, like the collection's column.
    const std::array<QPointF, 3> at{QPointF(1.5, 1.5), QPointF(6.5, 8.5), QPointF(11.5, 15.5)};
    for (const QPointF& o : at) {
        const QRectF frame(o, QSizeF(19, 15));
        fillOutlined(p, rectPath(frame), colour::paper);
        landscape(p, frame.adjusted(2, 2, -2, -2));
    }
    return img;
}

QImage flashPicture() {
    QImage img(120, 90, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF all(0, 0, 120, 90);
    p.fillRect(all, vertical(all, colour::barTop, colour::barBottom));
    const QRectF body(14, 24, 96, 64);
    camera(p, body);
    // The burst leaves the camera's flash window (at 2..5.6 x 5.2..7.4 of its 22 x 16 grid).
    const QPointF flash(body.left() + 3.8 * body.width() / 22, body.top() + 6.3 * body.height() / 16);
    QRadialGradient glow(flash, 40);
    glow.setColorAt(0, QColor(255, 255, 235, 255));
    glow.setColorAt(0.2, QColor(255, 240, 150, 150));
    glow.setColorAt(1, QColor(255, 240, 150, 0));
    p.fillRect(all, glow);
    QPainterPath rays;
    const int n = 16;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * std::numbers::pi * i / n;
        const double outer = (i % 2 ? 24 : 40);
        rays.moveTo(flash + QPointF(std::cos(a - 0.1) * 7, std::sin(a - 0.1) * 7));
        rays.lineTo(flash + QPointF(std::cos(a) * outer, std::sin(a) * outer));
        rays.lineTo(flash + QPointF(std::cos(a + 0.1) * 7, std::sin(a + 0.1) * 7));
        rays.closeSubpath();
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 248, 190, 170));
    p.drawPath(rays);
    p.setBrush(Qt::white);
    p.drawEllipse(flash, 7, 5);
    return img;
}

QImage savedMarker() {
    // 16 x 15, only colours of the classic 16-colour palette, drawn pixel by
    // pixel: at this size smoothing would only blur it.
    static constexpr std::array<const char*, 15> rows{
        "KKKKKKKKKKKKKKKW", "KNNNSSSSSSSSNNNK", "KNNNSSSSNNSSNNNK", "KNNNSSSSNNSSNNNK", "KNNNSSSSNNSSNNNK",
        "KNNNSSSSSSSSNNNK", "KNNNNNNNNNNNNNNK", "KNNWWWWWWWWWWNNK", "KNNWRRRRRRRRWNNK", "KNNWWWWWWWWWWNNK",
        "KNNWGGGGGGGGWNNK", "KNNWWWWWWWWWWNNK", "KNNWGGGGGGGGWNNK", "KNNWWWWWWWWWWNNK", "KKKKKKKKKKKKKKKK",
    };
    QImage img(16, 15, QImage::Format_RGB32);
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 16; ++x) {
            QRgb c = qRgb(255, 255, 255);
            switch (rows[y][x]) {
                case 'K':
                    c = qRgb(0, 0, 0);
                    break;
                case 'N':
                    c = qRgb(0, 0, 128);
                    break;
                case 'S':
                    c = qRgb(192, 192, 192);
                    break;
                case 'G':
                    c = qRgb(128, 128, 128);
                    break;
                case 'R':
                    c = qRgb(255, 0, 0);
                    break;
                default:
                    break;
            }
            img.setPixel(x, y, c);
        }
    }
    return img;
}

QImage logo() {
    QImage img(240, 120, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawImage(QPointF(8, 24), programIcon(72));
    QFont f("DejaVu Sans");
    f.setPixelSize(34);
    f.setBold(true);
    QPainterPath text;
    text.addText(QPointF(0, 0), f, QStringLiteral("Vistrelle"));
    // Fit the name into the room right of the mark, whatever font was found.
    const QRectF room(88, 38, 146, 40);
    const QRectF b = text.boundingRect();
    const qreal k = std::min(room.width() / b.width(), room.height() / b.height());
    QTransform t;
    t.translate(room.left(), room.center().y());
    t.scale(k, k);
    t.translate(-b.left(), -b.center().y());
    text = t.map(text);
    const QRectF placed = text.boundingRect();
    fillOutlined(p, text, vertical(placed, colour::barTop.lighter(110), colour::navy), 1.2);
    p.setPen(QPen(colour::yellow, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(placed.left() + 2, placed.bottom() + 8), QPointF(placed.right(), placed.bottom() + 8));
    return img;
}

}  // namespace vis::assets

namespace vis::assets {

QImage aboutIcon() {
    // On the white of the About window's icon box.
    QImage img(48, 48, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter(&img).drawImage(0, 0, programIcon(48));
    return img;
}

QImage mailPicture() {
    // An envelope on white, 36 x 36: the About window's "write to the author".
    QImage img(36, 36, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF env(3.5, 9.5, 29, 19);
    fillOutlined(p, roundRect(env, 1.5), vertical(env, colour::paper, colour::metalLight), 1.2);
    QPainterPath flap;
    flap.moveTo(env.topLeft() + QPointF(0.8, 0.8));
    flap.lineTo(env.center().x(), env.top() + 11);
    flap.lineTo(env.topRight() + QPointF(-0.8, 0.8));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour::ink, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(flap);
    p.setPen(QPen(colour::paperLine, 1));
    p.drawLine(QPointF(env.left() + 1.5, env.bottom() - 1.5), QPointF(env.left() + 10, env.top() + 9));
    p.drawLine(QPointF(env.right() - 1.5, env.bottom() - 1.5), QPointF(env.right() - 10, env.top() + 9));
    // A stamp in the toolbar's colours.
    const QRectF stamp(env.right() - 8, env.top() - 6, 7, 8);
    fillOutlined(p, rectPath(stamp), vertical(stamp, colour::barTop, colour::barBottom), 1);
    p.setPen(Qt::NoPen);
    p.setBrush(colour::yellow);
    p.drawEllipse(stamp.center(), 1.6, 1.6);
    return img;
}

QImage splashLogo(const QColor& background) {
    // The program's mark, large, on the splash window's own paper.
    QImage img(144, 144, QImage::Format_RGB32);
    img.fill(background);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient halo(QPointF(72, 72), 70);
    halo.setColorAt(0, QColor(colour::hiTop.red(), colour::hiTop.green(), colour::hiTop.blue(), 150));
    halo.setColorAt(1, QColor(colour::hiTop.red(), colour::hiTop.green(), colour::hiTop.blue(), 0));
    p.fillRect(img.rect(), halo);
    p.drawImage(QPointF(12, 12), programIcon(120));
    return img;
}

}  // namespace vis::assets
