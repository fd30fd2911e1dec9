// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <set>

#include "output/bmp_codec.h"
#include "output/dib_section.h"
#include "platform/bitmap.h"
#include "support/files.h"
#include "support/sim_platform.h"

namespace vis {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

using testing_files::readAll;
using testing_files::TempFolder;
using testing_files::writeAll;

void put(Bytes& b, std::size_t at, std::uint32_t v, int n = 4) {
    for (int i = 0; i < n; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(v >> (8 * i));
}

// A bitmap file made by hand, the way other programs write them.
struct HandMade {
    std::uint32_t headerSize = 40;
    std::int32_t width = 0, height = 0;
    std::uint16_t bitsPerPixel = 24;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    std::vector<std::uint32_t> masks;  // after a 40-byte header, inside a longer one
    Bytes palette;                     // entries as stored
    Bytes pixels;                      // rows as stored

    Bytes build() const {
        Bytes f(14 + headerSize, 0);
        f[0] = 'B';
        f[1] = 'M';
        put(f, 14, headerSize);
        if (headerSize == 12) {
            put(f, 18, static_cast<std::uint32_t>(width), 2);
            put(f, 20, static_cast<std::uint32_t>(height), 2);
            put(f, 22, 1, 2);
            put(f, 24, bitsPerPixel, 2);
        } else {
            put(f, 18, static_cast<std::uint32_t>(width));
            put(f, 22, static_cast<std::uint32_t>(height));
            put(f, 26, 1, 2);
            put(f, 28, bitsPerPixel, 2);
            put(f, 30, compression);
            put(f, 46, coloursUsed);
            if (headerSize == 40) f.resize(f.size() + 4 * masks.size());
            for (std::size_t i = 0; i < masks.size(); ++i) put(f, 54 + 4 * i, masks[i]);
        }
        f.insert(f.end(), palette.begin(), palette.end());
        put(f, 10, static_cast<std::uint32_t>(f.size()));
        f.insert(f.end(), pixels.begin(), pixels.end());
        put(f, 2, static_cast<std::uint32_t>(f.size()));
        return f;
    }
};

Bitmap noisePicture(int w, int h, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h);
    for (auto& p : px) p = 0xFF000000u | (rng() & 0xFFFFFFu);
    return Bitmap(w, h, std::move(px));
}

void expectSamePixels(const std::optional<Bitmap>& got, const Bitmap& want) {
    ASSERT_TRUE(got.has_value());
    ASSERT_EQ(got->width(), want.width());
    ASSERT_EQ(got->height(), want.height());
    for (int y = 0; y < want.height(); ++y)
        for (int x = 0; x < want.width(); ++x) ASSERT_EQ(got->pixel(x, y), want.pixel(x, y)) << x << "," << y;
}

TEST(BmpEncode, TwoByTwoFileIsExactly) {
    const Bitmap pic(2, 2, {rgb(1, 2, 3), rgb(4, 5, 6), rgb(7, 8, 9), rgb(10, 11, 12)});
    // clang-format off
    const Bytes expected = {
        'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header: size 70, pixels at 54
        40, 0, 0, 0,                                     // header size
        2, 0, 0, 0, 2, 0, 0, 0,                          // width, height (positive: bottom-up)
        1, 0, 24, 0,                                     // planes, bits per pixel
        0, 0, 0, 0, 16, 0, 0, 0,                         // no compression, image size
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // resolution and colour counts
        9, 8, 7, 12, 11, 10, 0, 0,                       // bottom row, blue-green-red, 2 pad bytes
        3, 2, 1, 6, 5, 4, 0, 0,                          // top row
    };
    // clang-format on
    EXPECT_EQ(encodeBmp(pic), expected);
    EXPECT_TRUE(encodeBmp(Bitmap{}).empty());
}

TEST(BmpCodec, RoundTripIsExactToThePixel) {
    unsigned seed = 1;
    for (int w : {1, 3, 5})
        for (int h : {1, 2, 3}) {
            const Bitmap pic = noisePicture(w, h, seed++);
            const Bytes file = encodeBmp(pic);
            EXPECT_EQ(file.size(), 54u + ((static_cast<std::size_t>(w) * 3 + 3) & ~std::size_t{3}) * h);
            SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
            expectSamePixels(decodeBmp(file), pic);
        }

    TempFolder dir;
    const Bitmap screen = sim::syntheticScreen(641, 479);
    ASSERT_TRUE(writeBmp(screen, dir.file("ecran.bmp")));
    EXPECT_EQ(fs::file_size(dir.path() / "ecran.bmp"), 54u + 1924u * 479u);
    expectSamePixels(readBmp(dir.file("ecran.bmp")), screen);
    EXPECT_EQ(dir.names(), std::set<std::string>{"ecran.bmp"});
}

TEST(BmpEncode, BothFormsGiveTheSameFileAndJpegInput) {
    // 24-bit rows of an odd width, and a part sharing a wider picture's rows.
    for (const Bitmap& pic24 : {sim::syntheticScreen(7, 5), sim::syntheticScreen(13, 6).cropped(3, 1, 9, 5)}) {
        ASSERT_TRUE(pic24.isBgr24());
        const Bitmap pic32 = sim::thirtyTwoBits(pic24);
        EXPECT_EQ(encodeBmp(pic24), encodeBmp(pic32));
        aDIBSection d24, d32;
        ASSERT_TRUE(d24.CreateFromPicture(pic24));
        ASSERT_TRUE(d32.CreateFromPicture(pic32));
        const std::size_t n = static_cast<std::size_t>(d32.BytesPerScanLine()) * static_cast<std::size_t>(d32.Height());
        EXPECT_TRUE(std::equal(d24.DIBSectionBitsPtr(), d24.DIBSectionBitsPtr() + n, d32.DIBSectionBitsPtr()));
    }
}

TEST(BmpDecode, ReadsTopDownAndThirtyTwoBits) {
    // 3 x 2, 32 bits, top-down: the first stored row is the top one. The
    // fourth byte (unused or alpha) does not matter.
    HandMade top;
    top.width = 3;
    top.height = -2;
    top.bitsPerPixel = 32;
    top.pixels = {3,  2,  1,  0, 6,  5,  4,  9, 9,  8,  7,  255,  //
                  12, 11, 10, 0, 15, 14, 13, 0, 18, 17, 16, 0};
    expectSamePixels(
        decodeBmp(top.build()),
        Bitmap(3, 2, {rgb(1, 2, 3), rgb(4, 5, 6), rgb(7, 8, 9), rgb(10, 11, 12), rgb(13, 14, 15), rgb(16, 17, 18)}));

    HandMade top24 = top;
    top24.bitsPerPixel = 24;
    top24.pixels = {3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0, 12, 11, 10, 15, 14, 13, 18, 17, 16, 0, 0, 0};
    expectSamePixels(
        decodeBmp(top24.build()),
        Bitmap(3, 2, {rgb(1, 2, 3), rgb(4, 5, 6), rgb(7, 8, 9), rgb(10, 11, 12), rgb(13, 14, 15), rgb(16, 17, 18)}));
}

TEST(BmpDecode, ReadsPalettedPictures) {
    const Bytes palette = {0, 0, 0, 0, 255, 255, 255, 0, 30, 20, 10, 0};  // black, white, rgb(10, 20, 30)
    const std::uint32_t k = rgb(0, 0, 0), w = rgb(255, 255, 255), c = rgb(10, 20, 30);

    // 8 bits, 3 colours used; index 7 lies past the palette and reads black.
    HandMade p8;
    p8.width = 3;
    p8.height = 2;
    p8.bitsPerPixel = 8;
    p8.coloursUsed = 3;
    p8.palette = palette;
    p8.pixels = {2, 1, 7, 0, /* top: */ 1, 2, 0, 0};
    expectSamePixels(decodeBmp(p8.build()), Bitmap(3, 2, {w, c, k, c, w, k}));

    // 4 bits: two pixels a byte, high nibble first; full 16-entry palette.
    HandMade p4 = p8;
    p4.bitsPerPixel = 4;
    p4.coloursUsed = 0;
    p4.palette.resize(64, 0);
    p4.pixels = {0x21, 0x00, 0, 0, 0x12, 0x10, 0, 0};
    expectSamePixels(decodeBmp(p4.build()), Bitmap(3, 2, {w, c, w, c, w, k}));

    // 1 bit, 10 pixels wide: the row spills into a second byte.
    HandMade p1;
    p1.width = 10;
    p1.height = 1;
    p1.bitsPerPixel = 1;
    p1.palette = {30, 20, 10, 0, 255, 255, 255, 0};
    p1.pixels = {0xA5, 0x80, 0, 0};
    expectSamePixels(decodeBmp(p1.build()), Bitmap(10, 1, {w, c, w, c, c, w, c, w, w, c}));

    // The old 12-byte header: 16-bit sizes and 3-byte palette entries.
    HandMade core;
    core.headerSize = 12;
    core.width = 2;
    core.height = 1;
    core.bitsPerPixel = 8;
    core.palette.assign(256 * 3, 0);
    core.palette[3 * 5] = 30, core.palette[3 * 5 + 1] = 20, core.palette[3 * 5 + 2] = 10;
    core.pixels = {5, 0, 0, 0};
    expectSamePixels(decodeBmp(core.build()), Bitmap(2, 1, {c, k}));
}

TEST(BmpDecode, ReadsSixteenBitsAndColourMasks) {
    // 16 bits without masks: 5-5-5.
    HandMade p555;
    p555.width = 2;
    p555.height = 1;
    p555.bitsPerPixel = 16;
    p555.pixels = {0xFF, 0x7F, 0x10, 0x42};  // 0x7FFF white; 0x4210 = 16, 16, 16
    expectSamePixels(decodeBmp(p555.build()), Bitmap(2, 1, {rgb(255, 255, 255), rgb(132, 132, 132)}));

    // 5-6-5 masks inside a 124-byte header.
    HandMade p565;
    p565.headerSize = 124;
    p565.width = 4;
    p565.height = 1;
    p565.bitsPerPixel = 16;
    p565.compression = 3;
    p565.masks = {0xF800, 0x07E0, 0x001F};
    p565.pixels = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x10, 0x84};
    expectSamePixels(decodeBmp(p565.build()),
                     Bitmap(4, 1, {rgb(255, 0, 0), rgb(0, 255, 0), rgb(0, 0, 255), rgb(132, 130, 132)}));

