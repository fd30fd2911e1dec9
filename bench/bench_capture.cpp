// SPDX-License-Identifier: GPL-3.0-or-later
// The capture loop's hot paths: the selection drag and the filing of a capture.

#include <benchmark/benchmark.h>

#include "support/program_fixture.h"

namespace vis::sim {
namespace {

// The program started on a simulated screen of the given size.
struct Running {
    Running(int w, int h) : sim(w, h), platform(sim.platform()), prog(platform) {
        sim.messages.answers.assign(4, MsgResult::No);
        saveParamFile(std::filesystem::path(sim.paths.program) / "param.txt", defaultRecord(sim.paths.documents));
        prog.start();
        sim.windows.advance(1.0);
        prog.g.tempo = 0;
    }
    SimPlatform sim;
    Platform platform;
    Program prog;
};

void BM_SelectionMouseMove(benchmark::State& state) {
    Running r(1920, 1080);
    FrmMain& m = r.prog.frmMain();
    m.bouton_Click(0);
    m.Picture1_MouseDown({kLeftButton, 0, 1500, 1500});
    double x = 1500;
    for (auto _ : state) {
        x = x > 20000 ? 1500 : x + 15;
        m.Picture1_MouseMove({kLeftButton, 0, x, x / 2});
        benchmark::DoNotOptimize(m.Labtaille->caption.data());
    }
}
BENCHMARK(BM_SelectionMouseMove);

// Whole-screen capture filed in the collection: the window's lay-out and the
// filing, without the grab's waits. The collection is emptied now and then so
// that it never fills up.
void BM_FileWholeScreen(benchmark::State& state) {
    Running r(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    FrmMain& m = r.prog.frmMain();
    m.capturTTecran(0);
    for (auto _ : state) {
        m.MefImageF(0);
        m.GestVignettes(*m.ImgTtscreen);
        if (r.prog.collection.nbCaptures() == 29) {
            state.PauseTiming();
            m.Supprimertout(false);
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_FileWholeScreen)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);

// A region (80% of each side) of a full-HD and of a 4K screen cropped and filed.
void fileRegion(benchmark::State& state, double side) {
    Running r(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    FrmMain& m = r.prog.frmMain();
    m.bouton_Click(0);
    const double w = static_cast<double>(state.range(0)) * 15.0 * side;
    const double h = static_cast<double>(state.range(1)) * 15.0 * side;
    for (auto _ : state) {
        m.annulation();
        m.Picture1_MouseDown({kLeftButton, 0, 150, 150});
        m.Picture1_MouseMove({kLeftButton, 0, 150 + w, 150 + h});
        m.Picture1_MouseUp({kLeftButton, 0, 150 + w, 150 + h});
        if (r.prog.collection.nbCaptures() == 29) {
            state.PauseTiming();
            m.Supprimertout(false);
            state.ResumeTiming();
        }
    }
}
void BM_FileRegion(benchmark::State& state) { fileRegion(state, 0.8); }
BENCHMARK(BM_FileRegion)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);

// 60% of each side, less than half the screen: its pixels are copied.
void BM_FileSmallRegion(benchmark::State& state) { fileRegion(state, 0.6); }
BENCHMARK(BM_FileSmallRegion)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vis::sim
