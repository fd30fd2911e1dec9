// SPDX-License-Identifier: GPL-3.0-or-later
// The main window at start-up and its toolbar.

#include "capture/texts_main.h"
#include "support/program_fixture.h"

namespace vis::sim {
namespace {

using ToolbarTest = ProgramTest;

TEST_F(ToolbarTest, StartStripOnTheRightHalf) {
    FrmMain& m = main();
    EXPECT_TRUE(m.visible);
    EXPECT_EQ(m.state, WindowState::Normal);
    EXPECT_EQ(m.height, 1400);
    EXPECT_EQ(m.width, 1024 * 15 / 2);
    EXPECT_EQ(m.left, 1024 * 15 - m.width);
    EXPECT_EQ(m.top, 0);
    EXPECT_EQ(m.caption, "Vistrelle ...");
    EXPECT_TRUE(m.labdeb->visible);
    EXPECT_EQ(m.labdeb->top, 440);
    EXPECT_EQ(m.labdeb->left, 100);  // slid in and stopped
    EXPECT_FALSE(m.Timlabdeb->enabled);
    EXPECT_TRUE(m.Timerclav->enabled);
    // 17 buttons then filler tiles, neighbours overlapping by 5 twips.
    EXPECT_EQ(m.bouton(0).left, 0);
    EXPECT_EQ(m.bouton(1).left, 405);
    EXPECT_EQ(m.bouton(16).left, 16 * 405);
    EXPECT_EQ(m.bouton(50).left, 50 * 405);
    EXPECT_EQ(m.bouton(16).tooltip, "Infos auteur");
    EXPECT_EQ(m.bouton(0).tooltip, "Capturer l'écran pour une sélection");
    EXPECT_TRUE(m.bouton(17).tooltip.empty());
    EXPECT_TRUE(m.bouton(0).picture.sameAs(m.imageList1[1]));
    EXPECT_EQ(m.Line1->top, 440);
    EXPECT_EQ(m.Line1->x2, 1024 * 15);
    EXPECT_EQ(m.menu("mnuedition").caption, "&Edition");
    EXPECT_EQ(m.menu("mnuttscreen").caption, "Capturer &tout l'ecran");
    EXPECT_TRUE(m.menu("mnuedition").visible);
    EXPECT_FALSE(m.menu("mnucaptu").visible);
    EXPECT_FALSE(m.menu("Mnuflott").visible);
}

TEST_F(ToolbarTest, ClickGivesThePressedLookUntilTheTimer) {
    FrmMain& m = main();
    m.bouton(11).borderStyle = 1;  // periodic capture shown as running
    m.bouton(15).borderStyle = 1;  // collection window shown
    m.bouton_Click(8);             // empty collection: no question, no effect
    for (int i = 0; i < 17; ++i) EXPECT_EQ(m.bouton(i).borderStyle, (i == 8 || i == 11 || i == 15) ? 1 : 0) << i;
    EXPECT_TRUE(m.Timbouton->enabled);
    m.bouton_Click(3);
    EXPECT_EQ(m.bouton(8).borderStyle, 0);
    EXPECT_EQ(m.bouton(3).borderStyle, 1);
    sim.windows.advance(0.21);
    for (int i = 0; i < 17; ++i) EXPECT_EQ(m.bouton(i).borderStyle, (i == 11 || i == 15) ? 1 : 0) << i;
    EXPECT_FALSE(m.Timbouton->enabled);
}

TEST_F(ToolbarTest, TogglesNeverTakeThePressedLook) {
    FrmMain& m = main();
    m.bouton_Click(15);  // empty collection: nothing at all
    EXPECT_EQ(m.bouton(15).borderStyle, 0);
    m.bouton_Click(30);  // a filler tile only resets the look
    EXPECT_EQ(m.bouton(30).borderStyle, 0);
    EXPECT_TRUE(m.Timbouton->enabled);
}

TEST_F(ToolbarTest, HoverHighlightsOneButtonAndKeepsItAfterLeaving) {
    FrmMain& m = main();
    const auto& il = m.imageList1;
    ASSERT_EQ(il.size(), 35u);
    m.bouton_MouseMove(4);
    EXPECT_TRUE(m.bouton(4).picture.sameAs(il[22]));
    EXPECT_EQ(m.dernierBoutonSurvole, 4);
    EXPECT_FALSE(m.survolRepete);
    m.bouton_MouseMove(4);  // same button again: no reset, flag set
    EXPECT_TRUE(m.survolRepete);
    EXPECT_TRUE(m.bouton(4).picture.sameAs(il[22]));
    m.bouton_MouseMove(5);
    EXPECT_TRUE(m.bouton(4).picture.sameAs(il[5]));
    EXPECT_TRUE(m.bouton(5).picture.sameAs(il[23]));
    EXPECT_FALSE(m.survolRepete);
    // Nothing else resets the pictures.
    sim.windows.advance(1.0);
    EXPECT_TRUE(m.bouton(5).picture.sameAs(il[23]));
}

TEST_F(ToolbarTest, MissingDataFilesGivePlainTiles) {
    // The simulated program folder holds no pictures: the window still
    // builds, with tiles of the toolbar's size.
    const Bitmap& b = main().imageList1[1];
    EXPECT_EQ(b.width(), 27);
    EXPECT_EQ(b.height(), 28);
    EXPECT_FALSE(main().imageList1[1].sameAs(main().imageList1[18]));
}

TEST_F(ToolbarTest, MenusEnableCaptureEntriesOnlyWithCaptures) {
    FrmMain& m = main();
    m.menu("mnufichier").onDropDown();
    m.menu("mnuedition").onDropDown();
    EXPECT_FALSE(m.menu("Mnuenregistrer").enabled);
    EXPECT_FALSE(m.menu("mnurafraichir").enabled);
    EXPECT_TRUE(m.menu("mnuttscreen").enabled);
    captureRegion(1500, 1500, 4500, 3000);
    m.menu("mnufichier").onDropDown();
    m.menu("mnuedition").onDropDown();
    EXPECT_TRUE(m.menu("Mnuenregistrer").enabled);
    EXPECT_TRUE(m.menu("Mnudeltout").enabled);
}

}  // namespace
}  // namespace vis::sim

