// The configuration file cg_conf.txt as anything may have left it.
#include "fuzz_common.h"
#include "settings/config.h"

using namespace zel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        Repertoire_conf = fuzz::ScratchDir();
        // No language files: a language named in the file is looked for and not found.
        Repertoire_langues = fuzz::ScratchDir() + "langages/";
        return true;
    }();
    (void)ready;
    fuzz::WriteRaw(Repertoire_conf + "cg_conf.txt", fuzz::Bytes(data, size));
    Fichier_conf = type_fichier_conf{};
    (void)LireConf();
    return 0;
}
