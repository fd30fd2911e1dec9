// SPDX-License-Identifier: GPL-3.0-or-later
// The save-all of a full collection of 4K captures through the program's own
// path (the main window's EnregistrerTout, its workers, the files flushed to
// disk), against Debian's cjpeg run one process after another on the same
// pictures, in the same run and the same folder's file system. Prints, as
// medians over the rounds: the wall time of each, their ratio, the longest
// time the event loop's thread was held by the save (the start and each batch
// of completions), and the memory the save took on top of the captures, in
// pictures. Not a test.
//
//   vis_bench_save_all [ROUNDS] [CAPTURES] [WIDTH] [HEIGHT]

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "capture/frm_main.h"
#include "base/program.h"
#include "collection/flistimages.h"
#include "pictures.h"
#include "platform/worker_pool.h"
#include "settings/param_file.h"
#include "settings/param_record.h"
#include "support/sim_platform.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

// The real workers, their completions delivered by the loop below.
class PoolJobs final : public vis::IBackgroundJobs {
public:
    explicit PoolJobs(int threads) : pool(threads, {}) {}
    int workerCount() const override { return pool.threads(); }
    void start(std::function<void()> work, std::function<void()> done) override {
        pool.start(std::move(work), std::move(done));
    }
    vis::WorkerPool pool;
};

long residentBytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

vis::Bitmap bgr24(const vis::Bitmap& b) {
    const std::size_t stride = vis::Bitmap::bgr24Stride(b.width());
    auto mem = vis::pixelMemory(stride * static_cast<std::size_t>(b.height()));
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) {
            const std::uint32_t c = b.pixel(x, y);
            std::uint8_t* p = mem.get() + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 3;
            p[0] = static_cast<std::uint8_t>(vis::blueOf(c));
            p[1] = static_cast<std::uint8_t>(vis::greenOf(c));
            p[2] = static_cast<std::uint8_t>(vis::redOf(c));
        }
    const std::uint8_t* first = mem.get();
    return vis::Bitmap::fromBgr24(b.width(), b.height(), first, stride, std::move(mem));
}

void writePpm(const vis::Bitmap& b, const fs::path& p) {
    std::ofstream out(p, std::ios::binary);
    out << "P6\n" << b.width() << " " << b.height() << "\n255\n";
    std::vector<char> row(static_cast<std::size_t>(b.width()) * 3);
    for (int y = 0; y < b.height(); ++y) {
        for (int x = 0; x < b.width(); ++x) {
            const std::uint32_t c = b.pixel(x, y);
            row[3 * static_cast<std::size_t>(x)] = static_cast<char>(vis::redOf(c));
            row[3 * static_cast<std::size_t>(x) + 1] = static_cast<char>(vis::greenOf(c));
            row[3 * static_cast<std::size_t>(x) + 2] = static_cast<char>(vis::blueOf(c));
        }
        out.write(row.data(), static_cast<std::streamsize>(row.size()));
    }
}

// Whole processes, one after another: start, read the picture, encode, write.
double cjpegRun(const std::vector<fs::path>& inputs, int count, const fs::path& outFolder) {
    const auto t = Clock::now();
    for (int i = 0; i < count; ++i) {
        const std::string in = inputs[static_cast<std::size_t>(i) % inputs.size()].string();
        const std::string out = (outFolder / ("cjpeg-" + std::to_string(i) + ".jpg")).string();
        const char* argv[] = {"cjpeg", "-quality", "70", "-outfile", out.c_str(), in.c_str(), nullptr};
        pid_t pid = 0;
        int status = 0;
        if (posix_spawnp(&pid, "cjpeg", nullptr, nullptr, const_cast<char**>(argv), environ) != 0 ||
            waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "cjpeg could not be run (package libjpeg-turbo-progs)\n");
            std::exit(1);
        }
    }
    return msSince(t);
}

struct SaveFigures {
    double totalMs = 0, longestHoldMs = 0;
    double extraPictures = 0;
};

