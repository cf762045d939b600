#include "settings/language.h"

#include <algorithm>
#include <dirent.h>
#include <mutex>

#include "base/regional.h"
#include "base/text_util.h"
#include "scan/scanner.h"
#include "settings/config.h"
#include "settings/messages.h"
#include "settings/messages_lock.h"

namespace zel {

TextList F_Langue;
const char* const BuiltInLanguageCode = "FR";
const char* const BuiltInLanguageEntry = "FR Français";

namespace {

struct SectionName {
    TFenetre fenetre;
    const char* name;
};
const SectionName kSections[] = {
    {messages, "Messages"},
    {FenetrePrincipal, "Principal"},
    {FenetrePreference, "Preferences"},
    {FenetreConnexion, "Connexion"},
    {FenetreAPropos, "APropos"},
    {FenetreParamVORN, "ParametreVORN"},
    {FenetreParamGS, "ParametreGS"},
    {TextesProgramme, "Textes"},
    {TextesCartes, "Cartes"},
};

bool SameIgnoringCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    return i == a.size() && !b[i];
}

enum class LineKind { Comment, Section, UnknownSection, Other };

// Classifies a scanned (SyntInit-ed) line; for a section line, `section` receives its window.
LineKind Classify(TAnalSynt& V, TFenetre& section) {
    if (V.SSynt.empty() || V.SSynt[0] == '*') return LineKind::Comment;
    const int32_t start = V.ISynt;
    if (SyntIdent(V, "Section")) {
        std::string name;
        if (SyntDonneIdent(V, name)) {
            for (const auto& s : kSections) {
                if (SameIgnoringCase(name, s.name)) {
                    section = s.fenetre;
                    return LineKind::Section;
                }
            }
        }
        return LineKind::UnknownSection;
    }
    V.ISynt = start;
    return LineKind::Other;
}

// number "," 'text'
bool ReadTextLine(TAnalSynt& V, int32_t& numero, std::string& text) {
    return SyntInt(V, numero) && SyntSep(V, ',') && SyntText(V, text);
}

// The names of the files of `dir` ending in ".txt" in any case, sorted.
TextList TextFileNames(const std::string& dir) {
    TextList out;
    DIR* d = opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return out;
    while (const dirent* e = readdir(d)) {
        const std::string n = e->d_name;
        if (n.size() < 4 || UpperAscii(n.substr(n.size() - 4)) != ".TXT") continue;
        if (!FileExists(dir + n)) continue;
        out.push_back(n);
    }
    closedir(d);
    std::sort(out.begin(), out.end());
    return out;
}

// The language files of every language directory, sorted; the user's copy of a file hides the
// installed one of the same name.
TextList LanguageFileNames() {
    TextList out;
    for (const auto& dir : LanguageDirs())
        for (auto& n : TextFileNames(dir))
            if (std::find(out.begin(), out.end(), n) == out.end()) out.push_back(std::move(n));
    std::sort(out.begin(), out.end());
    return out;
}

// The file of Nom + ".txt", the user's directory first: the exact name when it exists, otherwise
// the first that differs only in letter case (the list shows "FR Français" for
// "fr Français.txt" or "FR Français.TXT").
std::string LanguageFilePath(const std::string& Nom) {
    const std::vector<std::string> dirs = LanguageDirs();
    const std::string wanted = UpperAscii(Nom + ".txt");
    for (const auto& dir : dirs) {
        const std::string exact = dir + Nom + ".txt";
        if (FileExists(exact)) return exact;
        for (const auto& n : TextFileNames(dir))
            if (UpperAscii(n) == wanted) return dir + n;
    }
    return dirs.front() + Nom + ".txt";
}

} // namespace

bool FindLanguageFile(const std::string& code, std::string& name) {
    const std::string up = UpperAscii(code);
    const TextList files = LanguageFileNames();
    // A file whose code is the configured one wins over one whose name merely starts with it.
    const std::string* found = nullptr;
    for (const auto& n : files) {
        if (UpperAscii(n).compare(0, up.size(), up) != 0) continue;
        if (ExtractLangueString(n.substr(0, n.size() - 4)) == up) {
            found = &n;
            break;
        }
        if (!found) found = &n;
    }
    if (!found) return false;
    name = *found;
    // ".txt" goes wherever it stands, in any case.
    for (size_t p = 0; (p = UpperAscii(name).find(".TXT", p)) != std::string::npos;)
        name.erase(p, 4);
    return true;
}

bool ChargeFichierLangue(const std::string& Nom) {
    const std::string path = LanguageFilePath(Nom);
    auto clearMessages = [] {
        std::lock_guard<std::mutex> lock(MessagesMutex());
        F_Erreur.clear();
    };
    try {
        TextList lines;
        if (!FileExists(path) || !LoadTextFile(path, lines)) {
            clearMessages();
            return false;
        }
        TextList msgs, windows;
        TFenetre current = NonInitialise;
        bool ok = true;
        TAnalSynt V;
        for (const auto& line : lines) {
            V.SSynt = line;
            SyntInit(V);
            TFenetre section = NonInitialise;
            const LineKind kind = Classify(V, section);
            if (kind == LineKind::Comment) continue;
            if (kind == LineKind::Section) {
                // Window sections keep their heading so that lookups can find them again.
                if (section != messages && section != current) windows.push_back(line);
                current = section;
                continue;
            }
            if (kind == LineKind::UnknownSection) {
                ok = false;
                break;
            }
            int32_t numero = 0;
            std::string text;
            if (!ReadTextLine(V, numero, text)) {
                ok = false;
                break;
            }
            if (current == messages)
                msgs.push_back(std::move(text));
            else
                windows.push_back(line);
        }
        {
            std::lock_guard<std::mutex> lock(MessagesMutex());
            F_Erreur.swap(msgs);
        }
        F_Langue.swap(windows);
        return ok;
    } catch (...) {
        clearMessages();
        return false;
    }
}

void UseBuiltInTexts() {
    {
        std::lock_guard<std::mutex> lock(MessagesMutex());
        F_Erreur.clear();
    }
    F_Langue.clear();
}

bool DonneTexteLangue(TFenetre E, int32_t numero, std::string& T) {
    T.clear();
    TFenetre current = NonInitialise;
    TAnalSynt V;
    for (const auto& line : F_Langue) {
        V.SSynt = line;
        SyntInit(V);
        if (current != E) {
            TFenetre section = current;
            if (Classify(V, section) == LineKind::Section) current = section;
            continue;
        }
        int32_t n = 0;
        // The first line that is not a text line (the next section) ends this section's block.
        if (!SyntInt(V, n)) return false;
        if (n == numero) {
            std::string text;
            if (SyntSep(V, ',') && SyntText(V, text)) {
                T = std::move(text);
                return true;
            }
            return false;
        }
    }
    return false;
}

std::string ExtractLangueString(const std::string& S) {
    std::string out;
    for (char c : S) {
        if (c == ' ') break;
        out += UpperAscii(c);
    }
    return out;
}

void GetLanguageIDs(std::string& Lang, std::string& FallbackLang) {
    Lang.clear();
    FallbackLang.clear();
    const RegionalSettings& r = Regional();
    if (!r.language.empty()) {
        TAnalSynt V;
        for (size_t i = 0; i < r.language.size() && i < 2; ++i)
            V.SSynt += UpperAscii(r.language[i]);
        SyntInit(V);
        SyntDonneIdent(V, FallbackLang);
    }
    if (!r.country.empty()) Lang = FallbackLang + "_" + r.country.substr(0, 2);
}

} // namespace zel
