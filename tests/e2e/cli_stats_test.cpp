// zelvanor-cli stats, run as a program.
#include "cli_fixture.h"

#include <locale.h>

#include <algorithm>

namespace {

using CliStats = CliTest;

bool LocaleInstalled(const char* name) {
    const locale_t l = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0));
    if (l == static_cast<locale_t>(0)) return false;
    freelocale(l);
    return true;
}

TEST_F(CliStats, PrintsTheStatisticsByName) {
    write("VORN8_01234.txt", "2024/03/15 08:00:00;60;10\r\n2024/03/15 08:01:00;60;20\r\n"
                             "2024/03/15 08:02:00;60;15\r\n");
    write("VORN8_01234_Conf.txt",
          "DateModif=2024/03/15 09:00:00\r\nCGM=VORN8\r\nConvSievert=0.0057\r\n");
    std::string out, err;
    ASSERT_EQ(run("stats " + path("VORN8_01234.txt"), err, &out), 0) << err;
    EXPECT_EQ(out, "events=3\n"
                   "mean_cpm=15\n"
                   "sd_cpm=4.0825\n"
                   "max_cpm=20\n"
                   "max_date=2024/03/15 08:01:00\n"
                   "mean_usvh=0.0855\n"
                   "sd_usvh=0.02327\n"
                   "max_usvh=0.114\n");
    EXPECT_EQ(err, "");

    // Numbers for scripts carry "." whatever the user's locale.
    const int st = std::system(("LC_ALL=fr_FR.UTF-8 " + std::string(ZEL_CLI) + " stats --json " +
                                path("VORN8_01234.txt") + " >" + path("json") + " 2>/dev/null")
                                   .c_str());
    ASSERT_EQ(WEXITSTATUS(st), 0);
    EXPECT_EQ(read("json"), "{\"events\":3,\"mean_cpm\":15,\"sd_cpm\":4.0825,\"max_cpm\":20,"
                            "\"max_date\":\"2024/03/15 08:01:00\",\"mean_usvh\":0.0855,"
                            "\"sd_usvh\":0.02327,\"max_usvh\":0.114}\n");
}

// Daily Gamma Scout records of 20, 10 and 30 counts per minute: the bound of 9999 is on the
// rate, so a day's 28,800 pulses are not cut down to 6.9 per minute.
TEST_F(CliStats, GammaScoutLongIntervalsKeepTheirRate) {
    write("GS2_12345.txt", "2024/03/10 00:00:00;86400;28800\r\n2024/03/11 00:00:00;86400;14400\r\n"
                           "2024/03/12 00:00:00;86400;43200\r\n");
    write("GS2_12345_Conf.txt", "CGM=GS2\r\nConvSievert=0.0081208\r\n");
    std::string out, err;
    ASSERT_EQ(run("stats " + path("GS2_12345.txt"), err, &out), 0) << err;
    EXPECT_NE(out.find("events=3\nmean_cpm=20\nsd_cpm=8.165\nmax_cpm=30\n"
                       "max_date=2024/03/12 00:00:00\n"),
              std::string::npos)
        << out;
}

TEST_F(CliStats, DateWindowAndDistribution) {
    write("m.txt", "2024/03/15 08:00:00;60;10\r\n2024/03/15 08:01:00;60;20\r\n"
                   "2024/03/16 08:02:00;60;15\r\n\r\n \r\n");
    std::string out, err;
    ASSERT_EQ(run("stats --from=2024/03/16 --gauss " + path("m.txt"), err, &out), 0) << err;
    EXPECT_NE(out.find("events=1\n"), std::string::npos) << out;
    EXPECT_NE(out.find("mean_cpm=15\n"), std::string::npos) << out;
    // One distribution point after the eight statistics lines.
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 9) << out;
    EXPECT_NE(out.find("\n15;1\n"), std::string::npos) << out;

    // No record in the window: a count of 0 and empty values; the window's end takes its day.
    ASSERT_EQ(run("stats --to 2024/03/14 --json --gauss " + path("m.txt"), err, &out), 0) << err;
    EXPECT_EQ(out, "{\"events\":0,\"mean_cpm\":null,\"sd_cpm\":null,\"max_cpm\":null,"
                   "\"max_date\":null,\"mean_usvh\":null,\"sd_usvh\":null,\"max_usvh\":null,"
                   "\"distribution\":[]}\n");
    ASSERT_EQ(run("stats --to 2024/03/15 --unit sv --json --gauss " + path("m.txt"), err, &out), 0);
    EXPECT_NE(out.find("\"events\":2,"), std::string::npos) << out;
}

