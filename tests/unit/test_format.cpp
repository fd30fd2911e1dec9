#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vis
