// The JPEG writer against Debian's cjpeg on the same pixels, and the cost of
// saving a full collection (29 full-HD captures).
//
//   vis_bench --benchmark_filter='Jpeg|Cjpeg|SaveAll' --benchmark_min_time=0.5

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "output/atomic_file.h"
#include "output/bmp_codec.h"
#include "output/dib_section.h"
#include "output/jpeg_writer.h"
#include "platform/bitmap.h"

#ifndef _WIN32
#include <spawn.h>
#include <sys/wait.h>
extern char** environ;
#endif

namespace {

namespace fs = std::filesystem;
using vis::Bitmap;

constexpr int kQuality = 70;

// A folder for the files the benchmarks write, removed at exit.
const fs::path& benchFolder() {
    struct Folder {
        fs::path path = fs::temp_directory_path() / ("vis-bench-jpeg-" + std::to_string(std::random_device{}()));
        Folder() { fs::create_directories(path); }
        ~Folder() {
            std::error_code ec;
            fs::remove_all(path, ec);
        }
    };
    static Folder folder;
    return folder.path;
}

// What a desktop looks like to an encoder: smooth gradients, flat window
// areas, and rows of small high-contrast glyph strokes.
Bitmap screenLike(int w, int h, unsigned seed = 1) {
    std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            px[static_cast<std::size_t>(y) * w + x] = vis::rgb(20 + 60 * y / h, 60 + 80 * x / w, 140 + 100 * y / h);

    std::mt19937 rng(seed);
    auto fill = [&](int x0, int y0, int x1, int y1, std::uint32_t c) {
        for (int y = std::max(y0, 0); y < std::min(y1, h); ++y)
            for (int x = std::max(x0, 0); x < std::min(x1, w); ++x) px[static_cast<std::size_t>(y) * w + x] = c;
    };
    const int windows = 6;
    for (int i = 0; i < windows; ++i) {
        const int ww = w / 3 + static_cast<int>(rng() % static_cast<unsigned>(w / 4));
        const int wh = h / 3 + static_cast<int>(rng() % static_cast<unsigned>(h / 4));
        const int wx = static_cast<int>(rng() % static_cast<unsigned>(w - ww));
        const int wy = static_cast<int>(rng() % static_cast<unsigned>(h - wh));
        fill(wx - 1, wy - 1, wx + ww + 1, wy + wh + 1, vis::rgb(60, 60, 60));  // border
        for (int y = wy; y < wy + 24; ++y)                                     // title bar gradient
            for (int x = wx; x < wx + ww; ++x)
                px[static_cast<std::size_t>(y) * w + x] =
                    vis::rgb(10, 36 + 100 * (x - wx) / ww, 106 + 120 * (x - wx) / ww);
        fill(wx, wy + 24, wx + ww, wy + wh, vis::rgb(240, 240, 240));
        // Text: 7 x 14 cells of random strokes, lines with ragged ends.
        for (int ty = wy + 32; ty + 14 < wy + wh; ty += 18) {
            const int lineEnd = wx + 8 + static_cast<int>(rng() % static_cast<unsigned>(ww - 16));
            for (int tx = wx + 8; tx + 7 < lineEnd; tx += 7) {
                if (rng() % 6 == 0) continue;  // a blank between words
                const auto shape = static_cast<unsigned>(rng());
                const std::uint32_t ink = vis::rgb(0, 0, 0);
                if (shape & 1) fill(tx + 1, ty + 2, tx + 2, ty + 12, ink);
                if (shape & 2) fill(tx + 5, ty + 5, tx + 6, ty + 12, ink);
                if (shape & 4) fill(tx + 1, ty + 5, tx + 6, ty + 6, ink);
                if (shape & 8) fill(tx + 1, ty + 11, tx + 6, ty + 12, ink);
                if (shape & 16) fill(tx + 3, ty + 1, tx + 4, ty + 12, ink);
            }
        }
    }
    return Bitmap(w, h, std::move(px));
}

const Bitmap& picture(int w, int h) {
    static const Bitmap hd = screenLike(1920, 1080);
    static const Bitmap uhd = screenLike(3840, 2160);
    return w == 1920 && h == 1080 ? hd : uhd;
}

std::string fileName(const std::string& name) { return (benchFolder() / name).string(); }

void BM_EcrireJpg(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    vis::aDIBSection dib;
    dib.CreateFromPicture(picture(w, h));
    const std::string out = fileName("ecrire.jpg");
    for (auto _ : state) {
        if (!vis::EcrireJpg(dib, out, kQuality)) {
            state.SkipWithError("EcrireJpg failed");
            break;
        }
    }
    state.counters["jpeg_bytes"] = static_cast<double>(fs::file_size(out));
}
BENCHMARK(BM_EcrireJpg)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)->UseRealTime();