TEST_F(CliStats, OutputIsTheSameInEveryLocale) {
    // Fractional statistics, a regional date and a distribution: what a decimal comma or a
    // "." date separator would change.
    write("VORN8_00007.txt", "2024/03/15 08:00:00;60;20\r\n2024/03/15 08:01:00;60;31\r\n"
                             "2024/03/15 08:02:00;60;25\r\n2024/03/15 08:03:00;60;25\r\n");
    write("VORN8_00007_Conf.txt", "CGM=VORN8\r\nConvSievert=0.00650\r\n");
    std::string c_out, err;
    ASSERT_EQ(run("stats --gauss --unit sv " + path("VORN8_00007.txt"), err, &c_out), 0) << err;
    EXPECT_NE(c_out.find("mean_cpm=25.25\n"), std::string::npos) << c_out;
    EXPECT_NE(c_out.find("max_date=2024/03/15 08:01:00\n"), std::string::npos) << c_out;
    EXPECT_NE(c_out.find("max_usvh=0.2015\n"), std::string::npos) << c_out; // 31 x 0.0065
    for (const char* locale : {"fr_FR.UTF-8", "de_DE.UTF-8"}) {
        SCOPED_TRACE(locale);
        if (!LocaleInstalled(locale)) GTEST_SKIP() << locale << " not generated (locale-gen)";
        std::string out;
        ASSERT_EQ(run("stats --gauss --unit sv " + path("VORN8_00007.txt"), err, &out, locale), 0)
            << err;
        EXPECT_EQ(out, c_out);
    }
}

TEST_F(CliStats, BrokenOrMissingFileFails) {
    write("b.txt", "2024/03/15 08:00:00;60;10\r\n\r\n2024/03/15 08:02:00;60;15\r\n");
    std::string out, err;
    EXPECT_EQ(run("stats " + path("b.txt"), err, &out), 1);
    EXPECT_TRUE(out.empty()) << out;
    EXPECT_FALSE(err.empty());
    EXPECT_EQ(run("stats " + path("missing.txt"), err, &out), 1);
    EXPECT_NE(run("stats", err, &out), 0);
}

TEST_F(CliStats, TrailingBlankLinesAreNoFaultOtherLinesAreNamed) {
    const std::string records = "2024/03/15 08:00:00;60;10\r\n2024/03/15 08:01:00;60;20\r\n";
    write("VORN8_01234_Conf.txt", "CGM=VORN8\r\nConvSievert=0.0057\r\n");
    struct Case {
        const char* file;
        std::string bytes;
        int exit;
        const char* expected; // in the output, or in the error text when the run fails
    } cases[] = {
        {"VORN8_01234.txt", records + "\r\n", 0, "events=2\n"},
        {"b.txt", records + " \r\n\r\n\r\n", 0, "mean_cpm=15\n"},
        {"c.txt", "2024/03/15 08:00:00;60;10\r\nnot a record\r\n" + records, 1, "c.txt:2"},
        {"VORN8_01234_Conf.txt", "", 1, "VORN8_01234_Conf.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        if (!c.bytes.empty()) write(c.file, c.bytes);
        std::string out, err;
        EXPECT_EQ(run("stats " + path(c.file), err, &out), c.exit) << err;
        EXPECT_NE((c.exit == 0 ? out : err).find(c.expected), std::string::npos) << out << err;
    }
}

} // namespace
