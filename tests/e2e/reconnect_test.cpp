// The application against a simulated counter whose cable is pulled, then plugged in again:
// the fault is journalled once, the counts received are kept, the state on screen says what is
// known, and the program connects again by itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/app.h"
#include "app/app_fixture.h"
#include "app/connection_state.h"
#include "base/ports.h"
#include "child_process.h"
#include "model/model.h"
#include "records/capture.h"
#include "session/emission.h"
#include "settings/config.h"
#include "settings/journal.h"
#include "settings/messages.h"
#include "settings/texts.h"

namespace {

using namespace zel;

class Reconnect : public zeltest::AppTest {
  protected:
    void TearDown() override {
        sims_.StopAll();
        AppTest::TearDown();
    }

    // Starts a simulator; returns its device path.
    std::string StartSim(const std::vector<std::string>& args) { return sims_.Start(args); }

    // Serves the session's calls to the main thread for `ms`, with the front end's ticks.
    static void Pump(int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            MainThread().processEvents();
            ConnectionTick();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    // Pumps until `done` holds or `ms` have passed.
    template <class Pred> static bool PumpUntil(Pred done, int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!done()) {
            if (std::chrono::steady_clock::now() >= end) return false;
            Pump(20);
        }
        return true;
    }

    void StopSim(size_t i) { sims_.Stop(i); }

    static size_t Journalled(const std::string& text) {
        size_t n = 0;
        for (const auto& l : F_Log)
            n += l.find(text) != std::string::npos;
        return n;
    }

