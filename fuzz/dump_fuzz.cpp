// Gamma Scout dumps for each log version. The first byte chooses the version and whether the
// rest is the bytes of a saved dump file or log bytes framed the way the counter frames them (so
// that the record walk behind the framing and checksums gets explored too).
#include <algorithm>
#include <cstdio>

#include "fuzz_common.h"
#include "gammascout/gamma_scout.h"

using namespace zel;

namespace {

std::string Hex(const uint8_t* b, size_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    s.reserve(2 * n);
    for (size_t i = 0; i < n; ++i) {
        s += digits[b[i] >> 4];
        s += digits[b[i] & 15];
    }
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const double kVersions[] = {5.0, 6.0, 6.5, 7.05};
    const int version = data[0] & 3;
    const bool framed = (data[0] & 4) != 0;
    const uint8_t* log = data + 1;
    const size_t n = size - 1;

    DumpInput in;
    in.Version_GS = kVersions[version];
    in.version = "v";
    in.serie = "12345";
    in.now = EncodeDateTime(2024, 6, 15, 12, 0, 0);
    in.time_sep = (data[0] & 8) ? '.' : ':';
    in.decimal_sep = (data[0] & 16) ? ',' : '.';

    TextList dump;
    if (!framed) {
        in.EEPROM = std::to_string(n / 2);
        dump = DumpFileLines(fuzz::Bytes(log, n)); // as a saved transcript is read
    } else if (version < 2) {
        // 16 bytes a line, the header's end pointer being whatever the bytes say.
        for (size_t i = 0; i < n; i += 16)
            dump.push_back(Hex(log + i, std::min<size_t>(16, n - i)));
    } else {
        // 32 data bytes and their checksum a line; the dialog holds the log size.
        in.EEPROM = std::to_string(n);
        for (size_t i = 0; i < n; i += 32) {
            const size_t k = std::min<size_t>(32, n - i);
            uint8_t sum = 0;
            for (size_t j = 0; j < k; ++j)
                sum = static_cast<uint8_t>(sum + log[i + j]);
            dump.push_back(Hex(log + i, k) + Hex(&sum, 1));
        }
    }
    const DumpResult r = DecodeDump(dump, in);
    (void)r;
    return 0;
}
