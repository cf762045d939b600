#pragma once
// Hand-made Gamma Scout dumps for the decoder tests.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/datetime.h"
#include "gammascout/gamma_scout.h"

namespace zel::test {

using Bytes = std::vector<uint8_t>;

inline std::string Hex(const Bytes& b) {
    std::string s;
    char buf[3];
    for (uint8_t v : b) {
        std::snprintf(buf, sizeof buf, "%02x", v);
        s += buf;
    }
    return s;
}

// The moment the tests decode at: counts before any date record are dated from it, and it
// gives the century of the two-digit years.
inline TDateTime TestNow() {
    return EncodeDateTime(2024, 6, 15, 12, 0, 0);
}

inline DumpInput Input(double version, const std::string& eeprom = "?") {
    DumpInput in;
    in.Version_GS = version;
    in.version = "v";
    in.serie = "12345";
    in.EEPROM = eeprom;
    in.now = TestNow();
    return in;
}

// Versions 1 and 2: a 256-byte header (serial 12345, end pointer after `log` unless given),
// the log, zero padding to whole lines of 16 bytes, at least `min_lines` lines.
inline TextList HeaderDump(const Bytes& log, int64_t end_pointer = -1, size_t min_lines = 16) {
    Bytes all(256, 0);
    all[0] = 0x45;
    all[1] = 0x23;
    all[2] = 0x01;
    const int64_t end = end_pointer >= 0 ? end_pointer : 256 + static_cast<int64_t>(log.size());
    all[32] = static_cast<uint8_t>(end & 0xFF);
    all[33] = static_cast<uint8_t>((end >> 8) & 0xFF);
    all.insert(all.end(), log.begin(), log.end());
    while (all.size() % 16 != 0 || all.size() < min_lines * 16)
        all.push_back(0);
    TextList lines;
    for (size_t i = 0; i < all.size(); i += 16)
        lines.push_back(Hex(
            Bytes(all.begin() + static_cast<long>(i), all.begin() + static_cast<long>(i) + 16)));
    return lines;
}

// Versions 3 and 4: the bytes in lines of `per_line` data bytes, each with its checksum.
inline TextList ChecksumDump(const Bytes& log, size_t per_line = 32) {
    TextList lines;
    for (size_t i = 0; i < log.size(); i += per_line) {
        const Bytes part(log.begin() + static_cast<long>(i),
                         log.begin() + static_cast<long>(std::min(log.size(), i + per_line)));
        uint8_t sum = 0;
        for (uint8_t b : part)
            sum = static_cast<uint8_t>(sum + b);
        lines.push_back(Hex(part) + Hex({sum}));
    }
    return lines;
}

// Record bytes. The dates are 2023-05-01 08:00.
inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}
inline const Bytes kDateV12 = {0xFE, 0x00, 0x08, 0x01, 0x05, 0x23};
inline const Bytes kDateV34 = {0xF5, 0xEF, 0x00, 0x08, 0x01, 0x05, 0x23};

} // namespace zel::test
