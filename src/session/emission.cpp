#include "session/emission.h"

#include <mutex>
#include <string>

#include "base/datetime.h"
#include "base/ports.h"
#include "base/regional.h"
#include "model/model.h"
#include "records/capture.h"
#include "records/counter.h"
#include "session/replies.h"
#include "session/session_globals.h"
#include "settings/config.h"
#include "settings/journal.h"
#include "settings/messages.h"

namespace zel {

bool TraitementEnCours = false;

namespace {

// The front end polls the session this often while it waits.
constexpr uint32_t PasAttente = 100;
// The Gamma Scout reads its clock commands one character at a time.
constexpr uint32_t PasCaractere = 500;

SerialLine* LigneDirecte = nullptr;

SerialLine* Ligne() {
    return LigneDirecte ? LigneDirecte : EntreesSorties.get();
}

void Indicateur(TColor c) {
    Principal.cg_indicator = c;
    ModelChanged(ModelWindow::Main);
}

void CommandeEnCours(bool on) {
    Principal.commande_en_cours = on;
    ModelChanged(ModelWindow::Main);
}

std::string Message(erreur_programme e) {
    return GetMessagePgm(e);
}

// Writes the clock command one character at a time, each followed by half a second, showing
// the position in `enr`. A failed write ends the loop; the reply is awaited all the same. A
// session told to stop (the program closing) ends it too.
void EcritureDirecte(const std::string& texte, const Tcg_thread_ES& T) {
    Indicateur(clRed);
    SerialLine* ligne = Ligne();
    int32_t status = ligne ? 0 : ErrPortNotOpen;
    for (size_t i = 0; i < texte.size() && status == 0 && !T.Terminated(); ++i) {
        ligne->SEND(std::string(1, texte[i]), status);
        Principal.enr = std::to_string(i + 1);
        ModelChanged(ModelWindow::Main);
        if (status == 0)
            MainThread().waitMs(PasCaractere);
        else
            MainThread().processEvents();
    }
}

} // namespace

void SetLigneDirecte(SerialLine* ligne) {
    LigneDirecte = ligne;
}

std::string TexteDateHeureGS(TDateTime t) {
    return FormatDateTime("DDMMYYHHNNSS", t);
}
std::string TexteDateGS(TDateTime t) {
    return FormatDateTime("DDMMYY", t);
}
std::string TexteHeureGS(TDateTime t) {
    return FormatDateTime("HH:NN", t, Regional().date_sep, Regional().time_sep);
}

void SetEmission_VORN(TEmission& E) {
    const std::string& S = E.S;
    switch (E.Commande) {
    case Comd_VP:
        E.S1 = "V" + S;
        E.S2 = Message(ModeleCompteur) + " " + S;
        break;
    case comd_CF:
        E.S1 = "F" + S;
        E.S2 = Message(FacteurConversion) + " " + S;
        break;
    case Comd_BO:
        E.S1 = "B";
        E.S2 = Message(Redemarre);
        E.ReponseAttendue = Comd_Rien; // the counter restarts without answering
        break;
    case Comd_IN:
        E.S1 = "I" + S;
        E.S2 = Message(RazMemoire);
        break;
    case Comd_DL:
        E.S1 = "D" + S;
        E.S2 = Message(Telecharge) + " " + S;
        Thread_ES->SetDLParam(3600, Entier1);
        F_DownLoad.clear();
        break;
    case Comd_mode_PC:
        E.S1 = "P" + S;
        E.S2 = Message(ParamCompteur) + " " + S;
        break;
    case Comd_ID:
        E.S1 = "G";
        E.S2 = Message(DonneesInterneCompteur) + " " + S;
        break;
    default:
        E.S1.clear();
        E.S2.clear();
        E.ReponseAttendue = Comd_Rien;
        break;
    }
}

void SetEmission_GAMMA_SCOUT(TEmission& E) {
    switch (E.Commande) {
    case Comd_VP:
        E.S1 = "v";
        E.S2 = Message(ModeleCompteur) + " " + E.S;
        break;
    case comd_PC_mode:
        E.S1 = "P";
        E.S2 = "Set Mode PC";
        break;
    case Comd_Mode_Acq:
        E.S1 = "X";
        E.S2 = "Set Mode Acquisition";
        break;
    case Comd_BO:
        // Firmware 6.90 and later reboot on N; the older ones on i.
        E.S1 = Fichier_conf.Version_GS >= 6.9 ? "N" : "i";
        E.S2 = Message(Redemarre);
        E.ReponseAttendue = Comd_Rien;
        break;
    case Comd_IN: {
        const TDateTime now = Clock().now();
        E.S1.clear();
        if (Fichier_conf.type_compteur_Capture == GAMMA_SCOUT2) {
            const std::string t = TexteDateHeureGS(now);
            E.Directe = "t" + t;
            E.S2 = Message(InitDateHeure) + ": " + t;
        } else {
            const std::string d = TexteDateGS(now);
            E.Directe = "d" + d;
            E.S2 = Message(InitDate) + ": " + d;
        }
        break;
    }
    case Comd_H: {
        const std::string h = TexteHeureGS(Clock().now());
        E.S1.clear();
        E.Directe = "u" + h;
        E.S2 = Message(InitHeure) + ": " + h;
        break;
    }
    case Comd_DL:
        E.S1 = "b";
        E.S2 = Message(Telecharge) + " " + E.S;
        F_DownLoad.clear();
        break;
    case Comd_ID:
        E.S1 = "c";
        E.S2 = Message(DonneesInterneCompteur);
        Thread_ES->SetNbInternalData();
        break;
    case Comd_Clear_Data:
        E.S1 = "z";
        E.S2 = Message(RazMemoire);
        break;
    default:
        E.S1.clear();
        E.S2.clear();
        E.ReponseAttendue = Comd_Rien;
        break;
    }
}

bool EncodeurGammaScout() {
    switch (Fichier_conf.type_compteur_Capture) {
    case GAMMA_SCOUT1:
    case GAMMA_SCOUT2:
        return true;
    case Unknown:
    case NotInitialized:
        // Not identified yet: the line setting names the family.
        return Fichier_conf.PortCom >= 2 && Fichier_conf.PortCom <= 4;
    default:
        return false;
    }
}

void SetEmission(TCommande Commande, const std::string& S) {
    if (!Thread_ES) return;
    Tcg_thread_ES& T = *Thread_ES;

    if (Commande == Comd_NonConnecte) {
        T.ReinitAutomate(NonConnecte);
        Indicateur(clRed);
        std::string Nom;
        SauveCaptureCompteur(Nom);
        ForgetLiveCounts(T);
        Fichier_conf.type_compteur_Capture = NotInitialized;
        Fichier_conf.Version_GS = 0;
        F_Capture.clear();
        return;
    }
    if (Commande == Comd_Connecte) {
        T.ReinitAutomate(Initial);
        Indicateur(clLime);
        return;
    }

    // One command at a time: a second one asked for from inside this wait (or from a handler
    // that processes events) would wait for a session that cannot become idle.
    if (Principal.commande_en_cours || TraitementEnCours) return;
    // With no counter connected the session never becomes idle: say so instead of waiting
    // for ever. The port may also be closed while a command waits; that ends the wait.
    auto non_connecte = [&T] {
        std::lock_guard<std::mutex> lock(T.FCS);
        return T.Etat == NonConnecte;
    };
    if (non_connecte()) {
        Trt_log(GetMessagePgm(zel::non_connecte), true);
        return;
    }
    CommandeEnCours(true);

    while (T.Occupe() && !T.Terminated() && !non_connecte())
        MainThread().waitMs(PasAttente);

    TEmission E;
    E.Commande = Commande;
    E.S = S;
    E.ReponseAttendue = Commande;
    if (EncodeurGammaScout())
        SetEmission_GAMMA_SCOUT(E);
    else
        SetEmission_VORN(E);

    if (!E.Directe.empty()) {
        EcritureDirecte(E.Directe, T);
        if (Commande == Comd_IN) Trt_log(E.Directe, true);
        Indicateur(clLime);
        // Cut short by the program closing: no reply to await.
        if (T.Terminated()) {
            CommandeEnCours(false);
            return;
        }
    }

    Trt_log(E.S2, true);

    Indicateur(clRed);
    T.SetComdAttendue(E.ReponseAttendue);
    T.SetDonneesAEmettre(E.S1);
    // Nothing is queued after a direct write: the reply is still awaited with the watchdog of
    // a sent line, so a counter that never answers cannot hold every later command.
    if (E.S1.empty() && E.ReponseAttendue != Comd_Rien) T.SetAttenteReponse();

    while (T.Occupe() && !T.Terminated() && !non_connecte())
        MainThread().waitMs(PasAttente);
    // The session queues its journal lines (a time-out, the end of a dump) before it falls
    // idle: they are shown before the caller journals what follows from the exchange.
    MainThread().processEvents();
    Indicateur(clLime);
    CommandeEnCours(false);
}

} // namespace zel
