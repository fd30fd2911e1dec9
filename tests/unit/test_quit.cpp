// SPDX-License-Identifier: GPL-3.0-or-later
// Tray mode and leaving the program.

#include "capture/texts_main.h"
#include "support/files.h"
#include "support/program_fixture.h"

namespace vis::sim {
namespace {

using TrayTest = ProgramTest;

TEST_F(TrayTest, SleepAndWakeByTheMenuAndTheIcon) {
    EXPECT_TRUE(sim.tray.shown);
    EXPECT_EQ(sim.tray.tip, "Capture écran Vistrelle");
    captureRegion(1500, 1500, 4500, 3000);
    FrmMain& m = main();
    m.menu("mnuveille").onClick();
    EXPECT_FALSE(m.visible);
    EXPECT_FALSE(liste().visible);
    EXPECT_EQ(m.menu("mnuveille").caption, txt::kWake);
    sim.tray.send(INotifyIcon::kLeftDoubleClick);
    EXPECT_TRUE(m.visible);
    EXPECT_TRUE(liste().visible);
    EXPECT_EQ(m.menu("mnuveille").caption, txt::kSleep);
    EXPECT_FALSE(m.enVeille);
    sim.tray.send(INotifyIcon::kRightDown);
    EXPECT_EQ(sim.windows.popupsShown, std::vector<std::string>{"mnucaptu"});

    // Asleep, a hot-key selection shows the windows for the selection only.
    m.menu("mnuveille").onClick();
    sim.keyboard.tapped = {16, 122};
    m.Timerclav_Timer();
    EXPECT_TRUE(m.visible);
    drag(100, 100, 1600, 1600);
    EXPECT_EQ(coll().nbCaptures(), 2);
    EXPECT_FALSE(m.visible);
    EXPECT_FALSE(liste().visible);
    EXPECT_EQ(m.menu("mnuveille").caption, txt::kWake);
    // Waking through the menu shows the tray menu in the menu bar.
    m.menu("mnuveille").onClick();
    EXPECT_TRUE(m.visible);
    EXPECT_TRUE(m.menu("mnucaptu").visible);
}

TEST_F(TrayTest, WithoutANotificationAreaTheWindowsAreMinimisedNotHidden) {
    sim.tray.hasArea = false;
    captureRegion(1500, 1500, 4500, 3000);
    bool cancel = false;
    main().Form_QueryUnload(cancel, UnloadMode::User);
    EXPECT_TRUE(cancel);
    EXPECT_TRUE(main().visible);
    EXPECT_EQ(main().state, WindowState::Minimized);
    EXPECT_EQ(liste().state, WindowState::Minimized);
    sim.windows.advance(0.2);  // the unload timer leaves it reachable too
    EXPECT_TRUE(liste().visible);
}

class QuitTest : public ProgramTest {
protected:
    int quit() {
        main().bouton_Click(12);
        return sim.windows.exitCode.value_or(-1);
    }
    std::size_t files() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(sim.paths.documents), {}));
    }
};

TEST_F(QuitTest, EmptyCollectionQuitsWithoutAQuestionAndWritesTheSettings) {
    std::filesystem::remove(std::filesystem::path(sim.paths.program) / "param.txt");
    EXPECT_EQ(quit(), 0);
    EXPECT_TRUE(sim.messages.shown.empty());
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(sim.paths.program) / "param.txt"));
    EXPECT_TRUE(g().sortieDemandee);
    EXPECT_FALSE(sim.tray.shown);
}

