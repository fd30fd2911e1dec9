// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace vis {

// Memory for a large picture, handed back to the system as soon as its last
// owner lets go. Mapped on its own where the system allows, in large pages:
// filing a capture then costs a copy, not thousands of page faults.
std::shared_ptr<std::uint8_t[]> pixelMemory(std::size_t bytes);

// An immutable picture shared by every element that shows it: copying a
// Bitmap copies a pointer, never the pixels. Two forms of storage:
//  - 32 bits: 0xAARRGGBB words, rows packed, the layout of QImage::Format_RGB32;
//  - 24 bits: blue, green, red bytes, rows stride() bytes apart, the layout of
//    QImage::Format_BGR888 (captures: a quarter less memory).
// pixel() reads either form as 0xAARRGGBB (0xFF alpha for the 24-bit form).
class Bitmap {
public:
    Bitmap() = default;
    Bitmap(int width, int height, std::vector<std::uint32_t> pixels);
    // Pixels kept by someone else (rows packed, width words each), alive as
    // long as `owner`: a toolkit's picture shown or filed without a copy.
    Bitmap(int width, int height, const std::uint32_t* pixels, std::shared_ptr<const void> owner);
    // 24-bit pixels kept by someone else, rows `stride` bytes apart.
    static Bitmap fromBgr24(int width, int height, const std::uint8_t* bytes, std::size_t stride,
                            std::shared_ptr<const void> owner);
    // Rows of a 24-bit picture as this class lays them out: 4-byte aligned.
    static constexpr std::size_t bgr24Stride(int width) {
        return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    }

    static Bitmap filled(int width, int height, std::uint32_t argb);

    bool isNull() const { return !d_ || d_->width <= 0 || d_->height <= 0; }
    int width() const { return d_ ? d_->width : 0; }
    int height() const { return d_ ? d_->height : 0; }
    bool isBgr24() const { return d_ && d_->bgr24; }

    std::uint32_t pixel(int x, int y) const {
        if (d_->bgr24) {
            const std::uint8_t* p = row24(y) + static_cast<std::size_t>(x) * 3;
            return 0xFF000000u | (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) |
                   p[0];
        }
        return d_->px[static_cast<std::size_t>(y) * d_->width + x];
    }
    // The 32-bit form's rows; null for a 24-bit picture.
    const std::uint32_t* row(int y) const {
        return d_->px ? d_->px + static_cast<std::size_t>(y) * d_->width : nullptr;
    }
    const std::uint32_t* data() const { return d_ ? d_->px : nullptr; }
    // Either form's bytes: the first row, rows stride() bytes apart.
    const std::uint8_t* bytes() const { return d_ ? d_->bytes : nullptr; }
    std::size_t stride() const { return d_ ? d_->stride : 0; }
    const std::uint8_t* row24(int y) const { return d_->bytes + static_cast<std::size_t>(y) * d_->stride; }

    // Same pixels, same object: lets caches key on a picture cheaply.
    const void* identity() const { return d_.get(); }
    bool sameAs(const Bitmap& o) const { return d_ == o.d_; }

    // The part of this picture at (x, y) of the given size, in the same form;
    // what falls outside the picture is black. A size of 0 gives a null bitmap.
    Bitmap cropped(int x, int y, int w, int h) const;

    // Area-averaged reduction (or nearest-pixel enlargement) to w x h, 32 bits.
    Bitmap scaled(int w, int h) const;

private:
    Bitmap cropped24(int x, int y, int w, int h) const;

    struct Data {
        int width = 0;
        int height = 0;
        bool bgr24 = false;
        const std::uint32_t* px = nullptr;    // the 32-bit form: into pixels, or into owner's memory
        const std::uint8_t* bytes = nullptr;  // either form
        std::size_t stride = 0;
        std::vector<std::uint32_t> pixels;
        std::shared_ptr<const void> owner;
    };
    std::shared_ptr<const Data> d_;
};

inline constexpr std::uint32_t rgb(int r, int g, int b) {
    return 0xFF000000u | (static_cast<std::uint32_t>(r & 255) << 16) | (static_cast<std::uint32_t>(g & 255) << 8) |
           static_cast<std::uint32_t>(b & 255);
}
inline constexpr int redOf(std::uint32_t c) { return static_cast<int>((c >> 16) & 255); }
inline constexpr int greenOf(std::uint32_t c) { return static_cast<int>((c >> 8) & 255); }
inline constexpr int blueOf(std::uint32_t c) { return static_cast<int>(c & 255); }

}  // namespace vis
