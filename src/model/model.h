#pragma once
// What the windows show: one plain struct per window, written by the core (handlers, loaders,
// statistics) and copied into widgets by whatever front end is in use. The core never includes
// a toolkit header; the front end registers one "changed" callback.
//
// Each area of the program adds the fields it writes to its own block below, with the control
// name the window uses (cg_cpm_mn, cg_date_debut ...). Keep plain values: strings, numbers, bools.
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "base/datetime.h"

namespace zel {

class TNiceChart;
class TNiceSeries;

enum class ModelWindow { Main, Connection, Preferences, ParamVorn, ParamGamma, About };

// Called after a handler changed a window's model (on the main thread).
void SetModelObserver(std::function<void(ModelWindow)> observer);
void ModelChanged(ModelWindow w);

// ---- Main window (Tprincipal) -------------------------------------------------------------
struct TprincipalModel {
    std::string caption; // window title

    // Date pickers of the viewing window (capture records)
    TDateTime date_debut = 0;
    TDateTime date_fin = 0;

    // The four charts, owned by the application state and created at start-up.
    TNiceChart* chartComptageMn = nullptr;
    TNiceChart* chartComptageSV = nullptr;
    TNiceChart* chartHisto = nullptr;
    TNiceChart* chartGauss = nullptr;

    // Journal and count alarm (settings/journal.cpp)
    std::vector<std::string> cg_info_status; // status box: "-> " / "<- " + message, no limit
    bool cg_ra_a_visible = false; // raised alarm picture
    bool cg_ra_i_visible = true;  // idle alarm picture, same place
    bool alarm_hints = false;     // hints of both pictures shown while an alarm is raised
    bool FlipTimer_enabled = false;
    int FlipTimer_interval = 1000; // ms
};
extern TprincipalModel Principal;

// The one series of each chart (set when the charts are created).
extern TNiceSeries* SerieComptageMn;
extern TNiceSeries* SerieComptageSV;
extern TNiceSeries* SerieHisto;
extern TNiceSeries* SerieGauss;

// ---- Gamma Scout parameter dialog (cg_param_gamma) -----------------------------------------
// Its texts are written by the session thread while decoding a dump and read by the window:
// access them under `mutex`.
struct TParamGammaModel {
    mutable std::mutex mutex;
};
extern TParamGammaModel cg_param_gamma;

// ---- VORN parameter dialog (cg_param_vornx) -------------------------------------------------
struct TParamVornModel {};
extern TParamVornModel cg_param_vornx;

// ---- Connection dialog (cg_Connection) ------------------------------------------------------
struct TConnectionModel {};
extern TConnectionModel cg_Connection;

// ---- Preferences dialog (cg_preference) -----------------------------------------------------
struct TPreferenceModel {};
extern TPreferenceModel cg_preference;

} // namespace zel
