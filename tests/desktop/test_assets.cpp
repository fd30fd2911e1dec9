// SPDX-License-Identifier: GPL-3.0-or-later
// The data files the build draws into the program's folder: the toolbar reads
// them by these exact names, so a missing, mis-sized or blank picture is a
// broken toolbar.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QSet>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace vis {
namespace {

constexpr int kW = 27, kH = 28;

constexpr std::array<const char*, 17> kButtons{"camera",  "toutecran", "camerafen", "copy", "save",     "saveall",
                                               "printer", "delete",    "waste",     "undo", "moverbox", "moverboxtim",
                                               "close",   "wrench",    "agrandir",  "film", "report"};

QString programDir() {
    const char* d = std::getenv("VIS_PROGRAM_DIR");
    return d ? QString::fromLocal8Bit(d) : QString();
}

QByteArray readAll(const QString& name) {
    QFile f(QDir(programDir()).filePath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::uint32_t le(const QByteArray& b, int at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(b[at + i]);
    return v;
}

QImage load(const QString& name) {
    return QImage(QDir(programDir()).filePath(name)).convertToFormat(QImage::Format_ARGB32);
}

// Pixels whose colours are clearly apart (more than a rounding difference).
int differingPixels(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q)) > 24) ++n;
        }
    return n;
}

double meanLuminance(const QImage& img) {
    double sum = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) sum += qGray(img.pixel(x, y));
    return sum / (img.width() * img.height());
}

struct Named {
    QString name;
    QImage image;
};

class DataFiles : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(programDir().isEmpty()) << "VIS_PROGRAM_DIR names the program's folder"; }

    // The 34 toolbar files in list order (normal ones, then highlighted ones), then the tile.
    static std::vector<QString> toolbarFiles() {
        std::vector<QString> names;
        for (const char* b : kButtons) names.push_back(QString("%1.bmp").arg(b));
        for (const char* b : kButtons) names.push_back(QString("%1c.bmp").arg(b));
        names.push_back("toutbleu.bmp");
        return names;
    }
};

TEST_F(DataFiles, ToolbarBitmapsAreBottomUp24BitFilesOfTheButtonSize) {
    const auto names = toolbarFiles();
    ASSERT_EQ(names.size(), 35u);
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray b = readAll(name);
        ASSERT_GE(b.size(), 54);
        EXPECT_EQ(b.left(2), QByteArray("BM"));
        EXPECT_EQ(le(b, 2, 4), static_cast<std::uint32_t>(b.size()));
        EXPECT_EQ(le(b, 18, 4), static_cast<std::uint32_t>(kW));
        EXPECT_EQ(le(b, 22, 4), static_cast<std::uint32_t>(kH));  // positive: rows bottom-up
        EXPECT_EQ(le(b, 28, 2), 24u);
        EXPECT_EQ(le(b, 30, 4), 0u);  // uncompressed
        EXPECT_EQ(b.size(), 54 + kH * ((kW * 3 + 3) / 4 * 4));
        const QImage img = load(name);
        ASSERT_FALSE(img.isNull());
        EXPECT_EQ(img.size(), QSize(kW, kH));
    }
}

TEST_F(DataFiles, FillerTileIsAPlainBlueTheButtonsShareAtTheirCorners) {
    const QImage tile = load("toutbleu.bmp");
    ASSERT_EQ(tile.size(), QSize(kW, kH));
    int minBlue = 255, maxBlue = 0;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            const QRgb c = tile.pixel(x, y);
            EXPECT_EQ(c, tile.pixel(0, y)) << "row " << y << " is not one colour";
            EXPECT_GE(qBlue(c), qRed(c) + 80);
            EXPECT_GE(qBlue(c), qGreen(c) + 40);
            minBlue = std::min(minBlue, qBlue(c));
            maxBlue = std::max(maxBlue, qBlue(c));
        }
    }
    EXPECT_LE(maxBlue - minBlue, 60) << "a gentle shade, not a pattern";
    // The strip runs on from the last button into the tiles without a seam.
    for (const char* b : kButtons) {
        const QImage img = load(QString("%1.bmp").arg(b));
        for (const QPoint corner : {QPoint(0, 0), QPoint(kW - 1, 0), QPoint(0, kH - 1), QPoint(kW - 1, kH - 1)})
            EXPECT_EQ(img.pixel(corner), tile.pixel(corner)) << b << " at " << corner.x() << "," << corner.y();
    }
}

TEST_F(DataFiles, EachButtonHasADrawingAndABrighterFramedHighlight) {
    const QImage tile = load("toutbleu.bmp");
    for (const char* b : kButtons) {
        SCOPED_TRACE(b);
        const QImage normal = load(QString("%1.bmp").arg(b));
        const QImage lit = load(QString("%1c.bmp").arg(b));
        ASSERT_EQ(lit.size(), normal.size());
        EXPECT_GE(differingPixels(normal, tile), kW * kH / 5) << "hardly anything drawn";
        EXPECT_GE(differingPixels(normal, lit), 2 * (kW + kH)) << "the highlight must show";
        EXPECT_GT(meanLuminance(lit), meanLuminance(normal) + 15);
        // The highlight frame: the border of the lit picture is lighter than the blue all round.
        for (const QPoint at : {QPoint(kW / 2, 0), QPoint(kW / 2, kH - 1), QPoint(0, kH / 2), QPoint(kW - 1, kH / 2)})
            EXPECT_GT(qGray(lit.pixel(at)), qGray(normal.pixel(at)) + 60) << at.x() << "," << at.y();
    }
}

