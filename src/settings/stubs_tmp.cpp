#include "settings/config.h"
#include "settings/journal.h"
#include "settings/language.h"
#include "settings/messages.h"

namespace zel {
TextList F_Erreur;
std::string GetMessagePgm(erreur_programme) { return "Erreur interne"; }
std::string GetIOError(int32_t) { return ""; }
std::string Repertoire_conf, Repertoire_son, Repertoire_langues;
type_fichier_conf Fichier_conf;
bool LireConf() { return true; }
bool SauveConf() { return true; }
TextList F_Log;
bool Alarme_en_cours = false;
void Trt_log(const std::string&, bool) {}
bool ChargeJournal() { return true; }
bool SauveJournal() { return true; }
void Check_Alarme(int32_t) {}
void StopAlarm() {}
int FlipTimerTick() { return 1000; }
void SupprimeParite(std::string& S) {
    for (auto& c : S) c = static_cast<char>(static_cast<unsigned char>(c) & 0x7F);
}
int32_t Cherche_ListBox(const std::string&, const TextList&) { return -1; }
bool ThemeSafeLaunchSaveDialog(TSaveDialog&) { return false; }
TextList F_Langue;
bool ChargeFichierLangue(const std::string&) { return false; }
bool DonneTexteLangue(TFenetre, int32_t, std::string& T) { T.clear(); return false; }
std::string ExtractLangueString(const std::string& S) { return S; }
void GetLanguageIDs(std::string& Lang, std::string& FallbackLang) { Lang.clear(); FallbackLang.clear(); }
} // namespace zel
