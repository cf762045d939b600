#include "settings/journal.h"

#include "base/directories.h"
#include "base/ports.h"
#include "base/regional.h"
#include "base/text_util.h"
#include "model/model.h"
#include "settings/config.h"
#include "settings/messages.h"

namespace zel {

TextList F_Log;
bool Alarme_en_cours = false;

namespace {

const char* const kLogFile = "cg_log.txt";

// The main-thread half of Trt_log; the date is taken now, not when a message was queued.
void AddJournalLine(const std::string& M, bool HostToCounter) {
    const RegionalSettings& r = Regional();
    F_Log.push_back(FormatDateTime("YYYY/MM/DD HH:NN", Clock().now(), r.date_sep, r.time_sep) +
                    " - " + M);
    if (F_Log.size() > static_cast<size_t>(MaxLog))
        F_Log.erase(F_Log.begin(), F_Log.end() - MaxLog);
    Principal.cg_info_status.push_back((HostToCounter ? "-> " : "<- ") + M);
    ModelChanged(ModelWindow::Main);
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    return true;
}

// Overwrite1 with the file name in place of "%s". Done by hand: a translated text is not a
// format string we may trust.
std::string OverwriteQuestion(const std::string& file) {
    std::string q = GetMessagePgm(Overwrite1);
    const auto p = q.find("%s");
    if (p != std::string::npos) q.replace(p, 2, file);
    return q + "\n\n" + GetMessagePgm(Overwrite2);
}

} // namespace

void Trt_log(const std::string& M, bool HostToCounter) {
    if (M.empty()) return;
    MainThreadPort& main = MainThread();
    if (!main.isMainThread()) {
        // Never wait for the windows from the session thread.
        main.postToMain([M, HostToCounter] { AddJournalLine(M, HostToCounter); });
        return;
    }
    AddJournalLine(M, HostToCounter);
}

bool ChargeJournal() {
    const std::string path = Repertoire_conf + kLogFile;
    F_Log.clear();
    if (!FileExists(path)) return true;
    return LoadTextFile(path, F_Log);
}

bool SauveJournal() {
    return SaveTextFile(Repertoire_conf + kLogFile, F_Log);
}

void Check_Alarme(int32_t Valeur) {
    if (!Fichier_conf.alerte_active || Alarme_en_cours) return;
    // A negative count is not a valid reading: it raises the alarm rather than hiding one.
    if (Valeur >= 0 && Valeur < Fichier_conf.alerte_comptage) return;

    Alarme_en_cours = true;
    TprincipalModel& p = Principal;
    p.FlipTimer_interval = 1000;
    p.cg_ra_a_visible = false;
    p.FlipTimer_enabled = true;
    p.alarm_hints = true;
    if (Fichier_conf.alerte_sonore) {
        const std::string wav = FindFileIn(SoundDirs(), Fichier_conf.Fichier_alarme + ".wav");
        if (!wav.empty()) Sound().play(wav, true);
    }
    ModelChanged(ModelWindow::Main);
}

void StopAlarm() {
    if (!Alarme_en_cours) return;
    Sound().stop();
    Alarme_en_cours = false;
    TprincipalModel& p = Principal;
    p.FlipTimer_enabled = false;
    p.cg_ra_a_visible = false;
    p.cg_ra_i_visible = true;
    p.alarm_hints = false;
    ModelChanged(ModelWindow::Main);
}

int FlipTimerTick() {
    TprincipalModel& p = Principal;
    // The raised picture shows for a second, the idle one for a fifth of a second.
    const bool show = !p.cg_ra_a_visible;
    p.cg_ra_a_visible = show;
    p.cg_ra_i_visible = !show;
    p.FlipTimer_interval = show ? 1000 : 200;
    ModelChanged(ModelWindow::Main);
    return p.FlipTimer_interval;
}

void SupprimeParite(std::string& S) {
    for (auto& c : S)
        c = static_cast<char>(static_cast<unsigned char>(c) & 0x7F);
}

int32_t Cherche_ListBox(const std::string& Chaine, const TextList& ListBox) {
    for (size_t i = 0; i < ListBox.size(); ++i)
        if (SameIgnoringCase(Chaine, ListBox[i])) return static_cast<int32_t>(i);
    return -1;
}

bool ThemeSafeLaunchSaveDialog(TSaveDialog& D) {
    DialogPort& dlg = Dialogs();
    if (!D.OverwritePrompt) return dlg.saveFile(D.Title, D.InitialDir, D.Filter, D.FileName);
    // The dialog's own question is off while it runs; we ask ours.
    for (;;) {
        if (!dlg.saveFileNoConfirm(D.Title, D.InitialDir, D.Filter, D.FileName)) return false;
        if (!FileExists(D.FileName)) return true;
        if (dlg.yesNo(OverwriteQuestion(D.FileName))) return true;
        D.FileName.clear();
    }
}

} // namespace zel
