#include "settings/config.h"

#include <algorithm>

#include "base/directories.h"
#include "base/ports.h"
#include "base/regional.h"
#include "base/text_util.h"
#include "base/textfile.h"
#include "scan/scanner.h"
#include "settings/language.h"

namespace zel {

std::string Repertoire_conf;
std::string Repertoire_son;
std::string Repertoire_langues;
std::string InstalledSoundDir;
std::string InstalledLanguageDir;
type_fichier_conf Fichier_conf;

std::vector<std::string> SoundDirs() {
    return SearchDirs(Repertoire_son, InstalledSoundDir);
}

std::vector<std::string> LanguageDirs() {
    return SearchDirs(Repertoire_langues, InstalledLanguageDir);
}

namespace {

const char* const kConfFile = "cg_conf.txt";

// The comment written after each line setting number.
const char* const kComComments[] = {
    " (19200bps, 8bits, 1 stop, Parity none)",  " (9600bps, 8bits, 1 stop, Parity none)",
    " (2400bps, 7bits, 1 stop, Parity even)",   " (9600bps, 7bits, 1 stop, Parity even)",
    " (460800bps, 7bits, 1 stop, Parity even)",
};
constexpr int kComChoices = 5;

// "key =" at the start of the line, the key as a whole word in any case. On success the cursor
// stands after the "=".
bool ReadKey(TAnalSynt& V, const char* key) {
    V.ISynt = 1;
    if (!SyntIdent(V, key)) return false;
    SyntSkipBlank(V);
    if (V.ISynt > static_cast<int32_t>(V.SSynt.size()) || V.SSynt[V.ISynt - 1] != '=') return false;
    ++V.ISynt;
    return true;
}

bool ReadBool(TAnalSynt& V, bool& b) {
    const int32_t at = V.ISynt;
    if (SyntIdent(V, "True")) {
        b = true;
        return true;
    }
    V.ISynt = at;
    if (SyntIdent(V, "False")) {
        b = false;
        return true;
    }
    return false;
}

// A date written year first. Our own files carry the user's date separator, so "/", "." and
// "-" are all taken, as everywhere else dates are read. A time of day is allowed.
bool ReadDate(const std::string& text, TDateTime& t) {
    for (const std::string& candidate : {text, text + " 00:00"}) {
        TAnalSynt V;
        V.SSynt = candidate;
        SyntInit(V);
        TDateTime d = 0;
        if (SyntDateTime(V, d, 1) && SyntEnd(V)) {
            t = d;
            return true;
        }
    }
    return false;
}

// A window date; what does not read as one (or reads as 0) is replaced by `now`.
TDateTime ReadWindowDate(const TAnalSynt& V, TDateTime now) {
    TDateTime d = 0;
    if (!ReadDate(TrimControl(SyntRest(V)), d) || d == 0) return now;
    return d;
}

} // namespace

std::string FichierConf() {
    return Repertoire_conf + kConfFile;
}

bool LireConf() {
    std::string lang, fallback;
    GetLanguageIDs(lang, fallback);

    type_fichier_conf c;
    c.Langue = UpperAscii(fallback);
    c.date_deb = Clock().now();
    c.date_fin = IncSecond(c.date_deb, 23 * 3600 + 59 * 60 + 59);
    const TDateTime now = c.date_deb;
    Fichier_conf = c;
    type_fichier_conf& f = Fichier_conf;

    const std::string path = FichierConf();
    if (!FileExists(path)) return true;

    bool ok = true;
    TextList lines;
    if (!LoadTextFile(path, lines)) {
        ok = false;
        lines.clear();
    }
    TAnalSynt V;
    for (const auto& line : lines) {
        V.SSynt = line;
        SyntInit(V);
        if (ReadKey(V, "Langue")) {
            // Codes are upper case everywhere else ("FR"); a hand-written "fr" means the same.
            f.Langue = UpperAscii(TrimControl(SyntRest(V)));
        } else if (ReadKey(V, "FichierSon")) {
            // A sound is a file of the sounds directory: a name with a directory in it
            // would play whatever file it points to, so it is not taken.
            const std::string son = TrimControl(SyntRest(V));
            if (son.find('/') == std::string::npos) f.Fichier_alarme = son;
        } else if (ReadKey(V, "FichierCSV")) {
            f.Fichier_CSV = TrimControl(SyntRest(V));
        } else if (ReadKey(V, "NomCom")) {
            f.NomCom = TrimControl(SyntRest(V));
        } else if (ReadKey(V, "SeuilAlarme")) {
            int32_t n = 0;
            if (SyntInt(V, n)) f.alerte_comptage = n;
        } else if (ReadKey(V, "AlarmeActive")) {
            ReadBool(V, f.alerte_active);
        } else if (ReadKey(V, "AlarmeSonore")) {
            ReadBool(V, f.alerte_sonore);
        } else if (ReadKey(V, "AffCPM")) {
            ReadBool(V, f.tab_CPM);
        } else if (ReadKey(V, "DateDeb")) {
            f.date_deb = ReadWindowDate(V, now);
        } else if (ReadKey(V, "DateFin")) {
            f.date_fin = ReadWindowDate(V, now);
        } else if (ReadKey(V, "Source")) {
            f.Source = SyntIdent(V, "Fichier") ? 0 : 1;
        } else if (ReadKey(V, "Com")) {
            uint32_t n = 0;
            // A digit run the scanner refuses is beyond 32 bits, so above 255 as well.
            const bool digits = SyntChar(V) >= '0' && SyntChar(V) <= '9';
            if (SyntWord(V, n) ? n > 255 : digits) {
                ok = false;
                break;
            }
            if (digits) f.PortCom = static_cast<uint8_t>(n);
        }
    }

    if (f.date_deb > f.date_fin) std::swap(f.date_deb, f.date_fin);

    std::string name;
    if (FindLanguageFile(f.Langue, name)) ChargeFichierLangue(name);
    return ok;
}

bool SauveConf() {
    const type_fichier_conf& f = Fichier_conf;
    const char sep = Regional().date_sep;
    auto yesno = [](bool b) { return b ? "True" : "False"; };
    TextList lines;
    lines.push_back("Langue=" + f.Langue);
    lines.push_back("SeuilAlarme=" + std::to_string(f.alerte_comptage));
    lines.push_back(std::string("AlarmeActive=") + yesno(f.alerte_active));
    lines.push_back(std::string("AlarmeSonore=") + yesno(f.alerte_sonore));
    lines.push_back("FichierSon=" + f.Fichier_alarme);
    lines.push_back(std::string("AffCPM=") + yesno(f.tab_CPM));
    lines.push_back("FichierCSV=" + f.Fichier_CSV);
    lines.push_back("DateDeb=" + FormatDateTime("YYYY/MM/DD", f.date_deb, sep));
    lines.push_back("DateFin=" + FormatDateTime("YYYY/MM/DD", f.date_fin, sep));
    if (f.PortCom < kComChoices)
        lines.push_back("Com=" + std::to_string(f.PortCom) + kComComments[f.PortCom]);
    lines.push_back(std::string("Source=") + (f.Source != 0 ? "Capture" : "Fichier"));
    lines.push_back("NomCom=" + f.NomCom);
    try {
        return SaveTextFile(FichierConf(), lines);
    } catch (...) {
        return false;
    }
}

} // namespace zel
