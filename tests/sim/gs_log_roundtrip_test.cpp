// The simulator's Gamma Scout dumps, read back by the program's own decoder: every counting
// interval the generator meant to log must come out, with its date, length, count and note.
#include "gammascout/gamma_scout.h"
#include "sim/gamma_counter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace zel::sim {
namespace {

const TDateTime kStart = EncodeDateTime(2024, 5, 17, 12, 34, 56);

TextList ReceivedLines(const std::string& text) {
    TextList lines;
    SplitLines(text, lines);
    return lines;
}

struct Decoded {
    DumpResult result;
    const GsLog* meant = nullptr;
};

void ExpectSameLog(const GsLog& meant, const DumpResult& r, const std::string& what) {
    ASSERT_EQ(r.status, gs_no_error) << what;
    ASSERT_EQ(r.records.size(), meant.records.size()) << what;
    ASSERT_EQ(r.report.size(), 3 + meant.records.size()) << what;
    for (size_t i = 0; i < meant.records.size(); ++i) {
        const GsLogRecord& m = meant.records[i];
        const DumpRecord& d = r.records[i];
        ASSERT_NEAR(d.T, m.start, 0.5 / 86400) << what << " record " << i;
        ASSERT_EQ(d.Duree, m.seconds) << what << " record " << i;
        ASSERT_EQ(static_cast<uint32_t>(d.Comptage), m.count) << what << " record " << i;
        const std::string& line = r.report[3 + i];
        if (m.annotation.empty()) {
            ASSERT_EQ(line.find("Overflow"), std::string::npos) << what << ": " << line;
            ASSERT_EQ(line.find("/Dose"), std::string::npos) << what << ": " << line;
        } else {
            ASSERT_GE(line.size(), m.annotation.size());
            ASSERT_EQ(line.substr(line.size() - m.annotation.size()), m.annotation)
                << what << ": " << line;
        }
    }
}

TEST(GsLogRoundTrip, DecoderReadsBackWhatEachFirmwareDumps) {
    struct Case {
        const char* firmware;
        int interval;
        bool plain;
    } cases[] = {
        {"5.43", 600, false}, {"5.43", 3600, true}, {"5.60", 600, false}, {"6.01", 120, false},
        {"6.50", 600, false}, {"6.50", 30, true},   {"7.02", 120, false}, {"7.10", 600, true},
    };
    for (const Case& c : cases) {
        const std::string what = std::string(c.firmware) + " every " + std::to_string(c.interval) +
                                 " s" + (c.plain ? " plain" : "");
        GammaOptions o;
        o.firmware = c.firmware;
        o.serial = 72467;
        o.pc_mode = true;
        o.log_hours = 30;
        o.log_interval = c.interval;
        o.plain_dump = c.plain;
        o.cpm = 25;
        o.seed = 7;
        const Moment start{0, kStart};
        GammaCounter counter(o, start);

        DumpInput in;
        in.Version_GS = counter.Firmware();
        in.version = c.firmware;
        in.serie = "?";
        in.EEPROM = "?";
        in.now = kStart;
        if (counter.LogVersion() >= 3) {
            // Log size and serial from the version reply, as the identification reads them.
            const TextList v = ReceivedLines(counter.Receive("v", start));
            ASSERT_FALSE(v.empty());
            const std::string& reply = v[0];
            const size_t serial_at = reply.find(' ', 8) + 1;
            in.serie = reply.substr(serial_at, reply.find(' ', serial_at) - serial_at);
            size_t hex_at = reply.rfind(' ', reply.rfind(' ', reply.rfind(' ') - 1) - 1) + 1;
            in.EEPROM = std::to_string(std::strtol(reply.c_str() + hex_at, nullptr, 16));
            EXPECT_EQ(in.EEPROM, std::to_string(counter.Log().bytes.size())) << what;
        }
        const TextList dump = PrepareDumpLines(ReceivedLines(counter.Receive("b", start)));
        const DumpResult r = DecodeDump(dump, in);
        ExpectSameLog(counter.Log(), r, what);
        if (counter.LogVersion() <= 2) {
            EXPECT_EQ(r.serie, "72467") << what;
            EXPECT_EQ(r.EEPROM, std::to_string(counter.Log().bytes.size())) << what;
        }
    }
}

TEST(GsLogRoundTrip, LongestOlderLogDecodes) {
    GsLogPlan plan;
    plan.version = 2;
    plan.end = kStart;
    plan.hours = 24 * 60;
    plan.interval = 60;
    const GsLog log = GenerateGsLog(plan);
    const TextList dump = GsDumpLines(GsMemoryImage(log, 4711), GsDumpForm::BarePairs);
    DumpInput in;
    in.Version_GS = 6.0;
    in.version = "6.00";
    in.serie = "?";
    in.now = kStart;
    ExpectSameLog(log, DecodeDump(dump, in), "version 2, full memory");
}

} // namespace
} // namespace zel::sim
