// SPDX-License-Identifier: GPL-3.0-or-later
// Copy, print and mail; the About, splash and help windows.

#include <map>
#include <set>

#include "output/frm_about.h"
#include "output/frm_aide.h"
#include "output/frm_splash.h"
#include "output/mail.h"
#include "output/texts_output.h"
#include "platform/sysinfo.h"
#include "support/program_fixture.h"

namespace vis::sim {
namespace {

// Runs a handler from a copy, as the event loop does: the handler may
// unload the window that holds it.
template <class F, class... Args>
void fire(F handler, Args... args) {
    handler(args...);
}

const std::string kCaption = "Capture écran réalisée le 17/05/2024 à 09:05:03  -  V i s t r e l l e";

class PrintTest : public ProgramTest {
protected:
    // The page that reached the printer, after one print command.
    const std::vector<PrintedItem>& printed() {
        const std::size_t before = sim.printer.sent.size();
        main().bouton_Click(6);
        EXPECT_EQ(sim.printer.sent.size(), before + 1);
        return sim.printer.sent.back();
    }
    static void expectPicture(const PrintedItem& i, int w, int h) {
        EXPECT_EQ(i.kind, PrintedItem::Picture);
        EXPECT_EQ(i.x, 800);
        EXPECT_EQ(i.y, 2000);
        EXPECT_EQ(i.width, w);
        EXPECT_EQ(i.height, h);
    }
};

TEST_F(PrintTest, RegionUpTo10000TwipsAtItsOwnSizeWiderScaledUnderTheCaptionLine) {
    // Picture2 is the region plus 30 twips: 9970 dragged make 10000.
    confirmOptions([](Options& o) { o.Check1[0]->value = 0; });  // any size, not steps of 100
    captureRegion(100, 100, 10070, 6100);
    ASSERT_EQ(main().Picture2->width, 10000);
    const auto& own = printed();
    ASSERT_EQ(own.size(), 2u);
    EXPECT_EQ(own[0].kind, PrintedItem::Text);
    EXPECT_EQ(own[0].text, kCaption);
    EXPECT_EQ(own[0].x, 3000);
    EXPECT_EQ(own[0].y, 1000);
    expectPicture(own[1], 10000, 6030);
    EXPECT_TRUE(own[1].picture.sameAs(main().Picture2->picture));

    captureRegion(100, 100, 10071, 6100);
    ASSERT_EQ(main().Picture2->width, 10001);
    const auto& scaled = printed();
    ASSERT_EQ(scaled.size(), 2u);
    expectPicture(scaled[1], 10000, 6029);  // 10000 x 6030 / 10001
    EXPECT_EQ(sim.printer.dialogsShown, 2);
    EXPECT_TRUE(sim.messages.shown.empty());
}

TEST_F(PrintTest, KindFollowsTheCurrentCapturesLabel) {
    main().bouton_Click(1);  // 1024 x 768: 10000 x 7500
    const auto& full = printed();
    ASSERT_EQ(full.size(), 2u);
    expectPicture(full[1], 10000, 7500);
    EXPECT_EQ(full[1].picture.width(), 1024);

    captureRegion(1500, 1500, 4500, 3000);
    expectPicture(printed().at(1), 3030, 1530);

    // Back to the whole screen from its thumbnail: the full-screen page again.
    liste().clickimage1(1);
    const auto& again = printed();
    expectPicture(again.at(1), 10000, 7500);
    EXPECT_TRUE(again[1].picture.sameAs(main().ImgTtscreen->picture));

    // The frozen screen left with Escape empties the main window: the
    // region's own picture is printed at its own size.
    liste().clickimage1(2);
    main().bouton_Click(0);
    main().Form_KeyDown(27);
    ASSERT_TRUE(main().Picture2->picture.isNull());
    const auto& fallback = printed();
    expectPicture(fallback.at(1), 200 * 15, 100 * 15);
    EXPECT_TRUE(fallback[1].picture.sameAs(liste().Image1[2]->picture));
}

TEST_F(PrintTest, CancelIsSilentFailureSaysSoAndNoCurrentCaptureTouchesNoPrinter) {
    main().bouton_Click(6);  // empty collection: nothing at all
    EXPECT_EQ(sim.printer.dialogsShown, 0);
    EXPECT_TRUE(sim.messages.shown.empty());

    captureRegion(1500, 1500, 4500, 3000);
    sim.printer.cancelDialog = true;
    main().menu("Mnuimprimer").onClick();
    EXPECT_EQ(sim.printer.dialogsShown, 1);
    EXPECT_TRUE(sim.printer.sent.empty());
    EXPECT_TRUE(sim.messages.shown.empty());

    sim.printer.cancelDialog = false;
    sim.printer.failing = true;
    main().bouton_Click(6);
    EXPECT_TRUE(sim.printer.sent.empty());
    EXPECT_EQ(sim.printer.killed, 1);
    ASSERT_EQ(sim.messages.shown.size(), 1u);
    EXPECT_EQ(sim.messages.shown[0].text, "Impression impossible ...");
    EXPECT_EQ(sim.messages.shown[0].icon, MsgIcon::Exclamation);

    sim.printer.failing = false;
    captureRegion(1500, 1500, 3000, 3000);
    main().bouton_Click(7);  // one capture left, none current
    ASSERT_EQ(coll().captureCourante(), 0);
    sim.messages.shown.clear();
    main().bouton_Click(6);
    EXPECT_EQ(sim.printer.dialogsShown, 2);
    ASSERT_EQ(sim.messages.shown.size(), 1u);
    EXPECT_EQ(sim.messages.shown[0].text, txt::kChooseCaptureToPrint);
    EXPECT_EQ(sim.messages.shown[0].icon, MsgIcon::Information);
}

using CopyTest = ProgramTest;

TEST_F(CopyTest, CurrentCaptureOnTheClipboardAndWithoutOneAMessage) {
    captureRegion(1500, 1500, 4500, 3000);
    main().bouton_Click(1);
    liste().clickimage1(1);
    sim.trace.clear();
    main().menu("mnucopier").onClick();
    EXPECT_EQ(sim.trace, std::vector<std::string>{"clipboard.set"});  // replaced, never emptied first
    EXPECT_TRUE(sim.clipboard.content.sameAs(liste().Image1[1]->picture));
    EXPECT_EQ(sim.clipboard.content.width(), 200);

    main().bouton_Click(7);
    ASSERT_EQ(coll().captureCourante(), 0);
    sim.trace.clear();
    main().bouton_Click(3);
    EXPECT_EQ(sim.trace, std::vector<std::string>{"message " + std::string(txt::kChooseCaptureToCopy)});
    EXPECT_EQ(sim.clipboard.content.width(), 200);  // left as it was
}

using MailTest = ProgramTest;

TEST_F(MailTest, TheAuthorsAddressAndSubjectFromTheMenuAndTheAboutWindow) {
    const std::string url = "mailto:" + authorMail() + "?subject=Mes%20observations%20sur%20Vistrelle";
    main().menu("mnumail").onClick();
    prog->frmAbout().Cdemail->onClick();
    EXPECT_EQ(sim.mail.urls, (std::vector<std::string>{url, url}));
    EXPECT_TRUE(sim.messages.shown.empty());

    sim.mail.available = false;
    main().menu("mnumail").onClick();
    ASSERT_EQ(sim.messages.shown.size(), 1u);
    EXPECT_EQ(sim.messages.shown[0].text,
              "Aucun logiciel de messagerie n'a pu être ouvert; écrivez à " + authorMail() + " ...");
    EXPECT_EQ(sim.messages.shown[0].icon, MsgIcon::Information);

    // Whatever the address holds, the URL keeps its shape.
    EXPECT_EQ(mailtoUrl("a b@x.org?c", "é&="), "mailto:a%20b@x.org%3Fc?subject=%C3%A9%26%3D");
}

using AboutTest = ProgramTest;

TEST_F(AboutTest, OpeningStopsThePeriodicCaptureAndOkResumesItOnlyWhenTicked) {
    captureRegion(1500, 1500, 4500, 3000);
    main().MnuCaptper_Click();
    ASSERT_TRUE(main().TimPeriod->enabled);
    main().bouton_Click(16);
    FrmAbout& a = prog->frmAbout();
    EXPECT_TRUE(a.visible);
    EXPECT_EQ(a.caption, "À propos de VISTRELLE");
    EXPECT_EQ(a.lblVersion->caption, "Version 1.3");
    EXPECT_EQ(a.cmdSysInfo->caption, "Infos Système...");
    EXPECT_EQ(a.labmail->caption, std::string(txt::kMailInvite) + authorMail());
    EXPECT_TRUE(main().ignorerActivation);
    EXPECT_FALSE(main().TimPeriod->enabled);
    fire(a.onKeyDown, 13, 0);  // Enter is OK
    EXPECT_FALSE(prog->aboutLoaded());
    EXPECT_TRUE(main().TimPeriod->enabled);
    main().bouton_Click(16);
    fire(prog->frmAbout().cmdOK->onClick);
    EXPECT_FALSE(prog->aboutLoaded());
    EXPECT_TRUE(main().TimPeriod->enabled);

    main().MnuCaptper_Click();  // stopped, no check mark
    main().menu("mnuapropos").onClick();
    fire(prog->frmAbout().cmdOK->onClick);
    EXPECT_FALSE(main().TimPeriod->enabled);
}

TEST_F(AboutTest, SystemInformationStartsOrSaysItIsNotAvailable) {
    FrmAbout& a = prog->frmAbout();
    a.cmdSysInfo->onClick();
    EXPECT_EQ(sim.systemInfo.starts, 1);
    EXPECT_TRUE(sim.messages.shown.empty());
    sim.systemInfo.available = false;
    a.cmdSysInfo->onClick();
    ASSERT_EQ(sim.messages.shown.size(), 1u);
    EXPECT_EQ(sim.messages.shown[0].text, "Les informations système ne sont pas disponibles actuellement");
    EXPECT_EQ(sim.messages.shown[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(sim.messages.shown[0].icon, MsgIcon::None);
    EXPECT_EQ(sim.messages.shown[0].title, "");
}

TEST(SystemInfoLookup, RegistryKeysInTurnThenTheSearchPath) {
    std::map<std::string, std::string> registry;
    std::set<std::string> files;
    SystemInfoSources windows;
    windows.registryString = [&](const std::string& key, const std::string& value) -> std::optional<std::string> {
        auto it = registry.find(key + "|" + value);
        if (it == registry.end()) return std::nullopt;
        return it->second;
    };
    windows.fileExists = [&](const std::string& p) { return files.count(p) != 0; };
    EXPECT_FALSE(findSystemInfo(windows));
    registry["SOFTWARE\\Microsoft\\Shared Tools Location|MSINFO"] = "C:\\MSINFO";
    EXPECT_FALSE(findSystemInfo(windows));  // the folder holds no MSINFO32.EXE
    files.insert("C:\\MSINFO\\MSINFO32.EXE");
    EXPECT_EQ(findSystemInfo(windows)->path, "C:\\MSINFO\\MSINFO32.EXE");
    registry["SOFTWARE\\Microsoft\\Shared Tools\\MSINFO|PATH"] = "D:\\Outils\\msinfo32.exe";
    EXPECT_EQ(findSystemInfo(windows)->path, "D:\\Outils\\msinfo32.exe");

    std::set<std::string> onPath;
    SystemInfoSources searchPath;
    searchPath.findOnPath = [&](const std::string& program) -> std::optional<std::string> {
        if (!onPath.count(program)) return std::nullopt;
        return "/usr/bin/" + program;
    };
    EXPECT_FALSE(findSystemInfo(searchPath));
    onPath = {"hardinfo", "gnome-control-center"};
    const auto found = findSystemInfo(searchPath);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->path, "/usr/bin/gnome-control-center");
    EXPECT_EQ(found->arguments, std::vector<std::string>{"info-overview"});
}

class SplashTest : public ProgramTest {
protected:
    // Started, but no time has passed yet.
    void SetUp() override {
        writeSettings(defaultRecord(sim.paths.documents));
        platform = std::make_unique<Platform>(sim.platform());
        prog = std::make_unique<Program>(*platform);
        prog->start();
    }
};

TEST_F(SplashTest, ShownAtStartForTwoSecondsOrUntilAKeyOrAPressOrAGrab) {
    ASSERT_TRUE(prog->splashLoaded());
    FrmSplash& s = prog->frmSplash();
    EXPECT_TRUE(s.visible);
    EXPECT_EQ(s.lblPlatform->caption, platformLine());
    EXPECT_EQ(s.lblWarning->caption, "Capturez d 'abord tout l'écran avec le 1° bouton à gauche");
    sim.windows.advance(1.9);
    EXPECT_TRUE(prog->splashLoaded());
    sim.windows.advance(0.2);
    EXPECT_FALSE(prog->splashLoaded());
    EXPECT_FALSE(main().Timsplash->enabled);

    // Shown again (as at the next start): a key, a press or a grab ends it.
    prog->frmSplash().show();
    fire(prog->frmSplash().onKeyDown, 65, 0);
    EXPECT_FALSE(prog->splashLoaded());
    prog->frmSplash().show();
    fire(prog->frmSplash().Frame1->onMouseDown, MouseEvent{kRightButton, 0, 10, 10});
    EXPECT_FALSE(prog->splashLoaded());
    prog->frmSplash().show();
    main().bouton_Click(1);
    EXPECT_FALSE(prog->splashLoaded());
    EXPECT_EQ(sim.grabber.grabs.back().visibleWindows.count("frmSplash"), 0u);
}

#ifdef __linux__
TEST(SplashLine, NamesTheSystemAndItsWordSize) {
    EXPECT_EQ(platformLine(), sizeof(void*) == 8 ? "Linux 64 bits" : "Linux 32 bits");
}
#endif

class HelpTest : public ProgramTest {
protected:
    void SetUp() override {
#ifdef VIS_DATA_DIR
        // The built help pictures.
        for (const char* f : {"aidefn.bmp", "aidefv.bmp", "aideopt.bmp"})
            std::filesystem::copy_file(std::filesystem::path(VIS_DATA_DIR) / f,
                                       std::filesystem::path(sim.paths.program) / f);
#endif
        ProgramTest::SetUp();
    }
};

TEST_F(HelpTest, EachEntryOpensItsWindowModallyPictureSizedAndAClickOrAHotKeyClosesIt) {
    const std::pair<const char*, const char*> entries[] = {
        {"MnuaidFP", "Aide fenêtre principale de Vistrelle"},
        {"MnuaidFC", "Aide fenêtre vignettes de Vistrelle"},
        {"MnuaidOpt", "Aide fenêtre Options de Vistrelle"},
    };
    std::vector<std::string> names, captions;
    sim.windows.modalScript = [&](Window& w) {
        names.push_back(w.name);
        captions.push_back(w.caption);
        auto& h = static_cast<FrmAide&>(w);
        EXPECT_EQ(h.height, h.picture->height + 400);
        EXPECT_EQ(h.width, h.picture->width + 100);
#ifdef VIS_DATA_DIR
        // Readable at 100 %: on a 1280 x 800 screen with a panel, whole.
        EXPECT_LE(h.width, 1280 * 15);
        EXPECT_LE(h.height, 760 * 15);
        EXPECT_GE(h.picture->picture.width(), 800);
#endif
        EXPECT_EQ(h.picture->tooltip, "Cliquer sur l'image pour fermer la fenêtre d'aide");
        fire(h.picture->onClick);
    };
    for (const auto& [entry, caption] : entries) {
        main().menu(entry).onClick();
        EXPECT_EQ(captions.back(), caption);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"FrmAidfn", "Frmaidfv", "FrmAidOpt"}));
    EXPECT_FALSE(prog->aideVisible(Aide::Options));

    // A hot key closes an open help window before its capture.
    sim.windows.modalScript = nullptr;
    prog->aide(Aide::Vignettes).montrer();
    ASSERT_TRUE(prog->aideVisible(Aide::Vignettes));
    sim.keyboard.tapped = {16, 122};
    main().Timerclav_Timer();
    EXPECT_FALSE(prog->aideVisible(Aide::Vignettes));
    EXPECT_EQ(main().state, WindowState::Maximized);
}

}  // namespace
}  // namespace vis::sim
