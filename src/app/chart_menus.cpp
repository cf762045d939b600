#include "app/chart_menus.h"

#include <algorithm>
#include <cctype>

#include "app/app.h"
#include "base/ports.h"
#include "base/textfile.h"
#include "model/model.h"
#include "records/capture.h"
#include "settings/config.h"
#include "settings/journal.h"
#include "settings/texts.h"

namespace zel {

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool EndsWith(const std::string& s, const char* tail) {
    const std::string t = tail;
    return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

} // namespace

// A name whose last component has no dot gets the extension.
void DefaultExtension(std::string& path, const char* ext) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) path += ext;
}

void NotWritten(const std::string& path) {
    const std::string text = GetProgramText(ProgramText::FileNotWritten) + path;
    Trt_log(text, true);
    Dialogs().information(text);
}

TNiceChart* ChartInFront() {
    const TprincipalModel& p = Principal;
    switch (p.cg_PageControl) {
    case 0:
        return p.chartComptageMn_visible ? p.chartComptageMn : p.chartComptageSV;
    case 1:
        return p.chartHisto;
    case 2:
        return p.chartGauss;
    default:
        return nullptr;
    }
}

PictureFormat PictureFileFormat(std::string& path) {
    const std::string l = Lower(path);
    if (EndsWith(l, ".svg")) return PictureFormat::Svg;
    if (!EndsWith(l, ".png")) path += ".png";
    return PictureFormat::Png;
}

bool SaveChartAs(const PictureWriter& write) {
    std::string path;
    if (!Dialogs().saveFile(GetProgramText(ProgramText::SaveChartAs), Repertoire_conf,
                            "PNG picture (*.png);;SVG picture (*.svg)", path))
        return false;
    const PictureFormat f = PictureFileFormat(path);
    if (!write(path, f)) {
        NotWritten(path);
        return false;
    }
    Trt_log(GetProgramText(ProgramText::ChartSaved) + path, true);
    return true;
}

RecordsCsv RecordsInView() {
    const type_fichier_conf& c = Fichier_conf;
    const bool file = c.Source == CFICHIER;
    return MakeRecordsCsv(file ? F_Fichier : F_Capture, {c.date_deb, c.date_fin},
                          file ? c.conversion_sievert_Fichier : c.conversion_sievert_capture,
                          file ? c.type_compteur_Fichier : c.type_compteur_Capture);
}

bool ExportRecordsClick() {
    std::string path;
    if (!Dialogs().saveFile(GetProgramText(ProgramText::ExportRecords), Repertoire_conf,
                            "CSV files (*.csv);;All files (*)", path))
        return false;
    DefaultExtension(path, ".csv");
    const RecordsCsv csv = RecordsInView();
    if (!AtomicWriteFile(path, csv.text)) {
        NotWritten(path);
        return false;
    }
    Trt_log(GetProgramText(ProgramText::RecordsExported) + std::to_string(csv.records) + " - " +
                path,
            true);
    return true;
}

} // namespace zel
