// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "platform/bitmap.h"
#include "platform/format.h"
#include "support/sim_platform.h"

namespace vis {
namespace {

TEST(NumberText, LeadingBlankForNonNegativeAndFractionOnlyWhenPresent) {
    EXPECT_EQ(numberText(9600), " 9600");
    EXPECT_EQ(numberText(0), " 0");
    EXPECT_EQ(numberText(-5), "-5");
    EXPECT_EQ(numberText(2.5), " 2.5");
    EXPECT_EQ(twoDigits(3), "03");
    EXPECT_EQ(twoDigits(100), "100");
}

TEST(Utf8Text, CountsCutsAndPadsByCharacter) {
    const std::string s = "écran";  // 5 letters, 6 bytes
    EXPECT_EQ(charCount(s), 5u);
    EXPECT_EQ(leftChars(s, 2), "éc");
    EXPECT_EQ(midChars(s, 1, 3), "cra");
    EXPECT_EQ(padRight(s, 7), "écran  ");
    EXPECT_EQ(padRight(s, 1), "é");
}

TEST(BitmapOps, CropKeepsSourcePixelsAndBlackOutside) {
    const Bitmap screen = sim::syntheticScreen(300, 200);
    const Bitmap c = screen.cropped(290, 195, 20, 10);
    ASSERT_EQ(c.width(), 20);
    ASSERT_EQ(c.height(), 10);
    EXPECT_EQ(c.pixel(0, 0), sim::screenPixel(290, 195));
    EXPECT_EQ(c.pixel(9, 4), sim::screenPixel(299, 199));
    EXPECT_EQ(c.pixel(10, 0), kBlack);  // right of the screen
    EXPECT_EQ(c.pixel(0, 5), kBlack);   // below it
    EXPECT_TRUE(screen.cropped(0, 0, 0, 10).isNull());
}

TEST(BitmapOps, ScaledAveragesBlocks) {
    std::vector<std::uint32_t> px = {rgb(0, 0, 0), rgb(200, 100, 50), rgb(100, 50, 250), rgb(100, 50, 100)};
    const Bitmap b(2, 2, px);
    const Bitmap s = b.scaled(1, 1);
    EXPECT_EQ(s.pixel(0, 0), rgb(100, 50, 100));
    const Bitmap big = b.scaled(4, 4);
    EXPECT_EQ(big.pixel(3, 3), rgb(100, 50, 100));
    EXPECT_EQ(big.pixel(1, 1), rgb(0, 0, 0));
}

void expectSamePixels(const Bitmap& got, const Bitmap& want, const char* what) {
    ASSERT_EQ(got.width(), want.width()) << what;
    ASSERT_EQ(got.height(), want.height()) << what;
    for (int y = 0; y < want.height(); ++y)
        for (int x = 0; x < want.width(); ++x)
            ASSERT_EQ(got.pixel(x, y), want.pixel(x, y)) << what << " at " << x << "," << y;
}

TEST(BitmapOps, BothFormsReadCropAndScaleAlike) {
    // Odd width, rows 5 bytes longer than the pixels, padding not black.
    constexpr int w = 7, h = 5;
    constexpr std::size_t stride = w * 3 + 5;
    auto rows = std::make_shared<std::vector<std::uint8_t>>(stride * h, 0xAB);
    std::vector<std::uint32_t> words;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t c = rgb(x * 37 + y, y * 51 + x * 3, x * y * 9);
            words.push_back(c);
            std::uint8_t* p = rows->data() + y * stride + x * 3;
            p[0] = static_cast<std::uint8_t>(blueOf(c));
            p[1] = static_cast<std::uint8_t>(greenOf(c));
            p[2] = static_cast<std::uint8_t>(redOf(c));
        }
    const Bitmap b32(w, h, words);
    const Bitmap b24 = Bitmap::fromBgr24(w, h, rows->data(), stride, rows);
    ASSERT_TRUE(b24.isBgr24());
    expectSamePixels(b24, b32, "whole");

    // Large and inside (shares the rows), small, across each edge.
    for (const auto& r : std::vector<std::array<int, 4>>{
             {0, 1, 7, 4}, {1, 0, 5, 5}, {2, 1, 3, 2}, {-2, 3, 5, 4}, {5, -1, 4, 3}, {6, 4, 3, 3}}) {
        const Bitmap c24 = b24.cropped(r[0], r[1], r[2], r[3]);
        EXPECT_TRUE(c24.isBgr24());
        expectSamePixels(c24, b32.cropped(r[0], r[1], r[2], r[3]), "crop");
        // A crop of a crop, the parent's rows possibly shared twice over.
        expectSamePixels(c24.cropped(1, 1, 2, 2), b32.cropped(r[0], r[1], r[2], r[3]).cropped(1, 1, 2, 2), "crop²");
    }
    EXPECT_EQ(b24.cropped(1, 0, 5, 5).row24(0), b24.row24(0) + 3) << "no copy of a large part";

    expectSamePixels(b24.scaled(3, 2), b32.scaled(3, 2), "reduced");
    expectSamePixels(b24.scaled(11, 9), b32.scaled(11, 9), "enlarged");
}

}  // namespace
}  // namespace vis
