#include "app/connection_state.h"

#include <algorithm>
#include <string>

#include "app/app.h"
#include "app/live_feed.h"
#include "app/mqtt_settings.h"
#include "app/session_link.h"
#include "base/numfmt.h"
#include "base/ports.h"
#include "base/regional.h"
#include "base/text_util.h"
#include "base/textfile.h"
#include "chart/nice_chart.h"
#include "model/model.h"
#include "records/capture.h"
#include "records/counter.h"
#include "serial/port_list.h"
#include "session/emission.h"
#include "session/session_globals.h"
#include "settings/config.h"
#include "settings/journal.h"
#include "settings/messages.h"
#include "settings/texts.h"

namespace zel {

namespace {

constexpr uint32_t kFirstRetryMs = 2000;
constexpr uint32_t kLongestRetryMs = 30000;
const char* const kSettingsName = "zelvanor_connection.txt";

ConnectionStatus g_status;
ConnectionSettings g_prefs;
std::string g_settingsFile;

// Remembered for the next start: the connection the user made and did not close.
bool g_wanted = false;
std::string g_wantedPort;
int32_t g_wantedLine = 1;

uint32_t g_identifications = 0;
uint32_t g_lastLineTick = 0; // tick of the last line, or of the identification
uint32_t g_lostTick = 0;
uint32_t g_nextTryTick = 0;
bool g_inTick = false;
// Stale values wait for a newer count than this one (a VORN's count every minute).
bool g_waitNewCount = false;
int64_t g_staleCountMs = 0;

bool IsVorn(TTypeCompteur t) {
    return t >= CVORN2 && t <= CVORN10;
}

bool TickPassed(uint32_t tick, uint32_t deadline) {
    return static_cast<int32_t>(tick - deadline) >= 0;
}

std::string Serial5(uint32_t serial) {
    std::string s = std::to_string(serial);
    if (s.size() < 5) s.insert(0, 5 - s.size(), '0');
    return s;
}

std::string ModelName(TTypeCompteur t) {
    switch (t) {
    case CVORN2:
        return "VORN2";
    case CVORN3:
        return "VORN3";
    case CVORN8:
        return "VORN8";
    case CVORN9:
        return "VORN9";
    case CVORN10:
        return "VORN10";
    case GAMMA_SCOUT1:
        return "GAMMA-SCOUT V1";
    case GAMMA_SCOUT2:
        return "GAMMA-SCOUT V2";
    default:
        return "";
    }
}

// A time of today as "HH:NN", another day's with its date, in the user's separators.
std::string TimeText(TDateTime t) {
    const RegionalSettings& r = Regional();
    const TDateTime now = Clock().now();
    const bool today = static_cast<int64_t>(t) == static_cast<int64_t>(now);
    return FormatDateTime(today ? "HH:NN" : r.short_date + " HH:NN", t, r.date_sep, r.time_sep);
}

// The date of the last count received, else of the last line; 0 when nothing came.
TDateTime LastCountDate() {
    if (!F_Capture.empty()) return F_Capture.back().T;
    return g_status.lastLine;
}

int64_t LastCountMs() {
    return F_Capture.empty() ? 0 : F_Capture.back().ms;
}

bool Stale() {
    switch (g_status.state) {
    case ConnectionState::Silent:
    case ConnectionState::Lost:
    case ConnectionState::Reconnecting:
        return true;
    case ConnectionState::Identified:
        return g_waitNewCount;
    default:
        return false;
    }
}

// The state onto the window: words, title, indicator, stale marks, counter menu.
void Show() {
    // Every change of state passes here: the publishers hear whether the counter is online.
    FeedPresenceFromConnection();
    TprincipalModel& p = Principal;
    p.connection_text = ConnectionStateText();
    p.live_stale = Stale();
    const TDateTime last = LastCountDate();
    p.live_stale_hint =
        p.live_stale && last != 0 ? GetProgramText(ProgramText::LastCountAt) + TimeText(last) : "";
    switch (g_status.state) {
    case ConnectionState::NotConnected:
    case ConnectionState::Connecting:
        // No counter is known: the title names none, not even an unknown one.
        p.caption = "Zelvanor";
        break;
    case ConnectionState::Identified:
    case ConnectionState::Unrecognised:
        maj_menu_commandes();
        break;
    case ConnectionState::Silent:
    case ConnectionState::Lost:
    case ConnectionState::Reconnecting:
        maj_menu_commandes();
        p.caption += " - " + p.connection_text;
        break;
    }
    switch (g_status.state) {
    case ConnectionState::Silent:
        p.cg_indicator = 0xFFD000; // amber: connected, but nothing comes
        break;
    case ConnectionState::Lost:
        p.cg_indicator = clRed;
        break;
    case ConnectionState::Reconnecting:
        p.cg_indicator = 0xFF8000; // orange: trying again
        break;
    default:
        break; // the command encoder shows the exchanges
    }
    ModelChanged(ModelWindow::Main);
}

void SetState(ConnectionState s) {
    g_status.state = s;
    Show();
}

void MarkStale() {
    g_staleCountMs = LastCountMs();
    g_waitNewCount = IsVorn(g_status.model);
}

void Remember() {
    if (g_prefs.remember) SaveConnectionSettings();
}

void ScheduleRetry(uint32_t delay) {
    g_status.retryDelayMs = delay;
    g_nextTryTick = Clock().tickMs() + delay;
    SetState(ConnectionState::Reconnecting);
}

void CopyIdentity() {
    g_status.model = Fichier_conf.type_compteur_Capture;
    g_status.serial = Fichier_conf.Serial_Compteur;
}

// The line failed under an identified or unrecognised counter: close, tell once, retry.
void Lose() {
    g_lostTick = Clock().tickMs();
    g_status.lostAt = Clock().now();
    MarkStale();
    // The session stops reading the dead line; the port is released so that a re-plugged
    // adapter can be opened again.
    if (Thread_ES) Thread_ES->ReinitAutomate(NonConnecte, false);
    int32_t ignore = 0;
    FermerPort(ignore);
    Principal.cg_menu_compteur_enabled = false;
    g_status.state = ConnectionState::Lost;
    Trt_log(GetProgramText(ProgramText::CounterLost) + g_status.port, true);
    Show();
    if (g_prefs.alarmOnLoss) Check_Alarme(-1);
    if (g_prefs.reconnect) {
        Trt_log(GetProgramText(ProgramText::ReconnectingTo) + g_status.stablePort, true);
        ScheduleRetry(kFirstRetryMs);
    }
}

void GoSilent() {
    MarkStale();
    g_status.state = ConnectionState::Silent;
    Trt_log(ConnectionStateText(), true);
    Show();
    if (g_prefs.alarmOnLoss) Check_Alarme(-1);
}

// One try at the port of the lost counter.
void TryAgain() {
    int32_t status = 0;
    OuvrirPort(g_status.stablePort, LigneSerie(g_status.line), status);
    if (status == 0 && g_status.line == 0) EcrirePort("\r", status);
    if (status == 0) {
        const uint32_t before = g_identifications;
        // As SetEmission(Comd_Connecte), but the fault that lost the line, if it comes back at
        // once, is not journalled a second time.
        if (Thread_ES) Thread_ES->ReinitAutomate(Initial, false);
        Principal.cg_indicator = clLime;
        Principal.cg_menu_compteur_enabled = true;
        // A lost counter can come back while the dialog's connection or the shutdown runs in the
        // event processing of the identification: they decide then, not this try.
        if (g_status.state != ConnectionState::Reconnecting) return;
        const bool answered = IdentifyCounter(false) && g_identifications != before;
        if (g_status.state != ConnectionState::Reconnecting) return;
        if (answered) {
            CopyIdentity();
            const uint32_t s = (Clock().tickMs() - g_lostTick + 500) / 1000;
            Trt_log(GetProgramText(ProgramText::ReconnectedAfter) + std::to_string(s) + " s", true);
            g_lastLineTick = Clock().tickMs();
            if (!IsVorn(g_status.model)) g_waitNewCount = false;
            SetState(ConnectionState::Identified);
            return;
        }
        // Something answers on that port, but not a counter: the port is let go again.
        if (Thread_ES) Thread_ES->ReinitAutomate(NonConnecte, false);
        int32_t ignore = 0;
        FermerPort(ignore);
        Principal.cg_menu_compteur_enabled = false;
    }
    ScheduleRetry(std::min(g_status.retryDelayMs * 2, kLongestRetryMs));
}

} // namespace

const ConnectionStatus& Connection() {
    return g_status;
}

ConnectionSettings& ConnectionPrefs() {
    return g_prefs;
}

std::string ConnectionStateText() {
    const ConnectionStatus& c = g_status;
    const TDateTime last = LastCountDate();
    const std::string lastText =
        last != 0 ? " - " + GetProgramText(ProgramText::LastCountAt) + TimeText(last) : "";
    switch (c.state) {
    case ConnectionState::NotConnected:
        return "";
    case ConnectionState::Connecting:
        return GetProgramText(ProgramText::Connecting) + " " + c.port;
    case ConnectionState::Identified:
        return GetProgramText(ProgramText::Identified) + ModelName(c.model) + " n° " +
               Serial5(c.serial);
    case ConnectionState::Unrecognised:
        return GetMessagePgm(Compteur_inconnu);
    case ConnectionState::Silent:
        return GetProgramText(ProgramText::CounterSilentSince) +
               (c.lastLine != 0 ? TimeText(c.lastLine) : std::string("?"));
    case ConnectionState::Lost:
        return GetProgramText(ProgramText::CounterLost) + c.port + lastText;
    case ConnectionState::Reconnecting: {
        const uint32_t left = Clock().tickMs() - g_nextTryTick < 0x80000000u
                                  ? 0
                                  : (g_nextTryTick - Clock().tickMs() + 999) / 1000;
        return GetProgramText(ProgramText::ReconnectingTo) + c.stablePort + ", " +
               GetProgramText(ProgramText::NextTryIn) + std::to_string(left) + " s" + lastText;
    }
    }
    return "";
}

std::string ConnectionSettingsFile() {
    return g_settingsFile;
}

void LoadConnectionSettings() {
    g_settingsFile = Repertoire_conf + kSettingsName;
    const bool remember = g_prefs.remember;
    g_prefs = ConnectionSettings{};
    g_prefs.remember = remember;
    g_wanted = false;
    g_wantedPort.clear();
    g_wantedLine = 1;
    TextList lines;
    if (!FileExists(g_settingsFile) || !LoadTextFile(g_settingsFile, lines)) return;
    for (const auto& raw : lines) {
        const size_t eq = raw.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = UpperAscii(TrimControl(raw.substr(0, eq)));
        const std::string v = TrimControl(raw.substr(eq + 1));
        if (key == "RECONNECT")
            g_prefs.reconnect = ReadFlag(v, g_prefs.reconnect);
        else if (key == "RESUMEATSTART")
            g_prefs.resumeAtStart = ReadFlag(v, g_prefs.resumeAtStart);
        else if (key == "ALARMONLOSS")
            g_prefs.alarmOnLoss = ReadFlag(v, g_prefs.alarmOnLoss);
        else if (key == "CONNECTED")
            g_wanted = ReadFlag(v, false);
        else if (key == "PORT")
            g_wantedPort = v;
        else if (key == "LINE" && v.size() == 1 && v[0] >= '0' && v[0] <= '4')
            g_wantedLine = v[0] - '0';
    }
}

bool SaveConnectionSettings() {
    if (g_settingsFile.empty()) return false;
    auto flag = [](bool b) { return b ? "1" : "0"; };
    std::string s;
    s += std::string("Reconnect=") + flag(g_prefs.reconnect) + "\r\n";
    s += std::string("ResumeAtStart=") + flag(g_prefs.resumeAtStart) + "\r\n";
    s += std::string("AlarmOnLoss=") + flag(g_prefs.alarmOnLoss) + "\r\n";
    s += std::string("Connected=") + flag(g_wanted) + "\r\n";
    s += "Port=" + g_wantedPort + "\r\n";
    s += "Line=" + std::to_string(g_wantedLine) + "\r\n";
    return AtomicWriteFile(g_settingsFile, s);
}

void ConnectionTick() {
    FeedTick();
    ShowBrokerState();
    if (g_inTick || !AppRunning() || !Thread_ES) return;
    // A command waiting for its reply, or a handler at work, finishes first (a dead line ends
    // it within the reply time-out).
    if (Principal.commande_en_cours || TraitementEnCours) return;
    g_inTick = true;
    const uint32_t now = Clock().tickMs();
    switch (g_status.state) {
    case ConnectionState::Identified:
    case ConnectionState::Unrecognised:
    case ConnectionState::Silent:
        if (PortOuvert() && Thread_ES->DefautLigne() != 0) {
            Lose();
        } else if (g_status.state == ConnectionState::Identified && IsVorn(g_status.model) &&
                   TickPassed(now, g_lastLineTick + g_prefs.silenceMs)) {
            GoSilent();
        } else if (g_status.state == ConnectionState::Identified && g_waitNewCount &&
                   LastCountMs() > g_staleCountMs) {
            g_waitNewCount = false;
            Show();
        }
        break;
    case ConnectionState::Reconnecting:
        if (TickPassed(now, g_nextTryTick))
            TryAgain();
        else
            Show(); // the seconds to the next try
        break;
    default:
        break;
    }
    g_inTick = false;
}

bool AppResumeConnection() {
    if (!g_prefs.resumeAtStart || !g_wanted || g_wantedPort.empty()) return false;
    if (AppConnect(g_wantedPort, g_wantedLine)) return true;
    if (g_prefs.reconnect && g_status.state == ConnectionState::NotConnected) {
        // Not there yet: tried again as a lost counter is, and still resumed at the next start.
        g_status.port = g_wantedPort;
        g_status.stablePort = StablePortName(g_wantedPort);
        g_status.line = g_wantedLine;
        g_lostTick = Clock().tickMs();
        g_status.lostAt = Clock().now();
        g_wanted = true;
        Remember();
        Trt_log(GetProgramText(ProgramText::ReconnectingTo) + g_status.stablePort, true);
        ScheduleRetry(kFirstRetryMs);
    }
    return true;
}

void ConnectionStarting(const std::string& port, int32_t line) {
    g_status = ConnectionStatus{};
    g_status.port = port;
    g_status.stablePort = port;
    g_status.line = line;
    g_waitNewCount = false;
    // A new connection starts clean: nothing of the previous counter stays on screen.
    TprincipalModel& p = Principal;
    p.cg_cpm_mn.clear();
    p.cg_sv_H.clear();
    p.cg_tr_moy_cpm.clear();
    p.cg_tr_moy_sv.clear();
    p.enr.clear();
    if (SerieComptageMn) SerieComptageMn->Clear();
    if (SerieComptageSV) SerieComptageSV->Clear();
    if (Thread_ES) {
        // The 24-hour means of the previous counter (main thread; the session only reads them
        // in the handlers, which run here too).
        Thread_ES->Cpt_H_mn.fill(0);
        Thread_ES->Cpt_H_SV.fill(0);
        Thread_ES->I_Cpt_H = 0;
        Thread_ES->Nb_Mn = 0;
        Thread_ES->H24 = false;
    }
    maj_menu_commandes(); // the model is not known yet: identification only
    SetState(ConnectionState::Connecting);
}

void ConnectionFailed() {
    g_status.state = ConnectionState::NotConnected;
    g_wanted = false;
    Remember();
    Show();
}

void ConnectionOpened(bool identified) {
    g_status.stablePort = StablePortName(g_status.port);
    g_lastLineTick = Clock().tickMs();
    if (identified) CopyIdentity();
    g_wanted = true;
    g_wantedPort = g_status.port;
    g_wantedLine = g_status.line;
    Remember();
    SetState(identified ? ConnectionState::Identified : ConnectionState::Unrecognised);
}

void ConnectionClosed() {
    g_status.state = ConnectionState::NotConnected;
    g_waitNewCount = false;
    g_wanted = false;
    Remember();
    Show();
}

void ConnectionLineSeen(bool identification) {
    g_status.lastLine = Clock().now();
    g_lastLineTick = Clock().tickMs();
    if (identification) ++g_identifications;
    if (g_status.state == ConnectionState::Silent) {
        g_status.state = ConnectionState::Identified;
        Show();
    }
}

uint32_t ConnectionIdentifications() {
    return g_identifications;
}

void ConnectionReset() {
    g_status = ConnectionStatus{};
    g_waitNewCount = false;
    g_inTick = false;
    Show();
}

} // namespace zel
