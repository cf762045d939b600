// zelvanor-cli merge, run as a program.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

class CliMerge : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zel_cli_merge_XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::string path(const std::string& n) const { return dir_ + "/" + n; }
    void write(const std::string& n, const std::string& bytes) const {
        std::ofstream(path(n), std::ios::binary) << bytes;
    }
    std::string read(const std::string& n) const {
        std::ifstream f(path(n), std::ios::binary);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }
    // Exit code of the command; its standard error in `err`.
    int run(const std::string& args, std::string& err) const {
        const std::string cmd = std::string(ZEL_CLI) + " merge " + args + " 2>" + path("stderr");
        const int st = std::system(cmd.c_str());
        err = read("stderr");
        return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }
    std::string dir_;
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

} // namespace
