// Counter identity and the files kept per counter.
#include "records/counter.h"

#include <dirent.h>

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "base/numfmt.h"
#include "base/regional.h"
#include "base/text_util.h"
#include "base/textfile.h"
#include "records/capture.h"
#include "scan/scanner.h"
#include "settings/config.h"

namespace zel {
namespace {

// The prefix without touching the configuration.
const char* prefixe(TTypeCompteur V) {
    switch (V) {
    case CVORN2:
        return "VORN2_";
    case CVORN3:
        return "VORN3_";
    case CVORN8:
        return "VORN8_";
    case CVORN9:
        return "VORN9_";
    case CVORN10:
        return "VORN10_";
    case GAMMA_SCOUT1:
        return "GS1_";
    case GAMMA_SCOUT2:
        return "GS2_";
    default:
        return "Unknown_";
    }
}

bool is_known(TTypeCompteur V) {
    return V >= CVORN2 && V <= GAMMA_SCOUT2;
}

// The file name part (after the last directory separator).
std::string file_part(const std::string& Nom) {
    const size_t slash = Nom.find_last_of('/');
    return slash == std::string::npos ? Nom : Nom.substr(slash + 1);
}

// The stem a file name starts with: an identifier, "_", an integer ("VORN3_01234").
bool stem_of(const std::string& Nom, std::string& stem) {
    TAnalSynt V;
    V.SSynt = file_part(Nom);
    std::string id;
    int32_t n;
    if (!(SyntDonneIdent(V, id) && SyntSep(V, '_') && SyntInt(V, n))) return false;
    stem = V.SSynt.substr(0, static_cast<size_t>(V.ISynt - 1));
    return true;
}

// The counter configuration file of a stem in the data directory, found whatever the letter
// case of its name: we write "_Conf.txt", older tools and hand copies may say "_conf.txt".
bool find_conf_file(const std::string& stem, std::string& path) {
    const std::string written = NomFichierConfCompteur(stem);
    if (FileExists(written)) {
        path = written;
        return true;
    }
    const std::string wanted = UpperAscii(stem + "_conf.txt");
    std::vector<std::string> found;
    if (DIR* d = ::opendir(Repertoire_conf.empty() ? "." : Repertoire_conf.c_str())) {
        while (const dirent* e = ::readdir(d))
            if (UpperAscii(e->d_name) == wanted) found.emplace_back(e->d_name);
        ::closedir(d);
    }
    if (found.empty()) return false;
    std::sort(found.begin(), found.end()); // the same choice on every run
    path = Repertoire_conf + found.front();
    return FileExists(path);
}

// Merges `records` into the data file and writes it back. False when the file exists but
// cannot be read (it is then left alone) or cannot be written.
bool merge_into_file(const TCaptureList& records, const std::string& path) {
    TCaptureList file;
    if (FileExists(path) && !file.load(path)) return false;
    CombineCSV(records, file);
    return file.save(path);
}

bool save_counter_files(const TCaptureList& records, const std::string& suffix, std::string& Nom) {
    const std::string stem = RacineCompteurConnecte();
    Nom = Repertoire_conf + stem;
    bool ok = true;
    const std::string data = Repertoire_conf + stem + suffix;
    if (!merge_into_file(records, data)) {
        Nom = data;
        ok = false;
    }
    const std::string conf = NomFichierConfCompteur(stem);
    if (!SauveConfCompteur(conf, Fichier_conf.type_compteur_Capture,
                           Fichier_conf.conversion_sievert_capture)) {
        // When both fail, the data file is the one worth naming.
        if (ok) Nom = conf;
        ok = false;
    }
    return ok;
}

} // namespace

std::string DonnePrefixe(TTypeCompteur V) {
    if (!is_known(V)) Fichier_conf.Serial_Compteur = 0;
    return prefixe(V);
}

TTypeCompteur DonneCompteur(const std::string& S) {
    const std::string n = UpperAscii(TrimControl(S));
    if (n == "VORN2") return CVORN2;
    if (n == "VORN3" || n == "VORN4" || n == "VORN5" || n == "VORN6") return CVORN3;
    if (n == "VORN8") return CVORN8;
    if (n == "VORN9") return CVORN9;
    if (n == "VORN10") return CVORN10;
    if (n == "GS1") return GAMMA_SCOUT1;
    if (n == "GS2") return GAMMA_SCOUT2;
    return Unknown;
}

std::string RacineCompteur(const std::string& Prefixe, uint32_t Serial) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%05u", static_cast<unsigned>(Serial));
    return Prefixe + digits;
}

std::string RacineCompteurConnecte() {
    // The prefix first: it resets the serial number of an unidentified counter.
    const std::string p = DonnePrefixe(Fichier_conf.type_compteur_Capture);
    return RacineCompteur(p, Fichier_conf.Serial_Compteur);
}

std::string NomFichierCapture(const std::string& Racine) {
    return Repertoire_conf + Racine + ".txt";
}
std::string NomFichierDownLoad(const std::string& Racine) {
    return Repertoire_conf + Racine + "_DL.txt";
}
std::string NomFichierConfCompteur(const std::string& Racine) {
    return Repertoire_conf + Racine + "_Conf.txt";
}

bool LireConfCompteur(const std::string& Nom, double& FC, TTypeCompteur& Compteur) {
    FC = Conversion_Sievert_LND712;
    Compteur = NotInitialized;
    std::string stem, path;
    if (!stem_of(Nom, stem) || !find_conf_file(stem, path)) return false;
    TextList lines;
    if (!LoadTextFile(path, lines)) return false;
    for (const auto& l : lines) {
        TAnalSynt V;
        V.SSynt = l;
        SyntInit(V);
        double r;
        std::string id;
        if (SyntIdent(V, "ConvSievert")) {
            if (SyntSep(V, '=') && SyntReal(V, r) && r > 0) FC = r;
        } else if (SyntIdent(V, "CGM")) {
            if (SyntSep(V, '=') && SyntDonneIdent(V, id)) Compteur = DonneCompteur(id);
        }
    }
    return true;
}

std::string CounterConfFileFor(const std::string& Nom) {
    std::string stem;
    return stem_of(Nom, stem) ? NomFichierConfCompteur(stem) : std::string();
}

namespace {

// Five decimals, or as many more as the factor needs to read back as itself (0.0081208, the
// factor of a Gamma Scout's report, would otherwise come back as 0.00812).
std::string TexteFacteur(double FC) {
    for (int decimals = 5; decimals < 12; ++decimals) {
        const std::string t = FloatToStrFixed(FC, 7, decimals);
        double back = 0;
        const auto r = std::from_chars(t.data(), t.data() + t.size(), back);
        if (r.ec == std::errc() && back == FC) return t;
    }
    return FloatToStrFixed(FC, 7, 12);
}

} // namespace

bool SauveConfCompteur(const std::string& NomFichier, TTypeCompteur Compteur, double FC) {
    const RegionalSettings& reg = Regional();
    const TextList lines = {
        "DateModif=" + FormatDateTime("YYYY/MM/DD HH:NN:SS", Now(), reg.date_sep, reg.time_sep),
        std::string("CGM=") + prefixe(Compteur),
        "ConvSievert=" + TexteFacteur(FC),
    };
    return SaveTextFile(NomFichier, lines);
}

bool SauveCaptureCompteur(std::string& Nom) {
    Nom.clear();
    if (F_Capture.empty()) return true;
    return save_counter_files(F_Capture, ".txt", Nom);
}

bool SauveDownLoadCompteur(std::string& Nom) {
    Nom.clear();
    return save_counter_files(F_DownLoad, "_DL.txt", Nom);
}

} // namespace zel
