// SPDX-License-Identifier: GPL-3.0-or-later
// Saving one capture through the dialog, and all of them under automatic names.

#ifdef VIS_TEST_PNG
#include <png.h>
#endif
#ifndef VIS_NO_JPEG_LIBRARY
#include <turbojpeg.h>
#endif

#include <fstream>
#include <iterator>
#include <optional>

#include "output/bmp_codec.h"
#include "output/naming.h"
#include "output/png_writer.h"
#include "platform/format.h"
#include "support/files.h"
#include "support/program_fixture.h"

namespace vis::sim {
namespace {

namespace fs = std::filesystem;

using testing_files::contents;

// Width and height of a JPEG file, or (-1, -1) (always, in a build without
// a JPEG library: the tests that read one are left out there).
std::pair<int, int> jpegSize(const fs::path& p) {
#ifdef VIS_NO_JPEG_LIBRARY
    (void)p;
    return {-1, -1};
#else
    const std::string bytes = contents(p);
    tjhandle h = tjInitDecompress();
    int w = -1, hh = -1, sub = 0, cs = 0;
    if (tjDecompressHeader3(h, reinterpret_cast<const unsigned char*>(bytes.data()),
                            static_cast<unsigned long>(bytes.size()), &w, &hh, &sub, &cs) != 0)
        w = hh = -1;
    tjDestroy(h);
    return {w, hh};
#endif
}

#ifdef VIS_TEST_PNG
// A PNG file read back by libpng, as 32-bit pixels; nothing when it is not one.
std::optional<Bitmap> readPng(const fs::path& p) {
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    const std::string bytes = contents(p);
    if (!png_image_begin_read_from_memory(&img, bytes.data(), bytes.size())) return std::nullopt;
    img.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(img));
    if (!png_image_finish_read(&img, nullptr, rgb.data(), 0, nullptr)) return std::nullopt;
    std::vector<std::uint32_t> px;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) px.push_back(vis::rgb(rgb[i], rgb[i + 1], rgb[i + 2]));
    return Bitmap(static_cast<int>(img.width), static_cast<int>(img.height), std::move(px));
}
#endif

std::vector<std::string> filesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SaveNaming, NextProposal) {
    struct Case {
        const char* saved;
        const char* proposed;  // nullptr: the dialog keeps the name returned
        int numFichier;
    };
    const Case cases[] = {
        {"C:\\Images\\Capture01.jpg", "C:\\Images\\Capture02.jpg", 2},
        {"C:\\Images\\ecran.jpg", "C:\\Images\\ecran01.jpg", 1},
        {"C:\\Images\\Capture99.jpg", "C:\\Images\\Capture100.jpg", 100},
        {"C:\\Images\\Capture100.jpg", "C:\\Images\\Capture101.jpg", 1},
        {"C:\\x\\photo.jpeg", "C:\\x\\photo.01jpeg", 1},
        {"/home/u/écran05.jpg", "/home/u/écran06.jpg", 6},
        {"ab.jpg", nullptr, 1},      // 6 characters
        {"/tmp/noext", nullptr, 1},  // no dot
        {"a.bcdefgh", nullptr, 1},   // dot too near the start
    };
    for (const Case& c : cases) {
        int num = 1;
        const auto p = propositionSuivante(c.saved, num);
        if (c.proposed) {
            ASSERT_TRUE(p.has_value()) << c.saved;
            EXPECT_EQ(*p, c.proposed) << c.saved;
        } else {
            EXPECT_FALSE(p.has_value()) << c.saved;
        }
        EXPECT_EQ(num, c.numFichier) << c.saved;
    }
}

TEST(SaveNaming, AutomaticNames) {
    EXPECT_EQ(horodatage({9, 5, 3}), "90503");
    EXPECT_EQ(horodatage({14, 22, 32}), "142232");
    EXPECT_EQ(horodatage({0, 0, 7}), "7");
    const std::string sep(1, kPathSeparator);
    EXPECT_EQ(nomAutomatique("/tmp/x", "Capt", {9, 5, 3}, 3, ".jpg"), "/tmp/x" + sep + "Capt-905033.jpg");
    EXPECT_EQ(nomAutomatique("C:\\Mes captures", "Capt", {14, 22, 32}, 3, ".bmp"),
              "C:\\Mes captures" + sep + "Capt-1422323.bmp");
    // The folder field ends at the first pair of blanks.
    EXPECT_EQ(dossierParDefaut(std::string("C:\\Mes captures") + std::string(85, ' ') + "0000101007Capt11 1"),
              "C:\\Mes captures");
    EXPECT_EQ(dossierParDefaut(std::string(100, ' ') + "x"), "");
    EXPECT_EQ(nomAutomatique("", "Capt", {0, 0, 7}, 1, ".jpg"), sep + "Capt-71.jpg");
    EXPECT_FALSE(dossierParDefaut("C:\\a b c").has_value());
    EXPECT_EQ(dossierDe("/home/u/x.jpg"), "/home/u");
    EXPECT_EQ(dossierDe("x.jpg"), "");
}

