// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "platform/bitmap.h"

namespace vis {

// The standard 40-byte header that describes a device-independent bitmap.
struct BitmapInfoHeader {
    std::uint32_t biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;  // positive: bottom-up rows
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 24;
    std::uint32_t biCompression = 0;  // uncompressed RGB
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

// Bytes per row of a 24-bit buffer: width * 3 rounded up to a multiple of 4.
// Throws std::overflow_error when width * 3 overflows 32 bits or reaches
// 2,147,483,645 (the rounding would no longer fit).
std::int32_t bytesPerScanLine(std::int32_t width);

// A 24-bit pixel buffer in the Windows DIB layout: rows bottom-up (the first
// row in memory is the bottom row of the picture), bytes blue, green, red,
// each row padded to BytesPerScanLine() bytes with zeros.
class aDIBSection {
public:
    aDIBSection() = default;
    ~aDIBSection() { ClearUp(); }
    aDIBSection(const aDIBSection&) = delete;
    aDIBSection& operator=(const aDIBSection&) = delete;

    // Discards the old buffer and makes a new one, all zero. False for a
    // non-positive size or when the memory cannot be had (the object is then
    // empty). Throws std::overflow_error when a row or the whole buffer
    // (BytesPerScanLine * height) does not fit in 32 bits.
    bool Create(std::int32_t lWidth, std::int32_t lHeight);
    // Makes the buffer the size of the picture and copies the picture into
    // it. False, with the object empty, for a null picture or when Create fails.
    bool CreateFromPicture(const Bitmap& picd);

    std::int32_t BytesPerScanLine() const { return bytesPerScanLine(header_.biWidth); }
    std::int32_t Width() const { return header_.biWidth; }    // 0 when empty
    std::int32_t Height() const { return header_.biHeight; }  // 0 when empty
    const BitmapInfoHeader& Header() const { return header_; }

    // First byte of the buffer (the bottom row); null when empty.
    unsigned char* DIBSectionBitsPtr() { return bits_.get(); }
    const unsigned char* DIBSectionBitsPtr() const { return bits_.get(); }
    bool isEmpty() const { return !bits_; }

    // Frees the buffer and returns to empty.
    void ClearUp();

private:
    // The buffer for that size, its contents not set yet.
    bool reserve(std::int32_t lWidth, std::int32_t lHeight);
    std::shared_ptr<std::uint8_t[]> bits_;
    BitmapInfoHeader header_{};
};

}  // namespace vis
