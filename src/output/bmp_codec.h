// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "output/atomic_file.h"
#include "platform/bitmap.h"

namespace vis {

// The largest picture the reader accepts: each side at most this many pixels
// and no more than kMaxBmpPixels in all.
inline constexpr int kMaxBmpSide = 32768;
inline constexpr long long kMaxBmpPixels = 1LL << 28;

// A Windows bitmap file of the picture: 24 bits per pixel, uncompressed,
// bottom-up, rows padded to 4 bytes, little-endian. Empty for a null picture.
std::vector<unsigned char> encodeBmp(const Bitmap& picture);

// Reads uncompressed Windows bitmaps: 1, 4 and 8 bits per pixel with a
// palette, 16, 24 and 32 bits (plain or with colour masks), bottom-up or
// top-down. Nothing for anything else, malformed or truncated data, or a
// picture above the limits. Pixels come back opaque.
std::optional<Bitmap> decodeBmp(std::span<const unsigned char> file);

// The same through a file; path is UTF-8. writeBmp writes the whole file or
// leaves any older file of that name as it was; true when written.
bool writeBmp(const Bitmap& picture, const std::string& path, WriteOptions options = {});
std::optional<Bitmap> readBmp(const std::string& path);

}  // namespace vis
