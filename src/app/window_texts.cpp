// The built-in (French) texts of the windows and their replacement from the language file.
// Each window keeps its texts in its model, indexed by the number the language file uses, so
// that a front end only copies them onto its widgets.
#include <string>
#include <vector>

#include "app/app.h"
#include "model/model.h"
#include "settings/language.h"

namespace zel {

namespace {

const std::vector<std::string>& DefautsPrincipal() {
    static const std::vector<std::string> t = {
        "",
        "Cliquer pour arrêter l'alarme", // 1 hint of cg_ra_i
        "Alarme active",
        "Alarme sonore",
        "Seuil d'alarme en CPM",
        "Seuil d'alarme en µSv/h", // 5 hint of cg_seuil_alarme_SV
        "Capture",
        "Graphique",
        "Gaussienne",
        "Statistiques",
        "Moyenne sur 24 heures", // 10
        "Moyenne",
        "Valeur max",
        "Nb d'événements",
        "Facteur Conversion",
        "Ecart Type",                                        // 15
        "Nombre d'enregistrements dans la fenêtre de dates", // 16 hint of cg_nb_events
        "Unités",
        "&Fichier",
        "&Connexion",
        "&Préférences", // 20
        "&Ouvrir",
        "&Quitter",
        "&Aide",
        "Aide &utilisateur",
        "A &propos", // 25
        "&Compteur",
        "&Facteur conversion",
        "&Version compteur",
        "&Init. Date et Heure",
        "Mode PC", // 30
        "Mode Acquisition",
        "Raz mémoire",
        "Outils",
        "&Combine CSV",
        "Paramétrage compteur", // 35
        "Données internes",
        "Fichier",
        "Capture",
        "Enr.",
    };
    return t;
}

const std::vector<std::string>& DefautsConnexion() {
    static const std::vector<std::string> t = {
        "",
        "Connexion compteur",
        "Sélectionnez le port COM auquel est raccordé le compteur Geiger. Assurez vous que le "
        "compteur est en fonctionnement et est raccordé au port COM.",
        "Annuler",
        "Liaison série",
    };
    return t;
}

const std::vector<std::string>& DefautsPreference() {
    static const std::vector<std::string> t = {
        "", "Préférences", "Annulation", "Répertoire de données", "Langage", "Son alarme",
    };
    return t;
}

const std::vector<std::string>& DefautsAPropos() {
    static const std::vector<std::string> t = {
        "",
        "A propos",
        "Application de contrôle des compteurs Geiger VORNx et Gamma scout",
    };
    return t;
}

const std::vector<std::string>& DefautsParamVORN() {
    static const std::vector<std::string> t = {
        "",
        "Paramètres VORN3",
        "Alarme LED",
        "Alarme Buzzer",
        "Unités",
        "Facteur conversion µSV", // 5
        "Seuil alarme CPM",
        "Batterie (V)",
        "Lire",
        "Envoyer",
        "Sortir", // 10
        "Nb heures  max",
        "Nb heures mémorisées",
        "Nb jours fonctionnement",
        "Batterie",
        "Ajuste", // 15
        "Date",
        "Heures",
    };
    return t;
}

const std::vector<std::string>& DefautsParamGS() {
    static const std::vector<std::string> t = {
        "", "Paramètres Gamma Scout", "N° Série", "Lire", "Date/heure", "Sortir", "Date et heure",
    };
    return t;
}

// A text found in the language file replaces the built-in one; a text the file lacks is the
// built-in one, not what an earlier language left there.
void Applique(TFenetre fenetre, const std::vector<std::string>& defauts,
              std::vector<std::string>& textes) {
    textes = defauts;
    for (size_t i = 1; i < defauts.size(); ++i) {
        std::string t;
        if (DonneTexteLangue(fenetre, static_cast<int32_t>(i), t)) textes[i] = t;
    }
}

} // namespace

void ChangeLangue() {
    Applique(FenetrePrincipal, DefautsPrincipal(), Principal.textes);
    ShowChartTitles();
    ModelChanged(ModelWindow::Main);
}

void ChangeLangueConnexion() {
    Applique(FenetreConnexion, DefautsConnexion(), cg_Connection.textes);
    ModelChanged(ModelWindow::Connection);
}

void ChangeLangueAPropos() {
    Applique(FenetreAPropos, DefautsAPropos(), cg_a_propos.textes);
    ModelChanged(ModelWindow::About);
}

void ChangeLanguePreference() {
    Applique(FenetrePreference, DefautsPreference(), cg_preference.textes);
    ModelChanged(ModelWindow::Preferences);
}

void ChangeLangueParamVORN() {
    Applique(FenetreParamVORN, DefautsParamVORN(), cg_param_vornx.textes);
    ModelChanged(ModelWindow::ParamVorn);
}

void ChangeLangueParamGS() {
    Applique(FenetreParamGS, DefautsParamGS(), cg_param_gamma.textes);
    ModelChanged(ModelWindow::ParamGamma);
}

} // namespace zel
