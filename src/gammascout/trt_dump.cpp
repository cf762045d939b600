#include <exception>
#include <mutex>

#include "base/ports.h"
#include "base/regional.h"
#include "gammascout/gamma_scout.h"
#include "model/model.h"
#include "records/capture.h"
#include "records/counter.h"
#include "settings/config.h"

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

erreur_programme Apply(const DumpResult& r) {
    if (r.serieRead || r.eepromRead) {
        {
            std::lock_guard<std::mutex> lock(cg_param_gamma.mutex);
            if (r.serieRead) cg_param_gamma.serie = r.serie;
            if (r.eepromRead) cg_param_gamma.EEPROM = r.EEPROM;
        }
        if (r.serieRead) Fichier_conf.Serial_Compteur = r.Serial;
        ModelChanged(ModelWindow::ParamGamma);
    }
    if (!r.walked) return r.status;

    // The records join what earlier decodings of this counter left in its gs_ file; they stay
    // in F_DownLoad even when the walk failed, but are then not merged.
    if (!CreationFichierCSV(F_DownLoad, Repertoire_conf + "gs_" + r.serie + ".txt"))
        return gs_erreur_interne;
    for (const DumpRecord& rec : r.records)
        AjoutValeurCSV(F_DownLoad, rec.T, rec.Duree, rec.Comptage);
    if (r.status != gs_no_error) return r.status;

    if (!SaveTextFile(Repertoire_conf + r.reportName, r.report)) return gs_erreur_interne;
    std::string Nom;
    return SauveDownLoadCompteur(Nom) ? gs_no_error : pb_ecr_fichier;
}

} // namespace

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
