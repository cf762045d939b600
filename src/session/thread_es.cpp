#include "session/thread_es.h"

#include <chrono>
#include <exception>

#include "gammascout/gamma_scout.h"
#include "session/session_globals.h"
#include "settings/config.h"
#include "settings/journal.h"

namespace zel {
namespace {

bool IsVorn(TTypeCompteur m) {
    return m >= CVORN2 && m <= CVORN10;
}
bool IsGammaScout(TTypeCompteur m) {
    return m == GAMMA_SCOUT1 || m == GAMMA_SCOUT2;
}

// The tick count has gone past the deadline; a signed difference keeps this true across the
// wrap of the 32-bit tick (about every 49.7 days).
bool TickPassed(uint32_t tick, uint32_t deadline) {
    return static_cast<int32_t>(tick - deadline) > 0;
}

// Received lines are dated to the second.
TDateTime WithoutMilliseconds(TDateTime t) {
    DateTimeParts p = DecodeDateTime(t);
    return EncodeDateTime(p.year, p.month, p.day, p.hour, p.minute, p.second, 0);
}

// Parity bits cleared, then blanks and control characters (the carriage return, a line feed)
// trimmed from both ends.
std::string PrepareLine(std::string s) {
    SupprimeParite(s);
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 32)
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32)
        --e;
    return s.substr(b, e - b);
}

// The orders in which each family's replies are offered to the handlers.
using HandlerField = TrtHandler TReplyHandlers::*;
const HandlerField kVornOrder[] = {
    &TReplyHandlers::Trt_Version_ALL_COUNTERS,
    &TReplyHandlers::Trt_CM_VORN,
    &TReplyHandlers::Trt_DL_VORN,
    &TReplyHandlers::Trt_PC_VORN,
    &TReplyHandlers::Trt_CF_VORN,
    &TReplyHandlers::Trt_ID_VORN,
    &TReplyHandlers::Trt_DateAck_ALL_COUNTERS,
};
const HandlerField kGammaScoutOrder[] = {
    &TReplyHandlers::Trt_Version_ALL_COUNTERS, &TReplyHandlers::Trt_Mode_GAMMASCOUT,
    &TReplyHandlers::Trt_DateAck_ALL_COUNTERS, &TReplyHandlers::Trt_ID_GAMMA_SCOUT,
    &TReplyHandlers::Trt_DL_GAMMA_SCOUT,       &TReplyHandlers::Trt_DL_SUITE_GAMMA_SCOUT,
    &TReplyHandlers::Trt_Clear_GAMMA_SCOUT,
};

} // namespace

Tcg_thread_ES::Tcg_thread_ES(bool CreateSuspended, TSessionLinks Links)
    : Handlers(std::move(Links.Handlers)),
      Trt_dump_GammaScout(std::move(Links.Trt_dump_GammaScout)), FLinks(std::move(Links)) {
    ReinitLocked(NonConnecte);
    ContextFromConfigLocked();
    Cpt_H_mn.fill(0);
    Cpt_H_SV.fill(0);
    I_Cpt_H = 0;
    Nb_Mn = 0;
    H24 = false;
    if (!CreateSuspended) Start();
}

Tcg_thread_ES::~Tcg_thread_ES() {
    Terminate();
    WaitFor();
}

SerialLine* Tcg_thread_ES::Line() const {
    return FLinks.Ligne ? FLinks.Ligne : EntreesSorties.get();
}
MainThreadPort& Tcg_thread_ES::Main() const {
    return FLinks.Main ? *FLinks.Main : MainThread();
}
ClockPort& Tcg_thread_ES::Horloge() const {
    return FLinks.Horloge ? *FLinks.Horloge : Clock();
}

void Tcg_thread_ES::Start() {
    if (FThread.joinable() || FFinished) return;
    FThread = std::thread([this] { Execute(); });
}

void Tcg_thread_ES::Terminate() {
    FTerminated = true;
}