    // 32 bits, red in the low byte: masks after a 40-byte header.
    HandMade rgba;
    rgba.width = 1;
    rgba.height = 1;
    rgba.bitsPerPixel = 32;
    rgba.compression = 3;
    rgba.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
    rgba.pixels = {0x11, 0x22, 0x33, 0x44};
    expectSamePixels(decodeBmp(rgba.build()), Bitmap(1, 1, {rgb(0x11, 0x22, 0x33)}));
}

TEST(BmpDecode, RejectsEveryTruncation) {
    const Bytes file = encodeBmp(noisePicture(3, 3, 5));
    ASSERT_EQ(file.size(), 54u + 36u);
    for (std::size_t n = 0; n < file.size(); ++n)
        EXPECT_FALSE(decodeBmp(std::span(file.data(), n)).has_value()) << n << " bytes";
    EXPECT_TRUE(decodeBmp(file).has_value());
}

TEST(BmpDecode, RejectsBadSizesOffsetsAndFormats) {
    const Bytes good = encodeBmp(noisePicture(3, 3, 6));
    ASSERT_TRUE(decodeBmp(good).has_value());
    auto changed = [&](std::size_t at, std::uint32_t v, int n = 4) {
        Bytes b = good;
        put(b, at, v, n);
        return b;
    };
    const std::uint32_t minus = 0xFFFFFFFFu;  // -1
    struct Case {
        const char* what;
        Bytes file;
    };
    const Case cases[] = {
        {"magic", changed(0, 'B' | 'X' << 8, 2)},
        {"header size 0", changed(14, 0)},
        {"header size 41", changed(14, 41)},
        {"header size past the file", changed(14, 124)},
        {"width 0", changed(18, 0)},
        {"width -3", changed(18, minus - 2)},
        {"width 32769", changed(18, 32769)},
        {"height 0", changed(22, 0)},
        {"height most negative", changed(22, 0x80000000u)},
        {"height 32769", changed(22, 32769)},
        {"height -32769", changed(22, static_cast<std::uint32_t>(-32769))},
        {"height 16000 without the pixels", changed(22, 16000)},
        {"offset past the end", changed(10, static_cast<std::uint32_t>(good.size()) + 1)},
        {"offset at the end", changed(10, static_cast<std::uint32_t>(good.size()))},
        {"offset 2^32 - 1", changed(10, minus)},
        {"offset inside the headers", changed(10, 20)},
        {"0 bits", changed(28, 0, 2)},
        {"2 bits", changed(28, 2, 2)},
        {"64 bits", changed(28, 64, 2)},
        {"RLE", changed(30, 1)},
        {"masks on 24 bits", changed(30, 3)},
        {"JPEG inside", changed(30, 4)},
        {"PNG inside", changed(30, 5)},
    };
    for (const Case& c : cases) EXPECT_FALSE(decodeBmp(c.file).has_value()) << c.what;

    Bytes huge = changed(18, 16000);
    put(huge, 22, 16000);
    EXPECT_FALSE(decodeBmp(huge).has_value()) << "16000 x 16000 without the pixels";
    put(huge, 18, 20000);
    put(huge, 22, 20000);
    EXPECT_FALSE(decodeBmp(huge).has_value()) << "20000 x 20000: above the pixel limit";

    // A palette of 2^32 - 1 colours is read as at most 256, and must be there.
    HandMade p8;
    p8.width = 1;
    p8.height = 1;
    p8.bitsPerPixel = 8;
    p8.coloursUsed = minus;
    p8.palette = {1, 2, 3, 0};
    p8.pixels = {0, 0, 0, 0};
    EXPECT_FALSE(decodeBmp(p8.build()).has_value());
    p8.palette.resize(1024, 0);
    expectSamePixels(decodeBmp(p8.build()), Bitmap(1, 1, {rgb(3, 2, 1)}));
}

