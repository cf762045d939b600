#include "gammascout/dump_common.h"

namespace zel {

// Firmware above 5.43 up to 6.016: thirteen interval lengths 0xF0 to 0xFC, overflow 0xFD.
erreur_programme Trt_dump_GammaScout_V2(const TextList& Dump, const DumpInput& in,
                                        DumpResult& out) {
    static const SingleByteCodes codes{
        {604800, 259200, 86400, 43200, 7200, 3600, 1800, 600, 300, 120, 60, 30, 10, 0, 0, 0}, 0xFD};
    return DecodeHeaderLog(Dump, in, out, codes);
}

} // namespace zel
