#include "gammascout/dump_report.h"

#include <cmath>

#include "base/numfmt.h"
#include "gammascout/dump_common.h"

namespace zel {

bool FormatteValeur(double V, int32_t L, int32_t Z, std::string& S) {
    if (!(V >= 0.0 && V <= 4294967295.0)) return false;
    std::string t;
    if (Z <= 0) {
        t = std::to_string(static_cast<uint64_t>(std::llround(V)));
    } else {
        const double whole = std::trunc(V);
        const double scale = std::pow(10.0, Z);
        // Truncated, not rounded: 12.35 with one decimal is 12.3.
        auto frac = static_cast<uint64_t>(std::trunc((V - whole) * scale));
        const auto limit = static_cast<uint64_t>(scale);
        if (frac >= limit) frac = limit - 1;
        std::string digits = std::to_string(frac);
        digits.insert(0, static_cast<size_t>(Z) - std::min(digits.size(), static_cast<size_t>(Z)),
                      '0');
        t = std::to_string(static_cast<uint64_t>(whole)) + "." + digits;
    }
    if (static_cast<int64_t>(t.size()) < L) t.insert(0, static_cast<size_t>(L) - t.size(), ' ');
    S = std::move(t);
    return true;
}

void ReportHeader(const std::string& serie, const std::string& version, TextList& F_Temp) {
    std::string factor;
    FormatteValeur(GammaScoutDoseFactor, 8, 6, factor);
    F_Temp.push_back("Gamma Scout, Serial = " + serie + ", Version = " + version +
                     ", Conv. Factor = " + factor);
    F_Temp.push_back(
        "From                   To                     Counts   Seconds       CPM      CPS");
    F_Temp.push_back(std::string(80, '-'));
}

bool ReportLine(TDateTime DateHeure, TDateTime DateHeureTemp, int32_t count, int32_t DiffSecondes,
                const std::string& annotation, char time_sep, char decimal_sep, std::string& line) {
    static const std::string gap(4, ' ');
    const double minutes = DiffSecondes / 60.0;
    std::string counts, seconds, cpm;
    if (!FormatteValeur(count, 6, 0, counts) || !FormatteValeur(DiffSecondes, 6, 0, seconds) ||
        !FormatteValeur(count / minutes, 6, 1, cpm))
        return false;
    const std::string pattern = "YYYY-MM-DD HH:NN:SS";
    line = FormatDateTime(pattern, DateHeure, '/', time_sep) + gap +
           FormatDateTime(pattern, DateHeureTemp, '/', time_sep) + gap + counts + gap + seconds +
           gap + cpm + gap +
           FormatFloat("0.000", count * GammaScoutDoseFactor / minutes, decimal_sep) + annotation;
    return true;
}

std::string ReportFileName(const std::string& serie, TDateTime DateDeb, TDateTime DateFin) {
    const std::string pattern = "YYYY-MM-DD_HH.NN";
    return "gs_" + serie + "_" + FormatDateTime(pattern, DateDeb) + "_" +
           FormatDateTime(pattern, DateFin) + ".txt";
}

} // namespace zel