TEST(BmpDecode, SurvivesRandomDamage) {
    HandMade p8;
    p8.width = 5;
    p8.height = 4;
    p8.bitsPerPixel = 8;
    p8.coloursUsed = 4;
    p8.palette.assign(16, 0x40);
    p8.pixels.assign(32, 3);
    const Bytes seeds[] = {p8.build(), encodeBmp(noisePicture(5, 4, 9))};
    std::mt19937 rng(42);
    int accepted = 0;
    for (int i = 0; i < 3000; ++i) {
        Bytes b = seeds[i % 2];
        const int hits = 1 + static_cast<int>(rng() % 4);
        for (int h = 0; h < hits; ++h) {
            const std::size_t at = rng() % 2 ? rng() % 70 : rng() % b.size();
            b[at] = static_cast<unsigned char>(rng());
        }
        if (rng() % 8 == 0) b.resize(rng() % b.size());
        const std::optional<Bitmap> got = decodeBmp(b);
        if (got) {
            ++accepted;
            ASSERT_GT(got->width(), 0);
            ASSERT_LE(static_cast<long long>(got->width()) * got->height(), static_cast<long long>(b.size()) * 8);
        }
    }
    EXPECT_GT(accepted, 0);  // damage to the pixels alone still reads
}

TEST(BmpFile, WritesWholeOrNotAtAllAndReadsOnlyFiles) {
    TempFolder dir;
    const Bitmap pic = noisePicture(4, 4, 3);
    const Bytes older = {'p', 'r', 'e', 'v'};
    writeAll(dir.path() / "cap.bmp", older);

    EXPECT_FALSE(writeBmp(Bitmap{}, dir.file("cap.bmp")));
    EXPECT_FALSE(writeBmp(pic, dir.file("nowhere/cap.bmp")));
    fs::create_directory(dir.path() / "folder.bmp");
    EXPECT_FALSE(writeBmp(pic, dir.file("folder.bmp")));
    EXPECT_TRUE(fs::is_directory(dir.path() / "folder.bmp"));
    EXPECT_EQ(readAll(dir.path() / "cap.bmp"), older);
    EXPECT_EQ(dir.names(), (std::set<std::string>{"cap.bmp", "folder.bmp"}));

    ASSERT_TRUE(writeBmp(pic, dir.file("cap.bmp")));
    EXPECT_EQ(readAll(dir.path() / "cap.bmp"), encodeBmp(pic));
    EXPECT_EQ(dir.names(), (std::set<std::string>{"cap.bmp", "folder.bmp"}));

    EXPECT_FALSE(readBmp(dir.file("missing.bmp")).has_value());
    EXPECT_FALSE(readBmp(dir.file("folder.bmp")).has_value());
    writeAll(dir.path() / "text.bmp", {'h', 'e', 'l', 'l', 'o'});
    EXPECT_FALSE(readBmp(dir.file("text.bmp")).has_value());
}

}  // namespace
}  // namespace vis
