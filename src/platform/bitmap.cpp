// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/bitmap.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#define VIS_PLAIN_PIXEL_MEMORY 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VIS_PLAIN_PIXEL_MEMORY 1
#endif
#endif

namespace vis {

std::shared_ptr<std::uint8_t[]> pixelMemory(std::size_t bytes) {
#if defined(__linux__) && !defined(VIS_PLAIN_PIXEL_MEMORY)
    // From 2 MiB on: a mapping of its own, aligned on a large page. (Under the
    // address sanitizer the heap is used, so that overruns are caught.)
    constexpr std::size_t kLargePage = std::size_t{2} << 20;
    if (bytes >= kLargePage) {
        const std::size_t len = (bytes + 4095) & ~std::size_t{4095};
        void* raw = mmap(nullptr, len + kLargePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (raw != MAP_FAILED) {
            const auto base = reinterpret_cast<std::uintptr_t>(raw);
            const auto start = (base + kLargePage - 1) & ~(kLargePage - 1);
            if (start > base) munmap(raw, start - base);
            const std::uintptr_t end = base + len + kLargePage;
            if (end > start + len) munmap(reinterpret_cast<void*>(start + len), end - (start + len));
            auto* p = reinterpret_cast<std::uint8_t*>(start);
            madvise(p, len, MADV_HUGEPAGE);
            return std::shared_ptr<std::uint8_t[]>(p, [len](std::uint8_t* q) { munmap(q, len); });
        }
    }
#endif
    return std::shared_ptr<std::uint8_t[]>(new std::uint8_t[bytes]);
}

Bitmap::Bitmap(int width, int height, std::vector<std::uint32_t> pixels) {
    if (width < 0 || height < 0 || pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        throw std::invalid_argument("Bitmap: pixel count does not match the size");
    auto d = std::make_shared<Data>();
    d->width = width;
    d->height = height;
    d->pixels = std::move(pixels);
    d->px = d->pixels.data();
    d->bytes = reinterpret_cast<const std::uint8_t*>(d->px);
    d->stride = static_cast<std::size_t>(width) * 4;
    d_ = std::move(d);
}

Bitmap::Bitmap(int width, int height, const std::uint32_t* pixels, std::shared_ptr<const void> owner) {
    if (width < 0 || height < 0 || (!pixels && width * height > 0))
        throw std::invalid_argument("Bitmap: no pixels for the size");
    auto d = std::make_shared<Data>();
    d->width = width;
    d->height = height;
    d->px = pixels;
    d->bytes = reinterpret_cast<const std::uint8_t*>(pixels);
    d->stride = static_cast<std::size_t>(width) * 4;
    d->owner = std::move(owner);
    d_ = std::move(d);
}

Bitmap Bitmap::fromBgr24(int width, int height, const std::uint8_t* bytes, std::size_t stride,
                         std::shared_ptr<const void> owner) {
    if (width < 0 || height < 0 || (!bytes && width > 0 && height > 0) || stride < static_cast<std::size_t>(width) * 3)
        throw std::invalid_argument("Bitmap: no 24-bit rows for the size");
    auto d = std::make_shared<Data>();
    d->width = width;
    d->height = height;
    d->bgr24 = true;
    d->bytes = bytes;
    d->stride = stride;
    d->owner = std::move(owner);
    Bitmap b;
    b.d_ = std::move(d);
    return b;
}

Bitmap Bitmap::filled(int width, int height, std::uint32_t argb) {
    return Bitmap(width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, argb));
}

Bitmap Bitmap::cropped(int x, int y, int w, int h) const {
    if (w <= 0 || h <= 0) return {};
    if (isBgr24()) return cropped24(x, y, w, h);
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

Bitmap Bitmap::cropped24(int x, int y, int w, int h) const {
    const int sw = width();
    const int sh = height();
    // A large part lying wholly inside shares this picture's rows: no copy,
    // and at most twice its own size kept alive (usually less, the whole
    // picture being kept anyway while the part is taken from it).
    if (x >= 0 && y >= 0 && x + w <= sw && y + h <= sh &&
        2 * static_cast<long long>(w) * h >= static_cast<long long>(sw) * sh)
        return fromBgr24(w, h, row24(y) + static_cast<std::size_t>(x) * 3, stride(), d_);
    const std::size_t rowBytes = bgr24Stride(w);
    auto mem = pixelMemory(rowBytes * static_cast<std::size_t>(h));
    std::uint8_t* out = mem.get();
    const int x0 = std::clamp(x, 0, sw);
    const int x1 = std::clamp(x + w, x0, sw);
    // Each byte written once, padding included (black, 0).
    for (int yy = 0; yy < h; ++yy, out += rowBytes) {
        const int sy = y + yy;
        if (sy < 0 || sy >= sh || x1 <= x0) {
            std::memset(out, 0, rowBytes);
            continue;
        }
        const std::size_t before = static_cast<std::size_t>(x0 - x) * 3;
        const std::size_t inside = static_cast<std::size_t>(x1 - x0) * 3;
        std::memset(out, 0, before);
        std::memcpy(out + before, row24(sy) + static_cast<std::size_t>(x0) * 3, inside);
        std::memset(out + before + inside, 0, rowBytes - before - inside);
    }
    const std::uint8_t* first = mem.get();
    return fromBgr24(w, h, first, rowBytes, std::move(mem));
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
                for (int sx = xa; sx < xb; sx += stepX) {
                    const std::uint32_t c = pixel(sx, sy);
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
