// One live count (the CM line of a VORN counter) when the live capture and the two live charts
// already hold a year of minute records and the statistics show the live capture: the count
// handler appends the record, recomputes the statistics with their history and distribution
// charts, adds the points and updates the hourly means. Read it against BM_BareScan, which only
// walks the bytes of the same capture's text once.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "app/app.h"
#include "base/datetime.h"
#include "base/regional.h"
#include "chart/nice_chart.h"
#include "model/model.h"
#include "records/capture.h"
#include "scan/scanner.h"
#include "session/replies.h"
#include "session/statistics_view.h"
#include "session/thread_es.h"
#include "settings/config.h"

using namespace zel;

namespace {

constexpr int kYearMinutes = 525600;

// The charts as the main window sets them up, at a window's size.
TNiceSeries* Configure(TNiceChart& c, TSerieTypeAxis typeX, const char* formatX,
                       const char* formatY) {
    c.BeginUpdate();
    c.SetClientSize(800, 400);
    c.SetShowXGrid(false);
    c.SetAxisYScale(1.0f);
    c.SetShowTitle(false);
    c.SetShowLegend(false);
    c.SetShowAxisTitle(typeX == sDate);
    c.SetAxisXOnePerValue(false);
    c.SetAxisTypeX(typeX);
    c.SetRotateX45(typeX == sDate);
    c.SetFormatX(formatX);
    c.SetFormatY(formatY);
    TNiceSeries* s = c.AddSeries(skBar);
    s->SetCaption("");
    c.EndUpdate();
    return s;
}

struct LiveYear {
    std::string dir;
    std::string text; // the capture as its file holds it
    TNiceChart mn, sv, histo, gauss;
    std::unique_ptr<Tcg_thread_ES> session;
    TDateTime next = 0;

    LiveYear() {
        SetRegional(RegionalSettings{'/', ':', '.', "fr", "FR"});
        char tmpl[] = "/tmp/zel_live_bench_XXXXXX";
        if (!::mkdtemp(tmpl)) std::abort();
        dir = tmpl;
        Repertoire_conf = dir + "/";
        Fichier_conf = type_fichier_conf{};
        Fichier_conf.type_compteur_Capture = CVORN8;
        Fichier_conf.Serial_Compteur = 1;
        Fichier_conf.Source = CCAPTURE;
        Fichier_conf.conversion_sievert_capture = 0.0057;

        SerieComptageMn = Configure(mn, sDate, "dd/mm/yy hh:nn", "%.0f");
        SerieComptageSV = Configure(sv, sDate, "dd/mm/yy hh:nn", "%5.3f");
        SerieHisto = Configure(histo, sDate, "dd/mm/yy hh:nn", "%.0f");
        SerieGauss = Configure(gauss, sfloat, "%5.3f", "%5.1f%%");
        gauss.SetAxisTypeY(sPerCent);
        Principal.chartComptageMn = &mn;
        Principal.chartComptageSV = &sv;
        Principal.chartHisto = &histo;
        Principal.chartGauss = &gauss;

        const TDateTime start = EncodeDateTime(2024, 1, 1);
        uint32_t seed = 12345;
        F_Capture.clear();
        mn.BeginUpdate();
        sv.BeginUpdate();
        for (int i = 0; i < kYearMinutes; ++i) {
            seed = seed * 1103515245u + 12345u;
            const int32_t c = 10 + static_cast<int32_t>(seed >> 28);
            const TDateTime t = IncSecond(start, 60.0 * i);
            AjoutValeurCSV(F_Capture, t, 60, c);
            SerieComptageMn->AddXY(t, c);
            SerieComptageSV->AddXY(t, c * 0.0057);
        }
        mn.EndUpdate();
        sv.EndUpdate();
        text = F_Capture.text();
        next = IncSecond(start, 60.0 * kYearMinutes);

        // The statistics shown after each count, as the application shows them.
        SetStatisticsView([](const TCaptureList& F, double factor, TTypeCompteur model) {
            StatCSV(F, factor, model);
        });
        TSessionLinks links;
        links.Handlers = ReplyHandlers();
        session = std::make_unique<Tcg_thread_ES>(true, std::move(links));
    }
    ~LiveYear() {
        session.reset();
        SetStatisticsView(nullptr);
        Principal.chartComptageMn = Principal.chartComptageSV = nullptr;
        Principal.chartHisto = Principal.chartGauss = nullptr;
        SerieComptageMn = SerieComptageSV = SerieHisto = SerieGauss = nullptr;
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    // One count line, a minute after the previous one.
    void Count(int32_t value) {
        TAnalSynt& V = session->BufR;
        V.SSynt = "CM=" + std::to_string(value);
        V.TSynt = next;
        SyntInit(V);
        next = IncSecond(next, 60);
        if (!Trt_CM_VORN(*session)) std::abort();
    }
};

LiveYear& Year() {
    static LiveYear y;
    return y;
}

void BM_BareScan(benchmark::State& state) {
    const std::string& text = Year().text;
    for (auto _ : state) {
        size_t lines = 0;
        for (const char c : text)
            lines += c == '\n';
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_BareScan)->Unit(benchmark::kMillisecond);

// A count in the middle of an hour.
void BM_LiveCount(benchmark::State& state) {
    LiveYear& y = Year();
    for (auto _ : state) {
        y.session->Nb_Mn = 0;
        y.Count(20);
    }
}
BENCHMARK(BM_LiveCount)->Unit(benchmark::kMillisecond);

// The same count while the statistics show a viewed file: the live charts and fields only.
void BM_LiveCountStatisticsElsewhere(benchmark::State& state) {
    LiveYear& y = Year();
    Fichier_conf.Source = CFICHIER;
    for (auto _ : state) {
        y.session->Nb_Mn = 0;
        y.Count(20);
    }
    Fichier_conf.Source = CCAPTURE;
}
BENCHMARK(BM_LiveCountStatisticsElsewhere)->Unit(benchmark::kMillisecond);

// The 60th count of an hour, which also saves the capture into the counter's file.
void BM_LiveCountClosingTheHour(benchmark::State& state) {
    LiveYear& y = Year();
    for (auto _ : state) {
        y.session->Nb_Mn = 59;
        y.Count(20);
    }
}
BENCHMARK(BM_LiveCountClosingTheHour)->Unit(benchmark::kMillisecond);

// The handler's own work: the charts taken away and the statistics showing a viewed file.
// Last, since its many iterations grow the live capture far beyond a year.
void BM_LiveCountHandlerOnly(benchmark::State& state) {
    LiveYear& y = Year();
    Fichier_conf.Source = CFICHIER;
    TprincipalModel& p = Principal;
    TNiceChart* charts[] = {p.chartComptageMn, p.chartComptageSV};
    TNiceSeries* series[] = {SerieComptageMn, SerieComptageSV};
    p.chartComptageMn = p.chartComptageSV = nullptr;
    SerieComptageMn = SerieComptageSV = nullptr;
    for (auto _ : state) {
        y.session->Nb_Mn = 0;
        y.Count(20);
    }
    p.chartComptageMn = charts[0];
    p.chartComptageSV = charts[1];
    SerieComptageMn = series[0];
    SerieComptageSV = series[1];
    Fichier_conf.Source = CCAPTURE;
}
BENCHMARK(BM_LiveCountHandlerOnly)->Unit(benchmark::kMicrosecond);

} // namespace
