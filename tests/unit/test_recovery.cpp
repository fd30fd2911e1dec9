// SPDX-License-Identifier: GPL-3.0-or-later
// Captures put aside when the program must end without asking, and offered
// back at the next start.

#include "output/atomic_file.h"
#include "output/recovery.h"
#include "support/files.h"
#include "support/program_fixture.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace vis::sim {
namespace {

namespace fs = std::filesystem;

bool samePixels(const Bitmap& a, const Bitmap& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) return false;
    return true;
}

CaptureMiseDeCote tiny(int seed, bool pleinEcran = false) {
    CaptureMiseDeCote c;
    c.picture = Bitmap::filled(3, 2, 0xFF000000u | static_cast<std::uint32_t>(seed * 0x010203));
    c.pleinEcran = pleinEcran;
    c.largeur = 75 + seed;
    c.hauteur = 60;
    c.largeurCapture = 45.5 + seed;
    c.hauteurCapture = 30;
    c.texteTaille = " 3 x 2 pixels\ttab";
    return c;
}

TEST(RecoveryIndex, ExactTextReadBackAndAnythingElseRefused) {
    const std::string text = recoveryIndex({tiny(1), tiny(2, true)});
    EXPECT_EQ(text,
              "vistrelle-recovery 1\n"
              "1.bmp\tz\t76\t60\t46.5\t30\t 3 x 2 pixels tab\n"
              "2.bmp\te\t77\t60\t47.5\t30\t 3 x 2 pixels tab\n");
    const auto entries = parseRecoveryIndex(text);
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 2u);
    EXPECT_EQ((*entries)[1].file, "2.bmp");
    EXPECT_TRUE((*entries)[1].capture.pleinEcran);
    EXPECT_EQ((*entries)[0].capture.largeur, 76);
    EXPECT_DOUBLE_EQ((*entries)[0].capture.largeurCapture, 46.5);
    EXPECT_EQ((*entries)[0].capture.texteTaille, " 3 x 2 pixels tab");

    const std::string head = "vistrelle-recovery 1\n";
    for (const std::string& bad :
         std::vector<std::string>{std::string(), head, "vistrelle-recovery 2\n1.bmp\tz\t1\t1\t1\t1\t\n",
                                  head + "1.bmp\tz\t1\t1\t1\t1\t",  // cut short
                                  head + "../x.bmp\tz\t1\t1\t1\t1\t\n", head + "1.bmp\tq\t1\t1\t1\t1\t\n",
                                  head + "1.bmp\tz\t-1\t1\t1\t1\t\n", head + "1.bmp\tz\t1\t1\tnan\t1\t\n",
                                  head + "1.bmp\tz\t1\t1\t1\t1\n", head + "1.bmp\tz\t1x\t1\t1\t1\t\n"})
        EXPECT_FALSE(parseRecoveryIndex(bad)) << bad;
}

