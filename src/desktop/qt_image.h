#pragma once

// Bitmap <-> QImage without touching pixels one by one.

#include "platform/bitmap.h"

class QImage;

namespace vis {

// A QImage over the Bitmap's own pixels: no copy, and the Bitmap stays alive
// as long as the QImage (or any copy of it) does. Read-only: writing to it
// detaches a private copy, as Qt does for const data. Pictures are RGB32;
// icons and cursors carry transparency in their alpha byte (withAlpha).
QImage imageOf(const Bitmap& b, bool withAlpha = false);

// The pixels of any QImage as an opaque Bitmap (transparent parts over black).
Bitmap bitmapOf(const QImage& image);

}  // namespace vis
