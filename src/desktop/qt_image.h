// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Bitmap <-> QImage without touching pixels one by one.

#include <QRect>
#include <QSize>

#include "platform/bitmap.h"

#include <QImage>

namespace vis {

// A QImage over the Bitmap's own pixels: no copy, and the Bitmap stays alive
// as long as the QImage (or any copy of it) does. Read-only: writing to it
// detaches a private copy, as Qt does for const data. Pictures are RGB32 or
// BGR888 (the 24-bit form); icons and cursors carry transparency in their
// alpha byte (withAlpha).
QImage imageOf(const Bitmap& b, bool withAlpha = false);

// The pixels of any QImage as an opaque 24-bit Bitmap (transparent parts over
// black); a BGR888 image is adopted as it is, without a copy.
Bitmap bitmapOf(const QImage& image);

// A smooth rescaling for display to `size`, or only the `part` of it asked
// for. A 24-bit picture is reduced straight into 32 bits, never converted
// whole first, and only from the pixels under the part; into `into` when it
// is a 32-bit picture of the part's size that nothing else holds.
QImage scaledImage(const QImage& image, QSize size, const QRect& part = {}, QImage into = {});

// An uninitialised picture for a whole screen's pixels. On Linux its memory
// is asked for in huge pages: filling a 4 KB page at a time cost as much as
// decoding a screen's PNG (13 ms a screen of 1280 x 800 on this machine's
// kind of virtual processor, against 0.5 ms).
QImage largeImage(int width, int height, QImage::Format format);

}  // namespace vis
