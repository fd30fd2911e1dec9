// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The generator of the program's data files: every picture is drawn here with
// QPainter and every sound is synthesised here, nothing is copied in.

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <span>
#include <vector>

namespace vis::assets {

// Toolbar buttons: 410 x 420 twips at 15 twips a pixel.
inline constexpr int kButtonWidth = 27;
inline constexpr int kButtonHeight = 28;

// Colours shared by all pictures, so that the set reads as one family.
namespace colour {
inline const QColor ink{20, 33, 58};  // outlines
inline const QColor paper{248, 250, 253};
inline const QColor paperLine{150, 165, 188};
inline const QColor metalLight{226, 231, 238};
inline const QColor metalDark{140, 152, 168};
inline const QColor body{46, 52, 64};
inline const QColor bodyTop{84, 94, 112};
inline const QColor glass{86, 160, 232};
inline const QColor red{218, 38, 52};
inline const QColor green{52, 184, 104};
inline const QColor yellow{250, 204, 64};
inline const QColor navy{24, 52, 104};
inline const QColor wood{164, 104, 52};
inline const QColor barTop{72, 120, 202};  // toolbar blue, top of the gradient
inline const QColor barBottom{42, 86, 160};
inline const QColor hiTop{160, 198, 248};  // highlighted button
inline const QColor hiBottom{98, 146, 222};
}  // namespace colour

// ---- drawing helpers (draw.cpp) ----
void fillOutlined(QPainter& p, const QPainterPath& path, const QBrush& fill, qreal outline = 1.0);
QBrush vertical(const QRectF& r, const QColor& top, const QColor& bottom);
QPainterPath rectPath(const QRectF& r);
QPainterPath roundRect(const QRectF& r, qreal radius);
// A thick stroke along `spine` ending in an arrow head, as one outlined shape.
void arrow(QPainter& p, const QPainterPath& spine, const QColor& fill, qreal width, qreal headLength, qreal headWidth);
// Each of these draws inside `box`, scaled to it.
void camera(QPainter& p, const QRectF& box);
void sheet(QPainter& p, const QRectF& box, int lines);
void floppy(QPainter& p, const QRectF& box);
void landscape(QPainter& p, const QRectF& box);
void clockFace(QPainter& p, const QPointF& centre, qreal radius);
void dashedFrame(QPainter& p, const QRectF& r);

// ---- toolbar (toolbar.cpp) ----
struct ToolbarIcon {
    const char* name;  // file base name; the highlighted file adds "c"
    void (*draw)(QPainter&);
};
std::span<const ToolbarIcon> toolbarIcons();
QImage toolbarPicture(const ToolbarIcon& icon, bool highlighted);
QImage fillerTile();

// ---- other pictures (pictures.cpp) ----
QImage selectionCursor();  // hot spot (15, 14)
inline constexpr int kCursorHotX = 15;
inline constexpr int kCursorHotY = 14;
QImage programIcon(int size);
QImage collectionIcon(int size);
QImage flashPicture();
QImage savedMarker();
QImage logo();
QImage aboutIcon();
QImage mailPicture();
QImage splashLogo(const QColor& background);

// ---- help pictures (help.cpp) ----
QImage helpMainWindow();
QImage helpCollectionWindow();
QImage helpOptionsWindow();

// ---- files (files.cpp) ----
QByteArray shutterSound();  // a complete RIFF/WAVE file
QByteArray icoFile(const std::vector<QImage>& sizes);

}  // namespace vis::assets
