#pragma once
// What the windows show: one plain struct per window, written by the core (handlers, loaders,
// statistics) and copied into widgets by whatever front end is in use. The core never includes
// a toolkit header; the front end registers one "changed" callback.
//
// Each area of the program adds the fields it writes to its own block below, with the control
// name the window uses (cg_cpm_mn, cg_date_debut ...). Keep plain values: strings, numbers, bools.
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "base/datetime.h"
#include "chart/canvas.h"

namespace zel {

class TNiceChart;
class TNiceSeries;

// Fill of the activity indicator: red while the session works on a command, lime when idle.
constexpr TColor clLime = 0x00FF00;

enum class ModelWindow { Main, Connection, Preferences, ParamVorn, ParamGamma, About };

// Called after a handler changed a window's model (on the main thread).
void SetModelObserver(std::function<void(ModelWindow)> observer);
void ModelChanged(ModelWindow w);

// ---- Main window (Tprincipal) -------------------------------------------------------------
struct TprincipalModel {
    std::string caption; // window title

    // Date pickers of the viewing window (capture records)
    TDateTime date_debut = 0;
    TDateTime date_fin = 0;

    // The four charts, owned by the application state and created at start-up.
    TNiceChart* chartComptageMn = nullptr;
    TNiceChart* chartComptageSV = nullptr;
    TNiceChart* chartHisto = nullptr;
    TNiceChart* chartGauss = nullptr;

    // Journal and count alarm (settings/journal.cpp)
    std::vector<std::string> cg_info_status; // status box: "-> " / "<- " + message, no limit
    bool cg_ra_a_visible = false;            // raised alarm picture
    bool cg_ra_i_visible = true;             // idle alarm picture, same place
    bool alarm_hints = false; // hints of both pictures shown while an alarm is raised
    bool FlipTimer_enabled = false;
    int FlipTimer_interval = 1000; // ms

    // Statistics page (records/statistics; app/ writes the factor when a file is opened)
    std::string cg_moyenne_cpm, cg_moyenne_Sv;
    std::string Cg_max_CPM, Cg_Max_SV, cg_date_max;
    std::string cg_nb_events;
    std::string cg_facteur_conversion; // also written when a capture file is opened
    std::string cg_ecart_type_CPM, cg_ecart_type_SV;
    std::string records_span; // "n from <first date> to <last date>" of the records used

    // Start-up, display switches, alarm controls, menus (app/)
    std::vector<std::string> textes;     // language texts 1..39 of the window ([0] unused)
    int cg_source = 1;                   // source switch: 0 "Fichier", 1 "Capture"
    int cg_Tab_RadioGroup_unit = 1;      // units switch: 0 "µSv/h", 1 "CPM"
    bool chartComptageMn_visible = true; // the two live charts share one place
    bool chartComptageSV_visible = false;
    bool cg_selection_visible = false; // source switch, reset button and date pickers
    int cg_PageControl = 0;            // page in front: 0 Capture, 1 Graphique, 2 Gaussienne,
                                       // 3 Statistiques
    int cg_seuil_alarme = 50;
    std::string cg_seuil_alarme_SV = "0.28500"; // threshold in µSv/h
    bool cg_alarme_active = false;
    bool cg_alarme_sonore = false;
    bool cg_alarme_sonore_enabled = false;
    bool cg_menu_compteur_enabled = false; // the counter menu (connection dialog)
    bool busy_pointer = false;

    // Session: command encoding (session/emission.cpp) and reply handlers (session/*_replies.cpp)
    TColor cg_indicator = clRed; // activity indicator
    std::string enr;             // progress: character written, data lines received
    std::string cg_cpm_mn;       // last count per minute ("***" for a negative count)
    std::string cg_sv_H;         // last dose rate, "0.000" with the regional separator
    std::string cg_tr_moy_cpm;   // mean count per minute over the last 24 hours
    std::string cg_tr_moy_sv;    // mean dose rate over the last 24 hours
    // True while SetEmission waits for a command: the front ends offer no counter command
    // (counter menu, parameter dialogs' buttons) meanwhile, since a command posted from inside
    // a reply handler's event processing could never be served.
    bool commande_en_cours = false;

    // Connection state (app/connection_state.cpp)
    std::string connection_text; // the state in words: identified, silent, lost, reconnecting
    bool live_stale = false;     // cg_cpm_mn and cg_sv_H are the last values of a counter that
                                 // is silent or lost: shown greyed
    std::string live_stale_hint; // the time of the last count, shown with stale values

    // The MQTT broker the counts are published to (app/mqtt_settings.cpp)
    bool broker_shown = false;       // publishing is on: the broker's indicator is shown
    TColor broker_indicator = clRed; // green connected, orange connecting, red unreachable
    std::string broker_text;         // the broker's state in words, with its address

    // Counter menu per model (session/menu_state.cpp, maj_menu_commandes)
    bool cg_menuitem_B_enabled = false;          // "Re-&Boot"
    bool cg_menuitem_F_enabled = false;          // "&Facteur conversion"
    bool cg_menuitem_V_enabled = true;           // "&Version compteur"
    bool cg_menuitem_D_enabled = false;          // "&Download"
    bool cg_menuitem_I_enabled = false;          // "&Init. Date et Heure"
    bool cg_menu_param_compteur_enabled = false; // "Paramétrage compteur"
    bool cg_menu_get_data_enabled = false;       // "Données internes"
    bool cg_menuitem_Mode_PC_enabled = false;    // "Mode PC"
    bool cg_menuitem_Mode_acq_enabled = false;   // "Mode Acquisition"
    bool cg_menuitem_RazMemoire_enabled = false; // "Raz mémoire"
};
extern TprincipalModel Principal;

// The one series of each chart (set when the charts are created).
extern TNiceSeries* SerieComptageMn;
extern TNiceSeries* SerieComptageSV;
extern TNiceSeries* SerieHisto;
extern TNiceSeries* SerieGauss;

// ---- Gamma Scout parameter dialog (cg_param_gamma) -----------------------------------------
// Its texts are written by the session thread while decoding a dump and read by the window:
// access them under `mutex`.
struct TParamGammaModel {
    mutable std::mutex mutex;

