#pragma once
// The records of a date window as a CSV text for spreadsheets: one header line, then one line
// per record with its date in ISO 8601 (local time, no zone), its period, its count, and the
// count per minute and dose rate they give. Numbers use "." and lines end in CR LF.
#include <cstddef>
#include <string>

#include "records/capture.h"
#include "records/statistics.h"
#include "settings/counter_type.h"

namespace zel {

// "date,period (s),count,CPM,µSv/h"
extern const char* const RecordsCsvHeader;

struct RecordsCsv {
    std::string text;   // header and lines
    size_t records = 0; // lines written below the header
};

// Every record of F dated within `window` (both ends included, to the millisecond) with a
// positive period, in list order; a count of 0 is written too. A negative count is the
// counter's error mark: its CPM and dose rate stay empty. Lines that are not records are left
// out. A Gamma Scout count covers its period, so its CPM is count x 60 / period; the other
// counters count per minute.
RecordsCsv MakeRecordsCsv(const TCaptureList& F, StatisticsWindow window, double factor,
                          TTypeCompteur model);

} // namespace zel
