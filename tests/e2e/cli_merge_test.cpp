// zelvanor-cli merge, run as a program.
#include "cli_fixture.h"

namespace {

class CliMerge : public CliTest {
  protected:
    int run(const std::string& args, std::string& err) const {
        return CliTest::run("merge " + args, err);
    }
};

TEST_F(CliMerge, MergesFirstFileIntoSecond) {
    write("a.txt", "2024/03/15 08:00:00;60;1\r\n2024/03/15 08:00:30;60;2\r\n");
    write("b.txt", "2024/03/15 08:01:00;60;3\n");
    std::string err;
    EXPECT_EQ(run(path("a.txt") + " " + path("b.txt") + " " + path("out.txt"), err), 0) << err;
    EXPECT_EQ(read("out.txt"), "2024/03/15 08:00:00;60;1\r\n2024/03/15 08:01:00;60;3\r\n");
    EXPECT_EQ(read("b.txt"), "2024/03/15 08:01:00;60;3\n");
}

TEST_F(CliMerge, UnreadableFileFailsWithItsName) {
    write("b.txt", "2024/03/15 08:01:00;60;3\r\n");
    std::string err;
    EXPECT_EQ(run(path("missing.txt") + " " + path("b.txt") + " " + path("out.txt"), err), 1);
    EXPECT_NE(err.find(path("missing.txt")), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(path("out.txt")));
    EXPECT_NE(run(path("b.txt"), err), 0); // usage
}

TEST_F(CliMerge, BlankLinesAtTheEndAreDroppedOtherUnreadableLinesRefused) {
    // The target ends in blank lines and every added record is older: the merged file used to
    // keep them at its end, and then nothing could read it.
    write("a.txt", "2024/03/15 08:00:00;60;1\r\n");
    write("b.txt", "2024/03/15 08:01:00;60;3\r\n\r\n\r\n");
    std::string err, out;
    ASSERT_EQ(run(path("a.txt") + " " + path("b.txt") + " " + path("out.txt"), err), 0) << err;
    EXPECT_EQ(read("out.txt"), "2024/03/15 08:00:00;60;1\r\n2024/03/15 08:01:00;60;3\r\n");
    EXPECT_EQ(CliTest::run("stats " + path("out.txt"), err, &out), 0) << err;
    EXPECT_NE(out.find("events=2\n"), std::string::npos) << out;

    // An unreadable line inside a file would be merged out of order: refused, with its line.
    write("c.txt", "2024/03/15 07:00:00;60;1\r\n\r\n2024/03/15 09:00:00;60;2\r\n");
    EXPECT_EQ(run(path("c.txt") + " " + path("b.txt") + " " + path("out2.txt"), err), 1);
    EXPECT_NE(err.find(path("c.txt") + ":2"), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(path("out2.txt")));
}

} // namespace
