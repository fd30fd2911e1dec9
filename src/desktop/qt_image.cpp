#include "desktop/qt_image.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace vis {

namespace {
void releaseBitmap(void* info) { delete static_cast<Bitmap*>(info); }

// Adds a row of bytes times w to the sums (kept apart from the bytes, so the
// compiler may do it several at a time).
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((optimize("tree-vectorize")))
#endif
void addRow(std::uint32_t* __restrict sums, const uchar* __restrict bytes, std::size_t n, std::uint32_t w) {
    for (std::size_t i = 0; i < n; ++i) sums[i] += bytes[i] * w;
}

// Area average of a 24-bit picture straight into 32 bits, a source row at a
// time: no full-size 32-bit copy of a large capture ever exists. Source
// column sx covers [sx*tw, (sx+1)*tw) in units where target column t covers
// [t*sw, (t+1)*sw); rows alike. A target pixel being no smaller than a source
// pixel, a source row falls in at most two target rows: rows are summed
// first (a plain pass over bytes), each finished target row is then reduced
// across. Only `part` of the target is made, from the pixels under it.
QImage areaAverage24(const QImage& src, int tw, int th, const QRect& part) {
    const long long sw = src.width();
    const long long sh = src.height();
    QImage out(part.size(), QImage::Format_RGB32);
    if (out.isNull()) return out;
    const int tx0 = part.left(), ty0 = part.top();
    const int ncols = part.width(), nrows = part.height();
    const int sx0 = static_cast<int>(tx0 * sw / tw);
    const int sx1 = static_cast<int>(((tx0 + ncols) * sw + tw - 1) / tw);
    const int sy0 = static_cast<int>(ty0 * sh / th);
    const int sy1 = static_cast<int>(((ty0 + nrows) * sh + th - 1) / th);
    // Overlap of source pixel s with target pixel t, in the units above.
    const auto overlap = [](long long s, long long t, long long sLen, long long tLen) {
        const long long lo = std::max(s * sLen, t * tLen);
        const long long hi = std::min((s + 1) * sLen, (t + 1) * tLen);
        return static_cast<std::uint32_t>(hi > lo ? hi - lo : 0);
    };
    // The source columns under each target column, with their shares.
    struct Tap {
        std::uint32_t at;  // byte offset in the row sums
        std::uint32_t w;
    };
    std::vector<Tap> taps;
    std::vector<std::size_t> firstTap(static_cast<std::size_t>(ncols) + 1);
    for (int i = 0; i < ncols; ++i) {
        firstTap[static_cast<std::size_t>(i)] = taps.size();
        const long long t = tx0 + i;
        const long long a = t * sw / tw;
        const long long b = std::min<long long>(sx1, ((t + 1) * sw + tw - 1) / tw);
        for (long long sx = a; sx < b; ++sx)
            if (const std::uint32_t w = overlap(sx, t, tw, sw))
                taps.push_back({static_cast<std::uint32_t>((sx - sx0) * 3), w});
    }
    firstTap[static_cast<std::size_t>(ncols)] = taps.size();

    // The same as three consecutive shares (the last possibly 0), when no
    // target pixel has more.
    struct Fixed3 {
        std::uint32_t at;
        std::uint64_t w[3];
    };
    std::vector<Fixed3> fixed3;
    bool three = true;
    for (int i = 0; i < ncols && three; ++i) {
        const std::size_t k0 = firstTap[static_cast<std::size_t>(i)], k1 = firstTap[static_cast<std::size_t>(i) + 1];
        three = k1 > k0 && k1 - k0 <= 3 && taps[k1 - 1].at - taps[k0].at == (k1 - k0 - 1) * 3;
    }
    const std::size_t n = static_cast<std::size_t>(sx1 - sx0) * 3;
    if (three) {
        fixed3.reserve(static_cast<std::size_t>(ncols));
        for (int i = 0; i < ncols; ++i) {
            const std::size_t k0 = firstTap[static_cast<std::size_t>(i)],
                              k1 = firstTap[static_cast<std::size_t>(i) + 1];
            Fixed3 f{taps[k0].at, {0, 0, 0}};
            for (std::size_t k = k0; k < k1; ++k) f.w[k - k0] = taps[k].w;
            fixed3.push_back(f);
        }
    }
    // Two spare pixels: the third share of the last column may lie past the row.
    std::vector<std::uint32_t> cur(n + 6, 0), next(n + 6, 0);  // at most 255 * sh each
    // A product, not a division, per channel: the sums are exact in a double.
    const double inv = 1.0 / (static_cast<double>(sw) * static_cast<double>(sh));
    // The same in integers for the common case: 2^40 / area, the sums being
    // below 2^34 (255 times the area of an 8K screen), so that the products
    // fit in 64 bits; a display picture may be off by one in a rare pixel.
    const std::uint64_t area = static_cast<std::uint64_t>(sw) * static_cast<std::uint64_t>(sh);
    const std::uint64_t recip = (std::uint64_t{1} << 40) / area;
    constexpr std::uint64_t kHalf = std::uint64_t{1} << 39;
    int t = ty0;
    for (int sy = sy0; sy < sy1 && t < ty0 + nrows; ++sy) {
        const uchar* p = src.constScanLine(sy) + static_cast<std::size_t>(sx0) * 3;
        const std::uint32_t w0 = overlap(sy, t, th, sh);
        const std::uint32_t w1 = overlap(sy, t + 1, th, sh);
        addRow(cur.data(), p, n, w0);
        if (w1) addRow(next.data(), p, n, w1);
        if ((sy + 1) * static_cast<long long>(th) < (t + 1) * sh) continue;
        auto* line = reinterpret_cast<std::uint32_t*>(out.scanLine(t - ty0));
        if (!fixed3.empty()) {
            // A reduction by less than 2: three shares at most per pixel.
            const std::uint32_t* c = cur.data();
            for (int x = 0; x < ncols; ++x) {
                const Fixed3& f = fixed3[static_cast<std::size_t>(x)];
                const std::uint32_t* q = c + f.at;
                const std::uint64_t bl = q[0] * f.w[0] + q[3] * f.w[1] + q[6] * f.w[2];
                const std::uint64_t gr = q[1] * f.w[0] + q[4] * f.w[1] + q[7] * f.w[2];
                const std::uint64_t re = q[2] * f.w[0] + q[5] * f.w[1] + q[8] * f.w[2];
                const auto ch = [&](std::uint64_t v) {
                    // recip is rounded down: never above 255.
                    return static_cast<std::uint32_t>((v * recip + kHalf) >> 40);
                };
                line[x] = 0xFF000000u | (ch(re) << 16) | (ch(gr) << 8) | ch(bl);
            }
        } else {
            for (int x = 0; x < ncols; ++x) {
                std::uint64_t bl = 0, gr = 0, re = 0;
                for (std::size_t k = firstTap[static_cast<std::size_t>(x)];
                     k < firstTap[static_cast<std::size_t>(x) + 1]; ++k) {
                    const std::uint32_t* c = cur.data() + taps[k].at;
                    bl += std::uint64_t{c[0]} * taps[k].w;
                    gr += std::uint64_t{c[1]} * taps[k].w;
                    re += std::uint64_t{c[2]} * taps[k].w;
                }
                const auto ch = [&](std::uint64_t v) {
                    return static_cast<std::uint32_t>(static_cast<double>(v) * inv + 0.5);
                };
                line[x] = 0xFF000000u | (ch(re) << 16) | (ch(gr) << 8) | ch(bl);
            }
        }
        ++t;
        cur.swap(next);
        std::fill(next.begin(), next.end(), 0u);
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

QImage scaledImage(const QImage& image, QSize size, const QRect& part) {
    if (image.isNull() || size.isEmpty()) return {};
    const QRect whole(QPoint(0, 0), size);
    const QRect piece = part.isEmpty() ? whole : part.intersected(whole);
    if (piece.isEmpty()) return {};
    if (image.format() == QImage::Format_BGR888 && size.width() <= image.width() && size.height() <= image.height() &&
        image.width() <= 32767 && image.height() <= 32767)
        return areaAverage24(image, size.width(), size.height(), piece);
    QImage all = image.size() == size ? image : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return piece == whole ? all : all.copy(piece);
}

}  // namespace vis
