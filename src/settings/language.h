#pragma once
// Language files: program messages and the texts of each window, by section and number.
#include <cstdint>
#include <string>

#include "base/textfile.h"

namespace zel {

// The window (and section of a language file) a text belongs to.
enum TFenetre : uint8_t {
    NonInitialise = 0,
    messages = 1,          // "Messages"
    FenetrePrincipal = 2,  // "Principal"
    FenetrePreference = 3, // "Preferences"
    FenetreConnexion = 4,  // "Connexion"
    FenetreAPropos = 5,    // "APropos"
    FenetreParamVORN = 6,  // "ParametreVORN"
    FenetreParamGS = 7,    // "ParametreGS"
};

// The window sections of the loaded file, each preceded by its section line. Main thread.
extern TextList F_Langue;

// Loads Repertoire_langues + Nom + ".txt" into F_Erreur and F_Langue. True when the whole file
// was read; a missing file empties F_Erreur (built-in messages) and leaves F_Langue alone.
bool ChargeFichierLangue(const std::string& Nom);

// Text number `numero` of the first block of section E; false (T empty) when absent.
bool DonneTexteLangue(TFenetre E, int32_t numero, std::string& T);

// The language code of a file name or list entry: its first word, a..z upper-cased.
std::string ExtractLangueString(const std::string& S);

// The user's language from the locale: FallbackLang "FR", Lang "FR_FR".
void GetLanguageIDs(std::string& Lang, std::string& FallbackLang);

} // namespace zel
