// The two counter parameter dialogs: they validate what the user typed, build the settings
// string and sequence the commands; the replies fill their fields through the reply handlers.
#include <string>

#include "app/app.h"
#include "base/ports.h"
#include "model/model.h"
#include "scan/scanner.h"
#include "session/emission.h"
#include "settings/config.h"
#include "settings/messages.h"

namespace zel {

namespace {

// Status line: "waiting" in red before the first command, "ready" after the last.
template <class M> void Attente(M& m, ModelWindow w) {
    m.etat = GetMessagePgm(param_attente);
    m.etat_red = true;
    ModelChanged(w);
    MainThread().processEvents();
}

template <class M> void Pret(M& m, ModelWindow w) {
    m.etat_red = false;
    m.etat = GetMessagePgm(param_Pret);
    ModelChanged(w);
}

} // namespace

// ---- VORN ---------------------------------------------------------------------------------------

void ParamVornFormShow() {
    const TTypeCompteur t = Fichier_conf.type_compteur_Capture;
    cg_param_vornx.unites_enabled = !(t == CVORN8 || t == CVORN9);
    cg_param_vornx.vorn10_enabled = t == CVORN10;
    ModelChanged(ModelWindow::ParamVorn);
}

void ParamVornLireClick() {
    TParamVornModel& m = cg_param_vornx;
    // What an earlier read showed may not be this counter's any more: only the reply tells.
    m.led_known = m.buz_known = m.unites_known = m.Pile_Utilisee_known = false;
    Attente(m, ModelWindow::ParamVorn);
    SetEmission(Comd_mode_PC, "");
    SetEmission(comd_CF, "");
    SetEmission(Comd_VP, "");
    SetEmission(Comd_ID, "");
    Pret(m, ModelWindow::ParamVorn);
}

std::string TexteParamVorn(TTypeCompteur t, TDateTime now) {
    const TParamVornModel& m = cg_param_vornx;
    std::string s = "=";
    s += m.led == 0 ? "ON," : "OFF,";
    s += m.buz == 0 ? "ON," : "OFF,";
    s += m.unites == 0 ? "SV," : "PM,";
    s += m.seuil;
    if (t == CVORN10) {
        s += m.Pile_Utilisee == 0 ? ",LI36" : ",AL45";
        if (m.Ajust) {
            const DateTimeParts p = DecodeDateTime(now);
            for (int v : {p.year % 100, p.month, p.day, p.hour, p.minute})
                s += "," + std::to_string(v);
        }
    }
    return s;
}

void ParamVornPick(TVornSwitch which, int32_t item) {
    TParamVornModel& m = cg_param_vornx;
    switch (which) {
    case TVornSwitch::Led:
        m.led = item;
        m.led_known = item >= 0;
        break;
    case TVornSwitch::Buzzer:
        m.buz = item;
        m.buz_known = item >= 0;
        break;
    case TVornSwitch::Units:
        m.unites = item;
        m.unites_known = item >= 0;
        break;
    case TVornSwitch::Battery:
        m.Pile_Utilisee = item;
        m.Pile_Utilisee_known = item >= 0;
        break;
    }
}

void ParamVornEnvoyerClick() {
    TParamVornModel& m = cg_param_vornx;
    const TTypeCompteur t = Fichier_conf.type_compteur_Capture;

    TAnalSynt V;
    V.SSynt = m.facteur_conversion;
    SyntInit(V);
    double facteur = 0;
    if (!SyntReal(V, facteur) || !(facteur > 0 && facteur < 10)) {
        m.etat = GetMessagePgm(param_err_cf);
        ModelChanged(ModelWindow::ParamVorn);
        return;
    }
    V.SSynt = m.seuil;
    SyntInit(V);
    int32_t seuil = 0;
    if (!SyntInt(V, seuil) || seuil <= 0) {
        m.etat = GetMessagePgm(param_err_cpm);
        ModelChanged(ModelWindow::ParamVorn);
        return;
    }

    // A switch neither read nor picked would set the counter to whatever the dialog happens
    // to show (its alarms switched on, say).
    if (!(m.led_known && m.buz_known && m.unites_known &&
          (t != CVORN10 || m.Pile_Utilisee_known))) {
        m.etat = GetMessagePgm(ParamsNotRead);
        ModelChanged(ModelWindow::ParamVorn);
        return;
    }

    Attente(m, ModelWindow::ParamVorn);
    SetEmission(Comd_mode_PC, TexteParamVorn(t, Clock().now()));
    if (t == CVORN3) {
        std::string f = m.facteur_conversion;
        for (auto& c : f)
            if (c == ',') c = '.';
        SetEmission(comd_CF, "=" + f);
    }
    Pret(m, ModelWindow::ParamVorn);
}

// ---- Gamma Scout --------------------------------------------------------------------------------

void ParamGammaLireClick() {
    TParamGammaModel& m = cg_param_gamma;
    Attente(m, ModelWindow::ParamGamma);
    SetEmission(Comd_VP, "");
    if (!Fichier_conf.GammaScoutPCMode) {
        SetEmission(comd_PC_mode, "");
        SetEmission(Comd_VP, "");
    }
    Pret(m, ModelWindow::ParamGamma);
}

void ParamGammaEnvoyerClick() {
    TParamGammaModel& m = cg_param_gamma;
    Attente(m, ModelWindow::ParamGamma);
    SetEmission(Comd_IN, "");
    if (Fichier_conf.type_compteur_Capture == GAMMA_SCOUT1) SetEmission(Comd_H, "");
    Pret(m, ModelWindow::ParamGamma);
}

} // namespace zel
