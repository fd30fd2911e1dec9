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

// Area average of a 24-bit picture straight into 32 bits, one source row at
// a time: no full-size 32-bit copy of a large capture ever exists. Source
// column sx covers [sx*tw, (sx+1)*tw) in units where target column t covers
// [t*sw, (t+1)*sw); a target pixel is no smaller than a source pixel, so each
// source pixel falls in at most two target pixels. Rows alike. Only `part`
// of the target is made, from the source pixels under it.
QImage areaAverage24(const QImage& src, int tw, int th, const QRect& part) {
    const long long sw = src.width();
    const long long sh = src.height();
    QImage out(part.size(), QImage::Format_RGB32);
    if (out.isNull()) return out;
    const int tx0 = part.left(), ty0 = part.top();
    const int ncols = part.width();
    const int sx0 = static_cast<int>(tx0 * sw / tw);
    const int sx1 = static_cast<int>(((tx0 + ncols) * sw + tw - 1) / tw);
    const int sy0 = static_cast<int>(ty0 * sh / th);
    const int sy1 = static_cast<int>(((ty0 + part.height()) * sh + th - 1) / th);
    // Overlap of source pixel s with target pixel t, in the units above.
    const auto overlap = [](long long s, long long t, long long sLen, long long tLen) {
        const long long lo = std::max(s * sLen, t * tLen);
        const long long hi = std::min((s + 1) * sLen, (t + 1) * tLen);
        return static_cast<std::uint32_t>(hi > lo ? hi - lo : 0);
    };
    struct Split {
        std::size_t at;  // accumulator of target column t, one slot to spare on each side
        std::uint32_t w0, w1;
    };
    std::vector<Split> cols;
    cols.reserve(static_cast<std::size_t>(sx1 - sx0));
    for (int sx = sx0; sx < sx1; ++sx) {
        const long long t = sx * static_cast<long long>(tw) / sw;
        const long long rel = std::clamp<long long>(t - tx0 + 1, 0, ncols + 1);
        cols.push_back({static_cast<std::size_t>(rel) * 3, overlap(sx, t, tw, sw), overlap(sx, t + 1, tw, sw)});
    }
    const std::size_t n = static_cast<std::size_t>(ncols) * 3;
    std::vector<std::uint32_t> hacc(n + 9);
    std::vector<std::uint64_t> vacc(n, 0);
    const std::uint64_t den = static_cast<std::uint64_t>(sw) * static_cast<std::uint64_t>(sh);
    int t = ty0;
    for (int sy = sy0; sy < sy1 && t < ty0 + part.height(); ++sy) {
        std::fill(hacc.begin(), hacc.end(), 0u);
        const uchar* p = src.constScanLine(sy) + static_cast<std::size_t>(sx0) * 3;
        for (const Split& c : cols) {
            std::uint32_t* h = hacc.data() + c.at;
            h[0] += p[0] * c.w0;
            h[1] += p[1] * c.w0;
            h[2] += p[2] * c.w0;
            h[3] += p[0] * c.w1;
            h[4] += p[1] * c.w1;
            h[5] += p[2] * c.w1;
            p += 3;
        }
        const std::uint32_t* h = hacc.data() + 3;  // target column tx0
        const std::uint64_t w0 = overlap(sy, t, th, sh);
        for (std::size_t i = 0; i < n; ++i) vacc[i] += static_cast<std::uint64_t>(h[i]) * w0;
        if ((sy + 1) * static_cast<long long>(th) < (t + 1) * sh) continue;
        auto* line = reinterpret_cast<std::uint32_t*>(out.scanLine(t - ty0));
        for (int x = 0; x < ncols; ++x) {
            const std::uint64_t* c = vacc.data() + static_cast<std::size_t>(x) * 3;
            const auto ch = [&](int i) { return static_cast<std::uint32_t>((c[i] + den / 2) / den); };
            line[x] = 0xFF000000u | (ch(2) << 16) | (ch(1) << 8) | ch(0);
        }
        ++t;
        const std::uint64_t w1 = overlap(sy, t, th, sh);
        for (std::size_t i = 0; i < n; ++i) vacc[i] = static_cast<std::uint64_t>(h[i]) * w1;
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
    if (image.format() == QImage::Format_BGR888 && size.width() <= image.width() &&
        size.height() <= image.height() && image.width() <= 32767 && image.height() <= 32767)
        return areaAverage24(image, size.width(), size.height(), piece);
    QImage all = image.size() == size ? image : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return piece == whole ? all : all.copy(piece);
}

}  // namespace vis
