// The statistics value of a capture list over a date window, computed without any window.
#include <gtest/gtest.h>

#include "records/statistics.h"

using namespace zel;

namespace {

TCaptureList List(std::initializer_list<const char*> lines) {
    TCaptureList f;
    for (const char* l : lines)
        f.push_back(l);
    return f;
}

const StatisticsWindow kMarch15{EncodeDateTime(2024, 3, 15), EncodeDateTime(2024, 3, 16)};
const StatisticsWindow kMarch{EncodeDateTime(2024, 3, 1), EncodeDateTime(2024, 4, 1)};

using Classes = std::vector<std::pair<int32_t, int32_t>>;

} // namespace

TEST(Statistics, MeanDeviationMaximumAndClassesInBothUnits) {
    const Statistics s =
        ComputeStatistics(List({"2024/03/15 08:00:00;60;10", "2024/03/15 08:01:00;60;20",
                                "2024/03/15 08:02:00;60;15", "2024/03/15 08:03:00;60;20"}),
                          kMarch15, 0.0057, CVORN3);
    ASSERT_TRUE(s.valid);
    EXPECT_EQ(s.events, 4);
    EXPECT_DOUBLE_EQ(s.mean_cpm, 16.25);
    EXPECT_NEAR(s.sd_cpm, 4.1458, 1e-4);
    EXPECT_EQ(s.max_cpm, 20);
    // The first record to reach the maximum.
    EXPECT_EQ(s.max_date, EncodeDateTime(2024, 3, 15, 8, 1, 0));
    // The span of the records used.
    EXPECT_EQ(s.first_date, EncodeDateTime(2024, 3, 15, 8, 0, 0));
    EXPECT_EQ(s.last_date, EncodeDateTime(2024, 3, 15, 8, 3, 0));
    EXPECT_DOUBLE_EQ(s.mean_usvh, 16.25 * 0.0057);
    EXPECT_DOUBLE_EQ(s.sd_usvh, s.sd_cpm * 0.0057);
    EXPECT_DOUBLE_EQ(s.max_usvh, 20 * 0.0057);
    EXPECT_EQ(s.classes, (Classes{{10, 1}, {15, 1}, {20, 2}}));
}

TEST(Statistics, PerMinuteValues) {
    const struct {
        const char* name;
        std::vector<const char*> lines;
        TTypeCompteur model;
        int events;
        double mean, max, sd;
    } cases[] = {
        // Long Gamma Scout intervals hold far more than 9999 pulses: the bound is on the rate.
        {"Gamma Scout days of 20, 10 and 30 per minute",
         {"2024/03/10 00:00:00;86400;28800", "2024/03/11 00:00:00;86400;14400",
          "2024/03/12 00:00:00;86400;43200"},
         GAMMA_SCOUT2,
         3,
         20,
         30,
         8.16497},
        {"Gamma Scout 12 h, 3 days and 7 days",
         {"2024/03/10 00:00:00;43200;10800", "2024/03/10 12:00:00;259200;64800",
          "2024/03/13 12:00:00;604800;151200"},
         GAMMA_SCOUT1,
         3,
         15,
         15,
         0},
        {"Gamma Scout pulses per period become per minute",
         {"2024/03/15 08:00:00;120;30", "2024/03/15 08:02:00;120;61"},
         GAMMA_SCOUT2,
         2,
         22.75,
         30.5,
         7.75},
        {"Gamma Scout rate beyond the bound counts as 9999",
         {"2024/03/15 08:00:00;30;9999", "2024/03/15 08:01:00;600;-1"},
         GAMMA_SCOUT1,
         2,
         9999,
         9999,
         0},
        {"VORN error marks and overflows count as 9999",
         {"2024/03/15 08:00:00;60;-1", "2024/03/15 08:01:00;60;12000"},
         CVORN9,
         2,
         9999,
         9999,
         0},
        {"zero counts, no period, no date, outside the window: skipped",
         {"1899/12/30 00:00:00;60;40", "2024/02/29 23:59:59;60;50", "2024/03/15 08:00:00;0;60",
          "2024/03/15 08:01:00;-60;70", "2024/03/15 08:02:00;60;0", "2024/03/15 08:03:00;60;7"},
         CVORN3,
         1,
         7,
         7,
         0},
        {"a record past the window ends the scan",
         {"2024/03/15 08:00:00;60;5", "2024/04/01 00:00:01;60;6", "2024/03/15 09:00:00;60;7"},
         CVORN3,
         1,
         5,
         5,
         0},
        {"the window's ends are included",
         {"2024/03/01 00:00:00;60;5", "2024/04/01 00:00:00;60;5"},
         CVORN3,
         2,
         5,
         5,
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TCaptureList f;
        for (const char* l : c.lines)
            f.push_back(l);
        const Statistics s = ComputeStatistics(f, kMarch, 0.01, c.model);
        ASSERT_TRUE(s.valid);
        EXPECT_EQ(s.events, c.events);
        EXPECT_NEAR(s.mean_cpm, c.mean, 1e-4);
        EXPECT_NEAR(s.max_cpm, c.max, 1e-9);
        EXPECT_NEAR(s.sd_cpm, c.sd, 1e-4);
        EXPECT_NEAR(s.max_usvh, c.max * 0.01, 1e-9);
    }
}

TEST(Statistics, ClassesRoundHalvesToEvenAndEachValueIsHanded) {
    std::vector<std::pair<TDateTime, double>> seen;
    const Statistics s = ComputeStatistics(
        List({"2024/03/15 08:00:00;120;61", "2024/03/15 08:02:00;120;63",
              "2024/03/15 08:04:00;120;0"}),
        kMarch15, 0.0057, GAMMA_SCOUT1, [&](TDateTime t, double v) { seen.emplace_back(t, v); });
    EXPECT_EQ(s.classes, (Classes{{30, 1}, {32, 1}})); // 30.5 and 31.5
    const std::vector<std::pair<TDateTime, double>> expected = {
        {EncodeDateTime(2024, 3, 15, 8, 0, 0), 30.5}, {EncodeDateTime(2024, 3, 15, 8, 2, 0), 31.5}};
    EXPECT_EQ(seen, expected);
}

TEST(Statistics, EmptyWindowAndUnreadableLines) {
    const Statistics empty = ComputeStatistics(TCaptureList{}, kMarch15, 0.0057, CVORN3);
    EXPECT_TRUE(empty.valid);
    EXPECT_EQ(empty.events, 0);
    EXPECT_TRUE(empty.classes.empty());
    EXPECT_EQ(empty.max_date, 0);

    for (const char* bad : {"", "2024/03/15 08:01:00;60", "garbage"}) {
        SCOPED_TRACE(bad);
        const Statistics s =
            ComputeStatistics(List({"2024/03/15 08:00:00;60;10", bad, "2024/03/15 08:02:00;60;15"}),
                              kMarch15, 0.0057, CVORN3);
        EXPECT_FALSE(s.valid);
        EXPECT_EQ(s.events, 0);
        EXPECT_TRUE(s.classes.empty());
    }
}
