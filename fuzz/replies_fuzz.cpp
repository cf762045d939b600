// Received lines through the reply dispatcher and the handlers of both counter families. The
// first bytes set the connected model and the command in progress; the rest is lines.
#include "fuzz_common.h"
#include "model/model.h"
#include "records/capture.h"
#include "scan/scanner.h"
#include "session/replies.h"
#include "session/session_globals.h"
#include "settings/config.h"
#include "settings/journal.h"

using namespace zel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    static Tcg_thread_ES* T = [] {
        Repertoire_conf = fuzz::ScratchDir();
        TSessionLinks links;
        links.Handlers = ReplyHandlers();
        return new Tcg_thread_ES(true, std::move(links));
    }();
    Fichier_conf = type_fichier_conf{};
    Fichier_conf.Langue = "FR";
    Fichier_conf.type_compteur_Capture = static_cast<TTypeCompteur>(data[0] % 9);
    Fichier_conf.Serial_Compteur = 1234;
    F_Capture.clear();
    F_DownLoad.clear();
    F_Dump.clear();
    F_Log.clear();
    Principal.cg_info_status.clear();
    Alarme_en_cours = false;
    T->ReinitAutomate(Initial);
    T->Commande = static_cast<TCommande>(data[1] % 15);
    T->Codage = (data[2] & 1) ? Entier2 : Entier1;
    T->Nblignes = (data[2] & 2) ? -1 : (data[2] >> 2);
    T->Periode = (data[2] & 0x80) ? 60 : 3600;

    const std::string_view rest = fuzz::Bytes(data + 3, size - 3);
    TDateTime t = EncodeDateTime(2024, 5, 17, 10, 23, 45);
    size_t at = 0;
    while (at <= rest.size()) {
        size_t nl = rest.find('\n', at);
        if (nl == std::string_view::npos) nl = rest.size();
        const std::string line(rest.substr(at, nl - at));
        at = nl + 1;
        if (line.empty()) continue; // the session hands over non-empty lines only
        T->BufR.SSynt = line;
        T->BufR.TSynt = t;
        T->BufR.Occupe = true;
        SyntInit(T->BufR);
        T->TrtES();
        t += 1.0 / 1440; // a minute between lines
    }
    return 0;
}