TEST_F(DataFiles, NoTwoToolbarPicturesAlike) {
    std::vector<Named> all;
    for (const QString& name : toolbarFiles()) all.push_back({name, load(name)});
    for (std::size_t i = 0; i < all.size(); ++i)
        for (std::size_t j = i + 1; j < all.size(); ++j)
            EXPECT_GE(differingPixels(all[i].image, all[j].image), 40)
                << all[i].name.toStdString() << " and " << all[j].name.toStdString() << " look the same";
}

TEST_F(DataFiles, SavedMarkerIsASixteenColourFloppyOf16By15) {
    const QImage img = load("floppy.bmp");
    ASSERT_EQ(img.size(), QSize(16, 15));
    const QSet<QRgb> palette{qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
                             qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
                             qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
                             qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
    QSet<QRgb> used;
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 16; ++x) {
            const QRgb c = img.pixel(x, y) | 0xFF000000u;
            EXPECT_TRUE(palette.contains(c)) << x << "," << y;
            used.insert(c);
        }
    EXPECT_GE(used.size(), 4);
}

TEST_F(DataFiles, CursorIsACrossCentredOnItsHotSpot) {
    const QImage img = load("cursor.png");
    ASSERT_EQ(img.size(), QSize(32, 32));
    ASSERT_TRUE(img.hasAlphaChannel());
    const int hx = 15, hy = 14;
    EXPECT_EQ(qAlpha(img.pixel(hx, hy)), 255) << "the hot spot itself is drawn";
    for (int d : {4, 8, 12}) {  // the four arms, on the hot spot's row and column
        EXPECT_EQ(qAlpha(img.pixel(hx + d, hy)), 255);
        EXPECT_EQ(qAlpha(img.pixel(hx - d, hy)), 255);
        EXPECT_EQ(qAlpha(img.pixel(hx, hy + d)), 255);
        EXPECT_EQ(qAlpha(img.pixel(hx, hy - d)), 255);
    }
    for (const QPoint off : {QPoint(0, 0), QPoint(31, 31), QPoint(hx + 6, hy + 6), QPoint(hx - 6, hy - 6)})
        EXPECT_EQ(qAlpha(img.pixel(off)), 0) << off.x() << "," << off.y();
}

TEST_F(DataFiles, WindowIconsFlashPictureAndLogo) {
    const QImage icon = load("vistrelle.png");
    EXPECT_EQ(icon.size(), QSize(48, 48));
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << "rounded corners show what is behind";
    EXPECT_EQ(qAlpha(icon.pixel(24, 24)), 255);
    EXPECT_EQ(load("collection.png").size(), QSize(32, 32));
    EXPECT_EQ(load("camflash.bmp").size(), QSize(120, 90));
    EXPECT_FALSE(load("logo.png").isNull());

    if (!QImageReader::supportedImageFormats().contains("ico")) GTEST_SKIP() << "no icon reader in this Qt";
    QImageReader ico(QDir(programDir()).filePath("vistrelle.ico"), "ico");
    EXPECT_EQ(ico.imageCount(), 3);
    const QImage first = ico.read().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(first.size(), QSize(48, 48));
    EXPECT_EQ(first, icon) << "the icon file holds the same drawing";
    QImageReader small(QDir(programDir()).filePath("collection.ico"), "ico");
    EXPECT_EQ(small.imageCount(), 2);
}

TEST_F(DataFiles, ShutterSoundIsAShortMonoPcmWave) {
    const QByteArray b = readAll("camera.wav");
    ASSERT_GE(b.size(), 44);
    EXPECT_EQ(b.left(4), QByteArray("RIFF"));
    EXPECT_EQ(le(b, 4, 4), static_cast<std::uint32_t>(b.size() - 8));
    EXPECT_EQ(b.mid(8, 8), QByteArray("WAVEfmt "));
    EXPECT_EQ(le(b, 16, 4), 16u);
    EXPECT_EQ(le(b, 20, 2), 1u);  // PCM
    EXPECT_EQ(le(b, 22, 2), 1u);  // mono
    const std::uint32_t rate = le(b, 24, 4);
    EXPECT_EQ(rate, 22050u);
    EXPECT_EQ(le(b, 28, 4), rate * 2);
    EXPECT_EQ(le(b, 32, 2), 2u);
    EXPECT_EQ(le(b, 34, 2), 16u);
    EXPECT_EQ(b.mid(36, 4), QByteArray("data"));
    const std::uint32_t bytes = le(b, 40, 4);
    ASSERT_EQ(bytes, static_cast<std::uint32_t>(b.size() - 44));
    ASSERT_EQ(bytes % 2, 0u);

    std::vector<int> s(bytes / 2);
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<std::int16_t>(le(b, 44 + 2 * static_cast<int>(i), 2));
    const double seconds = static_cast<double>(s.size()) / rate;
    EXPECT_GE(seconds, 0.1);
    EXPECT_LE(seconds, 1.0);
    int peak = 0;
    for (int v : s) peak = std::max(peak, std::abs(v));
    EXPECT_GE(peak, 16000) << "audible";
    EXPECT_LT(peak, 32767) << "not clipped";
    EXPECT_LE(std::abs(s.back()), 100) << "ends without a click";
    auto rms = [&](std::size_t from, std::size_t to) {
        double sum = 0;
        for (std::size_t i = from; i < to; ++i) sum += static_cast<double>(s[i]) * s[i];
        return std::sqrt(sum / static_cast<double>(to - from));
    };
    const std::size_t tenth = s.size() / 10;
    EXPECT_GT(rms(0, tenth), 10 * rms(s.size() - tenth, s.size())) << "a snap that dies away, not a tone";
}

}  // namespace
}  // namespace vis
