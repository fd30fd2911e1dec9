// SPDX-License-Identifier: GPL-3.0-or-later
// The settings as the running program loads, edits and saves them.

#include <fstream>
#include <iterator>

#include "platform/format.h"
#include "support/files.h"
#include "support/program_fixture.h"

namespace vis::sim {
namespace {

namespace fs = std::filesystem;

using testing_files::contents;

// A record with every field away from its default.
std::string customRecord(const std::string& dir) {
    return padRight(dir, 100) +
           "000012011"
           "5"
           "Pref"
           "5 "
           "3"
           "   ";
}

class OptionsTest : public ProgramTest {
protected:
    void SetUp() override {}  // each test writes its own settings first
    fs::path paramPath() const { return fs::path(sim.paths.program) / "param.txt"; }
    Options& opt() { return prog->options(); }
};

TEST_F(OptionsTest, NoFileAtAllStartsOnTheDefaultsWithoutAQuestion) {
    // A new account: no documents folder yet. It is made, and nothing else.
    fs::remove(sim.paths.documents);
    start();
    EXPECT_TRUE(sim.messages.shown.empty());
    EXPECT_FALSE(sim.windows.exitCode.has_value());
    EXPECT_TRUE(fs::is_directory(sim.paths.documents));
    EXPECT_EQ(contents(paramPath()), "\"" + padRight(sim.paths.documents, 100) + "0200001007Capt111   \"\r\n");
    EXPECT_TRUE(main().Timerclav->enabled);
    EXPECT_EQ(opt().Text1->caption, sim.paths.documents);
    EXPECT_TRUE(fs::is_empty(sim.paths.config));
}

TEST_F(OptionsTest, DamagedFileAsksAndRegeneratesTheDefaults) {
    std::ofstream(paramPath(), std::ios::binary) << "0";
    start();
    ASSERT_EQ(sim.messages.shown.size(), 2u);
    EXPECT_EQ(sim.messages.shown[0].text,
              "Votre fichier paramètres est sans doute endommagé; voulez-vous régénérer les paramètres pat défaut ?");
    EXPECT_EQ(sim.messages.shown[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(sim.messages.shown[0].icon, MsgIcon::None);
    EXPECT_EQ(sim.messages.shown[1].text,
              "Paramètres restaurés avec les valeurs par défaut, vous devez relancer le programme ..");
    EXPECT_EQ(sim.windows.exitCode, 0);
    EXPECT_EQ(contents(paramPath()), "\"" + padRight(sim.paths.documents, 100) + "0200001007Capt111   \"\r\n");
}

TEST_F(OptionsTest, InstalledCopyKeepsItsSettingsOutOfItsFolderEvenWhenWritable) {
    // Root can write the installed tree; a file left there by an older run is ignored.
    sim.paths.installed = true;
    std::ofstream(paramPath(), std::ios::binary) << "stale";
    start();
    const fs::path inConfig = fs::path(sim.paths.config) / "param.txt";
    EXPECT_EQ(contents(inConfig), "\"" + padRight(sim.paths.documents, 100) + "0200001007Capt111   \"\r\n");
    EXPECT_EQ(contents(paramPath()), "stale");
    EXPECT_EQ(std::distance(fs::directory_iterator(sim.paths.program), fs::directory_iterator()), 1);
}

TEST_F(OptionsTest, FailedRegenerationSaysSoWithThePath) {
    fs::create_directories(paramPath() / "sous-dossier");  // a folder in the way that cannot go
    start();
    ASSERT_EQ(sim.messages.shown.size(), 2u);
    EXPECT_EQ(sim.messages.shown[1].text,
              "Paramètres non restaurés, le fichier " + paramPath().string() + " n'a pas pu être écrit ..");
    EXPECT_EQ(sim.messages.shown[1].icon, MsgIcon::Exclamation);
    EXPECT_EQ(sim.windows.exitCode, 1);
    EXPECT_TRUE(fs::is_directory(paramPath() / "sous-dossier"));
}

TEST_F(OptionsTest, AnsweringNoEndsWithoutTouchingTheFile) {
    std::ofstream(paramPath(), std::ios::binary) << "damaged";
    sim.messages.answers = {MsgResult::No};
    start();
    EXPECT_EQ(sim.messages.shown.size(), 1u);
    EXPECT_EQ(sim.windows.exitCode, 0);
    EXPECT_EQ(contents(paramPath()), "damaged");
}

TEST_F(OptionsTest, SettingsLoadOnTheFirstHintTick) {
    writeSettings(customRecord(sim.paths.documents));
    // Left half-written in the save folder by a run that was killed.
    const fs::path stale = fs::path(sim.paths.documents) / ".~vistrelle-2147483646-0-1.tmp";
    std::ofstream(stale) << "x";
    platform = std::make_unique<Platform>(sim.platform());
    prog = std::make_unique<Program>(*platform);
    prog->start();
    // Not before the first tick of the hint timer.
    EXPECT_FALSE(prog->optionsLoaded());
    EXPECT_EQ(prog->g.prefixe, "Capt");
    EXPECT_FALSE(main().Timerclav->enabled);
    EXPECT_TRUE(fs::exists(stale));
    sim.windows.advance(0.02);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(prog->optionsLoaded());
    EXPECT_TRUE(main().Timerclav->enabled);
    EXPECT_EQ(prog->g.prefixe, "Pref");
    EXPECT_EQ(prog->g.toucheF, "5 ");
    EXPECT_EQ(prog->g.qualiteJpg, 50);
    EXPECT_EQ(prog->g.inclureFenetres, 1);
    EXPECT_DOUBLE_EQ(prog->g.tempo, 0.3);
    EXPECT_EQ(main().TimPeriod->interval, 12000);
    EXPECT_FALSE(main().TimPeriod->enabled);
    EXPECT_EQ(opt().Txttouche->caption, "5");
    EXPECT_EQ(opt().Txtinterval->caption, "12");
    EXPECT_EQ(opt().Check1[0]->value, 0);
    EXPECT_EQ(opt().Check1[1]->value, 1);
    EXPECT_EQ(opt().Slider1->value, 5);
    EXPECT_EQ(opt().Slidtempo->value, 3);
    EXPECT_FALSE(opt().visible);
    // The grab follows them: own windows kept, 0.3 s waits.
    const double t0 = sim.clock.now;
    main().capturTTecran(0);
    EXPECT_EQ(sim.grabber.grabs[0].visibleWindows.count("frmMain"), 1u);
    EXPECT_GE(sim.grabber.grabs[0].time - t0, 0.3);
}

TEST_F(OptionsTest, DialogCaptionsAndLayout) {
    writeSettings(defaultRecord(sim.paths.documents));
    start();
    Options& o = opt();
    EXPECT_EQ(o.caption, "Options utilisateur");
    EXPECT_EQ(o.Label1->caption, "Répertoire de sauvegarde par défaut :");
    EXPECT_EQ(o.Cdeparcourir->caption, "Parcourir");
    EXPECT_EQ(o.Check1[0]->caption, "Taille des sélections par \"pas\" de 100");
    EXPECT_EQ(o.Check1[1]->caption, "Sauvegardes en série au format \"Bmp\" (jpg par défaut)");
    EXPECT_EQ(o.Check1[2]->caption, "Inclure les fenêtres Vistrelle dans les captures");
    EXPECT_EQ(o.Label4->caption, "    - -  Qualité image  ++");
    EXPECT_EQ(o.Label3->caption, "++  Compression Jpg   - -");
    EXPECT_EQ(o.CdeAnnul->caption, "Annuler");
    // Each box 50 twips after its label's text (6 pixels a character here).
    EXPECT_EQ(o.lblt->width, 46 * 90);
    EXPECT_EQ(o.Txttouche->left, 5400 + 46 * 90 + 50);
    EXPECT_EQ(o.Txtpref->left, 360 + 47 * 90 + 50);
    EXPECT_EQ(o.Txtinterval->left, 360 + 65 * 90 + 50);
    EXPECT_EQ(o.Slidtempo->left, 360 + 51 * 90 + 50);
    EXPECT_EQ(o.Txtpref->maxLength, 6);
    EXPECT_EQ(o.Txttouche->maxLength, 2);
    EXPECT_EQ(o.Txtinterval->maxLength, 6);
    EXPECT_EQ(o.Label6->caption,
              "(SHIFT+CTRL+ F11 pour capturer à nouveau la même région)\r\n"
              "(SHIFT+1+ F11 pour capturer tout l'écran)\r\n"
              "(SHIFT+2+ F11 pour capturer une fenêtre)");
}

TEST_F(OptionsTest, HelpLabelFollowsEveryKeystroke) {
    writeSettings(defaultRecord(sim.paths.documents));
    start();
    Options& o = opt();
    const std::pair<const char*, const char*> keys[] = {{"1", "F1 "}, {"13", "F13 "}, {"05", "F5 "}, {"", "F "}};
    for (const auto& [text, shown] : keys) {
        o.Txttouche->caption = text;
        o.Txttouche->onChange();
        EXPECT_EQ(o.Label6->caption.rfind("(SHIFT+CTRL+ " + std::string(shown), 0), 0u) << text;
    }
}

TEST_F(OptionsTest, OkChecksPrefixFirstThenKey) {
    writeSettings(defaultRecord(sim.paths.documents));
    start();
    const std::string before = contents(paramPath());
    Options& o = opt();
    o.show();
    o.Txtpref->caption = "abc";
    o.Txttouche->caption = "13";
    o.OKButton->onClick();
    ASSERT_EQ(sim.messages.shown.size(), 1u);
    EXPECT_EQ(sim.messages.shown[0].text, "Longueur préfixe doit être égal à 4 !!");
    EXPECT_EQ(sim.messages.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(o.focusControl, o.Txtpref);
    o.Txtpref->caption = "Image";
    for (const char* bad : {"0", "13", "05", " 5"}) {
        sim.messages.shown.clear();
        o.Txttouche->caption = bad;
        o.OKButton->onClick();
        ASSERT_EQ(sim.messages.shown.size(), 1u) << bad;
        EXPECT_EQ(sim.messages.shown[0].text, "Numéro de touche de fonction invalide") << bad;
        EXPECT_TRUE(o.visible);
    }
    EXPECT_EQ(contents(paramPath()), before);
    sim.messages.shown.clear();
    o.Txttouche->caption = "5";
    o.Txtinterval->caption = "120";
    o.Slidtempo->value = 0;
    o.OKButton->onClick();
    EXPECT_TRUE(sim.messages.shown.empty());
    EXPECT_FALSE(o.visible);
    EXPECT_EQ(contents(paramPath()), padRight(sim.paths.documents, 100) + "0000651007Imag5 0   \r\n");
    EXPECT_EQ(prog->g.prefixe, "Imag");
    EXPECT_EQ(prog->g.toucheF, "5 ");
    EXPECT_EQ(main().TimPeriod->interval, 65000);
    EXPECT_DOUBLE_EQ(prog->g.tempo, 0.0);
}

TEST_F(OptionsTest, FolderBoxHoldsWhatTheUserTypes) {
    writeSettings(defaultRecord(sim.paths.documents));
    start();
    Options& o = opt();
    EXPECT_EQ(o.Text1->caption, sim.paths.documents);  // not the padded field
    o.show();
    o.Text1->caption += "/captures";  // typed at the end of the box
    o.OKButton->onClick();
    EXPECT_FALSE(o.visible);
    EXPECT_EQ(contents(paramPath()), padRight(sim.paths.documents + "/captures", 100) + "0000001007Capt111   \r\n");

    // What the record cannot hold, or a prefix that leads out of the folder, is refused.
    const std::string before = contents(paramPath());
    o.show();
    o.Text1->caption = "/" + std::string(100, 'd');
    o.OKButton->onClick();
    ASSERT_EQ(sim.messages.shown.size(), 1u);
    EXPECT_EQ(sim.messages.shown[0].text, "Répertoire trop long : 100 caractères au plus !!");
    EXPECT_EQ(o.focusControl, o.Text1);
    o.Text1->caption = sim.paths.documents;
    o.Txtpref->caption = "../x";
    o.OKButton->onClick();
    ASSERT_EQ(sim.messages.shown.size(), 2u);
    EXPECT_EQ(
        sim.messages.shown[1].text,
        "Préfixe invalide : les barres obliques (/ et \\) et les points qui se suivent (..) ne sont pas admis !!");
    EXPECT_EQ(sim.messages.shown[1].icon, MsgIcon::Exclamation);
    EXPECT_EQ(o.focusControl, o.Txtpref);
    EXPECT_TRUE(o.visible);
    EXPECT_EQ(contents(paramPath()), before);
}

TEST_F(OptionsTest, BadIntervalIsRefusedAndTheRecordKeepsItsLayout) {
    writeSettings(defaultRecord(sim.paths.documents));
    start();
    Options& o = opt();
    for (const char* bad : {"-5", "2.5", "dix"}) {
        sim.messages.shown.clear();
        o.Txtinterval->caption = bad;
        o.OKButton->onClick();
        ASSERT_EQ(sim.messages.shown.size(), 1u) << bad;
        EXPECT_EQ(sim.messages.shown[0].text,
                  "Intervalle invalide : indiquer un nombre entier de secondes (0 à 65) !!");
        EXPECT_EQ(o.focusControl, o.Txtinterval);
    }
    EXPECT_EQ(charCount(prog->g.ligneParam), 120u);
}

TEST_F(OptionsTest, AnnulerDiscardsEditsOnTheNextOpening) {
    writeSettings(customRecord(sim.paths.documents));
    start();
    int opened = 0;
    sim.windows.modalScript = [&](Window&) {
        Options& o = opt();
        if (opened++ == 0) {
            o.Txtpref->caption = "Zzzz";
            o.Check1[2]->value = 0;
            o.CdeAnnul->onClick();
        } else {
            EXPECT_EQ(o.Txtpref->caption, "Pref");
            EXPECT_EQ(o.Check1[2]->value, 1);
            o.CdeAnnul->onClick();
        }
        EXPECT_FALSE(o.visible);
    };
    main().bouton_Click(13);
    main().menu("mnuoptions").onClick();
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(sim.windows.modalShown, (std::vector<std::string>{"Options", "Options"}));
    EXPECT_EQ(prog->g.prefixe, "Pref");
}

TEST_F(OptionsTest, PeriodicTimerRestsWhileTheDialogIsOpen) {
    writeSettings(customRecord(sim.paths.documents));
    start();
    main().menu("MnuCaptper").checked = true;
    main().TimPeriod->enabled = true;
    sim.windows.modalScript = [&](Window&) {
        EXPECT_FALSE(main().TimPeriod->enabled);
        opt().Txtpref->caption = "ab";
        opt().OKButton->onClick();  // refused, but the timer runs again
        EXPECT_TRUE(main().TimPeriod->enabled);
        EXPECT_TRUE(opt().visible);
        opt().CdeAnnul->onClick();
    };
    main().mnuoptions_Click();
    EXPECT_TRUE(main().TimPeriod->enabled);
}

TEST_F(OptionsTest, BrowseTakesTheFolderOfTheChosenFile) {
    writeSettings(defaultRecord(sim.paths.documents));
    start();
    Options& o = opt();
    main().TimPeriod->enabled = true;
    sim.dialogs.openAnswers = {"/home/u/Mes images/photo.jpg", "/x.bmp", std::nullopt};
    o.Text1->caption = sim.paths.documents + "  ";  // blanks typed after the folder
    o.Cdeparcourir->onClick();
    EXPECT_EQ(o.Text1->caption, "/home/u/Mes images");
    ASSERT_EQ(sim.dialogs.openRequests.size(), 1u);
    EXPECT_EQ(sim.dialogs.openRequests[0].fileName, "Capture");
    EXPECT_EQ(sim.dialogs.openRequests[0].initialFolder, sim.paths.documents);
    EXPECT_TRUE(main().TimPeriod->enabled);
    o.Cdeparcourir->onClick();
    EXPECT_EQ(o.Text1->caption, "");  // a file at the root of the file system
    o.Text1->caption = "/keep";
    o.Cdeparcourir->onClick();  // cancelled
    EXPECT_EQ(o.Text1->caption, "/keep");
    EXPECT_TRUE(main().TimPeriod->enabled);
}

TEST_F(OptionsTest, SelectionStepsFollowWhatOkStoredNotACancelledEdit) {
    writeSettings(customRecord(sim.paths.documents));  // steps of 100 off
    start();
    Options& o = opt();
    o.Check1[0]->value = 1;
    o.CdeAnnul->onClick();
    main().bouton_Click(0);
    main().Picture1_MouseDown({1, 0, 1000, 1000});
    main().Picture1_MouseMove({1, 0, 1250, 1180});
    EXPECT_EQ(main().rectsel->width, 250);
    o.Check1[0]->value = 1;
    o.OKButton->onClick();
    main().Picture1_MouseMove({1, 0, 1250, 1180});
    EXPECT_EQ(main().rectsel->width, 200);
}

}  // namespace
}  // namespace vis::sim
