// The main window's title and the counter commands it offers, per connected model.
#include <string>

#include "model/model.h"
#include "session/emission.h"
#include "settings/config.h"
#include "settings/messages.h"

namespace zel {

namespace {

struct TMenus {
    bool B, F, V, D, I, Param, Data, ModePC, ModeAcq, Raz;
};

// "&Version compteur" stays on for every model, so that an unknown counter can be asked again.
TMenus MenusPourModele(TTypeCompteur t) {
    switch (t) {
    case CVORN2:
        return {true, true, true, true, true, false, false, false, false, false};
    case CVORN3:
        return {false, true, true, false, false, true, true, false, false, false};
    case CVORN8:
    case CVORN9:
    case CVORN10:
        return {false, true, true, true, false, true, false, false, false, false};
    case GAMMA_SCOUT1:
        return {true, false, true, true, true, true, true, false, false, true};
    case GAMMA_SCOUT2:
        return {true, false, true, true, true, true, true, true, true, true};
    default:
        return {false, false, true, false, false, false, false, false, false, false};
    }
}

std::string Titre(TTypeCompteur t) {
    switch (t) {
    case CVORN2:
        return "Zelvanor  - VORN2";
    case CVORN3:
        return "Zelvanor  - VORN3";
    case CVORN8:
        return "Zelvanor  - VORN8";
    case CVORN9:
        return "Zelvanor  - VORN9";
    case CVORN10:
        return "Zelvanor  - VORN10";
    case GAMMA_SCOUT1:
        return "Zelvanor  - GAMMA-SCOUT V1";
    case GAMMA_SCOUT2:
        return "Zelvanor  - GAMMA-SCOUT V2";
    default:
        return "Zelvanor " + GetMessagePgm(Compteur_inconnu);
    }
}

} // namespace

void maj_menu_commandes() {
    const TTypeCompteur t = Fichier_conf.type_compteur_Capture;
    const TMenus m = MenusPourModele(t);
    TprincipalModel& p = Principal;
    p.caption = Titre(t);
    p.cg_menuitem_B_enabled = m.B;
    p.cg_menuitem_F_enabled = m.F;
    p.cg_menuitem_V_enabled = m.V;
    p.cg_menuitem_D_enabled = m.D;
    p.cg_menuitem_I_enabled = m.I;
    p.cg_menu_param_compteur_enabled = m.Param;
    p.cg_menu_get_data_enabled = m.Data;
    p.cg_menuitem_Mode_PC_enabled = m.ModePC;
    p.cg_menuitem_Mode_acq_enabled = m.ModeAcq;
    p.cg_menuitem_RazMemoire_enabled = m.Raz;
    ModelChanged(ModelWindow::Main);
}

} // namespace zel
