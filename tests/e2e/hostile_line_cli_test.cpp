// zelvanor-cli log against a counter end held by the test: a reply cut in the middle, a long
// stream without a carriage return, then count lines every 10 ms. The program keeps running and
// keeps every count.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "base/textfile.h"
#include "child_process.h"
#include "records/capture.h"

namespace {

using Steady = std::chrono::steady_clock;

bool WriteAll(int fd, const std::string& s) {
    size_t done = 0;
    while (done < s.size()) {
        const ssize_t w = write(fd, s.data() + done, s.size() - done);
        if (w < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return false;
        }
        done += static_cast<size_t>(w);
    }
    return true;
}

// Starts zelvanor-cli log, for `duration` seconds, on a fresh pseudo-terminal whose counter end
// (`master`) the test plays; its output goes to <dir>cli_out.txt. `cli` stays -1 on failure.
void StartLogOnPty(const std::string& dir, const char* duration, int& master, int& slave,
                   pid_t& cli) {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) return;
    const int out = open((dir + "cli_out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    cli = Spawn(
        ZEL_CLI,
        {"log", "--port", name, "--line", "1", "--dir", dir + "data", "--duration", duration}, out);
    close(out);
}

// Ends the logger as a user's Ctrl+C would and closes the counter's line; gives its exit
// status, or a negative value when it did not end within 15 s.
int StopLog(pid_t cli, int master, int slave) {
    kill(cli, SIGTERM);
    const int status = WaitExit(cli, 15000);
    close(master);
    close(slave);
    return status;
}

// Reads what the host sends until a request ending in CR that starts with `first` arrives.
bool AwaitRequest(int fd, char first, int ms) {
    std::string got;
    const auto end = Steady::now() + std::chrono::milliseconds(ms);
    while (Steady::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char c;
        if (read(fd, &c, 1) != 1) return false;
        if (c != '\r') {
            got += c;
            continue;
        }
        if (!got.empty() && got[0] == first) return true;
        got.clear();
    }
    return false;
}

TEST(HostileLineCli, CutReplyLongLineAndFastCountsKeepEveryCount) {
    const std::string dir = std::string(ZEL_BINARY_DIR) + "/hostile_line_cli/";
    const std::string out_file = dir + "cli_out.txt";
    int master = -1, slave = -1;
    pid_t cli = -1;
    StartLogOnPty(dir, "50", master, slave, cli);
    ASSERT_GT(cli, 0);

    // The counter: identity and factor on request, then the faults.
    constexpr int kFastCounts = 400; // 4 s of a count line every 10 ms
    const bool identified = AwaitRequest(master, 'V', 10000) &&
                            WriteAll(master, "VP=2.1,VORN8,777\r") &&
                            AwaitRequest(master, 'F', 10000) && WriteAll(master, "CF=0.0057\r");
    EXPECT_TRUE(identified);
    if (identified) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        WriteAll(master, "CM=1"); // cut: the rest never comes
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        WriteAll(master, std::string(1 << 20, 'A')); // 1 MB without a carriage return
        WriteAll(master, "\r");
        for (int i = 0; i < kFastCounts; ++i) {
            WriteAll(master, "CM=7\r");
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    // Once every count has been journalled (or after a while), the user stops the program.
    auto countsSeen = [&] {
        zel::TextList now;
        zel::LoadTextFile(out_file, now);
        size_t n = 0;
        for (const auto& l : now)
            n += l == "<- CM=7";
        return n;
    };
    for (auto until = Steady::now() + std::chrono::seconds(20);
         countsSeen() < static_cast<size_t>(kFastCounts) && Steady::now() < until;)
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const int status = StopLog(cli, master, slave);
    ASSERT_GE(status, 0) << "the program did not end by itself";
    EXPECT_EQ(status, 0);

    zel::TextList lines;
    zel::LoadTextFile(out_file, lines);
    size_t counts = 0, cut = 0, pieces = 0, told = 0;
    for (const auto& l : lines) {
        counts += l == "<- CM=7";
        cut += l.rfind("<- CM=1", 0) == 0;
        pieces += l.rfind("<- AAAA", 0) == 0;
        told += l == "-> Incorrect command received from the counter" ||
                l == "-> Commande incorrecte reçue du compteur";
    }
    EXPECT_EQ(counts, static_cast<size_t>(kFastCounts));
    EXPECT_EQ(cut, 0u); // the cut reply is dropped, not taken as a count
    // The long line is no reply: told once, not piece by piece.
    EXPECT_EQ(pieces, 0u);
    EXPECT_EQ(told, 1u);
    zel::TCaptureList capture;
    ASSERT_TRUE(capture.load(dir + "data/VORN8_00777.txt"));
    EXPECT_GE(capture.size(), 1u);
}

TEST(HostileLineCli, CountAfterNoiseEndingInSilenceIsKept) {
    const std::string dir = std::string(ZEL_BINARY_DIR) + "/hostile_line_cli_noise/";
    const std::string out_file = dir + "cli_out.txt";
    int master = -1, slave = -1;
    pid_t cli = -1;
    StartLogOnPty(dir, "30", master, slave, cli);
    ASSERT_GT(cli, 0);

    const bool identified = AwaitRequest(master, 'V', 10000) &&
                            WriteAll(master, "VP=2.1,VORN8,778\r") &&
                            AwaitRequest(master, 'F', 10000) && WriteAll(master, "CF=0.0057\r");
    EXPECT_TRUE(identified);
    auto seen = [&](const std::string& line) {
        zel::TextList now;
        zel::LoadTextFile(out_file, now);
        for (const auto& l : now)
            if (l == line) return true;
        return false;
    };
    if (identified) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        WriteAll(master, std::string(300, '~')); // noise at the wrong speed, no carriage return
        std::this_thread::sleep_for(std::chrono::milliseconds(2500));
        WriteAll(master, "CM=37\r");
        for (auto until = Steady::now() + std::chrono::seconds(10);
             !seen("<- CM=37") && Steady::now() < until;)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const int status = StopLog(cli, master, slave);
    ASSERT_GE(status, 0) << "the program did not end by itself";
    EXPECT_EQ(status, 0);

    EXPECT_TRUE(seen("<- CM=37"));
    zel::TCaptureList capture;
    ASSERT_TRUE(capture.load(dir + "data/VORN8_00778.txt"));
    ASSERT_EQ(capture.size(), 1u);
    EXPECT_EQ(capture[0].Comptage, 37);
}

} // namespace
