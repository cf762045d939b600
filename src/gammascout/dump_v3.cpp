#include "gammascout/dump_common.h"

namespace zel {

namespace {
constexpr uint8_t kOverflow = 0xFA;
constexpr uint8_t kEscape = 0xF5; // followed by a sub-code
constexpr uint8_t kGap = 0xEE;    // 16-bit length in units of 10 s, then a count word
constexpr uint8_t kDate = 0xEF;   // minute, hour, day, month, year (BCD)
} // namespace

// Firmware above 6.016 and below 6.9: checksummed lines, no header, the log size from the
// version reply; control records escaped by 0xF5.
erreur_programme Trt_dump_GammaScout_V3(const TextList& Dump, const DumpInput& in,
                                        DumpResult& out) {
    int32_t size = 0;
    if (const auto st = ReadLogSize(Dump, in.EEPROM, size); st != PasErreur) return st;
    LogBytes B(ChecksumBufferSize(size));
    if (const auto st = ReadChecksumLines(Dump, B); st != PasErreur) return st;

    DumpWalk W(in, out);
    erreur_programme st = PasErreur;
    for (int64_t K = 0; K < size && st == PasErreur;) {
        // Every record takes at least two bytes, except the overflow code which may not end
        // the log either.
        if (K + 1 >= size) return gs_Codage_erreur;
        const uint8_t code = B[K];
        const uint8_t sub = B[K + 1];
        if (code == kOverflow) {
            W.Annotate(OverflowText);
            K += 1;
        } else if (code == kEscape && sub != kGap) {
            const int64_t P = K + 1;
            if (sub <= 0x0C) {
                W.Interval(OnlineIntervals[sub]);
                K += 2;
            } else if (sub == kDate) {
                if (P + 5 > size) return gs_erreur_date;
                st = W.Date(B[P + 5], B[P + 4], B[P + 3], B[P + 2], B[P + 1]);
                K += 7;
            } else if (sub >= 0xF0) {
                K += 2;
            } else {
                K += 3; // unknown record with one byte of data
            }
        } else if (code == kEscape) {
            const int64_t P = K + 2;
            if (P + 4 >= size) return gs_GAP_erreur;
            W.Interval((B[P + 1] * 256 + B[P]) * 10);
            st = W.Count(static_cast<uint16_t>(B[P + 2] * 256 + B[P + 3]));
            K = P + 4;
        } else {
            st = W.Count(static_cast<uint16_t>(code * 256 + sub));
            K += 2;
        }
    }
    return st == PasErreur ? W.Finish() : st;
}

} // namespace zel
