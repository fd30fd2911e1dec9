// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/qt_image.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define VIS_SSE2 1
#else
#define VIS_SSE2 0
#endif

namespace vis {

namespace {
void releaseBitmap(void* info) { delete static_cast<Bitmap*>(info); }

#if defined(__linux__)
constexpr std::size_t kHugePage = std::size_t{2} << 20;

struct Mapping {
    void* start;
    std::size_t length;
};

void releaseMapping(void* info) {
    auto* m = static_cast<Mapping*>(info);
    ::munmap(m->start, m->length);
    delete m;
}
#endif

// The shares of the source pixels under each target pixel along one axis, in
// fixed point. Target pixel t covers [t*s, (t+1)*s) in units where source
// pixel k covers [k*d, (k+1)*d). Rounding the running total rather than each
// share makes a target's shares sum to exactly `one`, each within one unit of
// its exact value, whatever part of the target is asked for.
struct Shares {
    std::vector<int> first;               // first source pixel under each target pixel
    std::vector<int> count;               // how many source pixels
    std::vector<std::size_t> at;          // where its shares start in w
    std::vector<std::int16_t> w;
};
Shares sharesOf(long long s, long long d, int t0, int n, int one) {
    Shares a;
    a.first.reserve(static_cast<std::size_t>(n));
    a.count.reserve(static_cast<std::size_t>(n));
    a.at.reserve(static_cast<std::size_t>(n));
    for (long long t = t0; t < t0 + n; ++t) {
        const long long lo = t * s, hi = (t + 1) * s;
        const long long k0 = lo / d, k1 = (hi + d - 1) / d;
        a.first.push_back(static_cast<int>(k0));
        a.count.push_back(static_cast<int>(k1 - k0));
        a.at.push_back(a.w.size());
        long long cum = 0;
        long long prev = 0;
        for (long long k = k0; k < k1; ++k) {
            cum += std::min(hi, (k + 1) * d) - std::max(lo, k * d);
            const long long r = (cum * one + s / 2) / s;
            a.w.push_back(static_cast<std::int16_t>(r - prev));
            prev = r;
        }
    }
    return a;
}

// Row sums are 16 bits, kept offset by 2^15 so that the across pass can take
// them as signed: 255 * 256 fits, and with a column's shares 255 * 256 * 16384
// fits 31 bits once the offset is taken back.
constexpr int kRowOne = 256;
constexpr int kColOne = 16384;
constexpr int kShift = 22;  // log2(kRowOne * kColOne)
constexpr std::int32_t kOffsetBack = std::int32_t{1} << 29;  // 2^15 * kColOne

// Source rows weighted into one row of 16-bit sums (kept apart from the
// bytes, so that the compiler does it several at a time).
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((optimize("tree-vectorize")))
#endif
void setRow(std::uint16_t* __restrict sums, const uchar* __restrict bytes, std::size_t n, std::uint16_t w) {
    for (std::size_t i = 0; i < n; ++i) sums[i] = static_cast<std::uint16_t>(bytes[i] * w + 0x8000);
}
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((optimize("tree-vectorize")))
#endif
void addRow(std::uint16_t* __restrict sums, const uchar* __restrict bytes, std::size_t n, std::uint16_t w) {
    for (std::size_t i = 0; i < n; ++i) sums[i] = static_cast<std::uint16_t>(sums[i] + bytes[i] * w);
}

// One target pixel from the row sums of the source pixels under it, two at a
// time. `q` starts at the sums of its first source pixel, `pairs` holds its
// shares two to a word, padded with 0 shares to the row's common count (a
// fixed count costs less than a mispredicted branch per pixel); the sums
// that padding reads lie within the row's spare end.
template <int kPairs>
inline std::uint32_t pixelOf(const std::uint16_t* q, const std::uint32_t* pairs, int npairs) {
    const int np = kPairs > 0 ? kPairs : npairs;
#if VIS_SSE2
    __m128i acc = _mm_setzero_si128();
    for (int j = 0; j < np; ++j, q += 6) {
        const __m128i a = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(q));
        const __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(q + 3));
        const __m128i w = _mm_set1_epi32(static_cast<int>(pairs[j]));
        acc = _mm_add_epi32(acc, _mm_madd_epi16(_mm_unpacklo_epi16(a, b), w));
    }
    acc = _mm_srai_epi32(_mm_add_epi32(acc, _mm_set1_epi32(kOffsetBack + (1 << (kShift - 1)))), kShift);
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(acc, acc), acc);
    return static_cast<std::uint32_t>(_mm_cvtsi128_si32(bytes)) | 0xFF000000u;
