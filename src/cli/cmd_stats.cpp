// zelvanor-cli stats [--from DATE] [--to DATE] [--unit cpm|sv] [--dir DIR] [--gauss] FILE:
// the statistics of the "Statistiques" page for a capture file, one name=value a line, and with
// --gauss the distribution points.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "base/datetime.h"
#include "chart/nice_chart.h"
#include "cli/commands.h"
#include "model/model.h"
#include "records/capture.h"
#include "records/statistics.h"
#include "scan/scanner.h"
#include "settings/config.h"
#include "settings/messages.h"

namespace {

const char kUsage[] =
    "Usage: zelvanor-cli stats [--from DATE] [--to DATE] [--unit cpm|sv] [--dir DIR] [--gauss] "
    "FILE\n"
    "  Statistics of the capture FILE over a date window, as the \"Statistiques\" page shows\n"
    "  them. The window is the span of the records unless --from / --to give its ends\n"
    "  (year first, \"YYYY/MM/DD [HH:NN[:SS]]\"; a --to without a time includes that whole day).\n"
    "  --unit  the unit of the history and distribution values (default cpm)\n"
    "  --dir   where the counter's configuration file is looked up (default: FILE's directory)\n"
    "  --gauss then print the distribution, one \"X;Y\" line per class\n";

// Year first, the time optional.
bool ParseDate(const std::string& text, bool end_of_day, zel::TDateTime& t) {
    zel::TAnalSynt v;
    v.SSynt = text;
    zel::SyntInit(v);
    if (zel::SyntDateTime(v, t, 0) && zel::SyntEnd(v)) return true;
    v.SSynt = text + (end_of_day ? " 23:59:59" : " 00:00:00");
    zel::SyntInit(v);
    return zel::SyntDateTime(v, t, 0) && zel::SyntEnd(v);
}

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

// Headless history and distribution charts, as the window has them, for the time of the run.
struct Charts {
    zel::TNiceChart histo, gauss;
    Charts() {
        zel::SerieHisto = histo.AddSeries(zel::skBar);
        zel::SerieGauss = gauss.AddSeries(zel::skBar);
    }
    ~Charts() {
        zel::SerieHisto = nullptr;
        zel::SerieGauss = nullptr;
    }
};

int run_stats(int argc, char** argv) {
    std::string from, to, unit = "cpm", dir, file;
    bool gauss = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        bool ok = true;
        if (a == "--from")
            ok = value(from);
        else if (a == "--to")
            ok = value(to);
        else if (a == "--unit")
            ok = value(unit) && (unit == "cpm" || unit == "sv");
        else if (a == "--dir")
            ok = value(dir);
        else if (a == "--gauss")
            gauss = true;
        else if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (!a.empty() && a[0] == '-')
            ok = false;
        else if (file.empty())
            file = a;
        else
            ok = false;
        if (!ok) {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (file.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    zel::TDateTime t_from = 0, t_to = 0;
    if ((!from.empty() && !ParseDate(from, false, t_from)) ||
        (!to.empty() && !ParseDate(to, true, t_to))) {
        std::fprintf(stderr, "zelvanor-cli stats: a date reads YYYY/MM/DD [HH:NN[:SS]]\n");
        return 2;
    }

    using namespace zel;
    Repertoire_conf = dir.empty() ? DirectoryOf(file) : dir;
    if (Repertoire_conf.back() != '/') Repertoire_conf += '/';
    Fichier_conf.tab_CPM = unit == "cpm";

    erreur_programme status = PasErreur;
    if (!ChargeDonnees(F_Fichier, file, status)) {
        if (status != pb_conf_compteur) {
            std::fprintf(stderr, "%s%s\n", GetMessagePgm(status).c_str(), file.c_str());
            return 1;
        }
        // The records are there, their counter's file is not: the factor and model defaults.
        std::fprintf(stderr, "%s\n", GetMessagePgm(status).c_str());
    }
    if (!MetAJourDate(F_Fichier)) {
        std::fprintf(stderr, "%s\n", GetMessagePgm(Pb_Fichier_Log).c_str());
        return 1;
    }
    if (!from.empty()) Fichier_conf.date_deb = t_from;
    if (!to.empty()) Fichier_conf.date_fin = t_to;

    Charts charts;
    if (StatCSV(F_Fichier, Fichier_conf.conversion_sievert_Fichier,
                Fichier_conf.type_compteur_Fichier) == Pb_Fichier_Log) {
        std::fprintf(stderr, "%s\n", GetMessagePgm(Pb_Fichier_Log).c_str());
        return 1;
    }
    const TprincipalModel& p = Principal;
    const std::pair<const char*, const std::string*> lines[] = {
        {"cg_moyenne_cpm", &p.cg_moyenne_cpm},
        {"cg_moyenne_Sv", &p.cg_moyenne_Sv},
        {"Cg_max_CPM", &p.Cg_max_CPM},
        {"Cg_Max_SV", &p.Cg_Max_SV},
        {"cg_date_max", &p.cg_date_max},
        {"cg_ecart_type_CPM", &p.cg_ecart_type_CPM},
        {"cg_ecart_type_SV", &p.cg_ecart_type_SV},
        {"cg_nb_events", &p.cg_nb_events},
    };
    for (const auto& [name, value] : lines)
        std::printf("%s=%s\n", name, value->c_str());
    if (gauss)
        for (const TXYInfo& pt : SerieGauss->Values)
            std::printf("%.10g;%.10g\n", pt.X, pt.Y);
    return 0;
}

const zelcli::Register
    reg("stats", "[--from D] [--to D] [--unit cpm|sv] [--dir DIR] FILE  statistics", run_stats);

} // namespace
