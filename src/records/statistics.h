#pragma once
// Statistics of a capture list over a date window: mean, maximum and its date, population
// standard deviation and number of records, in counts per minute and in µSv/h, and the
// distribution of the per-minute values. A plain value: the window and the command line show it.
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "base/datetime.h"
#include "records/capture.h"
#include "settings/counter_type.h"

namespace zel {

// Number of classes of the distribution: one per whole count per minute.
constexpr int NbClassesGauss = 10000;

// The records counted: dated from `from` to `to`, both included (compared to the millisecond).
struct StatisticsWindow {
    TDateTime from = 0;
    TDateTime to = 0;
};

struct Statistics {
    bool valid = true; // false when a line of the list is not a record: nothing else is set
    int32_t events = 0;
    double mean_cpm = 0, sd_cpm = 0, max_cpm = 0;
    double mean_usvh = 0, sd_usvh = 0, max_usvh = 0;
    TDateTime max_date = 0;                  // the first record to reach the maximum
    TDateTime first_date = 0, last_date = 0; // of the first and the last record used
    // (class, records in it) for each non-empty class, in increasing order; a class is a
    // per-minute value rounded to the nearest integer, halves to the even neighbour.
    std::vector<std::pair<int32_t, int32_t>> classes;
};

// The computation, one record at a time in list order, so that a file can be read without
// keeping its records.
class StatisticsAccumulator {
  public:
    StatisticsAccumulator(StatisticsWindow window, double factor, TTypeCompteur model);

    enum class Step { Used, Skipped, End };
    // Used: `value` is the record's count per minute. End: nothing after this record counts
    // (it is past the window's end, or not a record: the result is then not valid).
    Step Add(const TCaptureRecord& r, int64_t ms, double& value);
    Statistics Result() const;

  private:
    std::vector<int32_t> classes_;
    int64_t from_ms_, to_ms_;
    double factor_;
    bool gamma_;
    bool failed_ = false;
    int32_t events_ = 0;
    double sum_ = 0, sum_sq_ = 0, max_ = 0;
    TDateTime max_date_ = 0;
    TDateTime first_date_ = 0, last_date_ = 0;
    int min_class_ = NbClassesGauss, max_class_ = -1;
};

// The statistics of F over the window; `each_value` (when set) gets the date and count per
// minute of every record used, in order. On an invalid result it may have been called already.
Statistics ComputeStatistics(const TCaptureList& F, StatisticsWindow window, double factor,
                             TTypeCompteur model,
                             const std::function<void(TDateTime, double)>& each_value = {});

} // namespace zel
