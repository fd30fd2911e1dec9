// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

#include "output/atomic_file.h"
#include "platform/bitmap.h"

namespace vis {

enum class ImageFormat { Bmp, Jpeg, Png };

// A capture as the content of a file of that format, made from memory (no
// intermediate file); quality is the JPEG's. Nothing when it cannot be made:
// a null or too large picture, no memory, an encoder failure. Touches
// nothing but its arguments: a worker thread runs it.
std::optional<FileContent> encodeImage(const Bitmap& picture, ImageFormat format, int quality);

}  // namespace vis
