#include "app/session_link.h"

#include "app/connection_state.h"
#include "app/live_feed.h"

#include <cstdlib>
#include <memory>

#include "serial/port_list.h"
#include "session/replies.h"
#include "session/session_globals.h"
#include "settings/config.h"

namespace zel {

bool CreerEntreesSorties() {
    EntreesSorties = std::make_unique<TEntreesSorties>();
    return EntreesSorties != nullptr;
}

void LibererEntreesSorties() {
    EntreesSorties.reset();
}

bool EntreesSortiesExiste() {
    return EntreesSorties != nullptr;
}

bool DemarrerSession() {
    TSessionLinks links;
    links.Handlers = ReplyHandlers();
    // The identification handler is offered every line first, in every family: the connection
    // state learns there that the line is alive, and that the counter said who it is.
    links.Handlers.Trt_Version_ALL_COUNTERS =
        [version = links.Handlers.Trt_Version_ALL_COUNTERS](Tcg_thread_ES& T) {
            const bool taken = version && version(T);
            ConnectionLineSeen(taken);
            return taken;
        };
    // Every live count the capture took goes to the publishers too.
    links.Handlers.Trt_CM_VORN = [count = links.Handlers.Trt_CM_VORN](Tcg_thread_ES& T) {
        const bool taken = count && count(T);
        if (taken) FeedCountFromSession(T);
        return taken;
    };
    // The dump decoder left unset is the program's own (Trt_dump_GammaScout of F_Dump).
    Thread_ES = std::make_unique<Tcg_thread_ES>(false, std::move(links));
    Thread_ES_Running = true;
    return true;
}

void ArreterSession() {
    if (!Thread_ES) return;
    Thread_ES->Terminate();
    Thread_ES->WaitFor();
    Thread_ES.reset();
}

bool SessionExiste() {
    return Thread_ES != nullptr;
}

void UpdateSessionContext() {
    if (Thread_ES) Thread_ES->SetContext(Fichier_conf.type_compteur_Capture, Fichier_conf.Langue);
}

void OuvrirPort(const std::string& nom, const TLigneSerie& ligne, int32_t& status) {
    if (!EntreesSorties) {
        status = ErrPortNotOpen;
        return;
    }
    EntreesSorties->OuvrirCom(nom, ligne.BaudRate, ligne.ByteSize, ligne.Parity, ligne.StopBits,
                              status);
}

void FermerPort(int32_t& status) {
    status = 0;
    if (EntreesSorties) EntreesSorties->FermerCom(status);
}

bool PortOuvert() {
    return EntreesSorties && EntreesSorties->ComOuverte();
}

void EcrirePort(const std::string& texte, int32_t& status) {
    if (!EntreesSorties) {
        status = ErrPortNotOpen;
        return;
    }
    EntreesSorties->SEND(texte, status);
}

std::string ListePorts() {
    std::string ports = PortsDisponibles();
    // Devices that are not in the system's list, such as a simulated counter on a
    // pseudo-terminal: ZELVANOR_PORTS holds their paths, separated by commas. One that does not
    // exist stays in the list (marked there): silently leaving it out hides a typing mistake.
    const char* extra = std::getenv("ZELVANOR_PORTS");
    std::string rest = extra ? extra : "";
    while (!rest.empty()) {
        const size_t comma = rest.find(',');
        const std::string path = rest.substr(0, comma);
        rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
        if (path.empty()) continue;
        if (!ports.empty()) ports += ',';
        ports += path;
    }
    return ports;
}

} // namespace zel
