// SPDX-License-Identifier: GPL-3.0-or-later
// Several monitors, a dense screen, a small one: the frozen screen covers the
// desktop, crops are exact device pixels, windows stay inside the work area.

#include "output/bmp_codec.h"
#include "output/frm_aide.h"
#include "support/program_fixture.h"

namespace vis::sim {
namespace {

// The desktop of the monitors, the picture of it, and the primary's size in
// layout pixels.
class DesktopTest : public ProgramTest {
protected:
    DesktopTest(std::vector<Monitor> mons, int desktopW, int desktopH, int primaryW, int primaryH)
        : ProgramTest(primaryW, primaryH) {
        sim.screen.mons = std::move(mons);
        sim.screenPicture = syntheticScreen(desktopW, desktopH);
    }
    void expectCrop(int n, int x, int y, int w, int h) {
        const Bitmap& p = liste().Image1[static_cast<std::size_t>(n)]->picture;
        ASSERT_EQ(p.width(), w);
        ASSERT_EQ(p.height(), h);
        EXPECT_EQ(p.pixel(0, 0), screenPixel(x, y));
        EXPECT_EQ(p.pixel(w - 1, h - 1), screenPixel(x + w - 1, y + h - 1));
    }
};

// Two 1920 x 1080 monitors, the primary on the right.
class TwoMonitorsTest : public DesktopTest {
protected:
    TwoMonitorsTest()
        : DesktopTest({{{0, 0, 1920, 1080}, {}, 1.0, false}, {{1920, 0, 1920, 1080}, {}, 1.0, true}}, 3840, 1080,
                      1920, 1080) {}
};

TEST_F(TwoMonitorsTest, FrozenScreenRegionAcrossTheSeamAndWholeScreenAreTheWholeDesktop) {
    main().bouton_Click(0);
    FrmMain& m = main();
    EXPECT_EQ(std::make_tuple(m.Picture1->left, m.Picture1->top, m.Picture1->width, m.Picture1->height),
              std::make_tuple(0, 0, 3840 * 15, 1080 * 15));
    // Pixels 1700,400 to 2200,700 of the desktop, across the seam at 1920.
    drag(1700 * 15, 400 * 15, 2200 * 15, 700 * 15);
    expectCrop(1, 1700, 400, 500, 300);
    EXPECT_EQ(m.left, 1920 * 15 - m.width) << "flush right on the primary";

    m.bouton_Click(1);
    EXPECT_TRUE(liste().Image1[2]->picture.sameAs(sim.screenPicture));
    // 3840 x 1080 / 1.1 does not fit the primary: reduced, proportions kept,
    // the window exactly as wide as the primary.
    EXPECT_EQ(m.ImgTtscreen->width, 28620);
    EXPECT_EQ(m.ImgTtscreen->height, 8049);
    EXPECT_EQ(std::make_tuple(m.left, m.top, m.width, m.height), std::make_tuple(0, 0, 28800, 8049 + 1400));
}

// One 1920 x 1080 monitor at twice the density: 960 x 540 layout pixels.
class DenseScreenTest : public DesktopTest {
protected:
    DenseScreenTest() : DesktopTest({{{0, 0, 1920, 1080}, {}, 2.0, true}}, 1920, 1080, 960, 540) {}
};

TEST_F(DenseScreenTest, DragOfDevicePixelsFilesThoseDevicePixelsAndTheLabelCountsThem) {
    main().bouton_Click(0);
    FrmMain& m = main();
    EXPECT_EQ(m.Picture1->width, 960 * 15);
    // From device pixel 1500,700 to 1800,900: 750,350 to 900,450 in layout pixels.
    m.Picture1_MouseDown({kLeftButton, 0, 750 * 15, 350 * 15});
    m.Picture1_MouseMove({kLeftButton, 0, 900 * 15, 450 * 15});
    EXPECT_EQ(m.Labtaille->caption, " 4500 X 3000 = ~ 179 K (bmp)");
    EXPECT_EQ(std::make_tuple(m.rectsel->width, m.rectsel->height), std::make_tuple(2250, 1500));
    // Steps of 100 are device twips: 301 x 201 device pixels fall to 300 x 200.
    m.Picture1_MouseMove({kLeftButton, 0, 900.5 * 15, 450.5 * 15});
    EXPECT_EQ(m.Labtaille->caption, " 4500 X 3000 = ~ 179 K (bmp)");
    m.Picture1_MouseUp({kLeftButton, 0, 900.5 * 15, 450.5 * 15});
    expectCrop(1, 1500, 700, 300, 200);
    EXPECT_EQ(liste().Lbldim[1]->caption, "01/  4500 x 3000");
    // Shown 1:1 in device pixels: half as many layout twips.
    EXPECT_EQ(m.Picture2->width, 2250 + 30);
    EXPECT_TRUE(m.Picture2->devicePixels);

    sim.grabber.activeWindow = {100, 50, 600, 400};
    m.bouton_Click(2);
    EXPECT_EQ(std::make_tuple(m.Picture2->width, m.Picture2->height), std::make_tuple(300 * 15, 200 * 15));
}

// 1024 x 768 with a 32-pixel panel at the bottom.
class SmallScreenTest : public DesktopTest {
protected:
    SmallScreenTest() : DesktopTest({{{0, 0, 1024, 768}, {0, 0, 1024, 736}, 1.0, true}}, 1024, 768, 1024, 768) {}
    void SetUp() override {
        // A help picture wider than the screen.
        ASSERT_TRUE(writeBmp(Bitmap::filled(1200, 690, rgb(250, 250, 250)), sim.paths.program + "/aidefn.bmp"));
        DesktopTest::SetUp();
    }
};

TEST_F(SmallScreenTest, WindowsStayInsideTheWorkArea) {
    FrmMain& m = main();
    // A window capture taller than the screen.
    sim.grabber.activeWindow = {0, 0, 300, 768};
    m.bouton_Click(2);
    EXPECT_EQ(std::make_tuple(m.top, m.height), std::make_tuple(0, 736 * 15));
    // A region, the window moved down by the user, folded and unfolded.
    captureRegion(1500, 1500, 9150, 6120);
    ASSERT_EQ(m.height, 4600 + 1430);
    m.top = 9000;
    m.bouton_Click(14);
    EXPECT_EQ(m.top, 9000);
    m.bouton_Click(14);
    EXPECT_EQ(m.top, 736 * 15 - (4600 + 1430));
    EXPECT_EQ(m.height, 4600 + 1430);

    // The help, reduced to fit whole, proportions kept.
    FrmAide* shown = nullptr;
    sim.windows.modalScript = [&](Window& w) { shown = static_cast<FrmAide*>(&w); };
    m.menu("MnuaidFP").onClick();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(std::make_tuple(shown->picture->picture.width(), shown->picture->picture.height()),
              std::make_tuple(1017, 584));
    EXPECT_EQ(std::make_tuple(shown->left, shown->top, shown->width, shown->height),
              std::make_tuple(2, 1180, 1017 * 15 + 100, 584 * 15 + 400));
}

}  // namespace
}  // namespace vis::sim
