#include "sim/gamma_counter.h"

#include <gtest/gtest.h>

// GCC 12 with the sanitizers reports false positives inside std::regex.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <regex>

#include <vector>

namespace zel::sim {
namespace {

const TDateTime kStart = EncodeDateTime(2024, 5, 17, 12, 0, 0);

Moment At(int64_t ms) {
    return Moment{ms, IncSecond(kStart, ms / 1000.0)};
}

GammaOptions Firmware(const char* fw, bool pc_mode = true) {
    GammaOptions o;
    o.firmware = fw;
    o.serial = 72467;
    o.pc_mode = pc_mode;
    o.log_hours = 2;
    o.log_interval = 600;
    return o;
}

// Lines ended by CR LF, as the counter sends them.
std::vector<std::string> Lines(const std::string& s) {
    std::vector<std::string> out;
    size_t from = 0;
    while (from < s.size()) {
        const size_t at = s.find("\r\n", from);
        EXPECT_NE(at, std::string::npos) << "unterminated: " << s.substr(from);
        if (at == std::string::npos) break;
        out.push_back(s.substr(from, at - from));
        from = at + 2;
    }
    return out;
}

TEST(GammaCounter, VersionReplyFollowsFirmwareAndMode) {
    struct Case {
        const char* firmware;
        bool pc_mode;
        const char* reply; // regular expression over the whole text sent
    } cases[] = {
        {"5.43", false, " Standard \r\n\r\n"},
        {"5.43", true, " Version 5\\.43 \r\n\r\n"},
        {"5.60", true, " Version 5\\.60 \r\n\r\n"},
        {"6.01", true, "Version 6\\.01\r\n"},
        {"6.50", true, "Version 6\\.50 72467 [0-9a-f]{4} 17\\.05\\.24 12:00:01\r\n"},
        {"6.91", true, "Version 6\\.91 72467 0\\.5 [0-9a-f]{4} 17\\.05\\.24 12:00:01\r\n"},
        // Firmware 7: the serial number in the six-digit field after a fixed one.
        {"7.02", true, "Version 7\\.02Lb07 1020 072467 [0-9a-f]{4} 17\\.05\\.24 12:00:01\r\n"},
        {"7.05", true, "Version 7\\.05Lb07 1020 072467 [0-9a-f]{4} 17\\.05\\.24 12:00:01\r\n"},
        {"7.05", false, "Standard\r\n"},
    };
    for (const Case& c : cases) {
        GammaCounter counter(Firmware(c.firmware, c.pc_mode), At(0));
        const std::string reply = counter.Receive("v\r", At(1000));
        EXPECT_TRUE(std::regex_match(reply, std::regex(c.reply))) << c.firmware << " -> " << reply;
    }
}

TEST(GammaCounter, VersionReplyStatesTheLogSize) {
    GammaCounter counter(Firmware("6.50"), At(0));
    const std::string reply = counter.Receive("v", At(0));
    char hex[8];
    std::snprintf(hex, sizeof hex, " %04zx ", counter.Log().bytes.size());
    EXPECT_NE(reply.find(hex), std::string::npos) << reply;
}

TEST(GammaCounter, LineSpeedAndLogVersionOfTheFirmware) {
    struct Case {
        const char* firmware;
        int speed, log_version;
    } cases[] = {{"5.43", 2400, 1}, {"5.50", 2400, 2},   {"6.00", 9600, 2},  {"6.016", 9600, 2},
                 {"6.50", 9600, 3}, {"6.90", 460800, 4}, {"7.02", 460800, 4}};
    for (const Case& c : cases) {
        GammaCounter counter(Firmware(c.firmware), At(0));
        EXPECT_EQ(counter.Line().speed, c.speed) << c.firmware;
        EXPECT_EQ(counter.Line().data_bits, 7);
        EXPECT_EQ(counter.Line().parity, 'E');
        EXPECT_EQ(counter.LogVersion(), c.log_version) << c.firmware;
    }
}

TEST(GammaCounter, StandardModeOnlyTellsItsModeUntilSwitchedToPcMode) {
    GammaCounter counter(Firmware("7.02", false), At(0));
    for (const char* ignored : {"b\r", "c\r", "z\r", "X\r", "t170524102345"})
        EXPECT_EQ(counter.Receive(ignored, At(0)), "") << ignored;
    EXPECT_EQ(counter.Receive("P\r", At(0)), "PC-MODE gestartet\r\n");
    EXPECT_TRUE(counter.PcMode());
    EXPECT_EQ(counter.Receive("X\r", At(0)), "PC-MODE beendet\r\n");
    EXPECT_FALSE(counter.PcMode());
    counter.Receive("P", At(0));
    EXPECT_EQ(counter.Receive("N", At(0)), ""); // a reboot, back to standard mode
    EXPECT_EQ(counter.Receive("v", At(0)), "Standard\r\n");
}

TEST(GammaCounter, InternalDataHeaderAnnouncesItsLines) {
    struct Case {
        const char* firmware;
        std::vector<std::string> before; // the lines up to the header
    } cases[] = {
        {"6.50", {"b0 07"}},
        {"6.91", {"b0 07"}},
        {"7.02", {"GAMMA-SCOUT SoftCal gueltig", "b0 00 07 7e 00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.firmware);
        GammaCounter counter(Firmware(c.firmware), At(0));
        const auto lines = Lines(counter.Receive("c\r", At(0)));
        ASSERT_EQ(lines.size(), c.before.size() + 7u);
        EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + c.before.size()),
                  c.before);
        for (size_t i = c.before.size(); i < lines.size(); ++i)
            EXPECT_TRUE(std::regex_match(lines[i], std::regex("[0-9a-f]{20}"))) << lines[i];
    }
}

TEST(GammaCounter, DumpLinesHaveTheFormOfTheFirmware) {
    struct Case {
        const char* firmware;
        bool plain;
        const char* header;
        const char* line; // every dump line
    } cases[] = {
        {"5.43", false, " GAMMA-SCOUT Protokoll ", " [0-9a-f]{4}( [0-9a-f]{2}){16}"},
        {"5.43", true, " GAMMA-SCOUT Protokoll ", "[0-9a-f]{32}"},
        {"6.01", false, "GAMMA-SCOUT Protokoll", "[0-9a-f]{32}"},
        {"6.50", false, "GAMMA-SCOUT Protokoll", "[0-9a-f]{66}"},
        {"7.02", false, "GAMMA-SCOUT Protokoll", "[0-9a-f]{66}"},
        {"7.02", true, "GAMMA-SCOUT Protokoll", "[0-9a-f]{34}"},
    };
    for (const Case& c : cases) {
        GammaOptions o = Firmware(c.firmware);
        o.plain_dump = c.plain;
        GammaCounter counter(o, At(0));
        auto lines = Lines(counter.Receive("b", At(0)));
        ASSERT_GT(lines.size(), 2u) << c.firmware;
        EXPECT_EQ(lines[0], c.header) << c.firmware;
        size_t first = 1;
        if (std::string(c.firmware) < "6") {
            EXPECT_EQ(lines[1], "") << "an empty line follows the header";
            first = 2;
        }
        for (size_t i = first; i < lines.size(); ++i)
            ASSERT_TRUE(std::regex_match(lines[i], std::regex(c.line)))
                << c.firmware << " line " << i << ": " << lines[i];
        // Versions 1 and 2 dump the whole 2 KiB memory; 3 and 4 the log bytes the
        // version reply announces, 32 to a line.
        const size_t dump_lines = lines.size() - first;
        if (counter.LogVersion() <= 2)
            EXPECT_EQ(dump_lines, 128u);
        else
            EXPECT_EQ(dump_lines,
                      (counter.Log().bytes.size() + (c.plain ? 15 : 31)) / (c.plain ? 16 : 32));
    }
}

TEST(GammaCounter, ClearLeavesALogWithoutCounts) {
    GammaCounter counter(Firmware("7.02"), At(0));
    EXPECT_FALSE(counter.Log().records.empty());
    EXPECT_EQ(counter.Receive("z\r", At(0)), "Protokollspeicher geloescht\r\n");
    EXPECT_TRUE(counter.Log().records.empty());
    EXPECT_EQ(counter.Log().first_date, kStart);
}

TEST(GammaCounter, ClockCommandsArriveOneCharacterAtATime) {
    struct Case {
        const char* command;
        const char* reply;
        TDateTime clock; // the counter's calendar right after
    } cases[] = {
        {"t170524102345", "Datum und Zeit gesetzt\r\n", EncodeDateTime(2024, 5, 17, 10, 23, 45)},
        {"d311223", "Datum gesetzt\r\n", EncodeDateTime(2023, 12, 31, 12, 0, 3)}, // time kept
        {"u09:07", "Zeit gesetzt\r\n", EncodeDateTime(2024, 5, 17, 9, 7, 0)},
        {"u09.07", "Zeit gesetzt\r\n", EncodeDateTime(2024, 5, 17, 9, 7, 0)},
    };
    for (const Case& c : cases) {
        GammaCounter counter(Firmware("7.02"), At(0));
        std::string reply;
        int64_t ms = 0;
        for (const char* p = c.command; *p; ++p, ms += 500) {
            EXPECT_EQ(reply, "") << "answered before the command was complete";
            reply = counter.Receive(std::string(1, *p), At(ms));
        }
        EXPECT_EQ(reply, c.reply) << c.command;
        ms -= 500;
        EXPECT_NEAR(counter.Clock(At(ms)), c.clock, 0.5 / 86400) << c.command;
    }
}

TEST(GammaCounter, BrokenClockCommandsAreDropped) {
    GammaCounter counter(Firmware("7.02"), At(0));
    // An impossible date: no answer, clock unchanged.
    EXPECT_EQ(counter.Receive("t321324102345", At(0)), "");
    EXPECT_NEAR(counter.Clock(At(0)), kStart, 1e-9);
    // A request inside an unfinished command is read as a request.
    EXPECT_EQ(counter.Receive("d17v", At(0)).substr(0, 8), "Version ");
    // A long pause abandons the command: the digits after it are no date.
    counter.Receive("d1705", At(0));
    EXPECT_EQ(counter.Receive("24", At(10000)), "");
    EXPECT_NEAR(counter.Clock(At(10000)), IncSecond(kStart, 10), 1e-6);
}

} // namespace
} // namespace zel::sim
