#include <gtest/gtest.h>

#include "process_locale.h"
#include "scan/scanner.h"

using namespace zel;

namespace {
TAnalSynt line(const std::string& s) {
    TAnalSynt v;
    v.SSynt = s;
    SyntInit(v);
    return v;
}
} // namespace

TEST(Scanner, InitTrimsControlCharactersAndBlanks) {
    for (const char* s : {" CM=12 ", "CM=12\r\n", "\tCM=12"}) {
        auto v = line(s);
        EXPECT_EQ(v.SSynt, "CM=12");
        EXPECT_EQ(v.ISynt, 1);
        EXPECT_TRUE(v.Occupe);
    }
}

TEST(Scanner, Ident) {
    struct Case {
        const char* text;
        const char* id;
        bool ok;
        int pos;
    } cases[] = {
        {"DL=INT2", "DL", true, 3}, {"INT2", "INT", false, 1}, {"version 7", "Version", true, 8},
        {"CMX", "CM", false, 1},    {"CM2", "CM", false, 1},   {"CM 5", "CM", true, 3},
        {"C", "CM", false, 1},      {"CM_", "CM", true, 3},
    };
    for (const auto& c : cases) {
        auto v = line(c.text);
        EXPECT_EQ(SyntIdent(v, c.id), c.ok) << c.text;
        EXPECT_EQ(v.ISynt, c.pos) << c.text;
    }
}

TEST(Scanner, Integers) {
    struct Case {
        const char* text;
        bool ok;
        int32_t value;
        int pos;
    } cases[] = {
        {"-12", true, -12, 4}, {"+7", true, 7, 3},         {"- 7", true, -7, 4},
        {"-x", false, 0, 2},   {"134217728", true, 0, 10}, {"134217727", true, 134217727, 10},
        {"abc", false, 0, 1},  {"  42 rest", true, 42, 3},
    };
    for (const auto& c : cases) {
        auto v = line(c.text);
        int32_t n = 0;
        EXPECT_EQ(SyntInt(v, n), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(n, c.value) << c.text;
        }
        EXPECT_EQ(v.ISynt, c.pos) << c.text;
    }
}

TEST(Scanner, NumbersAboveTheirRangeFail) {
    // Taking a wrapped or saturated value would pass range checks like Com <= 255.
    struct Word {
        const char* text;
        bool ok;
        uint32_t value;
        int pos;
    } words[] = {
        {"4294967295", true, 4294967295u, 11},
        {"4294967296", false, 0, 1},
        {"4294967297", false, 0, 1},
        {" 99999999999999999999999", false, 0, 1},
        {"0004294967295", true, 4294967295u, 14},
    };
    for (const auto& c : words) {
        auto v = line(c.text);
        uint32_t n = 7;
        EXPECT_EQ(SyntWord(v, n), c.ok) << c.text;
        EXPECT_EQ(n, c.value) << c.text;
        EXPECT_EQ(v.ISynt, c.pos) << c.text;
    }

    struct Signed {
        const char* text;
        bool ok;
        int32_t value;
    } ints[] = {
        {"4294967295", true, 0x07FFFFFF}, {"4294967297", false, 0}, {"-4294967297", false, 0}};
    for (const auto& c : ints) {
        auto v = line(c.text);
        int32_t n = 0;
        EXPECT_EQ(SyntInt(v, n), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(n, c.value) << c.text;
        }
    }

    struct Hex {
        const char* text;
        bool ok;
        int32_t value;
        int pos;
    } hexes[] = {
        {"7FFFFFFF", true, 0x7FFFFFFF, 9}, {"80000000", false, 0, 1},
        {"7FFFFFFF0", false, 0, 1},        {"000000007FFFFFFF", true, 0x7FFFFFFF, 17},
        {"FFFFFFFFFFFF", false, 0, 1},
    };
    for (const auto& c : hexes) {
        auto v = line(c.text);
        int32_t n = 7;
        EXPECT_EQ(SyntHex(v, n), c.ok) << c.text;
        EXPECT_EQ(n, c.value) << c.text;
        EXPECT_EQ(v.ISynt, c.pos) << c.text;
    }
}

