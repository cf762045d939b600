#pragma once
// Texts the program added beside its program messages: the connection state, reconnection and
// the preferences that go with them. French built in; a language file replaces any of them by
// number in its section "Textes", and a text it lacks stays French (a file written before the
// text existed still loads).
#include <cstdint>
#include <string>

namespace zel {

// The numbers are those of the language file's section "Textes": never renumber, only append.
enum class ProgramText : int32_t {
    Connecting = 1,            // "Connexion en cours"
    Identified = 2,            // "Compteur " + model + " n° " + serial
    CounterSilentSince = 3,    // + time of the last line
    CounterLost = 4,           // + port
    ReconnectingTo = 5,        // + port
    NextTryIn = 6,             // + seconds + " s"
    ReconnectedAfter = 7,      // + seconds + " s"
    LastCountAt = 8,           // + time of the last count
    PrefReconnect = 9,         // preference: reconnect by itself
    PrefResume = 10,           // preference: connect again at start
    PrefAlarmOnLoss = 11,      // preference: the count alarm also sounds for a lost counter
    PrefConnection = 12,       // title of the preferences' connection group
    StopAlarmHint = 13,        // shown while the alarm blinks
    MqttConnectedTo = 14,      // + broker URL
    MqttBrokerLost = 15,       // + broker URL + reason
    MqttBrokerBack = 16,       // + broker URL
    MqttCountsDropped = 17,    // + number
    MqttCountsUnsent = 18,     // + number
    MqttHostUnknown = 19,      // reason
    MqttBadCredentials = 20,   // reason
    MqttNotAuthorised = 21,    // reason
    MqttRefusedCode = 22,      // reason + code
    MqttTlsFailed = 23,        // reason
    MqttNoAnswer = 24,         // reason
    MqttConnectionLost = 25,   // reason
    PrefNetwork = 26,          // preferences: the network page
    PrefMqttEnabled = 27,      // preference
    PrefMqttUrl = 28,          // preference
    PrefMqttUser = 29,         // preference
    PrefMqttPassword = 30,     // preference
    PrefMqttSavePassword = 31, // preference
    PrefMqttCa = 32,           // preference
    PrefMqttPrefix = 33,       // preference
    PrefMqttDiscovery = 34,    // preference
    PrefMqttHaPrefix = 35,     // preference
    PrefMqttTest = 36,         // preference: the test button
    MqttTesting = 37,          // test under way
    MqttTestOk = 38,           // + broker URL
    MqttTestFailed = 39,       // + reason
    MqttStateConnected = 40,   // status bar
    MqttStateConnecting = 41,  // status bar
    MqttStateUnreachable = 42, // status bar
    CopyChart = 43,            // menus and the charts' context menu
    SaveChartAs = 44,
    ExportRecords = 45,
    ChartSaved = 46,           // + file name
    RecordsExported = 47,      // + number + file name
    FileNotWritten = 48,       // + file name
    AxisPercentOfRecords = 49, // Y axis of the distribution
    AxisCountsPerMinute = 50,  // X axis of the distribution
    AxisDoseRate = 51,         // X axis of the distribution
    RecordsSpan = 52,          // label of the statistics page
    SpanFrom = 53,             // number + this + first date
    SpanTo = 54,               // + last date
    HelpNotOpened = 55,        // + path
    HelpMissing = 56,          // + path
    ReportMenu = 57,           // Counter menu
    ReportSaveAs = 58,         // report viewer
    ReportClose = 59,          // report viewer
    ReportWritten = 60,        // journal, + file name
    NoReport = 61,
    PrefGeneral = 62,         // preferences: the general page
    PrefOpenDataDir = 63,     // preference: the button that opens the data directory
    ClosingStopsCommand = 64, // journal, closing during a command
    DownloadCutShort = 65,    // journal, + number of lines received
};

// The text in the loaded language, or the built-in French one. Main thread.
std::string GetProgramText(ProgramText t);

} // namespace zel
