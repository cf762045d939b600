// The report's header, fixed columns and file name.
#include <gtest/gtest.h>

#include "base/datetime.h"
#include "gammascout/dump_report.h"

namespace zel {
namespace {

TEST(Report, HeaderLines) {
    TextList t;
    ReportHeader("12345", "5.43", t);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0], "Gamma Scout, Serial = 12345, Version = 5.43, Conv. Factor = 0.008120");
    EXPECT_EQ(t[1],
              "From                   To                     Counts   Seconds       CPM      CPS");
    EXPECT_EQ(t[1].size(), 81u);
    for (size_t col : {0, 23, 46, 55, 69, 78})
        EXPECT_NE(t[1][col], ' ') << col;
    EXPECT_EQ(t[2], std::string(80, '-'));
}

TEST(Report, LineColumnsByteForByte) {
    const TDateTime from = EncodeDateTime(2023, 5, 1, 8, 0, 0);
    const TDateTime to = EncodeDateTime(2023, 5, 1, 8, 10, 0);
    struct Case {
        int32_t count, seconds;
        std::string annotation;
        char time_sep, decimal_sep;
        const char* line;
    } cases[] = {
        {123, 600, "", ':', '.',
         "2023-05-01 08:00:00    2023-05-01 08:10:00       123       600      12.3    0.100"},
        {1, 7, "", ':', '.',
         "2023-05-01 08:00:00    2023-05-01 08:10:00         1         7       8.5    0.070"},
        {123, 600, "   Overflow !", ':', '.',
         "2023-05-01 08:00:00    2023-05-01 08:10:00       123       600      12.3    0.100"
         "   Overflow !"},
        // Regional separators reach the times and the dose, never the number columns.
        {123, 600, "", '.', ',',
         "2023-05-01 08.00.00    2023-05-01 08.10.00       123       600      12.3    0,100"},
        // A wider value shifts what follows; nothing is cut.
        {1234567, 60, "", ':', '.',
         "2023-05-01 08:00:00    2023-05-01 08:10:00    1234567        60    1234567.0    "
         "10025.672"},
    };
    for (const auto& c : cases) {
        std::string line;
        ASSERT_TRUE(ReportLine(from, to, c.count, c.seconds, c.annotation, c.time_sep,
                               c.decimal_sep, line));
        EXPECT_EQ(line, c.line);
    }
    std::string line;
    EXPECT_FALSE(ReportLine(from, to, 2000000000, 10, "", ':', '.', line)); // CPM beyond 32 bits
}

TEST(Report, FileName) {
    EXPECT_EQ(ReportFileName("12345", EncodeDateTime(2023, 5, 1, 8, 0, 0),
                             EncodeDateTime(2023, 5, 2, 9, 30, 0)),
              "gs_12345_2023-05-01_08.00_2023-05-02_09.30.txt");
}

} // namespace
} // namespace zel