// The share of the file write (temporary file, flush to disk, rename) in the
// above, for a file the size of a full-HD JPEG.
void BM_WriteFileAtomically(benchmark::State& state) {
    const std::vector<unsigned char> bytes(static_cast<std::size_t>(state.range(0)), 0x5A);
    const fs::path out = benchFolder() / "atomic.bin";
    for (auto _ : state) {
        if (!vis::writeFileAtomically(out, bytes)) {
            state.SkipWithError("write failed");
            break;
        }
    }
}
BENCHMARK(BM_WriteFileAtomically)->Arg(210000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Filling the 24-bit buffer from a capture, the step before EcrireJpg.
void BM_CreateFromPicture(benchmark::State& state) {
    const Bitmap& pic = picture(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    vis::aDIBSection dib;
    for (auto _ : state) {
        dib.CreateFromPicture(pic);
        benchmark::DoNotOptimize(dib.DIBSectionBitsPtr());
    }
}
BENCHMARK(BM_CreateFromPicture)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)->UseRealTime();

#ifndef _WIN32
// The same pixels through Debian's cjpeg, timed as a whole process: start,
// read the PPM, encode (4:2:0 by default), write, exit.
void BM_CjpegProcess(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    const Bitmap& pic = picture(w, h);
    const std::string in = fileName("cjpeg-" + std::to_string(w) + ".ppm"), out = fileName("cjpeg.jpg");
    {
        std::ofstream ppm(in, std::ios::binary);
        ppm << "P6\n" << w << " " << h << "\n255\n";
        std::vector<char> row(static_cast<std::size_t>(w) * 3);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const std::uint32_t c = pic.pixel(x, y);
                row[3 * static_cast<std::size_t>(x)] = static_cast<char>(vis::redOf(c));
                row[3 * static_cast<std::size_t>(x) + 1] = static_cast<char>(vis::greenOf(c));
                row[3 * static_cast<std::size_t>(x) + 2] = static_cast<char>(vis::blueOf(c));
            }
            ppm.write(row.data(), static_cast<std::streamsize>(row.size()));
        }
    }
    const std::string quality = std::to_string(kQuality);
    std::vector<char*> argv = {const_cast<char*>("cjpeg"),
                               const_cast<char*>("-quality"),
                               const_cast<char*>(quality.c_str()),
                               const_cast<char*>("-outfile"),
                               const_cast<char*>(out.c_str()),
                               const_cast<char*>(in.c_str()),
                               nullptr};
    for (auto _ : state) {
        pid_t pid = 0;
        int status = 0;
        if (posix_spawnp(&pid, "cjpeg", nullptr, nullptr, argv.data(), environ) != 0 ||
            waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("cjpeg could not be run (package libjpeg-turbo-progs)");
            break;
        }
    }
    std::error_code ec;
    state.counters["jpeg_bytes"] = static_cast<double>(fs::file_size(out, ec));
}
BENCHMARK(BM_CjpegProcess)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)->UseRealTime();
#endif

// The save-all of a full collection: 29 full-HD captures, each put in the
// buffer and written as JPEG (or, with the BMP series setting, as BMP).
const std::vector<Bitmap>& collection() {
    static const std::vector<Bitmap> captures = [] {
        std::vector<Bitmap> v;
        for (unsigned i = 0; i < 4; ++i) v.push_back(screenLike(1920, 1080, i + 1));
        return v;
    }();
    return captures;
}

void BM_SaveAll29Jpeg(benchmark::State& state) {
    const std::vector<Bitmap>& captures = collection();
    vis::aDIBSection dib;
    for (auto _ : state) {
        for (int i = 1; i <= 29; ++i) {
            dib.CreateFromPicture(captures[static_cast<std::size_t>(i) % captures.size()]);
            if (!vis::EcrireJpg(dib, fileName("Capt-90503" + std::to_string(i) + ".jpg"), kQuality)) {
                state.SkipWithError("EcrireJpg failed");
                return;
            }
        }
    }
}
BENCHMARK(BM_SaveAll29Jpeg)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveAll29Bmp(benchmark::State& state) {
    const std::vector<Bitmap>& captures = collection();
    for (auto _ : state) {
        for (int i = 1; i <= 29; ++i) {
            if (!vis::writeBmp(captures[static_cast<std::size_t>(i) % captures.size()],
                               fileName("Capt-90503" + std::to_string(i) + ".bmp"))) {
                state.SkipWithError("writeBmp failed");
                return;
            }
        }
    }
}
BENCHMARK(BM_SaveAll29Bmp)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
