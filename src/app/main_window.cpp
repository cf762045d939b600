// What the main window's controls and menus do, without the window: the display switches, the
// date window and its zoom, the alarm controls, capture files, counter commands and help.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <exception>
#include <string>

#include "app/app.h"
#include "base/numfmt.h"
#include "base/ports.h"
#include "base/regional.h"
#include "base/textfile.h"
#include "chart/nice_chart.h"
#include "model/model.h"
#include "records/capture.h"
#include "records/counter.h"
#include "session/emission.h"
#include "settings/config.h"
#include "settings/journal.h"
#include "settings/messages.h"
#include "settings/texts.h"

namespace zel {

namespace {

// The help site; only the path below it is fixed.
const char* const kHelpBase = "https://zelvanor.github.io";
const char* const kCaptureFilter = "Text files (*.txt);;Any file (*)";
// Capture files are text files; "all files" for those a user renamed.
const char* const kOpenFilter = "Capture files (*.txt);;All files (*)";

const TCaptureList& RecordsSource() {
    return Fichier_conf.Source == CFICHIER ? F_Fichier : F_Capture;
}

std::string FacteurTexte(double f) {
    return FloatToStrFixed(f, 7, 5);
}

void SeuilSV() {
    Principal.cg_seuil_alarme_SV =
        FacteurTexte(Fichier_conf.alerte_comptage * Fichier_conf.conversion_sievert_capture);
}

void MontreGraphiquesCapture() {
    Principal.chartComptageMn_visible = Fichier_conf.tab_CPM;
    Principal.chartComptageSV_visible = !Fichier_conf.tab_CPM;
}

void Poste(TCommande c) {
    SetEmission(c, "");
}

} // namespace

// ---- Refresh -----------------------------------------------------------------------------------

erreur_programme Rafraichir_affichage(const TCaptureList& F, double Conversion,
                                      TTypeCompteur Compteur) {
    DialogPort& d = Dialogs();
    d.busy(true);
    Principal.busy_pointer = true;
    erreur_programme r = Pb_Fichier_Log;
    try {
        r = StatCSV(F, Conversion, Compteur);
        ModelChanged(ModelWindow::Main);
        MainThread().processEvents();
    } catch (...) {
        r = Pb_Fichier_Log;
    }
    Principal.busy_pointer = false;
    d.busy(false);
    return r;
}

erreur_programme RafraichirSource() {
    if (Fichier_conf.Source == CFICHIER)
        return Rafraichir_affichage(F_Fichier, Fichier_conf.conversion_sievert_Fichier,
                                    Fichier_conf.type_compteur_Fichier);
    return Rafraichir_affichage(F_Capture, Fichier_conf.conversion_sievert_capture,
                                Fichier_conf.type_compteur_Capture);
}

// ---- Date window -------------------------------------------------------------------------------

namespace {
void ChangeBorne(TDateTime picked, TDateTime& borne, TDateTime& affichee) {
    affichee = picked;
    if (DisableEventMain) return;
    // Only a change of calendar day counts: a time moved within the day refreshes nothing.
    if (DateOf(picked) == DateOf(borne)) return;
    borne = picked;
    RafraichirSource();
}
} // namespace

void cg_date_debChange(TDateTime picked) {
    ChangeBorne(picked, Fichier_conf.date_deb, Principal.date_debut);
}

void cg_date_finChange(TDateTime picked) {
    ChangeBorne(picked, Fichier_conf.date_fin, Principal.date_fin);
}

void cg_resetClick() {
    DisableEventMain = true;
    const TDateTime deb = Fichier_conf.date_deb;
    const TDateTime fin = Fichier_conf.date_fin;
    if (MetAJourDate(RecordsSource()) &&
        (deb != Fichier_conf.date_deb || fin != Fichier_conf.date_fin))
        RafraichirSource();
    DisableEventMain = false;
    ModelChanged(ModelWindow::Main);
}

void cg_sourceClick(int32_t item) {
    Principal.cg_source = item;
    if (item == CFICHIER && Fichier_conf.Source == CCAPTURE) {
        Fichier_conf.Source = CFICHIER;
        MetAJourDate(F_Fichier);
        RafraichirSource();
    } else if (item == CCAPTURE && Fichier_conf.Source == CFICHIER) {
        Fichier_conf.Source = CCAPTURE;
        MetAJourDate(F_Capture);
        RafraichirSource();
    }
    ModelChanged(ModelWindow::Main);
}

void cg_Tab_RadioGroup_unitClick(int32_t item) {
    Principal.cg_Tab_RadioGroup_unit = item;
    if (Fichier_conf.tab_CPM && item == CMSV) {
        Fichier_conf.tab_CPM = false;
        RafraichirSource();
    } else if (!Fichier_conf.tab_CPM && item == CCPM) {
        Fichier_conf.tab_CPM = true;
        RafraichirSource();
    }
    MontreGraphiquesCapture();
    ModelChanged(ModelWindow::Main);
}

void TabSheet1Show() {
    Principal.cg_selection_visible = false;
    ModelChanged(ModelWindow::Main);
}

void TabSheet1Hide() {
    Principal.cg_selection_visible = true;
    ModelChanged(ModelWindow::Main);
}

// ---- Alarm controls ----------------------------------------------------------------------------

void cg_alarme_activeClick(bool checked) {
    Principal.cg_alarme_active = checked;
    Principal.cg_alarme_sonore_enabled = checked;
    Fichier_conf.alerte_active = checked;
    if (!checked) cg_ra_iClick();
    ModelChanged(ModelWindow::Main);
}

void cg_alarme_sonoreClick(bool checked) {
    Principal.cg_alarme_sonore = checked;
    Fichier_conf.alerte_sonore = checked;
}

void cg_seuil_alarmeChange(int32_t value) {
    Principal.cg_seuil_alarme = value;
    Fichier_conf.alerte_comptage = value;
    SeuilSV();
    ModelChanged(ModelWindow::Main);
}

void cg_ra_iClick() {
    StopAlarm();
}

void FlipTimerTimer() {
    FlipTimerTick();
}

// ---- Zoom selection on the history chart -------------------------------------------------------

void ChartMouseClickDown(TMouseButton button, int32_t X, int32_t Y) {
    TNiceChart* c = Principal.chartHisto;
    if (!c) return;
    double ax = 0, ay = 0;
    if (button == TMouseButton::Left && c->ClientToChart(X, Y, ax, ay)) {
        LastX = X;
        LastY = Y;
    } else {
        c->SelectRaz();
        LastX = 0;
        LastY = 0;
    }
}

void ChartMouseMove(int32_t X, int32_t Y) {
    TNiceChart* c = Principal.chartHisto;
    if (!c || LastX == 0 || LastY == 0) return;
    double ax = 0, ay = 0;
    if (c->ClientToChart(X, Y, ax, ay)) {
        c->SelectDessine(LastX, LastY, X, Y);
    } else {
        c->SelectRaz();
        LastX = 0;
        LastY = 0;
    }
}

void ChartMouseClickUP(TMouseButton button, int32_t X, int32_t Y) {
    TNiceChart* c = Principal.chartHisto;
    if (!c) return;
    double ax1 = 0, ay1 = 0, ax2 = 0, ay2 = 0;
    if (LastX != 0 && LastY != 0 && button == TMouseButton::Left &&
        c->ClientToChart(X, Y, ax1, ay1) && c->ClientToChart(LastX, LastY, ax2, ay2)) {
        if (LastX == X) {
            c->SelectRaz();
        } else {
            TDateTime deb = LastX > X ? ax1 : ax2;
            TDateTime fin = LastX > X ? ax2 : ax1;
            const TDateTime now = Clock().now();
            if (deb == 0) deb = now;
            if (fin == 0) fin = now;
            Fichier_conf.date_deb = deb;
            Fichier_conf.date_fin = fin;
            DisableEventMain = true;
            Principal.date_debut = deb;
            Principal.date_fin = fin;
            ModelChanged(ModelWindow::Main);
            c->SelectRaz();
            RafraichirSource();
            DisableEventMain = false;
        }
    } else {
        c->SelectRaz();
    }
    LastX = 0;
    LastY = 0;
}

// ---- Capture files -----------------------------------------------------------------------------

void cg_menuitem_ouvrirClick() {
    DisableEventMain = true;
    std::string nom;
    if (Dialogs().openFile("", Repertoire_conf, kOpenFilter, nom)) {
        try {
            Trt_log(GetMessagePgm(Fichier_en_cours) + nom, true);
            erreur_programme status = PasErreur;
            std::string pourquoi;
            if (ChargeDonnees(F_Fichier, nom, status, &pourquoi)) {
                Fichier_conf.Source = CFICHIER;
                Principal.cg_source = CFICHIER;
                Principal.cg_facteur_conversion =
                    FacteurTexte(Fichier_conf.conversion_sievert_Fichier);
                MetAJourDate(F_Fichier);
                RafraichirSource();
                Principal.cg_PageControl = 1;
                TabSheet1Hide();
            } else {
                Trt_log(pourquoi, true);
            }
        } catch (...) {
            Dialogs().information(GetMessagePgm(Pb_ouvrir_fichier));
        }
    }
    DisableEventMain = false;
    ModelChanged(ModelWindow::Main);
}

namespace {

// An input of the merge: read without touching the viewed file's settings. A file the viewer
// would refuse is refused here too.
bool ChargeEntreeFusion(const std::string& nom, TCaptureList& liste, CaptureFileLoad& lu) {
    lu = LoadCaptureFile(nom, liste);
    if (lu.status == PasErreur) return true;
    Trt_log(LoadFailureText(nom, lu), true);
    return false;
}

bool MemeFacteur(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max(std::fabs(a), std::fabs(b));
}

// The merged file opens like any capture file once its counter configuration is there: written
// when both inputs came from the same model with the same factor and the name has a stem whose
// configuration does not exist yet. Otherwise the journal says the file will not open as it is.
void ConfFusion(const std::string& nom, const CaptureFileLoad& a, const CaptureFileLoad& b) {
    const std::string conf = CounterConfFileFor(nom);
    const bool accord = a.Compteur == b.Compteur && MemeFacteur(a.FC, b.FC);
    double fc = 0;
    TTypeCompteur modele = NotInitialized;
    if (accord && !conf.empty()) {
        if (!LireConfCompteur(nom, fc, modele)) {
            if (SauveConfCompteur(conf, a.Compteur, a.FC)) return;
            Trt_log(GetMessagePgm(pb_ecr_fichier) + ": " + conf, true);
            return;
        }
        // Another file of that stem has its configuration already: never rewritten from here.
        if (modele == a.Compteur && MemeFacteur(fc, a.FC)) return;
    }
    Trt_log(GetMessagePgm(pb_conf_compteur) + ": " + nom + (conf.empty() ? "" : ", " + conf), true);
}

} // namespace

void cg_menuitem_CombineCSVClick() {
    DialogPort& d = Dialogs();
    std::string nom;
    if (!d.openFile("", Repertoire_conf, kOpenFilter, nom)) return;
    try {
        TCaptureList premier, second;
        CaptureFileLoad lu1, lu2;
        Trt_log(GetMessagePgm(CombineFichier1) + nom, true);
        if (!ChargeEntreeFusion(nom, premier, lu1)) return;
        std::string nom2;
        if (!d.openFile("", Repertoire_conf, kOpenFilter, nom2)) {
            Trt_log(GetMessagePgm(Abandon), true);
            return;
        }
        nom = nom2;
        Trt_log(GetMessagePgm(CombineFichier2) + nom, true);
        if (!ChargeEntreeFusion(nom, second, lu2)) return;
        CombineCSV(premier, second);
        TSaveDialog save;
        save.InitialDir = Repertoire_conf;
        save.Filter = kCaptureFilter;
        save.OverwritePrompt = true;
        if (!ThemeSafeLaunchSaveDialog(save)) {
            Trt_log(GetMessagePgm(Abandon), true);
            return;
        }
        nom = save.FileName;
        // A merge that did not reach the disk must not be reported as saved.
        if (!second.save(nom)) {
            d.information(GetMessagePgm(Pb_ouvrir_fichier) + nom);
            return;
        }
        Trt_log(GetMessagePgm(CombineSauve) + nom, true);
        ConfFusion(nom, lu1, lu2);
    } catch (...) {
        d.information(GetMessagePgm(Pb_ouvrir_fichier) + nom);
    }
}

// ---- Counter commands --------------------------------------------------------------------------

void cg_menuitem_BClick() {
    if (Dialogs().okCancel(GetMessagePgm(reboot_confirm))) Poste(Comd_BO);
}
void cg_menuitem_FClick() {
    Poste(comd_CF);
}
void cg_menuitem_VClick() {
    Poste(Comd_VP);
}
void cg_menuitem_DClick() {
    Poste(Comd_DL);
}
void cg_menu_get_dataClick() {
    Poste(Comd_ID);
}
void cg_menuitem_Mode_PCClick() {
    Poste(comd_PC_mode);
}
void cg_menuitem_Mode_acqClick() {
    Poste(Comd_Mode_Acq);
}
void cg_menuitem_RazMemoireClick() {
    if (Dialogs().okCancel(GetMessagePgm(Init_confirm))) Poste(Comd_Clear_Data);
}

std::string TexteDateHeureVORN(TDateTime t) {
    const RegionalSettings& r = Regional();
    return FormatDateTime("YYYY/MM/DD HH:NN", t, r.date_sep, r.time_sep);
}

void cg_menuitem_IClick() {
    switch (Fichier_conf.type_compteur_Capture) {
    case CVORN2:
        if (Dialogs().okCancel(GetMessagePgm(Init_confirm)))
            SetEmission(Comd_IN, TexteDateHeureVORN(Clock().now()));
        break;
    case GAMMA_SCOUT1:
        SetEmission(Comd_IN, "");
        SetEmission(Comd_H, "");
        break;
    case GAMMA_SCOUT2:
        SetEmission(Comd_IN, "");
        break;
    default:
        SetEmission(Comd_IN, TexteDateHeureVORN(Clock().now()));
        break;
    }
}

int32_t ParamDialogPourModele(TTypeCompteur t) {
    switch (t) {
    case CVORN3:
    case CVORN8:
    case CVORN9:
    case CVORN10:
        return 1;
    case GAMMA_SCOUT1:
    case GAMMA_SCOUT2:
        return 2;
    default:
        return 0;
    }
}

// ---- Help --------------------------------------------------------------------------------------

std::string AdresseAide(const std::string& Langue) {
    // The code comes from cg_conf.txt: anything but letters, digits, "-" and "_" is
    // percent-encoded, so that no text there can lead to another page or site.
    static const char hex[] = "0123456789ABCDEF";
    std::string code;
    for (const char ch : Langue) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 'A' && b <= 'Z')
            code += static_cast<char>(b - 'A' + 'a');
        else if ((b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' || b == '_')
            code += ch;
        else {
            code += '%';
            code += hex[b >> 4];
            code += hex[b & 15];
        }
    }
    return std::string(kHelpBase) + "/ressources/zelvanor/zelvanor_" + code + ".htm";
}

std::string Repertoire_aide;

std::string FichierAide(const std::string& Langue) {
    // Only a plain code names a directory: nothing in cg_conf.txt leads elsewhere.
    std::string code;
    for (const char ch : Langue) {
        const auto b = static_cast<unsigned char>(ch);
        if (!std::isalpha(b)) {
            code.clear();
            break;
        }
        code += static_cast<char>(std::tolower(b));
    }
    const std::string page = Repertoire_aide + code + "/index.html";
    if (!code.empty() && FileExists(page)) return page;
    return Repertoire_aide + "en/index.html";
}

// The help is local: the desktop's browser shows it. When it is missing or no browser starts,
// the user is told where the file is rather than left with a menu that does nothing.
void cg_menu_aideClick() {
    try {
        const std::string page = FichierAide(Fichier_conf.Langue);
        if (!FileExists(page)) {
            Dialogs().information(GetProgramText(ProgramText::HelpMissing) + page);
            return;
        }
        if (!Links().openUrl("file://" + page))
            Dialogs().information(GetProgramText(ProgramText::HelpNotOpened) + page);
    } catch (...) {
        Dialogs().information(GetProgramText(ProgramText::HelpNotOpened));
    }
}

} // namespace zel