// The program on the simulated platform, with real workers in place of the
// simulated ones; the captures are whole-screen grabs of the given pictures.
class Bench {
public:
    Bench(const std::vector<vis::Bitmap>& pictures, int count, int threads)
        : sim(pictures.front().width(), pictures.front().height()), jobs(threads) {
        vis::sim::SimPlatform& s = sim;
        platform = std::make_unique<vis::Platform>(vis::Platform{s.screen, s.clipboard, s.grabber, s.clock, s.windows,
                                                                 s.messages, s.sound, s.dialogs, s.keyboard, s.paths,
                                                                 s.tray, s.printer, s.mail, s.systemInfo, jobs});
        vis::saveParamFile(fs::path(s.paths.program) / "param.txt", vis::defaultRecord(s.paths.documents));
        prog = std::make_unique<vis::Program>(*platform);
        prog->start();
        s.windows.advance(2.0);
        for (int i = 0; i < count; ++i) {
            s.screenPicture = pictures[static_cast<std::size_t>(i) % pictures.size()];
            prog->frmMain().bouton_Click(1);
        }
        if (prog->collection.nbCaptures() != count) {
            std::fprintf(stderr, "%d captures filed, not %d\n", prog->collection.nbCaptures(), count);
            std::exit(1);
        }
    }

    SaveFigures save(double pictureBytes) {
        SaveFigures f;
        std::atomic<bool> sampling{true};
        std::atomic<long> peak{0};
        const long before = residentBytes();
        std::thread sampler([&] {
            while (sampling) {
                peak = std::max(peak.load(), residentBytes());
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
        bool over = false, ok = false;
        const auto t0 = Clock::now();
        prog->frmMain().EnregistrerTout([&](bool r) {
            over = true;
            ok = r;
        });
        f.longestHoldMs = msSince(t0);
        while (!over) {
            jobs.pool.waitForCompletion();
            const auto t = Clock::now();
            jobs.pool.deliver();
            f.longestHoldMs = std::max(f.longestHoldMs, msSince(t));
        }
        f.totalMs = msSince(t0);
        sampling = false;
        sampler.join();
        if (!ok) {
            std::fprintf(stderr, "the save failed\n");
            std::exit(1);
        }
        f.extraPictures = static_cast<double>(std::max(0L, peak.load() - before)) / pictureBytes;
        // Ready for the next round: nothing saved, no file left.
        for (int i = 1; i <= prog->collection.nbCaptures(); ++i) prog->collection.setSaved(i, false);
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(sim.paths.documents)) fs::remove(e.path(), ec);
        return f;
    }

    const fs::path& folder() const { return sim.folder(); }

private:
    vis::sim::SimPlatform sim;
    PoolJobs jobs;
    std::unique_ptr<vis::Platform> platform;
    std::unique_ptr<vis::Program> prog;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
    const int count = argc > 2 ? std::atoi(argv[2]) : 29;
    const int w = argc > 3 ? std::atoi(argv[3]) : 3840;
    const int h = argc > 4 ? std::atoi(argv[4]) : 2160;
#if defined(__GLIBC__)
    // As the program does: big blocks go back to the system when freed.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
    std::vector<vis::Bitmap> pictures;
    for (unsigned i = 0; i < 4; ++i) pictures.push_back(bgr24(vis::bench::screenLike(w, h, i + 1)));
    const double pictureBytes = static_cast<double>(w) * h * 3;

    const int threads = vis::WorkerPool::defaultThreads();
    Bench bench(pictures, count, threads);
    Bench single(pictures, count, 1);
    const fs::path cj = bench.folder() / "cjpeg";
    fs::create_directories(cj);
    std::vector<fs::path> ppm;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        ppm.push_back(cj / ("in-" + std::to_string(i) + ".ppm"));
        writePpm(pictures[i], ppm.back());
    }
    fs::create_directories(cj / "out");

    std::vector<double> ours, one, cjpeg, hold, memory;
    for (int r = 0; r < rounds; ++r) {
        const SaveFigures f = bench.save(pictureBytes);
        ours.push_back(f.totalMs);
        hold.push_back(f.longestHoldMs);
        memory.push_back(f.extraPictures);
        cjpeg.push_back(cjpegRun(ppm, count, cj / "out"));
        one.push_back(single.save(pictureBytes).totalMs);
        std::printf("round %d: save-all %.0f ms (1 worker %.0f ms), cjpeg %.0f ms\n", r + 1, ours.back(), one.back(),
                    cjpeg.back());
    }
    std::printf("%d captures of %d x %d, %d workers, medians of %d rounds:\n", count, w, h, threads, rounds);
    std::printf("  save-all, program's path        %8.0f ms\n", median(ours));
    std::printf("  save-all, one worker            %8.0f ms\n", median(one));
    std::printf("  cjpeg -quality 70, one by one   %8.0f ms\n", median(cjpeg));
    std::printf("  save-all / cjpeg                %8.2f\n", median(ours) / median(cjpeg));
    std::printf("  longest hold of the event loop  %8.1f ms\n", median(hold));
    std::printf("  memory on top of the captures   %8.2f pictures (%.2f per worker)\n", median(memory),
                median(memory) / threads);
    return 0;
}
