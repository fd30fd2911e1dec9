// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/dib_section.h"

#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "output/bgr24.h"

namespace vis {

std::int32_t bytesPerScanLine(std::int32_t width) {
    const long long triple = static_cast<long long>(width) * 3;
    if (triple >= 2147483645LL || triple < std::numeric_limits<std::int32_t>::min())
        throw std::overflow_error("bytesPerScanLine: width too large");
    return static_cast<std::int32_t>((triple + 3) & ~3LL);
}

bool aDIBSection::reserve(std::int32_t lWidth, std::int32_t lHeight) {
    ClearUp();
    if (lWidth <= 0 || lHeight <= 0) return false;
    const long long imageSize = static_cast<long long>(bytesPerScanLine(lWidth)) * lHeight;
    if (imageSize > std::numeric_limits<std::int32_t>::max())
        throw std::overflow_error("aDIBSection::Create: picture too large");

    // A picture's memory: a mapping of its own in large pages, so that
    // filling it costs a copy rather than thousands of page faults.
    try {
        bits_ = pixelMemory(static_cast<std::size_t>(imageSize));
    } catch (const std::bad_alloc&) {
        return false;
    }
    header_.biWidth = lWidth;
    header_.biHeight = lHeight;
    header_.biSizeImage = static_cast<std::uint32_t>(imageSize);
    return true;
}

bool aDIBSection::Create(std::int32_t lWidth, std::int32_t lHeight) {
    if (!reserve(lWidth, lHeight)) return false;
    std::memset(bits_.get(), 0, header_.biSizeImage);
    return true;
}

bool aDIBSection::CreateFromPicture(const Bitmap& picd) {
    // Every byte is written, the padding included: nothing to clear first.
    if (!reserve(picd.width(), picd.height())) return false;
    detail::packBottomUpBgr24(picd, bits_.get(), static_cast<std::size_t>(BytesPerScanLine()));
    return true;
}

void aDIBSection::ClearUp() {
    bits_.reset();
    header_ = BitmapInfoHeader{};
}

}  // namespace vis
