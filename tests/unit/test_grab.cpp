// SPDX-License-Identifier: GPL-3.0-or-later
// The screen grab, the flash and the frozen screen.

#include <algorithm>

#include "capture/texts_main.h"
#include "output/naming.h"
#include "support/program_fixture.h"

namespace vis::sim {
namespace {

class GrabTest : public ProgramTest {
protected:
    // Every capture entry, each with a grab that fails: told with `text`,
    // nothing filed, both windows back, the capture on display kept.
    void everyEntryFails(std::string_view text);
};

// Index of the first trace entry equal to `what` at or after `from`.
std::size_t traceIndex(const std::vector<std::string>& trace, const std::string& what, std::size_t from = 0) {
    auto it = std::find(trace.begin() + static_cast<std::ptrdiff_t>(from), trace.end(), what);
    return static_cast<std::size_t>(it - trace.begin());
}

TEST_F(GrabTest, HidesWaitsPressesWaitsShowsThenReadsTheClipboard) {
    prog->g.tempo = 0.3;
    sim.clipboard.content = Bitmap::filled(2, 2, rgb(1, 2, 3));  // stale picture from before
    const double t0 = sim.clock.now;
    sim.trace.clear();

    main().capturTTecran(0);

    // The clipboard is cleared first, before any event runs.
    ASSERT_EQ(sim.trace.front(), "clipboard.clear");
    ASSERT_EQ(sim.grabber.grabs.size(), 1u);
    const GrabRecord& r = sim.grabber.grabs[0];
    EXPECT_EQ(r.typcapt, 0);
    // Neither of the program's windows is on the screen at the key press.
    EXPECT_TRUE(r.visibleWindows.count("frmMain") == 0);
    EXPECT_TRUE(r.visibleWindows.count("Flistimages") == 0);
    // A full wait of tempo before the key and another after it.
    EXPECT_GE(r.time - t0, 0.3);
    EXPECT_LT(r.time - t0, 0.3 + 0.1);
    EXPECT_GE(sim.clock.now - r.time, 0.3);
    // Events were processed between the clear and the key, and after it.
    const std::size_t key = traceIndex(sim.trace, "printscreen 0");
    EXPECT_LT(traceIndex(sim.trace, "events"), key);
    EXPECT_LT(traceIndex(sim.trace, "events", key), sim.trace.size());

    EXPECT_FALSE(main().captureEchouee);
    EXPECT_TRUE(main().visible);
    EXPECT_TRUE(main().Picture1->visible);
    EXPECT_TRUE(main().Picture1->picture.sameAs(sim.screenPicture));
    EXPECT_FALSE(main().labdeb->visible);  // the start hint is gone for good
    // An empty collection window does not come up with the main window.
    EXPECT_FALSE(liste().visible);
}

TEST_F(GrabTest, ZeroDelayPressesAtOnce) {
    prog->g.tempo = 0;
    const double t0 = sim.clock.now;
    main().capturTTecran(0);
    ASSERT_EQ(sim.grabber.grabs.size(), 1u);
    // Only the event processing of the clear and the hiding came before it.
    EXPECT_LE(sim.grabber.grabs[0].time - t0, 3 * sim.windows.eventStep + 1e-9);
}

TEST_F(GrabTest, OwnWindowsStayWhenIncluded) {
    prog->g.inclureFenetres = 1;
    main().capturTTecran(1);
    ASSERT_EQ(sim.grabber.grabs.size(), 1u);
    EXPECT_EQ(sim.grabber.grabs[0].visibleWindows.count("frmMain"), 1u);
    EXPECT_EQ(sim.grabber.grabs[0].typcapt, 1);
}

TEST_F(GrabTest, NothingOnTheClipboardSetsTheFlagAndKeepsThePicture) {
    main().capturTTecran(0);
    const Bitmap before = main().Picture1->picture;
    sim.grabber.failing = true;
    main().capturTTecran(0);
    EXPECT_TRUE(main().captureEchouee);
    EXPECT_TRUE(main().Picture1->picture.sameAs(before));
    ASSERT_EQ(sim.messages.shown.size(), 1u);
    EXPECT_EQ(sim.messages.shown[0].text, txt::kGrabFailed);
    // The next good grab clears the flag.
    sim.grabber.failing = false;
    main().capturTTecran(0);
    EXPECT_FALSE(main().captureEchouee);
}

void GrabTest::everyEntryFails(std::string_view text) {
    FrmMain& m = main();
    const Bitmap shown = m.Picture2->picture;
    const std::pair<const char*, std::function<void()>> entries[] = {
        {"region", [&] { m.bouton_Click(0); }},
        {"whole screen", [&] { m.bouton_Click(1); }},
        {"window", [&] { m.bouton_Click(2); }},
        {"menu", [&] { m.menu("mnuttscreen").onClick(); }},
        {"tray menu", [&] { m.menu("Mnuphotorapid").onClick(); }},
        {"periodic tick", [&] { m.TimPeriod_Timer(); }},
        {"same region", [&] { m.bouton_Click(10); }},
    };
    for (const auto& [name, run] : entries) {
        sim.messages.shown.clear();
        run();
        EXPECT_EQ(coll().nbCaptures(), 1) << name;
        ASSERT_EQ(sim.messages.shown.size(), 1u) << name;
        EXPECT_EQ(sim.messages.shown[0].text, text) << name;
        EXPECT_TRUE(m.captureEchouee) << name;
        EXPECT_EQ(m.typeCapture, 'z') << name;
        // Back as before: no frozen screen of an old picture, the capture still shown.
        EXPECT_EQ(m.state, WindowState::Normal) << name;
        EXPECT_TRUE(m.visible && liste().visible) << name;
        EXPECT_TRUE(m.Picture2->picture.sameAs(shown)) << name;
        EXPECT_FALSE(prog->fcamLoaded()) << name;
    }
}

TEST_F(GrabTest, NoCaptureEntryFilesAStalePictureAfterAFailedGrab) {
    captureRegion(1500, 1500, 4500, 3000);
    ASSERT_EQ(coll().nbCaptures(), 1);
    sim.windows.advance(0.5);  // the flash is over
    FrmMain& m = main();
    m.MnuCaptper_Click();
    ASSERT_TRUE(m.TimPeriod->enabled);
    sim.grabber.failing = true;
    sim.grabber.failure = GrabFailure::Impossible;
    everyEntryFails(txt::kGrabImpossible);
    // The failed tick stopped the periodic capture, all three signs alike.
    EXPECT_FALSE(m.TimPeriod->enabled);
    EXPECT_FALSE(m.menu("MnuCaptper").checked);
    EXPECT_EQ(m.bouton(11).borderStyle, 0);
    // A chooser the user closed is no error to tell of.
    sim.grabber.failure = GrabFailure::Cancelled;
    sim.messages.shown.clear();
    m.bouton_Click(1);
    EXPECT_TRUE(sim.messages.shown.empty());
    EXPECT_EQ(coll().nbCaptures(), 1);
}

TEST_F(GrabTest, MemoryRunningOutFailsTheGrabAndKeepsWhatWasFiled) {
    captureRegion(1500, 1500, 4500, 3000);
    sim.windows.advance(0.5);
    const Bitmap filed = liste().Image1[1]->picture;
    sim.grabber.outOfMemory = true;
    everyEntryFails(txt::kOutOfMemory);
    EXPECT_TRUE(liste().Image1[1]->picture.sameAs(filed));
    // Memory back, the grab works again.
    sim.grabber.outOfMemory = false;
    main().bouton_Click(1);
    EXPECT_FALSE(main().captureEchouee);
    EXPECT_EQ(coll().nbCaptures(), 2);
}

TEST_F(GrabTest, AWindowPickedByTheUserIsAskedForOnce) {
    sim.grabber.picksWindow = true;
    main().bouton_Click(2);
    EXPECT_EQ(sim.grabber.grabs.size(), 1u);
    EXPECT_FALSE(main().premiereCapture);
    EXPECT_EQ(coll().nbCaptures(), 1);
}

TEST_F(GrabTest, WaitEndsAfterTheDelayAcrossMidnight) {
    // The time of day wraps at midnight; the monotonic clock does not, and
    // the wait is measured on it.
    sim.clock.time = {23, 59, 59};
    prog->g.tempo = 0.5;
    const double t0 = sim.clock.now;
    main().capturTTecran(0);
    EXPECT_GE(sim.clock.now - t0, 1.0);
    EXPECT_LT(sim.clock.now - t0, 1.2);
}

TEST_F(GrabTest, FrozenScreenCoversTheWholeDesktop) {
    main().bouton_Click(0);
    FrmMain& m = main();
    EXPECT_EQ(m.state, WindowState::Maximized);
    EXPECT_TRUE(m.coversDesktop());
    EXPECT_EQ(m.caption, txt::kTitleSelect);
    // All of the screen, the picture 1:1 over it: any place can be selected.
    EXPECT_EQ(m.Picture1->width, 1024 * 15);
    EXPECT_EQ(m.Picture1->height, 768 * 15);
    EXPECT_EQ(m.Picture1->left, 0);
    EXPECT_EQ(m.Picture1->top, 0);
    EXPECT_TRUE(m.Picture1->devicePixels);
    // Activated, it stays so.
    m.Form_Activate();
    EXPECT_EQ(std::make_tuple(m.Picture1->left, m.Picture1->top, m.Picture1->width), std::make_tuple(0, 0, 1024 * 15));
    EXPECT_TRUE(m.Picture1->visible);
    EXPECT_EQ(m.Picture1->cursor, CursorKind::Custom);
    EXPECT_EQ(m.Picture1->hotSpotX, 15);
    EXPECT_EQ(m.Picture1->hotSpotY, 14);
    EXPECT_FALSE(m.rectsel->visible);
    EXPECT_FALSE(m.ImgTtscreen->visible);
    EXPECT_FALSE(m.Labtaill2->visible);
    for (const char* n : {"mnufichier", "mnuedition", "mnuoutils", "mnuHelp", "mnucaptu"})
        EXPECT_FALSE(m.menu(n).visible) << n;
    EXPECT_EQ(m.menu("mnuveille").caption, "Mettre en veille");
    EXPECT_EQ(m.typeCapture, 'z');
    EXPECT_FALSE(m.premiereCapture);
}

TEST_F(GrabTest, FlashShowsPlaysAndUnloadsAfter300ms) {
    main().bouton_Click(0);
    Fcam& f = prog->fcam();
    EXPECT_TRUE(f.visible);
    ASSERT_EQ(sim.sound.played.size(), 1u);
    EXPECT_EQ(sim.sound.played[0], sim.paths.program + kPathSeparator + "camera.wav");
    sim.windows.advance(0.25);
    EXPECT_TRUE(f.loaded);
    sim.windows.advance(0.1);
    EXPECT_FALSE(f.loaded);
    // The menu capture shows no flash.
    main().menu("mnuttscreen").onClick();
    EXPECT_EQ(sim.sound.played.size(), 1u);
    EXPECT_FALSE(f.loaded);
}

TEST_F(GrabTest, MenuCaptureKeepsTheCaptureKind) {
    main().menu("mnuttscreen").onClick();
    EXPECT_EQ(main().state, WindowState::Maximized);
    EXPECT_EQ(main().typeCapture, '\0');
    EXPECT_TRUE(main().premiereCapture);
}

TEST_F(GrabTest, EscapeDuringSelectionFoldsToTheBar) {
    main().bouton_Click(0);
    FrmMain& m = main();
    m.width = 7000;  // the normal width it returns to
    m.Form_KeyDown(27);
    EXPECT_EQ(m.state, WindowState::Normal);
    EXPECT_EQ(m.height, 1250);
    EXPECT_EQ(m.hauteurHorsBarre, 1250);
    EXPECT_EQ(m.width, 7000);
    EXPECT_EQ(m.top, 0);
    EXPECT_TRUE(m.modeBarre);
    EXPECT_TRUE(m.visible);
    EXPECT_FALSE(m.Picture1->visible);
    EXPECT_FALSE(m.Picture2->visible);
    EXPECT_TRUE(m.Picture2->picture.isNull());
    EXPECT_FALSE(m.Labtaille->visible);
    EXPECT_EQ(m.caption, txt::kTitleCaptured);
    EXPECT_EQ(m.Picture1->cursor, CursorKind::Cross);
    for (const char* n : {"mnufichier", "mnuedition", "mnuoutils", "mnuHelp"}) EXPECT_TRUE(m.menu(n).visible) << n;
    // Escape outside a selection does nothing.
    m.height = 3000;
    m.Form_KeyDown(27);
    EXPECT_EQ(m.height, 3000);
}

TEST_F(GrabTest, KeyFortyTwoTakesTheClipboardsPictureIntoTheFrozenScreen) {
    main().bouton_Click(0);
    const Bitmap other = Bitmap::filled(3, 2, 0xFF123456u);
    sim.clipboard.content = other;
    main().Form_KeyDown(42);
    EXPECT_TRUE(main().Picture1->picture.sameAs(other));
    sim.clipboard.content = {};
    main().Form_KeyDown(42);
    EXPECT_TRUE(main().Picture1->picture.sameAs(other));
}

TEST_F(GrabTest, ReturnToSelectionDoesNothingAfterAWindowCapture) {
    main().bouton_Click(2);
    FrmMain& m = main();
    ASSERT_EQ(m.typeCapture, 'f');
    const auto before = std::make_tuple(m.state, m.width, m.height, m.caption, m.Picture1->visible);
    m.bouton_Click(9);
    m.menu("mnuretour").onClick();
    m.Form_KeyDown(27);
    EXPECT_EQ(std::make_tuple(m.state, m.width, m.height, m.caption, m.Picture1->visible), before);
    EXPECT_FALSE(m.modeBarre);
}

TEST_F(GrabTest, ButtonZeroAfterAWindowCaptureEntersTheSelection) {
    main().bouton_Click(2);
    FrmMain& m = main();
    // The window's picture is no frozen screen: a press on it files nothing.
    m.Picture1_MouseDown({kLeftButton, 0, 100, 100});
    m.Picture1_MouseUp({kLeftButton, 0, 2000, 2000});
    EXPECT_EQ(coll().nbCaptures(), 1);
    m.bouton_Click(0);
    EXPECT_EQ(m.state, WindowState::Maximized);
    EXPECT_EQ(m.typeCapture, 'z');
    EXPECT_TRUE(m.selectionPossible());
}

TEST_F(GrabTest, TheCollectionStepsAsideForTheSelectionAndComesBack) {
    captureRegion(100, 100, 1600, 1600);
    ASSERT_TRUE(liste().visible);
    FrmMain& m = main();
    m.bouton_Click(0);
    EXPECT_FALSE(liste().visible);
    // A thumbnail clicked meanwhile leaves the selection alone.
    liste().clickimage1(1);
    EXPECT_TRUE(m.selectionPossible());
    m.Form_KeyDown(27);
    EXPECT_TRUE(liste().visible);
    m.bouton_Click(9);
    EXPECT_FALSE(liste().visible);
    drag(200, 200, 200, 200);  // an empty selection files nothing, but the collection returns
    EXPECT_TRUE(liste().visible);
    EXPECT_EQ(coll().nbCaptures(), 1);
}

TEST_F(GrabTest, CaptureRequestsDuringAWaitAreIgnored) {
    // A click that lands while the grab waits for the screen starts nothing.
    int nested = 0;
    Timer& t = main().addTimer("probe", 50, true);
    t.onTick = [&] {
        ++nested;
        main().bouton_Click(0);
        main().bouton_Click(1);
        main().menu("mnuttscreen").onClick();
        main().Rafraichir();
        t.enabled = false;
    };
    prog->g.tempo = 0.2;
    main().capturTTecran(0);
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(sim.grabber.grabs.size(), 1u);
    EXPECT_TRUE(sim.messages.shown.empty());
}

}  // namespace
}  // namespace vis::sim
