#pragma once
// The session changes the live capture but has no window: the application layer, which shows
// the statistics, hands it the function that recomputes and shows them.
#include <functional>

#include "records/capture.h"
#include "settings/counter_type.h"

namespace zel {

using TStatisticsView = std::function<void(const TCaptureList&, double, TTypeCompteur)>;

// Main thread. An empty function (the default) shows nothing.
void SetStatisticsView(TStatisticsView view);
// Shows the statistics of F (with its factor and model) through the function set above.
void ShowStatistics(const TCaptureList& F, double factor, TTypeCompteur model);

} // namespace zel
