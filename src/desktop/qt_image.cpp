#include "desktop/qt_image.h"

#include <QImage>
#include <QPainter>
#include <cstring>
#include <memory>

namespace vis {

namespace {
void releaseBitmap(void* info) { delete static_cast<Bitmap*>(info); }
}  // namespace

QImage imageOf(const Bitmap& b, bool withAlpha) {
    if (b.isNull()) return {};
    auto* keep = new Bitmap(b);
    return QImage(reinterpret_cast<const uchar*>(keep->data()), keep->width(), keep->height(),
                  static_cast<qsizetype>(keep->width()) * 4, withAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32,
                  releaseBitmap, keep);
}

Bitmap bitmapOf(const QImage& image) {
    if (image.isNull()) return {};
    QImage rgb = image;
    if (rgb.format() != QImage::Format_RGB32) {
        if (rgb.hasAlphaChannel()) {
            // Transparent parts over black, as a picture box would show them.
            QImage opaque(rgb.size(), QImage::Format_RGB32);
            opaque.fill(Qt::black);
            QPainter p(&opaque);
            p.drawImage(0, 0, rgb);
            p.end();
            rgb = opaque;
        } else {
            rgb = rgb.convertToFormat(QImage::Format_RGB32);
        }
    }
    const int w = rgb.width();
    const int h = rgb.height();
    const std::size_t rowBytes = static_cast<std::size_t>(w) * 4;
    if (static_cast<std::size_t>(rgb.bytesPerLine()) == rowBytes) {
        // The picture's own pixels, shared: a grab read back from the
        // clipboard is the same memory as the clipboard's picture.
        auto keep = std::make_shared<const QImage>(std::move(rgb));
        const auto* px = reinterpret_cast<const std::uint32_t*>(keep->constBits());
        return Bitmap(w, h, px, std::move(keep));
    }
    std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y)
        std::memcpy(px.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w), rgb.constScanLine(y),
                    rowBytes);
    return Bitmap(w, h, std::move(px));
}

}  // namespace vis
