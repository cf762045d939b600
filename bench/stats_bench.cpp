// Statistics of one year of minute records (525,600) with the layout of the history chart that
// they refill, read against a bare scan of the same file in the same run.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/app.h"
#include "base/regional.h"
#include "base/textfile.h"
#include "chart/nice_chart.h"
#include "chart_raster_canvas.h"
#include "model/model.h"
#include "records/capture.h"
#include "records/counter.h"
#include "records/statistics.h"
#include "settings/config.h"
#include "year_file.h"

using namespace zel;

namespace {

using benchyear::kYearMinutes;

// The year, with the viewing window over it.
struct YearFile : benchyear::YearFile {
    YearFile() : benchyear::YearFile(27) {
        if (!MetAJourDate(list)) std::abort();
    }
};

YearFile& Year() {
    static YearFile y;
    return y;
}

// The history and distribution charts of the main window, at the history's size.
struct Charts {
    TNiceChart histo, gauss;
    Charts() {
        SerieHisto = bench::ConfigureHistory(histo);
        gauss.SetAxisTypeX(sfloat);
        gauss.SetAxisTypeY(sPerCent);
        gauss.SetFormatY("%5.1f%%");
        SerieGauss = gauss.AddSeries(skBar);
        histo.SetClientSize(740, 462);
        gauss.SetClientSize(740, 462);
    }
    ~Charts() {
        SerieHisto = nullptr;
        SerieGauss = nullptr;
    }
};

// Reading the file and counting its line ends: the floor of anything that reads it.
void BM_BareScan(benchmark::State& state) {
    auto& y = Year();
    for (auto _ : state) {
        std::string b;
        ReadFileBytes(y.path, b);
        size_t n = benchyear::CountLineEnds(b);
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * y.bytes));
}
BENCHMARK(BM_BareScan)->Unit(benchmark::kMillisecond);

// StatCSV on the loaded year: the statistics, both series refilled, both charts laid out once.
void BM_StatCSVWithHistoryLayout(benchmark::State& state) {
    auto& y = Year();
    Charts charts;
    for (auto _ : state) {
        erreur_programme r = StatCSV(y.list, 0.0057, CVORN3);
        // The charts place their points only when read: read them, as a shown page would.
        charts.histo.EnsureLayout();
        charts.gauss.EnsureLayout();
        benchmark::DoNotOptimize(r);
    }
    if (Principal.cg_nb_events != std::to_string(kYearMinutes)) state.SkipWithError("count");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * y.bytes));
}
BENCHMARK(BM_StatCSVWithHistoryLayout)->Unit(benchmark::kMillisecond);

// From the file on disk: loading with its counter configuration, then the above.
void BM_LoadThenStatCSV(benchmark::State& state) {
    auto& y = Year();
    Charts charts;
    for (auto _ : state) {
        TCaptureList l;
        erreur_programme st;
        ChargeDonnees(l, y.path, st);
        erreur_programme r = StatCSV(l, 0.0057, CVORN3);
        benchmark::DoNotOptimize(r);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * y.bytes));
}
BENCHMARK(BM_LoadThenStatCSV)->Unit(benchmark::kMillisecond);

// The history chart's layout alone (the points already in the series).
void BM_HistoryLayoutOnly(benchmark::State& state) {
    auto& y = Year();
    Charts charts;
    StatCSV(y.list, 0.0057, CVORN3);
    for (auto _ : state) {
        charts.histo.Calculate(740, 462);
        benchmark::DoNotOptimize(charts.histo.XAxis.data());
    }
}
BENCHMARK(BM_HistoryLayoutOnly)->Unit(benchmark::kMillisecond);

} // namespace
