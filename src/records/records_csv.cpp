#include "records/records_csv.h"

#include "base/datetime.h"
#include "base/numfmt.h"

namespace zel {

const char* const RecordsCsvHeader = "date,period (s),count,CPM,µSv/h";

RecordsCsv MakeRecordsCsv(const TCaptureList& F, StatisticsWindow window, double factor,
                          TTypeCompteur model) {
    RecordsCsv out;
    out.text = std::string(RecordsCsvHeader) + "\r\n";
    const int64_t from = DateMs(window.from), to = DateMs(window.to);
    const bool gamma = model == GAMMA_SCOUT1 || model == GAMMA_SCOUT2;
    for (const TCaptureList::Entry& e : F) {
        if (!e.Valide || e.T == 0 || e.Duree <= 0) continue;
        if (e.ms < from || e.ms > to) continue;
        out.text += FormatDateTime("YYYY-MM-DDTHH:NN:SS", e.T, '-', ':');
        out.text += ',' + std::to_string(e.Duree) + ',' + std::to_string(e.Comptage) + ',';
        if (e.Comptage >= 0) {
            const double cpm = gamma ? e.Comptage * 60.0 / e.Duree : e.Comptage;
            out.text += FloatToStr(cpm) + ',' + FloatToStr(cpm * factor);
        } else {
            out.text += ',';
        }
        out.text += "\r\n";
        ++out.records;
    }
    return out;
}

} // namespace zel
