// The preferences dialog: language, alarm sound, the connection and the network page.
#include <dirent.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/connection_state.h"
#include "app/mqtt_settings.h"
#include "app/session_link.h"
#include "base/directories.h"
#include "base/ports.h"
#include "base/text_util.h"
#include "model/model.h"
#include "settings/config.h"
#include "settings/journal.h"
#include "settings/language.h"

namespace zel {

namespace {

// Every occurrence of the extension removed, in any case.
std::string SansExtension(std::string name, const std::string& ext) {
    const std::string up = UpperAscii(ext);
    for (size_t p = 0; (p = UpperAscii(name).find(up, p)) != std::string::npos;)
        name.erase(p, ext.size());
    return name;
}

// The names of the files of `dirs` ending in `ext` (any case), in directory order; a name seen
// in an earlier directory (the user's) hides the same name in a later one (the installed).
std::vector<std::string> Fichiers(const std::vector<std::string>& dirs, const std::string& ext) {
    std::vector<std::string> out;
    const std::string up = UpperAscii(ext);
    for (const auto& dir : dirs) {
        DIR* d = opendir(dir.empty() ? "." : dir.c_str());
        if (!d) continue;
        while (dirent* e = readdir(d)) {
            const std::string n = e->d_name;
            if (n.size() <= ext.size() || UpperAscii(n.substr(n.size() - ext.size())) != up)
                continue;
            if (std::find(out.begin(), out.end(), n) == out.end()) out.push_back(n);
        }
        closedir(d);
    }
    return out;
}

std::string Selection(const std::vector<std::string>& list, int index) {
    return index >= 0 && index < static_cast<int>(list.size()) ? list[index] : std::string();
}

} // namespace

void PreferenceFormCreate() {
    TPreferenceModel& m = cg_preference;
    m.cg_pref_langue.clear();
    for (const auto& f : Fichiers(LanguageDirs(), ".txt")) {
        std::string entry = TrimControl(SansExtension(f, ".txt"));
        for (auto& c : entry) {
            if (c == ' ') break;
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        }
        m.cg_pref_langue.push_back(entry);
    }
    // French is built in: it stays on offer, so there is a way back, even without its file.
    bool french = false;
    for (const auto& e : m.cg_pref_langue)
        french = french || ExtractLangueString(e) == BuiltInLanguageCode;
    if (!french) m.cg_pref_langue.push_back(BuiltInLanguageEntry);
    ChangeLanguePreference();
    m.cg_liste_alarme.clear();
    for (const auto& f : Fichiers(SoundDirs(), ".wav"))
        m.cg_liste_alarme.push_back(TrimControl(SansExtension(f, ".wav")));
    ModelChanged(ModelWindow::Preferences);
}

void PreferenceFormShow() {
    TPreferenceModel& m = cg_preference;
    m.LangueSelectionne = Fichier_conf.Langue;
    const std::string code = UpperAscii(Fichier_conf.Langue);
    for (size_t i = 0; i < m.cg_pref_langue.size(); ++i)
        if (UpperAscii(m.cg_pref_langue[i]).find(code) != std::string::npos) {
            m.cg_pref_langue_index = static_cast<int>(i);
            break;
        }
    m.cg_pref_rep = Repertoire_conf;
    m.cg_liste_alarme_index = Cherche_ListBox(Fichier_conf.Fichier_alarme, m.cg_liste_alarme);
    const ConnectionSettings& c = ConnectionPrefs();
    m.reconnect = c.reconnect;
    m.resume_at_start = c.resumeAtStart;
    m.alarm_on_loss = c.alarmOnLoss;
    NetworkPageShow();
    ModelChanged(ModelWindow::Preferences);
}

void cg_pref_langueChange(int32_t index) {
    TPreferenceModel& m = cg_preference;
    m.cg_pref_langue_index = index;
    m.LangueSelectionne = ExtractLangueString(Selection(m.cg_pref_langue, index));
}

void cg_alarme_listeChange(int32_t index) {
    cg_preference.cg_liste_alarme_index = index;
}

bool cg_pref_OKClick() {
    TPreferenceModel& m = cg_preference;
    // A broker address that does not read keeps the dialog open, with the reason on its page.
    if (!NetworkPageOK()) return false;
    if (m.LangueSelectionne != Fichier_conf.Langue) {
        const std::string entry = Selection(m.cg_pref_langue, m.cg_pref_langue_index);
        bool loaded = ChargeFichierLangue(entry);
        if (!loaded && ExtractLangueString(entry) == BuiltInLanguageCode) {
            UseBuiltInTexts();
            loaded = true;
        }
        if (loaded) {
            Fichier_conf.Langue = ExtractLangueString(entry);
            ChangeLanguePreference();
            ChangeLangue();
            ChangeLangueAPropos();
            ChangeLangueParamGS();
            ChangeLangueParamVORN();
            ChangeLangueConnexion();
            Fichier_conf.Langue = m.LangueSelectionne;
            UpdateSessionContext();
        }
    }
    Fichier_conf.Fichier_alarme = Selection(m.cg_liste_alarme, m.cg_liste_alarme_index);
    // Written at once: a station that loses power keeps what the user chose.
    ConnectionSettings& c = ConnectionPrefs();
    c.reconnect = m.reconnect;
    c.resumeAtStart = m.resume_at_start;
    c.alarmOnLoss = m.alarm_on_loss;
    if (c.remember) SaveConnectionSettings();
    return true;
}

void cg_test_alarmeClick() {
    const TPreferenceModel& m = cg_preference;
    const std::string son = Selection(m.cg_liste_alarme, m.cg_liste_alarme_index);
    if (son.empty()) return;
    const std::string wav = FindFileIn(SoundDirs(), son + ".wav");
    if (!wav.empty()) Sound().play(wav, false);
}

void cg_stop_alarmeClick() {
    Sound().stop();
}

void cg_pref_open_dirClick() {
    Links().openUrl(FileUrl(cg_preference.cg_pref_rep));
}

} // namespace zel
