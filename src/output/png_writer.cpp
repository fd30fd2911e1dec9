// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/png_writer.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace vis {

namespace {

// Big-endian, as the format says.
void put32(std::vector<unsigned char>& out, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<unsigned char>(v >> s));
}

void chunk(std::vector<unsigned char>& out, const char (&type)[5], const unsigned char* data, std::size_t n) {
    put32(out, static_cast<std::uint32_t>(n));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    if (n > 0) out.insert(out.end(), data, data + n);
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, out.data() + start, static_cast<uInt>(out.size() - start));
    put32(out, static_cast<std::uint32_t>(crc));
}

// One row as red, green, blue bytes.
void rgbRow(const Bitmap& b, int y, unsigned char* out) {
    const int w = b.width();
    if (b.isBgr24()) {
        const std::uint8_t* p = b.row24(y);
        for (int x = 0; x < w; ++x, p += 3, out += 3) {
            out[0] = p[2];
            out[1] = p[1];
            out[2] = p[0];
        }
        return;
    }
    const std::uint32_t* p = b.row(y);
    for (int x = 0; x < w; ++x, out += 3) {
        out[0] = static_cast<unsigned char>(p[x] >> 16);
        out[1] = static_cast<unsigned char>(p[x] >> 8);
        out[2] = static_cast<unsigned char>(p[x]);
    }
}

// Sum of the filtered bytes read as signed: the usual guess of which filter
// deflates best.
unsigned long cost(const std::vector<unsigned char>& f) {
    unsigned long s = 0;
    for (std::size_t i = 1; i < f.size(); ++i) s += static_cast<unsigned long>(std::abs(static_cast<signed char>(f[i])));
    return s;
}

class Deflater {
public:
    Deflater() { ok_ = deflateInit(&z_, Z_DEFAULT_COMPRESSION) == Z_OK; }
    ~Deflater() {
        if (ok_) deflateEnd(&z_);
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    bool add(const unsigned char* data, std::size_t n, bool last) {
        if (!ok_) return false;
        z_.next_in = const_cast<Bytef*>(data);
        z_.avail_in = static_cast<uInt>(n);
        int r = Z_OK;
        do {
            std::array<unsigned char, 65536> buf;
            z_.next_out = buf.data();
            z_.avail_out = static_cast<uInt>(buf.size());
            r = deflate(&z_, last ? Z_FINISH : Z_NO_FLUSH);
            if (r == Z_STREAM_ERROR) return false;
            out.insert(out.end(), buf.data(), buf.data() + (buf.size() - z_.avail_out));
        } while (z_.avail_out == 0 || (last && r != Z_STREAM_END));
        return true;
    }

    std::vector<unsigned char> out;

private:
    z_stream z_{};
    bool ok_ = false;
};

}  // namespace

std::vector<unsigned char> encodePng(const Bitmap& picture) {
    if (picture.isNull()) return {};
    const int w = picture.width();
    const int h = picture.height();
    const std::size_t rowBytes = static_cast<std::size_t>(w) * 3;
    try {
        Deflater z;
        // Each row goes in with the filter that leaves the smallest bytes:
        // none, the left neighbour's difference (Sub) or the upper's (Up).
        std::vector<unsigned char> prev(rowBytes, 0), cur(rowBytes), sub(rowBytes + 1), up(rowBytes + 1),
            none(rowBytes + 1);
        for (int y = 0; y < h; ++y) {
            rgbRow(picture, y, cur.data());
            none[0] = 0;
            sub[0] = 1;
            up[0] = 2;
            for (std::size_t i = 0; i < rowBytes; ++i) {
                none[i + 1] = cur[i];
                sub[i + 1] = static_cast<unsigned char>(cur[i] - (i >= 3 ? cur[i - 3] : 0));
                up[i + 1] = static_cast<unsigned char>(cur[i] - prev[i]);
            }
            const unsigned long cn = cost(none), cs = cost(sub), cu = y > 0 ? cost(up) : cn + 1;
            const std::vector<unsigned char>& best = cs < cn && cs <= cu ? sub : cu < cn ? up : none;
            if (!z.add(best.data(), best.size(), y == h - 1)) return {};
            prev.swap(cur);
        }

        std::vector<unsigned char> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        out.reserve(z.out.size() + 64 + z.out.size() / (1u << 20) * 12);
        std::array<unsigned char, 13> ihdr{};
        std::vector<unsigned char> tmp;
        put32(tmp, static_cast<std::uint32_t>(w));
        put32(tmp, static_cast<std::uint32_t>(h));
        std::copy(tmp.begin(), tmp.end(), ihdr.begin());
        ihdr[8] = 8;  // bits per channel
        ihdr[9] = 2;  // colour type: RGB
        chunk(out, "IHDR", ihdr.data(), ihdr.size());
        // Chunks of a megabyte: a chunk's length must stay below 2^31.
        constexpr std::size_t kPart = std::size_t{1} << 20;
        for (std::size_t at = 0; at < z.out.size(); at += kPart)
            chunk(out, "IDAT", z.out.data() + at, std::min(kPart, z.out.size() - at));
        chunk(out, "IEND", nullptr, 0);
        return out;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

bool writePng(const Bitmap& picture, const std::string& path, WriteOptions options) {
    const std::vector<unsigned char> bytes = encodePng(picture);
    return !bytes.empty() && writeFile(utf8Path(path), bytes, options) == WriteResult::Written;
}

}  // namespace vis
