// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/bmp_codec.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <fstream>
#include <limits>
#include <system_error>

#include "output/atomic_file.h"
#include "output/bgr24.h"

namespace vis {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::uint32_t kRgb = 0;        // BI_RGB
constexpr std::uint32_t kBitfields = 3;  // BI_BITFIELDS

// Little-endian whatever the host: the file format says so.
void put16(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
void put32(unsigned char* p, std::uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}
std::uint32_t get16(const unsigned char* p) { return static_cast<std::uint32_t>(p[0] | p[1] << 8); }
std::uint32_t get32(const unsigned char* p) { return get16(p) | get16(p + 2) << 16; }
std::int32_t getSigned32(const unsigned char* p) { return static_cast<std::int32_t>(get32(p)); }

// One colour channel described by a bit mask, scaled to 0..255.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint64_t max = 0;

    explicit Channel(std::uint32_t m) : mask(m) {
        if (m == 0) return;
        shift = std::countr_zero(m);
        max = (std::uint64_t{1} << std::bit_width(m >> shift)) - 1;
    }
    std::uint32_t operator()(std::uint32_t v) const {
        if (max == 0) return 0;
        const std::uint64_t value = (v & mask) >> shift;
        return static_cast<std::uint32_t>((value * 255 + max / 2) / max);  // rounded
    }
};

struct Layout {
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool topDown = false;
    unsigned bitsPerPixel = 0;
    std::uint32_t masks[3] = {0, 0, 0};  // red, green, blue
    std::vector<std::uint32_t> palette;
    std::size_t pixelOffset = 0;
    std::size_t stride = 0;
};

// Reads and checks the headers; every offset and size it returns lies inside
// the file.
std::optional<Layout> readLayout(std::span<const unsigned char> f) {
    const std::size_t size = f.size();
    if (size < kFileHeaderSize + 4 || f[0] != 'B' || f[1] != 'M') return std::nullopt;
    const std::uint32_t pixelOffset = get32(&f[10]);
    const std::uint32_t headerSize = get32(&f[14]);
    const bool core = headerSize == 12;  // the old OS/2 header: 16-bit sizes, 3-byte palette entries
    if (!core && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 && headerSize != 124)
        return std::nullopt;
    if (kFileHeaderSize + headerSize > size) return std::nullopt;

    Layout l;
    std::uint32_t compression = kRgb;
    std::uint32_t coloursUsed = 0;
    if (core) {
        l.width = get16(&f[18]);
        l.height = get16(&f[20]);
        l.bitsPerPixel = get16(&f[24]);
    } else {
        l.width = getSigned32(&f[18]);
        l.height = getSigned32(&f[22]);
        l.bitsPerPixel = get16(&f[28]);
        compression = get32(&f[30]);
        coloursUsed = get32(&f[46]);
    }
    if (l.height < 0) {
        l.topDown = true;
        l.height = -l.height;  // 64-bit: no overflow for the most negative value
    }
    if (l.width <= 0 || l.height <= 0 || l.width > kMaxBmpSide || l.height > kMaxBmpSide ||
        l.width * l.height > kMaxBmpPixels)
        return std::nullopt;

    std::size_t tableStart = kFileHeaderSize + headerSize;
    const unsigned bpp = l.bitsPerPixel;
    if (compression == kRgb) {
        if (bpp == 16) {
            l.masks[0] = 0x7C00, l.masks[1] = 0x03E0, l.masks[2] = 0x001F;
        } else if (bpp == 32) {
            l.masks[0] = 0xFF0000, l.masks[1] = 0x00FF00, l.masks[2] = 0x0000FF;
        } else if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) {
            return std::nullopt;
        }
        if (core && bpp == 16) return std::nullopt;
    } else if (compression == kBitfields && !core && (bpp == 16 || bpp == 32)) {
        // The masks follow a 40-byte header and are part of the longer ones:
        // either way they sit right after the 40 bytes.
        const std::size_t at = kFileHeaderSize + kInfoHeaderSize;
        if (at + 12 > size) return std::nullopt;
        for (int i = 0; i < 3; ++i) l.masks[i] = get32(&f[at + 4 * static_cast<std::size_t>(i)]);
        if (headerSize == kInfoHeaderSize) tableStart += 12;
    } else {
        return std::nullopt;  // compressed (RLE, JPEG, PNG) or an unknown depth
    }

