// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/dib_section.h"

#include <limits>
#include <stdexcept>

#include "output/bgr24.h"

namespace vis {

std::int32_t bytesPerScanLine(std::int32_t width) {
    const long long triple = static_cast<long long>(width) * 3;
    if (triple >= 2147483645LL || triple < std::numeric_limits<std::int32_t>::min())
        throw std::overflow_error("bytesPerScanLine: width too large");
    return static_cast<std::int32_t>((triple + 3) & ~3LL);
}

bool aDIBSection::Create(std::int32_t lWidth, std::int32_t lHeight) {
    ClearUp();
    if (lWidth <= 0 || lHeight <= 0) return false;
    const long long imageSize = static_cast<long long>(bytesPerScanLine(lWidth)) * lHeight;
    if (imageSize > std::numeric_limits<std::int32_t>::max())
        throw std::overflow_error("aDIBSection::Create: picture too large");

    // calloc: large blocks come straight from the system already zeroed, so
    // an empty buffer costs no pass over its memory.
    bits_.reset(static_cast<unsigned char*>(std::calloc(static_cast<std::size_t>(imageSize), 1)));
    if (!bits_) return false;
    header_.biWidth = lWidth;
    header_.biHeight = lHeight;
    header_.biSizeImage = static_cast<std::uint32_t>(imageSize);
    return true;
}

bool aDIBSection::CreateFromPicture(const Bitmap& picd) {
    if (!Create(picd.width(), picd.height())) return false;
    detail::packBottomUpBgr24(picd, bits_.get(), static_cast<std::size_t>(BytesPerScanLine()));
    return true;
}

void aDIBSection::ClearUp() {
    bits_.reset();
    header_ = BitmapInfoHeader{};
}

}  // namespace vis
