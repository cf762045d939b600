#pragma once
// The message catalogue: program messages (built-in French texts, replaced as a whole by a
// language file) and the texts of serial line statuses (French or English).
#include <cstdint>
#include <string>

#include "base/textfile.h"

namespace zel {

// Program message identifier and status. One byte; values 0 to 60 in this order, then the
// messages added since.
enum erreur_programme : uint8_t {
    erreur_systeme,
    non_connecte,
    connecte_a,
    verif_connexion,
    pas_de_port,
    Cmd_Compteur_inconnue,
    Pb_Fichier_Conf,
    Pb_Fichier_Log,
    Pb_Repertoire_Conf,
    Fichier_en_cours,
    pb_init,
    pb_close,
    pb_conversion,
    Cmd_Compteur_Incorrecte,
    Indisponible,
    Pb_ouvrir_fichier,
    Compteur_inconnu,
    reboot_confirm,
    to_emission,
    pb_ecr_fichier,
    CombineFichier1,
    Init_confirm,
    ErreurES,
    DLDateTimeErr,
    PasErreur,
    param_Pret,
    param_attente,
    param_err_cf,
    param_err_cpm,
    CombineSauve,
    FinDump,
    CombineFichier2,
    gs_erreur_fichier_vide,
    gs_erreur_checksum,
    gs_erreur_date,
    gs_erreur_interne,
    gs_no_error,
    gs_Version_erreur,
    gs_Taille_erreur,
    gs_version_non_supportee,
    gs_GAP_erreur,
    gs_Codage_erreur,
    gs_Date_Absente,
    Lecture_En_Cours,
    Fichier_Vide,
    Traitement_Termine,
    pf_Lire_Conf,
    Abandon,
    ParamCompteur,
    ModeleCompteur,
    DonneesInterneCompteur,
    FacteurConversion,
    Redemarre,
    Telecharge,
    InitDate,
    InitHeure,
    InitDateHeure,
    RazMemoire,
    Overwrite1,
    Overwrite2,
    pb_conf_compteur,
    // Why a port did not open, in words a user can act on; "%s" stands for the port name
    // (the group name in PortGroupAdvice).
    PortMissingMark,
    PortNotChosen,
    PortInUse,
    PortPermissionRefused,
    PortGroupAdvice,
    PortNotSerial,
    PortGone,
    PortSettingRefused,
    PortOpenFailed,
    CountsNotKeptClockBack, // followed by the number of counts
    ParamsNotRead,
};
constexpr int NombreMessages = 72;
// Language files made before the port messages existed hold this many messages; the newer
// ones fall back to their built-in text instead of "Erreur interne".
constexpr int NombreMessagesAnciens = 61;

// Replacement texts from the language file: line i is the text of message i. Empty: the
// built-in texts are used. Written by the language loader on the main thread only.
extern TextList F_Erreur;

// The text of a program message. With a replacement list, a value past its end gives
// "Erreur interne" (a message newer than the list's file: its built-in text); so does
// erreur_systeme and any value out of range.
std::string GetMessagePgm(erreur_programme ErrorCode);
// The text of a message with every "%s" replaced by `arg`.
std::string MessageWith(erreur_programme ErrorCode, const std::string& arg);

// The text of a serial line status or of an operating-system error code (errno): French when
// the language code is exactly "FR", English otherwise. Control characters are removed.
std::string GetIOError(int32_t Status, const std::string& Langue);
// The same in the configured language (Fichier_conf.Langue): main thread only, since the
// preferences change it there. The session thread passes the language it was given.
std::string GetIOError(int32_t Status);

} // namespace zel
