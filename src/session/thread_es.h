#pragma once
// The counter session: a worker thread that listens to the serial line, sends the line the
// front end queued, waits for the reply with a watchdog and hands every received line to the
// main thread, where the reply handlers read it.
//
// Reply handlers plug in through a table (TReplyHandlers) of functions taking the session:
// the dispatcher TrtES offers each line to them in the family's order; an empty entry accepts
// nothing. The production table comes from the handlers' own files and is passed to the
// constructor (TSessionLinks::Handlers) or assigned to `Handlers` before the thread starts.
// Handlers run on the main thread while the session thread waits for them, so they may read
// and write the session's fields (BufR, Commande, Nblignes, ...) without taking FCS.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "base/datetime.h"
#include "base/ports.h"
#include "base/textfile.h"
#include "scan/scanner.h"
#include "serial/serial_line.h"
#include "settings/counter_type.h"
#include "settings/messages.h"

namespace zel {

// The command in progress, which is also the kind of reply expected.
enum TCommande : uint8_t {
    Comd_Rien = 0,
    Comd_Connecte = 1,    // order to the session, never sent: the port has just been opened
    Comd_NonConnecte = 2, // order to the session, never sent: the port is about to close
    Comd_VP = 3,          // identification
    comd_CF = 4,          // conversion factor
    comd_PC_mode = 5,     // Gamma Scout: enter PC mode
    Comd_BO = 6,          // reboot, no reply awaited
    Comd_IN = 7,          // set the counter's clock
    Comd_DL = 8,          // download: first reply line awaited
    Comd_DL_suite = 9,    // download in progress: further lines awaited
    Comd_Mode_Acq = 10,   // Gamma Scout: back to acquisition mode
    Comd_mode_PC = 11,    // VORN: parameters
    Comd_ID = 12,         // internal data
    Comd_Clear_Data = 13, // Gamma Scout: clear the log memory
    Comd_H = 14,          // Gamma Scout: set the time
};

// Automaton state.
enum Tetat : uint8_t {
    Initial = 0,
    TraiteEmission = 1,
    AttenteReception = 2,
    TraiteReception = 3,
    AttenteFinTraitement = 4,
    NonConnecte = 5,
};

// Value encoding of a VORN download: plain integers, or a 13-bit mantissa with an exponent.
enum TCodage : uint8_t { Entier1 = 0, Entier2 = 1 };

class Tcg_thread_ES;

// A reply handler: reads the line in BufR (the cursor is shared by all handlers and is not
// rewound between them) and returns true when the line was its reply. Main thread.
using TrtHandler = std::function<bool(Tcg_thread_ES&)>;

struct TReplyHandlers {
    TrtHandler Trt_Version_ALL_COUNTERS;
    TrtHandler Trt_DateAck_ALL_COUNTERS;
    TrtHandler Trt_CM_VORN;
    TrtHandler Trt_DL_VORN;
    TrtHandler Trt_PC_VORN;
    TrtHandler Trt_CF_VORN;
    TrtHandler Trt_ID_VORN;
    TrtHandler Trt_Mode_GAMMASCOUT;
    TrtHandler Trt_ID_GAMMA_SCOUT;
    TrtHandler Trt_DL_GAMMA_SCOUT;
    TrtHandler Trt_DL_SUITE_GAMMA_SCOUT;
    TrtHandler Trt_Clear_GAMMA_SCOUT;
};

// The live counts of the counter identified last, beside the hourly ring (which runs across
// counters): what a new conversion factor converts again, and what the capture refused.
struct TLiveCounts {
    int32_t ClockBack = 0;             // refused by the capture since the clock went back
    int32_t DosePoints = 0;            // its points of the dose chart: the last ones
    std::array<int64_t, 25> PerHour{}; // its counts summed per hour slot of the ring
    bool HasLast = false;              // Last is its last count, shown in the live fields
    int32_t Last = 0;
};

// Decodes the Gamma Scout dump once the counter has gone silent; runs on the session thread,
// given the lines the main thread gathered in F_Dump (then empty). Not set: the program's
// decoder, Trt_dump_GammaScout.
using TDumpDecoder = std::function<erreur_programme(const TextList& Dump)>;

// What the session reaches outside itself. A null pointer means the program's own: the
// global EntreesSorties, MainThread() and Clock().
struct TSessionLinks {
    SerialLine* Ligne = nullptr;
    MainThreadPort* Main = nullptr;
    ClockPort* Horloge = nullptr;
    TReplyHandlers Handlers;
    TDumpDecoder Trt_dump_GammaScout;
};

class Tcg_thread_ES {
  public:
    // Starts the loop at once unless CreateSuspended (then Start() does). The automaton
    // begins in NonConnecte; the hourly slots are zeroed here only.
    explicit Tcg_thread_ES(bool CreateSuspended, TSessionLinks Links = {});
    // Ends the loop and waits for it (serving the main thread meanwhile) if still running.
    ~Tcg_thread_ES();
    Tcg_thread_ES(const Tcg_thread_ES&) = delete;
    Tcg_thread_ES& operator=(const Tcg_thread_ES&) = delete;

