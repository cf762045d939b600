#pragma once
// Statistics of a capture list over the display window: mean, maximum and its date,
// population standard deviation and number of records, in counts per minute and in µSv/h;
// the history series (one bar per record) and the distribution of the per-minute values.
#include "records/capture.h"
#include "settings/counter_type.h"
#include "settings/messages.h"

namespace zel {

// Number of classes of the distribution: one per whole count per minute.
constexpr int NbClassesGauss = 10000;

// Runs on the main thread. Reads Fichier_conf.date_deb / date_fin / tab_CPM; refills SerieHisto
// and SerieGauss (each skipped when not created) with their charts held in update mode; writes
// the statistics fields of Principal. Traitement_Termine when computed (also with no record in
// the window); Pb_Fichier_Log when a line is not a record or a value leaves the classes: both
// series and the seven value fields are then empty and cg_nb_events keeps its text.
erreur_programme StatCSV(const TCaptureList& F, double FacteurConversion, TTypeCompteur Compteur);

} // namespace zel