    // Under `mutex`: the version reply (session) writes all three; the dump decoders
    // (gammascout/) read them, and log versions 1 and 2 rewrite serie and EEPROM.
    std::string version = "?"; // firmware version as shown
    std::string serie = "?";   // serial number
    std::string EEPROM = "?";  // number of log bytes in the counter's memory
    // The counter's clock from its version reply (session/gamma_replies.cpp), under `mutex`
    std::string DateHeure;

    // The dialog's own texts (app/); main thread only, no lock needed
    std::vector<std::string> textes;          // language texts 1..6 ([0] unused)
    std::string etat = "cg_param_gamma_etat"; // status line
    bool etat_red = false;                    // red while a command is under way
};
extern TParamGammaModel cg_param_gamma;

// ---- VORN parameter dialog (cg_param_vornx) -------------------------------------------------
struct TParamVornModel {
    // The dialog's own state (app/)
    std::vector<std::string> textes; // language texts 1..17 ([0] unused)
    std::string etat;                // status line
    bool etat_red = false;           // red while a command is under way
    bool unites_enabled = true;      // not for models 8 and 9
    bool vorn10_enabled = false;     // Pile_Utilisee, Ajust, Date, Heure: model 10 only
    bool Ajust = false;              // set the counter's clock when sending

    // Written by the VORN reply handlers (session/vorn_replies.cpp, gamma_replies.cpp);
    // the send action reads led, buz, unites, seuil, Pile_Utilisee and facteur_conversion.
    int led = 1;            // 0 "ON", 1 "OFF"
    int buz = 1;            // 0 "ON", 1 "OFF"
    int unites = 1;         // 0 "SV", 1 "PM"
    std::string seuil;      // alarm threshold, counts per minute
    int Pile_Utilisee = -1; // model 10: 0 "LI36", 1 "AL45", -1 none
    // Each switch was read from the counter by the last read action, or picked by the user
    // since: the send action sends no setting that is neither.
    bool led_known = false;
    bool buz_known = false;
    bool unites_known = false;
    bool Pile_Utilisee_known = false;
    std::string Date;  // model 10: counter's date "y/m/d"
    std::string Heure; // model 10: counter's time "h:m"
    std::string facteur_conversion;
    std::string batterie; // volts
    std::string mem_max;
    std::string mem_used;
    std::string jours;
    std::string version; // "V 2.1", or the serial number once the counter changed
};
extern TParamVornModel cg_param_vornx;

// ---- Connection dialog (cg_Connection) ------------------------------------------------------
struct TConnectionModel {
    // Written by the dialog's logic (app/)
    std::vector<std::string> textes;               // language texts 1..4 ([0] unused)
    int cg_portcom = 0;                            // line setting selected
    std::vector<std::string> cg_liste_connect_com; // port names, sorted
    std::vector<std::string> port_labels;          // what the list shows for each name
    int cg_liste_connect_com_index = -1;           // -1: none selected
    std::string cg_connect_info;                   // status text
    bool cg_connect_info_red = false;              // red while connecting
    std::string connect_error;                     // why the last OK did not open the port
    bool close_request = false;                    // no port: the dialog closes itself
};
extern TConnectionModel cg_Connection;

// ---- Preferences dialog (cg_preference) -----------------------------------------------------
struct TPreferenceModel {
    // Written by the dialog's logic (app/)
    std::vector<std::string> textes;         // language texts 1..5 ([0] unused)
    std::vector<std::string> cg_pref_langue; // "FR Français", ...
    int cg_pref_langue_index = -1;
    std::vector<std::string> cg_liste_alarme; // sound names without ".wav"
    int cg_liste_alarme_index = -1;
    std::string cg_pref_rep;       // the data directory
    std::string LangueSelectionne; // picked, not yet applied
    // The connection's own settings (app/connection_state.h): shown at opening, applied on OK.
    bool reconnect = true;
    bool resume_at_start = true;
    bool alarm_on_loss = false;
    // The network page: publishing to an MQTT broker (app/mqtt_settings.h), shown at opening,
    // applied on OK.
    bool mqtt_enabled = false;
    std::string mqtt_url; // mqtt://host:port or mqtts://host:port
    std::string mqtt_user;
    std::string mqtt_password;
    bool mqtt_save_password = false;
    std::string mqtt_ca; // a private authority's certificate for mqtts://
    std::string mqtt_prefix;
    bool mqtt_discovery = true;
    std::string mqtt_ha_prefix;
    std::string mqtt_result; // the test's answer, or why OK was refused, in words
    bool mqtt_testing = false;
    int page = 0; // the page in front: 0 general, 1 network
};
extern TPreferenceModel cg_preference;

// ---- About box (cg_a_propos) ----------------------------------------------------------------
struct TAProposModel {
    std::vector<std::string> textes; // language texts 1..2 ([0] unused) (app/)
    std::string cg_version_number;   // the version line, set when the box is shown
};
extern TAProposModel cg_a_propos;

} // namespace zel
