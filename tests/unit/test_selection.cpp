// SPDX-License-Identifier: GPL-3.0-or-later
// Selecting a region, filing it, showing it; whole screen, window, bar mode.

#include "capture/texts_main.h"
#include "support/program_fixture.h"

namespace vis::sim {
namespace {

using SelectionTest = ProgramTest;

TEST_F(SelectionTest, StepsOfHundredRightAndDownAnchorAtTheStart) {
    main().bouton_Click(0);
    FrmMain& m = main();
    m.Picture1_MouseDown({1, 0, 1000, 2000});
    EXPECT_FALSE(m.rectsel->visible);
    m.Picture1_MouseMove({1, 0, 1250, 2180});
    EXPECT_EQ(m.rectsel->width, 200);
    EXPECT_EQ(m.rectsel->height, 100);
    EXPECT_EQ(m.rectsel->left, 1000);
    EXPECT_EQ(m.rectsel->top, 2000);
    EXPECT_TRUE(m.rectsel->visible);
    EXPECT_EQ(m.Labtaille->left, 1250);
    EXPECT_EQ(m.Labtaille->top, 2180);
    EXPECT_EQ(m.Labtaille->caption, " 200 X 100 = ~ 0 K (bmp)");
}

TEST_F(SelectionTest, StepsOfHundredLeftAndUpAnchorAtTheMouse) {
    main().bouton_Click(0);
    FrmMain& m = main();
    m.Picture1_MouseDown({1, 0, 1000, 2000});
    m.Picture1_MouseMove({1, 0, 750, 1820});
    EXPECT_EQ(m.rectsel->width, 200);
    EXPECT_EQ(m.rectsel->height, 100);
    EXPECT_EQ(m.rectsel->left, 750);
    EXPECT_EQ(m.rectsel->top, 1820);
}

TEST_F(SelectionTest, FreeSizesWithoutStepsAndZeroBelowAStep) {
    main().bouton_Click(0);
    FrmMain& m = main();
    m.Picture1_MouseDown({1, 0, 1000, 2000});
    m.Picture1_MouseMove({1, 0, 1099, 2500});
    EXPECT_EQ(m.rectsel->width, 0);
    EXPECT_EQ(m.rectsel->height, 500);
    EXPECT_EQ(m.Labtaille->caption, " 0 X 500 = ~ 0 K (bmp)");
    confirmOptions([](Options& o) { o.Check1[0]->value = 0; });  // read at each move
    m.Picture1_MouseMove({1, 0, 1250, 2180});
    EXPECT_EQ(m.rectsel->width, 250);
    EXPECT_EQ(m.rectsel->height, 180);
}

TEST_F(SelectionTest, SizeLabelTextAndWidth) {
    sim.screen.charPixels = 5;  // a font narrower than 80 twips a character
    main().bouton_Click(0);
    FrmMain& m = main();
    m.Picture1_MouseDown({1, 0, 150, 150});
    m.Picture1_MouseMove({1, 0, 9750, 7350});
    EXPECT_EQ(m.Labtaille->caption, " 9600 X 7200 = ~ 919 K (bmp)");
    EXPECT_EQ(m.Labtaille->width, 2240);
}

TEST_F(SelectionTest, SizeLabelWideEnoughForItsFont) {
    sim.screen.charPixels = 7;  // 105 twips a character
    main().bouton_Click(0);
    FrmMain& m = main();
    m.Picture1_MouseDown({1, 0, 150, 150});
    m.Picture1_MouseMove({1, 0, 10150, 10150});
    EXPECT_EQ(m.Labtaille->caption, " 10000 X 10000 = ~ 1330 K (bmp)");
    // The text's width and a pixel each side.
    EXPECT_EQ(m.Labtaille->width, 31 * 105 + 2 * 15);
    m.Picture1_MouseUp({1, 0, 10150, 10150});
    m.Picture2_MouseMove({0, 0, 300, 400});
    EXPECT_EQ(m.Labtaill2->width, m.Labtaille->width);
}

TEST_F(SelectionTest, TheSelectionStopsAtThePicturesEdges) {
    confirmOptions([](Options& o) { o.Check1[0]->value = 0; });
    FrmMain& m = main();
    // Released over a title bar above the top left: 2 columns and 21 rows out.
    captureRegion(1500, 1500, -30, -315);
    const Bitmap* crop = &liste().Image1[1]->picture;
    ASSERT_EQ(std::make_pair(crop->width(), crop->height()), std::make_pair(100, 100));
    EXPECT_EQ(crop->pixel(0, 0), screenPixel(0, 0));
    EXPECT_EQ(crop->pixel(99, 99), screenPixel(99, 99));
    // Past the bottom right, and the rectangle moved past it with the right button.
    captureRegion(14000, 10000, 16000, 12000);
    crop = &liste().Image1[2]->picture;
    ASSERT_EQ(std::make_pair(crop->width(), crop->height()), std::make_pair(1024 - 933, 768 - 667));
    EXPECT_EQ(crop->pixel(crop->width() - 1, crop->height() - 1), screenPixel(1023, 767));
    m.bouton_Click(9);
    m.Picture1_MouseDown({2, 0, 600, 900});
    m.Picture1_MouseMove({2, 0, 15000, 11000});
    EXPECT_EQ(m.rectsel->left + m.rectsel->width, 1024 * 15);
    EXPECT_EQ(m.rectsel->top + m.rectsel->height, 768 * 15);
    m.Picture1_MouseUp({2, 0, 15000, 11000});
    crop = &liste().Image1[3]->picture;
    EXPECT_EQ(crop->pixel(crop->width() - 1, crop->height() - 1), screenPixel(1023, 767));
}

TEST_F(SelectionTest, ANewGrabDuringADragEndsItWithItsLabel) {
    FrmMain& m = main();
    m.bouton_Click(0);
    m.Picture1_MouseDown({1, 0, 1500, 1500});
    m.Picture1_MouseMove({1, 0, 4500, 3000});
    ASSERT_TRUE(m.Labtaille->visible);
    // The hot key, button held: a new frozen screen with nothing of the drag on it.
    sim.keyboard.down = {16, 122};
    m.Timerclav_Timer();
    ASSERT_EQ(sim.grabber.grabs.size(), 2u);
    EXPECT_TRUE(m.selectionPossible());
    EXPECT_FALSE(m.Labtaille->visible);
    EXPECT_FALSE(m.rectsel->visible);
    EXPECT_FALSE(m.selectionEnCours);
    // Its release files nothing; the next drag works as ever.
    m.Picture1_MouseMove({1, 0, 6000, 4500});
    m.Picture1_MouseUp({1, 0, 6000, 4500});
    EXPECT_EQ(coll().nbCaptures(), 0);
    EXPECT_FALSE(m.Labtaille->visible);
    drag(1500, 1500, 4500, 3000);
    EXPECT_EQ(coll().nbCaptures(), 1);
}

TEST_F(SelectionTest, RightButtonMovesTheRectangleWithoutResizing) {
    main().bouton_Click(0);
    FrmMain& m = main();
    m.Picture1_MouseDown({1, 0, 1500, 1500});
    m.Picture1_MouseMove({1, 0, 3000, 2500});
    const std::string label = m.Labtaille->caption;
    m.Picture1_MouseUp({1, 0, 3000, 2500});
    m.bouton_Click(9);
    m.Picture1_MouseDown({2, 0, 600, 900});
    m.Picture1_MouseMove({2, 0, 750, 1200});
    EXPECT_EQ(m.rectsel->width, 1500);
    EXPECT_EQ(m.rectsel->height, 1000);
    EXPECT_EQ(m.rectsel->left, 750);
    EXPECT_EQ(m.rectsel->top, 1200);
    EXPECT_EQ(m.Labtaille->caption, label);
    m.Picture1_MouseUp({2, 0, 750, 1200});
    // The crop is taken at the new place.
    const Bitmap& p = liste().Image1[2]->picture;
    ASSERT_EQ(p.width(), 100);
    ASSERT_EQ(p.height(), 67);  // 1000 twips: from pixel 80 to 146.67, rounded
    EXPECT_EQ(p.pixel(0, 0), screenPixel(50, 80));
}

TEST_F(SelectionTest, TheFiledPictureIsExactlyTheSelectedPixels) {
    captureRegion(1515, 3015, 9150, 6120);  // 7635 x 3105 -> 7600 x 3100 twips
    FrmMain& m = main();
    const Bitmap& crop = m.Picture2->picture;
    // Pixels 101 to 607 (9115 twips is 607.67) and 201 to 407 (6115 is 407.67).
    ASSERT_EQ(crop.width(), 507);
    ASSERT_EQ(crop.height(), 207);
    EXPECT_EQ(crop.pixel(0, 0), screenPixel(101, 201));
    EXPECT_EQ(crop.pixel(506, 206), screenPixel(607, 407));
    EXPECT_TRUE(liste().Image1[1]->picture.sameAs(crop));
    // The display box keeps its margin; the picture does not.
    EXPECT_EQ(m.Picture2->width, 7630);
    EXPECT_EQ(m.Picture2->height, 3130);
    EXPECT_EQ(m.Picture2->top, 500);
    EXPECT_EQ(m.Picture2->left, 20);
}

TEST_F(SelectionTest, MouseUpFitsTheWindowAndFilesTheCrop) {
    captureRegion(1500, 1500, 9150, 6120);  // 7600 x 4600
    FrmMain& m = main();
    EXPECT_EQ(m.state, WindowState::Normal);
    EXPECT_TRUE(m.visible);
    EXPECT_EQ(m.hauteurCapture, 4600);
    EXPECT_EQ(m.largeurCapture, 7600);
    EXPECT_EQ(m.hauteurPleinEcran, 768 * 15);
    EXPECT_EQ(m.largeurPleinEcran, 1024 * 15);
    EXPECT_FALSE(m.coversDesktop());
    EXPECT_EQ(m.height, 4600 + 1430);
    EXPECT_EQ(m.width, 7630 + 180);
    EXPECT_EQ(m.left, 1024 * 15 - m.width);
    EXPECT_EQ(m.top, 0);
    EXPECT_TRUE(m.Picture2->visible);
    EXPECT_FALSE(m.Picture1->visible);
    EXPECT_FALSE(m.Labtaille->visible);
    EXPECT_FALSE(m.selectionEnCours);
    EXPECT_FALSE(m.TimRect->enabled);
    EXPECT_EQ(m.Picture1->cursor, CursorKind::Cross);
    EXPECT_TRUE(m.menu("mnufichier").visible);
    EXPECT_EQ(m.caption, "Dernière capture ... 1 capture en cours ...");
    EXPECT_EQ(coll().nbCaptures(), 1);
    EXPECT_EQ(coll().texteTaille(0), " 7600 X 4600 = ~ 464 K (bmp)");
    EXPECT_EQ(m.xFin, 9150);
    EXPECT_EQ(m.yFin, 6120);
}

TEST_F(SelectionTest, NarrowRegionGivesAToolbarWideWindow) {
    captureRegion(1500, 1500, 2700, 2700);  // 1200 x 1200
    EXPECT_EQ(main().width, 17 * 410);
}

TEST_F(SelectionTest, EmptySelectionFilesNothingButRestoresTheWindow) {
    captureRegion(1500, 1500, 1550, 5000);  // width below one step
    FrmMain& m = main();
    EXPECT_EQ(coll().nbCaptures(), 0);
    EXPECT_EQ(m.state, WindowState::Normal);
    EXPECT_TRUE(m.visible);
    EXPECT_EQ(m.caption, txt::kTitleCaptured);
    EXPECT_TRUE(sim.messages.shown.empty());
    // A plain click after a real selection does not take that rectangle again.
    captureRegion(1500, 1500, 4500, 3000);
    m.bouton_Click(0);
    m.Picture1_MouseDown({kLeftButton, 0, 600, 600});
    m.Picture1_MouseUp({kLeftButton, 0, 600, 600});
    EXPECT_EQ(coll().nbCaptures(), 1);
}

TEST_F(SelectionTest, BlinkAlternatesBlackAndLightGrey) {
    FrmMain& m = main();
    m.rectsel->borderColor = kBlack;
    m.TimRect_Timer();
    EXPECT_EQ(m.rectsel->borderColor, rgb(192, 192, 192));
    m.TimRect_Timer();
    EXPECT_EQ(m.rectsel->borderColor, rgb(0, 0, 0));
}

TEST_F(SelectionTest, LabelFollowsTheMouseOverTheCapture) {
    captureRegion(1500, 1500, 4500, 3000);
    FrmMain& m = main();
    m.Picture2_MouseMove({0, 0, 300, 400});
    EXPECT_EQ(m.Labtaill2->caption, m.Labtaille->caption);
    EXPECT_EQ(m.Labtaill2->width, m.Labtaille->width);
    EXPECT_EQ(m.Labtaill2->top, 400);
    EXPECT_EQ(m.Labtaill2->left, 500);
}

TEST_F(SelectionTest, ReleaseInBarModeFilesWithoutShowing) {
    main().bouton_Click(0);
    main().Form_KeyDown(27);
    ASSERT_TRUE(main().modeBarre);
    captureRegion(1500, 1500, 4500, 3000);  // 3000 x 1500
    FrmMain& m = main();
    EXPECT_EQ(coll().nbCaptures(), 1);
    EXPECT_FALSE(m.Picture2->visible);
    EXPECT_EQ(m.height, 1250);
    EXPECT_EQ(m.hauteurHorsBarre, 1500 + 1430);
    EXPECT_EQ(m.largeurHorsBarre, 17 * 410);
    m.bouton_Click(14);  // unfold shows the region
    EXPECT_FALSE(m.modeBarre);
    EXPECT_EQ(m.height, 2930);
    EXPECT_TRUE(m.Picture2->visible);
}

TEST_F(SelectionTest, ReleaseInTrayModeHidesTheWindowsAgain) {
    main().enVeille = true;
    captureRegion(1500, 1500, 4500, 3000);
    EXPECT_EQ(coll().nbCaptures(), 1);
    EXPECT_FALSE(main().visible);
    EXPECT_FALSE(liste().visible);
    EXPECT_EQ(main().menu("mnuveille").caption, "Réactiver");
}

TEST_F(SelectionTest, WholeScreenOn1024x768) {
    main().bouton_Click(1);
    FrmMain& m = main();
    // The screen / 1.1 (13964 x 10473) would make the window 11873 high on an
    // 11520 screen: the picture shrinks, keeping its proportions, until the
    // window fits.
    EXPECT_EQ(m.ImgTtscreen->width, 13493);
    EXPECT_EQ(m.ImgTtscreen->height, 11520 - 1400);
    EXPECT_EQ(m.width, 13493 + 180);
    EXPECT_EQ(m.height, 11520);
    EXPECT_EQ(m.left, 15360 - 13673);
    EXPECT_EQ(m.top, 0);
    EXPECT_TRUE(m.ImgTtscreen->visible);
    EXPECT_TRUE(m.ImgTtscreen->picture.sameAs(sim.screenPicture));
    EXPECT_FALSE(m.Picture2->visible);
    EXPECT_EQ(m.typeCapture, 'e');
    EXPECT_EQ(liste().Lbldim[1]->caption, "01 Plein écran");
    EXPECT_TRUE(liste().Image1[1]->picture.sameAs(sim.screenPicture));
    EXPECT_EQ(sim.sound.played.size(), 1u);
}

TEST_F(SelectionTest, ActiveWindowIsGrabbedTwiceTheFirstTimeAtItsOwnSize) {
    sim.grabber.activeWindow = {200, 100, 150, 90};
    main().bouton_Click(2);
    FrmMain& m = main();
    EXPECT_EQ(sim.grabber.grabs.size(), 2u);
    EXPECT_EQ(m.Picture2->width, 150 * 15);
    EXPECT_EQ(m.Picture2->height, 90 * 15);
    EXPECT_EQ(m.width, 17 * 410);  // narrower than the toolbar
    EXPECT_EQ(m.height, 90 * 15 + 1400);
    EXPECT_EQ(m.Picture2->picture.pixel(0, 0), screenPixel(200, 100));
    EXPECT_EQ(coll().largeurImage(0), 150 * 15);
    EXPECT_EQ(liste().Lbldim[1]->caption, "01/  2250 x 1350");
    EXPECT_TRUE(m.ignorerActivation);
    EXPECT_EQ(sim.sound.played.size(), 0u);  // no flash for a window
    m.bouton_Click(2);
    EXPECT_EQ(sim.grabber.grabs.size(), 3u);
    EXPECT_EQ(coll().nbCaptures(), 2);
}

TEST_F(SelectionTest, FailedWindowGrabChangesNothing) {
    sim.grabber.failing = true;
    main().bouton_Click(2);
    EXPECT_EQ(main().typeCapture, '\0');
    EXPECT_TRUE(main().premiereCapture);
    EXPECT_EQ(coll().nbCaptures(), 0);
    EXPECT_EQ(sim.grabber.grabs.size(), 1u);
}

TEST_F(SelectionTest, FoldAndUnfoldAfterAWholeScreenCapture) {
    FrmMain& m = main();
    m.bouton_Click(14);  // empty collection: nothing
    EXPECT_FALSE(m.modeBarre);
    m.bouton_Click(1);
    m.bouton_Click(14);
    EXPECT_TRUE(m.modeBarre);
    EXPECT_EQ(m.height, 1250);
    EXPECT_EQ(m.width, 17 * 410);
    EXPECT_EQ(m.left, 15360 - 17 * 410);
    EXPECT_FALSE(m.ImgTtscreen->visible);
    EXPECT_EQ(m.imageAffichee, "image");
    m.bouton_Click(14);
    EXPECT_FALSE(m.modeBarre);
    EXPECT_EQ(m.width, 13673);
    EXPECT_EQ(m.height, 11520);
    EXPECT_TRUE(m.ImgTtscreen->visible);
    // No current capture: nothing, even in bar mode.
    m.bouton_Click(14);
    m.SuppVignette();
    main().bouton_Click(1);
    coll().setCaptureCourante(0);
    const int h = m.height;
    m.bouton_Click(14);
    EXPECT_EQ(m.height, h);
}

TEST_F(SelectionTest, SavedMarkerOnlyWithASavedCaptureOnDisplay) {
    FrmMain& m = main();
    captureRegion(100, 100, 1600, 1600);
    bool ok = true;
    m.EnregistrerTout([&](bool r) { ok = r; });
    ASSERT_TRUE(ok);
    EXPECT_TRUE(m.pictsave->visible);
    m.bouton_Click(14);  // bar mode shows no capture
    EXPECT_FALSE(m.pictsave->visible);
    m.bouton_Click(14);
    EXPECT_TRUE(m.pictsave->visible);
    m.bouton_Click(1);
    EXPECT_FALSE(m.pictsave->visible);
    liste().clickimage1(1);
    EXPECT_TRUE(m.pictsave->visible);
    m.bouton_Click(2);
    EXPECT_FALSE(m.pictsave->visible);
}

TEST_F(SelectionTest, RepeatBeforeAnySelectionSaysSo) {
    main().bouton_Click(10);
    ASSERT_EQ(sim.messages.shown.size(), 1u);
    EXPECT_EQ(sim.messages.shown[0].text, "Pas de sélection active pour l'opération demandée");
    EXPECT_EQ(sim.messages.shown[0].icon, MsgIcon::Information);
    EXPECT_TRUE(sim.grabber.grabs.empty());
}

TEST_F(SelectionTest, RepeatAfterAWholeScreenCaptureRepeatsIt) {
    main().bouton_Click(1);
    main().menu("mnurafraichir").onClick();
    EXPECT_EQ(coll().nbCaptures(), 2);
    EXPECT_EQ(liste().Lbldim[2]->caption, "02 Plein écran");
}

TEST_F(SelectionTest, RepeatGrabsTheSameRegionAgain) {
    captureRegion(1500, 1500, 4500, 3000);  // 3000 x 1500 twips at (100, 100) px
    sim.windows.advance(0.5);               // the flash has gone
    sim.screenPicture = Bitmap::filled(1024, 768, rgb(9, 9, 9));
    main().bouton_Click(10);
    EXPECT_EQ(coll().nbCaptures(), 2);
    const Bitmap& p = liste().Image1[2]->picture;
    ASSERT_EQ(p.width(), 200);
    ASSERT_EQ(p.height(), 100);
    EXPECT_EQ(p.pixel(5, 5), rgb(9, 9, 9));
    EXPECT_EQ(liste().Lbldim[2]->caption, "02/  3000 x 1500");
    EXPECT_EQ(coll().texteTaille(1), coll().texteTaille(0));
    EXPECT_EQ(main().Picture2->width, 3030);
    EXPECT_EQ(sim.grabber.grabs.back().typcapt, 0);
    EXPECT_TRUE(sim.grabber.grabs.back().visibleWindows.empty());
}

TEST_F(SelectionTest, RepeatSizesTheDisplayFromTheNewestCapture) {
    captureRegion(1500, 1500, 4500, 3000);  // region 3000 x 1500
    main().bouton_Click(2);                 // a window capture becomes the newest
    liste().clickimage1(1);                 // the region is shown again
    main().bouton_Click(10);
    // The box takes the window's size; the filed picture and its label keep
    // the region's.
    EXPECT_EQ(main().Picture2->width, coll().largeurImage(1));
    EXPECT_EQ(liste().Image1[3]->picture.width(), 200);
    EXPECT_EQ(liste().Image1[3]->picture.height(), 100);
    EXPECT_EQ(liste().Lbldim[3]->caption, "03/  3000 x 1500");
    // With the collection emptied, slot 0 (the first capture ever) sizes it.
    main().Supprimertout(false);
    main().bouton_Click(10);
    EXPECT_EQ(main().Picture2->width, 3030);
    EXPECT_EQ(main().Picture2->height, 1530);
}

}  // namespace
}  // namespace vis::sim

