#pragma once
// Counter commands: the one call through which a window asks something of the counter. It
// encodes the command for the connected family, queues it to the session thread with the reply
// to expect and waits, keeping the front end responsive, until the session is idle again.
#include <string>

#include "session/thread_es.h"

namespace zel {

class SerialLine;

// Main thread only. Returns once the command has been handled, has timed out, or the session
// thread has been told to stop. Comd_NonConnecte and Comd_Connecte are orders to the session
// (port about to close / just opened) and send nothing.
//
// A command asked for while another one is still being waited for (a menu click served by the
// event processing of that wait, or by a reply handler) is ignored: its wait could never end.
void SetEmission(TCommande Commande, const std::string& S);

// One call's working values.
struct TEmission {
    TCommande Commande = Comd_Rien;
    std::string S;  // parameter text
    std::string S1; // line to queue (without its carriage return); empty: nothing queued
    std::string S2; // journal text; empty: nothing journalled
    TCommande ReponseAttendue = Comd_Rien;
    // Gamma Scout clock commands: the text written to the line directly, one character every
    // 500 ms, before the reply is awaited.
    std::string Directe;
};

// The two families' encoders. They fill S1, S2, ReponseAttendue (and Directe) from Commande and
// S, and prepare the session for the reply (download parameters, internal-data line count,
// F_DownLoad emptied) - Thread_ES must exist.
void SetEmission_VORN(TEmission& E);
void SetEmission_GAMMA_SCOUT(TEmission& E);
// True when the Gamma Scout encoder serves the connected model and line setting.
bool EncodeurGammaScout();

// The clock texts, from a local date-time: Gamma Scout "DDMMYYHHNNSS", "DDMMYY" and "HH:NN"
// (regional time separator).
std::string TexteDateHeureGS(TDateTime t);
std::string TexteDateGS(TDateTime t);
std::string TexteHeureGS(TDateTime t);

// The line the clock commands are written to directly. Null (the default): EntreesSorties.
void SetLigneDirecte(SerialLine* ligne);

// True while a reply handler lets the front end process its events (a Gamma Scout dump line):
// counter commands are refused meanwhile.
extern bool TraitementEnCours;

// Window title and counter menu entries for the connected model (Fichier_conf).
void maj_menu_commandes();

} // namespace zel
