// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <stdexcept>

#include "output/atomic_file.h"
#include "output/dib_section.h"
#include "output/jpeg_writer.h"
#include "platform/bitmap.h"
#include "support/files.h"

#ifdef _WIN32
#include <process.h>
#else
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#endif

namespace vis {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

using testing_files::readAll;
using testing_files::TempFolder;
using testing_files::writeAll;
#ifndef _WIN32
using testing_files::FileSizeLimit;
#endif

struct Decoded {
    int width = 0, height = 0;
    Bytes rgb;  // top-down, 3 bytes a pixel
    std::array<int, 3> at(int x, int y) const {
        const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }
};

Decoded decodeJpeg(const Bytes& jpeg) {
    Decoded d;
    tjhandle h = tjInitDecompress();
    int subsamp = 0, colorspace = 0;
    if (tjDecompressHeader3(h, jpeg.data(), jpeg.size(), &d.width, &d.height, &subsamp, &colorspace) == 0) {
        d.rgb.resize(static_cast<std::size_t>(d.width) * d.height * 3);
        if (tjDecompress2(h, jpeg.data(), jpeg.size(), d.rgb.data(), d.width, 0, d.height, TJPF_RGB, 0) != 0)
            d = Decoded{};
    }
    tjDestroy(h);
    return d;
}

// The markers of the file up to the scan: DQT tables (in zigzag order, by
// table id) and the frame's sampling factors per component.
struct JpegHeaders {
    std::map<int, std::array<int, 64>> quant;
    std::vector<int> sampling;
};

JpegHeaders parseHeaders(const Bytes& j) {
    JpegHeaders out;
    std::size_t i = 2;  // after SOI
    while (i + 4 <= j.size() && j[i] == 0xFF) {
        const int marker = j[i + 1];
        const std::size_t len = static_cast<std::size_t>(j[i + 2] << 8 | j[i + 3]);
        const std::size_t body = i + 4, end = i + 2 + len;
        if (marker == 0xDB) {
            for (std::size_t p = body; p < end;) {
                const int precision = j[p] >> 4, id = j[p] & 15;
                ++p;
                std::array<int, 64> t{};
                for (int& v : t) {
                    v = precision ? (j[p] << 8 | j[p + 1]) : j[p];
                    p += precision ? 2 : 1;
                }
                out.quant[id] = t;
            }
        } else if (marker == 0xC0) {
            const int components = j[body + 5];
            for (int c = 0; c < components; ++c) out.sampling.push_back(j[body + 6 + 3 * c + 1]);
        } else if (marker == 0xDA) {
            break;
        }
        i = end;
    }
    return out;
}

// The example tables of the JPEG standard (Annex K) in natural order, and the
// zigzag order in which a file lists them.
constexpr int kLuminance[64] = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                                14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                                18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                                49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr int kZigzag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
                             41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
                             30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// libjpeg's quality scaling of the luminance table, baseline-limited.
std::array<int, 64> expectedLuminance(int quality) {
    const int q = std::clamp(quality, 1, 100);
    const int scale = q < 50 ? 5000 / q : 200 - 2 * q;
    std::array<int, 64> t{};
    for (int k = 0; k < 64; ++k) t[k] = std::clamp((kLuminance[kZigzag[k]] * scale + 50) / 100, 1, 255);
    return t;
}

Bitmap noisePicture(int w, int h) {
    std::mt19937 rng(7);
    std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h);
    for (auto& p : px) p = 0xFF000000u | (rng() & 0xFFFFFFu);
    return Bitmap(w, h, std::move(px));
}

// Flat 16 x 16 blocks, so that neither the DCT nor the 4:2:0 chroma reduction
// mixes colours away from block borders.
Bitmap blockPicture(const std::vector<std::vector<std::uint32_t>>& blocks) {
    const int rows = static_cast<int>(blocks.size()), cols = static_cast<int>(blocks[0].size());
    std::vector<std::uint32_t> px(static_cast<std::size_t>(rows) * cols * 256);
    for (int y = 0; y < rows * 16; ++y)
        for (int x = 0; x < cols * 16; ++x)
            px[static_cast<std::size_t>(y) * cols * 16 + x] = blocks[static_cast<std::size_t>(y / 16)][x / 16];
    return Bitmap(cols * 16, rows * 16, std::move(px));
}

