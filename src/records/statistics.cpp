#include "records/statistics.h"

#include <algorithm>
#include <cmath>

namespace zel {

StatisticsAccumulator::StatisticsAccumulator(StatisticsWindow window, double factor,
                                             TTypeCompteur model)
    : classes_(NbClassesGauss, 0), from_ms_(DateMs(window.from)), to_ms_(DateMs(window.to)),
      factor_(factor), gamma_(model == GAMMA_SCOUT1 || model == GAMMA_SCOUT2) {}

StatisticsAccumulator::Step StatisticsAccumulator::Add(const TCaptureRecord& r, int64_t ms,
                                                       double& value) {
    if (failed_) return Step::End;
    if (!r.Valide) {
        failed_ = true;
        return Step::End;
    }
    if (r.T == 0) return Step::Skipped;
    // The list is in date order: nothing after the window's end is looked at.
    if (ms > to_ms_) return Step::End;
    if (ms < from_ms_ || r.Duree <= 0 || r.Comptage == 0) return Step::Skipped;
    // The bound applies to the rate, not to the count: a Gamma Scout day holds far more than
    // 9999 pulses. Negative counts are the counter's error marks; they count as an overflow.
    double v = r.Comptage;
    if (gamma_) v = v * 60 / r.Duree;
    if (r.Comptage < 0 || v > CDebord) v = CDebord;
    if (v > max_) {
        max_ = v;
        max_date_ = r.T;
    }
    // Nearest integer, halves to the even neighbour; never beyond the last class after the bound.
    const int c = std::min(static_cast<int>(std::nearbyint(v)), NbClassesGauss - 1);
    ++classes_[c];
    min_class_ = std::min(min_class_, c);
    max_class_ = std::max(max_class_, c);
    sum_ += v;
    sum_sq_ += v * v;
    if (events_ == 0) first_date_ = r.T;
    last_date_ = r.T;
    ++events_;
    value = v;
    return Step::Used;
}

Statistics StatisticsAccumulator::Result() const {
    Statistics s;
    if (failed_) {
        s.valid = false;
        return s;
    }
    s.events = events_;
    for (int c = min_class_; c <= max_class_; ++c)
        if (classes_[c] > 0) s.classes.emplace_back(c, classes_[c]);
    if (events_ == 0) return s;
    const double n = events_;
    s.mean_cpm = sum_ / n;
    s.max_cpm = max_;
    s.max_date = max_date_;
    s.first_date = first_date_;
    s.last_date = last_date_;
    // Equal values can leave the difference a rounding error below zero.
    s.sd_cpm = std::sqrt(std::max(0.0, n * sum_sq_ - sum_ * sum_)) / n;
    s.mean_usvh = sum_ * factor_ / n;
    s.max_usvh = max_ * factor_;
    s.sd_usvh = s.sd_cpm * factor_;
    return s;
}

Statistics ComputeStatistics(const TCaptureList& F, StatisticsWindow window, double factor,
                             TTypeCompteur model,
                             const std::function<void(TDateTime, double)>& each_value) {
    StatisticsAccumulator acc(window, factor, model);
    for (const TCaptureList::Entry& e : F) {
        double v = 0;
        const auto step = acc.Add(e, e.ms, v);
        if (step == StatisticsAccumulator::Step::End) break;
        if (step == StatisticsAccumulator::Step::Used && each_value) each_value(e.T, v);
    }
    return acc.Result();
}

} // namespace zel
