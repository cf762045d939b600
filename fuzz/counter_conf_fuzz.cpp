// A counter's own configuration file (date of writing, model, factor) as anything may have
// left it, read through the name of one of its capture files.
#include "fuzz_common.h"
#include "records/counter.h"
#include "settings/config.h"

using namespace zel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        Repertoire_conf = fuzz::ScratchDir();
        return true;
    }();
    (void)ready;
    fuzz::WriteRaw(Repertoire_conf + "VORN3_01234_Conf.txt", fuzz::Bytes(data, size));
    double fc = 0;
    TTypeCompteur type = NotInitialized;
    (void)LireConfCompteur("/elsewhere/VORN3_01234_DL.txt", fc, type);
    // The name itself comes from a file too (the configuration's capture file name).
    const std::string name(fuzz::Bytes(data, size < 80 ? size : 80));
    (void)LireConfCompteur(name, fc, type);
    return 0;
}