    Simulators sims_;
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

// The simulator killed under a connected counter, then started again at the same path: the
// window shows the loss and stale values at once, the port comes back by itself, and nothing
// is recorded for the gap.
TEST_F(Reconnect, LostCounterIsShownThenReconnectedByItself) {
    const std::string link = dir + "/ttySIM";
    const std::vector<std::string> args = {"--model",     "VORN8", "--serial", "561",
                                           "--period-ms", "2000",  "--link",   link};
    ASSERT_FALSE(StartSim(args).empty());
    Start();
    ASSERT_TRUE(AppConnect(link, 1));
    EXPECT_EQ(Connection().state, ConnectionState::Identified);
    EXPECT_EQ(Principal.connection_text, "Compteur VORN8 n° 00561");
    ASSERT_TRUE(PumpUntil([] { return !F_Capture.empty(); }, 10000));
    EXPECT_FALSE(Principal.live_stale);
    const std::string lastValue = Principal.cg_cpm_mn;

    StopSim(0);
    ASSERT_TRUE(PumpUntil([] { return Connection().state != ConnectionState::Identified; }, 5000));
    const TDateTime lostAt = Connection().lostAt;
    EXPECT_EQ(Connection().state, ConnectionState::Reconnecting);
    EXPECT_TRUE(Principal.live_stale);
    EXPECT_EQ(Principal.cg_cpm_mn, lastValue); // kept, but marked
    EXPECT_EQ(Principal.live_stale_hint.rfind(GetProgramText(ProgramText::LastCountAt), 0), 0u);
    EXPECT_NE(Principal.caption.find(GetProgramText(ProgramText::ReconnectingTo)),
              std::string::npos)
        << Principal.caption;
    EXPECT_FALSE(Principal.cg_menu_compteur_enabled);
    EXPECT_EQ(Journalled(GetProgramText(ProgramText::CounterLost) + link), 1u);

    // Two failed tries (the port is gone), then the counter is back.
    Pump(3000);
    EXPECT_EQ(Connection().state, ConnectionState::Reconnecting);
    const TDateTime backAt = Clock().now(); // no count can be dated between the two
    ASSERT_FALSE(StartSim(args).empty());
    ASSERT_TRUE(PumpUntil([] { return Connection().state == ConnectionState::Identified; }, 20000));
    EXPECT_EQ(Journalled(GetProgramText(ProgramText::ReconnectedAfter)), 1u);
    EXPECT_EQ(Journalled(GetProgramText(ProgramText::CounterLost)), 1u);
    EXPECT_LE(Journalled(GetIOError(EIO)), 1u); // the tries do not tell the fault again
    EXPECT_EQ(Principal.caption, "Zelvanor  - VORN8");
    EXPECT_TRUE(Principal.cg_menu_compteur_enabled);
    // The old values stay marked until a new count replaces them.
    const size_t before = F_Capture.size();
    ASSERT_TRUE(PumpUntil([&] { return F_Capture.size() > before; }, 10000));
    Pump(100);
    EXPECT_FALSE(Principal.live_stale);
    for (const auto& r : F_Capture)
        EXPECT_FALSE(r.T > lostAt && r.T < backAt) << r.line();
}

// With reconnection off the loss is told once and the program waits.
TEST_F(Reconnect, WithoutReconnectionTheLossIsToldOnceAndTheProgramWaits) {
    const std::string link = dir + "/ttySIM";
    const std::vector<std::string> args = {"--model",     "VORN8", "--serial", "562",
                                           "--period-ms", "2000",  "--link",   link};
    ASSERT_FALSE(StartSim(args).empty());
    Start();
    ConnectionPrefs().reconnect = false;
    ASSERT_TRUE(AppConnect(link, 1));
    StopSim(0);
    ASSERT_TRUE(PumpUntil([] { return Connection().state == ConnectionState::Lost; }, 5000));
    ASSERT_FALSE(StartSim(args).empty());
    Pump(4000);
    EXPECT_EQ(Connection().state, ConnectionState::Lost);
    EXPECT_TRUE(Principal.live_stale);
    EXPECT_EQ(Principal.cg_indicator, clRed);
    EXPECT_EQ(Journalled(GetProgramText(ProgramText::CounterLost)), 1u);
    EXPECT_EQ(Journalled(GetProgramText(ProgramText::ReconnectingTo)), 0u);
}

// A VORN that stops talking is silent after its period rule; a Gamma Scout in PC mode, which
// sends nothing unprompted, never is.
TEST_F(Reconnect, SilentCounterAfterThePeriodRuleOnly) {
    const std::string vorn =
        StartSim({"--model", "VORN8", "--serial", "563", "--period-ms", "60000"});
    ASSERT_FALSE(vorn.empty());
    Start();
    ConnectionPrefs().silenceMs = 2500;
    ASSERT_TRUE(AppConnect(vorn, 1));
    EXPECT_EQ(Connection().state, ConnectionState::Identified);
    Pump(1000);
    EXPECT_EQ(Connection().state, ConnectionState::Identified);
    ASSERT_TRUE(PumpUntil([] { return Connection().state == ConnectionState::Silent; }, 5000));
    EXPECT_TRUE(Principal.live_stale);
    EXPECT_EQ(Journalled(GetProgramText(ProgramText::CounterSilentSince)), 1u);
    Pump(1000);
    EXPECT_EQ(Journalled(GetProgramText(ProgramText::CounterSilentSince)), 1u);
    // A line ends the silence.
    SetEmission(Comd_VP, "");
    Pump(100);
    EXPECT_EQ(Connection().state, ConnectionState::Identified);

    const std::string gs =
        StartSim({"--model", "GS", "--firmware", "5.43", "--serial", "4321", "--mode", "pc"});
    ASSERT_FALSE(gs.empty());
    ASSERT_TRUE(AppConnect(gs, 2));
    EXPECT_EQ(Connection().state, ConnectionState::Identified);
    Pump(4000);
    EXPECT_EQ(Connection().state, ConnectionState::Identified);
    EXPECT_FALSE(Principal.live_stale);
}

// The connection left open at close is taken up at the next start; one the user closed is not.
TEST_F(Reconnect, ResumeAtStartAfterAClosedConnection) {
    const std::string port =
        StartSim({"--model", "VORN8", "--serial", "564", "--period-ms", "2500"});
    ASSERT_FALSE(port.empty());
    Start();
    ConnectionPrefs().remember = true;
    ASSERT_TRUE(AppConnect(port, 1));
    ASSERT_TRUE(AppShutdown());
    EXPECT_NE(ReadFile(Data() + "zelvanor_connection.txt").find("Connected=1"), std::string::npos);

    Start();
    EXPECT_EQ(Principal.caption, "Zelvanor"); // nothing known before the connection
    ASSERT_TRUE(AppResumeConnection());
    EXPECT_EQ(Connection().state, ConnectionState::Identified);
    EXPECT_EQ(Fichier_conf.type_compteur_Capture, CVORN8);
    AppDisconnect();
    ASSERT_TRUE(AppShutdown());

    Start();
    EXPECT_FALSE(AppResumeConnection());
    EXPECT_EQ(Connection().state, ConnectionState::NotConnected);
    ConnectionPrefs().remember = false;
}

// zelvanor-cli log: the simulator killed and started again at the same path; the counts go on
// being journalled without anyone doing anything. With --no-reconnect the loss is told once.
class ReconnectCli : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zel_reconnect_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        link_ = dir_ + "/ttySIM";
    }
    void TearDown() override {
        if (sim_ > 0) {
            kill(sim_, SIGTERM);
            waitpid(sim_, nullptr, 0);
        }
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    void StartSim() {
        ASSERT_FALSE(::StartSim({"--model", "VORN8", "--serial", "777", "--period-ms", "2000",
                                 "--link", link_},
                                sim_)
                         .empty());
    }
    void KillSim() {
        kill(sim_, SIGTERM);
        waitpid(sim_, nullptr, 0);
        sim_ = -1;
    }
    static bool IsCount(const std::string& l) { return l.rfind("<- CM=", 0) == 0; }
    static bool IsLoss(const std::string& l) {
        return l.find("Compteur perdu : ") != std::string::npos ||
               l.find("Counter lost: ") != std::string::npos;
    }
    static bool IsBack(const std::string& l) {
        return l.find("Reconnecté après ") != std::string::npos ||
               l.find("Reconnected after ") != std::string::npos;
    }
    std::string dir_, link_;
    pid_t sim_ = -1;
};

TEST_F(ReconnectCli, CountsGoOnAfterTheCounterComesBack) {
    StartSim();
    Child cli(ZEL_CLI,
              {"log", "--port", link_, "--line", "1", "--dir", dir_ + "/data", "--duration", "60"});
    ASSERT_TRUE(cli.WaitFor(IsCount, 15000));
    KillSim();
    ASSERT_TRUE(cli.WaitFor(IsLoss, 5000));
    StartSim();
    ASSERT_TRUE(cli.WaitFor(IsBack, 20000));
    size_t back = 0;
    while (!IsBack(cli.lines[back]))
        ++back;
    auto countAfterBack = [&](const std::string&) {
        for (size_t i = back + 1; i < cli.lines.size(); ++i)
            if (IsCount(cli.lines[i])) return true;
        return false;
    };
    ASSERT_TRUE(cli.WaitFor(countAfterBack, 10000));
    EXPECT_EQ(cli.Stop(SIGTERM, 15000), 0);
    EXPECT_EQ(std::count_if(cli.lines.begin(), cli.lines.end(), IsLoss), 1);
    EXPECT_EQ(std::count_if(cli.lines.begin(), cli.lines.end(), IsBack), 1);
    EXPECT_TRUE(std::filesystem::exists(dir_ + "/data/VORN8_00777.txt"));
}

TEST_F(ReconnectCli, NoReconnectTellsTheLossOnceAndWaits) {
    StartSim();
    Child cli(ZEL_CLI, {"log", "--port", link_, "--line", "1", "--dir", dir_ + "/data",
                        "--duration", "60", "--no-reconnect"});
    ASSERT_TRUE(cli.WaitFor(IsCount, 15000));
    KillSim();
    ASSERT_TRUE(cli.WaitFor(IsLoss, 5000));
    StartSim();
    // Longer than the first tries would take: nothing comes back.
    cli.WaitFor([](const std::string&) { return false; }, 6000);
    EXPECT_EQ(cli.Stop(SIGTERM, 15000), 0);
    size_t loss = 0;
    while (loss < cli.lines.size() && !IsLoss(cli.lines[loss]))
        ++loss;
    ASSERT_LT(loss, cli.lines.size());
    EXPECT_EQ(std::count_if(cli.lines.begin(), cli.lines.end(), IsLoss), 1);
    EXPECT_EQ(std::count_if(cli.lines.begin(), cli.lines.end(), IsBack), 0);
    EXPECT_EQ(std::count_if(cli.lines.begin() + static_cast<long>(loss), cli.lines.end(), IsCount),
              0);
}

} // namespace
