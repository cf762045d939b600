#pragma once
// What the program knows of its counter connection, and what it does on its own about it: a
// lost line is reopened with a growing delay, a counter that stops talking is shown as silent,
// and a connection left open at close is taken up again at the next start. Both front ends (and
// anything that publishes the counter's values) read the state here; they call ConnectionTick()
// a few times a second so that time-outs and retries happen. Main thread only.
#include <cstdint>
#include <string>

#include "base/datetime.h"
#include "settings/counter_type.h"

namespace zel {

enum class ConnectionState : uint8_t {
    NotConnected, // no port, or the user closed it
    Connecting,   // port opened, the counter asked who it is
    Identified,   // model and serial number known, the line alive
    Unrecognised, // port open, nothing identified on it
    Silent,       // identified, but no line for longer than its reporting period allows
    Lost,         // the line failed; the port is closed
    Reconnecting, // lost, and the port is tried again with a growing delay
};

struct ConnectionStatus {
    ConnectionState state = ConnectionState::NotConnected;
    std::string port;       // the port as the user chose it
    std::string stablePort; // the name reopened after a loss (a /dev/serial/by-id name if any)
    int32_t line = 1;       // the line setting (PortCom)
    TTypeCompteur model = NotInitialized;
    uint32_t serial = 0;
    TDateTime lastLine = 0;    // local time of the last line received, 0 before any
    TDateTime lostAt = 0;      // when the line failed
    uint32_t retryDelayMs = 0; // Reconnecting: the wait before the next try
};

const ConnectionStatus& Connection();

// The state in words for the window: "Compteur VORN8 n° 00561", "Compteur perdu : /dev/ttyUSB0
// - Dernière mesure à 14:32" ...; "" when not connected.
std::string ConnectionStateText();

// Settings of the connection, kept in their own file in the data directory.
struct ConnectionSettings {
    bool reconnect = true;     // reopen a lost port without the user
    bool resumeAtStart = true; // connect again at start when closed while connected
    bool alarmOnLoss = false;  // the count alarm (when armed) also sounds for a lost counter
    // No line for this long from a counter that sends a count every minute: three missed
    // minutes. Counters that send nothing unprompted are never silent, only lost.
    uint32_t silenceMs = 3 * 60 * 1000;
    // Only the desktop program remembers its connection for the next start; zelvanor-cli is
    // given its port and must not change what the desktop resumes.
    bool remember = false;
};
ConnectionSettings& ConnectionPrefs();
// The file of these settings and of the connection to resume ("" before start-up).
std::string ConnectionSettingsFile();
// Read at start-up (defaults when the file is missing or unreadable); written atomically.
void LoadConnectionSettings();
bool SaveConnectionSettings();

// Time-outs and retries: call every few hundred milliseconds on the main thread.
void ConnectionTick();

// At start, after the window is shown: connects again to the port and line setting in use when
// the program was closed, if the settings ask for it. A port that does not open yet (an adapter
// still waking after a power cut) is retried as after a loss. True when a connection was tried.
bool AppResumeConnection();

// ---- Used by the connection dialog's logic and the session's link (app/) ----------------------

// The dialog starts a connection: the previous counter's live values, charts and title go.
void ConnectionStarting(const std::string& port, int32_t line);
// The open failed.
void ConnectionFailed();
// The port is open; `identified`: the counter answered with its identity.
void ConnectionOpened(bool identified);
// The user closed the port.
void ConnectionClosed();
// A non-empty line reached the dispatcher; `identification`: it was an identity reply.
void ConnectionLineSeen(bool identification);
// Identity replies taken since start: tells whether a question was answered.
uint32_t ConnectionIdentifications();
// Forgets everything (start-up, shutdown); the title names no counter.
void ConnectionReset();
// Asks the counter on the open port who it is and completes the set-up of its family (PC mode
// of a Gamma Scout, a VORN's factor). True when a model is known afterwards. `tellUnknown`:
// journal an unanswered question (the dialog does; a retry after a loss does not).
bool IdentifyCounter(bool tellUnknown);

} // namespace zel