TEST_F(QuitTest, TheThreeAnswers) {
    captureRegion(1500, 1500, 4500, 3000);
    main().bouton_Click(11);
    sim.messages.answers = {MsgResult::Cancel};
    EXPECT_EQ(quit(), -1);
    ASSERT_EQ(sim.messages.shown.size(), 1u);
    EXPECT_EQ(sim.messages.shown[0].text, "Sauver tout avant de quitter ?");
    EXPECT_EQ(sim.messages.shown[0].title, "Enregistrement des captures ... ??");
    EXPECT_EQ(sim.messages.shown[0].buttons, MsgButtons::YesNoCancel);
    EXPECT_TRUE(main().TimPeriod->enabled);  // periodic capture goes on

    // A file where the folder should be: the save fails and the program stays.
    std::filesystem::remove_all(sim.paths.documents);
    testing_files::writeAll(sim.paths.documents, {1});
    sim.messages.answers = {MsgResult::Yes};
    EXPECT_EQ(quit(), -1);
    EXPECT_FALSE(main().TimPeriod->enabled);
    EXPECT_TRUE(prog->options().visible);

    std::filesystem::remove(sim.paths.documents);
    std::filesystem::create_directories(sim.paths.documents);
    sim.messages.answers = {MsgResult::Yes};
    EXPECT_EQ(quit(), 0);
    EXPECT_EQ(files(), 1u);
}

TEST_F(QuitTest, NoLeavesTheCapturesUnsaved) {
    captureRegion(1500, 1500, 4500, 3000);
    sim.messages.answers = {MsgResult::No};
    EXPECT_EQ(quit(), 0);
    EXPECT_EQ(files(), 0u);
}

TEST_F(QuitTest, SettingsThatEndTheProgramAskNothingMore) {
    captureRegion(1500, 1500, 4500, 3000);
    const auto param = std::filesystem::path(sim.paths.program) / "param.txt";
    std::filesystem::remove(param);
    std::filesystem::create_directories(param / "x");  // cannot be replaced: the regeneration question
    sim.messages.answers = {MsgResult::No};
    EXPECT_EQ(quit(), 0);
    ASSERT_EQ(sim.messages.shown.size(), 1u);
    EXPECT_EQ(sim.messages.shown[0].buttons, MsgButtons::YesNo);
    EXPECT_FALSE(g().sortieDemandee);
    EXPECT_EQ(files(), 0u);
}

TEST_F(QuitTest, CloseBoxHidesAndTheSessionEndAsksOnlyWithCaptures) {
    captureRegion(1500, 1500, 4500, 3000);
    FrmMain& m = main();
    bool cancel = false;
    m.Form_QueryUnload(cancel, UnloadMode::User);
    EXPECT_TRUE(cancel);
    EXPECT_FALSE(m.visible);
    EXPECT_FALSE(liste().visible);
    EXPECT_EQ(m.menu("mnuveille").caption, txt::kWake);
    EXPECT_TRUE(m.TimerUnload->enabled);
    sim.windows.advance(0.2);
    EXPECT_FALSE(m.TimerUnload->enabled);
    EXPECT_TRUE(sim.messages.shown.empty());
    // Woken at once after the close box, the collection stays shown.
    m.Form_QueryUnload(cancel, UnloadMode::User);
    sim.tray.send(INotifyIcon::kLeftDoubleClick);
    sim.windows.advance(0.2);
    EXPECT_TRUE(liste().visible);
    m.Form_QueryUnload(cancel, UnloadMode::User);

    // The collection window refuses a close the program did not ask for.
    cancel = false;
    liste().onQueryUnload(cancel, UnloadMode::User);
    EXPECT_TRUE(cancel);

    sim.messages.answers = {MsgResult::Cancel};
    cancel = false;
    m.Form_QueryUnload(cancel, UnloadMode::SessionEnd);
    EXPECT_TRUE(cancel);
    ASSERT_EQ(sim.messages.shown.size(), 1u);
    EXPECT_EQ(sim.messages.shown[0].title, "Vistrelle est encore actif !!!");
    EXPECT_EQ(sim.messages.shown[0].buttons, MsgButtons::OkCancel);
    sim.messages.answers = {MsgResult::Ok};
    m.Form_QueryUnload(cancel, UnloadMode::SessionEnd);
    EXPECT_FALSE(cancel);
    EXPECT_EQ(sim.windows.exitCode, 0);
}

TEST_F(QuitTest, SessionEndWithoutCapturesEndsAtOnce) {
    bool cancel = false;
    main().Form_QueryUnload(cancel, UnloadMode::SessionEnd);
    EXPECT_EQ(sim.windows.exitCode, 0);
    EXPECT_TRUE(sim.messages.shown.empty());
}

}  // namespace
}  // namespace vis::sim
