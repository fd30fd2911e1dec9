// SPDX-License-Identifier: GPL-3.0-or-later
// The JPEG writer against Debian's cjpeg on the same pixels, the encoder with
// standard and with optimised Huffman tables, and the cost of saving a full
// collection (29 full-HD captures). Each picture is a screen (photo:0) or a
// photograph (photo:1).
//
//   vis_bench --benchmark_filter='Jpeg|Cjpeg|SaveAll' --benchmark_min_time=0.5
//   bench/jpeg_vs_cjpeg.sh   (the photo cases, medians and ratios)

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "output/atomic_file.h"
#include "output/bmp_codec.h"
#include "output/dib_section.h"
#include "output/jpeg_writer.h"
#include "pictures.h"
#include "platform/bitmap.h"

#ifndef _WIN32
#include <spawn.h>
#include <sys/wait.h>
extern char** environ;
#endif

namespace {

namespace fs = std::filesystem;
using vis::Bitmap;
using vis::bench::screenLike;

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

// What a camera gives: smooth light and colour changes, soft blobs, some
// mid-frequency texture and fine sensor noise, so that the coefficients are
// spread as in a photograph (a flat picture would leave the Huffman tables
// nothing to fit).
Bitmap photoLike(int w, int h, unsigned seed = 1) {
    std::mt19937 rng(seed);
    auto uniform = [&](double lo, double hi) { return lo + (hi - lo) * static_cast<double>(rng()) / 4294967295.0; };
    constexpr double kTau = 6.283185307179586;

    // Texture: a sum of products of a row wave and a column wave, so that it
    // is made of tables rather than sines per pixel.
    constexpr int kWaves = 6;
    std::vector<std::vector<double>> colWave(kWaves, std::vector<double>(static_cast<std::size_t>(w)));
    std::vector<std::vector<double>> rowWave(kWaves, std::vector<double>(static_cast<std::size_t>(h)));
    double amplitude[kWaves][3];
    for (int k = 0; k < kWaves; ++k) {
        const double fx = kTau / uniform(30, 400), fy = kTau / uniform(30, 400);
        const double px = uniform(0, kTau), py = uniform(0, kTau);
        for (int x = 0; x < w; ++x) colWave[k][static_cast<std::size_t>(x)] = std::sin(fx * x + px);
        for (int y = 0; y < h; ++y) rowWave[k][static_cast<std::size_t>(y)] = std::sin(fy * y + py);
        for (double& a : amplitude[k]) a = uniform(2, 8);
    }
    // Soft blobs of light and colour, and a few sharp-edged objects.
    struct Blob {
        double x, y, radius, colour[3];
    };
    std::vector<Blob> blobs(12), objects(6);
    for (Blob& b : blobs)
        b = {uniform(0, w),
             uniform(0, h),
             uniform(0.05, 0.25) * w,
             {uniform(-70, 70), uniform(-70, 70), uniform(-70, 70)}};
    for (Blob& b : objects)
        b = {uniform(0, w),
             uniform(0, h),
             uniform(0.02, 0.1) * w,
             {uniform(-50, 50), uniform(-50, 50), uniform(-50, 50)}};

    std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const double t = static_cast<double>(y) / h;
        for (int x = 0; x < w; ++x) {
            const double s = static_cast<double>(x) / w;
            double c[3] = {90 + 80 * t + 30 * s, 120 + 40 * t - 20 * s, 170 - 90 * t};  // sky to ground
            for (const Blob& b : blobs) {
                const double dx = (x - b.x) / b.radius, dy = (y - b.y) / b.radius;
                const double weight = std::exp(-(dx * dx + dy * dy));
                for (int i = 0; i < 3; ++i) c[i] += weight * b.colour[i];
            }
            for (const Blob& b : objects) {
                const double dx = (x - b.x) / b.radius, dy = (y - b.y) / (0.6 * b.radius);
                if (dx * dx + dy * dy < 1)
                    for (int i = 0; i < 3; ++i) c[i] += b.colour[i] * (1 - 0.5 * dy);  // lit from above
            }
            for (int k = 0; k < kWaves; ++k) {
                const double wave = colWave[k][static_cast<std::size_t>(x)] * rowWave[k][static_cast<std::size_t>(y)];
                for (int i = 0; i < 3; ++i) c[i] += amplitude[k][i] * wave;
            }
            // Sensor noise: mostly in brightness, a little in colour.
            const int luma = static_cast<int>(rng() % 13) + static_cast<int>(rng() % 13) - 12;
            int channel[3];
            for (int i = 0; i < 3; ++i) {
                const int chroma = static_cast<int>(rng() % 5) - 2;
                channel[i] = std::clamp(static_cast<int>(std::lround(c[i])) + luma + chroma, 0, 255);
            }
            px[static_cast<std::size_t>(y) * w + x] = vis::rgb(channel[0], channel[1], channel[2]);
        }
    }
    return Bitmap(w, h, std::move(px));
}

