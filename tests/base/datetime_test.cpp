#include <gtest/gtest.h>

#include "base/datetime.h"

using namespace zel;

TEST(DateTime, EncodeDecodeRoundTrip) {
    struct Case {
        int y, mo, d, h, mi, s;
        double serial; // days since 1899-12-30
    } cases[] = {
        {1899, 12, 30, 0, 0, 0, 0.0},
        {1900, 3, 1, 0, 0, 0, 61.0},
        {2000, 2, 29, 12, 0, 0, 36585.5},
        {2024, 3, 15, 8, 5, 0, 45366.0 + (8 * 60 + 5) / 1440.0},
        {2099, 12, 31, 23, 59, 59, 73050.0 + 86399.0 / 86400.0},
    };
    for (const auto& c : cases) {
        const TDateTime t = EncodeDateTime(c.y, c.mo, c.d, c.h, c.mi, c.s);
        EXPECT_NEAR(t, c.serial, 1e-9) << c.y << "-" << c.mo << "-" << c.d;
        const auto p = DecodeDateTime(t);
        EXPECT_EQ(p.year, c.y);
        EXPECT_EQ(p.month, c.mo);
        EXPECT_EQ(p.day, c.d);
        EXPECT_EQ(p.hour, c.h);
        EXPECT_EQ(p.minute, c.mi);
        EXPECT_EQ(p.second, c.s);
    }
}

TEST(DateTime, InvalidFieldsAreRejected) {
    TDateTime t = 7;
    EXPECT_FALSE(TryEncodeDateTime(2023, 2, 29, 0, 0, 0, 0, t));
    EXPECT_FALSE(TryEncodeDateTime(2024, 13, 1, 0, 0, 0, 0, t));
    EXPECT_FALSE(TryEncodeDateTime(2024, 1, 1, 24, 0, 0, 0, t));
    EXPECT_FALSE(TryEncodeDateTime(2024, 1, 1, 0, 60, 0, 0, t));
    EXPECT_EQ(t, 7);
    EXPECT_TRUE(TryEncodeDateTime(2024, 2, 29, 23, 59, 59, 999, t));
}

TEST(DateTime, DecodeRoundsToTheMillisecond) {
    // A value a hair below a whole minute must not read as hh:mm:59.
    const TDateTime t = EncodeDateTime(2024, 1, 1, 10, 0, 0) - 1e-12;
    const auto p = DecodeDateTime(t);
    EXPECT_EQ(p.hour, 10);
    EXPECT_EQ(p.minute, 0);
    EXPECT_EQ(p.second, 0);
    // The last millisecond of a day stays in that day.
    const auto q = DecodeDateTime(EncodeDateTime(2024, 12, 31, 23, 59, 59, 999));
    EXPECT_EQ(q.day, 31);
    EXPECT_EQ(q.msec, 999);
}

TEST(DateTime, FormatPatterns) {
    const TDateTime t = EncodeDateTime(2024, 3, 5, 8, 7, 6, 45);
    struct Case {
        const char* pattern;
        char ds, ts;
        const char* expected;
    } cases[] = {
        {"YYYY/MM/DD HH:NN:SS", '/', ':', "2024/03/05 08:07:06"},
        {"YYYY/MM/DD HH:NN:SS", '.', '.', "2024.03.05 08.07.06"},
        {"YYYY/MM/DD HH:NN", '-', ':', "2024-03-05 08:07"},
        {"dd/mm/yy hh:nn", '/', ':', "05/03/24 08:07"},
        {"dd/mm/yy hh:mm", '/', ':', "05/03/24 08:07"},
        {"YYYY-MM-DD_HH.NN", '/', ':', "2024-03-05_08.07"},
        {"DDMMYYHHNNSS", '/', ':', "050324080706"},
        {"HH:NN:SS.ZZZ", '/', ':', "08:07:06.045"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateTime(c.pattern, t, c.ds, c.ts), c.expected) << c.pattern;
}

TEST(DateTime, SecondsBetweenRounds) {
    const TDateTime a = EncodeDateTime(2024, 1, 1, 0, 0, 0);
    EXPECT_EQ(SecondsBetween(IncSecond(a, 120), a), 120);
    EXPECT_EQ(SecondsBetween(a, IncSecond(a, 7)), -7);
}
