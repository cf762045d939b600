// A language file as a translator (or anyone) may have written it, then every text looked up.
#include "fuzz_common.h"
#include "settings/config.h"
#include "settings/language.h"
#include "settings/messages.h"

using namespace zel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        Repertoire_langues = fuzz::ScratchDir();
        return true;
    }();
    (void)ready;
    fuzz::WriteRaw(Repertoire_langues + "XX.txt", fuzz::Bytes(data, size));
    F_Langue.clear();
    (void)ChargeFichierLangue("XX");
    std::string t;
    for (int e = NonInitialise; e <= FenetreParamGS; ++e)
        for (int n = -1; n < 40; ++n)
            (void)DonneTexteLangue(static_cast<TFenetre>(e), n, t);
    for (int m = 0; m < 64; ++m)
        (void)GetMessagePgm(static_cast<erreur_programme>(m));
    (void)ExtractLangueString(std::string(fuzz::Bytes(data, size < 64 ? size : 64)));
    return 0;
}
