#include "gammascout/dump_common.h"

namespace zel {

// Firmware up to 5.43: five interval lengths, overflow 0xFC; 0xF5 to 0xFB and 0xFD are counts.
erreur_programme Trt_dump_GammaScout_V1(const TextList& Dump, const DumpInput& in,
                                        DumpResult& out) {
    static const SingleByteCodes codes{
        {604800, 86400, 3600, 600, 60, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0xFC};
    return DecodeHeaderLog(Dump, in, out, codes);
}

} // namespace zel
