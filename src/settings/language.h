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
    TextesProgramme = 8,   // "Textes": texts added beside the program messages
    TextesCartes = 9,      // "Cartes": the journal texts of the map uploads
};

// The window sections of the loaded file, each preceded by its section line. Main thread.
extern TextList F_Langue;

// Loads Repertoire_langues + Nom + ".txt" into F_Erreur and F_Langue; a file whose name differs
// only in letter case (code or extension) is taken when that one does not exist. True when the
// whole file was read; a missing file empties F_Erreur (built-in messages) and leaves F_Langue
// alone.
bool ChargeFichierLangue(const std::string& Nom);

// The language file for a language code: the first file of the language directory, by name,
// whose name starts with the code and ends in ".txt", both in any letter case (one whose first
// word is the code comes first). `name` gets it without ".txt", as ChargeFichierLangue takes it.
bool FindLanguageFile(const std::string& code, std::string& name);

// Back to the built-in French texts: no replacement messages, no window texts.
void UseBuiltInTexts();
// The code and list entry of the built-in texts.
extern const char* const BuiltInLanguageCode;  // "FR"
extern const char* const BuiltInLanguageEntry; // "FR Français"

// Text number `numero` of the first block of section E; false (T empty) when absent.
bool DonneTexteLangue(TFenetre E, int32_t numero, std::string& T);

// The language code of a file name or list entry: its first word, a..z upper-cased.
std::string ExtractLangueString(const std::string& S);

// The user's language from the locale: FallbackLang "FR", Lang "FR_FR".
void GetLanguageIDs(std::string& Lang, std::string& FallbackLang);

} // namespace zel