class SavingTest : public ProgramTest {
protected:
    fs::path dir() const { return fs::path(sim.paths.documents); }
    std::string at(const std::string& name) const { return (dir() / name).string(); }
    Control& mark(int i) { return *liste().pictsave[static_cast<std::size_t>(i)]; }
    void region() { captureRegion(1500, 1500, 4500, 3000); }  // 200 x 100 pixels
};

TEST_F(SavingTest, NothingToSaveShowsNoDialog) {
    main().bouton_Click(4);
    EXPECT_TRUE(sim.dialogs.saveRequests.empty());
    bool ok = true;
    main().EnregistrerTout([&](bool r) { ok = r; });
    EXPECT_TRUE(ok);
    // No capture on display: nothing for the marker to mark.
    EXPECT_FALSE(main().pictsave->visible);
    EXPECT_TRUE(filesIn(dir()).empty());
}

TEST_F(SavingTest, FirstSaveThenTheNextNameInTheSameFolder) {
    region();
    sim.dialogs.saveAnswers = {at("Capture01.jpg")};
    main().bouton_Click(4);
    ASSERT_EQ(sim.dialogs.saveRequests.size(), 1u);
    const FileDialogRequest& first = sim.dialogs.saveRequests[0];
    EXPECT_EQ(first.fileName, "Capture01");
    EXPECT_EQ(first.initialFolder, sim.paths.documents);  // the settings folder, first 70 characters
    EXPECT_EQ(first.filter, "Images JPG (*.jpg)|*.jpg|Images (*.bmp)|*.bmp|Images PNG (*.png)|*.png|");
    EXPECT_EQ(jpegSize(dir() / "Capture01.jpg"), std::make_pair(200, 100));
    EXPECT_TRUE(main().pictsave->visible);
    EXPECT_TRUE(mark(1).visible);
    EXPECT_EQ(main().dossierSauvegarde, sim.paths.documents);

    region();
    EXPECT_FALSE(main().pictsave->visible);    // a new region hides the main marker
    sim.dialogs.saveAnswers = {std::nullopt};  // cancelled
    main().menu("Mnuenregistrer").onClick();
    ASSERT_EQ(sim.dialogs.saveRequests.size(), 2u);
    EXPECT_EQ(sim.dialogs.saveRequests[1].fileName, at("Capture02.jpg"));
    EXPECT_EQ(sim.dialogs.saveRequests[1].initialFolder, sim.paths.documents);
    EXPECT_FALSE(mark(2).visible);
    EXPECT_EQ(filesIn(dir()), std::vector<std::string>{"Capture01.jpg"});
}

TEST_F(SavingTest, TheMarkerGoesWithTheCaptureOnDisplay) {
    region();
    region();
    bool ok = true;
    main().EnregistrerTout([&](bool r) { ok = r; });
    ASSERT_TRUE(main().pictsave->visible);
    // The shown capture deleted, the window folded to its toolbar: no marker,
    // not even after another save-all.
    liste().clickimage1(2);
    main().bouton_Click(7);
    EXPECT_FALSE(main().pictsave->visible);
    main().EnregistrerTout([&](bool r) { ok = r; });
    EXPECT_FALSE(main().pictsave->visible);
    liste().clickimage1(1);
    EXPECT_TRUE(main().pictsave->visible);
    main().Supprimertout(false);
    EXPECT_FALSE(main().pictsave->visible);
}