    if (bpp <= 8) {
        const std::size_t entry = core ? 3 : 4;
        const std::size_t most = std::size_t{1} << bpp;
        const std::size_t count = coloursUsed == 0 ? most : std::min<std::size_t>(coloursUsed, most);
        if (tableStart > size || count > (size - tableStart) / entry) return std::nullopt;
        l.palette.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            const unsigned char* p = &f[tableStart + i * entry];
            l.palette[i] = rgb(p[2], p[1], p[0]);
        }
    }

    if (pixelOffset < tableStart || pixelOffset > size) return std::nullopt;
    l.pixelOffset = pixelOffset;
    l.stride = (static_cast<std::size_t>(l.width) * bpp + 31) / 32 * 4;
    if (static_cast<std::uint64_t>(l.stride) * static_cast<std::uint64_t>(l.height) > size - pixelOffset)
        return std::nullopt;
    return l;
}

void decodeRow(const Layout& l, const unsigned char* src, std::uint32_t* dst) {
    const std::size_t w = static_cast<std::size_t>(l.width);
    switch (l.bitsPerPixel) {
        case 1:
        case 4:
        case 8: {
            const unsigned bpp = l.bitsPerPixel;
            const unsigned perByte = 8 / bpp;
            const unsigned valueMask = (1u << bpp) - 1;
            for (std::size_t x = 0; x < w; ++x) {
                const unsigned shift = 8 - bpp * (static_cast<unsigned>(x % perByte) + 1);
                const unsigned index = (src[x / perByte] >> shift) & valueMask;
                // An index past the palette is black rather than a read past it.
                dst[x] = index < l.palette.size() ? l.palette[index] : rgb(0, 0, 0);
            }
            break;
        }
        case 24:
            for (std::size_t x = 0; x < w; ++x, src += 3) dst[x] = rgb(src[2], src[1], src[0]);
            break;
        case 16:
        case 32: {
            const Channel r(l.masks[0]), g(l.masks[1]), b(l.masks[2]);
            const bool wide = l.bitsPerPixel == 32;
            for (std::size_t x = 0; x < w; ++x) {
                const std::uint32_t v = wide ? get32(src + 4 * x) : get16(src + 2 * x);
                dst[x] = 0xFF000000u | r(v) << 16 | g(v) << 8 | b(v);
            }
            break;
        }
        default:
            break;
    }
}

}  // namespace

std::vector<unsigned char> encodeBmp(const Bitmap& picture) {
    if (picture.isNull()) return {};
    const std::size_t stride = detail::paddedRow24(static_cast<std::size_t>(picture.width()));
    const std::size_t imageSize = stride * static_cast<std::size_t>(picture.height());
    const std::size_t headers = kFileHeaderSize + kInfoHeaderSize;
    if (imageSize > std::numeric_limits<std::uint32_t>::max() - headers) return {};  // the size fields are 32-bit

    std::vector<unsigned char> out(headers + imageSize);
    unsigned char* p = out.data();
    p[0] = 'B';
    p[1] = 'M';
    put32(p + 2, static_cast<std::uint32_t>(out.size()));
    put32(p + 10, static_cast<std::uint32_t>(headers));
    put32(p + 14, static_cast<std::uint32_t>(kInfoHeaderSize));
    put32(p + 18, static_cast<std::uint32_t>(picture.width()));
    put32(p + 22, static_cast<std::uint32_t>(picture.height()));  // positive: bottom-up
    put16(p + 26, 1);                                             // planes
    put16(p + 28, 24);                                            // bits per pixel
    put32(p + 34, static_cast<std::uint32_t>(imageSize));
    // Compression (none), resolution (unknown) and colour counts stay 0.
    detail::packBottomUpBgr24(picture, p + headers, stride);
    return out;
}

std::optional<Bitmap> decodeBmp(std::span<const unsigned char> file) {
    const std::optional<Layout> l = readLayout(file);
    if (!l) return std::nullopt;
    const int w = static_cast<int>(l->width);
    const int h = static_cast<int>(l->height);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (int r = 0; r < h; ++r) {
        const int y = l->topDown ? r : h - 1 - r;
        decodeRow(*l, file.data() + l->pixelOffset + static_cast<std::size_t>(r) * l->stride,
                  pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w));
    }
    return Bitmap(w, h, std::move(pixels));
}

bool writeBmp(const Bitmap& picture, const std::string& path, WriteOptions options) {
    const std::vector<unsigned char> bytes = encodeBmp(picture);
    return !bytes.empty() && writeFile(utf8Path(path), bytes, options) == WriteResult::Written;
}

std::optional<Bitmap> readBmp(const std::string& path) {
    const std::filesystem::path p = utf8Path(path);
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(p, ec);
    // Nothing the reader accepts is larger: 32 bits for each allowed pixel plus headers.
    constexpr std::uintmax_t kMaxFile = static_cast<std::uintmax_t>(kMaxBmpPixels) * 4 + 65536;
    if (ec || size > kMaxFile) return std::nullopt;

    std::ifstream in(p, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (static_cast<std::size_t>(in.gcount()) != bytes.size()) return std::nullopt;
    return decodeBmp(bytes);
}

}  // namespace vis
