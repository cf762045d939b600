#include "settings/messages.h"

#include <array>
#include <cstring>
#include <mutex>
#include <vector>

#include "serial/serial_line.h"
#include "settings/config.h"
#include "settings/messages_lock.h"

namespace zel {

TextList F_Erreur;

std::mutex& MessagesMutex() {
    static std::mutex m;
    return m;
}

namespace {

// Built-in texts, indexed by erreur_programme. Trailing blanks matter: callers append a name.
const std::array<const char*, NombreMessages> kMessages = {
    "Erreur interne",
    "Non connecté",
    "Connecté à ",
    "Vérification connexion",
    "Pas de ports COMx détectés",
    "Commande inconnue reçue du compteur",
    "Impossible de créer ou écrire le fichier de configuration",
    "Ficher incorrect (inexistant ou données corrompues)",
    "Impossible de créer le répertoire de données",
    "Fichier: ",
    "Problème lors de l'initialisation, réinstallez le programme",
    "Problème lors de la fermeture du programme, des données ont peut-être été perdues",
    "Conversion Sievert ne peut être nulle. Forcée à valeur par défaut",
    "Commande incorrecte reçue du compteur",
    "Pas encore disponible",
    "Problème lors de l'ouverture du fichier ",
    "Compteur non reconnu",
    "Confirmez : les données de mesure du compteur seront perdues après le boot",
    "Time-out émission. Vérifiez la connexion avec le compteur",
    "problème lors de l'écriture du fichier",
    "Combine Fichier : ",
    "Confirmez : les mesures horaires mémorisées vont être réinitialisées",
    "Erreur E/S",
    "Données de comptage non prises en compte car horodatage non reçu",
    "Opération réalisée sans erreur",
    "Prêt",
    "Patientez",
    "Facteur de conversion incorrect",
    "CPM incorrect",
    "Sauvé dans : ",
    "Fin dump ou Time-out",
    "Avec Fichier : ",
    "Gamma Scout : Fichier dump vide ou incomplet",
    "Gamma Scout : Erreur CheckSum",
    "Gamma Scout : Erreur codage date",
    "Gamma Scout : Erreur interne lors du traitement",
    "Gamma Scout : Données Traitées",
    "Gamma Scout : N° de Version incorrect",
    "Gamma Scout : Nb octets à lire incorrect",
    "Gamma Scout : Version non supportée",
    "Gamma Scout: Codage GAP Incorrect",
    "Gamma Scout: Codage données incorrect",
    "Gamma Scout: Pas de date de début dans les données",
    "Lecture en cours...",
    "Fichier log vide",
    "Traitement terminé",
    "Impossible de lire le fichier de configuration",
    "Opération abandonnée",
    "Récupère paramètres compteurs",
    "Recupère type compteur",
    "Récupère donnnées internes compteur",
    "Récupère Facteur Conversion",
    "Redémarre le compteur",
    "Télécharge",
    "Init. Date",
    "Init Heure",
    "Init Date Heure",
    "RAZ mémoire",
    "%s existe déjà",
    "Souhaitez vous le remplacer ?",
    "Pb avec Fichier configuration Compteur",
    "%s (absent)",
    "Aucun port choisi : sélectionnez dans la liste le port du compteur.",
    "Le port %s est utilisé par un autre programme. Fermez ce programme, puis réessayez.",
    "Accès au port %s refusé : votre utilisateur n'a pas le droit de l'ouvrir.",
    "Ajoutez votre utilisateur au groupe %s (sudo usermod -aG %s $USER), puis fermez la session "
    "et ouvrez-la à nouveau.",
    "%s n'est pas un port série.",
    "Le port %s n'existe pas ou n'est plus branché. Vérifiez le câble du compteur.",
    "Le port %s n'accepte pas ce réglage de liaison.",
    "Impossible d'ouvrir le port %s : ",
    "Comptages non gardés dans le fichier de capture car l'horloge a reculé (changement "
    "d'heure) : ",
    "Réglages non lus : cliquez Lire, ou choisissez chaque réglage avant d'envoyer",
};

const char* const kInternalError = "Erreur interne";

struct IOText {
    int32_t code;
    std::string fr;
    std::string en;
};

// "02": the code as the fixed texts show it.
std::string TwoDigits(int32_t code) {
    return (code < 10 ? "0" : "") + std::to_string(code);
}

// Statuses of the serial line (9991..10003) and the system codes that opening a port commonly
// gives. The latter are errno values here, so the texts show the code they stand for.
const std::vector<IOText>& IOTexts() {
    static const std::vector<IOText> t = {
        {0, "OK", "OK"},
        {ErrFileNotFound, "Port introuvable (err. Sys. " + TwoDigits(ErrFileNotFound) + ")",
         "Port not reachable (syst-error " + TwoDigits(ErrFileNotFound) + ")"},
        {ErrHandle, "Handle Incorrect (err. Sys. " + TwoDigits(ErrHandle) + ")",
         "Incorrect Handle (err. Sys. " + TwoDigits(ErrHandle) + ")"},
        {ErrParameter,
         "Erreur de paramètre lors de l'ouverture du port (err. Sys. " + TwoDigits(ErrParameter) +
             ")",
         "Error during port initialization (syst-error " + TwoDigits(ErrParameter) + ")"},
        {ErrAlreadyOwned, "Port connecté à un autre processus", "Port owned by other process"},
        {ErrAlreadyInUse, "Instance déjà en utilisation", "Instance already in use"},
        {ErrWrongParameter, "Mauvais paramètre d'appel", "Wrong paramter at call"},
        {ErrPortNotOpen, "Port pas encore connectée", "Instance not yet connected"},
        {ErrNoDeviceAnswer, "Pas de réponse du périphérique", "No device answer detected"},
        {ErrMaxBuffer, "Dépassement de buffer", "Maximal buffer length exceeded"},
        {ErrTimeout, "Time-out en réception", "Reception timeout"},
        {ErrNotRead, "Echec lors de la lecture des données", "Reading of data failed"},
        {ErrFrame, "Erreur en récepion de trame", "Receive framing error"},
        {ErrOverrun, "Survitesse en réception", "Receive Overrun Error"},
        {ErrRxOver, "Débordement en réception", "Receive Queue overflow"},
        {ErrRxParity, "Erreur de parité en réception", "Receive Parity Error"},
        {ErrTxFull, "File d'attente pleine", "Tranceive Queue is full"},
    };
    return t;
}

// strerror_r comes in two flavours; both are thread-safe, unlike strerror.
[[maybe_unused]] const char* pick(int rc, const char* buf) {
    return rc == 0 ? buf : "Unknown error";
}
[[maybe_unused]] const char* pick(const char* msg, const char*) {
    return msg;
}

std::string SystemErrorText(int32_t code) {
    char buf[256] = {0};
    return pick(strerror_r(code, buf, sizeof buf), buf);
}

} // namespace

std::string GetMessagePgm(erreur_programme ErrorCode) {
    const size_t i = static_cast<size_t>(ErrorCode);
    {
        std::lock_guard<std::mutex> lock(MessagesMutex());
        if (!F_Erreur.empty()) {
            if (i < F_Erreur.size()) return F_Erreur[i];
            if (i < NombreMessagesAnciens || i >= kMessages.size()) return kInternalError;
        }
    }
    if (i == 0 || i >= kMessages.size()) return kInternalError;
    return kMessages[i];
}

std::string MessageWith(erreur_programme ErrorCode, const std::string& arg) {
    // By hand: a translated text is not a format string to trust.
    std::string s = GetMessagePgm(ErrorCode);
    for (size_t p = 0; (p = s.find("%s", p)) != std::string::npos; p += arg.size())
        s.replace(p, 2, arg);
    return s;
}

std::string GetIOError(int32_t Status) {
    return GetIOError(Status, Fichier_conf.Langue);
}

std::string GetIOError(int32_t Status, const std::string& Langue) {
    const bool fr = Langue == "FR";
    std::string s;
    bool found = false;
    for (const auto& t : IOTexts()) {
        if (t.code == Status) {
            s = fr ? t.fr : t.en;
            found = true;
            break;
        }
    }
    if (!found)
        s = SystemErrorText(Status) + " (" + std::to_string(static_cast<uint32_t>(Status)) + ")";
    std::string out;
    out.reserve(s.size());
    for (char c : s)
        if (static_cast<unsigned char>(c) > 31) out += c;
    return out;
}

} // namespace zel