#ifdef VIS_DATA_DIR
namespace vis::sim {
namespace {

class DataFilesTest : public ProgramTest {
protected:
    // The built data files, copied to the simulated program's folder.
    void SetUp() override {
        for (const auto& e : std::filesystem::directory_iterator(VIS_DATA_DIR))
            if (e.path().extension() == ".bmp" || e.path().extension() == ".wav")
                std::filesystem::copy_file(e.path(), std::filesystem::path(sim.paths.program) / e.path().filename());
        ProgramTest::SetUp();
    }
};

TEST_F(DataFilesTest, ToolbarCursorAndMarkerComeFromTheDataFiles) {
    FrmMain& m = main();
    ASSERT_EQ(m.imageList1.size(), 35u);
    // Drawn pictures, not the plain stand-in tiles.
    const Bitmap& cam = m.imageList1[1];
    EXPECT_EQ(cam.width(), 27);
    EXPECT_EQ(cam.height(), 28);
    EXPECT_NE(cam.pixel(13, 14), cam.pixel(0, 0));
    EXPECT_EQ(m.bouton(40).picture.width(), 27);
    const Bitmap& cursor = m.Picture1->cursorPicture;
    ASSERT_EQ(cursor.width(), 32);
    EXPECT_EQ(cursor.pixel(0, 0) >> 24, 0u);       // a corner is not drawn
    EXPECT_EQ(cursor.pixel(15, 14) >> 24, 0xFFu);  // the hot spot is
    EXPECT_EQ(m.pictsave->picture.width(), 16);
    EXPECT_EQ(m.pictsave->picture.height(), 15);
    main().bouton_Click(0);
    EXPECT_EQ(prog->fcam().Imagecam->picture.width(), 120);
}

}  // namespace
}  // namespace vis::sim
#endif
