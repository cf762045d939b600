#include "gammascout/dump_common.h"

namespace zel {

namespace {
constexpr int64_t kLogStart = 256; // the records follow the 256-byte header
constexpr uint8_t kDate = 0xFE;    // minute, hour, day, month, year (BCD)
constexpr uint8_t kGap = 0xFF;     // 16-bit length in units of 10 s, then a count word
} // namespace

erreur_programme DecodeHeaderLog(const TextList& Dump, const DumpInput& in, DumpResult& out,
                                 const SingleByteCodes& codes) {
    if (Dump.size() < 3) return gs_erreur_fichier_vide;
    // Room for 16 bytes per line, as the counter sends them.
    LogBytes B(static_cast<int64_t>(Dump.size()) * 16);
    ReadPlainLines(Dump, B);
    if (B.TailleBuffer() < kLogStart) return gs_erreur_fichier_vide;

    // The serial number is shown even when the rest of the dump turns out to be unusable.
    out.Serial = BCDToWordBig(B[2]) * 10000u + BCDToWordBig(B[1]) * 100u + BCDToWordBig(B[0]);
    out.serie = std::to_string(out.Serial);
    out.serieRead = true;

    const int64_t KFin = B[32] + B[33] * 256;
    if (KFin > B.TailleBuffer() + 1) return gs_erreur_fichier_vide; // dump incomplete
    out.EEPROM = std::to_string(KFin - kLogStart);
    out.eepromRead = true;

    DumpWalk W(in, out);
    erreur_programme st = PasErreur;
    for (int64_t K = kLogStart; K < KFin && st == PasErreur;) {
        const uint8_t code = B[K];
        if (code == kDate) {
            if (K + 5 > KFin) return gs_erreur_date;
            st = W.Date(B[K + 5], B[K + 4], B[K + 3], B[K + 2], B[K + 1]);
            K += 6;
        } else if (code == kGap) {
            if (K + 4 >= KFin) return gs_GAP_erreur;
            W.Interval((B[K + 2] * 256 + B[K + 1]) * 10);
            K += 3;
            st = W.Count(static_cast<uint16_t>(B[K] * 256 + B[K + 1]));
            K += 2;
        } else if (code == codes.overflow) {
            W.Annotate(OverflowText);
            K += 1;
        } else if (code >= 0xF0 && codes.interval[code - 0xF0] > 0) {
            W.Interval(codes.interval[code - 0xF0]);
            K += 1;
        } else {
            st = W.Count(static_cast<uint16_t>(code * 256 + B[K + 1]));
            K += 2;
        }
    }
    return st == PasErreur ? W.Finish() : st;
}

} // namespace zel
