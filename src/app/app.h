#pragma once
// The application without its windows: the run-time state of the main window, start-up and
// shutdown in their fixed order, and what the windows' commands and dialogs do. The Qt front
// end (src/ui) and zelvanor-cli both drive the program through these functions, so a headless
// run starts, connects and stops exactly like the desktop.
//
// Everything a window would show is written to the presentation model (model/model.h) followed
// by ModelChanged(); questions to the user go through Dialogs(), sounds through Sound(), web
// addresses through Links() (base/ports.h). All functions run on the main thread.
//
// A front end, in order:
//   1. install its ports (GetPorts(): main thread, clock, sound, dialogs, links);
//   2. AppStart(ResolveDirectories(ExecutableDir(), CurrentDirectoryEnvironment())) - on a
//      status other than PasErreur the message has already been shown through Dialogs(): exit
//      with code 1, nothing else to undo;
//   3. AppConnect(port, line setting) - the OK of the connection dialog (NomCom and PortCom are
//      stored in Fichier_conf, the port opened, the counter identified);
//   4. counter commands: SetEmission (session/emission.h) or the menu handlers below;
//   5. AppShutdown() - configuration, capture, journal, then the session thread and the port.
#include <cstdint>
#include <string>
#include <vector>

#include "base/datetime.h"
#include "base/directories.h"
#include "settings/counter_type.h"
#include "settings/messages.h"

