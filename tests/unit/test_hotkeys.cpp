// SPDX-License-Identifier: GPL-3.0-or-later
// Hot keys and the periodic capture.

#include "capture/texts_main.h"
#include "output/frm_about.h"
#include "support/files.h"
#include "support/program_fixture.h"

namespace vis::sim {
namespace {

constexpr int kShift = 16, kCtrl = 17, kF1 = 112, kF11 = 122;

class HotKeyTest : public ProgramTest {
protected:
    void poll() { main().Timerclav_Timer(); }
    std::size_t grabs() const { return sim.grabber.grabs.size(); }
};

TEST_F(HotKeyTest, ShiftAndTheSetKeyOnlyAndTheScanStopsAtTheFirstPair) {
    ASSERT_EQ(g().toucheF, "11");
    sim.keyboard.down = {kShift, kF1};
    poll();
    EXPECT_EQ(grabs(), 0u);
    sim.keyboard.down = {kShift, kF1, kF11};  // F1 comes first: nothing
    poll();
    EXPECT_EQ(grabs(), 0u);
    sim.keyboard.down = {kF11};
    poll();
    EXPECT_EQ(grabs(), 0u);
    sim.keyboard.down = {kShift, kF11};
    poll();
    EXPECT_EQ(grabs(), 1u);
    EXPECT_EQ(main().state, WindowState::Maximized);  // button 0: the frozen screen
}

TEST_F(HotKeyTest, CtrlWinsOverOneAndTwoWhichPickTheirButtons) {
    captureRegion(1500, 1500, 4500, 3000);
    sim.keyboard.tapped = {kShift, kCtrl, '1', kF11};
    poll();
    EXPECT_EQ(coll().nbCaptures(), 2);  // the same region again
    EXPECT_EQ(main().typeCapture, 'z');
    sim.keyboard.tapped = {kShift, '1', '2', kF11};
    poll();
    EXPECT_EQ(main().typeCapture, 'e');
    sim.keyboard.tapped = {kShift, '2', kF11};
    poll();
    EXPECT_EQ(main().typeCapture, 'f');
    EXPECT_EQ(coll().nbCaptures(), 4);
}

TEST_F(HotKeyTest, HeldActsOnceAndEachTapBetweenPollsOnce) {
    const Timer& t = *main().Timerclav;
    poll();
    EXPECT_TRUE(t.changedNothing) << "a poll at rest leaves the windows alone";
    EXPECT_TRUE(t.idleUntilKey);
    sim.keyboard.down = {kShift, '1', kF11};
    poll();
    EXPECT_FALSE(t.changedNothing) << "a poll that captures has windows to redraw";
    EXPECT_FALSE(t.idleUntilKey);
    for (int i = 0; i < 4; ++i) poll();
    EXPECT_EQ(coll().nbCaptures(), 1);
    sim.keyboard.down.clear();
    poll();
    for (int i = 0; i < 3; ++i) {
        sim.keyboard.tapped = {kShift, '1', kF11};
        poll();
        poll();  // nothing new since
    }
    EXPECT_EQ(coll().nbCaptures(), 4);
}

TEST_F(HotKeyTest, TapDuringACaptureWaitsForItAndTheOptionsDialogGoesFirst) {
    main().mnuoptions_Click();
    ASSERT_TRUE(prog->options().visible);
    sim.keyboard.tapped = {kShift, '1', kF11};
    poll();
    EXPECT_FALSE(prog->optionsLoaded());
    EXPECT_EQ(coll().nbCaptures(), 1);

    // Pressed while a grab waits: done once the grab is over.
    Timer& t = main().addTimer("probe", 50, true);
    t.onTick = [&] {
        sim.keyboard.tapped = {kShift, '1', kF11};
        poll();
        EXPECT_FALSE(main().Timerclav->idleUntilKey) << "a combination waits for this capture";
        t.enabled = false;
    };
    g().tempo = 0.2;
    main().bouton_Click(1);
    EXPECT_EQ(coll().nbCaptures(), 2);
    poll();
    EXPECT_EQ(coll().nbCaptures(), 3);
}

TEST_F(HotKeyTest, CommandFromOutsideWaitsForTheSettingsThenActsAsItsHotKey) {
    FrmMain& m = main();
    // Not up yet: the settings and the keys' poll come on the first tick of
    // the start hint.
    m.Timerclav->enabled = false;
    m.externalCommand(1);
    sim.windows.advance(0.5);
    EXPECT_EQ(grabs(), 0u);
    m.Timerclav->enabled = true;
    m.mnuoptions_Click();
    sim.windows.advance(0.15);
    EXPECT_FALSE(prog->optionsLoaded()) << "the dialog goes first, as for a hot key";
    EXPECT_EQ(std::make_tuple(coll().nbCaptures(), m.typeCapture), std::make_tuple(1, 'e'));
    EXPECT_FALSE(m.commandTimer->enabled);

    // The latest of two requests is served, once.
    m.externalCommand(10);
    m.externalCommand(2);
    sim.windows.advance(0.5);
    EXPECT_EQ(std::make_tuple(coll().nbCaptures(), m.typeCapture), std::make_tuple(2, 'f'));
    m.externalCommand(0);
    sim.windows.advance(0.15);
    EXPECT_TRUE(m.selectionPossible());
}

class PeriodicTest : public HotKeyTest {
protected:
    void tick() { main().TimPeriod_Timer(); }
    std::size_t savedFiles() const {
        std::size_t n = 0;
        for (const auto& e : std::filesystem::directory_iterator(sim.paths.documents))
            n += e.path().extension() == ".jpg";
        return n;
    }
};

TEST_F(PeriodicTest, StartsOnlyAfterARegionAndSavesAndEmptiesFromTen) {
    main().bouton_Click(11);
    EXPECT_FALSE(main().TimPeriod->enabled);
    ASSERT_EQ(sim.messages.shown.size(), 1u);
    EXPECT_EQ(sim.messages.shown[0].text, txt::kSelectRegionFirst);

    for (int i = 0; i < 3; ++i) captureRegion(1500, 1500, 4500, 3000);
    main().bouton_Click(11);
    EXPECT_TRUE(main().TimPeriod->enabled);
    EXPECT_TRUE(main().menu("MnuCaptper").checked);
    EXPECT_EQ(main().bouton(11).borderStyle, 1);
    for (int i = 0; i < 6; ++i) tick();
    EXPECT_EQ(coll().nbCaptures(), 9);
    tick();
    EXPECT_EQ(coll().nbCaptures(), 0);
    EXPECT_EQ(savedFiles(), 10u);
    tick();
    EXPECT_EQ(coll().nbCaptures(), 1);
    main().menu("MnuCaptper").onClick();
    EXPECT_FALSE(main().TimPeriod->enabled);
    EXPECT_EQ(main().bouton(11).borderStyle, 0);
}

TEST_F(PeriodicTest, MoreThanTenSavesAtTheFirstTickAndAFailedSaveStops) {
    for (int i = 0; i < 12; ++i) captureRegion(1500, 1500, 4500, 3000);
    main().bouton_Click(11);
    tick();
    EXPECT_EQ(coll().nbCaptures(), 0);
    EXPECT_EQ(savedFiles(), 13u);

    for (int i = 0; i < 9; ++i) tick();
    // A file where the folder should be: nowhere to save.
    std::filesystem::remove_all(sim.paths.documents);
    testing_files::writeAll(sim.paths.documents, {1});
    tick();
    EXPECT_FALSE(main().TimPeriod->enabled);
    EXPECT_FALSE(main().menu("MnuCaptper").checked);
    EXPECT_EQ(main().bouton(11).borderStyle, 1);  // its look is left as it was
    EXPECT_EQ(coll().nbCaptures(), 10);
}

// Stopping never asks for a region: not right after the automatic save
// (empty collection), nor after a whole-screen capture, nor while the About
// window holds the timer (off, but ticked).
TEST_F(PeriodicTest, StoppingAlwaysWorksStartingNeedsARegion) {
    const auto stopped = [&](const char* when) {
        EXPECT_FALSE(main().TimPeriod->enabled) << when;
        EXPECT_FALSE(main().menu("MnuCaptper").checked) << when;
        EXPECT_EQ(main().bouton(11).borderStyle, 0) << when;
        EXPECT_TRUE(sim.messages.shown.empty()) << when;
    };
    captureRegion(1500, 1500, 4500, 3000);
    main().bouton_Click(11);
    for (int i = 0; i < 9; ++i) tick();
    ASSERT_EQ(coll().nbCaptures(), 0);
    main().bouton_Click(11);
    stopped("after the automatic save");
    main().bouton_Click(11);  // nothing to repeat now
    ASSERT_EQ(sim.messages.shown.size(), 1u);
    EXPECT_EQ(sim.messages.shown[0].text, txt::kSelectRegionFirst);
    EXPECT_FALSE(main().TimPeriod->enabled);
    sim.messages.shown.clear();

    captureRegion(1500, 1500, 4500, 3000);
    main().bouton_Click(11);
    main().bouton_Click(1);
    ASSERT_EQ(main().typeCapture, 'e');
    main().menu("MnuCaptper").onClick();
    stopped("after a whole-screen capture");

    captureRegion(1500, 1500, 4500, 3000);
    main().bouton_Click(11);
    main().bouton_Click(16);
    ASSERT_FALSE(main().TimPeriod->enabled);
    main().bouton_Click(11);
    stopped("with the About window open");
    auto ok = prog->frmAbout().cmdOK->onClick;  // a copy: it unloads its window
    ok();
    EXPECT_FALSE(main().TimPeriod->enabled);
}

TEST_F(PeriodicTest, TickDuringASelectionWaits) {
    captureRegion(1500, 1500, 4500, 3000);
    main().bouton_Click(11);
    main().bouton_Click(0);
    tick();
    EXPECT_EQ(coll().nbCaptures(), 1);
    EXPECT_TRUE(main().selectionPossible());
}

}  // namespace
}  // namespace vis::sim
