// The application against a simulated counter whose cable is pulled, then plugged in again:
// the fault is journalled once, the counts received are kept, and connecting again works.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/app.h"
#include "app/app_fixture.h"
#include "base/ports.h"
#include "child_process.h"
#include "records/capture.h"
#include "settings/config.h"
#include "settings/journal.h"
#include "settings/messages.h"

namespace {

using namespace zel;

class Reconnect : public zeltest::AppTest {
  protected:
    void TearDown() override {
        for (pid_t p : sims_) {
            kill(p, SIGTERM);
            waitpid(p, nullptr, 0);
        }
        AppTest::TearDown();
    }

    // Starts a simulator; returns its device path.
    std::string StartSim(const std::vector<std::string>& args) {
        pid_t pid = -1;
        std::string path = ::StartSim(args, pid);
        if (pid > 0) sims_.push_back(pid);
        return path;
    }

    // Serves the session's calls to the main thread for `ms`.
    static void Pump(int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            MainThread().processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    static size_t Journalled(const std::string& text) {
        size_t n = 0;
        for (const auto& l : F_Log)
            n += l.find(text) != std::string::npos;
        return n;
    }

    std::vector<pid_t> sims_;
};

TEST_F(Reconnect, PulledCableThenConnectingAgain) {
    // Identity, factor, two counts, then the line goes.
    const std::string first = StartSim(
        {"--model", "VORN8", "--serial", "561", "--period-ms", "2500", "--drop-after", "4"});
    ASSERT_FALSE(first.empty());
    Start();
    ASSERT_TRUE(AppConnect(first, 1));
    Pump(9000);
    EXPECT_EQ(Fichier_conf.type_compteur_Capture, CVORN8);
    ASSERT_GE(F_Capture.size(), 1u);
    const int64_t firstCount = F_Capture.front().ms;
    // Several seconds of failing reads, one journal line.
    EXPECT_EQ(Journalled(GetIOError(EIO)), 1u);

    const std::string second =
        StartSim({"--model", "VORN8", "--serial", "561", "--period-ms", "2500"});
    ASSERT_FALSE(second.empty());
    ASSERT_TRUE(AppConnect(second, 1));
    EXPECT_EQ(Fichier_conf.type_compteur_Capture, CVORN8);
    EXPECT_EQ(Fichier_conf.NomCom, second);
    Pump(4000);
    // The counts of the first connection are in the counter's file (records a minute long
    // absorb those that follow within their minute).
    ASSERT_TRUE(AppShutdown());
    TCaptureList file;
    ASSERT_TRUE(file.load(Data() + "VORN8_00561.txt"));
    ASSERT_GE(file.size(), 1u);
    EXPECT_EQ(file.front().ms, firstCount);
}

} // namespace
