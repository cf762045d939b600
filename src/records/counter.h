#pragma once
// Counter identity (model and serial number) and the files kept per counter in the data
// directory: the capture file (stem + ".txt"), the download file (stem + "_DL.txt") and the
// counter's own configuration file (stem + "_Conf.txt": date of writing, model, factor).
#include <cstdint>
#include <string>

#include "settings/counter_type.h"

namespace zel {

// µSv/h per count per minute of the LND712 tube: the factor of a counter without its own
// configuration file.
constexpr double Conversion_Sievert_LND712 = 0.0081208;

// File prefix of a model ("VORN3_", "GS2_", "Unknown_" ...). For Unknown, NotInitialized or any
// other value it also sets Fichier_conf.Serial_Compteur to 0, so that an unidentified counter's
// records go to Unknown_00000.
std::string DonnePrefixe(TTypeCompteur V);
// The model of a model name (trimmed, any case): VORN2, VORN3 to VORN6, VORN8, VORN9, VORN10,
// GS1, GS2; Unknown for anything else.
TTypeCompteur DonneCompteur(const std::string& S);

// Prefix + serial number, at least 5 digits ("VORN3_01234", "VORN3_123456"). Does not touch
// the configuration.
std::string RacineCompteur(const std::string& Prefixe, uint32_t Serial);
// The stem of the connected counter from Fichier_conf (type_compteur_Capture, then
// Serial_Compteur, which DonnePrefixe may reset first).
std::string RacineCompteurConnecte();
// Full names in the data directory Repertoire_conf.
std::string NomFichierCapture(const std::string& Racine);      // stem + ".txt"
std::string NomFichierDownLoad(const std::string& Racine);     // stem + "_DL.txt"
std::string NomFichierConfCompteur(const std::string& Racine); // stem + "_Conf.txt"

// Reads the configuration file of the counter that the file Nom belongs to (its name starts
// with a prefix, "_" and a serial number; the file is looked up in the data directory whatever
// directory Nom names, in any letter case). FC and Compteur get 0.0081208 and NotInitialized
// whenever no value is found. False when the name has no stem or the file is missing.
bool LireConfCompteur(const std::string& Nom, double& FC, TTypeCompteur& Compteur);
// The configuration file that LireConfCompteur looks for on behalf of Nom, as we write it (the
// data directory, the stem of Nom, "_Conf.txt"); empty when Nom has no stem.
std::string CounterConfFileFor(const std::string& Nom);
// Writes the three lines of a counter configuration file, replacing it atomically.
bool SauveConfCompteur(const std::string& NomFichier, TTypeCompteur Compteur, double FC);

// Merges F_Capture into the connected counter's capture file and rewrites its configuration
// file (model type_compteur_Capture, factor conversion_sievert_capture). An empty F_Capture:
// true, Nom empty, no file touched. On failure Nom names the file that failed.
bool SauveCaptureCompteur(std::string& Nom);
// The same for F_DownLoad and the download file; runs also with an empty F_DownLoad.
bool SauveDownLoadCompteur(std::string& Nom);

} // namespace zel
