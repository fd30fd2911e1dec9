// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/png_reader.h"

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "desktop/qt_image.h"

namespace vis {

namespace {

std::uint32_t be32(const uchar* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

uchar paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return static_cast<uchar>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// Undoes a row's filter in place; prev is the row above, already undone.
bool unfilter(uchar type, uchar* row, const uchar* prev, std::size_t n) {
    constexpr std::size_t bpp = 3;
    switch (type) {
        case 0:
            return true;
        case 1:
            for (std::size_t i = bpp; i < n; ++i) row[i] = static_cast<uchar>(row[i] + row[i - bpp]);
            return true;
        case 2:
            for (std::size_t i = 0; i < n; ++i) row[i] = static_cast<uchar>(row[i] + prev[i]);
            return true;
        case 3:
            for (std::size_t i = 0; i < n; ++i) {
                const int left = i >= bpp ? row[i - bpp] : 0;
                row[i] = static_cast<uchar>(row[i] + ((left + prev[i]) >> 1));
            }
            return true;
        case 4:
            for (std::size_t i = 0; i < n; ++i) {
                const int left = i >= bpp ? row[i - bpp] : 0;
                const int upLeft = i >= bpp ? prev[i - bpp] : 0;
                row[i] = static_cast<uchar>(row[i] + paeth(left, prev[i], upLeft));
            }
            return true;
        default:
            return false;
    }
}

class Inflater {
public:
    Inflater() { ok_ = inflateInit(&z_) == Z_OK; }
    ~Inflater() {
        if (ok_) inflateEnd(&z_);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    bool ok() const { return ok_; }
    z_stream z_{};

private:
    bool ok_ = false;
};

}  // namespace

QImage decodeRgbPng(const uchar* data, qsizetype size) {
    static const uchar kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (!data || size < 8 + 25 || std::memcmp(data, kSignature, 8) != 0) return {};
    const uchar* end = data + size;
    const uchar* p = data + 8;
    // The image data may come in many chunks: gathered first.
    std::vector<std::pair<const uchar*, std::uint32_t>> idat;
    std::uint32_t width = 0, height = 0;
    bool header = false, ended = false;
    while (end - p >= 12 && !ended) {
        const std::uint32_t len = be32(p);
        if (len > static_cast<std::uint64_t>(end - p) - 12) return {};
        const uchar* type = p + 4;
        const uchar* body = p + 8;
        if (std::memcmp(type, "IHDR", 4) == 0) {
            if (header || len != 13) return {};
            width = be32(body);
            height = be32(body + 4);
            // 8-bit RGB, deflate, the one filter method, no interlace.
            if (body[8] != 8 || body[9] != 2 || body[10] != 0 || body[11] != 0 || body[12] != 0) return {};
            header = true;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            if (!header) return {};
            idat.emplace_back(body, len);
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            ended = true;
        } else if (!(type[0] & 0x20)) {
            return {};  // a critical chunk this reader does not know (a palette...)
        }
        p = body + len + 4;
    }
    if (!header || !ended || idat.empty() || width == 0 || height == 0 || width > 65535 || height > 65535) return {};

    QImage image = largeImage(static_cast<int>(width), static_cast<int>(height), QImage::Format_BGR888);
    if (image.isNull()) return {};
    const std::size_t n = std::size_t{width} * 3;
    std::vector<uchar> rows(2 * (n + 1), 0);
    uchar* cur = rows.data();
    uchar* prev = rows.data() + n + 1;
    Inflater inflater;
    if (!inflater.ok()) return {};
    z_stream& z = inflater.z_;
    std::size_t chunk = 0;
    int status = Z_OK;
    for (std::uint32_t y = 0; y < height; ++y) {
        z.next_out = cur;
        z.avail_out = static_cast<uInt>(n + 1);
        while (z.avail_out > 0) {
            if (z.avail_in == 0) {
                if (chunk == idat.size()) return {};
                z.next_in = const_cast<Bytef*>(idat[chunk].first);
                z.avail_in = idat[chunk].second;
                ++chunk;
                continue;
            }
            status = inflate(&z, Z_NO_FLUSH);
            if (status == Z_STREAM_END && z.avail_out > 0) return {};
            if (status != Z_OK && status != Z_STREAM_END) return {};
        }
        if (!unfilter(cur[0], cur + 1, prev + 1, n)) return {};
        uchar* out = image.scanLine(static_cast<int>(y));
        const uchar* in = cur + 1;
        for (std::size_t x = 0; x < n; x += 3) {
            out[x] = in[x + 2];
            out[x + 1] = in[x + 1];
            out[x + 2] = in[x];
        }
        std::swap(cur, prev);
    }
    return image;
}

}  // namespace vis
