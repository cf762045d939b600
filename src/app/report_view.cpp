#include "app/report_view.h"

#include "app/app.h"
#include "app/chart_menus.h"
#include "base/ports.h"
#include "base/textfile.h"
#include "gammascout/gamma_scout.h"
#include "settings/config.h"
#include "settings/texts.h"

namespace zel {

bool LastReport(std::string& path, std::string& text) {
    path = LastDownloadReport();
    text.clear();
    if (!path.empty() && ReadFileBytes(path, text)) return true;
    text = GetProgramText(ProgramText::NoReport);
    return false;
}

bool SaveReportAs(const std::string& text) {
    std::string path;
    if (!Dialogs().saveFile(GetProgramText(ProgramText::ReportSaveAs), Repertoire_conf,
                            "Text files (*.txt);;All files (*)", path))
        return false;
    DefaultExtension(path, ".txt");
    if (!AtomicWriteFile(path, text)) {
        NotWritten(path);
        return false;
    }
    return true;
}

} // namespace zel
