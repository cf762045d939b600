// zelvanor-cli log against a simulated counter that misbehaves: noise on the line, a counter
// that never answers, a cable pulled out. The program keeps running to its end, journals what
// it saw, and keeps every count it had received.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "base/textfile.h"
#include "child_process.h"
#include "records/capture.h"
#include "serial/serial_line.h"
#include "settings/config.h"
#include "settings/messages.h"

namespace {

class SimFaultsCli : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::string(ZEL_BINARY_DIR) + "/sim_faults_cli/" + info->name() + "/";
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        if (sim_ > 0) {
            kill(sim_, SIGTERM);
            waitpid(sim_, nullptr, 0);
        }
    }

    // Starts the simulator; returns its device path.
    std::string StartSim(const std::vector<std::string>& args) { return ::StartSim(args, sim_); }

    // Runs zelvanor-cli log on the VORN line for `seconds`; its output lines in `out_`.
    int RunLog(const std::string& port, int seconds) {
        const std::string out_file = dir_ + "cli_out.txt";
        const int fd = open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const pid_t cli = Spawn(ZEL_CLI,
                                {"log", "--port", port, "--line", "1", "--dir", dir_ + "data",
                                 "--duration", std::to_string(seconds)},
                                fd);
        close(fd);
        const int status = WaitExit(cli, (seconds + 20) * 1000);
        zel::LoadTextFile(out_file, out_);
        return status;
    }

    // Count lines in the journal file, to compare with those seen on the way.
    size_t JournalledCounts() {
        zel::TextList log;
        zel::LoadTextFile(dir_ + "data/cg_log.txt", log);
        size_t n = 0;
        for (const auto& l : log) {
            const size_t at = l.find(" - CM=");
            n += at != std::string::npos && at + 6 < l.size();
        }
        return n;
    }
    size_t Records(const std::string& name) {
        zel::TCaptureList f;
        if (!f.load(dir_ + "data/" + name)) return 0;
        return f.size();
    }
    size_t Received(const std::string& prefix) const {
        size_t n = 0;
        for (const auto& l : out_)
            n += l.rfind("<- " + prefix, 0) == 0;
        return n;
    }
    std::string Output() const {
        std::string s;
        for (const auto& l : out_)
            s += l + "\n";
        return s;
    }

    std::string dir_;
    pid_t sim_ = -1;
    zel::TextList out_;
};

TEST_F(SimFaultsCli, NoiseIsJournalledAndNoCountIsLost) {
    // Events two seconds apart leave the host its second of silence to send requests.
    const std::string port =
        StartSim({"--model", "VORN8", "--serial", "555", "--period-ms", "4000", "--garbage"});
    ASSERT_FALSE(port.empty());
    ASSERT_EQ(RunLog(port, 13), 0) << Output();
    EXPECT_GE(Received("VP="), 1u) << Output();
    size_t noise = 0;
    for (size_t i = 0; i + 1 < out_.size(); ++i) {
        if (out_[i].rfind("<- ~", 0) != 0) continue;
        ++noise;
        // Once the counter is known, every noise line gets a journal entry of its own.
        if (i > 3) {
            EXPECT_EQ(out_[i + 1].rfind("-> ", 0), 0u) << Output();
        }
    }
    EXPECT_GE(noise, 2u) << Output();
    EXPECT_GE(Received("CM="), 2u) << Output();
    // With counts seconds apart instead of a minute, the capture file merges overlapping
    // minutes; the journal keeps every count.
    EXPECT_GE(Records("VORN8_00555.txt"), 1u) << Output();
    EXPECT_EQ(JournalledCounts(), Received("CM=")) << Output();
}

TEST_F(SimFaultsCli, SilentCounterIsJournalledAsUnknown) {
    const std::string port = StartSim({"--model", "VORN8", "--silent"});
    ASSERT_FALSE(port.empty());
    ASSERT_EQ(RunLog(port, 6), 0) << Output();
    EXPECT_EQ(Received(""), 0u) << Output();
    // Disconnect, connect, identification request, its time-out, the unknown counter.
    size_t journal = 0;
    for (const auto& l : out_)
        journal += l.rfind("-> ", 0) == 0;
    EXPECT_GE(journal, 5u) << Output();
    EXPECT_TRUE(std::filesystem::exists(dir_ + "data/cg_log.txt"));

    // The time-out of the identification request comes first, then what follows from it.
    auto first = [&](const std::set<std::string>& texts) {
        for (size_t i = 0; i < out_.size(); ++i)
            if (texts.count(out_[i])) return i;
        return out_.size();
    };
    std::set<std::string> timeout;
    for (const std::string lang : {"FR", "EN"}) {
        zel::Fichier_conf.Langue = lang;
        timeout.insert("-> " + zel::GetIOError(zel::ErrTimeout));
    }
    zel::Fichier_conf.Langue.clear();
    const size_t t = first(timeout);
    const size_t unknown =
        first({"-> " + zel::GetMessagePgm(zel::Compteur_inconnu), "-> Counter not recognised"});
    ASSERT_LT(t, out_.size()) << Output();
    ASSERT_LT(unknown, out_.size()) << Output();
    EXPECT_LT(t, unknown) << Output();
}

TEST_F(SimFaultsCli, PulledCableKeepsTheCountsReceived) {
    // Identity, factor, then two counts before the line goes.
    const std::string port = StartSim(
        {"--model", "VORN8", "--serial", "556", "--period-ms", "2500", "--drop-after", "4"});
    ASSERT_FALSE(port.empty());
    ASSERT_EQ(RunLog(port, 12), 0) << Output();
    EXPECT_EQ(Received("CM="), 2u) << Output();
    EXPECT_GE(Records("VORN8_00556.txt"), 1u) << Output();
    EXPECT_EQ(JournalledCounts(), 2u) << Output();
    // The dead line fails every read for the remaining seconds; the user is told once.
    std::set<std::string> texts;
    for (const std::string lang : {"FR", "EN"}) {
        zel::Fichier_conf.Langue = lang;
        texts.insert("-> " + zel::GetIOError(EIO));
    }
    zel::Fichier_conf.Langue.clear();
    size_t told = 0;
    for (const auto& l : out_)
        told += texts.count(l);
    EXPECT_EQ(told, 1u) << Output();
}

TEST_F(SimFaultsCli, CounterThatNeverFallsSilentStillEndsWithTheDuration) {
    // A count line every 10 ms never leaves the second of silence a request waits for.
    const std::string port = StartSim({"--model", "VORN8", "--period-ms", "10"});
    ASSERT_FALSE(port.empty());
    const int64_t start = NowMs();
    ASSERT_EQ(RunLog(port, 3), 0) << Output();
    EXPECT_LT(NowMs() - start, 8000) << Output();
}

} // namespace