void Tcg_thread_ES::WaitFor() {
    if (!FThread.joinable()) return;
    MainThreadPort& main = Main();
    if (main.isMainThread()) {
        while (!FFinished) {
            main.processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    FThread.join();
}

// ---- setters of the main thread ----

void Tcg_thread_ES::ReinitLocked(Tetat EtatInit) {
    Etat = EtatInit;
    BufE.clear();
    BufR.SSynt.clear();
    BufR.Occupe = false;
    Commande = Comd_Rien;
    AEmettre = false;
    FAttenteSeule = false;
    FLigneTropLongue = false;
    Nblignes = -1;
    Periode = 3600;
    Codage = Entier1;
    LastDLDateTime = 0;
}

void Tcg_thread_ES::ContextFromConfigLocked() {
    FModele = Fichier_conf.type_compteur_Capture;
    FLangue = Fichier_conf.Langue;
}

void Tcg_thread_ES::ReinitAutomate(Tetat EtatInit, bool OublieDefaut) {
    std::lock_guard<std::mutex> lock(FCS);
    ++FGeneration;
    // A new start: a line fault is worth telling again, unless this is the same line tried
    // again after that very fault.
    if (OublieDefaut) FDerniereErreur = 0;
    FDefautLigne = 0;
    ReinitLocked(EtatInit);
    ContextFromConfigLocked();
}

void Tcg_thread_ES::SetContext(TTypeCompteur Modele, const std::string& Langue) {
    std::lock_guard<std::mutex> lock(FCS);
    FModele = Modele;
    FLangue = Langue;
}

TCommande Tcg_thread_ES::CommandeEnCours() {
    std::lock_guard<std::mutex> lock(FCS);
    return Commande;
}

void Tcg_thread_ES::SetComdAttendue(TCommande ComdAttendue) {
    std::lock_guard<std::mutex> lock(FCS);
    Commande = ComdAttendue;
}

void Tcg_thread_ES::SetDonneesAEmettre(const std::string& S) {
    std::lock_guard<std::mutex> lock(FCS);
    BufE = S;
    AEmettre = !S.empty();
}

bool Tcg_thread_ES::Occupe() {
    std::lock_guard<std::mutex> lock(FCS);
    return AEmettre || Etat != Initial || BufR.Occupe || Commande != Comd_Rien;
}

void Tcg_thread_ES::SetDLParam(int32_t P, TCodage C) {
    std::lock_guard<std::mutex> lock(FCS);
    Periode = P;
    Codage = C;
    Nblignes = 0;
}

void Tcg_thread_ES::SetNbInternalData() {
    std::lock_guard<std::mutex> lock(FCS);
    Nblignes = 0;
}

void Tcg_thread_ES::SetAttenteReponse() {
    std::lock_guard<std::mutex> lock(FCS);
    FAttenteSeule = true;
}

int32_t Tcg_thread_ES::DefautLigne() {
    std::lock_guard<std::mutex> lock(FCS);
    return FDefautLigne;
}

// ---- the loop, on the session thread ----

void Tcg_thread_ES::Execute() {
    while (!Terminated()) {
        try {
            Step();
        } catch (const std::exception& e) {
            // Whatever failed, the session goes on listening.
            Trt_log(GetMessagePgm(erreur_systeme) + ": " + e.what(), true);
            std::lock_guard<std::mutex> lock(FCS);
            ReinitLocked(Initial);
        }
    }
    Thread_ES_Running = false;
    FFinished = true;
}

void Tcg_thread_ES::Step() {
    Tetat etat;
    uint64_t gen;
    {
        std::lock_guard<std::mutex> lock(FCS);
        etat = Etat;
        gen = FGeneration;
    }
    switch (etat) {
    case Initial:
        Listen(gen, false);
        break;
    case TraiteEmission:
        Send(gen);
        break;
    case AttenteReception:
        Listen(gen, true);
        break;
    case TraiteReception:
        Prepare(gen);
        break;
    case AttenteFinTraitement:
        AfterHandlers(gen);
        break;
    case NonConnecte:
        Horloge().sleepMs(PauseTraitement);
        break;
    default: {
        std::lock_guard<std::mutex> lock(FCS);
        if (gen == FGeneration) ReinitLocked(Initial);
    }
    }
}

// Initial and AttenteReception: one line, or a second of silence.
void Tcg_thread_ES::Listen(uint64_t gen, bool awaitingReply) {
    std::string line;
    int32_t status = ErrPortNotOpen;
    if (SerialLine* l = Line()) {
        l->RECEIVE(LongueurLigne, RETOUR_CHARIOT, 0, line, status);
        if (status == ErrTimeout && l->LineFault() != 0) status = l->LineFault();
    }
    if (Terminated()) return;

    // A line longer than one read (noise at the wrong speed, a stream without a carriage
    // return) is no reply: its pieces are dropped up to its end, and the user told once. Its
    // end is a carriage return, or silence: then the next line is a line again. A queued line
    // still waits for a second of silence, as after any line.
    if (status == 0) {
        const bool piece = line.size() >= static_cast<size_t>(LongueurLigne) &&
                           line.back() != static_cast<char>(RETOUR_CHARIOT);
        if (piece || FLigneTropLongue) {
            if (piece && !FLigneTropLongue) Trt_log(GetMessagePgm(Cmd_Compteur_Incorrecte), true);
            FLigneTropLongue = piece;
            bool giveUp = false;
            {
                std::lock_guard<std::mutex> lock(FCS);
                if (gen != FGeneration) return;
                if (awaitingReply) giveUp = TickPassed(Horloge().tickMs(), Watchdog);
            }
            if (giveUp) GiveUpReply(gen);
            return;
        }
    } else {
        FLigneTropLongue = false;
    }

    if (status == 0) {
        std::lock_guard<std::mutex> lock(FCS);
        if (gen != FGeneration) return; // the main thread reset the session meanwhile
        FDerniereErreur = 0;
        FDefautLigne = 0;
        BufR.SSynt = std::move(line);
        BufR.Occupe = true;
        BufR.TSynt = WithoutMilliseconds(Horloge().now());
        FAttenteSeule = false; // the reply path below has its own watchdog
        Etat = TraiteReception;
        return;
    }
    // A fault of the line itself (a pulled cable) comes back on every read, a second apart:
    // the user hears of it once, until a line arrives or the session is restarted.
    if (status != ErrTimeout && status != ErrPortNotOpen) {
        bool tell;
        std::string langue;
        {
            std::lock_guard<std::mutex> lock(FCS);
            if (gen != FGeneration) return;
            tell = status != FDerniereErreur;
            FDerniereErreur = status;
            FDefautLigne = status;
            langue = FLangue;
        }
        if (tell) Trt_log(GetIOError(status, langue), true);
    }
    // No line (a partial one is dropped), or no port.
    if (!awaitingReply) {
        {
            std::lock_guard<std::mutex> lock(FCS);
            if (gen != FGeneration) return;
            if (AEmettre) {
                Etat = TraiteEmission;
                return;
            }
            if (FAttenteSeule) {
                FAttenteSeule = false;
                if (Commande != Comd_Rien) {
                    Watchdog = Horloge().tickMs() + DelaiReponse;
                    Etat = AttenteReception;
                    return;
                }
            }
        }
        Horloge().sleepMs(PauseInitial);
        return;
    }
    if (!TickPassed(Horloge().tickMs(), Watchdog)) {
        Horloge().sleepMs(PauseAttente);
        return;
    }
    GiveUpReply(gen);
}

// The watchdog has passed without a line: the end of a Gamma Scout dump, or a missing reply.
void Tcg_thread_ES::GiveUpReply(uint64_t gen) {
    TCommande commande;
    TTypeCompteur modele;
    std::string langue;
    {
        std::lock_guard<std::mutex> lock(FCS);
        if (gen != FGeneration) return;
        commande = Commande;
        modele = FModele;
        langue = FLangue;
    }
    if (IsGammaScout(modele) && commande == Comd_DL_suite) {
        Trt_log(GetMessagePgm(FinDump), true);
        // The dump's lines were gathered by the main thread, which reads them too (a close
        // counts them): they are taken over there, and decoded here from this copy.
        TextList dump;
        Main().runOnMainAndWait([&dump] { dump.swap(F_Dump); });
        const erreur_programme r =
            Trt_dump_GammaScout ? Trt_dump_GammaScout(dump) : zel::Trt_dump_GammaScout(dump);
        Trt_log(GetMessagePgm(r), true);
    } else {
        Trt_log(GetIOError(ErrTimeout, langue), true);
    }
    std::lock_guard<std::mutex> lock(FCS);
    if (gen == FGeneration) ReinitLocked(Initial);
}

void Tcg_thread_ES::Send(uint64_t gen) {
    std::string text;
    {
        std::lock_guard<std::mutex> lock(FCS);
        if (gen != FGeneration) return;
        text = BufE;
        AEmettre = false;
    }
    text += static_cast<char>(RETOUR_CHARIOT);
    int32_t status = ErrPortNotOpen;
    if (SerialLine* l = Line()) l->SEND(text, status);
    if (Terminated()) return;

    if (status == 0) {
        std::lock_guard<std::mutex> lock(FCS);
        if (gen != FGeneration) return;
        if (Commande != Comd_Rien) {
            Watchdog = Horloge().tickMs() + DelaiReponse;
            Etat = AttenteReception;
        } else {
            Etat = Initial;
        }
        return;
    }
    // The queued line is lost; the caller sees Occupe fall. A fault of the line itself is told
    // once, as on reading: a dead line tried again (each request of an identification) stays quiet.
    std::string langue;
    bool tell = true;
    {
        std::lock_guard<std::mutex> lock(FCS);
        langue = FLangue;
        if (status != ErrTimeout && status != ErrPortNotOpen) {
            tell = status != FDerniereErreur;
            FDerniereErreur = status;
            FDefautLigne = status;
        }
    }
    if (tell) Trt_log(GetIOError(status, langue), true);
    std::lock_guard<std::mutex> lock(FCS);
    if (gen == FGeneration) ReinitLocked(Initial);
}

// TraiteReception: clean the line and hand it to the main thread.
void Tcg_thread_ES::Prepare(uint64_t gen) {
    std::string received;
    {
        std::lock_guard<std::mutex> lock(FCS);
        if (gen != FGeneration) return;
        received = BufR.SSynt;
    }
    const std::string line = PrepareLine(std::move(received));
    if (line.empty()) {
        std::lock_guard<std::mutex> lock(FCS);
        if (gen != FGeneration) return;
        BufR.SSynt.clear();
        BufR.Occupe = false;
        // A blank line is no reply: a command in progress keeps waiting for its reply under
        // the watchdog, as after a handled line, instead of waiting for ever.
        if (Commande != Comd_Rien && !AEmettre) {
            Watchdog = Horloge().tickMs() + DelaiLigneSuivante;
            Etat = AttenteReception;
        } else {
            Etat = Initial;
        }
        return;
    }
    {
        std::lock_guard<std::mutex> lock(FCS);
        if (gen != FGeneration) return;
        BufR.SSynt = line;
        SyntInit(BufR);
    }
    Main().runOnMainAndWait([this] { TrtES(); });
    std::lock_guard<std::mutex> lock(FCS);
    if (gen != FGeneration) return;
    Etat = AttenteFinTraitement;
}

void Tcg_thread_ES::AfterHandlers(uint64_t gen) {
    {
        std::lock_guard<std::mutex> lock(FCS);
        if (gen != FGeneration) return;
        if (!BufR.Occupe) {
            // A multi-line reply goes on while a command is still in progress. A command
            // whose line is still queued awaits nothing yet: an unprompted line (a count) that
            // came first must not start its watchdog, or the line would never leave.
            if (Commande != Comd_Rien && !AEmettre) {
                Watchdog = Horloge().tickMs() + DelaiLigneSuivante;
                Etat = AttenteReception;
            } else {
                Etat = Initial;
            }
            return;
        }
    }
    Horloge().sleepMs(PauseTraitement);
}

// ---- the dispatcher, on the main thread ----

bool Tcg_thread_ES::OfferTo(const TrtHandler& h) {
    return h && h(*this);
}

void Tcg_thread_ES::TrtES() {
    try {
        const TTypeCompteur modele = Fichier_conf.type_compteur_Capture;
        if (IsVorn(modele) || IsGammaScout(modele)) {
            Trt_log(BufR.SSynt, false);
            bool taken = false;
            if (IsVorn(modele)) {
                for (HandlerField f : kVornOrder)
                    if ((taken = OfferTo(Handlers.*f))) break;
            } else {
                for (HandlerField f : kGammaScoutOrder)
                    if ((taken = OfferTo(Handlers.*f))) break;
            }
            if (!taken) {
                Trt_log(GetMessagePgm(Cmd_Compteur_Incorrecte), true);
                Commande = Comd_Rien;
            }
        } else if (OfferTo(Handlers.Trt_Version_ALL_COUNTERS)) {
            // No model known yet: only an identification is taken.
            Trt_log(BufR.SSynt, false);
            Commande = Comd_Rien;
        }
    } catch (const std::exception& e) {
        // A handler's failure must not leave the session thread waiting for this call.
        Trt_log(GetMessagePgm(erreur_systeme) + ": " + e.what(), true);
        Commande = Comd_Rien;
    }
    // An identification may have changed the model: the loop reads the copy.
    {
        std::lock_guard<std::mutex> lock(FCS);
        ContextFromConfigLocked();
    }
    BufR.Occupe = false;
}

} // namespace zel