namespace vis::sim {
namespace {

// Sizes past 16 bits (a screen wider than 2184 pixels) are held whole.
class LargeScreenTest : public ProgramTest {
protected:
    LargeScreenTest() : ProgramTest(3840, 2160) {}
};

TEST_F(LargeScreenTest, FourKScreenKeepsItsSizes) {
    main().bouton_Click(1);
    FrmMain& m = main();
    EXPECT_EQ(m.ImgTtscreen->width, 52364);  // 57600 / 1.1
    EXPECT_EQ(m.width, 52364 + 180);
    EXPECT_EQ(coll().largeurImage(0), 52364);
    EXPECT_EQ(liste().Image1[1]->picture.width(), 3840);
    captureRegion(1500, 1500, 1500 + 45000, 1500 + 30000);
    EXPECT_EQ(m.largeurPleinEcran, 57600);
    EXPECT_EQ(m.hauteurPleinEcran, 32400);
    EXPECT_EQ(liste().Lbldim[2]->caption, "02/  45000 x 30000");
    EXPECT_EQ(liste().Image1[2]->picture.width(), 3000);
    EXPECT_EQ(liste().Image1[2]->picture.pixel(2999, 1999), screenPixel(3099, 2099));
    EXPECT_EQ(coll().hauteurFenetre(1), 30030 + 1430);
    main().bouton_Click(10);
    EXPECT_EQ(liste().Image1[3]->picture.width(), 3000);
}

}  // namespace
}  // namespace vis::sim
