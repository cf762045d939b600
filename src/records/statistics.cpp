#include "records/statistics.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/datetime.h"
#include "base/numfmt.h"
#include "base/regional.h"
#include "chart/nice_chart.h"
#include "model/model.h"
#include "settings/config.h"

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

// Nearest integer, halves to the even neighbour.
double RoundEven(double v) {
    return std::nearbyint(v);
}

} // namespace

erreur_programme StatCSV(const TCaptureList& F, double FacteurConversion, TTypeCompteur Compteur) {
    UpdateScope updating(SerieHisto, SerieGauss);
    TprincipalModel& p = Principal;
    const bool cpm = Fichier_conf.tab_CPM;
    erreur_programme result = Traitement_Termine;

    ClearSeries();
    if (SerieHisto) SerieHisto->Chart->SetFormatY(cpm ? "%.0f" : "%5.3f");
    if (SerieGauss) SerieGauss->Chart->SetFormatX(cpm ? "%5.0f%" : "%5.3f%");
    p.cg_moyenne_cpm.clear();
    p.cg_moyenne_Sv.clear();
    p.Cg_max_CPM.clear();
    p.Cg_Max_SV.clear();
    p.cg_date_max.clear();
    p.cg_ecart_type_CPM.clear();
    p.cg_ecart_type_SV.clear();

    try {
        std::vector<int32_t> GaussNb(NbClassesGauss, 0);
        int32_t nb_events = 0;
        double SommeComptage = 0, SommeComptageCarre = 0, MaxValue = 0;
        TDateTime TMAx = 0;
        int min_class = NbClassesGauss, max_class = -1;
        const bool gamma = Compteur == GAMMA_SCOUT1 || Compteur == GAMMA_SCOUT2;
        const double histo_factor = cpm ? 1.0 : FacteurConversion;
        const int64_t deb_ms = DateMs(Fichier_conf.date_deb);
        const int64_t fin_ms = DateMs(Fichier_conf.date_fin);
        // One point per record at most. The live capture grows by one record a minute: grow the
        // storage by half at a time rather than by one point each call.
        if (SerieHisto && SerieHisto->Values.capacity() < F.size())
            SerieHisto->Reserve(std::max(F.size(), SerieHisto->Values.capacity() * 3 / 2));

        for (const TCaptureList::Entry& e : F) {
            if (!e.Valide) {
                result = Pb_Fichier_Log;
                break;
            }
            if (e.T == 0) continue;
            // The list is in date order: nothing after the window's end is looked at.
            if (e.ms > fin_ms) break;
            if (e.ms < deb_ms || e.Duree <= 0) continue;
            // Negative counts are the counter's error marks; they count as an overflow.
            double v = (e.Comptage < 0 || e.Comptage > CDebord) ? CDebord : e.Comptage;
            if (v == 0) continue;
            if (gamma) v = v * 60 / e.Duree;
            if (v > MaxValue) {
                MaxValue = v;
                TMAx = e.T;
            }
            if (SerieHisto) SerieHisto->AddXY(e.T, v * histo_factor);
            const double cls = RoundEven(v);
            if (cls >= NbClassesGauss) {
                result = Pb_Fichier_Log;
                break;
            }
            const int c = static_cast<int>(cls);
            ++GaussNb[c];
            if (c < min_class) min_class = c;
            if (c > max_class) max_class = c;
            SommeComptage += v;
            SommeComptageCarre += v * v;
            ++nb_events;
        }

        if (result != Traitement_Termine) {
            ClearSeries();
        } else {
            if (SerieGauss) {
                const double m = cpm ? 1.0 : FacteurConversion;
                for (int c = min_class; c <= max_class; ++c)
                    if (GaussNb[c] > 0)
                        SerieGauss->AddXY(c * m, static_cast<double>(GaussNb[c]) / nb_events);
            }
            if (nb_events >= 1) {
                const RegionalSettings& r = Regional();
                const char ds = r.decimal_sep;
                const double n = nb_events;
                p.cg_moyenne_cpm = FormatFloat("###0.#", SommeComptage / n, ds);
                p.cg_moyenne_Sv =
                    FormatFloat("###0.####", SommeComptage * FacteurConversion / n, ds);
                p.Cg_max_CPM = FormatFloat("######", MaxValue, ds);
                p.Cg_Max_SV = FormatFloat("###0.####", MaxValue * FacteurConversion, ds);
                if (TMAx != 0)
                    p.cg_date_max =
                        FormatDateTime("YYYY/MM/DD HH:NN", TMAx, r.date_sep, r.time_sep);
                // Equal values can leave the difference a rounding error below zero.
                const double var =
                    std::max(0.0, n * SommeComptageCarre - SommeComptage * SommeComptage);
                const double sigma = std::sqrt(var) / n;
                p.cg_ecart_type_CPM = FormatFloat("###0.####", sigma, ds);
                p.cg_ecart_type_SV = FormatFloat("###0.####", sigma * FacteurConversion, ds);
            }
            p.cg_nb_events = std::to_string(nb_events);
        }
    } catch (...) {
        result = Pb_Fichier_Log;
        ClearSeries();
    }
    ModelChanged(ModelWindow::Main);
    return result;
}

} // namespace zel