TEST_F(SavingTest, InitialFolderIsTheFirstSeventyCharactersOfTheSetting) {
    region();
    confirmOptions([](Options& o) { o.Text1->caption = std::string(75, 'd'); });
    main().Enregistrer();
    ASSERT_EQ(sim.dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(sim.dialogs.saveRequests[0].initialFolder, std::string(70, 'd'));
}

TEST_F(SavingTest, BmpOnlyForLowerCaseBmp) {
    region();
    sim.dialogs.saveAnswers = {at("a.bmp"), at("b.BMP")};
    main().Enregistrer();
    main().Enregistrer();
    const auto a = readBmp(at("a.bmp"));
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(a->width(), 200);
    EXPECT_EQ(a->pixel(0, 0), screenPixel(100, 100));
    // Any other case takes the JPEG path, straight into the target.
    EXPECT_EQ(jpegSize(dir() / "b.BMP"), std::make_pair(200, 100));
}

#ifdef VIS_TEST_PNG
TEST_F(SavingTest, PngForANameThatSaysPng) {
    region();
    sim.dialogs.saveAnswers = {at("a.png"), at("b.PNG")};
    main().Enregistrer();
    main().Enregistrer();
    for (const char* name : {"a.png", "b.PNG"}) {
        const auto p = readPng(dir() / name);
        ASSERT_TRUE(p.has_value()) << name;
        ASSERT_EQ(std::make_pair(p->width(), p->height()), std::make_pair(200, 100)) << name;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 200; ++x) ASSERT_EQ(p->pixel(x, y), screenPixel(100 + x, 100 + y)) << name;
    }
    EXPECT_TRUE(main().pictsave->visible);
    EXPECT_EQ(filesIn(dir()), (std::vector<std::string>{"a.png", "b.PNG"}));
}

TEST_F(SavingTest, PngWriterKeepsEveryPixelOfBothFormsAndWritesNoEmptyFile) {
    // Rows that favour each filter: flat, a gradient across, one repeated down.
    std::vector<std::uint32_t> px;
    std::vector<std::uint8_t> bgr(Bitmap::bgr24Stride(70) * 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 70; ++x) {
            const std::uint32_t c = y == 0 ? rgb(9, 200, 17) : y == 1 ? rgb(x * 3, 255 - x, x * 7) : rgb(x * 11, 5, 250);
            px.push_back(c);
            std::uint8_t* b = bgr.data() + Bitmap::bgr24Stride(70) * static_cast<std::size_t>(y) + x * 3;
            b[0] = static_cast<std::uint8_t>(blueOf(c));
            b[1] = static_cast<std::uint8_t>(greenOf(c));
            b[2] = static_cast<std::uint8_t>(redOf(c));
        }
    const Bitmap forms[] = {Bitmap(70, 3, px), Bitmap::fromBgr24(70, 3, bgr.data(), Bitmap::bgr24Stride(70), nullptr)};
    const fs::path f = dir() / "forms.png";
    for (const Bitmap& b : forms) {
        ASSERT_TRUE(writePng(b, f.string()));
        const auto back = readPng(f);
        ASSERT_TRUE(back.has_value());
        ASSERT_EQ(back->width(), 70);
        ASSERT_EQ(back->height(), 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 70; ++x) ASSERT_EQ(back->pixel(x, y), px[static_cast<std::size_t>(y * 70 + x)]);
    }
    EXPECT_TRUE(encodePng(Bitmap()).empty());
    EXPECT_FALSE(writePng(Bitmap(), at("none.png")));
    EXPECT_EQ(filesIn(dir()), std::vector<std::string>{"forms.png"});
}
#endif

TEST_F(SavingTest, NoIntermediateFileNextToTheTarget) {
    region();
    std::ofstream(dir() / "shot.bmp") << "keep me";
    sim.dialogs.saveAnswers = {at("shot.jpg")};
    main().Enregistrer();
    EXPECT_EQ(contents(dir() / "shot.bmp"), "keep me");
    EXPECT_EQ(jpegSize(dir() / "shot.jpg"), std::make_pair(200, 100));
    EXPECT_EQ(filesIn(dir()), (std::vector<std::string>{"shot.bmp", "shot.jpg"}));
}

