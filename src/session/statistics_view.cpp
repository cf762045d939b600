#include "session/statistics_view.h"

namespace zel {
namespace {
TStatisticsView& View() {
    static TStatisticsView v;
    return v;
}
} // namespace

void SetStatisticsView(TStatisticsView view) {
    View() = std::move(view);
}

void ShowStatistics(const TCaptureList& F, double factor, TTypeCompteur model) {
    if (const TStatisticsView& v = View()) v(F, factor, model);
}

} // namespace zel
