// The statistics value shown on the main window: the history and distribution series and the
// fields of the "Statistiques" page, in the user's regional format.
#include "app/app.h"
#include "base/numfmt.h"
#include "base/regional.h"
#include "chart/nice_chart.h"
#include "model/model.h"
#include "records/statistics.h"
#include "settings/config.h"
#include "settings/texts.h"

namespace zel {
namespace {

// Both charts leave update mode (and repaint once) however the computation ends.
class UpdateScope {
  public:
    UpdateScope(TNiceSeries* a, TNiceSeries* b) {
        if (a) charts_[0] = a->Chart;
        if (b && (!a || b->Chart != a->Chart)) charts_[1] = b->Chart;
        for (TNiceChart* c : charts_)
            if (c) c->BeginUpdate();
    }
    ~UpdateScope() {
        for (TNiceChart* c : charts_)
            if (c) c->EndUpdate();
    }

  private:
    TNiceChart* charts_[2] = {nullptr, nullptr};
};

void ClearSeries() {
    if (SerieHisto) SerieHisto->Clear();
    if (SerieGauss) SerieGauss->Clear();
}

} // namespace

void ShowChartTitles() {
    const TprincipalModel& p = Principal;
    const bool cpm = Fichier_conf.tab_CPM;
    // Units are the same in every language.
    if (p.chartComptageMn) p.chartComptageMn->SetAxisYTitle("CPM");
    if (p.chartComptageSV) p.chartComptageSV->SetAxisYTitle("µSv/h");
    if (p.chartHisto) p.chartHisto->SetAxisYTitle(cpm ? "CPM" : "µSv/h");
    if (p.chartGauss) {
        p.chartGauss->SetAxisYTitle(GetProgramText(ProgramText::AxisPercentOfRecords));
        p.chartGauss->SetAxisXTitle(
            GetProgramText(cpm ? ProgramText::AxisCountsPerMinute : ProgramText::AxisDoseRate));
    }
}

void ShowStatisticsFields(const Statistics& s) {
    TprincipalModel& p = Principal;
    p.cg_moyenne_cpm.clear();
    p.cg_moyenne_Sv.clear();
    p.Cg_max_CPM.clear();
    p.Cg_Max_SV.clear();
    p.cg_date_max.clear();
    p.cg_ecart_type_CPM.clear();
    p.cg_ecart_type_SV.clear();
    p.records_span.clear();
    // A failed computation leaves the count of the last good one.
    if (!s.valid) return;
    p.cg_nb_events = std::to_string(s.events);
    if (s.events < 1) return;
    p.records_span = std::to_string(s.events) + GetProgramText(ProgramText::SpanFrom) +
                     RegionalDateTime(s.first_date) + GetProgramText(ProgramText::SpanTo) +
                     RegionalDateTime(s.last_date);
    const RegionalSettings& r = Regional();
    const char ds = r.decimal_sep;
    p.cg_moyenne_cpm = FormatFloat("###0.#", s.mean_cpm, ds);
    p.cg_moyenne_Sv = FormatFloat("###0.####", s.mean_usvh, ds);
    p.Cg_max_CPM = FormatFloat("######", s.max_cpm, ds);
    p.Cg_Max_SV = FormatFloat("###0.####", s.max_usvh, ds);
    if (s.max_date != 0) p.cg_date_max = RegionalDateTime(s.max_date);
    p.cg_ecart_type_CPM = FormatFloat("###0.####", s.sd_cpm, ds);
    p.cg_ecart_type_SV = FormatFloat("###0.####", s.sd_usvh, ds);
}

erreur_programme StatCSV(const TCaptureList& F, double FacteurConversion, TTypeCompteur Compteur) {
    UpdateScope updating(SerieHisto, SerieGauss);
    const bool cpm = Fichier_conf.tab_CPM;
    erreur_programme result = Traitement_Termine;

    ClearSeries();
    if (SerieHisto) SerieHisto->Chart->SetFormatY(cpm ? "%.0f" : "%5.3f");
    if (SerieGauss) SerieGauss->Chart->SetFormatX(cpm ? "%5.0f%" : "%5.3f%");
    ShowChartTitles();
    // A pause in the history is one longer than the longest period of its records.
    if (SerieHisto) {
        int32_t longest = 0;
        const int64_t from = DateMs(Fichier_conf.date_deb), to = DateMs(Fichier_conf.date_fin);
        for (const TCaptureList::Entry& e : F)
            if (e.Valide && e.ms >= from && e.ms <= to) longest = std::max(longest, e.Duree);
        SerieHisto->Chart->SetXGapSpan(longest / 86400.0);
    }
    Statistics s;
    try {
        const double histo_factor = cpm ? 1.0 : FacteurConversion;
        // One point per record at most. The live capture grows by one record a minute: grow the
        // storage by half at a time rather than by one point each call.
        if (SerieHisto && SerieHisto->Values.capacity() < F.size())
            SerieHisto->Reserve(std::max(F.size(), SerieHisto->Values.capacity() * 3 / 2));
        std::function<void(TDateTime, double)> each;
        if (SerieHisto)
            each = [histo_factor](TDateTime t, double v) {
                SerieHisto->AddXY(t, v * histo_factor);
            };
        s = ComputeStatistics(F, {Fichier_conf.date_deb, Fichier_conf.date_fin}, FacteurConversion,
                              Compteur, each);
        if (s.valid && SerieGauss) {
            const double m = cpm ? 1.0 : FacteurConversion;
            for (const auto& [c, n] : s.classes)
                SerieGauss->AddXY(c * m, static_cast<double>(n) / s.events);
        }
    } catch (...) {
        s = Statistics{};
        s.valid = false;
    }
    if (!s.valid) {
        result = Pb_Fichier_Log;
        ClearSeries();
    }
    ShowStatisticsFields(s);
    ModelChanged(ModelWindow::Main);
    return result;
}

} // namespace zel
