// SPDX-License-Identifier: GPL-3.0-or-later
// The portal's PNG reader against Qt's own decoder: pictures libpng wrote
// with its choice of row filters come out identical, and anything else is
// left to the general decoder.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include "desktop/png_reader.h"

namespace vis {
namespace {

QByteArray pngOf(const QImage& image, int quality = -1) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG", quality);
    return bytes;
}

QImage decoded(const QByteArray& bytes) {
    return decodeRgbPng(reinterpret_cast<const uchar*>(bytes.constData()), bytes.size());
}

TEST(PngReader, RgbPicturesDecodeAsQtDecodesThem) {
    // Noise, flat runs and gradients, so that libpng picks every filter kind.
    QImage shot(301, 97, QImage::Format_RGB32);
    std::uint32_t seed = 12345;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = static_cast<int>(seed >> 24);
            shot.setPixel(x, y, y < 30 ? qRgb(noise, x & 255, y * 2) : y < 60 ? qRgb(200, 10, 10) : qRgb(x, y, x ^ y));
        }
    for (const QImage& picture : {shot, shot.copy(0, 0, 1, 40), shot.copy(5, 5, 64, 1)})
        for (int quality : {0, 50, 100}) {
            const QByteArray bytes = pngOf(picture, quality);
            const QImage ours = decoded(bytes);
            ASSERT_EQ(ours.format(), QImage::Format_BGR888) << picture.width() << "x" << picture.height();
            EXPECT_EQ(ours, QImage::fromData(bytes).convertToFormat(QImage::Format_BGR888));
        }
}

TEST(PngReader, OtherKindsAndDamagedFilesAreLeftToTheGeneralDecoder) {
    QImage rgb(40, 30, QImage::Format_RGB32);
    rgb.fill(qRgb(10, 200, 30));
    QImage withAlpha(40, 30, QImage::Format_ARGB32);
    withAlpha.fill(qRgba(10, 200, 30, 128));
    EXPECT_TRUE(decoded(pngOf(withAlpha)).isNull());
    EXPECT_TRUE(decoded(pngOf(rgb.convertToFormat(QImage::Format_Grayscale8))).isNull());
    EXPECT_TRUE(decoded(pngOf(rgb.convertToFormat(QImage::Format_Indexed8))).isNull());

    const QByteArray good = pngOf(rgb);
    ASSERT_FALSE(decoded(good).isNull());
    for (qsizetype cut : {qsizetype{0}, qsizetype{20}, good.size() / 2, good.size() - 13})
        EXPECT_TRUE(decoded(good.left(cut)).isNull()) << cut;
    QByteArray garbled = good;
    garbled[garbled.size() / 2] = static_cast<char>(garbled[garbled.size() / 2] ^ 0x5a);
    // zlib's checksum catches what the chunk layout does not.
    EXPECT_TRUE(decoded(garbled).isNull());
}

}  // namespace
}  // namespace vis