#else
    std::int32_t c[3] = {0, 0, 0};
    for (int j = 0; j < np; ++j, q += 6) {
        const auto w0 = static_cast<std::int16_t>(pairs[j] & 0xFFFF), w1 = static_cast<std::int16_t>(pairs[j] >> 16);
        for (int k = 0; k < 3; ++k) c[k] += static_cast<std::int16_t>(q[k]) * w0 + static_cast<std::int16_t>(q[k + 3]) * w1;
    }
    const auto ch = [&](int k) {
        return static_cast<std::uint32_t>((c[k] + kOffsetBack + (1 << (kShift - 1))) >> kShift);
    };
    return 0xFF000000u | (ch(2) << 16) | (ch(1) << 8) | ch(0);
#endif
}

template <int kPairs>
void rowAcross(std::uint32_t* line, const std::uint16_t* sums, const Shares& cols, int sx0,
               const std::uint32_t* pairs, int npairs) {
    for (std::size_t x = 0; x < cols.first.size(); ++x)
        line[x] = pixelOf<kPairs>(sums + static_cast<std::size_t>(cols.first[x] - sx0) * 3,
                                  pairs + x * static_cast<std::size_t>(npairs), npairs);
}

// Area average of a 24-bit picture straight into 32 bits, a target row at a
// time: no full-size 32-bit copy of a large capture ever exists. The source
// rows under a target row are summed first (a plain pass over bytes), then
// reduced across. Only `part` of the target is made, from the pixels under
// it, and a part is exactly that part of the whole. Shares are fixed point,
// so that a display picture may be off by one in a pixel.
QImage areaAverage24(const QImage& src, int tw, int th, const QRect& part, QImage into) {
    QImage out = into.size() == part.size() && into.format() == QImage::Format_RGB32 && into.isDetached()
                     ? std::move(into)
                     : QImage(part.size(), QImage::Format_RGB32);
    if (out.isNull()) return out;
    const Shares rows = sharesOf(src.height(), th, part.top(), part.height(), kRowOne);
    const Shares cols = sharesOf(src.width(), tw, part.left(), part.width(), kColOne);
    const int sx0 = cols.first.front();
    const int sx1 = cols.first.back() + cols.count.back();
    const std::size_t n = static_cast<std::size_t>(sx1 - sx0) * 3;
    // Shares two to a word, as the pixel loop takes them, all columns alike.
    int npairs = 1;
    for (const int c : cols.count) npairs = std::max(npairs, (c + 1) / 2);
    std::vector<std::uint32_t> pairs(cols.first.size() * static_cast<std::size_t>(npairs), 0);
    for (std::size_t i = 0; i < cols.first.size(); ++i) {
        const std::int16_t* w = cols.w.data() + cols.at[i];
        for (int k = 0; k < cols.count[i]; ++k)
            pairs[i * static_cast<std::size_t>(npairs) + static_cast<std::size_t>(k / 2)] |=
                std::uint32_t{static_cast<std::uint16_t>(w[k])} << (k % 2 * 16);
    }
    // Spare sums past the end, at 0 share: what padding of the last column reads.
    std::vector<std::uint16_t> sums(n + static_cast<std::size_t>(npairs) * 6 + 4, 0);
    for (int y = 0; y < part.height(); ++y) {
        const std::size_t yi = static_cast<std::size_t>(y);
        const std::int16_t* w = rows.w.data() + rows.at[yi];
        for (int k = 0; k < rows.count[yi]; ++k) {
            const uchar* p = src.constScanLine(rows.first[yi] + k) + static_cast<std::size_t>(sx0) * 3;
            const auto wk = static_cast<std::uint16_t>(w[k]);
            if (k == 0)
                setRow(sums.data(), p, n, wk);
            else
                addRow(sums.data(), p, n, wk);
        }
        auto* line = reinterpret_cast<std::uint32_t*>(out.scanLine(y));
        switch (npairs) {
            case 1: rowAcross<1>(line, sums.data(), cols, sx0, pairs.data(), npairs); break;
            case 2: rowAcross<2>(line, sums.data(), cols, sx0, pairs.data(), npairs); break;
            default: rowAcross<0>(line, sums.data(), cols, sx0, pairs.data(), npairs); break;
        }
    }
    return out;
}
}  // namespace