    // The thread itself.
    void Start();
    void Terminate();
    bool Terminated() const { return FTerminated.load(); }
    // Waits until the loop has ended. On the main thread it keeps running the session's
    // requests to the main thread meanwhile (the loop may be handing over a line).
    void WaitFor();
    bool Finished() const { return FFinished.load(); }

    // Setters of the main thread (command posting order: wait until !Occupe(), then
    // SetComdAttendue, then SetDonneesAEmettre, then poll Occupe()).
    // OublieDefaut false: the line is tried again after a fault already journalled, which is
    // not journalled a second time.
    void ReinitAutomate(Tetat EtatInit, bool OublieDefaut = true);
    void SetComdAttendue(TCommande ComdAttendue);
    // Queues S (without its carriage return); an empty S queues nothing but keeps the
    // command in progress.
    void SetDonneesAEmettre(const std::string& S);
    bool Occupe();
    void SetDLParam(int32_t P, TCodage C);
    void SetNbInternalData();
    // What the loop knows of the application, given to it by the main thread: the connected
    // model (its silence ends a Gamma Scout dump) and the language of the line fault texts.
    // The loop never reads the configuration, which the main thread changes as it goes.
    // ReinitAutomate and each handled line (an identification changes the model) take both from
    // Fichier_conf; call this when the user picks another language.
    void SetContext(TTypeCompteur Modele, const std::string& Langue);
    // The command in progress (Comd_Rien when none).
    TCommande CommandeEnCours();
    // For a command written to the line directly (not queued): once the line has been silent
    // for a second, the reply to the command in progress is awaited with the watchdog of a
    // send, so a counter that never answers cannot keep the session busy for ever.
    void SetAttenteReponse();
    // The fault of the line itself (an errno: the cable pulled, the device gone) that the loop
    // met on its last reads; 0 once a line arrives or the session is restarted. Any thread.
    int32_t DefautLigne();

    // The loop: Step() until Terminate(). Step() runs one pass of the automaton; tests drive
    // it directly in virtual time.
    void Execute();
    void Step();
    // The reply dispatcher, on the main thread, once per non-empty received line.
    void TrtES();

    // Fields. Those the main thread shares with the loop (Etat, Commande, AEmettre, BufE,
    // BufR, Watchdog, Nblignes, Periode, Codage) are changed under FCS by the setters and the
    // loop; handlers touch them only during the hand-over.
    std::mutex FCS;
    TDateTime LastDLDateTime = 0; // download clock; the Gamma Scout's clock in its version reply
    TCodage Codage = Entier1;
    int32_t Periode = 3600; // seconds between two values of a VORN download
    int32_t Nblignes = -1;  // data lines received / internal-data lines awaited; -1 idle
    Tetat Etat = NonConnecte;
    TCommande Commande = Comd_Rien;
    bool AEmettre = false;
    std::string BufE; // queued line, without its end character
    TAnalSynt BufR;   // the line received; Occupe from reception until handled
    uint32_t Watchdog = 0;
    std::array<int32_t, 25> Cpt_H_mn{};
    std::array<double, 25> Cpt_H_SV{};
    int32_t I_Cpt_H = 0;
    bool H24 = false;
    int32_t Nb_Mn = 0;
    TLiveCounts Live;

    TReplyHandlers Handlers;
    TDumpDecoder Trt_dump_GammaScout;

    // Idle steps and reply deadlines, in milliseconds.
    static constexpr uint32_t PauseInitial = 100;
    static constexpr uint32_t PauseAttente = 50;
    static constexpr uint32_t PauseTraitement = 250;
    static constexpr uint32_t DelaiReponse = 2000;       // first reply line after a send
    static constexpr uint32_t DelaiLigneSuivante = 1000; // next line of a multi-line reply
    static constexpr int32_t LongueurLigne = 255;        // bytes read at most per line

  private:
    void Listen(uint64_t gen, bool awaitingReply);
    void Send(uint64_t gen);
    void Prepare(uint64_t gen);
    void AfterHandlers(uint64_t gen);
    void GiveUpReply(uint64_t gen);
    void ReinitLocked(Tetat EtatInit);
    void ContextFromConfigLocked();
    bool OfferTo(const TrtHandler& h);
    SerialLine* Line() const;
    MainThreadPort& Main() const;
    ClockPort& Horloge() const;

    TSessionLinks FLinks;
    // Bumped by every ReinitAutomate of the main thread: a pass of the loop that began before
    // it must not overwrite the state the main thread has just set.
    uint64_t FGeneration = 0;
    bool FAttenteSeule = false;  // SetAttenteReponse pending
    int32_t FDerniereErreur = 0; // line fault last journalled, 0 when none since
    int32_t FDefautLigne = 0;    // fault of the last reads or send, 0 since a line or a restart
    // Inside a line longer than one read. Set by the session thread, cleared by a reset too.
    std::atomic<bool> FLigneTropLongue{false};
    TTypeCompteur FModele = NotInitialized; // SetContext, under FCS
    std::string FLangue;                    // SetContext, under FCS
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FFinished{false};
    std::thread FThread;
};

} // namespace zel
