// Painting the history chart into a 740 x 462 image with 10,000, 100,000 and 525,600 bars: the
// cost is to follow the pixels of the picture, not the number of points. The layout, which
// places every point, is measured beside it.
#include <benchmark/benchmark.h>

#include "base/datetime.h"
#include "base/regional.h"
#include "chart/nice_chart.h"
#include "chart_raster_canvas.h"

using namespace zel;

namespace {

constexpr int kWidth = 740, kHeight = 462;

void Fill(TNiceChart& c, TNiceSeries* s, int n) {
    const TDateTime start = EncodeDateTime(2024, 1, 1);
    uint32_t seed = 12345;
    c.BeginUpdate();
    s->Values.reserve(n);
    for (int i = 0; i < n; ++i) {
        seed = seed * 1103515245u + 12345u;
        s->AddXY(start + i / 1440.0, 10 + static_cast<int>(seed >> 27));
    }
    c.Calculate(kWidth, kHeight);
}

void BM_PaintHistory(benchmark::State& state) {
    SetRegional(RegionalSettings{'/', ':', '.', "fr", "FR"});
    TNiceChart c;
    Fill(c, bench::ConfigureHistory(c), static_cast<int>(state.range(0)));
    bench::RasterCanvas canvas(kWidth, kHeight);
    for (auto _ : state) {
        c.InternalPaint(canvas);
        benchmark::DoNotOptimize(canvas.pixels().data());
    }
    state.counters["bars"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_PaintHistory)->Arg(10000)->Arg(100000)->Arg(525600)->Unit(benchmark::kMicrosecond);

void BM_LayoutHistory(benchmark::State& state) {
    SetRegional(RegionalSettings{'/', ':', '.', "fr", "FR"});
    TNiceChart c;
    Fill(c, bench::ConfigureHistory(c), static_cast<int>(state.range(0)));
    for (auto _ : state) {
        c.Calculate(kWidth, kHeight);
        benchmark::DoNotOptimize(c.XAxis.data());
    }
}
BENCHMARK(BM_LayoutHistory)->Arg(10000)->Arg(100000)->Arg(525600)->Unit(benchmark::kMillisecond);

} // namespace
