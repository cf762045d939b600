#pragma once
// The journal, the count alarm and a few small services several windows share.
#include <cstdint>
#include <string>

#include "base/textfile.h"

namespace zel {

// The journal lines ("YYYY/MM/DD HH:NN - message"), newest last, at most MaxLog. Main thread.
extern TextList F_Log;

// Journals one message: a dated line in F_Log and "-> " (host to counter, or an action of the
// program) or "<- " (a reply) plus the message in the status box. Callable from any thread:
// from another thread it is queued to the main thread and the caller does not wait.
void Trt_log(const std::string& M, bool HostToCounter);

// Loads / writes the journal file Repertoire_conf + "cg_log.txt" (written atomically).
bool ChargeJournal();
bool SauveJournal();

// True from the raising of an alarm to its acknowledgement. Main thread.
extern bool Alarme_en_cours;

// One count per minute against the threshold; raises the alarm once (blinking pictures,
// looping sound when enabled and found). A negative count raises it too.
void Check_Alarme(int32_t Valeur);
// The stop-alarm action: nothing unless an alarm is raised.
void StopAlarm();
// One tick of the blink timer: swaps the pictures and sets the next interval (ms), returned.
int FlipTimerTick();

// Clears bit 7 of every character, in place.
void SupprimeParite(std::string& S);

// Index of the first entry equal to Chaine ignoring the case of a..z, or -1.
int32_t Cherche_ListBox(const std::string& Chaine, const TextList& ListBox);

// A save-file dialog as the windows use it.
struct TSaveDialog {
    std::string Title;
    std::string InitialDir;
    std::string Filter;
    std::string FileName;        // chosen file, full name
    bool OverwritePrompt = true; // ask before replacing an existing file
};

// Runs the dialog with our own overwrite question (Overwrite1 / Overwrite2, No by default).
// True when the user chose a file (in D.FileName); false when cancelled.
bool ThemeSafeLaunchSaveDialog(TSaveDialog& D);

} // namespace zel
