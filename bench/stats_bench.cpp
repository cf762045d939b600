// Statistics of one year of minute records (525,600) with the layout of the history chart that
// they refill, read against a bare scan of the same file in the same run.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "base/regional.h"
#include "base/textfile.h"
#include "chart/nice_chart.h"
#include "chart_raster_canvas.h"
#include "model/model.h"
#include "records/capture.h"
#include "records/counter.h"
#include "records/statistics.h"
#include "settings/config.h"

using namespace zel;

namespace {

constexpr int kYearMinutes = 525600;

struct YearFile {
    std::string dir, path;
    size_t bytes = 0;
    TCaptureList list;

    YearFile() {
        SetRegional(RegionalSettings{'/', ':', '.', "fr", "FR"});
        char tmpl[] = "/tmp/zel_stats_bench_XXXXXX";
        if (!::mkdtemp(tmpl)) std::abort();
        dir = tmpl;
        Repertoire_conf = dir + "/";
        path = Repertoire_conf + "VORN3_00001.txt";
        const TDateTime start = EncodeDateTime(2024, 1, 1);
        uint32_t seed = 12345;
        TCaptureList gen;
        for (int i = 0; i < kYearMinutes; ++i) {
            seed = seed * 1103515245u + 12345u;
            AjoutValeurCSV(gen, IncSecond(start, 60.0 * i), 60, 10 + static_cast<int>(seed >> 27));
        }
        if (!gen.save(path) ||
            !SauveConfCompteur(NomFichierConfCompteur("VORN3_00001"), CVORN3, 0.0057))
            std::abort();
        bytes = std::filesystem::file_size(path);
        erreur_programme st;
        if (!ChargeDonnees(list, path, st) || list.size() != kYearMinutes) std::abort();
        if (!MetAJourDate(list)) std::abort();
    }
    ~YearFile() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
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
        size_t n = 0;
        const char* p = b.data();
        const char* end = p + b.size();
        while ((p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p))))) {
            ++n;
            ++p;
        }
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
