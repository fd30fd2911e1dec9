// SPDX-License-Identifier: GPL-3.0-or-later
// The numbered collection and its window.

#include "support/program_fixture.h"

namespace vis::sim {
namespace {

// A capture whose sizes tell it apart: width 100 * n.
CaptureSlot filed(int n) {
    CaptureSlot c;
    c.picture = Bitmap::filled(n, 1, 0xFF000000u);
    c.largeurImage = 100 * n;
    c.texteTaille = std::to_string(n);
    return c;
}

TEST(CollectionModel, RemovingShiftsLaterCapturesWithTheirSavedStateAndKeepsTheOldLastSlot) {
    Collection col;
    for (int n = 1; n <= 4; ++n) ASSERT_TRUE(col.add(filed(n)));
    EXPECT_EQ(col.captureCourante(), 4);
    col.setSaved(3);
    const Bitmap third = col.capture(3).picture;
    col.remove(2);
    EXPECT_EQ(col.nbCaptures(), 3);
    EXPECT_EQ(col.captureCourante(), 0);
    EXPECT_TRUE(col.capture(2).picture.sameAs(third));
    EXPECT_EQ(col.unsaved(), (std::vector<int>{1, 3}));
    EXPECT_EQ(col.largeurImage(1), 300);
    EXPECT_EQ(col.largeurImage(2), 400);
    EXPECT_EQ(col.largeurImage(3), 400);  // stale, as the repeat capture reads it
    EXPECT_EQ(col.texteTaille(3), "4");
    EXPECT_TRUE(col.slot(3).picture.isNull());  // its picture is let go
    // A number that is not a capture deletes nothing.
    col.setCaptureCourante(7);
    col.remove(7);
    EXPECT_EQ(col.nbCaptures(), 3);
    EXPECT_EQ(col.captureCourante(), 0);
}

TEST(CollectionModel, ClearKeepsSizesAndCurrentAndAFullCollectionRefuses) {
    Collection col;
    for (int n = 1; n <= Collection::kMaxCaptures; ++n) ASSERT_TRUE(col.add(filed(n)));
    col.setCaptureCourante(5);
    EXPECT_FALSE(col.add(filed(30)));
    EXPECT_EQ(col.nbCaptures(), 29);
    EXPECT_EQ(col.captureCourante(), 29);
    EXPECT_EQ(col.largeurImage(29), 0);  // slot 29 is never used
    // A picture saved under its old number is marked where it now is.
    const Bitmap fifth = col.capture(5).picture;
    col.remove(2);
    EXPECT_TRUE(col.markSaved(5, fifth));
    EXPECT_TRUE(col.capture(4).saved);
    EXPECT_FALSE(col.capture(5).saved);
    col.shown = true;
    col.setCaptureCourante(3);
    col.clear();
    EXPECT_TRUE(col.empty());
    EXPECT_FALSE(col.shown);
    EXPECT_EQ(col.captureCourante(), 3);
    EXPECT_EQ(col.largeurImage(0), 100);
    EXPECT_FALSE(col.markSaved(1, fifth));
}

class CollectionTest : public ProgramTest {
protected:
    // A region of w x h twips at the top left of the frozen screen.
    void region(int w, int h) { captureRegion(1500, 1500, 1500 + w, 1500 + h); }
    Control& thumb(int i) { return *liste().Image1[static_cast<std::size_t>(i)]; }
    Control& label(int i) { return *liste().Lbldim[static_cast<std::size_t>(i)]; }
    Control& mark(int i) { return *liste().pictsave[static_cast<std::size_t>(i)]; }
    int selectedCount() {
        int n = 0;
        for (int i = 1; i <= liste().elementCount(); ++i) n += thumb(i).borderStyle == 1;
        return n;
    }
};

TEST_F(CollectionTest, FirstAndSecondCapture) {
    region(3000, 1500);
    EXPECT_EQ(main().bouton(15).borderStyle, 1);
    EXPECT_FALSE(liste().Vscroll1->enabled);
    EXPECT_EQ(liste().Labscroll->caption, "");
    EXPECT_EQ(main().caption, "Dernière capture ... 1 capture en cours ...");
    EXPECT_EQ(coll().captureCourante(), 1);
    EXPECT_EQ(thumb(1).borderStyle, 1);
    EXPECT_TRUE(liste().visible);
    EXPECT_EQ(label(1).caption, "01/  3000 x 1500");
    EXPECT_EQ(thumb(1).top, 315);
    EXPECT_FALSE(mark(1).visible);
    EXPECT_EQ(coll().hauteurImage(0), 1530);
    EXPECT_EQ(coll().largeurImage(0), 3030);
    EXPECT_EQ(coll().hauteurFenetre(0), 1530 + 1430);
    EXPECT_EQ(coll().largeurFenetre(0), 17 * 410);
    region(9600, 7200);
    EXPECT_TRUE(liste().Vscroll1->enabled);
    EXPECT_EQ(liste().Vscroll1->max, 2);
    EXPECT_EQ(liste().Labscroll->caption, " 2");
    EXPECT_EQ(label(2).caption, "02/  9600 x 7200");
    EXPECT_EQ(coll().largeurFenetre(1), 9630 + 210);
    EXPECT_EQ(selectedCount(), 1);
    EXPECT_EQ(thumb(2).borderStyle, 1);
    EXPECT_EQ(main().caption, "Dernière capture ... 2 captures en cours ...");
}

TEST_F(CollectionTest, ThumbnailProportionsAndPlaces) {
    region(2000, 4000);  // portrait
    EXPECT_EQ(thumb(1).height, 1335);
    EXPECT_EQ(thumb(1).width, 668);  // 2000 / 4000 x 1335
    region(3000, 3000);              // square: as landscape
    EXPECT_EQ(thumb(2).width, 1455);
    EXPECT_EQ(thumb(2).height, 1455);
    EXPECT_EQ(thumb(2).top, 315 + 1335 + 60);
    region(9000, 900);  // flat: at most 800 high
    EXPECT_EQ(thumb(3).height, 146);
    EXPECT_EQ(thumb(3).top, thumb(2).top + 1455 + 60);
    region(3000, 1500);
    EXPECT_EQ(thumb(4).top, thumb(3).top + 800);
    EXPECT_EQ(label(4).top, thumb(4).top);
    EXPECT_EQ(mark(4).top, thumb(4).top);
}

TEST_F(CollectionTest, ThirtiethCaptureIsRefused) {
    for (int i = 0; i < 29; ++i) region(1500, 1500);
    ASSERT_EQ(coll().nbCaptures(), 29);
    const Bitmap last = thumb(29).picture;
    coll().setCaptureCourante(5);
    region(3000, 3000);
    ASSERT_EQ(sim.messages.shown.size(), 1u);
    EXPECT_EQ(sim.messages.shown[0].text, "La fenêtre des vignettes est pleine, sauver et effacer !!! ");
    EXPECT_EQ(sim.messages.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(coll().nbCaptures(), 29);
    EXPECT_EQ(coll().captureCourante(), 29);
    EXPECT_EQ(liste().elementCount(), 29);
    EXPECT_TRUE(thumb(29).picture.sameAs(last));
    EXPECT_EQ(main().caption, "Dernière capture ... 29 captures en cours ...");
    // Activated, the window stays within the screen; the slider reaches them all.
    liste().Form_Activate();
    EXPECT_EQ(liste().height, 768 * 15);
    EXPECT_EQ(liste().Vscroll1->max, 29);
}

TEST_F(CollectionTest, DeletingMovesLaterCapturesAndTheirMarkers) {
    region(1500, 1500);
    region(3000, 1500);
    region(4500, 1500);
    region(6000, 1500);
    const Bitmap third = thumb(3).picture;
    coll().setSaved(3);  // capture 3 was saved
    liste().clickimage1(2);
    main().bouton_Click(7);
    EXPECT_EQ(coll().nbCaptures(), 3);
    EXPECT_EQ(liste().elementCount(), 3);
    EXPECT_EQ(label(2).caption, "02/  4500 x 1500");
    EXPECT_EQ(label(3).caption, "03/  6000 x 1500");
    EXPECT_TRUE(thumb(2).picture.sameAs(third));
    EXPECT_TRUE(mark(2).visible);
    EXPECT_FALSE(mark(3).visible);
    EXPECT_EQ(selectedCount(), 0);
    EXPECT_EQ(coll().captureCourante(), 0);
    EXPECT_EQ(coll().largeurImage(1), 4530);
    EXPECT_EQ(coll().largeurImage(3), 6030);  // the old last slot stays as it was
    EXPECT_EQ(main().caption, "Dernière capture ... 3 captures en cours ...");
    EXPECT_EQ(main().height, 1250);
    EXPECT_EQ(main().width, 17 * 410);
    EXPECT_EQ(main().left, 15360 - 17 * 410);
    EXPECT_FALSE(main().Picture2->visible);
    // Nothing is current now: a second delete only renumbers.
    main().SuppVignette();
    EXPECT_EQ(coll().nbCaptures(), 3);
}

TEST_F(CollectionTest, DeletingTheLastAndTheOnlyCapture) {
    region(1500, 1500);
    region(3000, 1500);
    main().SuppVignette();  // c = n: nothing shifted
    EXPECT_EQ(coll().nbCaptures(), 1);
    EXPECT_EQ(label(1).caption, "01/  1500 x 1500");
    liste().clickimage1(1);
    main().SuppVignette();
    EXPECT_EQ(coll().nbCaptures(), 0);
    EXPECT_FALSE(liste().visible);
    EXPECT_EQ(main().caption, "Dernière capture ... 0 capture en cours ...");
}

TEST_F(CollectionTest, FullScreenLabelIsRenumbered) {
    region(1500, 1500);
    region(1500, 1500);
    main().bouton_Click(1);
    liste().clickimage1(2);
    main().SuppVignette();
    EXPECT_EQ(label(2).caption, "02 Plein écran");
}

TEST_F(CollectionTest, StaleCurrentNumberDeletesNothing) {
    region(1500, 1500);
    region(1500, 1500);
    main().Supprimertout(false);
    region(3000, 1500);
    coll().setCaptureCourante(2);  // names a capture that is gone
    main().SuppVignette();
    EXPECT_EQ(coll().nbCaptures(), 1);
    EXPECT_EQ(coll().captureCourante(), 0);
}

TEST_F(CollectionTest, DeleteAllAsksAndStartsOver) {
    main().Supprimertout(true);  // empty: no question
    EXPECT_TRUE(sim.messages.shown.empty());
    region(1500, 1500);
    region(1500, 1500);
    sim.messages.answers = {MsgResult::Cancel};
    main().bouton_Click(8);
    ASSERT_EQ(sim.messages.shown.size(), 1u);
    EXPECT_EQ(sim.messages.shown[0].text, "Voulez-vous vraiment supprimer toutes les captures ?");
    EXPECT_EQ(sim.messages.shown[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(sim.messages.shown[0].icon, MsgIcon::Question);
    EXPECT_EQ(coll().nbCaptures(), 2);
    main().bouton_Click(8);
    EXPECT_EQ(coll().nbCaptures(), 0);
    EXPECT_EQ(liste().elementCount(), 0);
    EXPECT_FALSE(liste().visible);
    EXPECT_EQ(liste().width, 3500);
    EXPECT_EQ(liste().height, 2000);
    EXPECT_EQ(main().caption, "Pour capturer, cliquer sur le 1° bouton ... ");
    EXPECT_FALSE(main().modeBarre);
    EXPECT_EQ(main().bouton(15).borderStyle, 0);
    EXPECT_EQ(coll().captureCourante(), 2);  // left as it was
    region(3000, 1500);
    EXPECT_EQ(label(1).caption, "01/  3000 x 1500");
    EXPECT_EQ(main().bouton(15).borderStyle, 1);
}

TEST_F(CollectionTest, SliderScrollsTheColumn) {
    for (int i = 0; i < 5; ++i) region(3000, 1500);
    liste().Vscroll1->value = 3;
    liste().Vscroll1_Change();
    EXPECT_EQ(thumb(1).top, -1500);
    EXPECT_EQ(thumb(2).top, -1500);
    EXPECT_EQ(label(2).top, -1500);
    EXPECT_EQ(thumb(3).top, 200);
    EXPECT_EQ(thumb(4).top, 200 + thumb(3).height + 50);
    EXPECT_EQ(mark(4).top, thumb(4).top);
    EXPECT_EQ(thumb(5).top, thumb(4).top + thumb(4).height + 50);
    EXPECT_EQ(liste().height, thumb(5).top + thumb(5).height + 100);
}

TEST_F(CollectionTest, ActivationSizesTheWindowAndTheSlider) {
    region(3000, 1500);
    Flistimages& l = liste();
    l.Form_Activate();
    EXPECT_TRUE(l.visible);
    EXPECT_FALSE(l.Vscroll1->enabled);
    EXPECT_EQ(l.Labscroll->caption, "");
    EXPECT_EQ(l.width, 2740);
    EXPECT_EQ(l.Vscroll1->left, 2740 - 555);
    EXPECT_EQ(l.Labscroll->left, l.Vscroll1->left);
    EXPECT_EQ(l.height, thumb(1).top + thumb(1).height + 600);
    main().enVeille = true;  // in tray mode it hides itself
    l.Form_Activate();
    EXPECT_FALSE(l.visible);
}

TEST_F(CollectionTest, ClickShowsARegionAgain) {
    for (int i = 1; i <= 5; ++i) region(1500 * i, 1500);
    coll().setSaved(3);
    main().bouton_Click(14);  // folded
    liste().clickimage1(3);
    FrmMain& m = main();
    EXPECT_EQ(m.caption, "Capture 3 /  5");
    EXPECT_TRUE(m.Picture2->visible);
    EXPECT_FALSE(m.ImgTtscreen->visible);
    EXPECT_TRUE(m.Picture2->picture.sameAs(thumb(3).picture));
    EXPECT_EQ(m.Picture2->width, 4530);
    EXPECT_EQ(m.height, coll().hauteurFenetre(2));
    EXPECT_EQ(m.width, coll().largeurFenetre(2));
    EXPECT_EQ(m.left, 15360 - m.width);
    EXPECT_EQ(m.typeCapture, 'z');
    EXPECT_EQ(coll().captureCourante(), 3);
    EXPECT_EQ(selectedCount(), 1);
    EXPECT_EQ(thumb(3).borderStyle, 1);
    EXPECT_TRUE(m.pictsave->visible);
    EXPECT_FALSE(m.modeBarre);
    liste().clickimage1(2);
    EXPECT_FALSE(m.pictsave->visible);
}

TEST_F(CollectionTest, ClickShowsAWholeScreenAgain) {
    region(1500, 1500);
    main().bouton_Click(1);
    region(1500, 1500);
    liste().clickimage1(2);
    FrmMain& m = main();
    EXPECT_TRUE(m.ImgTtscreen->visible);
    EXPECT_FALSE(m.Picture2->visible);
    EXPECT_EQ(m.ImgTtscreen->height, 9927);  // (11520 - 600) / 1.1
    EXPECT_EQ(m.ImgTtscreen->width, 13891);  // (15360 - 80) / 1.1
    EXPECT_EQ(m.ImgTtscreen->top, 500);
    EXPECT_EQ(m.width, 13891 + 180);
    EXPECT_EQ(m.height, 9927 + 1400);
    EXPECT_EQ(m.typeCapture, 'e');
}

TEST_F(CollectionTest, RightClickSelectsThenOpensTheFloatingMenu) {
    region(1500, 1500);
    region(3000, 1500);
    sim.windows.popupScript = [this](Window&, MenuEntry& menu) {
        EXPECT_EQ(coll().captureCourante(), 1);
        menu.find("MnuFdelcap")->onClick();
    };
    liste().Image1_MouseDown(1, {kRightButton, 0, 10, 10});
    ASSERT_EQ(sim.windows.popupsShown.size(), 1u);
    EXPECT_EQ(sim.windows.popupsShown[0], "Mnuflott");
    EXPECT_EQ(coll().nbCaptures(), 1);
    EXPECT_EQ(label(1).caption, "01/  3000 x 1500");
    liste().Image1_MouseDown(1, {kLeftButton, 0, 10, 10});
    EXPECT_EQ(sim.windows.popupsShown.size(), 1u);
}

TEST_F(CollectionTest, CloseRequestOnlyMinimises) {
    region(1500, 1500);
    bool cancel = false;
    liste().onQueryUnload(cancel, UnloadMode::User);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(liste().state, WindowState::Minimized);
    EXPECT_TRUE(liste().loaded);
    EXPECT_EQ(main().bouton(15).borderStyle, 0);
    main().bouton_Click(15);  // restores it
    EXPECT_EQ(liste().state, WindowState::Normal);
    EXPECT_EQ(main().bouton(15).borderStyle, 1);
    main().bouton_Click(15);
    EXPECT_EQ(liste().state, WindowState::Minimized);
    g().sortieDemandee = true;
    cancel = false;
    liste().onQueryUnload(cancel, UnloadMode::User);
    EXPECT_FALSE(cancel);
}

TEST_F(CollectionTest, MinimisingTheMainWindowMinimisesTheCollection) {
    region(1500, 1500);
    main().state = WindowState::Minimized;
    main().onResize();
    EXPECT_EQ(liste().state, WindowState::Minimized);
}

}  // namespace
}  // namespace vis::sim