int maxDifference(const std::array<int, 3>& got, std::uint32_t want) {
    return std::max(
        {std::abs(got[0] - redOf(want)), std::abs(got[1] - greenOf(want)), std::abs(got[2] - blueOf(want))});
}

// --- the buffer ---

TEST(DibSection, RowsArePaddedToFourBytes) {
    aDIBSection dib;
    const int expected[] = {4, 8, 12, 12};
    const int pad[] = {1, 2, 3, 0};
    for (int w = 1; w <= 4; ++w) {
        ASSERT_TRUE(dib.Create(w, 1));
        EXPECT_EQ(dib.BytesPerScanLine(), expected[w - 1]) << w;
        EXPECT_EQ(dib.BytesPerScanLine() - dib.Width() * 3, pad[w - 1]) << w;
    }
    ASSERT_TRUE(dib.Create(640, 480));
    EXPECT_EQ(dib.BytesPerScanLine(), 1920);
    EXPECT_EQ(dib.Width(), 640);
    EXPECT_EQ(dib.Height(), 480);

    const BitmapInfoHeader& h = dib.Header();
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 640);
    EXPECT_EQ(h.biHeight, 480);  // positive: bottom-up
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, 24);
    EXPECT_EQ(h.biCompression, 0u);
    EXPECT_EQ(h.biSizeImage, 921600u);
    EXPECT_EQ(h.biXPelsPerMeter, 0);
    EXPECT_EQ(h.biYPelsPerMeter, 0);
    EXPECT_EQ(h.biClrUsed, 0u);
    EXPECT_EQ(h.biClrImportant, 0u);
}

TEST(DibSection, RowSizeOverflowRaisesAnError) {
    EXPECT_EQ(bytesPerScanLine(715827881), 2147483644);              // width * 3 = 2,147,483,643
    EXPECT_THROW(bytesPerScanLine(715827882), std::overflow_error);  // reaches 2,147,483,646
    EXPECT_THROW(bytesPerScanLine(0x7FFFFFFF), std::overflow_error);

    aDIBSection dib;
    ASSERT_TRUE(dib.Create(2, 2));
    EXPECT_THROW(dib.Create(715827882, 1), std::overflow_error);
    EXPECT_TRUE(dib.isEmpty());
    // Each side is fine but the whole buffer would not fit in 32 bits: refused
    // before any memory is asked for.
    EXPECT_THROW(dib.Create(100000, 100000), std::overflow_error);
    EXPECT_THROW(dib.Create(20000, 35792), std::overflow_error);  // 60000 * 35792 = 2,147,520,000
    EXPECT_TRUE(dib.isEmpty());
    EXPECT_EQ(dib.Width(), 0);
}

TEST(DibSection, NonPositiveSizesLeaveItEmpty) {
    aDIBSection dib;
    EXPECT_TRUE(dib.isEmpty());
    EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);
    ASSERT_TRUE(dib.Create(3, 3));
    for (auto [w, h] : {std::pair{0, 5}, {5, 0}, {-1, 5}, {5, -1}}) {
        ASSERT_TRUE(dib.Create(3, 3));
        EXPECT_FALSE(dib.Create(w, h));
        EXPECT_TRUE(dib.isEmpty());
        EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);
        EXPECT_EQ(dib.Width(), 0);
        EXPECT_EQ(dib.Height(), 0);
    }
    EXPECT_FALSE(dib.CreateFromPicture(Bitmap{}));
    EXPECT_TRUE(dib.isEmpty());

    ASSERT_TRUE(dib.Create(3, 3));
    dib.ClearUp();
    EXPECT_TRUE(dib.isEmpty());
    EXPECT_EQ(dib.Width(), 0);
    EXPECT_EQ(dib.Header().biSizeImage, 0u);
}

