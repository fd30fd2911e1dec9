// SPDX-License-Identifier: GPL-3.0-or-later
// The reduction of a whole-screen capture for display: it comes between the
// grab and the first paint of the capture.
#include <benchmark/benchmark.h>

#include <QImage>
#include <cstdint>

#include "desktop/qt_image.h"

namespace {

QImage screenLike(int w, int h) {
    QImage img(w, h, QImage::Format_BGR888);
    std::uint32_t seed = 12345;
    for (int y = 0; y < h; ++y) {
        uchar* p = img.scanLine(y);
        for (int i = 0; i < w * 3; ++i) {
            seed = seed * 1664525u + 1013904223u;
            p[i] = static_cast<uchar>((i / 3 + y) / 8 + (seed >> 29));
        }
    }
    return img;
}

void BM_DisplayReduction(benchmark::State& state) {
    const QImage capture = screenLike(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const QSize want(static_cast<int>(state.range(0) * 909 / 1000), static_cast<int>(state.range(1) * 909 / 1000));
    for (auto _ : state) {
        QImage shown = vis::scaledImage(capture, want);
        benchmark::DoNotOptimize(shown.constBits());
    }
}
BENCHMARK(BM_DisplayReduction)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);

}  // namespace
