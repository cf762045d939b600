#include "gammascout/dump_common.h"

namespace zel {

namespace {
constexpr uint8_t kSkip = 0xF8;    // n, then n - 1 bytes to pass over
constexpr uint8_t kEscape = 0xF5;  // followed by a sub-code
constexpr uint8_t kGap = 0xEE;     // 16-bit length in units of 10 s, then a count word
constexpr uint8_t kDateSec = 0xED; // second, minute, hour, day, month, year (BCD)
constexpr uint8_t kDate = 0xEF;    // minute, hour, day, month, year (BCD)

// Alarm flags 0xF9 to 0xFF annotate the next count.
std::string FlagText(uint8_t flags) {
    std::string t = " ";
    if (flags & 1) t += "/Dose rate overflowed";
    if (flags & 2) t += "/Dose alarm fired";
    if (flags & 4) t += "/Dose rate alarm fired";
    return t + "/";
}
} // namespace

// Firmware 7.01 to 7.1: the form of version 3, plus skip records, alarm flags, dates with
// seconds; interval sub-codes start at 0 s.
erreur_programme Trt_dump_GammaScout_V4(const TextList& Dump, const DumpInput& in,
                                        DumpResult& out) {
    int32_t size = 0;
    if (const auto st = ReadLogSize(Dump, in.EEPROM, size); st != PasErreur) return st;
    LogBytes B(ChecksumBufferSize(size));
    if (const auto st = ReadChecksumLines(Dump, B); st != PasErreur) return st;

    DumpWalk W(in, out);
    erreur_programme st = PasErreur;
    for (int64_t K = 0; K < size && st == PasErreur;) {
        if (K + 1 >= size) return gs_Codage_erreur;
        const uint8_t code = B[K];
        const uint8_t sub = B[K + 1];
        if (code == kSkip) {
            // Not compared with the size: a jump to or past the end just ends the log.
            K += sub + 1;
        } else if (code > kSkip) {
            W.Annotate(FlagText(code));
            K += 1;
        } else if (code == kEscape && sub != kGap) {
            const int64_t P = K + 1;
            if (sub <= 0x0D) {
                W.Interval(sub == 0 ? 0 : OnlineIntervals[sub - 1]);
                K += 2;
            } else if (sub == kDateSec) {
                if (P + 6 > size) return gs_erreur_date;
                st = W.Date(B[P + 6], B[P + 5], B[P + 4], B[P + 3], B[P + 2], B[P + 1]);
                K += 8;
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
