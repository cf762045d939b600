#pragma once
// The log a Gamma Scout keeps in its memory, written record by record in the byte layout of
// its log version, together with the list of counting intervals the log is meant to describe,
// and the text lines in which the counter dumps its memory.
#include "base/datetime.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zel::sim {

// Log version of a firmware: 1 up to 5.43, 2 up to 6.016, 3 below 6.9, 4 from 6.9 on (counters
// from 6.9 to 7.01 and after 7.1 use the newest layout too).
int GsLogVersion(double firmware);

// Interval lengths in seconds that a log version can code, longest first.
const std::vector<int>& GsIntervals(int log_version);

// One counting interval as a reader of the log should find it.
struct GsLogRecord {
    TDateTime start = 0;
    int seconds = 0;
    uint32_t count = 0;
    std::string annotation; // "   Overflow !" or the alarm flag text, else empty
};

struct GsLog {
    int version = 1;
    std::vector<uint8_t> bytes;       // the log records (after the header of versions 1 and 2)
    std::vector<GsLogRecord> records; // what the bytes describe, in log order
    TDateTime first_date = 0;         // the first date record
};

struct GsLogPlan {
    int version = 4;
    TDateTime end = 0;  // the log reaches up to this moment
    double hours = 24;  // and starts this long before it
    int interval = 600; // seconds; one of GsIntervals(version)
    double cpm = 20;
    uint64_t seed = 1;
    // Besides dates, intervals and counts, also write the rarer records: a partial interval
    // (gap record), a pause with a new date, an interval change, overflow or alarm flags,
    // and the records a reader must skip.
    bool rare_records = true;
    size_t max_bytes = 60000; // versions 1 and 2 address at most 64 KiB with their header
};

GsLog GenerateGsLog(const GsLogPlan& plan);

// A log as it looks right after the memory was cleared: an interval code and the date.
GsLog EmptyGsLog(int version, TDateTime now, int interval);

// Count word of a log: 11-bit mantissa, 5-bit binary exponent. `stored` gets the count the
// word stands for (large counts lose their low bits).
uint16_t EncodeGsCount(uint32_t count, uint32_t* stored = nullptr);

// The annotation texts of a reader.
std::string GsOverflowText();
std::string GsAlarmFlagText(uint8_t flags);

// Memory image of versions 1 and 2: a 256-byte header (BCD serial, little-endian end pointer)
// then the log, filled with 0xFF up to at least 2 KiB.
std::vector<uint8_t> GsMemoryImage(const GsLog& log, uint32_t serial);

// Dump line forms.
enum class GsDumpForm {
    AddressPairs, // " 0000 79 96 04 ..." - 16 bytes, firmware before 6.00
    BarePairs,    // "799604..." - 16 bytes
    Checksum32,   // 32 data bytes and their sum modulo 256, firmware 6.00 on
    Checksum16,   // the same with 16 data bytes
};
// Lines covering `data` (the last line filled with 0xFF), lower-case hexadecimal, no line end.
std::vector<std::string> GsDumpLines(const std::vector<uint8_t>& data, GsDumpForm form);

} // namespace zel::sim
