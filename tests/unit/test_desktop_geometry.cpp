// SPDX-License-Identifier: GPL-3.0-or-later
// Monitors, places and densities: the grab, the frozen screen and the work
// areas the windows are kept in.

#include <gtest/gtest.h>

#include "platform/desktop_geometry.h"

namespace vis {
namespace {

Monitor mon(int x, int y, int w, int h, double scale = 1.0, bool primary = false, PixelRect work = {}) {
    return Monitor{{x, y, w, h}, work, scale, primary};
}

struct DesktopCase {
    const char* name;
    std::vector<Monitor> monitors;
    PixelRect desktop;
    TwipRect frozen;
    TwipRect primaryWork;
};

TEST(DesktopGeometryTest, GrabAndFrozenScreenCoverEveryMonitor) {
    const DesktopCase cases[] = {
        {"one monitor", {mon(0, 0, 1024, 768, 1, true)}, {0, 0, 1024, 768}, {0, 0, 15360, 11520}, {0, 0, 15360, 11520}},
        {"scale 2", {mon(0, 0, 1920, 1080, 2, true)}, {0, 0, 1920, 1080}, {0, 0, 14400, 8100}, {0, 0, 14400, 8100}},
        {"side by side",
         {mon(0, 0, 1920, 1080, 1, true), mon(1920, 0, 1920, 1080)},
         {0, 0, 3840, 1080},
         {0, 0, 57600, 16200},
         {0, 0, 28800, 16200}},
        {"primary on the right",
         {mon(0, 0, 1920, 1080), mon(1920, 0, 1920, 1080, 1, true)},
         {0, 0, 3840, 1080},
         {-28800, 0, 57600, 16200},
         {0, 0, 28800, 16200}},
        {"primary on the right at scale 2",
         {mon(0, 0, 1920, 1080, 2), mon(1920, 0, 1920, 1080, 2, true)},
         {0, 0, 3840, 1080},
         {-14400, 0, 28800, 8100},
         {0, 0, 14400, 8100}},
        {"negative origin, taller neighbour",
         {mon(0, 0, 1920, 1080, 1, true), mon(-1280, -200, 1280, 1024)},
         {-1280, -200, 3200, 1280},
         {-19200, -3000, 48000, 19200},
         {0, 0, 28800, 16200}},
        {"stacked",
         {mon(0, 1080, 1920, 1080), mon(0, 0, 1920, 1080, 1, true)},
         {0, 0, 1920, 2160},
         {0, 0, 28800, 32400},
         {0, 0, 28800, 16200}},
        {"mixed densities, dense primary",
         {mon(0, 0, 1920, 1080), mon(1920, 0, 3840, 2160, 2, true, {1920, 60, 3840, 2100})},
         {0, 0, 5760, 2160},
         {-14400, 0, 43200, 16200},
         {0, 450, 28800, 15750}},
        {"no primary marked: the first", {mon(100, 0, 800, 600), mon(0, 0, 100, 600)}, {0, 0, 900, 600},
         {-1500, 0, 13500, 9000}, {0, 0, 12000, 9000}},
        {"no monitor at all", {}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        const DesktopGeometry g(c.monitors, 15);
        EXPECT_EQ(g.desktop(), c.desktop) << c.name;
        EXPECT_EQ(g.frozenScreen(), c.frozen) << c.name;
        EXPECT_EQ(g.workAreaOf(g.primary()), c.primaryWork) << c.name;
    }
}

TEST(DesktopGeometryTest, FrozenScreenTwipsAreDevicePixelsAtThePrimarysScale) {
    // {scale, twips per pixel, twips, device pixels}
    const struct {
        double scale;
        int tpp;
        double twips, pixels;
    } cases[] = {{1, 15, 3600, 240}, {2, 15, 2250, 300}, {2, 15, 11250, 1500}, {1.5, 15, 3000, 300}, {1, 12, 1200, 100}};
    for (const auto& c : cases) {
        const DesktopGeometry g({mon(0, 0, 1920, 1080, c.scale, true)}, c.tpp);
        EXPECT_DOUBLE_EQ(g.pixelsOfTwips(c.twips), c.pixels) << c.scale;
        EXPECT_DOUBLE_EQ(g.twipsOfPixels(c.pixels), c.twips) << c.scale;
    }
    // A monitor of another density does not change the frozen screen's.
    const DesktopGeometry mixed({mon(0, 0, 1920, 1080, 1, true), mon(1920, 0, 3840, 2160, 2)}, 15);
    EXPECT_DOUBLE_EQ(mixed.pixelsOfTwips(1500), 100);
    EXPECT_EQ(mixed.layoutOf(mixed.monitors()[1]), (TwipRect{28800, 0, 28800, 16200}));
}

TEST(DesktopGeometryTest, WindowsKeptInsideTheWorkAreaOfTheirMonitor) {
    // A primary of 1024 x 768 with a 32-pixel panel at the bottom, and a
    // second monitor of 1920 x 1080 at scale 2 on its right.
    const DesktopGeometry g({mon(0, 0, 1024, 768, 1, true, {0, 0, 1024, 736}), mon(1024, 0, 1920, 1080, 2)}, 15);
    const struct {
        const char* name;
        TwipRect in, out;
    } cases[] = {
        {"fits: unchanged", {1000, 0, 7000, 1400}, {1000, 0, 7000, 1400}},
        {"too high: as high as the work area", {1216, 0, 14144, 11873}, {1216, 0, 14144, 11040}},
        {"moved down by the user: back up", {8000, 6000, 7000, 6000}, {8000, 5040, 7000, 6000}},
        {"too wide and too high", {-500, -500, 20000, 20000}, {0, 0, 15360, 11040}},
        {"on the second monitor, at its own scale", {20000, 7000, 7000, 2000}, {20000, 6100, 7000, 2000}},
        {"across the seam: where most of it is", {14000, 0, 4000, 1400}, {15360, 0, 4000, 1400}},
        {"nowhere: on the primary", {90000, 90000, 3000, 3000}, {12360, 8040, 3000, 3000}},
    };
    for (const auto& c : cases) EXPECT_EQ(g.keptInside(c.in), c.out) << c.name;
}

}  // namespace
}  // namespace vis
