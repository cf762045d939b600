// zelvanor-cli stats, run as a program.
#include "cli_fixture.h"

#include <algorithm>

namespace {

using CliStats = CliTest;

TEST_F(CliStats, PrintsTheEightStatisticsInOrder) {
    write("VORN8_01234.txt", "2024/03/15 08:00:00;60;10\r\n2024/03/15 08:01:00;60;20\r\n"
                             "2024/03/15 08:02:00;60;15\r\n");
    write("VORN8_01234_Conf.txt",
          "DateModif=2024/03/15 09:00:00\r\nCGM=VORN8\r\nConvSievert=0.0057\r\n");
    std::string out, err;
    ASSERT_EQ(run("stats " + path("VORN8_01234.txt"), err, &out), 0) << err;
    EXPECT_EQ(out, "cg_moyenne_cpm=15\n"
                   "cg_moyenne_Sv=0.0855\n"
                   "Cg_max_CPM=20\n"
                   "Cg_Max_SV=0.114\n"
                   "cg_date_max=2024/03/15 08:01\n"
                   "cg_ecart_type_CPM=4.0825\n"
                   "cg_ecart_type_SV=0.0233\n"
                   "cg_nb_events=3\n");
}

TEST_F(CliStats, DateWindowAndDistribution) {
    write("m.txt", "2024/03/15 08:00:00;60;10\r\n2024/03/15 08:01:00;60;20\r\n"
                   "2024/03/16 08:02:00;60;15\r\n");
    std::string out, err;
    ASSERT_EQ(run("stats --from 2024/03/16 --gauss " + path("m.txt"), err, &out), 0) << err;
    EXPECT_NE(out.find("cg_nb_events=1\n"), std::string::npos) << out;
    EXPECT_NE(out.find("cg_moyenne_cpm=15\n"), std::string::npos) << out;
    // One distribution point after the eight statistics lines.
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 9) << out;
    EXPECT_NE(out.find(";"), std::string::npos);
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

} // namespace
