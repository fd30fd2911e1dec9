// SPDX-License-Identifier: GPL-3.0-or-later
// Saving on the background workers: files named in the collection's order as
// the workers bring them back, a failure in the middle, and what the user may
// do meanwhile.

#include <turbojpeg.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "capture/texts_save.h"
#include "platform/worker_pool.h"
#include "support/files.h"
#include "support/program_fixture.h"

namespace vis::sim {
namespace {

namespace fs = std::filesystem;

constexpr int kShift = 16, kF11 = 122;

std::vector<std::string> filesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool decodesAs(const fs::path& p, int w, int h) {
    const std::string bytes = testing_files::contents(p);
    tjhandle d = tjInitDecompress();
    std::vector<unsigned char> pixels(static_cast<std::size_t>(w) * h * 3);
    const bool ok = tjDecompress2(d, reinterpret_cast<const unsigned char*>(bytes.data()),
                                  static_cast<unsigned long>(bytes.size()), pixels.data(), w, 0, h, TJPF_RGB, 0) == 0;
    int fw = 0, fh = 0, sub = 0, cs = 0;
    tjDecompressHeader3(d, reinterpret_cast<const unsigned char*>(bytes.data()),
                        static_cast<unsigned long>(bytes.size()), &fw, &fh, &sub, &cs);
    tjDestroy(d);
    return ok && fw == w && fh == h;
}

class SaveWorkersTest : public ProgramTest {
protected:
    fs::path dir() const { return fs::path(sim.paths.documents); }
    std::string at(const std::string& name) const { return (dir() / name).string(); }
    Control& mark(int i) { return *liste().pictsave[static_cast<std::size_t>(i)]; }
    void region() { captureRegion(1500, 1500, 4500, 3000); }  // 200 x 100 pixels
    std::vector<std::string> named() const {
        std::vector<std::string> out;
        for (const std::string& n : filesIn(dir()))
            if (n.rfind(".~vistrelle-", 0) != 0) out.push_back(n);
        return out;
    }
    std::size_t temporaries() const { return filesIn(dir()).size() - named().size(); }
    std::string progress(int done, int of) const {
        return "Enregistrement " + std::to_string(done) + " / " + std::to_string(of) + " ...";
    }
};

TEST_F(SaveWorkersTest, FilesAreNamedInTheCollectionsOrderAsTheWorkersBringThemBack) {
    for (int i = 0; i < 3; ++i) region();
    const std::string caption = main().caption;
    sim.jobs.hold = true;
    sim.clock.time = {9, 5, 3};
    std::optional<bool> result;
    main().EnregistrerTout([&](bool ok) { result = ok; });
    EXPECT_EQ(sim.jobs.waiting(), 2u) << "one picture per worker at a time";
    EXPECT_EQ(main().caption, progress(0, 3));

    ASSERT_TRUE(sim.jobs.run(1));  // the second capture comes back first: its data only
    EXPECT_TRUE(named().empty());
    EXPECT_EQ(temporaries(), 1u);
    EXPECT_FALSE(mark(2).visible);
    EXPECT_EQ(sim.jobs.waiting(), 2u);  // the third took its worker

    sim.clock.time = {9, 5, 4};  // read when each file gets its name
    ASSERT_TRUE(sim.jobs.run(0));
    EXPECT_EQ(named(), (std::vector<std::string>{"Capt-905041.jpg", "Capt-905042.jpg"}));
    EXPECT_TRUE(mark(1).visible);
    EXPECT_TRUE(mark(2).visible);
    EXPECT_FALSE(mark(3).visible);
    EXPECT_EQ(main().caption, progress(2, 3));
    EXPECT_FALSE(result.has_value());
    EXPECT_FALSE(main().pictsave->visible);

    sim.jobs.runAll();
    EXPECT_EQ(filesIn(dir()), (std::vector<std::string>{"Capt-905041.jpg", "Capt-905042.jpg", "Capt-905043.jpg"}));
    for (const std::string& n : named()) EXPECT_TRUE(decodesAs(dir() / n, 200, 100)) << n;
    EXPECT_TRUE(mark(3).visible);
    EXPECT_EQ(result, true);
    EXPECT_TRUE(main().pictsave->visible);
    EXPECT_EQ(main().caption, caption);
    EXPECT_FALSE(main().sauvegardeEnCours());
    EXPECT_EQ(sim.jobs.mostWaiting, 2u);
}

TEST_F(SaveWorkersTest, AFailureStopsAtItsCaptureWhateverTheWorkersFinishedAfterIt) {
    for (int i = 0; i < 4; ++i) region();
    coll().capture(3).picture = Bitmap();  // the third cannot be encoded
    sim.jobs.hold = true;
    sim.jobs.workers = 4;
    sim.clock.time = {9, 5, 3};
    std::optional<bool> result;
    main().EnregistrerTout([&](bool ok) { result = ok; });
    ASSERT_TRUE(sim.jobs.run(3));  // the fourth is written first
    ASSERT_TRUE(sim.jobs.run(2));  // then the third fails
    ASSERT_TRUE(sim.jobs.run(0));
    EXPECT_EQ(named(), std::vector<std::string>{"Capt-905031.jpg"});
    EXPECT_TRUE(mark(1).visible);
    EXPECT_TRUE(sim.messages.shown.empty()) << "not before the second is written";

    sim.jobs.runAll();
    EXPECT_EQ(filesIn(dir()), (std::vector<std::string>{"Capt-905031.jpg", "Capt-905032.jpg"}));
    EXPECT_TRUE(mark(2).visible);
    EXPECT_FALSE(mark(3).visible);
    EXPECT_FALSE(mark(4).visible);
    ASSERT_EQ(sim.messages.shown.size(), 1u);
    EXPECT_EQ(sim.messages.shown[0].text,
              "Pb d'enregistrement, le fichier " + at("Capt-905033.jpg") + " n'a pas pu être écrit ...");
    EXPECT_EQ(sim.messages.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(prog->options().visible);
    EXPECT_EQ(result, false);
    EXPECT_FALSE(main().pictsave->visible);
}

TEST_F(SaveWorkersTest, WhileFilesAreWrittenTheCollectionDoesNotChange) {
    region();
    region();
    main().bouton_Click(11);  // the periodic capture
    ASSERT_TRUE(main().TimPeriod->enabled);
    sim.jobs.hold = true;
    main().bouton_Click(5);
    ASSERT_TRUE(main().sauvegardeEnCours());
    const std::size_t grabs = sim.grabber.grabs.size();

    // Captures, saves, deletions and the quit are refused with a word.
    for (int k : {1, 4, 5, 7, 8, 10, 12}) main().bouton_Click(k);
    for (const char* m : {"Mnudelcap", "Mnufdeltout", "mnuttscreen", "Mnuquitt"}) main().menu(m).onClick();
    ASSERT_EQ(sim.messages.shown.size(), 11u);
    for (const MessageRecord& r : sim.messages.shown) EXPECT_EQ(r.text, txt::kSaveRunning);
    // The periodic tick is skipped; a hot key waits for the end.
    main().TimPeriod_Timer();
    sim.keyboard.tapped = {kShift, kF11};
    main().Timerclav_Timer();
    EXPECT_EQ(sim.grabber.grabs.size(), grabs);
    EXPECT_EQ(coll().nbCaptures(), 2);
    EXPECT_TRUE(sim.dialogs.saveRequests.empty());

    sim.jobs.runAll();
    EXPECT_EQ(named().size(), 2u);
    EXPECT_TRUE(mark(1).visible && mark(2).visible);
    main().Timerclav_Timer();
    EXPECT_EQ(sim.grabber.grabs.size(), grabs + 1) << "the hot key's capture, once the save is over";
}

TEST_F(SaveWorkersTest, TheSingleSaveWritesOnAWorkerToo) {
    region();
    sim.jobs.hold = true;
    sim.dialogs.saveAnswers = {at("Capture01.jpg")};
    main().bouton_Click(4);
    EXPECT_TRUE(named().empty());
    EXPECT_FALSE(mark(1).visible);
    EXPECT_EQ(main().caption, progress(0, 1));
    main().bouton_Click(1);
    EXPECT_EQ(coll().nbCaptures(), 1);
    sim.jobs.runAll();
    EXPECT_EQ(named(), std::vector<std::string>{"Capture01.jpg"});
    EXPECT_TRUE(decodesAs(dir() / "Capture01.jpg", 200, 100));
    EXPECT_TRUE(mark(1).visible);
    EXPECT_TRUE(main().pictsave->visible);
    EXPECT_EQ(main().dossierSauvegarde, dir().string());
}

TEST_F(SaveWorkersTest, QuitsYesAndASignalEndTheProgramOnlyOnceEverythingIsWritten) {
    for (const bool signal : {false, true}) {
        if (signal) {  // a new start on the same machine
            for (Window* w : std::vector<Window*>(sim.windows.attached)) sim.windows.detach(*w);
            prog.reset();
            sim.windows.exitCode.reset();
            start();
        }
        region();
        region();
        sim.jobs.hold = true;
        if (signal) {
            main().bouton_Click(5);
            main().finSansQuestion();
        } else {
            sim.messages.answers = {MsgResult::Yes};
            main().quitprog();
        }
        ASSERT_TRUE(main().sauvegardeEnCours());
        EXPECT_FALSE(sim.windows.exitCode.has_value()) << signal;
        sim.jobs.runAll();
        EXPECT_EQ(sim.windows.exitCode, 0) << signal;
        EXPECT_EQ(named().size(), 2u) << signal;
        // All saved: nothing put aside.
        EXPECT_FALSE(fs::exists(sim.paths.recovery) && !fs::is_empty(sim.paths.recovery)) << signal;
        for (const std::string& n : named()) fs::remove(dir() / n);
    }
}

TEST(WorkerPool, JobsRunSideBySideAndCompletionsWaitForTheirThread) {
    std::atomic<int> wakes{0};
    WorkerPool pool(2, [&] { ++wakes; });
    EXPECT_EQ(pool.threads(), 2);
    // Each job waits for the other to start: they can only end side by side.
    std::mutex m;
    std::condition_variable cv;
    int arrived = 0;
    std::vector<std::thread::id> doneOn;
    auto work = [&] {
        std::unique_lock lock(m);
        ++arrived;
        cv.notify_all();
        cv.wait(lock, [&] { return arrived == 2; });
    };
    for (int i = 0; i < 2; ++i) pool.start(work, [&] { doneOn.push_back(std::this_thread::get_id()); });
    while (doneOn.size() < 2) {
        pool.waitForCompletion();
        pool.deliver();
    }
    EXPECT_EQ(arrived, 2);
    // A worker wakes the loop just after handing its completion over: the
    // loop may have taken both before the second wake comes.
    for (int i = 0; i < 2000 && wakes < 2; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(wakes, 2);
    for (const auto& id : doneOn) EXPECT_EQ(id, std::this_thread::get_id());
    EXPECT_GE(WorkerPool::defaultThreads(), 2);
}

}  // namespace
}  // namespace vis::sim
