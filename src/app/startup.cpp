// Creation and release of the application state: the main window's start-up and close steps.
#include <exception>
#include <memory>
#include <string>

#include "app/app.h"
#include "app/connection_state.h"
#include "app/map_prefs.h"
#include "app/mqtt_settings.h"
#include "app/session_link.h"
#include "base/directories.h"
#include "base/numfmt.h"
#include "base/ports.h"
#include "base/regional.h"
#include "base/textfile.h"
#include "chart/nice_chart.h"
#include "model/model.h"
#include "net/live_publishers.h"
#include "records/capture.h"
#include "records/counter.h"
#include "session/emission.h"
#include "session/replies.h"
#include "session/session_globals.h"
#include "session/statistics_view.h"
#include "settings/config.h"
#include "settings/journal.h"
#include "settings/language.h"
#include "settings/messages.h"
#include "settings/messages_lock.h"
#include "settings/texts.h"
#include "zel_version.h"

namespace zel {

bool DisableEventMain = false;
int32_t LastX = 0;
int32_t LastY = 0;
std::string VersionLine() {
    return std::string("Version: ") + ZEL_VERSION;
}

namespace {

bool g_running = false;
// A close was asked for while a command was in progress (busy pointer shown).
bool g_closing = false;

// The four charts belong to the main window; they live from start-up to the next start-up or
// the end of the process, so a front end that repaints late never meets a freed chart.
std::unique_ptr<TNiceChart> g_charts[4];

// Failure of a start-up step, carrying the message to show.
struct StartFailure {
    erreur_programme code;
};

// One chart configured as the main window wants it; the properties in this order, the axis
// type always before its label format, then one bar series with an empty caption.
struct ChartSetup {
    bool axisTitles; // set both axis titles empty and show them
    TSerieTypeAxis typeX;
    bool setTypeY;
    TSerieTypeAxis typeY;
    bool rotate;
    const char* formatX;
    const char* formatY;
    bool softColors;
};

TNiceSeries* CreeGraphique(std::unique_ptr<TNiceChart>& chart, const ChartSetup& s) {
    chart = std::make_unique<TNiceChart>();
    TNiceChart& c = *chart;
    c.SetShowXGrid(false);
    c.SetAxisYScale(1.0f);
    c.SetShowTitle(false);
    c.SetShowLegend(false);
    if (s.axisTitles) {
        c.SetAxisXTitle("");
        c.SetAxisYTitle("");
        c.SetShowAxisTitle(true);
    } else {
        c.SetShowAxisTitle(false);
    }
    c.SetAxisXOnePerValue(false);
    c.SetAxisTypeX(s.typeX);
    if (s.setTypeY) c.SetAxisTypeY(s.typeY);
    if (s.rotate) c.SetRotateX45(true);
    c.SetFormatX(s.formatX);
    c.SetFormatY(s.formatY);
    if (s.softColors) c.SetSoftColors(true);
    c.BeginUpdate();
    TNiceSeries* serie = c.AddSeries(skBar);
    serie->SetCaption("");
    c.EndUpdate();
    return serie;
}

void CreeGraphiques() {
    TprincipalModel& p = Principal;
    // Dates as every window writes them: the regional short date and the time.
    const std::string dates = Regional().short_date + " HH:NN";
    SerieComptageMn = CreeGraphique(
        g_charts[0], {true, sDate, false, sfloat, true, dates.c_str(), "%.0f", false});
    p.chartComptageMn = g_charts[0].get();
    p.chartComptageMn_visible = Fichier_conf.tab_CPM;

    SerieComptageSV = CreeGraphique(
        g_charts[1], {true, sDate, false, sfloat, true, dates.c_str(), "%5.3f", false});
    p.chartComptageSV = g_charts[1].get();
    p.chartComptageSV_visible = !Fichier_conf.tab_CPM;
    // A VORN counts every minute: a pause in the live counts shows as a break.
    for (int i = 0; i < 2; ++i)
        g_charts[i]->SetXGapSpan(1.0 / (24 * 60));

    // The history chart's mouse handlers are the front end's (ChartMouseClickDown ...).
    SerieHisto =
        CreeGraphique(g_charts[2], {true, sDate, false, sfloat, true, dates.c_str(), "%.0f", true});
    p.chartHisto = g_charts[2].get();

    // The distribution names both axes and spaces its classes on a scale with round labels.
    SerieGauss =
        CreeGraphique(g_charts[3], {true, sfloat, true, sPerCent, false, "%5.3f", "%5.1f%%", true});
    g_charts[3]->SetAxisXProportional(true);
    p.chartGauss = g_charts[3].get();
    ShowChartTitles();
}

// The display steps that show the configuration.
void AfficheConfiguration() {
    TprincipalModel& p = Principal;
    const type_fichier_conf& c = Fichier_conf;
    p.cg_source = c.Source;
    p.date_debut = c.date_deb;
    p.date_fin = c.date_fin;
    p.cg_Tab_RadioGroup_unit = c.tab_CPM ? CCPM : CMSV;
    p.cg_ra_a_visible = false;
    p.cg_ra_i_visible = true;
    p.cg_seuil_alarme = c.alerte_comptage;
    p.cg_seuil_alarme_SV = FloatToStrFixed(c.alerte_comptage * c.conversion_sievert_capture, 7, 5);
    p.cg_alarme_active = c.alerte_active;
    p.cg_alarme_sonore = c.alerte_sonore;
    p.cg_alarme_sonore_enabled = c.alerte_active;
    // Nothing is connected yet.
    p.cg_menu_compteur_enabled = false;
}

// The capture file viewed last; a missing or unreadable one is passed over in silence.
void ChargeDernierFichier() {
    const std::string nom = Fichier_conf.Fichier_CSV;
    if (nom.empty() || !FileExists(nom)) return;
    erreur_programme status = PasErreur;
    if (!ChargeDonnees(F_Fichier, nom, status)) return;
    if (Fichier_conf.Source != CFICHIER) return;
    Principal.cg_facteur_conversion =
        FloatToStrFixed(Fichier_conf.conversion_sievert_Fichier, 7, 5);
    MetAJourDate(F_Fichier);
    StatCSV(F_Fichier, Fichier_conf.conversion_sievert_Fichier, Fichier_conf.type_compteur_Fichier);
}

void VideListes() {
    F_Log.clear();
    F_Dump.clear();
    F_DownLoad.clear();
    F_Capture.clear();
    F_Fichier.clear();
    {
        std::lock_guard<std::mutex> lock(MessagesMutex());
        F_Erreur.clear();
    }
    F_Langue.clear();
}

void Demarrage(const AppDirectories& dirs) {
    VideListes();
    if (!CreerEntreesSorties()) throw StartFailure{pb_init};
    LastX = 0;
    LastY = 0;

    if (dirs.data.empty()) throw StartFailure{Pb_Repertoire_Conf};
    Repertoire_son = dirs.sounds;
    Repertoire_langues = dirs.languages;
    InstalledSoundDir = dirs.installedSounds;
    InstalledLanguageDir = dirs.installedLanguages;
    Repertoire_conf = dirs.data;
    // The help lies beside the language files: in the build tree or the installed share/zelvanor/.
    {
        std::string langs = dirs.installed && !dirs.installedLanguages.empty()
                                ? dirs.installedLanguages
                                : dirs.languages;
        while (!langs.empty() && langs.back() == '/')
            langs.pop_back();
        const size_t slash = langs.find_last_of('/');
        Repertoire_aide =
            (slash == std::string::npos ? std::string() : langs.substr(0, slash + 1)) + "help/";
    }

    // Beside the executable one level is made, as it always was; in the home directory
    // ~/.local/share itself may be missing on a first start.
    if (!DirectoryExists(Repertoire_conf) &&
        !(dirs.installed ? CreateDirectories(Repertoire_conf) : CreateDir(Repertoire_conf)))
        throw StartFailure{Pb_Repertoire_Conf};
    // What saves cut short by a crash or a power cut left beside the files they were replacing.
    RemoveStaleTemporaries(Repertoire_conf);
    const std::string conf = FichierConf();
    if (!FileExists(conf) && !AtomicWriteFile(conf, "")) throw StartFailure{Pb_Fichier_Conf};

    if (!LireConf()) Dialogs().information(GetMessagePgm(Pb_Fichier_Conf));
    // Every window starts from its built-in texts; the language file replaces what it has.
    Principal.textes.clear();
    cg_Connection.textes.clear();
    cg_preference.textes.clear();
    cg_a_propos.textes.clear();
    cg_param_vornx.textes.clear();
    cg_param_gamma.textes.clear();
    ChangeLangue();
    Principal.cg_indicator = clRed;

    if (!ChargeJournal()) throw StartFailure{pb_init};

    CreeGraphiques();
    AfficheConfiguration();

    Alarme_en_cours = false;
    Version_compteur = 1.3;
    maj_menu_commandes();
    LoadConnectionSettings();
    ConnectionReset();
    LoadMqttSettings();

    ChargeDernierFichier();

    Principal.cg_info_status.clear();
    ModelChanged(ModelWindow::Main);
    Trt_log(GetMessagePgm(non_connecte), true);

    SetStatisticsView([](const TCaptureList& F, double factor, TTypeCompteur model) {
        StatCSV(F, factor, model);
    });
    if (!DemarrerSession()) throw StartFailure{pb_init};
}

} // namespace

erreur_programme AppStart(const std::string& exeDir, const std::string& dataDir) {
    return AppStart(BuildTreeDirectories(exeDir, dataDir));
}

erreur_programme AppStart(const AppDirectories& dirs) {
    if (g_running) return PasErreur;
    {
        std::lock_guard<std::mutex> lock(MessagesMutex());
        F_Erreur.clear();
    }
    DisableEventMain = true;
    erreur_programme echec = PasErreur;
    try {
        Demarrage(dirs);
    } catch (const StartFailure& f) {
        echec = f.code;
    } catch (...) {
        echec = pb_init;
    }
    if (echec != PasErreur) {
        // The process ends after this message; in a test, nothing stays behind either.
        LibererEntreesSorties();
        Dialogs().information(GetMessagePgm(echec));
        return echec;
    }
    g_running = true;
    DisableEventMain = false;
    if (Principal.cg_PageControl != 0) TabSheet1Hide();
    ModelChanged(ModelWindow::Main);
    return PasErreur;
}

bool AppRunning() {
    return g_running;
}

bool AppCommandInProgress() {
    return Principal.commande_en_cours || TraitementEnCours;
}

void AppCloseDuringCommand() {
    if (!g_running || g_closing || !AppCommandInProgress()) return;
    g_closing = true;
    Dialogs().busy(true);
    Trt_log(GetProgramText(ProgramText::ClosingStopsCommand), true);
    if (Thread_ES) {
        const TCommande c = Thread_ES->CommandeEnCours();
        const TTypeCompteur t = Fichier_conf.type_compteur_Capture;
        const bool gs = t == GAMMA_SCOUT1 || t == GAMMA_SCOUT2;
        // What came so far is not saved: a Gamma Scout dump decodes only whole, and a VORN
        // download is saved only once complete. A Gamma Scout dump already handed to the
        // decoder (F_Dump emptied while the command lasts) is whole, and is saved.
        const size_t n = gs ? F_Dump.size() : F_DownLoad.size();
        const bool decoding = gs && c == Comd_DL_suite && n == 0;
        if ((c == Comd_DL || c == Comd_DL_suite) && !decoding)
            Trt_log(GetProgramText(ProgramText::DownloadCutShort) + std::to_string(n), true);
        Thread_ES->Terminate();
    }
}

bool AppShutdown() {
    if (!g_running) return true;
    bool ok = true;

    Principal.FlipTimer_enabled = false;
    ModelChanged(ModelWindow::Main);

    if (!SauveConf()) {
        ok = false;
        Dialogs().information(GetMessagePgm(Pb_Repertoire_Conf));
        // The box goes with the window; the journal saved below keeps the reason.
        Trt_log(GetMessagePgm(pb_ecr_fichier) + ": " + FichierConf(), true);
    }
    std::string nom;
    if (!SauveCaptureCompteur(nom)) {
        ok = false;
        Trt_log(GetMessagePgm(pb_ecr_fichier) + ": " + nom, true);
    }
    if (ConnectionPrefs().remember && !SaveConnectionSettings()) {
        ok = false;
        Trt_log(GetMessagePgm(pb_ecr_fichier) + ": " + ConnectionSettingsFile(), true);
    }
    // The publishers send the counter's "offline" and what they still hold, and journal what
    // they could not send, before the journal is written.
    DetachAllPublishers();
    StopMapTests();
    // Counts the capture refused since the clock went back are told before the journal goes.
    if (Thread_ES) TellClockBackCounts(*Thread_ES);
    // A journal that cannot be written is reported; the session must still stop below.
    if (!SauveJournal()) {
        ok = false;
        Dialogs().information(GetMessagePgm(Pb_Fichier_Log));
    }

    try {
        ArreterSession();
        SetStatisticsView(nullptr);
        LibererEntreesSorties();
        // The dialogs are the front end's to release.
        F_Log.clear();
        F_DownLoad.clear();
        F_Capture.clear();
        F_Fichier.clear();
        std::lock_guard<std::mutex> lock(MessagesMutex());
        F_Erreur.clear();
    } catch (const std::exception& e) {
        ok = false;
        Dialogs().information(std::string("Zelvanor") + GetMessagePgm(pb_close) + " (" + e.what() +
                              ")");
    } catch (...) {
        ok = false;
        Dialogs().information(std::string("Zelvanor") + GetMessagePgm(pb_close) + " ()");
    }
    g_running = false;
    ConnectionReset();
    if (g_closing) {
        g_closing = false;
        Dialogs().busy(false);
    }
    return ok;
}

} // namespace zel
