// Capture lists at the scale of one year of minute records (525,600 lines): loading, one live
// append, merging the year into itself, saving. Each is to be read against BM_BareScan, which
// only reads the same file and counts its line ends.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "base/regional.h"
#include "base/textfile.h"
#include "records/capture.h"
#include "records/counter.h"
#include "settings/config.h"
#include "year_file.h"

using namespace zel;

namespace {

using benchyear::CountLineEnds;
using benchyear::kYearMinutes;
using benchyear::YearFile;

YearFile& Year() {
    static YearFile y(28);
    return y;
}

// Reading the file and counting its line ends: the floor of any loader.
void BM_BareScan(benchmark::State& state) {
    auto& y = Year();
    for (auto _ : state) {
        std::string b;
        ReadFileBytes(y.path, b);
        size_t n = CountLineEnds(b);
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * y.bytes));
}
BENCHMARK(BM_BareScan)->Unit(benchmark::kMillisecond);

// Counting line ends of bytes already in memory: the floor without the file system.
void BM_BareScanInMemory(benchmark::State& state) {
    auto& y = Year();
    std::string b;
    ReadFileBytes(y.path, b);
    for (auto _ : state) {
        size_t n = CountLineEnds(b);
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * y.bytes));
}
BENCHMARK(BM_BareScanInMemory)->Unit(benchmark::kMillisecond);

void BM_ChargeDonnees(benchmark::State& state) {
    auto& y = Year();
    for (auto _ : state) {
        TCaptureList l;
        erreur_programme st;
        bool ok = ChargeDonnees(l, y.path, st);
        benchmark::DoNotOptimize(ok);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * y.bytes));
}
BENCHMARK(BM_ChargeDonnees)->Unit(benchmark::kMillisecond);

// One live record (formatted, parsed, compared with the last one). The record is taken off
// again inside the loop so that every append meets a list of the same length.
void Append(benchmark::State& state, TCaptureList& l) {
    const TDateTime next = EncodeDateTime(2025, 6, 1);
    for (auto _ : state) {
        bool ok = AjoutValeurCSV(l, next, 60, 23);
        benchmark::DoNotOptimize(ok);
        l.pop_back();
    }
}
void BM_AppendToYear(benchmark::State& state) {
    TCaptureList l = Year().list;
    Append(state, l);
}
BENCHMARK(BM_AppendToYear);
void BM_AppendToEmpty(benchmark::State& state) {
    TCaptureList l;
    Append(state, l);
}
BENCHMARK(BM_AppendToEmpty);

// The hourly save merges the live capture into the file's records; the worst case is a year
// merged into an identical year.
void BM_CombineYearIntoItself(benchmark::State& state) {
    auto& y = Year();
    TCaptureList target = y.list;
    for (auto _ : state) {
        CombineCSV(y.list, target);
        size_t n = target.size();
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * y.bytes));
}
BENCHMARK(BM_CombineYearIntoItself)->Unit(benchmark::kMillisecond);

// Writing the year: the file's bytes, then an atomic replacement (written, flushed, renamed).
void BM_SaveYear(benchmark::State& state) {
    auto& y = Year();
    const std::string out = y.dir + "/saved.txt";
    for (auto _ : state) {
        bool ok = y.list.save(out);
        benchmark::DoNotOptimize(ok);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * y.bytes));
}
BENCHMARK(BM_SaveYear)->Unit(benchmark::kMillisecond);

// The bytes of the file alone, without the disk.
void BM_YearText(benchmark::State& state) {
    auto& y = Year();
    for (auto _ : state) {
        std::string t = y.list.text();
        benchmark::DoNotOptimize(t);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * y.bytes));
}
BENCHMARK(BM_YearText)->Unit(benchmark::kMillisecond);

} // namespace
