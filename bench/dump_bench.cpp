// Gamma Scout dump decoding at the largest size a header log can have (end pointer 65,535),
// beside the bare conversion of the same dump text into bytes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "base/datetime.h"
#include "gammascout/dump_common.h"
#include "model/model.h"
#include "records/capture.h"
#include "settings/config.h"

namespace {

constexpr int64_t kEnd = 65535; // the end pointer is 16 bits

// Header (serial 12345, end pointer 65,535), then a date record, the 1-hour interval code and
// hourly counts up to the end pointer: 4,096 lines of 16 bytes.
const zel::TextList& LargestHeaderLog() {
    static const zel::TextList lines = [] {
        std::vector<uint8_t> b(256, 0);
        b[0] = 0x45, b[1] = 0x23, b[2] = 0x01;
        b[32] = kEnd & 0xFF, b[33] = kEnd >> 8;
        for (uint8_t v : {0xFE, 0x00, 0x08, 0x01, 0x05, 0x15, 0xF2})
            b.push_back(v);
        for (uint32_t i = 0; b.size() < static_cast<size_t>(kEnd); ++i) {
            const uint32_t count = 700 + (i * 37) % 200;
            b.push_back(static_cast<uint8_t>(count >> 8));
            b.push_back(static_cast<uint8_t>(count & 0xFF));
        }
        b.resize(static_cast<size_t>(kEnd));
        while (b.size() % 16 != 0)
            b.push_back(0);
        zel::TextList out;
        char hex[3];
        for (size_t i = 0; i < b.size(); i += 16) {
            std::string line;
            for (size_t k = i; k < i + 16; ++k) {
                std::snprintf(hex, sizeof hex, "%02x", b[k]);
                line += hex;
            }
            out.push_back(line);
        }
        return out;
    }();
    return lines;
}

int64_t TextBytes(const zel::TextList& lines) {
    int64_t n = 0;
    for (const auto& l : lines)
        n += static_cast<int64_t>(l.size());
    return n;
}

zel::DumpInput Input() {
    zel::DumpInput in;
    in.Version_GS = 5.43;
    in.version = "5.43";
    in.serie = "?";
    in.now = zel::EncodeDateTime(2024, 1, 1);
    return in;
}

// Reading the characters of the dump, the least any decoder must do.
void BM_DumpTextCharScan(benchmark::State& state) {
    const auto& lines = LargestHeaderLog();
    for (auto _ : state) {
        unsigned sum = 0;
        for (const auto& l : lines)
            for (char c : l)
                sum += static_cast<unsigned char>(c);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(state.iterations() * TextBytes(lines));
}
BENCHMARK(BM_DumpTextCharScan);

// The dump text into its bytes, as the header-log decoders convert it.
void BM_DumpTextToBytes(benchmark::State& state) {
    const auto& lines = LargestHeaderLog();
    for (auto _ : state) {
        zel::LogBytes B(static_cast<int64_t>(lines.size()) * 16);
        zel::ReadPlainLines(lines, B);
        benchmark::DoNotOptimize(B[kEnd - 1]);
    }
    state.SetBytesProcessed(state.iterations() * TextBytes(lines));
}
BENCHMARK(BM_DumpTextToBytes);

// The whole decoding without files: bytes, record walk, report lines and records.
void BM_DecodeLargestHeaderLog(benchmark::State& state) {
    const auto& lines = LargestHeaderLog();
    const zel::DumpInput in = Input();
    size_t records = 0;
    for (auto _ : state) {
        const zel::DumpResult r = zel::DecodeDump(lines, in);
        if (r.status != zel::gs_no_error) state.SkipWithError("decoding failed");
        records = r.records.size();
        benchmark::DoNotOptimize(r.report.data());
    }
    state.counters["records"] = static_cast<double>(records);
    state.SetBytesProcessed(state.iterations() * TextBytes(lines));
}
BENCHMARK(BM_DecodeLargestHeaderLog)->Unit(benchmark::kMillisecond);

// As the session does it: decoding, then the report file, F_DownLoad and the merge into the
// counter's download file (which already holds the same records after the first round).
void BM_TrtDumpWithFiles(benchmark::State& state) {
    const auto& lines = LargestHeaderLog();
    char tmpl[] = "/tmp/zel_dump_bench_XXXXXX";
    if (!mkdtemp(tmpl)) {
        state.SkipWithError("no temporary directory");
        return;
    }
    zel::Repertoire_conf = std::string(tmpl) + "/";
    zel::Fichier_conf.Version_GS = 5.43;
    zel::Fichier_conf.type_compteur_Capture = zel::GAMMA_SCOUT2;
    for (auto _ : state) {
        {
            std::lock_guard<std::mutex> lock(zel::cg_param_gamma.mutex);
            zel::cg_param_gamma.version = "5.43";
        }
        zel::F_DownLoad.clear();
        if (zel::Trt_dump_GammaScout(lines) != zel::gs_no_error)
            state.SkipWithError("decoding failed");
    }
    std::filesystem::remove_all(tmpl);
    state.SetBytesProcessed(state.iterations() * TextBytes(lines));
}
BENCHMARK(BM_TrtDumpWithFiles)->Unit(benchmark::kMillisecond);

} // namespace