TEST(DibSection, FilledBottomUpInBlueGreenRedWithZeroPadding) {
    // 3 x 2: row 0 (top) and row 1 (bottom).
    const Bitmap pic(3, 2,
                     {rgb(1, 2, 3), rgb(4, 5, 6), rgb(7, 8, 9),  //
                      rgb(10, 11, 12), rgb(13, 14, 15), rgb(16, 17, 18)});
    aDIBSection dib;
    ASSERT_TRUE(dib.Create(3, 2));
    std::memset(dib.DIBSectionBitsPtr(), 0xEE, 24);  // padding must be rewritten, not left over
    ASSERT_TRUE(dib.CreateFromPicture(pic));
    ASSERT_EQ(dib.Width(), 3);
    ASSERT_EQ(dib.Height(), 2);
    ASSERT_EQ(dib.BytesPerScanLine(), 12);
    const Bytes expected = {12, 11, 10, 15, 14, 13, 18, 17, 16, 0, 0, 0,  // bottom row first
                            3,  2,  1,  6,  5,  4,  9,  8,  7,  0, 0, 0};
    const Bytes got(dib.DIBSectionBitsPtr(), dib.DIBSectionBitsPtr() + 24);
    EXPECT_EQ(got, expected);

    // A bigger one: every row in its place.
    const Bitmap wide = noisePicture(5, 4);
    ASSERT_TRUE(dib.CreateFromPicture(wide));
    ASSERT_EQ(dib.BytesPerScanLine(), 16);
    for (int y = 0; y < 4; ++y) {
        const unsigned char* row = dib.DIBSectionBitsPtr() + (3 - y) * 16;
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(row[3 * x], blueOf(wide.pixel(x, y)));
            EXPECT_EQ(row[3 * x + 1], greenOf(wide.pixel(x, y)));
            EXPECT_EQ(row[3 * x + 2], redOf(wide.pixel(x, y)));
        }
        EXPECT_EQ(row[15], 0);
    }
}

// --- the JPEG file ---

TEST(EcrireJpg, WritesThePictureAtItsSizeTopRowFromTheLastRowInMemory) {
    TempFolder dir;
    const std::uint32_t red = rgb(220, 30, 40), green = rgb(40, 200, 60), blue = rgb(30, 50, 210),
                        grey = rgb(128, 128, 128), yellow = rgb(240, 230, 50), dark = rgb(20, 20, 20);
    const Bitmap pic = blockPicture({{red, green, blue}, {grey, yellow, dark}});
    aDIBSection dib;
    ASSERT_TRUE(dib.CreateFromPicture(pic));
    const std::string path = dir.file("capture.jpg");
    ASSERT_TRUE(EcrireJpg(dib, path, 90));

    const Decoded d = decodeJpeg(readAll(path));
    ASSERT_EQ(d.width, 48);
    ASSERT_EQ(d.height, 32);
    for (int by = 0; by < 2; ++by)
        for (int bx = 0; bx < 3; ++bx)
            for (int y = by * 16 + 4; y < by * 16 + 12; ++y)
                for (int x = bx * 16 + 4; x < bx * 16 + 12; ++x)
                    ASSERT_LE(maxDifference(d.at(x, y), pic.pixel(x, y)), 4) << x << "," << y;
    EXPECT_EQ(dir.names(), std::set<std::string>{"capture.jpg"});
}

TEST(EcrireJpg, TakesTheBufferAsBottomUpPaddedBlueGreenRed) {
    // Filled by hand, not from a picture: memory rows 0-15 one colour, rows
    // 16-31 another, pad bytes set to junk that must not be read as pixels.
    TempFolder dir;
    aDIBSection dib;
    ASSERT_TRUE(dib.Create(21, 32));  // 63 bytes of pixels, 1 of padding
    ASSERT_EQ(dib.BytesPerScanLine(), 64);
    for (int r = 0; r < 32; ++r) {
        unsigned char* row = dib.DIBSectionBitsPtr() + r * 64;
        for (int x = 0; x < 21; ++x) {
            const unsigned char bgr[2][3] = {{200, 40, 10}, {10, 40, 200}};  // blue-ish below, red-ish on top
            std::memcpy(row + 3 * x, bgr[r < 16 ? 0 : 1], 3);
        }
        row[63] = 0x77;
    }
    const std::string path = dir.file("hand.jpg");
    ASSERT_TRUE(EcrireJpg(dib, path, 90));
    const Decoded d = decodeJpeg(readAll(path));
    ASSERT_EQ(d.width, 21);
    ASSERT_EQ(d.height, 32);
    EXPECT_LE(maxDifference(d.at(10, 0), rgb(200, 40, 10)), 4);  // top row: the last rows in memory
    EXPECT_LE(maxDifference(d.at(10, 8), rgb(200, 40, 10)), 4);
    EXPECT_LE(maxDifference(d.at(10, 24), rgb(10, 40, 200)), 4);
    EXPECT_LE(maxDifference(d.at(10, 31), rgb(10, 40, 200)), 4);  // bottom row: the first in memory
    EXPECT_LE(maxDifference(d.at(2, 4), rgb(200, 40, 10)), 4);
    EXPECT_LE(maxDifference(d.at(18, 28), rgb(10, 40, 200)), 4);
}

