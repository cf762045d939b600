#include "net/map_texts.h"

#include "settings/language.h"

namespace zel {

namespace {

// Trailing blanks matter: callers append a name or a value.
const std::array<const char*, kMapTextCount> kBuiltIn = {
    "Envoi aux cartes de radioactivité toutes les %s s : ",
    "mesure acceptée (%s CPM)",
    "les envois sont de nouveau acceptés",
    "nom d'utilisateur ou mot de passe refusé",
    "compte inconnu (AID)",
    "compteur inconnu sur ce compte (GID)",
    "requête refusée comme incorrecte",
    "clé d'API refusée",
    "envoi refusé : ",
    "réponse HTTP inattendue : ",
    "pas de réponse de %s en %s s",
    "connexion à %s impossible : ",
    "erreur réseau avec %s : ",
    " ; nouvel essai dans %s s",
    "Cartes de radioactivité",
    "Envoyer à radmon.org",
    "Utilisateur",
    "Mot de passe",
    "Envoyer à GMCmap",
    "Compte (AID)",
    "Compteur (GID)",
    "Envoyer à Safecast",
    "Clé d'API",
    "Latitude (°)",
    "Longitude (°)",
    "N° d'appareil Safecast (0 : aucun)",
    "Envoi toutes les (s)",
    "Tester",
    "Envoi de la dernière mesure...",
    "Test réussi : ",
    "Test échoué : ",
    "Aucune mesure à envoyer : connectez d'abord le compteur",
    "Les mots de passe et la clé sont gardés dans un fichier que vous seul pouvez lire.",
};

} // namespace

std::string GetMapText(MapText t) {
    std::string s;
    if (DonneTexteLangue(TextesCartes, static_cast<int32_t>(t), s)) return s;
    const auto i = static_cast<size_t>(t) - 1;
    return i < kBuiltIn.size() ? kBuiltIn[i] : std::string();
}

MapTexts MapTexts::Current() {
    MapTexts m;
    for (int i = 1; i <= kMapTextCount; ++i)
        m.texts[static_cast<size_t>(i) - 1] = GetMapText(static_cast<MapText>(i));
    return m;
}

MapTexts MapTexts::BuiltIn() {
    MapTexts m;
    for (size_t i = 0; i < kBuiltIn.size(); ++i)
        m.texts[i] = kBuiltIn[i];
    return m;
}

std::string FillIn(std::string text, const std::string& a, const std::string& b) {
    size_t p = text.find("%s");
    if (p == std::string::npos) return text;
    text.replace(p, 2, a);
    p = text.find("%s", p + a.size());
    if (p != std::string::npos) text.replace(p, 2, b);
    return text;
}

} // namespace zel
