#include "desktop/qt_image.h"

#include <QImage>
#include <QPainter>
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
// source pixel falls in at most two target pixels. Rows alike.
QImage areaAverage24(const QImage& src, int tw, int th) {
    const int sw = src.width();
    const int sh = src.height();
    QImage out(tw, th, QImage::Format_RGB32);
    if (out.isNull()) return out;
    struct Split {
        int t;
        std::uint32_t w0, w1;
    };
    std::vector<Split> cols(static_cast<std::size_t>(sw));
    for (int sx = 0; sx < sw; ++sx) {
        const long long a = static_cast<long long>(sx) * tw;
        const long long b = a + tw;
        const int t = static_cast<int>(a / sw);
        const long long edge = static_cast<long long>(t + 1) * sw;
        cols[static_cast<std::size_t>(sx)] = b <= edge ? Split{t, static_cast<std::uint32_t>(tw), 0}
                                                       : Split{t, static_cast<std::uint32_t>(edge - a),
                                                               static_cast<std::uint32_t>(b - edge)};
    }
    const std::size_t n = static_cast<std::size_t>(tw) * 3;
    // One spare slot: a last column's zero share lands there, with no test.
    std::vector<std::uint32_t> hacc(n + 3);
    std::vector<std::uint64_t> vacc(n, 0);
    const std::uint64_t den = static_cast<std::uint64_t>(sw) * static_cast<std::uint64_t>(sh);
    int t = 0;
    for (int sy = 0; sy < sh; ++sy) {
        std::fill(hacc.begin(), hacc.end(), 0u);
        const uchar* p = src.constScanLine(sy);
        for (const Split& s : cols) {
            std::uint32_t* h = hacc.data() + static_cast<std::size_t>(s.t) * 3;
            h[0] += p[0] * s.w0;
            h[1] += p[1] * s.w0;
            h[2] += p[2] * s.w0;
            h[3] += p[0] * s.w1;
            h[4] += p[1] * s.w1;
            h[5] += p[2] * s.w1;
            p += 3;
        }
        const long long a = static_cast<long long>(sy) * th;
        const long long b = a + th;
        const long long edge = static_cast<long long>(t + 1) * sh;
        const std::uint64_t w0 = static_cast<std::uint64_t>(b <= edge ? th : edge - a);
        for (std::size_t i = 0; i < n; ++i) vacc[i] += static_cast<std::uint64_t>(hacc[i]) * w0;
        if (b < edge) continue;
        auto* line = reinterpret_cast<std::uint32_t*>(out.scanLine(t));
        for (int x = 0; x < tw; ++x) {
            const std::uint64_t* c = vacc.data() + static_cast<std::size_t>(x) * 3;
            const auto ch = [&](int i) { return static_cast<std::uint32_t>((c[i] + den / 2) / den); };
            line[x] = 0xFF000000u | (ch(2) << 16) | (ch(1) << 8) | ch(0);
        }
        ++t;
        const std::uint64_t w1 = static_cast<std::uint64_t>(b - edge);
        for (std::size_t i = 0; i < n; ++i) vacc[i] = static_cast<std::uint64_t>(hacc[i]) * w1;
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

QImage scaledImage(const QImage& image, QSize size) {
    if (image.isNull() || size.isEmpty()) return {};
    if (image.size() == size) return image;
    if (image.format() == QImage::Format_BGR888 && size.width() <= image.width() &&
        size.height() <= image.height() && image.width() <= 32767 && image.height() <= 32767)
        return areaAverage24(image, size.width(), size.height());
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace vis
