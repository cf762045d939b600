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
    {ProgramText::MqttConnectedTo, "MQTT : connecté au broker "},
    {ProgramText::MqttBrokerLost, "MQTT : broker injoignable, nouvel essai en continu : "},
    {ProgramText::MqttBrokerBack, "MQTT : broker de nouveau joignable : "},
    {ProgramText::MqttCountsDropped,
     "MQTT : mesures les plus anciennes non publiées (file pleine) : "},
    {ProgramText::MqttCountsUnsent, "MQTT : mesures non publiées à l'arrêt : "},
    {ProgramText::MqttHostUnknown, "nom d'hôte inconnu"},
    {ProgramText::MqttBadCredentials, "nom d'utilisateur ou mot de passe refusé"},
    {ProgramText::MqttNotAuthorised,
     "connexion refusée : utilisateur ou mot de passe incorrect, ou non autorisé"},
    {ProgramText::MqttRefusedCode, "connexion refusée par le broker, code "},
    {ProgramText::MqttTlsFailed, "échec de la connexion TLS (certificat non reconnu ?)"},
    {ProgramText::MqttNoAnswer, "le broker ne répond pas"},
    {ProgramText::MqttConnectionLost, "connexion perdue"},
    {ProgramText::PrefNetwork, "Réseau"},
    {ProgramText::PrefMqttEnabled, "Publier les mesures sur un broker MQTT"},
    {ProgramText::PrefMqttUrl, "Broker (mqtt:// ou mqtts://)"},
    {ProgramText::PrefMqttUser, "Utilisateur"},
    {ProgramText::PrefMqttPassword, "Mot de passe"},
    {ProgramText::PrefMqttSavePassword,
     "Enregistrer le mot de passe (fichier lisible par vous seul)"},
    {ProgramText::PrefMqttCa, "Certificat CA (facultatif)"},
    {ProgramText::PrefMqttPrefix, "Préfixe des topics"},
    {ProgramText::PrefMqttDiscovery, "Annoncer les capteurs à Home Assistant"},
    {ProgramText::PrefMqttHaPrefix, "Préfixe de découverte"},
    {ProgramText::PrefMqttTest, "Tester"},
    {ProgramText::MqttTesting, "Connexion au broker..."},
    {ProgramText::MqttTestOk, "Connexion réussie : "},
    {ProgramText::MqttTestFailed, "Échec de la connexion : "},
    {ProgramText::MqttStateConnected, "MQTT connecté"},
    {ProgramText::MqttStateConnecting, "MQTT : connexion"},
    {ProgramText::MqttStateUnreachable, "MQTT injoignable"},
    {ProgramText::CopyChart, "Copier le graphique"},
    {ProgramText::SaveChartAs, "Enregistrer le graphique sous…"},
    {ProgramText::ExportRecords, "Exporter les enregistrements…"},
    {ProgramText::ChartSaved, "Graphique enregistré : "},
    {ProgramText::RecordsExported, "Enregistrements exportés : "},
    {ProgramText::FileNotWritten, "Impossible d'écrire le fichier "},
    {ProgramText::AxisPercentOfRecords, "% des enregistrements"},
    {ProgramText::AxisCountsPerMinute, "Coups par minute (CPM)"},
    {ProgramText::AxisDoseRate, "Débit de dose (µSv/h)"},
    {ProgramText::RecordsSpan, "Enregistrements"},
    {ProgramText::SpanFrom, " du "},
    {ProgramText::SpanTo, " au "},
    {ProgramText::HelpNotOpened, "Aucun navigateur n'a pu ouvrir l'aide. Son fichier : "},
    {ProgramText::HelpMissing, "Fichier d'aide introuvable : "},
    {ProgramText::ReportMenu, "Rapport du dernier téléchargement"},
    {ProgramText::ReportSaveAs, "Enregistrer sous…"},
    {ProgramText::ReportClose, "Fermer"},
    {ProgramText::ReportWritten, "Rapport du téléchargement : "},
    {ProgramText::NoReport, "Aucun rapport de téléchargement pour l'instant"},
    {ProgramText::PrefGeneral, "Général"},
    {ProgramText::PrefOpenDataDir, "Ouvrir le dossier des données"},
    {ProgramText::ClosingStopsCommand, "Fermeture : la commande en cours est interrompue"},
    {ProgramText::DownloadCutShort, "Téléchargement interrompu, non enregistré ; lignes reçues : "},
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