const Bitmap& picture(int w, int h, bool photo = false) {
    if (photo) {
        static const Bitmap hdPhoto = photoLike(1920, 1080);
        return hdPhoto;
    }
    static const Bitmap hd = screenLike(1920, 1080);
    static const Bitmap uhd = screenLike(3840, 2160);
    return w == 1920 && h == 1080 ? hd : uhd;
}

std::string fileName(const std::string& name) { return (benchFolder() / name).string(); }

// TurboJPEG 2.1 has no flag for optimised Huffman tables; its compressor
// reads this variable at each call instead. Set for the life of the object.
class OptimisedHuffman {
public:
    explicit OptimisedHuffman(bool on) : on_(on) {
        if (on_) set("1");
    }
    ~OptimisedHuffman() {
        if (on_) set("");
    }
    OptimisedHuffman(const OptimisedHuffman&) = delete;
    OptimisedHuffman& operator=(const OptimisedHuffman&) = delete;

private:
    static void set(const char* value) {
#ifdef _WIN32
        _putenv_s("TJ_OPTIMIZE", value);
#else
        setenv("TJ_OPTIMIZE", value, 1);
#endif
    }
    bool on_;
};

// The writer's whole save: encode, write, flush to disk, rename; with the
// standard Huffman tables, as it is, or with tables fitted to the picture (a
// second pass over the coefficients, a smaller file, same pixels).
void BM_EcrireJpg(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    vis::aDIBSection dib;
    dib.CreateFromPicture(picture(w, h, state.range(2) != 0));
    const std::string out = fileName("ecrire.jpg");
    const OptimisedHuffman optimised(state.range(3) != 0);
    for (auto _ : state) {
        if (!vis::EcrireJpg(dib, out, kQuality)) {
            state.SkipWithError("EcrireJpg failed");
            break;
        }
    }
    state.counters["jpeg_bytes"] = static_cast<double>(fs::file_size(out));
}
BENCHMARK(BM_EcrireJpg)
    ->ArgNames({"w", "h", "photo", "optimised"})
    ->Args({1920, 1080, 0, 0})
    ->Args({3840, 2160, 0, 0})
    ->Args({1920, 1080, 0, 1})
    ->Args({1920, 1080, 1, 0})
    ->Args({1920, 1080, 1, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The share of the file write (temporary file, flush to disk, rename, then
// the folder flushed or not) in the above, for a file the size of a full-HD
// JPEG.
void BM_WriteFileAtomically(benchmark::State& state) {
    const std::vector<unsigned char> bytes(static_cast<std::size_t>(state.range(0)), 0x5A);
    const fs::path out = benchFolder() / "atomic.bin";
    const vis::WriteOptions options{.replace = true, .flushFolder = state.range(1) != 0};
    for (auto _ : state) {
        if (vis::writeFile(out, bytes, options) != vis::WriteResult::Written) {
            state.SkipWithError("write failed");
            break;
        }
    }
}
BENCHMARK(BM_WriteFileAtomically)
    ->ArgNames({"bytes", "folder_flush"})
    ->Args({210000, 0})
    ->Args({210000, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

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
    const bool photo = state.range(2) != 0, optimise = state.range(3) != 0;
    const Bitmap& pic = picture(w, h, photo);
    const std::string in = fileName("cjpeg-" + std::to_string(w) + (photo ? "-photo" : "") + ".ppm"),
                      out = fileName("cjpeg.jpg");
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
    std::vector<char*> argv = {const_cast<char*>("cjpeg"), const_cast<char*>("-quality"),
                               const_cast<char*>(quality.c_str())};
    if (optimise) argv.push_back(const_cast<char*>("-optimize"));
    argv.insert(argv.end(), {const_cast<char*>("-outfile"), const_cast<char*>(out.c_str()),
                             const_cast<char*>(in.c_str()), nullptr});
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
BENCHMARK(BM_CjpegProcess)
    ->ArgNames({"w", "h", "photo", "optimize"})
    ->Args({1920, 1080, 0, 0})
    ->Args({3840, 2160, 0, 0})
    ->Args({1920, 1080, 1, 0})
    ->Args({1920, 1080, 1, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
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