QImage imageOf(const Bitmap& b, bool withAlpha) {
    if (b.isNull()) return {};
    auto* keep = new Bitmap(b);
    if (keep->isBgr24())
        return QImage(keep->bytes(), keep->width(), keep->height(), static_cast<qsizetype>(keep->stride()),
                      QImage::Format_BGR888, releaseBitmap, keep);
    return QImage(reinterpret_cast<const uchar*>(keep->data()), keep->width(), keep->height(),
                  static_cast<qsizetype>(keep->width()) * 4, withAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32,
                  releaseBitmap, keep);
}

Bitmap bitmapOf(const QImage& image) {
    if (image.isNull()) return {};
    QImage bgr = image;
    if (bgr.format() != QImage::Format_BGR888) {
        if (bgr.hasAlphaChannel()) {
            // Transparent parts over black, as a picture box would show them.
            QImage opaque(bgr.size(), QImage::Format_RGB32);
            opaque.fill(Qt::black);
            QPainter p(&opaque);
            p.drawImage(0, 0, bgr);
            p.end();
            bgr = opaque;
        }
        bgr = bgr.convertToFormat(QImage::Format_BGR888);
        if (bgr.isNull()) return {};
    }
    // The picture's own pixels, shared: a grab read back from the clipboard
    // is the same memory as the clipboard's picture.
    auto keep = std::make_shared<const QImage>(std::move(bgr));
    return Bitmap::fromBgr24(keep->width(), keep->height(), keep->constBits(),
                             static_cast<std::size_t>(keep->bytesPerLine()), keep);
}

QImage largeImage(int width, int height, QImage::Format format) {
#if defined(__linux__)
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    if (width > 0 && height > 0 && depth % 8 == 0) {
        // Lines aligned as QImage aligns its own.
        const std::size_t row = std::size_t{static_cast<unsigned>(width)} * static_cast<unsigned>(depth) / 8;
        const std::size_t line = (row + 3) & ~std::size_t{3};
        const std::size_t bytes = line * static_cast<unsigned>(height);
        if (bytes >= kHugePage && bytes < (std::size_t{1} << 31)) {
            // One spare huge page, so that the picture can start on a boundary.
            const std::size_t length = (bytes + kHugePage - 1) / kHugePage * kHugePage + kHugePage;
            void* start = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (start != MAP_FAILED) {
                const auto at = (reinterpret_cast<std::uintptr_t>(start) + kHugePage - 1) & ~(kHugePage - 1);
                auto* first = reinterpret_cast<uchar*>(at);
                // Only a wish: without it the memory is still good.
                ::madvise(first, length - (at - reinterpret_cast<std::uintptr_t>(start)), MADV_HUGEPAGE);
                return QImage(first, width, height, static_cast<qsizetype>(line), format, releaseMapping,
                              new Mapping{start, length});
            }
        }
    }
#endif
    return QImage(width, height, format);
}

QImage scaledImage(const QImage& image, QSize size, const QRect& part, QImage into) {
    if (image.isNull() || size.isEmpty()) return {};
    const QRect whole(QPoint(0, 0), size);
    const QRect piece = part.isEmpty() ? whole : part.intersected(whole);
    if (piece.isEmpty()) return {};
    if (image.format() == QImage::Format_BGR888 && size.width() <= image.width() && size.height() <= image.height() &&
        image.width() <= 32767 && image.height() <= 32767)
        return areaAverage24(image, size.width(), size.height(), piece, std::move(into));
    QImage all = image.size() == size ? image : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return piece == whole ? all : all.copy(piece);
}

}  // namespace vis
