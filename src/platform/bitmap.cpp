#include "platform/bitmap.h"

#include <algorithm>
#include <stdexcept>

namespace vis {

Bitmap::Bitmap(int width, int height, std::vector<std::uint32_t> pixels) {
    if (width < 0 || height < 0 || pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        throw std::invalid_argument("Bitmap: pixel count does not match the size");
    auto d = std::make_shared<Data>();
    d->width = width;
    d->height = height;
    d->pixels = std::move(pixels);
    d->px = d->pixels.data();
    d_ = std::move(d);
}

Bitmap::Bitmap(int width, int height, const std::uint32_t* pixels, std::shared_ptr<const void> owner) {
    if (width < 0 || height < 0 || (!pixels && width * height > 0))
        throw std::invalid_argument("Bitmap: no pixels for the size");
    auto d = std::make_shared<Data>();
    d->width = width;
    d->height = height;
    d->px = pixels;
    d->owner = std::move(owner);
    d_ = std::move(d);
}

Bitmap Bitmap::filled(int width, int height, std::uint32_t argb) {
    return Bitmap(width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, argb));
}

Bitmap Bitmap::cropped(int x, int y, int w, int h) const {
    if (w <= 0 || h <= 0) return {};
    const auto n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    std::vector<std::uint32_t> out;
    out.reserve(n);
    const int sw = width();
    const int sh = height();
    const int x0 = std::clamp(x, 0, sw);
    const int x1 = std::clamp(x + w, x0, sw);
    // Each pixel written once, row by row: no filling first and copying after.
    constexpr std::uint32_t kBlack = 0xFF000000u;
    for (int yy = 0; yy < h; ++yy) {
        const int sy = y + yy;
        if (sy < 0 || sy >= sh || x1 <= x0) {
            out.insert(out.end(), static_cast<std::size_t>(w), kBlack);
            continue;
        }
        out.insert(out.end(), static_cast<std::size_t>(x0 - x), kBlack);
        out.insert(out.end(), row(sy) + x0, row(sy) + x1);
        out.insert(out.end(), static_cast<std::size_t>(x + w - x1), kBlack);
    }
    return Bitmap(w, h, std::move(out));
}

Bitmap Bitmap::scaled(int w, int h) const {
    if (w <= 0 || h <= 0 || isNull()) return {};
    const int sw = width();
    const int sh = height();
    std::vector<std::uint32_t> out(static_cast<std::size_t>(w) * h);
    for (int ty = 0; ty < h; ++ty) {
        const int ya = static_cast<int>(static_cast<long long>(ty) * sh / h);
        const int yb = std::max(ya + 1, static_cast<int>(static_cast<long long>(ty + 1) * sh / h));
        for (int tx = 0; tx < w; ++tx) {
            const int xa = static_cast<int>(static_cast<long long>(tx) * sw / w);
            const int xb = std::max(xa + 1, static_cast<int>(static_cast<long long>(tx + 1) * sw / w));
            // Sample at most 4 x 4 points of the source block: enough for a
            // smooth thumbnail, and cheap on a 4K capture.
            const int stepY = std::max(1, (yb - ya) / 4);
            const int stepX = std::max(1, (xb - xa) / 4);
            unsigned r = 0, g = 0, b = 0, n = 0;
            for (int sy = ya; sy < yb; sy += stepY) {
                const std::uint32_t* src = row(sy);
                for (int sx = xa; sx < xb; sx += stepX) {
                    const std::uint32_t c = src[sx];
                    r += (c >> 16) & 255;
                    g += (c >> 8) & 255;
                    b += c & 255;
                    ++n;
                }
            }
            out[static_cast<std::size_t>(ty) * w + tx] =
                rgb(static_cast<int>(r / n), static_cast<int>(g / n), static_cast<int>(b / n));
        }
    }
    return Bitmap(w, h, std::move(out));
}

}  // namespace vis
