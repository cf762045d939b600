#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/textfile.h"

using namespace zel;

namespace {
std::string temp_dir() {
    char tmpl[] = "/tmp/zel_textfile_XXXXXX";
    const char* d = mkdtemp(tmpl);
    return d ? d : "/tmp";
}
void write_raw(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    f << bytes;
}
} // namespace

TEST(TextFile, SplitLinesOnEveryLineEnd) {
    struct Case {
        std::string text;
        TextList lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\rc", {"a", "b", "c"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"\n", {""}},
        {"a\r\r\nb", {"a", "", "b"}},
    };
    for (const auto& c : cases) {
        TextList out;
        SplitLines(c.text, out);
        EXPECT_EQ(out, c.lines) << testing::PrintToString(c.text);
    }
}

TEST(TextFile, DecodesByteOrderMarksAndOldCodePage) {
    struct Case {
        std::string bytes;
        std::string text;
    } cases[] = {
        {"plain", "plain"},
        {"\xEF\xBB\xBF"
         "caf\xC3\xA9",
         "caf\xC3\xA9"},
        {"caf\xE9 \x80", "caf\xC3\xA9 \xE2\x82\xAC"}, // Windows-1252
        {std::string("\xFF\xFE"
                     "c\0a\0f\0\xE9\0",
                     10),
         "caf\xC3\xA9"},                                             // UTF-16 LE
        {std::string("\xFE\xFF\0c\0a\0f\0\xE9", 10), "caf\xC3\xA9"}, // UTF-16 BE
        {"\xC3\x28", "\xC3\x83("},                                   // broken UTF-8
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeText(c.bytes), c.text);
}

TEST(TextFile, SaveWritesCrLfAndLoadReadsItBack) {
    const std::string dir = temp_dir();
    const std::string path = dir + "/list.txt";
    TextList lines{"2024/03/15 08:05:00;60;23", "", "\xC2\xB5Sv/h"};
    ASSERT_TRUE(SaveTextFile(path, lines));
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path, bytes));
    EXPECT_EQ(bytes, "2024/03/15 08:05:00;60;23\r\n\r\n\xC2\xB5Sv/h\r\n");
    TextList back;
    ASSERT_TRUE(LoadTextFile(path, back));
    EXPECT_EQ(back, lines);
}

TEST(TextFile, MissingFileReportsErrno) {
    TextList out{"kept?"};
    int err = 0;
    EXPECT_FALSE(LoadTextFile("/nonexistent/zel/file.txt", out, &err));
    EXPECT_EQ(err, ENOENT);
}

TEST(TextFile, FailedReplacementKeepsTheOldFile) {
    const std::string dir = temp_dir();
    const std::string path = dir + "/keep.txt";
    write_raw(path, "old\r\n");
    // A file size limit below the new content makes the write fail part-way.
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    int err = 0;
    const bool ok = AtomicWriteFile(path, std::string(1000, 'x'), &err);
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(ok);
    EXPECT_EQ(err, EFBIG);
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path, bytes));
    EXPECT_EQ(bytes, "old\r\n");
    // No temporary file is left behind.
    EXPECT_EQ(system(("test $(ls " + dir + " | wc -l) -eq 1").c_str()), 0);
}

TEST(TextFile, StaleTemporariesOfDeadProcessesAreRemoved) {
    const std::string dir = temp_dir();
    // A process id that is no longer running: a child that has exited and been waited for.
    const pid_t child = fork();
    if (child == 0) _exit(0);
    ASSERT_GT(child, 0);
    waitpid(child, nullptr, 0);
    const std::string dead = std::to_string(child), alive = std::to_string(getpid());

    const struct {
        std::string name;
        bool removed;
    } cases[] = {
        {"VORN8_01234.txt.tmp" + dead + "_0", true},
        {"cg_conf.txt.tmp" + dead + "_17", true},
        {"cg_log.txt.tmp" + alive + "_2", false}, // a save in progress
        {"cg_log.txt.tmp1_0", false},             // a live process (init)
        {"notes.tmp", false},
        {".tmp" + dead + "_0", false},
        {"a.txt.tmp" + dead + "_", false},
        {"a.txt.tmp" + dead + "x_1", false},
        {"a.txt.tmp" + dead + "_1.bak", false},
        {"a.txt", false},
    };
    for (const auto& c : cases)
        write_raw(dir + "/" + c.name, "part");
    mkdir((dir + "/d.tmp" + dead + "_0").c_str(), 0755); // not a file: kept

    EXPECT_EQ(RemoveStaleTemporaries(dir), 2);
    for (const auto& c : cases)
        EXPECT_EQ(FileExists(dir + "/" + c.name), !c.removed) << c.name;
    EXPECT_TRUE(DirectoryExists(dir + "/d.tmp" + dead + "_0"));
    EXPECT_EQ(RemoveStaleTemporaries(dir + "/missing"), 0);
}
