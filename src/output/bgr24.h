// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shared by the DIB buffer and the BMP codec: the Windows 24-bit row layout
// (bottom-up, blue-green-red, rows padded to 4 bytes). Not a public header.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/bitmap.h"

namespace vis::detail {

inline constexpr std::size_t paddedRow24(std::size_t width) { return (width * 3 + 3) & ~std::size_t{3}; }

// Writes the picture's rows bottom row first, stride bytes apart; the padding
// bytes at the end of each row are set to 0. dst holds stride * height bytes.
inline void packBottomUpBgr24(const Bitmap& picture, unsigned char* dst, std::size_t stride) {
    const int w = picture.width();
    const int h = picture.height();
    if (picture.isBgr24()) {
        // Already blue-green-red: rows copied as they are.
        const std::size_t n = static_cast<std::size_t>(w) * 3;
        for (int y = 0; y < h; ++y) {
            unsigned char* out = dst + static_cast<std::size_t>(y) * stride;
            std::memcpy(out, picture.row24(h - 1 - y), n);
            std::memset(out + n, 0, stride - n);
        }
        return;
    }
    for (int y = 0; y < h; ++y) {
        const std::uint32_t* src = picture.row(h - 1 - y);
        unsigned char* out = dst + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < w; ++x) {
            const std::uint32_t c = src[x];
            out[0] = static_cast<unsigned char>(c);
            out[1] = static_cast<unsigned char>(c >> 8);
            out[2] = static_cast<unsigned char>(c >> 16);
            out += 3;
        }
        for (std::size_t pad = static_cast<std::size_t>(w) * 3; pad < stride; ++pad) *out++ = 0;
    }
}

}  // namespace vis::detail