TEST_F(SavingTest, ReplaceQuestion) {
    region();
    std::ofstream(dir() / "old.jpg") << "old";
    sim.dialogs.saveAnswers = {at("old.jpg"), at("old.jpg")};
    sim.messages.answers = {MsgResult::No, MsgResult::Yes};
    main().Enregistrer();
    ASSERT_EQ(sim.messages.shown.size(), 1u);
    EXPECT_EQ(sim.messages.shown[0].text, "Le fichier " + at("old.jpg") + " existe déjà; voulez-vous le remplacer ?");
    EXPECT_EQ(sim.messages.shown[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(sim.messages.shown[0].icon, MsgIcon::Question);
    EXPECT_EQ(contents(dir() / "old.jpg"), "old");
    EXPECT_FALSE(main().pictsave->visible);
    EXPECT_FALSE(mark(1).visible);
    main().Enregistrer();
    EXPECT_EQ(jpegSize(dir() / "old.jpg"), std::make_pair(200, 100));
    EXPECT_TRUE(mark(1).visible);
}

TEST_F(SavingTest, AFailedWriteIsReportedAndMarksNothing) {
    region();
    sim.dialogs.saveAnswers = {at("missing/folder/x.jpg")};
    main().Enregistrer();
    ASSERT_EQ(sim.messages.shown.size(), 1u);
    EXPECT_EQ(sim.messages.shown[0].text,
              "Pb d'enregistrement, le fichier " + at("missing/folder/x.jpg") + " n'a pas pu être écrit ...");
    EXPECT_EQ(sim.messages.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_FALSE(main().pictsave->visible);
    EXPECT_FALSE(mark(1).visible);
    EXPECT_TRUE(main().dossierSauvegarde.empty());
}

TEST_F(SavingTest, NameWithoutExtensionIsStillSaved) {
    region();
    sim.dialogs.saveAnswers = {at("sansextension"), std::nullopt};
    main().Enregistrer();
    EXPECT_EQ(jpegSize(dir() / "sansextension"), std::make_pair(200, 100));
    main().Enregistrer();
    EXPECT_EQ(sim.dialogs.saveRequests[1].fileName, at("sansextension"));
}

TEST_F(SavingTest, NoCurrentCaptureAsksToChooseOne) {
    region();
    region();
    main().SuppVignette();  // nothing is current now
    main().Enregistrer();
    EXPECT_TRUE(sim.dialogs.saveRequests.empty());
    ASSERT_EQ(sim.messages.shown.size(), 1u);
    EXPECT_EQ(sim.messages.shown[0].text, "Cliquez d'abord sur une vignette pour choisir la capture à enregistrer ...");
}

TEST_F(SavingTest, SaveAllWritesJpegUnderAutomaticNamesAndSkipsSavedOnes) {
    region();
    main().bouton_Click(1);
    region();
    coll().setSaved(2);
    sim.clock.time = {9, 5, 3};
    main().bouton_Click(5);
    EXPECT_EQ(filesIn(dir()), (std::vector<std::string>{"Capt-905031.jpg", "Capt-905033.jpg"}));
    EXPECT_EQ(jpegSize(dir() / "Capt-905031.jpg"), std::make_pair(200, 100));
    EXPECT_TRUE(mark(1).visible);
    EXPECT_TRUE(mark(3).visible);
    EXPECT_TRUE(main().pictsave->visible);
    // Everything saved: nothing more is written.
    main().menu("Mnuenregistrertout").onClick();
    EXPECT_EQ(filesIn(dir()).size(), 2u);
}

TEST_F(SavingTest, SaveAllInBmpSeries) {
    confirmOptions([](Options& o) { o.Check1[1]->value = 1; });
    main().bouton_Click(1);
    sim.clock.time = {14, 22, 32};
    bool ok = true;
    main().EnregistrerTout([&](bool r) { ok = r; });
    EXPECT_TRUE(ok);
    EXPECT_EQ(filesIn(dir()), std::vector<std::string>{"Capt-1422321.bmp"});
    const auto b = readBmp(at("Capt-1422321.bmp"));
    ASSERT_TRUE(b.has_value());
    EXPECT_EQ(b->width(), 1024);
    EXPECT_EQ(b->pixel(1023, 767), screenPixel(1023, 767));

    // A greyed box (2 in param.txt) is not unchecked either.
    std::string record = g().ligneParam;
    record[107] = '2';
    writeSettings(record);
    main().chargtparam();
    region();
    main().EnregistrerTout([&](bool r) { ok = r; });
    EXPECT_EQ(filesIn(dir()), (std::vector<std::string>{"Capt-1422321.bmp", "Capt-1422322.bmp"}));
}

TEST_F(SavingTest, SaveAllNeverReplacesAFileNorALink) {
    region();
    region();
    sim.clock.time = {9, 5, 3};
    std::ofstream(dir() / "Capt-905031.jpg") << "older";
    // Planted in a shared folder at the next name: it leads nowhere, yet the name is taken.
    std::filesystem::create_symlink(dir() / "absent.jpg", dir() / "Capt-905032.jpg");
    main().bouton_Click(5);
    EXPECT_TRUE(sim.messages.shown.empty());
    EXPECT_EQ(contents(dir() / "Capt-905031.jpg"), "older");
    EXPECT_EQ(jpegSize(dir() / "Capt-905031_2.jpg"), std::make_pair(200, 100));
    EXPECT_TRUE(std::filesystem::is_symlink(dir() / "Capt-905032.jpg"));
    EXPECT_FALSE(std::filesystem::exists(dir() / "absent.jpg"));
    EXPECT_EQ(jpegSize(dir() / "Capt-905032_2.jpg"), std::make_pair(200, 100));
}

TEST_F(SavingTest, SaveAllFailureAsksForAFolder) {
    struct Case {
        std::string record;
        std::string message;
        const char* why;
    };
    const std::string tail = "0200001007Capt111   ";
    const std::string noFolder = "Pb d'enregistrement, indiquer d'abord un chemin par défaut dans les options ...";
    const std::string absent = sim.paths.documents + "/absent";
    const Case cases[] = {
        {padRight(absent, 100) + tail,
         "Pb d'enregistrement, le dossier " + absent +
             " n'existe pas; indiquer un chemin par défaut valide dans les options ...",
         "missing folder"},
        {std::string(sim.paths.documents + "/x").append(120 - sim.paths.documents.size() - 2, 'x'), noFolder,
         "no pair of blanks"},
        {std::string(100, ' ') + tail, noFolder, "blank folder"},
    };
    for (const Case& c : cases) {
        region();
        prog->g.ligneParam = c.record;
        sim.messages.shown.clear();
        prog->options().hide();
        main().pictsave->visible = false;
        bool ok = true;
        main().EnregistrerTout([&](bool r) { ok = r; });
        EXPECT_FALSE(ok) << c.why;
        ASSERT_EQ(sim.messages.shown.size(), 1u) << c.why;
        EXPECT_EQ(sim.messages.shown[0].text, c.message) << c.why;
        EXPECT_EQ(sim.messages.shown[0].icon, MsgIcon::Exclamation);
        EXPECT_TRUE(prog->options().visible) << c.why;
        EXPECT_TRUE(sim.windows.modalShown.empty()) << c.why;  // shown modeless
        EXPECT_FALSE(main().pictsave->visible) << c.why;
        EXPECT_FALSE(mark(coll().nbCaptures()).visible) << c.why;
    }
    EXPECT_TRUE(filesIn(dir()).empty());
    EXPECT_FALSE(fs::exists(absent)) << "only the default folder is made";
}

TEST_F(SavingTest, SaveAllMakesTheMissingDefaultFolder) {
    region();
    fs::remove(dir());  // the documents folder of the regenerated settings, absent on a new account
    sim.clock.time = {9, 5, 3};
    bool ok = true;
    main().EnregistrerTout([&](bool r) { ok = r; });
    EXPECT_TRUE(ok);
    EXPECT_EQ(filesIn(dir()), std::vector<std::string>{"Capt-905031.jpg"});
}

#ifndef _WIN32
// A folder that exists but takes no file: write permission removed, or, for
// a user whom permissions do not stop, a folder of the kernel's.
std::optional<fs::path> folderWithoutWriteAccess(const fs::path& made) {
    fs::create_directories(made);
    fs::permissions(made, fs::perms::owner_read | fs::perms::owner_exec);
    for (const fs::path& p : {made, fs::path("/sys")}) {
        std::error_code ec;
        if (!fs::is_directory(p, ec)) continue;
        if (std::ofstream(p / ".vis-probe")) {
            fs::remove(p / ".vis-probe", ec);
            continue;
        }
        return p;
    }
    return std::nullopt;
}

TEST_F(SavingTest, SaveAllIntoAFolderWithoutWriteAccessSaysSo) {
    const auto folder = folderWithoutWriteAccess(dir() / "lecture-seule");
    if (!folder) GTEST_SKIP() << "no folder refuses files to this user";
    region();
    prog->g.ligneParam = padRight(folder->string(), 100) + "0200001007Capt111   ";
    bool ok = true;
    main().EnregistrerTout([&](bool r) { ok = r; });
    fs::permissions(dir() / "lecture-seule", fs::perms::owner_all);
    EXPECT_FALSE(ok);
    ASSERT_EQ(sim.messages.shown.size(), 1u);
    EXPECT_EQ(sim.messages.shown[0].text,
              "Pb d'enregistrement, le dossier " + folder->string() +
                  " n'est pas accessible en écriture; indiquer un chemin par défaut valide dans les options ...");
    EXPECT_FALSE(mark(1).visible);
}
#endif

}  // namespace
}  // namespace vis::sim
