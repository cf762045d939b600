// The connection dialog: line setting, port list, and the sequence that opens the port and
// identifies the counter.
#include <algorithm>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/connection_state.h"
#include "app/session_link.h"
#include "base/ports.h"
#include "base/text_util.h"
#include "model/model.h"
#include "session/emission.h"
#include "settings/config.h"
#include "settings/journal.h"
#include "settings/messages.h"

namespace zel {

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    return true;
}

void MenuCompteur(bool enabled) {
    Principal.cg_menu_compteur_enabled = enabled;
    ModelChanged(ModelWindow::Main);
}

bool EstGammaScout(TTypeCompteur t) {
    return t == GAMMA_SCOUT1 || t == GAMMA_SCOUT2;
}

} // namespace

TLigneSerie LigneSerie(int32_t PortCom) {
    switch (PortCom) {
    case 0:
        return {19200, 8, 0, 0};
    case 1:
        return {9600, 8, 0, 0};
    case 2:
        return {2400, 7, 2, 0};
    case 3:
        return {9600, 7, 2, 0};
    case 4:
        return {460800, 7, 2, 0};
    default:
        return {9600, 8, 0, 0};
    }
}

const std::vector<std::string>& LignesSerieTextes() {
    static const std::vector<std::string> t = {
        "19200bps.. VORN2",
        "9600bps... VORN3...10",
        "2400bps... GAMMA SCOUT 1 ≤ V < 6.0",
        "9600bps... GAMMA SCOUT 6.0 ≤ V < 6.90",
        "460800bps GAMMA SCOUT V ≥ 6.90",
    };
    return t;
}

bool ConnectionFormShow() {
    TConnectionModel& m = cg_Connection;
    m.close_request = false;
    // An index outside the five items shows the second one; PortCom itself is left alone until
    // the user picks an item.
    m.cg_portcom = Fichier_conf.PortCom <= 4 ? Fichier_conf.PortCom : 1;
    m.cg_connect_info = GetMessagePgm(param_Pret);
    m.cg_connect_info_red = false;
    m.connect_error.clear();

    const std::string ports = ListePorts();
    if (ports.empty()) {
        ModelChanged(ModelWindow::Connection);
        Dialogs().information(GetMessagePgm(pas_de_port));
        MenuCompteur(false);
        m.close_request = true;
        ModelChanged(ModelWindow::Connection);
        return false;
    }
    m.cg_liste_connect_com.clear();
    size_t start = 0;
    while (start <= ports.size()) {
        const size_t comma = ports.find(',', start);
        const std::string piece =
            ports.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (comma == std::string::npos) {
            if (!piece.empty()) m.cg_liste_connect_com.push_back(piece);
            break;
        }
        m.cg_liste_connect_com.push_back(piece);
        start = comma + 1;
    }
    std::sort(m.cg_liste_connect_com.begin(), m.cg_liste_connect_com.end());
    m.port_labels.clear();
    for (const auto& p : m.cg_liste_connect_com)
        m.port_labels.push_back(PortListLabel(p));
    m.cg_liste_connect_com_index = -1;
    if (!Fichier_conf.NomCom.empty()) {
        m.cg_liste_connect_com_index = m.cg_liste_connect_com.empty() ? -1 : 0;
        for (size_t i = 0; i < m.cg_liste_connect_com.size(); ++i)
            if (SameIgnoringCase(m.cg_liste_connect_com[i], Fichier_conf.NomCom)) {
                m.cg_liste_connect_com_index = static_cast<int>(i);
                break;
            }
    }
    ModelChanged(ModelWindow::Connection);
    return true;
}

bool IdentifyCounter(bool tellUnknown) {
    SetEmission(Comd_VP, "");
    const TTypeCompteur t = Fichier_conf.type_compteur_Capture;
    if (t == Unknown || t == NotInitialized) {
        if (tellUnknown) Trt_log(GetMessagePgm(Compteur_inconnu), true);
        return false;
    }
    if (EstGammaScout(t)) {
        if (!Fichier_conf.GammaScoutPCMode) {
            SetEmission(comd_PC_mode, "");
            SetEmission(Comd_VP, "");
        }
    } else {
        SetEmission(comd_CF, "");
    }
    return true;
}

void AppDisconnect() {
    SetEmission(Comd_NonConnecte, "");
    int32_t status = 0;
    FermerPort(status);
    MenuCompteur(false);
    ConnectionClosed();
    Trt_log(GetMessagePgm(non_connecte), true);
}

void cg_liste_connect_comChange(int32_t index) {
    cg_Connection.cg_liste_connect_com_index = index;
}

void cg_portcomClick(int32_t index) {
    cg_Connection.cg_portcom = index;
    if (index == Fichier_conf.PortCom) return;
    // The new setting is kept even if the dialog is then cancelled.
    Fichier_conf.PortCom = static_cast<uint8_t>(index);
    if (PortOuvert()) AppDisconnect();
}

bool AppConnect(const std::string& port, int32_t PortCom) {
    TConnectionModel& m = cg_Connection;
    Fichier_conf.NomCom = port;
    Fichier_conf.PortCom = static_cast<uint8_t>(PortCom);

    const bool couleur = m.cg_connect_info_red;
    m.cg_connect_info_red = true;
    m.cg_connect_info = GetMessagePgm(param_attente);
    ModelChanged(ModelWindow::Connection);
    MainThread().processEvents();

    SetEmission(Comd_NonConnecte, "");
    // Nothing of the previous counter stays: values, charts, title; of the counter menu only
    // the identification until a counter answers.
    ConnectionStarting(port, PortCom);

    int32_t status = 0;
    OuvrirPort(port, LigneSerie(PortCom), status);
    if (status == 0 && PortCom == 0) EcrirePort("\r", status);

    if (status != 0) {
        m.connect_error = PortOpenErrorText(port, status);
        Trt_log(m.connect_error, true);
        // The dialog stays open for another try: no longer waiting.
        m.cg_connect_info = GetMessagePgm(param_Pret);
        int32_t ignore = 0;
        FermerPort(ignore);
        MenuCompteur(false);
        ConnectionFailed();
    } else {
        m.connect_error.clear();
        SetEmission(Comd_Connecte, "");
        MenuCompteur(true);
        Trt_log(GetMessagePgm(connecte_a) + port, true);
        // The event processing of the identification may have run another connection.
        if (Connection().state == ConnectionState::Connecting)
            ConnectionOpened(IdentifyCounter(true));
    }

    m.cg_connect_info_red = couleur;
    ModelChanged(ModelWindow::Connection);
    return status == 0;
}

} // namespace zel
