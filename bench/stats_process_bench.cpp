// zelvanor-cli stats on the year of minute records, as whole processes: the time and the peak
// memory of the command, beside wc -l on the same file.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <vector>

#include "year_file.h"

namespace {

// The year's file and its counter configuration, made by a child process: a program forked
// from this one starts with this one's resident memory as its peak, so this one stays small.
struct YearOnDisk {
    std::string dir, path;
    double bytes = 0;
    YearOnDisk() {
        char tmpl[] = "/tmp/zel_stats_process_XXXXXX";
        if (!::mkdtemp(tmpl)) std::abort();
        dir = tmpl;
        path = dir + "/VORN3_00001.txt";
        const pid_t pid = ::fork();
        if (pid == 0) {
            benchyear::YearFile y(27);
            namespace fs = std::filesystem;
            std::error_code ec;
            for (const auto& e : fs::directory_iterator(fs::path(y.path).parent_path()))
                fs::copy_file(e.path(), dir + "/" + e.path().filename().string(), ec);
            ::_exit(ec ? 1 : 0);
        }
        int status = 0;
        if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0)
            std::abort();
        bytes = static_cast<double>(std::filesystem::file_size(path));
    }
    ~YearOnDisk() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

YearOnDisk& Year() {
    static YearOnDisk y;
    return y;
}

// Runs the program with its output thrown away; the child's peak resident memory in KiB.
long Run(const std::vector<std::string>& argv) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

void Measure(benchmark::State& state, const std::vector<std::string>& argv) {
    const double file_kib = Year().bytes / 1024;
    long peak = 0;
    for (auto _ : state) {
        const long kib = Run(argv);
        if (kib < 0) {
            state.SkipWithError("the program failed");
            return;
        }
        peak = std::max(peak, kib);
    }
    state.counters["peak_KiB"] = static_cast<double>(peak);
    state.counters["peak_per_file_size"] = static_cast<double>(peak) / file_kib;
}

void BM_WcLines(benchmark::State& state) {
    Measure(state, {"wc", "-l", Year().path});
}
BENCHMARK(BM_WcLines)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CliStats(benchmark::State& state) {
    Measure(state, {ZEL_CLI, "stats", Year().path});
}
BENCHMARK(BM_CliStats)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CliStatsJsonWithDistribution(benchmark::State& state) {
    Measure(state, {ZEL_CLI, "stats", "--json", "--gauss", Year().path});
}
BENCHMARK(BM_CliStatsJsonWithDistribution)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