namespace zel {

class TCaptureList;
struct Statistics;

// ---- Application state beside what the lower layers declare ---------------------------------
// (F_Capture, F_Fichier, F_DownLoad: records/capture.h; F_Log, Alarme_en_cours:
// settings/journal.h; F_Erreur: settings/messages.h; F_Langue: settings/language.h;
// Fichier_conf, Repertoire_*: settings/config.h; Thread_ES, EntreesSorties: session.)

constexpr int32_t CMSV = 0; // units switch item: dose rate in µSv/h
constexpr int32_t CCPM = 1; // units switch item: counts per minute

// True while the program itself sets the date pickers (their change handlers then do nothing).
extern bool DisableEventMain;
// Anchor of a zoom selection on the history chart; 0 in either: no selection.
extern int32_t LastX;
extern int32_t LastY;

// The version line of the about box: "Version: " and the program's version.
std::string VersionLine();

// ---- Start-up and shutdown --------------------------------------------------------------------

// The main window's creation step, with the directories of base/directories.h. The data
// directory is created when missing (with its parents when installed). On failure the message
// (Pb_Repertoire_Conf, Pb_Fichier_Conf or pb_init) has been shown with Dialogs().information and
// is returned: the caller ends the process with exit code 1 and runs no shutdown. PasErreur on
// success: the session thread is running, the serial line closed.
erreur_programme AppStart(const AppDirectories& dirs);
// The same with data/, son/ and langages/ beside exeDir (the executable's directory, without
// trailing "/"); dataDir, when not empty, replaces exeDir + "/data".
erreur_programme AppStart(const std::string& exeDir, const std::string& dataDir = "");

// The main window's close step: saves the configuration, the capture and the journal (in this
// order), then stops the session thread (serving its calls to the main thread meanwhile) and
// only then releases the serial line (closing the port) and the lists. Failures are shown and
// the shutdown goes on. False when anything failed. Does nothing unless AppStart succeeded.
bool AppShutdown();

// True between a successful AppStart and AppShutdown.
bool AppRunning();

// True while a counter command waits for its reply or a reply handler lets events through:
// the shutdown must wait for it to return, since it runs under the event loop.
bool AppCommandInProgress();

// A close asked for (close box, Quit, a termination signal) while a command is in progress:
// shows that it was heard (busy pointer, a status line), journals a download cut short, and
// tells the session to stop, which ends the command's wait within about a second; the front end
// then runs AppShutdown as soon as AppCommandInProgress() is false. Acts once; the pointer comes
// back with AppShutdown. Nothing when no command is in progress.
void AppCloseDuringCommand();

// ---- Connection dialog ------------------------------------------------------------------------

// One of the five line settings (PortCom 0..4); any other index gives 9600 8N1.
struct TLigneSerie {
    uint32_t BaudRate;
    uint8_t ByteSize;
    uint8_t Parity;   // 0 none, 2 even
    uint8_t StopBits; // 0: one stop bit
};
TLigneSerie LigneSerie(int32_t PortCom);
// The items of the line setting group, in order.
const std::vector<std::string>& LignesSerieTextes();

// The dialog is shown: selects PortCom, shows param_Pret, clears the last connection error,
// fills the port list (and selects NomCom). The list holds the system's serial ports and the
// devices named in the environment variable ZELVANOR_PORTS (comma-separated; a simulated
// counter), those that do not exist marked as missing. False when there is no serial port at
// all: pas_de_port has been shown, the counter menu disabled, and the dialog must close itself.
bool ConnectionFormShow();
// The user picked item `index` of the port list.
void cg_liste_connect_comChange(int32_t index);
// A click on item `index` of the line setting group (stores PortCom; disconnects when a port
// is open and the setting changed).
void cg_portcomClick(int32_t index);
// The OK button with the port name `port` (possibly empty) and line setting `PortCom`: closes
// any previous connection, opens the port, identifies the counter and completes the set-up.
// True when the port was opened (the identification may still have failed: see
// Fichier_conf.type_compteur_Capture). Otherwise PortOpenErrorText is journalled and shown in
// the dialog (cg_Connection.connect_error), which stays open.
bool AppConnect(const std::string& port, int32_t PortCom);
// Closes the port as a change of line setting does (session told first, counter menu off).
void AppDisconnect();
// Why `port` did not open with `status` (0, errno or a line status), naming the port: in use,
// permission refused (with the group to join), not a serial port, missing, setting refused,
// or the system's text. No port chosen at all has its own text.
std::string PortOpenErrorText(const std::string& port, int32_t status);
// How the port list shows `port`: its name, marked when the device does not exist.
std::string PortListLabel(const std::string& port);

// ---- Main window ------------------------------------------------------------------------------

// The statistics of F over the display window (Fichier_conf.date_deb / date_fin), shown: the
// history and distribution series (each skipped when not created; their charts held in update
// mode and in the unit of Fichier_conf.tab_CPM) and the fields of the "Statistiques" page.
// Traitement_Termine when computed (also with no record in the window); Pb_Fichier_Log when a
// line is not a record: both series and the seven value fields are then empty and
// cg_nb_events keeps its text.
erreur_programme StatCSV(const TCaptureList& F, double FacteurConversion, TTypeCompteur Compteur);
// The fields of the "Statistiques" page from a statistics value, in the regional format.
void ShowStatisticsFields(const Statistics& s);
// The axis titles of the four charts: units in the display's unit (Fichier_conf.tab_CPM) and the
// distribution's axes in the language of the moment.
void ShowChartTitles();

// Statistics and the history and distribution charts of F (busy pointer meanwhile).
erreur_programme Rafraichir_affichage(const TCaptureList& F, double Conversion,
                                      TTypeCompteur Compteur);
// The same with the current source (Fichier_conf.Source: the file or the live capture).
erreur_programme RafraichirSource();

// Language texts of every window (the main window's 39 texts and each dialog's), from the
// loaded language file, the built-in French text where it has none.
void ChangeLangue(); // main window
void ChangeLangueConnexion();
void ChangeLangueAPropos();
void ChangeLanguePreference();
void ChangeLangueParamVORN();
void ChangeLangueParamGS();

// Controls of the main window (the value is the control's new state).
void cg_date_debChange(TDateTime picked);
void cg_date_finChange(TDateTime picked);
void cg_resetClick();
void cg_sourceClick(int32_t item);              // 0 "Fichier", 1 "Capture"
void cg_Tab_RadioGroup_unitClick(int32_t item); // CMSV or CCPM
void cg_alarme_activeClick(bool checked);
void cg_alarme_sonoreClick(bool checked);
void cg_seuil_alarmeChange(int32_t value);
void cg_ra_iClick();   // the stop-alarm action
void FlipTimerTimer(); // one blink; sets FlipTimer_interval
void TabSheet1Show();
void TabSheet1Hide();

// Zoom selection on the history chart, in its client pixels.
enum class TMouseButton { Left, Right, Middle };
void ChartMouseClickDown(TMouseButton button, int32_t X, int32_t Y);
void ChartMouseMove(int32_t X, int32_t Y);
void ChartMouseClickUP(TMouseButton button, int32_t X, int32_t Y);

// Menus.
void cg_menuitem_ouvrirClick();
void cg_menuitem_CombineCSVClick();
void cg_menuitem_BClick();
void cg_menuitem_FClick();
void cg_menuitem_VClick();
void cg_menuitem_DClick();
void cg_menuitem_IClick();
void cg_menu_get_dataClick();
void cg_menuitem_Mode_PCClick();
void cg_menuitem_Mode_acqClick();
void cg_menuitem_RazMemoireClick();
void cg_menu_aideClick();
// Which parameter dialog the counter model opens: 0 none, 1 VORN, 2 Gamma Scout.
int32_t ParamDialogPourModele(TTypeCompteur t);

// The address of the help page on the web for a language code ("FR" -> ".../zelvanor_fr.htm").
std::string AdresseAide(const std::string& Langue);
// The help shipped with the program: one directory per language code in lower case, set at
// start-up beside langages/ ("<dir>/help/").
extern std::string Repertoire_aide;
// The help page of a language ("FR" -> Repertoire_aide + "fr/index.html"), the English one
// when that language has none.
std::string FichierAide(const std::string& Langue);
// "YYYY/MM/DD HH:NN" with the user's regional separators: the clock text of a VORN counter.
std::string TexteDateHeureVORN(TDateTime t);

// ---- Preferences dialog -----------------------------------------------------------------------

// Fills the language and sound lists from the directories (once, at program start).
void PreferenceFormCreate();
void PreferenceFormShow();
void cg_pref_langueChange(int32_t index);
void cg_alarme_listeChange(int32_t index); // the sound list's selection
// False when the dialog must stay open (the network page names what is wrong).
bool cg_pref_OKClick();
void cg_test_alarmeClick();
void cg_stop_alarmeClick();
// Opens the data directory shown in the dialog with the desktop's file manager (Links()).
void cg_pref_open_dirClick();

// ---- Counter parameter dialogs ----------------------------------------------------------------

void ParamVornFormShow();
void ParamVornLireClick();
void ParamVornEnvoyerClick();
// The user picks an item of a switch of the VORN dialog (-1: none): that setting may be sent.
enum class TVornSwitch { Led, Buzzer, Units, Battery };
void ParamVornPick(TVornSwitch which, int32_t item);
// The settings string of the send action (leading "=", no factor); now = the computer's clock.
std::string TexteParamVorn(TTypeCompteur t, TDateTime now);
void ParamGammaLireClick();
void ParamGammaEnvoyerClick();

} // namespace zel