TEST(EcrireJpg, QualityReachesTheEncoderUnchanged) {
    TempFolder dir;
    aDIBSection dib;
    ASSERT_TRUE(dib.CreateFromPicture(noisePicture(64, 64)));
    ASSERT_TRUE(EcrireJpg(dib, dir.file("q0.jpg"), 0));
    ASSERT_TRUE(EcrireJpg(dib, dir.file("q1.jpg"), 1));
    ASSERT_TRUE(EcrireJpg(dib, dir.file("q90.jpg"), 90));
    const Bytes q0 = readAll(dir.file("q0.jpg")), q1 = readAll(dir.file("q1.jpg")), q90 = readAll(dir.file("q90.jpg"));

    const JpegHeaders h0 = parseHeaders(q0), h90 = parseHeaders(q90);
    ASSERT_EQ(h0.quant.count(0), 1u);
    ASSERT_EQ(h90.quant.count(0), 1u);
    // The luminance table is the standard one scaled for that exact quality:
    // 90 gives 3 for the first entry, 0 (which the library reads as 1) the
    // baseline maximum everywhere; a 10 slipped in between would give 80.
    EXPECT_EQ(h90.quant.at(0), expectedLuminance(90));
    EXPECT_EQ(h0.quant.at(0), expectedLuminance(0));
    EXPECT_EQ(h90.quant.at(0)[0], 3);
    EXPECT_EQ(h0.quant.at(0)[0], 255);
    EXPECT_NE(h0.quant.at(0), expectedLuminance(10));
    EXPECT_EQ(q0, q1);  // the library's own reading of 0
    EXPECT_GT(q90.size(), 3 * q0.size());

    // 4:2:0: luminance sampled 2 x 2, both chroma components 1 x 1.
    EXPECT_EQ(h90.sampling, (std::vector<int>{0x22, 0x11, 0x11}));

    // No clamping on the way either: out of range fails and writes nothing.
    EXPECT_FALSE(EcrireJpg(dib, dir.file("q101.jpg"), 101));
    EXPECT_FALSE(EcrireJpg(dib, dir.file("qneg.jpg"), -1));
    EXPECT_EQ(dir.names(), (std::set<std::string>{"q0.jpg", "q1.jpg", "q90.jpg"}));
}

TEST(EcrireJpg, Utf8PathNamesTheFile) {
    TempFolder dir;
    aDIBSection dib;
    ASSERT_TRUE(dib.CreateFromPicture(Bitmap::filled(8, 8, rgb(9, 9, 9))));
    const std::string name = "écran d'été ✓.jpg";
    const fs::path written = dir.path() / utf8Path(name);
    const std::u8string u8 = written.u8string();
    ASSERT_TRUE(EcrireJpg(dib, std::string(u8.begin(), u8.end()), 50));
    EXPECT_TRUE(fs::is_regular_file(written));
    EXPECT_EQ(decodeJpeg(readAll(written)).width, 8);
}