TEST(Scanner, HexRealText) {
    int32_t h = 0;
    auto v = line("1a2F");
    EXPECT_TRUE(SyntHex(v, h));
    EXPECT_EQ(h, 6703);
    v = line("g");
    EXPECT_FALSE(SyntHex(v, h));

    struct R {
        const char* text;
        bool ok;
        double value;
    } reals[] = {{"0.0057", true, 0.0057}, {".5", true, 0.5},  {"6.90", true, 6.9},
                 {"1.2.3", false, 0},      {"-1.5", false, 0}, {"1.5E3", true, 1.5}};
    for (const auto& c : reals) {
        auto r = line(c.text);
        double d = 0;
        EXPECT_EQ(SyntReal(r, d), c.ok) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(d, c.value) << c.text;
        }
    }

    std::string s;
    v = line("'it''s'");
    EXPECT_TRUE(SyntText(v, s));
    EXPECT_EQ(s, "it's");
    v = line("'open");
    EXPECT_FALSE(SyntText(v, s));
    EXPECT_EQ(s, "open");
}

TEST(Scanner, RealReadsThePointUnderADecimalCommaLocale) {
    for (const char* name : kCommaLocales) {
        SCOPED_TRACE(name);
        ProcessLocale locale(name);
        if (!locale.ok()) GTEST_SKIP() << name << " not generated (locale-gen)";
        struct R {
            const char* text;
            double value;
            int pos;
        } reals[] = {{"0.0065", 0.0065, 7}, {"6.90 123", 6.9, 5}, {"0,5", 0, 2}};
        for (const auto& c : reals) {
            auto v = line(c.text);
            double d = -1;
            EXPECT_TRUE(SyntReal(v, d)) << c.text;
            EXPECT_EQ(d, c.value) << c.text;
            EXPECT_EQ(v.ISynt, c.pos) << c.text;
        }
    }
}

TEST(Scanner, Separators) {
    auto v = line("a,");
    v.ISynt = 2;
    EXPECT_TRUE(SyntSep(v, ','));
    v = line("x");
    v.ISynt = 2;
    EXPECT_FALSE(SyntSep(v, ','));
    v = line("= 5");
    EXPECT_TRUE(SyntSep(v, '='));
    EXPECT_EQ(v.ISynt, 3);
}

TEST(Scanner, DateTime) {
    const int century = DecodeDateTime(Now()).year / 100 * 100;
    struct Case {
        const char* text;
        int fmt;
        bool ok;
        int y, mo, d, h, mi, s;
    } cases[] = {
        {"24/05/17 10:23", 1, true, century + 24, 5, 17, 10, 23, 0},
        {"17.05.24 10:23:45", 2, true, century + 24, 5, 17, 10, 23, 45},
        {"2024/05-17 10:00", 1, true, 2024, 5, 17, 10, 0, 0},
        {"2024-03-15 08:05:00", 1, true, 2024, 3, 15, 8, 5, 0},
        {"2024/03/15 8:05", 1, true, 2024, 3, 15, 8, 5, 0},
        {"2024/03/15 08:05:", 1, true, 2024, 3, 15, 8, 5, 0},
        {"17.05.24", 2, false, 0, 0, 0, 0, 0, 0},
        {"2024/13/01 00:00", 1, false, 0, 0, 0, 0, 0, 0},
        {"2023/02/29 00:00", 1, false, 0, 0, 0, 0, 0, 0},
        {"2024/02/29 23:59:59", 1, true, 2024, 2, 29, 23, 59, 59},
        {"2024/02/29 24:00", 1, false, 0, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        auto v = line(c.text);
        TDateTime t = 0;
        EXPECT_EQ(SyntDateTime(v, t, c.fmt), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(t, EncodeDateTime(c.y, c.mo, c.d, c.h, c.mi, c.s)) << c.text;
        } else {
            EXPECT_EQ(v.ISynt, 1) << c.text;
        }
    }
}
