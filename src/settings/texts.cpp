#include "settings/texts.h"

#include "settings/language.h"

namespace zel {

namespace {

struct BuiltIn {
    ProgramText id;
    const char* text;
};

// Trailing blanks matter: callers append a name or a value.
const BuiltIn kTexts[] = {
    {ProgramText::Connecting, "Connexion en cours"},
    {ProgramText::Identified, "Compteur "},
    {ProgramText::CounterSilentSince, "Compteur silencieux depuis "},
    {ProgramText::CounterLost, "Compteur perdu : "},
    {ProgramText::ReconnectingTo, "Reconnexion à "},
    {ProgramText::NextTryIn, "prochain essai dans "},
    {ProgramText::ReconnectedAfter, "Reconnecté après "},
    {ProgramText::LastCountAt, "Dernière mesure à "},
    {ProgramText::PrefReconnect, "Reconnecter seul un compteur perdu"},
    {ProgramText::PrefResume, "Reprendre la connexion au démarrage"},
    {ProgramText::PrefAlarmOnLoss, "L'alarme sonne aussi pour un compteur perdu"},
    {ProgramText::PrefConnection, "Connexion"},
    {ProgramText::StopAlarmHint, "Cliquez sur l'alarme pour l'arrêter"},
};

} // namespace

std::string GetProgramText(ProgramText t) {
    std::string s;
    if (DonneTexteLangue(TextesProgramme, static_cast<int32_t>(t), s)) return s;
    for (const auto& b : kTexts)
        if (b.id == t) return b.text;
    return {};
}

} // namespace zel