TEST(EcrireJpg, FailureReturnsFalseAndLeavesTheFolderAsItWas) {
    TempFolder dir;
    aDIBSection dib;
    ASSERT_TRUE(dib.CreateFromPicture(noisePicture(32, 32)));
    const Bytes older = {'o', 'l', 'd', 'e', 'r', 0, 1, 2};
    writeAll(dir.path() / "old.jpg", older);

    // No such folder.
    EXPECT_FALSE(EcrireJpg(dib, dir.file("missing/x.jpg"), 70));
    EXPECT_FALSE(fs::exists(dir.path() / "missing"));

    // A folder where the file should go: it stays a folder with its content.
    fs::create_directory(dir.path() / "taken.jpg");
    writeAll(dir.path() / "taken.jpg" / "inside", older);
    EXPECT_FALSE(EcrireJpg(dib, dir.file("taken.jpg"), 70));
    EXPECT_TRUE(fs::is_directory(dir.path() / "taken.jpg"));
    EXPECT_EQ(readAll(dir.path() / "taken.jpg" / "inside"), older);

    // Nothing to write, or the encoder refuses: the older file is untouched.
    aDIBSection empty;
    EXPECT_FALSE(EcrireJpg(empty, dir.file("old.jpg"), 70));
    EXPECT_FALSE(EcrireJpg(dib, dir.file("old.jpg"), 200));
    EXPECT_EQ(readAll(dir.path() / "old.jpg"), older);
    EXPECT_EQ(dir.names(), (std::set<std::string>{"old.jpg", "taken.jpg"}));

    // A success replaces it whole.
    ASSERT_TRUE(EcrireJpg(dib, dir.file("old.jpg"), 70));
    EXPECT_EQ(decodeJpeg(readAll(dir.path() / "old.jpg")).width, 32);
    EXPECT_EQ(dir.names(), (std::set<std::string>{"old.jpg", "taken.jpg"}));
}

#ifndef _WIN32
TEST(EcrireJpg, WriteFailingHalfWayKeepsTheOlderFileAndNoTemporary) {
    TempFolder dir;
    aDIBSection dib;
    ASSERT_TRUE(dib.CreateFromPicture(noisePicture(64, 64)));  // several kilobytes of JPEG
    const Bytes older(500, 0x5A);
    writeAll(dir.path() / "cap.jpg", older);
    bool written = true;
    {
        FileSizeLimit limit(1000);
        ASSERT_TRUE(limit.active());
        written = EcrireJpg(dib, dir.file("cap.jpg"), 90);
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(readAll(dir.path() / "cap.jpg"), older);
    EXPECT_EQ(dir.names(), std::set<std::string>{"cap.jpg"});

    // The shared helper behaves the same for any content.
    const Bytes big(5000, 1);
    {
        FileSizeLimit limit(1000);
        EXPECT_FALSE(writeFileAtomically(dir.path() / "cap.jpg", big));
    }
    EXPECT_EQ(readAll(dir.path() / "cap.jpg"), older);
    EXPECT_EQ(dir.names(), std::set<std::string>{"cap.jpg"});
    ASSERT_TRUE(writeFileAtomically(dir.path() / "cap.jpg", big));
    EXPECT_EQ(readAll(dir.path() / "cap.jpg"), big);
    ASSERT_TRUE(writeFileAtomically(dir.path() / "param.txt", std::string_view("ligne\r\n")));
    EXPECT_EQ(readAll(dir.path() / "param.txt"), (Bytes{'l', 'i', 'g', 'n', 'e', '\r', '\n'}));
    EXPECT_EQ(dir.names(), (std::set<std::string>{"cap.jpg", "param.txt"}));
}
#endif

int currentProcess() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(getpid());
#endif
}

TEST(AtomicWrite, StaleTemporariesGoAtTheNextSaveIntoTheirFolder) {
    TempFolder dir;
    // No process runs under this id (Linux ids stop at 2^22, Windows ids are multiples of 4).
    const std::string stale = ".~vistrelle-2147483646-3-123456.tmp";
    const std::set<std::string> others = {
        ".~vistrelle-2147483646-3-123456.tmp.jpg",  // another program's name, close to ours
        "~vistrelle-2147483646-3-123456.tmp",
        ".~vistrelle-2147483646-3.tmp",
        ".~vistrelle-x-3-123456.tmp",
        "Capt-905031.jpg",
        // A running program's: its save may be under way.
        ".~vistrelle-" + std::to_string(currentProcess()) + "-0-1.tmp",
    };
    for (const std::string& name : others) writeAll(dir.path() / name, Bytes{1});
    writeAll(dir.path() / stale, Bytes{1});
    ASSERT_TRUE(writeFileAtomically(dir.path() / "cap.bmp", std::string_view("BM")));
    std::set<std::string> expected = others;
    expected.insert("cap.bmp");
    EXPECT_EQ(dir.names(), expected);
}

}  // namespace
}  // namespace vis
