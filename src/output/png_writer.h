// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "output/atomic_file.h"
#include "platform/bitmap.h"

namespace vis {

// A PNG file of the picture, lossless: 8-bit RGB, no interlace, deflated by
// zlib. Empty for a null picture or when memory runs out.
std::vector<unsigned char> encodePng(const Bitmap& picture);

// The same written to a file (path is UTF-8): the whole file or nothing, an
// older file of that name left as it was; true when written.
bool writePng(const Bitmap& picture, const std::string& path, WriteOptions options = {});

}  // namespace vis
