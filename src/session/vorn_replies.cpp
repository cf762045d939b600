// Replies of the VORN counters: the count of every minute, the memory download, the
// parameters, the conversion factor and the internal data.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "base/datetime.h"
#include "base/numfmt.h"
#include "base/regional.h"
#include "chart/nice_chart.h"
#include "model/model.h"
#include "records/capture.h"
#include "records/counter.h"
#include "scan/scanner.h"
#include "session/replies.h"
#include "session/statistics_view.h"
#include "settings/config.h"
#include "settings/journal.h"
#include "settings/messages.h"

namespace zel {

namespace {

// Shown in place of the value of a count the counter marks as invalid (negative).
const char* const Invalide = "***";
// Chart value of such a count.
constexpr double Debordement = 9999;

void Incorrecte() {
    Trt_log(GetMessagePgm(Cmd_Compteur_Incorrecte), true);
}

// "XX" then "=": the leading word of every VORN reply.
bool Entete(TAnalSynt& V, const char* mot) {
    return SyntIdent(V, mot) && SyntSep(V, '=');
}

bool VornAvecParametres(TTypeCompteur t) {
    return t == CVORN3 || t == CVORN8 || t == CVORN9 || t == CVORN10;
}

// The live charts redraw once per count, not once per series.
struct MiseAJourGraphiques {
    MiseAJourGraphiques() {
        if (Principal.chartComptageMn) Principal.chartComptageMn->BeginUpdate();
        if (Principal.chartComptageSV) Principal.chartComptageSV->BeginUpdate();
    }
    ~MiseAJourGraphiques() {
        if (Principal.chartComptageMn) Principal.chartComptageMn->EndUpdate();
        if (Principal.chartComptageSV) Principal.chartComptageSV->EndUpdate();
    }
};

void AjoutPoint(TNiceSeries* s, TDateTime x, double y) {
    if (s) s->AddXY(x, y);
}

// General format with 4 significant digits and "." (the 24-hour dose mean).
std::string Format4(double v) {
    return FormatGeneral(v, 4);
}

// The means of the hourly ring, shown in the main window.
void Moyennes(const Tcg_thread_ES& T) {
    int64_t somme = 0;
    double sommeSV = 0;
    int64_t minutes;
    if (T.H24) {
        // The 24 complete hours: every slot but the one in progress.
        for (int32_t i = 0; i < 25; ++i) {
            if (i == T.I_Cpt_H) continue;
            somme += T.Cpt_H_mn[i];
            sommeSV += T.Cpt_H_SV[i];
        }
        minutes = 1440;
    } else {
        for (int32_t i = 0; i <= T.I_Cpt_H; ++i) {
            somme += T.Cpt_H_mn[i];
            sommeSV += T.Cpt_H_SV[i];
        }
        minutes = int64_t{T.I_Cpt_H} * 60 + T.Nb_Mn; // never 0: this minute is counted
    }
    Principal.cg_tr_moy_cpm = std::to_string(somme / minutes);
    Principal.cg_tr_moy_sv = Format4(sommeSV / static_cast<double>(minutes));
}

// The hourly ring: add this minute, move on after 60 minutes, and show the means.
void SommesHoraires(Tcg_thread_ES& T, int32_t Valeur, double facteur) {
    // A garbled line can carry a count of 27 bits: the hour's sum saturates rather than wraps.
    const int64_t somme_h = int64_t{T.Cpt_H_mn[T.I_Cpt_H]} + Valeur;
    T.Cpt_H_mn[T.I_Cpt_H] = static_cast<int32_t>(std::clamp<int64_t>(
        somme_h, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
    T.Cpt_H_SV[T.I_Cpt_H] += Valeur * facteur;
    T.Live.PerHour[T.I_Cpt_H] += Valeur;

    T.Nb_Mn += 1;
    if (T.Nb_Mn > 59) {
        T.Nb_Mn = 0;
        T.I_Cpt_H += 1;
        if (T.I_Cpt_H > 23) T.H24 = true;
        if (T.I_Cpt_H > 24) T.I_Cpt_H = 0;
        T.Cpt_H_mn[T.I_Cpt_H] = 0;
        T.Cpt_H_SV[T.I_Cpt_H] = 0;
        T.Live.PerHour[T.I_Cpt_H] = 0;
        // Once an hour of counts. A capture that can no longer be written must not go unnoticed.
        std::string Nom;
        if (!SauveCaptureCompteur(Nom)) Trt_log(GetMessagePgm(pb_ecr_fichier) + ": " + Nom, true);
    }
    Moyennes(T);
}

// The last dose rate field, from the last count.
void DoseAffichee(int32_t Valeur, double facteur) {
    Principal.cg_sv_H = Valeur >= 0 ? FormatFloat("0.000", Valeur * facteur, Regional().decimal_sep)
                                    : std::string(Invalide);
}

} // namespace

bool Trt_CM_VORN(Tcg_thread_ES& T) {
    TAnalSynt& V = T.BufR;
    if (!Entete(V, "CM")) return false;
    int32_t Valeur;
    if (!SyntInt(V, Valeur)) {
        Incorrecte();
        return false;
    }
    const TDateTime t = V.TSynt;
    const double facteur = Fichier_conf.conversion_sievert_capture;

    // The capture keeps its records in date order. A count dated before its last record comes
    // after the computer's clock went back (the autumn change of time repeats an hour): the
    // capture cannot take it, but the window shows it, and the user hears once, when the clock
    // has caught up, how many were left out.
    const bool garde = AjoutValeurCSV(F_Capture, t, 60, Valeur);
    const bool recul = !garde && !F_Capture.empty() && DateMs(t) < F_Capture.back().ms;
    if (recul) ++T.Live.ClockBack;
    if (garde) TellClockBackCounts(T);
    if (Fichier_conf.Source == CCAPTURE && MetAJourDate(F_Capture))
        ShowStatistics(F_Capture, facteur, Fichier_conf.type_compteur_Capture);

    // A count dated in the same second as the last one gets no bar, so that a counter sending
    // faster than once a second does not grow the charts without bound.
    const bool barre = garde || recul;
    {
        MiseAJourGraphiques maj;
        if (barre) {
            // An invalid count gets the same mark on both charts, each in its own unit.
            const double y = Valeur >= 0 ? Valeur : Debordement;
            AjoutPoint(SerieComptageMn, t, y);
            AjoutPoint(SerieComptageSV, t, y * facteur);
            ++T.Live.DosePoints;
        }
        T.Live.HasLast = true;
        T.Live.Last = Valeur;
        Principal.cg_cpm_mn = Valeur >= 0 ? std::to_string(Valeur) : std::string(Invalide);
        DoseAffichee(Valeur, facteur);
        Check_Alarme(Valeur);
        SommesHoraires(T, Valeur, facteur);
    }
    ModelChanged(ModelWindow::Main);
    return true;
}

void TellClockBackCounts(Tcg_thread_ES& T) {
    if (T.Live.ClockBack <= 0) return;
    Trt_log(GetMessagePgm(CountsNotKeptClockBack) + std::to_string(T.Live.ClockBack), true);
    T.Live.ClockBack = 0;
}

void ForgetLiveCounts(Tcg_thread_ES& T) {
    TellClockBackCounts(T);
    T.Live = TLiveCounts{};
}

void SetCounterFactor(Tcg_thread_ES& T, double f) {
    type_fichier_conf& c = Fichier_conf;
    const double ancien = c.conversion_sievert_capture;
    c.conversion_sievert_capture = f;
    Principal.cg_seuil_alarme_SV = FloatToStrFixed(c.alerte_comptage * f, 7, 5);
    if (f != ancien) {
        // The counter's dose points are the last ones of the dose chart, added together with
        // those of the count chart, which hold the counts (the mark of an invalid count too).
        if (SerieComptageMn && SerieComptageSV) {
            const size_t n =
                std::min({static_cast<size_t>(std::max(T.Live.DosePoints, 0)),
                          SerieComptageMn->Values.size(), SerieComptageSV->Values.size()});
            MiseAJourGraphiques maj;
            const size_t debut = SerieComptageMn->Values.size() - n;
            for (size_t i = 0; i < n; ++i)
                SerieComptageSV->Remove(static_cast<int>(SerieComptageSV->Values.size() - 1));
            for (size_t i = debut; i < SerieComptageMn->Values.size(); ++i) {
                const TXYInfo& p = SerieComptageMn->Values[i];
                AjoutPoint(SerieComptageSV, p.X, p.Y * f);
            }
        }
        for (size_t i = 0; i < T.Cpt_H_SV.size(); ++i)
            T.Cpt_H_SV[i] += static_cast<double>(T.Live.PerHour[i]) * (f - ancien);
        if (T.Live.HasLast) {
            DoseAffichee(T.Live.Last, f);
            Moyennes(T);
        }
        if (c.Source == CCAPTURE) ShowStatistics(F_Capture, f, c.type_compteur_Capture);
    }
    ModelChanged(ModelWindow::Main);
}

bool DecodeDL(TCodage Codage, int32_t Valeur, int32_t& ValeurSortie) {
    if (Valeur == -1) {
        ValeurSortie = -1;
        return true;
    }
    if (Codage == Entier1) {
        ValeurSortie = Valeur;
        return true;
    }
    const uint32_t mot = static_cast<uint32_t>(Valeur) & 0xFFFFu;
    if (mot & 0x8000u) {
        ValeurSortie = 0;
        return false;
    }
    int32_t v = static_cast<int32_t>(mot & 0x1FFFu);
    for (uint32_t e = (mot >> 13) & 3u; e > 0; --e)
        v *= 10;
    ValeurSortie = v;
    return true;
}

namespace {

// The header of a download of models 3 to 10: INT1 / INT2, O<seconds since the newest value>,
// P<seconds between values>.
bool EnteteDL(Tcg_thread_ES& T) {
    TAnalSynt& V = T.BufR;
    while (!SyntEnd(V)) {
        int32_t n;
        if (SyntIdent(V, "INT1")) {
            T.Codage = Entier1;
        } else if (SyntIdent(V, "INT2")) {
            T.Codage = Entier2;
        } else {
            const char c = SyntChar(V);
            if (c == 'O' || c == 'o') {
                SyntInc(V);
                if (SyntInt(V, n)) T.LastDLDateTime = IncSecond(V.TSynt, -n);
            } else if (c == 'P' || c == 'p') {
                SyntInc(V);
                if (SyntInt(V, n)) T.Periode = n;
            } else {
                Incorrecte();
                T.Commande = Comd_Rien;
                return false;
            }
        }
        if (!SyntSep(V, ',')) SyntInc(V);
    }
    T.Commande = Comd_DL_suite;
    return true;
}

} // namespace

bool Trt_DL_VORN(Tcg_thread_ES& T) {
    TAnalSynt& V = T.BufR;
    if (!Entete(V, "DL")) return false;
    if (T.Commande != Comd_DL && T.Commande != Comd_DL_suite) return false;
    const bool vorn2 = Fichier_conf.type_compteur_Capture == CVORN2;

    if (T.Commande == Comd_DL) {
        TDateTime debut;
        if (vorn2 && SyntDateTime(V, debut, 1)) {
            T.LastDLDateTime = debut; // the date of the first value
            T.Commande = Comd_DL_suite;
            return true;
        }
        const char c = SyntChar(V);
        if (c == 'I' || c == 'i' || c == 'O' || c == 'o' || c == 'P' || c == 'p')
            return EnteteDL(T);
    }

    int32_t valeur;
    if (SyntInt(V, valeur)) {
        if (T.LastDLDateTime == 0) T.LastDLDateTime = V.TSynt;
        do {
            if (vorn2) {
                // Forward in time from the header's date.
                AjoutValeurCSV(F_DownLoad, T.LastDLDateTime, T.Periode, valeur);
                T.LastDLDateTime = IncSecond(T.LastDLDateTime, T.Periode);
            } else {
                // Newest first: the list grows towards the past.
                int32_t decode;
                if (DecodeDL(T.Codage, valeur, decode)) {
                    InsertDebutValeurCSV(F_DownLoad, T.LastDLDateTime, T.Periode, decode);
                    T.LastDLDateTime = IncSecond(T.LastDLDateTime, -T.Periode);
                }
            }
        } while (SyntSep(V, ',') && SyntInt(V, valeur));
        T.Commande = Comd_DL_suite;
        T.Nblignes += 1;
        Principal.enr = std::to_string(T.Nblignes);
        ModelChanged(ModelWindow::Main);
        return true;
    }
    if (SyntIdent(V, "END")) {
        T.LastDLDateTime = 0;
        T.Commande = Comd_Rien;
        std::string Nom;
        if (!SauveDownLoadCompteur(Nom)) Trt_log(GetMessagePgm(pb_ecr_fichier) + ": " + Nom, true);
        return true;
    }
    if (SyntIdent(V, "NODATA")) {
        T.Commande = Comd_Rien;
        return true;
    }
    Incorrecte();
    T.Commande = Comd_Rien;
    return false;
}

namespace {

// ON -> 0, OFF -> 1 (the entries of the dialog's switches).
bool OnOff(TAnalSynt& V, int& index) {
    if (SyntIdent(V, "ON")) {
        index = 0;
        return true;
    }
    if (SyntIdent(V, "OFF")) {
        index = 1;
        return true;
    }
    return false;
}

// One comma-led integer within [lo, hi]: `lu` tells whether the comma was there, the result
// whether the value is in range.
bool EntierBorne(TAnalSynt& V, int32_t lo, int32_t hi, bool& lu, int32_t& n) {
    lu = SyntSep(V, ',');
    if (!lu) return false;
    return SyntInt(V, n) && n >= lo && n <= hi;
}

} // namespace

bool Trt_PC_VORN(Tcg_thread_ES& T) {
    TAnalSynt& V = T.BufR;
    if (!Entete(V, "PC")) return false;
    if (T.Commande != Comd_mode_PC) return false;
    T.Commande = Comd_Rien;
    TParamVornModel& p = cg_param_vornx;

    struct Publie {
        ~Publie() { ModelChanged(ModelWindow::ParamVorn); }
    } publie;

    if (!OnOff(V, p.led)) {
        Incorrecte();
        return false;
    }
    p.led_known = true;
    if (SyntSep(V, ',')) {
        if (!OnOff(V, p.buz)) {
            Incorrecte();
            return false;
        }
        p.buz_known = true;
        if (SyntSep(V, ',')) {
            if (SyntIdent(V, "PM"))
                p.unites = 1;
            else if (SyntIdent(V, "SV"))
                p.unites = 0;
            else {
                Incorrecte();
                return false;
            }
            p.unites_known = true;
            if (SyntSep(V, ',')) {
                int32_t seuil;
                if (!SyntInt(V, seuil)) {
                    Incorrecte();
                    return false;
                }
                p.seuil = std::to_string(seuil);
            }
        }
    }
    if (Fichier_conf.type_compteur_Capture != CVORN10) return true;

    // Model 10 goes on with its battery, date and time.
    if (!SyntSep(V, ',')) return false;
    if (SyntIdent(V, "LI36"))
        p.Pile_Utilisee = 0;
    else if (SyntIdent(V, "AL45"))
        p.Pile_Utilisee = 1;
    else {
        Incorrecte();
        return false;
    }
    p.Pile_Utilisee_known = true;
    // Each part is read only after every earlier comma; a value out of range is left out of
    // the text together with its separator.
    bool lu;
    int32_t n;
    std::string date;
    if (EntierBorne(V, 0, 99, lu, n)) date = std::to_string(n);
    if (!lu) return false;
    if (EntierBorne(V, 1, 12, lu, n)) date += "/" + std::to_string(n);
    if (!lu) return false;
    if (EntierBorne(V, 1, 31, lu, n)) date += "/" + std::to_string(n);
    if (!lu) return false;
    p.Date = date;
    std::string heure;
    if (EntierBorne(V, 0, 23, lu, n)) heure = std::to_string(n);
    if (!lu) return false;
    if (EntierBorne(V, 0, 59, lu, n)) heure += ":" + std::to_string(n);
    if (!lu) return false;
    p.Heure = heure;
    return true;
}

bool Trt_CF_VORN(Tcg_thread_ES& T) {
    TAnalSynt& V = T.BufR;
    if (!Entete(V, "CF")) return false;
    if (T.Commande != comd_CF) return false;
    double facteur;
    if (!SyntReal(V, facteur)) {
        Incorrecte();
        return false;
    }
    if (VornAvecParametres(Fichier_conf.type_compteur_Capture)) {
        cg_param_vornx.facteur_conversion = FloatToStr(facteur);
        ModelChanged(ModelWindow::ParamVorn);
    }
    if (facteur > 0) {
        SetCounterFactor(T, facteur);
    } else {
        Trt_log(GetMessagePgm(pb_conversion), true);
        SetCounterFactor(T, conversion_sievert_SBM20);
    }
    T.Commande = Comd_Rien;
    return true;
}

bool Trt_ID_VORN(Tcg_thread_ES& T) {
    TAnalSynt& V = T.BufR;
    if (!Entete(V, "ID")) return false;
    if (T.Commande != Comd_ID) return false;
    T.Commande = Comd_Rien;
    int32_t n;
    if (!SyntInt(V, n)) {
        Incorrecte();
        return false;
    }
    TParamVornModel& p = cg_param_vornx;
    struct Publie {
        ~Publie() { ModelChanged(ModelWindow::ParamVorn); }
    } publie;
    switch (Fichier_conf.type_compteur_Capture) {
    case CVORN3:
        p.batterie = FloatToStr(n / 1000.0);
        return true; // millivolts
    case CVORN8:
    case CVORN9:
    case CVORN10: {
        p.batterie = FloatToStr(n / 100.0);
        std::string* champs[] = {&p.mem_max, &p.mem_used, &p.jours};
        for (std::string* champ : champs) {
            if (!SyntSep(V, ',')) return true;
            if (!SyntInt(V, n)) {
                Incorrecte();
                return false;
            }
            *champ = std::to_string(n);
        }
        return true;
    }
    default:
        return true;
    }
}

} // namespace zel
