#include <cerrno>
#include <exception>
#include <mutex>
#include <string>
#include <utility>

#include "base/ports.h"
#include "base/regional.h"
#include "gammascout/gamma_scout.h"
#include "model/model.h"
#include "records/capture.h"
#include "records/counter.h"
#include "settings/config.h"
#include "settings/journal.h"
#include "settings/texts.h"

namespace zel {

DumpInput CurrentDumpInput() {
    DumpInput in;
    in.Version_GS = Fichier_conf.Version_GS;
    {
        std::lock_guard<std::mutex> lock(cg_param_gamma.mutex);
        in.version = cg_param_gamma.version;
        in.serie = cg_param_gamma.serie;
        in.EEPROM = cg_param_gamma.EEPROM;
    }
    in.now = Clock().now();
    in.time_sep = Regional().time_sep;
    in.decimal_sep = Regional().decimal_sep;
    return in;
}

namespace {

// The records that earlier decodings of this counter left in its gs_ file, when there is one.
// None is created: nothing is ever written to it from here.
void OuvreCaptureGs(const std::string& nom) {
    TCaptureList earlier;
    int err = 0;
    if (earlier.load(nom, &err)) {
        earlier.drop_trailing_blanks();
    } else if (err != ENOENT) {
        // Those earlier records are lost to this decoding; the log itself is not.
        Trt_log(GetMessagePgm(Pb_ouvrir_fichier) + nom, true);
    }
    F_DownLoad = std::move(earlier);
}

std::string g_last_report;

erreur_programme Apply(const DumpResult& r) {
    if (r.serieRead || r.eepromRead) {
        {
            std::lock_guard<std::mutex> lock(cg_param_gamma.mutex);
            if (r.serieRead) cg_param_gamma.serie = r.serie;
            if (r.eepromRead) cg_param_gamma.EEPROM = r.EEPROM;
        }
        if (r.serieRead && r.Serial != Fichier_conf.Serial_Compteur) {
            // The counter is known only now: its own factor goes with its files.
            Fichier_conf.Serial_Compteur = r.Serial;
            TTypeCompteur lu;
            LireConfCompteur(RacineCompteurConnecte(), Fichier_conf.conversion_sievert_capture, lu);
        }
        ModelChanged(ModelWindow::ParamGamma);
    }
    if (!r.walked) return r.status;
    if (r.undated > 0)
        Trt_log(GetMessagePgm(DLDateTimeErr) + ": " + std::to_string(r.undated), true);

    // The records stay in F_DownLoad even when the walk failed, but are then not merged.
    OuvreCaptureGs(Repertoire_conf + "gs_" + r.serie + ".txt");
    for (const DumpRecord& rec : r.records)
        AjoutValeurCSV(F_DownLoad, rec.T, rec.Duree, rec.Comptage);
    if (r.status != gs_no_error) return r.status;

    const std::string report = Repertoire_conf + r.reportName;
    if (!SaveTextFile(report, r.report)) {
        Trt_log(GetMessagePgm(pb_ecr_fichier) + ": " + report, true);
        return gs_erreur_interne;
    }
    g_last_report = report;
    Trt_log(GetProgramText(ProgramText::ReportWritten) + report, true);
    std::string Nom;
    if (SauveDownLoadCompteur(Nom)) return gs_no_error;
    Trt_log(GetMessagePgm(pb_ecr_fichier) + ": " + Nom, true);
    return pb_ecr_fichier;
}

} // namespace

const std::string& LastDownloadReport() {
    return g_last_report;
}

erreur_programme ApplyDumpResult(const DumpResult& r) {
    try {
        return Apply(r);
    } catch (const std::exception&) {
        return gs_erreur_interne;
    }
}

erreur_programme Trt_dump_GammaScout(const TextList& Dump) {
    DumpInput in;
    MainThread().runOnMainAndWait([&in] { in = CurrentDumpInput(); });
    const DumpResult r = DecodeDump(Dump, in);
    erreur_programme status = r.status;
    MainThread().runOnMainAndWait([&status, &r] { status = ApplyDumpResult(r); });
    return status;
}

} // namespace zel
