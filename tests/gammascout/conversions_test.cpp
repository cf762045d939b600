// Character, BCD, count and number conversions of the log decoders, and the lines of a saved dump.
#include <gtest/gtest.h>

#include "gammascout/dump_common.h"
#include "gammascout/dump_report.h"

namespace zel {
namespace {

TEST(HexDigits, PairsAsTheCountersSendThem) {
    struct Case {
        const char* pair;
        int value; // -1: refused
    } cases[] = {
        {"00", 0},   {"0a", 10},  {"0A", 10}, {"ff", 255},
        {"FF", 255}, {"7e", 126}, {"G0", -1}, // 16 x 16: above 255
        {" 0", -1},                           // below '0'
        {"0-", -1},
    };
    for (const auto& c : cases) {
        uint8_t b = 0;
        const bool ok = HexPair(c.pair[0], c.pair[1], b);
        EXPECT_EQ(ok, c.value >= 0) << c.pair;
        if (ok) {
            EXPECT_EQ(b, c.value) << c.pair;
        }
    }
    EXPECT_EQ(CharToHex(U'\u0100'), -1); // beyond 8 bits
}

TEST(Bcd, NibblesAreNotChecked) {
    EXPECT_EQ(BCDToWordBig(0x00), 0);
    EXPECT_EQ(BCDToWordBig(0x59), 59);
    EXPECT_EQ(BCDToWordBig(0x99), 99);
    EXPECT_EQ(BCDToWordBig(0x1A), 20);
    EXPECT_EQ(BCDToWordBig(0xFF), 165);
}

TEST(CountWord, ExponentAndMantissa) {
    struct Case {
        uint16_t word;
        bool fits;
        int32_t count;
    } cases[] = {
        {0x1234, true, 2256}, // exponent 2, mantissa 564
        {0x0000, true, 0},       {0x07FF, true, 2047},
        {0x0801, true, 2}, // exponent 1
        {0xF000, true, 0}, // exponent 30, mantissa 0
        {0xA001, true, 1 << 20}, {0xF001, true, 1 << 30},
        {0xF002, false, 0}, // 2^31 does not fit in int32
        {0xFFFF, false, 0}, // would wrap to a small number in 32 bits
    };
    for (const auto& c : cases) {
        int32_t n = -1;
        EXPECT_EQ(DecodeCount(c.word, n), c.fits) << std::hex << c.word;
        if (c.fits) {
            EXPECT_EQ(n, c.count) << std::hex << c.word;
        }
    }
}

TEST(FormatteValeur, WidthAndTruncatedDecimals) {
    struct Case {
        double v;
        int32_t width, decimals;
        const char* text;
    } cases[] = {
        {0.0081208, 8, 6, "0.008120"}, // the report's factor: no leading space
        {12.35, 0, 1, "12.3"},         // truncated, not rounded
        {60.0 / 7, 6, 1, "   8.5"},    // 1 count in 7 s
        {12.3, 6, 1, "  12.3"},
        {123, 6, 0, "   123"},
        {2.5, 0, 0, "3"},
        {1234567, 6, 0, "1234567"}, // never cut
        {0, 6, 1, "   0.0"},
        {4294967295.0, 0, 0, "4294967295"},
        {1.05, 0, 2, "1.05"},
    };
    for (const auto& c : cases) {
        std::string s;
        ASSERT_TRUE(FormatteValeur(c.v, c.width, c.decimals, s)) << c.v;
        EXPECT_EQ(s, c.text) << c.v;
    }
    std::string s = "kept";
    EXPECT_FALSE(FormatteValeur(-0.5, 6, 0, s));
    EXPECT_FALSE(FormatteValeur(4294967296.0, 6, 0, s));
    EXPECT_EQ(s, "kept");
}

TEST(SavedDump, LinesOfTheFile) {
    using namespace std::string_literals;
    struct Case {
        const char* why;
        std::string bytes;
        TextList lines;
    } cases[] = {
        {"what precedes the last header is no dump",
         "v\r\nVersion 7.02\r\nb\r\nGAMMA-SCOUT Protokoll\r\nb\r\n GAMMA-SCOUT Protokoll \r\n"
         "00ff\r\n\r\n 0010 01 02 \r\n",
         {"00ff", "0010 01 02"}},
        {"any line end", "0011\n2233\r4455\r\n", {"0011", "2233", "4455"}},
        {"parity bits, the carriage return's included",
         "\x30\xB1\x8D\x0A\xB1\x30\x8D\x0A",
         {"01", "10"}},
        {"byte-order mark of UTF-8",
         "\xEF\xBB\xBF"
         "0a1b\r\n",
         {"0a1b"}},
        {"UTF-16, little end first",
         "\xFF\xFE"
         "0\0a\0\r\0\n\0"
         "1\0b\0"s,
         {"0a", "1b"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DumpFileLines(c.bytes), c.lines) << c.why;
}

TEST(SavedDump, WhatIsADumpLine) {
    for (const char* line : {"00ff", "0010 01 02", "AbCd"})
        EXPECT_TRUE(IsDumpLine(line)) << line;
    for (const char* line : {"", "0", "Version 7.02", "2024/03/15 08:00:00;60;10", "00ff;"})
        EXPECT_FALSE(IsDumpLine(line)) << line;
}

} // namespace
} // namespace zel
