#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace vis {

// An immutable picture shared by every element that shows it: copying a
// Bitmap copies a pointer, never the pixels. Pixels are 0xAARRGGBB words,
// rows top to bottom, the layout of QImage::Format_RGB32.
class Bitmap {
public:
    Bitmap() = default;
    Bitmap(int width, int height, std::vector<std::uint32_t> pixels);
    // Pixels kept by someone else (rows packed, width words each), alive as
    // long as `owner`: a toolkit's picture shown or filed without a copy.
    Bitmap(int width, int height, const std::uint32_t* pixels, std::shared_ptr<const void> owner);

    static Bitmap filled(int width, int height, std::uint32_t argb);

    bool isNull() const { return !d_ || d_->width <= 0 || d_->height <= 0; }
    int width() const { return d_ ? d_->width : 0; }
    int height() const { return d_ ? d_->height : 0; }
    std::uint32_t pixel(int x, int y) const { return d_->px[static_cast<std::size_t>(y) * d_->width + x]; }
    const std::uint32_t* row(int y) const { return d_->px + static_cast<std::size_t>(y) * d_->width; }
    const std::uint32_t* data() const { return d_ ? d_->px : nullptr; }

    // Same pixels, same object: lets caches key on a picture cheaply.
    const void* identity() const { return d_.get(); }
    bool sameAs(const Bitmap& o) const { return d_ == o.d_; }

    // The part of this picture at (x, y) of the given size; what falls outside
    // the picture is black. A size of 0 gives a null bitmap.
    Bitmap cropped(int x, int y, int w, int h) const;

    // Area-averaged reduction (or nearest-pixel enlargement) to w x h.
    Bitmap scaled(int w, int h) const;

private:
    struct Data {
        int width = 0;
        int height = 0;
        const std::uint32_t* px = nullptr;  // into pixels, or into owner's memory
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