TEST(RecoveryFolderStore, SetsComeBackInOrderWholeAndPrivate) {
    testing_files::TempFolder dir;
    const fs::path folder = dir.path() / "state" / "vistrelle" / "recovery";
    const RecoveryFolder store(folder);
    EXPECT_TRUE(store.store({}));
    EXPECT_FALSE(fs::exists(folder));
    ASSERT_TRUE(store.store({tiny(1), tiny(2, true)}));
    ASSERT_TRUE(store.store({tiny(3)}));
#ifndef _WIN32
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    ASSERT_EQ(::stat(folder.parent_path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
#endif
    // Half-made by a writer that was killed: never offered. A set that does
    // not read whole stays where it is, unoffered.
    fs::create_directories(folder / ".~vistrelle-2147483646-0-1.tmp");
    testing_files::writeAll(folder / ".~vistrelle-2147483646-0-1.tmp" / "1.bmp", {1});
    fs::create_directories(folder / "7");
    testing_files::writeAll(folder / "7" / "index", {'x'});

    const RecoveryFolder::Contents c = store.load();
    EXPECT_EQ(c.sets, (std::vector<fs::path>{folder / "1", folder / "2"}));
    ASSERT_EQ(c.captures.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const CaptureMiseDeCote want = tiny(i + 1, i == 1);
        const CaptureMiseDeCote& got = c.captures[static_cast<std::size_t>(i)];
        EXPECT_TRUE(samePixels(got.picture, want.picture)) << i;
        EXPECT_EQ(got.pleinEcran, want.pleinEcran);
        EXPECT_EQ(got.largeur, want.largeur);
        EXPECT_DOUBLE_EQ(got.largeurCapture, want.largeurCapture);
    }
    EXPECT_FALSE(fs::exists(folder / ".~vistrelle-2147483646-0-1.tmp"));

    store.discard(c.sets);
    std::set<std::string> left;
    for (const auto& e : fs::directory_iterator(folder)) left.insert(e.path().filename().string());
    EXPECT_EQ(left, std::set<std::string>{"7"});
    // Numbers go on after the highest one there.
    ASSERT_TRUE(store.store({tiny(4)}));
    EXPECT_TRUE(fs::exists(folder / "8" / "index"));
}

class RecoveryTest : public ProgramTest {
protected:
    // The program ends as a termination signal ends it; returns its status.
    int signal() {
        main().finSansQuestion();
        return sim.windows.exitCode.value_or(-1);
    }
    void restart(std::deque<MsgResult> answers = {}) {
        // The windows go with their program; the platform stays.
        for (Window* w : std::vector<Window*>(sim.windows.attached)) sim.windows.detach(*w);
        prog.reset();
        sim.messages.shown.clear();
        sim.messages.answers = std::move(answers);
        sim.windows.exitCode.reset();
        start();
    }
    RecoveryFolder folder() const { return RecoveryFolder(sim.paths.recovery); }
};

TEST_F(RecoveryTest, UnsavedCapturesComeBackInOrderUnsavedAsTheyWere) {
    captureRegion(1500, 1500, 4500, 3000);
    main().bouton_Click(5);  // saved: not put aside
    main().bouton_Click(1);
    captureRegion(300, 600, 3300, 5100);
    ASSERT_EQ(coll().nbCaptures(), 3);
    const std::vector<std::string> labels = {liste().Lbldim[2]->caption, liste().Lbldim[3]->caption};
    const std::vector<Bitmap> pictures = {liste().Image1[2]->picture, liste().Image1[3]->picture};
    const std::vector<int> heights = {liste().Image1[2]->height, liste().Image1[3]->height};
    const std::string taille = coll().texteTaille(2);
    const int largeur = coll().largeurImage(1), fenetre = coll().largeurFenetre(2);
    EXPECT_EQ(signal(), 0);
    EXPECT_TRUE(sim.messages.shown.empty());

    restart();
    ASSERT_EQ(sim.messages.shown.size(), 1u);
    EXPECT_EQ(sim.messages.shown[0].text,
              "2 captures non enregistrées de la session précédente ont été retrouvées ; les remettre dans la "
              "collection ?");
    EXPECT_EQ(sim.messages.shown[0].title, "Captures retrouvées");
    EXPECT_EQ(sim.messages.shown[0].buttons, MsgButtons::YesNo);
    ASSERT_EQ(coll().nbCaptures(), 2);
    EXPECT_EQ(liste().Lbldim[1]->caption, "01" + labels[0].substr(2));
    EXPECT_EQ(liste().Lbldim[1]->caption, "01 Plein écran");
    EXPECT_EQ(liste().Lbldim[2]->caption, "02" + labels[1].substr(2));
    for (std::size_t i = 1; i <= 2; ++i) {
        EXPECT_TRUE(samePixels(liste().Image1[i]->picture, pictures[i - 1])) << i;
        EXPECT_EQ(liste().Image1[i]->height, heights[i - 1]);
        EXPECT_FALSE(liste().pictsave[i]->visible);
    }
    EXPECT_EQ(coll().texteTaille(1), taille);
    EXPECT_EQ(coll().largeurImage(0), largeur);
    EXPECT_EQ(coll().largeurFenetre(1), fenetre);
    EXPECT_EQ(coll().captureCourante(), 2);
    EXPECT_TRUE(folder().load().sets.empty());

    // Put aside again, then refused: gone.
    EXPECT_EQ(signal(), 0);
    restart({MsgResult::No});
    EXPECT_EQ(sim.messages.shown.size(), 1u);
    EXPECT_EQ(coll().nbCaptures(), 0);
    EXPECT_TRUE(fs::is_empty(sim.paths.recovery));
}

TEST_F(RecoveryTest, WhatTheCollectionHasNoRoomForWaitsForTheStartAfter) {
    std::vector<CaptureMiseDeCote> many;
    for (int i = 0; i < 31; ++i) many.push_back(tiny(i));
    ASSERT_TRUE(folder().store(many));
    restart();
    ASSERT_EQ(sim.messages.shown.size(), 2u);
    EXPECT_EQ(sim.messages.shown[1].text,
              "La collection est pleine : 2 captures retrouvées restent de côté ; elles seront proposées au "
              "prochain démarrage.");
    EXPECT_EQ(coll().nbCaptures(), 29);
    EXPECT_EQ(folder().load().captures.size(), 2u);
    EXPECT_TRUE(samePixels(folder().load().captures[1].picture, many[30].picture));
}

TEST_F(RecoveryTest, SessionEndWithoutInteractionAndSettingsFailuresPutTheCapturesAsideFirst) {
    captureRegion(1500, 1500, 4500, 3000);
    bool cancel = false;
    main().Form_QueryUnload(cancel, UnloadMode::SessionEndUnattended);
    EXPECT_EQ(sim.windows.exitCode, 0);
    EXPECT_TRUE(sim.messages.shown.empty());
    EXPECT_EQ(folder().load().captures.size(), 1u);
    folder().discard(folder().load().sets);

    // A folder where param.txt should be: the question, after the captures are safe.
    restart();
    captureRegion(1500, 1500, 4500, 3000);
    fs::remove(fs::path(sim.paths.program) / "param.txt");
    fs::create_directories(fs::path(sim.paths.program) / "param.txt" / "x");
    // A signal comes while the question is open: still one copy aside.
    sim.messages.onShow = [&](const MessageRecord&) {
        EXPECT_EQ(folder().load().captures.size(), 1u);
        main().finSansQuestion();
    };
    main().SavOptions();
    EXPECT_EQ(sim.windows.exitCode, 0);
    sim.messages.onShow = nullptr;
    ASSERT_EQ(sim.messages.shown.size(), 1u);
    EXPECT_EQ(sim.messages.shown[0].text,
              "Votre fichier paramètres est sans doute endommagé; voulez-vous régénérer les paramètres pat défaut ?");
    EXPECT_EQ(folder().load().captures.size(), 1u);
}

#ifndef _WIN32
TEST_F(RecoveryTest, AFullDiskKeepsTheProgramAndItsCapturesWhenTheyCannotGoAside) {
    captureRegion(1500, 1500, 4500, 3000);
    const std::string before = testing_files::contents(fs::path(sim.paths.program) / "param.txt");
    {
        testing_files::FileSizeLimit full(40);
        ASSERT_TRUE(full.active());
        main().SavOptions();
    }
    ASSERT_EQ(sim.messages.shown.size(), 1u);
    EXPECT_EQ(sim.messages.shown[0].text,
              "Les captures non enregistrées n'ont pas pu être mises de côté dans le dossier " + sim.paths.recovery +
                  " ; enregistrez-les avant de quitter.");
    EXPECT_FALSE(sim.windows.exitCode.has_value());
    EXPECT_EQ(coll().nbCaptures(), 1);
    EXPECT_EQ(testing_files::contents(fs::path(sim.paths.program) / "param.txt"), before);
}
#endif

}  // namespace
}  // namespace vis::sim
