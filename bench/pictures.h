// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Pictures for the benchmarks.

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "platform/bitmap.h"

namespace vis::bench {

// What a desktop looks like to an encoder: smooth gradients, flat window
// areas, and rows of small high-contrast glyph strokes.
inline Bitmap screenLike(int w, int h, unsigned seed = 1) {
    std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            px[static_cast<std::size_t>(y) * w + x] = rgb(20 + 60 * y / h, 60 + 80 * x / w, 140 + 100 * y / h);

    std::mt19937 rng(seed);
    auto fill = [&](int x0, int y0, int x1, int y1, std::uint32_t c) {
        for (int y = std::max(y0, 0); y < std::min(y1, h); ++y)
            for (int x = std::max(x0, 0); x < std::min(x1, w); ++x) px[static_cast<std::size_t>(y) * w + x] = c;
    };
    const int windows = 6;
    for (int i = 0; i < windows; ++i) {
        const int ww = w / 3 + static_cast<int>(rng() % static_cast<unsigned>(w / 4));
        const int wh = h / 3 + static_cast<int>(rng() % static_cast<unsigned>(h / 4));
        const int wx = static_cast<int>(rng() % static_cast<unsigned>(w - ww));
        const int wy = static_cast<int>(rng() % static_cast<unsigned>(h - wh));
        fill(wx - 1, wy - 1, wx + ww + 1, wy + wh + 1, rgb(60, 60, 60));  // border
        for (int y = wy; y < wy + 24; ++y)                                // title bar gradient
            for (int x = wx; x < wx + ww; ++x)
                px[static_cast<std::size_t>(y) * w + x] = rgb(10, 36 + 100 * (x - wx) / ww, 106 + 120 * (x - wx) / ww);
        fill(wx, wy + 24, wx + ww, wy + wh, rgb(240, 240, 240));
        // Text: 7 x 14 cells of random strokes, lines with ragged ends.
        for (int ty = wy + 32; ty + 14 < wy + wh; ty += 18) {
            const int lineEnd = wx + 8 + static_cast<int>(rng() % static_cast<unsigned>(ww - 16));
            for (int tx = wx + 8; tx + 7 < lineEnd; tx += 7) {
                if (rng() % 6 == 0) continue;  // a blank between words
                const auto shape = static_cast<unsigned>(rng());
                const std::uint32_t ink = rgb(0, 0, 0);
                if (shape & 1) fill(tx + 1, ty + 2, tx + 2, ty + 12, ink);
                if (shape & 2) fill(tx + 5, ty + 5, tx + 6, ty + 12, ink);
                if (shape & 4) fill(tx + 1, ty + 5, tx + 6, ty + 6, ink);
                if (shape & 8) fill(tx + 1, ty + 11, tx + 6, ty + 12, ink);
                if (shape & 16) fill(tx + 3, ty + 1, tx + 4, ty + 12, ink);
            }
        }
    }
    return Bitmap(w, h, std::move(px));
}

}  // namespace vis::bench
