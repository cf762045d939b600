// Identification of any counter, acknowledgement of a clock setting, and the replies of the
// Gamma Scout (German words, matched in any letter case).
#include <cstdint>
#include <mutex>
#include <string>

#include "base/datetime.h"
#include "base/numfmt.h"
#include "base/ports.h"
#include "base/regional.h"
#include "model/model.h"
#include "records/capture.h"
#include "records/counter.h"
#include "scan/scanner.h"
#include "session/emission.h"
#include "session/replies.h"
#include "session/session_globals.h"
#include "session/statistics_view.h"
#include "settings/config.h"
#include "settings/journal.h"
#include "settings/messages.h"

namespace zel {

namespace {

void Incorrecte() {
    Trt_log(GetMessagePgm(Cmd_Compteur_Incorrecte), true);
}

// A serial number above 28 bits is not one.
constexpr uint32_t SerialMax = 0x0FFFFFFF;

std::string SerieTexte(uint32_t serial) {
    std::string s = std::to_string(serial);
    if (s.size() < 5) s.insert(0, 5 - s.size(), '0');
    return s;
}

void SauveCapture() {
    std::string Nom;
    if (!SauveCaptureCompteur(Nom)) Trt_log(GetMessagePgm(pb_ecr_fichier) + ": " + Nom, true);
}

// A new counter starts with an empty live capture (and empty statistics when they show it).
void ViderCapture(Tcg_thread_ES& T) {
    ForgetLiveCounts(T);
    F_Capture.clear();
    if (Fichier_conf.Source == CCAPTURE)
        ShowStatistics(F_Capture, Fichier_conf.conversion_sievert_capture,
                       Fichier_conf.type_compteur_Capture);
}

// The identified counter's own factor, from its configuration file: the factor it was last
// used with (0.0081208 for a counter seen for the first time), until it says another.
void FacteurDuCompteur(Tcg_thread_ES& T) {
    double f;
    TTypeCompteur lu;
    LireConfCompteur(RacineCompteurConnecte(), f, lu);
    SetCounterFactor(T, f);
}

bool IsWordChar(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Firmware 7.x glues letters and digits to its version number ("7.02Lb07"): they belong to
// the same word and are skipped, so that the serial number and log size after it still read.
void SauteSuffixeVersion(TAnalSynt& V) {
    while (V.ISynt >= 1 && static_cast<size_t>(V.ISynt) <= V.SSynt.size() &&
           IsWordChar(V.SSynt[static_cast<size_t>(V.ISynt - 1)]))
        ++V.ISynt;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Firmware 7.02 answers "Version 7.02Lb07 1020 072467 42a5 22.04.19 22:05:28": its first field
// is the same on different counters, the six-digit field after it (leading zeros kept) is the
// counter's own number. True when the rest of the line at V has this form: a six-digit field,
// then the log size and the clock.
bool SerieSixChiffres(const TAnalSynt& V) {
    TAnalSynt W = V;
    SyntSkipBlank(W);
    const size_t from = static_cast<size_t>(W.ISynt - 1);
    if (W.SSynt.size() < from + 6) return false;
    for (size_t i = from; i < from + 6; ++i)
        if (!IsDigit(W.SSynt[i])) return false;
    if (W.SSynt.size() > from + 6 && W.SSynt[from + 6] != ' ') return false;
    uint32_t serial;
    int32_t taille;
    TDateTime horloge;
    return SyntWord(W, serial) && SyntHex(W, taille) && SyntDateTime(W, horloge, 2);
}

// VP=version[,model[,serial]]
bool VersionVORN(Tcg_thread_ES& T) {
    TAnalSynt& V = T.BufR;
    T.Commande = Comd_Rien;
    if (!SyntReal(V, Version_compteur)) {
        Incorrecte();
        return false;
    }
    type_fichier_conf& c = Fichier_conf;
    TParamVornModel& p = cg_param_vornx;
    if (c.type_compteur_Capture == CVORN3 || c.type_compteur_Capture == CVORN8 ||
        c.type_compteur_Capture == CVORN9 || c.type_compteur_Capture == CVORN10)
        p.version = "V " + FloatToStr(Version_compteur);

    TTypeCompteur modele = c.type_compteur_Capture;
    if (SyntSep(V, ',')) {
        std::string nom;
        SyntDonneIdent(V, nom);
        modele = DonneCompteur(nom);
    }
    uint32_t serial = 0;
    if (!(SyntSep(V, ',') && SyntWord(V, serial)) || serial > SerialMax) serial = 0;

    if (serial != c.Serial_Compteur || modele != c.type_compteur_Capture) {
        // Another counter (or the same one after a new connection) is on the line.
        SauveCapture();
        c.Serial_Compteur = serial;
        c.type_compteur_Capture = modele;
        p.version = SerieTexte(serial);
        ViderCapture(T);
        FacteurDuCompteur(T);
        maj_menu_commandes();
    }
    ModelChanged(ModelWindow::ParamVorn);
    return true;
}

// Version version [serial [cpu] hex date time] - a Gamma Scout in PC mode.
bool VersionGammaScout(Tcg_thread_ES& T) {
    TAnalSynt& V = T.BufR;
    type_fichier_conf& c = Fichier_conf;
    SauveCapture();
    ViderCapture(T);
    T.Commande = Comd_Rien;
    c.type_compteur_Capture = GAMMA_SCOUT1;
    c.GammaScoutPCMode = true;
    // Until it gives its serial number (here or in its log), a Gamma Scout's files are not
    // another counter's.
    c.Serial_Compteur = 0;
    FacteurDuCompteur(T);

    struct Publie {
        ~Publie() { ModelChanged(ModelWindow::ParamGamma); }
    } publie;

    if (!SyntReal(V, c.Version_GS)) {
        Incorrecte();
        return false;
    }
    SauteSuffixeVersion(V);
    {
        std::lock_guard<std::mutex> lock(cg_param_gamma.mutex);
        cg_param_gamma.version = FloatToStr(c.Version_GS);
    }
    uint32_t serial;
    if (!SyntWord(V, serial)) {
        maj_menu_commandes(); // older firmware: the version only
        return true;
    }
    if (SerieSixChiffres(V)) {
        SyntWord(V, serial);
    } else if (c.Version_GS >= 6.9 && c.Version_GS < 7.03) {
        double cpu; // the serial number came first: a processor figure follows it
        SyntReal(V, cpu);
    }
    {
        std::lock_guard<std::mutex> lock(cg_param_gamma.mutex);
        cg_param_gamma.serie = std::to_string(serial);
    }
    c.Serial_Compteur = serial;
    c.type_compteur_Capture = GAMMA_SCOUT2;
    FacteurDuCompteur(T);

    int32_t taille;
    if (!SyntHex(V, taille)) {
        Incorrecte();
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(cg_param_gamma.mutex);
        cg_param_gamma.EEPROM = std::to_string(taille); // the decoders read the log size here
    }
    if (!SyntDateTime(V, T.LastDLDateTime, 2)) {
        Incorrecte();
        return false;
    }
    if (T.LastDLDateTime != 0) {
        const RegionalSettings& r = Regional();
        std::lock_guard<std::mutex> lock(cg_param_gamma.mutex);
        cg_param_gamma.DateHeure =
            FormatDateTime(r.short_date + " HH:NN:SS", T.LastDLDateTime, r.date_sep, r.time_sep);
    }
    maj_menu_commandes();
    return true;
}

// Standard - a Gamma Scout in its standard mode.
bool StandardGammaScout(Tcg_thread_ES& T) {
    SauveCapture();
    ViderCapture(T);
    T.Commande = Comd_Rien;
    Fichier_conf.GammaScoutPCMode = false;
    Fichier_conf.type_compteur_Capture = GAMMA_SCOUT2;
    Fichier_conf.Serial_Compteur = 0; // not given in this mode
    FacteurDuCompteur(T);
    maj_menu_commandes();
    return true;
}

} // namespace

bool Trt_Version_ALL_COUNTERS(Tcg_thread_ES& T) {
    if (T.Commande != Comd_VP) return false;
    TAnalSynt& V = T.BufR;
    if (SyntIdent(V, "VP") && SyntSep(V, '=')) return VersionVORN(T);
    if (SyntIdent(V, "Version")) return VersionGammaScout(T);
    if (SyntIdent(V, "Standard")) return StandardGammaScout(T);
    return false;
}

bool Trt_DateAck_ALL_COUNTERS(Tcg_thread_ES& T) {
    TAnalSynt& V = T.BufR;
    if (SyntIdent(V, "Datum") || SyntIdent(V, "Zeit") ||
        (T.Commande == Comd_IN && SyntIdent(V, "INOK"))) {
        T.Commande = Comd_Rien;
        return true;
    }
    return false;
}

bool Trt_Mode_GAMMASCOUT(Tcg_thread_ES& T) {
    TAnalSynt& V = T.BufR;
    if (!(SyntIdent(V, "PC") && SyntSep(V, '-') && SyntIdent(V, "MODE"))) return false;
    if (T.Commande == Comd_Mode_Acq && SyntIdent(V, "beendet")) {
        Fichier_conf.GammaScoutPCMode = false;
    } else if (SyntIdent(V, "gestartet")) {
        Fichier_conf.GammaScoutPCMode = true;
    } else {
        Incorrecte();
        return false;
    }
    T.Commande = Comd_Rien;
    return true;
}

bool Trt_ID_GAMMA_SCOUT(Tcg_thread_ES& T) {
    if (T.Commande != Comd_ID) return false;
    if (T.Nblignes == 0) {
        TAnalSynt& V = T.BufR;
        // Firmware 7 first tells the state of its calibration ("GAMMA-SCOUT SoftCal gueltig");
        // the header comes on the next line.
        const int32_t debut = V.ISynt;
        if (SyntIdent(V, "GAMMA") && SyntSep(V, '-') && SyntIdent(V, "SCOUT") &&
            SyntIdent(V, "SoftCal"))
            return true;
        V.ISynt = debut;
        // The header: hexadecimal numbers. Two ("b0 07"): the second is the count of lines that
        // follow. Five, as firmware 7 sends it ("b0 00 07 7e 00"): the third is.
        int32_t nombres[5];
        int lus = 0;
        while (lus < 5 && SyntHex(V, nombres[lus]))
            ++lus;
        if (lus < 2) {
            Incorrecte();
            return false;
        }
        const int32_t suivantes = lus == 5 ? nombres[2] : nombres[1];
        if (suivantes <= 0) {
            // Nothing follows: the reply is complete (waiting would only end in a time-out).
            T.Nblignes = -1;
            T.Commande = Comd_Rien;
            return true;
        }
        T.Nblignes = suivantes;
        return true;
    }
    if (T.Nblignes > 1) {
        T.Nblignes -= 1;
        return true;
    }
    T.Nblignes = -1;
    T.Commande = Comd_Rien;
    return true;
}

bool Trt_DL_GAMMA_SCOUT(Tcg_thread_ES& T) {
    if (T.Commande != Comd_DL) return false;
    TAnalSynt& V = T.BufR;
    if (!(SyntIdent(V, "GAMMA") && SyntSep(V, '-') && SyntIdent(V, "SCOUT") &&
          SyntIdent(V, "Protokoll")))
        return false;
    F_Dump.clear();
    T.Commande = Comd_DL_suite;
    Trt_log(GetMessagePgm(Lecture_En_Cours), true);
    return true;
}

bool Trt_DL_SUITE_GAMMA_SCOUT(Tcg_thread_ES& T) {
    if (T.Commande != Comd_DL_suite) return false;
    F_Dump.push_back(T.BufR.SSynt);
    Principal.enr = std::to_string(F_Dump.size());
    ModelChanged(ModelWindow::Main);
    // Keep the window alive during a long dump; no counter command may start meanwhile.
    TraitementEnCours = true;
    MainThread().processEvents();
    TraitementEnCours = false;
    return true;
}

bool Trt_Clear_GAMMA_SCOUT(Tcg_thread_ES& T) {
    if (T.Commande != Comd_Clear_Data) return false;
    if (!SyntIdent(T.BufR, "Protokollspeicher")) return false;
    T.Commande = Comd_Rien;
    return true;
}

TReplyHandlers ReplyHandlers() {
    TReplyHandlers h;
    h.Trt_Version_ALL_COUNTERS = Trt_Version_ALL_COUNTERS;
    h.Trt_DateAck_ALL_COUNTERS = Trt_DateAck_ALL_COUNTERS;
    h.Trt_CM_VORN = Trt_CM_VORN;
    h.Trt_DL_VORN = Trt_DL_VORN;
    h.Trt_PC_VORN = Trt_PC_VORN;
    h.Trt_CF_VORN = Trt_CF_VORN;
    h.Trt_ID_VORN = Trt_ID_VORN;
    h.Trt_Mode_GAMMASCOUT = Trt_Mode_GAMMASCOUT;
    h.Trt_ID_GAMMA_SCOUT = Trt_ID_GAMMA_SCOUT;
    h.Trt_DL_GAMMA_SCOUT = Trt_DL_GAMMA_SCOUT;
    h.Trt_DL_SUITE_GAMMA_SCOUT = Trt_DL_SUITE_GAMMA_SCOUT;
    h.Trt_Clear_GAMMA_SCOUT = Trt_Clear_GAMMA_SCOUT;
    return h;
}

} // namespace zel
