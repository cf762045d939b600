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
    Connecting = 1,         // "Connexion en cours"
    Identified = 2,         // "Compteur " + model + " n° " + serial
    CounterSilentSince = 3, // + time of the last line
    CounterLost = 4,        // + port
    ReconnectingTo = 5,     // + port
    NextTryIn = 6,          // + seconds + " s"
    ReconnectedAfter = 7,   // + seconds + " s"
    LastCountAt = 8,        // + time of the last count
    PrefReconnect = 9,      // preference: reconnect by itself
    PrefResume = 10,        // preference: connect again at start
    PrefAlarmOnLoss = 11,   // preference: the count alarm also sounds for a lost counter
    PrefConnection = 12,    // title of the preferences' connection group
    StopAlarmHint = 13,     // shown while the alarm blinks
};

// The text in the loaded language, or the built-in French one. Main thread.
std::string GetProgramText(ProgramText t);

} // namespace zel
