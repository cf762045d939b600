// One year of minute records (525,600) in a scratch data directory, with its counter
// configuration, and the bare scan every benchmark is read against.
#pragma once
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

namespace benchyear {

constexpr int kYearMinutes = 525600;

struct YearFile {
    std::string dir;
    std::string path;
    size_t bytes = 0;
    zel::TCaptureList list;

    // Counts are 10 plus a pseudo-random value below 2^(32 - spread_shift).
    explicit YearFile(int spread_shift) {
        using namespace zel;
        SetRegional(RegionalSettings{'/', ':', '.', "fr", "FR"});
        char tmpl[] = "/tmp/zel_bench_XXXXXX";
        if (!::mkdtemp(tmpl)) std::abort();
        dir = tmpl;
        Repertoire_conf = dir + "/";
        path = Repertoire_conf + "VORN3_00001.txt";
        const TDateTime start = EncodeDateTime(2024, 1, 1);
        uint32_t seed = 12345;
        TCaptureList gen;
        for (int i = 0; i < kYearMinutes; ++i) {
            seed = seed * 1103515245u + 12345u;
            AjoutValeurCSV(gen, IncSecond(start, 60.0 * i), 60,
                           10 + static_cast<int>(seed >> spread_shift));
        }
        if (!gen.save(path) ||
            !SauveConfCompteur(NomFichierConfCompteur("VORN3_00001"), CVORN3, 0.0057))
            std::abort();
        bytes = std::filesystem::file_size(path);
        erreur_programme st;
        if (!ChargeDonnees(list, path, st) || list.size() != kYearMinutes) std::abort();
    }
    ~YearFile() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

inline size_t CountLineEnds(const std::string& b) {
    size_t n = 0;
    const char* p = b.data();
    const char* end = p + b.size();
    while ((p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p))))) {
        ++n;
        ++p;
    }
    return n;
}

} // namespace benchyear
