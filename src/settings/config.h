#pragma once
// The configuration record (settings and the state of the connected counter and of the viewed
// capture file) and its file cg_conf.txt.
#include <cstdint>
#include <string>
#include <vector>

#include "base/datetime.h"
#include "settings/counter_type.h"

namespace zel {

constexpr int MaxLog = 10000;                       // journal lines kept
constexpr int32_t alerte_comptage_default = 50;     // CPM alarm threshold
constexpr double conversion_sievert_SBM20 = 0.0057; // µSv/h per count per minute

// Directories, each ending in "/": data (cg_conf.txt, cg_log.txt and the capture files), sounds
// and language files. Set at start-up (base/directories.h says where they are).
extern std::string Repertoire_conf;
extern std::string Repertoire_son;
extern std::string Repertoire_langues;
// The installed sounds and language files, searched after the two above; "" in a build tree.
extern std::string InstalledSoundDir;
extern std::string InstalledLanguageDir;
// The search order of sounds and of language files.
std::vector<std::string> SoundDirs();
std::vector<std::string> LanguageDirs();

struct type_fichier_conf {
    std::string Langue;                     // language code, e.g. "FR"
    std::string Fichier_alarme = "Klaxon0"; // alarm sound, no directory, no ".wav"
    double conversion_sievert_capture = conversion_sievert_SBM20; // connected counter
    double conversion_sievert_Fichier = conversion_sievert_SBM20; // viewed capture file
    int32_t alerte_comptage = alerte_comptage_default;
    bool alerte_active = false;
    bool alerte_sonore = false;
    bool tab_CPM = true; // values in CPM (true) or in µSv/h
    TDateTime date_deb = 0;
    TDateTime date_fin = 0;
    TTypeCompteur type_compteur_Fichier = NotInitialized;
    TTypeCompteur type_compteur_Capture = NotInitialized;
    uint32_t Serial_Compteur = 0;
    double Version_GS = 0;
    uint8_t PortCom = 2; // line setting, index into the five choices
    int32_t Source = 1;  // 1 live capture, 0 viewed file
    std::string NomCom;
    bool GammaScoutPCMode = false;
    std::string Fichier_CSV;
};

extern type_fichier_conf Fichier_conf;

// Repertoire_conf + "cg_conf.txt": the configuration file.
std::string FichierConf();
// Defaults, then Repertoire_conf + "cg_conf.txt", then the language file. False when the file
// could not be read to its end (a Com value above 255 stops the reading).
bool LireConf();
// Writes the persistent fields, replacing cg_conf.txt atomically. False when it failed.
bool SauveConf();

} // namespace zel
