// zelvanor-cli log against a simulated counter on a pseudo-terminal: connection, identification,
// live counts, a memory download, and the files a stop leaves in the data directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "base/numfmt.h"
#include "base/textfile.h"
#include "child_process.h"
#include "permission_refused_path.h"
#include "records/capture.h"
#include "serial/port_access.h"

namespace {

class LogE2E : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zel_log_e2e_XXXXXX";
        dir_ = mkdtemp(tmpl);
        data_ = dir_ + "/data/";
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string PortOf(Child& sim) {
        std::string path;
        sim.WaitFor([](const std::string&) { return true; }, 5000);
        if (!sim.lines.empty()) path = sim.lines.front();
        return path;
    }
    zel::TextList Lines(const std::string& name) {
        zel::TextList l;
        zel::LoadTextFile(data_ + name, l);
        return l;
    }
    // Every line of the capture-format file reads as a record.
    size_t Records(const std::string& name) {
        zel::TCaptureList f;
        if (!f.load(data_ + name)) return 0;
        for (const auto& e : f)
            if (!e.Valide) return 0;
        return f.size();
    }
    bool Journalled(const std::string& message) {
        for (const auto& l : Lines("cg_log.txt"))
            if (l.size() > 19 && l.compare(16, 3, " - ") == 0 && l.substr(19) == message)
                return true;
        return false;
    }

    // Reads the program's output until the file appears in the data directory.
    bool WaitForFile(Child& c, const std::string& name, int ms) {
        for (const int64_t end = NowMs() + ms; NowMs() < end;) {
            if (std::filesystem::exists(data_ + name)) return true;
            c.WaitFor([](const std::string&) { return false; }, 200);
        }
        return false;
    }

    std::string dir_, data_;
};

std::string Dump(const Child& c) {
    std::string s = "program output:\n";
    for (const auto& l : c.lines)
        s += "  " + l + "\n";
    return s;
}

auto Is(const std::string& s) {
    return [s](const std::string& l) { return l == s; };
}

TEST_F(LogE2E, Vorn8IsIdentifiedLoggedAndDownloaded) {
    Child sim(ZEL_SIM,
              {"--model", "VORN8", "--serial", "4321", "--period-ms", "2500", "--history", "3"});
    ASSERT_TRUE(sim.started());
    const std::string port = PortOf(sim);
    ASSERT_FALSE(port.empty());

    Child cli(ZEL_CLI, {"log", "--port", port, "--line", "1", "--dir", data_, "--do", "Comd_DL"});
    ASSERT_TRUE(cli.started());
    // Counts every 2.5 s leave the line silent long enough for each command to leave.
    ASSERT_TRUE(cli.WaitFor(Is("<- DL=END"), 30000)) << Dump(cli);
    const size_t counts = cli.Count("<- CM=");
    ASSERT_TRUE(
        cli.WaitFor([&](const std::string&) { return cli.Count("<- CM=") >= counts + 2; }, 15000));
    EXPECT_EQ(cli.Stop(SIGTERM, 15000), 0);

    // Connection and identification as the connection dialog makes them.
    ASSERT_GE(cli.lines.size(), 4u);
    EXPECT_EQ(cli.lines[1].rfind("-> ", 0), 0u);
    EXPECT_NE(cli.lines[1].find(port), std::string::npos);
    EXPECT_TRUE(cli.Saw("<- VP=2.1,VORN8,4321"));
    EXPECT_TRUE(cli.Saw("<- CF=0.0057"));
    EXPECT_EQ(cli.Count("<- DL=INT"), 1u); // the download header

    // Files of the counter, the configuration and the journal.
    EXPECT_GE(Records("VORN8_04321.txt"), 1u);
    EXPECT_GE(Records("VORN8_04321_DL.txt"), 1u);
    const zel::TextList conf = Lines("VORN8_04321_Conf.txt");
    ASSERT_EQ(conf.size(), 3u);
    EXPECT_EQ(conf[0].rfind("DateModif=", 0), 0u);
    EXPECT_EQ(conf[1], "CGM=VORN8_");
    EXPECT_EQ(conf[2], "ConvSievert=0.00570");
    const zel::TextList cg_conf = Lines("cg_conf.txt");
    EXPECT_NE(std::find(cg_conf.begin(), cg_conf.end(), "NomCom=" + port), cg_conf.end());
    EXPECT_TRUE(std::any_of(cg_conf.begin(), cg_conf.end(),
                            [](const std::string& l) { return l.rfind("Com=1", 0) == 0; }));
    EXPECT_TRUE(Journalled("VP=2.1,VORN8,4321"));
    EXPECT_TRUE(Journalled("DL=END"));
}

// Installed in <prefix>/bin and given no --dir, the logger keeps its files in the user's XDG
// data home, as the desktop program does.
TEST_F(LogE2E, InstalledLoggerWritesIntoTheUsersDataHome) {
    const std::string bin = dir_ + "/usr/bin/";
    std::filesystem::create_directories(bin);
    std::filesystem::copy_file(ZEL_CLI, bin + "zelvanor-cli");
    const std::string cli_path = bin + "zelvanor-cli";
    const std::string home = dir_ + "/home/u";
    const struct {
        const char* what;
        const char* xdg; // nullptr: unset
        std::string data;
    } cases[] = {
        {"XDG_DATA_HOME unset", nullptr, home + "/.local/share/zelvanor/"},
        {"relative XDG_DATA_HOME ignored", "rel/share", home + "/.local/share/zelvanor/"},
        {"XDG_DATA_HOME set", "XDG", dir_ + "/xdg/zelvanor/"},
    };
    const char* saved_home = std::getenv("HOME");
    const char* saved_xdg = std::getenv("XDG_DATA_HOME");
    const std::string old_home = saved_home ? saved_home : "";
    const std::string old_xdg = saved_xdg ? saved_xdg : "";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        setenv("HOME", home.c_str(), 1);
        if (!c.xdg)
            unsetenv("XDG_DATA_HOME");
        else if (std::string(c.xdg) == "XDG")
            setenv("XDG_DATA_HOME", (dir_ + "/xdg").c_str(), 1);
        else
            setenv("XDG_DATA_HOME", c.xdg, 1);

        Child sim(ZEL_SIM, {"--model", "VORN8", "--serial", "77", "--period-ms", "2000"});
        const std::string port = PortOf(sim);
        ASSERT_FALSE(port.empty());
        Child cli(cli_path.c_str(), {"log", "--port", port, "--line", "vorn8"});
        ASSERT_TRUE(cli.started());
        const bool identified = cli.WaitFor(Is("<- VP=2.1,VORN8,77"), 20000);
        EXPECT_EQ(cli.Stop(SIGTERM, 15000), 0);
        EXPECT_TRUE(identified) << Dump(cli);
        for (const char* name : {"cg_conf.txt", "cg_log.txt"})
            EXPECT_TRUE(std::filesystem::exists(c.data + name)) << c.data + name;
        EXPECT_FALSE(std::filesystem::exists(bin + "data"));
        std::filesystem::remove_all(home);
        std::filesystem::remove_all(dir_ + "/xdg");
    }
    setenv("HOME", old_home.c_str(), 1);
    if (saved_xdg)
        setenv("XDG_DATA_HOME", old_xdg.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
}

TEST_F(LogE2E, GammaScoutInStandardModeIsSwitchedToPcModeAndDownloaded) {
    Child sim(ZEL_SIM, {"--model", "GS", "--firmware", "6.50", "--serial", "23456", "--mode",
                        "standard", "--log-hours", "2"});
    ASSERT_TRUE(sim.started());
    const std::string port = PortOf(sim);
    ASSERT_FALSE(port.empty());

    Child cli(ZEL_CLI, {"log", "--port", port, "--line", "3", "--dir", data_, "--do", "Comd_DL"});
    ASSERT_TRUE(cli.started());
    // The dump ends with a second of silence; the decoding result follows.
    ASSERT_TRUE(cli.WaitFor(Is("<- GAMMA-SCOUT Protokoll"), 30000)) << Dump(cli);
    EXPECT_TRUE(WaitForFile(cli, "GS2_23456_DL.txt", 20000));
    EXPECT_EQ(cli.Stop(SIGTERM, 15000), 0);

    std::vector<std::string> replies;
    for (const auto& l : cli.lines)
        if (l.rfind("<- ", 0) == 0 && replies.size() < 4) replies.push_back(l);
    ASSERT_EQ(replies.size(), 4u);
    EXPECT_EQ(replies[0], "<- Standard");
    EXPECT_EQ(replies[1], "<- PC-MODE gestartet");
    EXPECT_EQ(replies[2].rfind("<- Version 6.50 23456 ", 0), 0u);
    EXPECT_EQ(replies[3], "<- GAMMA-SCOUT Protokoll");

    EXPECT_GE(Records("GS2_23456_DL.txt"), 1u);
    EXPECT_TRUE(Journalled("Standard"));
    EXPECT_FALSE(Lines("cg_conf.txt").empty());
}

TEST_F(LogE2E, GammaScout7WithLettersAfterItsVersionIsIdentifiedAndDecoded) {
    Child sim(ZEL_SIM, {"--model", "GS", "--firmware", "7.02", "--serial", "4711", "--mode", "pc",
                        "--log-hours", "3"});
    ASSERT_TRUE(sim.started());
    const std::string port = PortOf(sim);
    ASSERT_FALSE(port.empty());
    Child cli(ZEL_CLI, {"log", "--port", port, "--line", "4", "--dir", data_, "--do", "Comd_DL"});
    ASSERT_TRUE(cli.WaitFor(Is("<- GAMMA-SCOUT Protokoll"), 30000)) << Dump(cli);
    // The silence that ends the dump, then its decoding into the download file.
    EXPECT_TRUE(WaitForFile(cli, "GS2_04711_DL.txt", 20000));
    EXPECT_EQ(cli.Stop(SIGTERM, 15000), 0);
    EXPECT_EQ(cli.Count("<- Version 7.02Lb07 1020 004711 "), 1u) << Dump(cli);
    // Identified with its serial number (the six-digit field) and log size: the log was
    // decoded into its files.
    EXPECT_GE(Records("GS2_04711_DL.txt"), 1u) << Dump(cli);
    EXPECT_EQ(Lines("GS2_04711_Conf.txt").size(), 3u);
}

TEST_F(LogE2E, GammaScoutFilesReportAndStatisticsAgreeOnOneFactor) {
    Child sim(ZEL_SIM, {"--model", "GS", "--firmware", "7.02", "--serial", "1021", "--mode", "pc",
                        "--log-hours", "3", "--cpm", "200"});
    ASSERT_TRUE(sim.started());
    const std::string port = PortOf(sim);
    ASSERT_FALSE(port.empty());
    Child cli(ZEL_CLI, {"log", "--port", port, "--line", "4", "--dir", data_, "--do", "Comd_DL"});
    ASSERT_TRUE(cli.WaitFor(Is("<- GAMMA-SCOUT Protokoll"), 30000)) << Dump(cli);
    EXPECT_TRUE(WaitForFile(cli, "GS2_01021_DL.txt", 20000));
    EXPECT_EQ(cli.Stop(SIGTERM, 15000), 0);

    // The counter's own file and its decoded report.
    const zel::TextList conf = Lines("GS2_01021_Conf.txt");
    ASSERT_EQ(conf.size(), 3u) << Dump(cli);
    EXPECT_EQ(conf[2], "ConvSievert=0.0081208");
    std::string report;
    for (const auto& e : std::filesystem::directory_iterator(data_))
        if (e.path().filename().string().rfind("gs_1021_", 0) == 0)
            report = e.path().filename().string();
    ASSERT_FALSE(report.empty()) << Dump(cli);
    const zel::TextList r = Lines(report);
    ASSERT_FALSE(r.empty());
    EXPECT_NE(r[0].find("Conv. Factor = 0.008120"), std::string::npos) << r[0];

    // The statistics of the download file, as the window shows them once it is opened.
    Child stats(ZEL_CLI, {"stats", data_ + "GS2_01021_DL.txt"});
    ASSERT_TRUE(
        stats.WaitFor([](const std::string& l) { return l.rfind("max_usvh=", 0) == 0; }, 10000));
    auto value = [&](const std::string& key) {
        for (const std::string& l : stats.lines)
            if (l.rfind(key + "=", 0) == 0) {
                // Output for scripts has "." under any locale, the test's own included.
                double v = 0.0;
                zel::ParseDecimal(std::string_view(l).substr(key.size() + 1), v);
                return v;
            }
        return 0.0;
    };
    const double cpm = value("max_cpm"), sv = value("max_usvh");
    ASSERT_GT(cpm, 50);
    EXPECT_NEAR(sv, cpm * 0.0081208, 1e-5);
}

TEST_F(LogE2E, StopDuringALongDumpEndsPromptly) {
    // Firmware 5.x at 2400 bit/s, paced as the line would: a long log takes minutes.
    Child sim(ZEL_SIM, {"--model", "GS", "--firmware", "5.43", "--mode", "pc", "--pace",
                        "--log-hours", "2000"});
    ASSERT_TRUE(sim.started());
    const std::string port = PortOf(sim);
    ASSERT_FALSE(port.empty());
    Child cli(ZEL_CLI, {"log", "--port", port, "--line", "2", "--dir", data_, "--do", "Comd_DL"});
    ASSERT_TRUE(cli.WaitFor(Is("<- GAMMA-SCOUT Protokoll"), 30000)) << Dump(cli);
    ASSERT_TRUE(
        cli.WaitFor([](const std::string& l) { return l.rfind("<- 0020 ", 0) == 0; }, 30000));
    const int64_t asked = NowMs();
    EXPECT_EQ(cli.Stop(SIGTERM, 10000), 0);
    // Heard, the download cut short and said so, everything saved: within 3 s.
    EXPECT_LT(NowMs() - asked, 3000);
    EXPECT_TRUE(cli.Saw("-> Closing: the command in progress is stopped") ||
                cli.Saw("-> Fermeture : la commande en cours est interrompue"))
        << Dump(cli);
    // Said once, with the lines received so far (the French or the English text).
    std::vector<long> received;
    for (const auto& l : Lines("cg_log.txt"))
        for (const char* cut : {"Download cut short, not saved; lines received: ",
                                "Téléchargement interrompu, non enregistré ; lignes reçues : "})
            if (const size_t at = l.find(cut); at != std::string::npos)
                received.push_back(std::atol(l.c_str() + at + std::strlen(cut)));
    ASSERT_EQ(received.size(), 1u);
    EXPECT_GT(received[0], 0);
    EXPECT_TRUE(Journalled("GAMMA-SCOUT Protokoll")); // the journal still reached its file
    EXPECT_FALSE(Lines("cg_conf.txt").empty());
    for (const auto& e : std::filesystem::directory_iterator(data_)) // nothing decoded
        EXPECT_EQ(e.path().filename().string().find("_DL.txt"), std::string::npos);
}

TEST_F(LogE2E, UnknownCommandAndMissingPortAreRefused) {
    Child bad(ZEL_CLI, {"log", "--port", "/dev/null", "--line", "1", "--do", "Comd_Nothing"});
    EXPECT_EQ(bad.Stop(0, 5000), 2);
    Child missing(ZEL_CLI, {"log", "--port", dir_ + "/no-such-tty", "--line", "1", "--dir", data_,
                            "--duration", "1"});
    EXPECT_EQ(missing.Stop(0, 10000), 1);
    EXPECT_TRUE(Lines("cg_log.txt").size() >= 2); // the failure is journalled
}

// Each reason a port does not open: the program says which port and why, in the configured
// language, and ends with status 1. The busy port is held by another zelvanor-cli log.
TEST_F(LogE2E, APortThatDoesNotOpenIsNamedWithTheReason) {
    Child sim(ZEL_SIM, {"--model", "VORN8", "--serial", "4321", "--period-ms", "2500"});
    ASSERT_TRUE(sim.started());
    const std::string port = PortOf(sim);
    ASSERT_FALSE(port.empty());
    Child first(ZEL_CLI, {"log", "--port", port, "--line", "1", "--dir", dir_ + "/first/"});
    ASSERT_TRUE(first.WaitFor(Is("<- VP=2.1,VORN8,4321"), 15000)) << Dump(first);

    std::filesystem::create_directories(data_);
    ASSERT_TRUE(zel::AtomicWriteFile(data_ + "cg_conf.txt", "Langue=EN\r\n"));
    const std::string plain = dir_ + "/plain.txt";
    ASSERT_TRUE(zel::AtomicWriteFile(plain, "not a tty\n"));
    const std::string missing = dir_ + "/ttyUSB9";
    const std::string refused = PermissionRefusedPath(dir_);
    const struct {
        std::string port;
        std::string text;
    } cases[] = {
        {port,
         "The port " + port + " is in use by another program. Close that program, then try again."},
        {plain, plain + " is not a serial port."},
        {dir_, dir_ + " is not a serial port."},
        {missing, "The port " + missing +
                      " does not exist or is no longer plugged in. Check the counter's cable."},
        {refused, "Access to the port " + refused + " refused: your user may not open it. " +
                      "Add your user to the group " + zel::PortOwnerGroup(refused) +
                      " (sudo usermod -aG " + zel::PortOwnerGroup(refused) +
                      " $USER), then log out and log in again."},
    };
    for (const auto& c : cases) {
        if (c.port.empty()) continue; // no path refuses for lack of permission here
        Child cli(ZEL_CLI,
                  {"log", "--port", c.port, "--line", "1", "--dir", data_, "--duration", "5"});
        ASSERT_TRUE(cli.started());
        EXPECT_EQ(cli.Stop(0, 10000), 1) << c.port;
        EXPECT_TRUE(cli.Saw("-> " + c.text)) << Dump(cli);
        EXPECT_TRUE(Journalled(c.text)) << c.port;
    }
    // The first program kept its counter throughout.
    EXPECT_TRUE(
        first.WaitFor([&](const std::string&) { return first.Count("<- CM=") >= 1; }, 15000));
    EXPECT_EQ(first.Stop(SIGTERM, 15000), 0);
}

// Every model and firmware generation through the headless front end: identified on its own
// line setting, its memory downloaded (a Gamma Scout log decoded into the download file) and
// its clock set.
struct ModelCase {
    const char* name;
    std::vector<std::string> sim;
    const char* line;      // a line setting's number or the model naming it
    const char* identity;  // the start of the identification reply
    const char* clock_ack; // the start of the clock acknowledgement
};

class LogE2EModels : public LogE2E, public ::testing::WithParamInterface<ModelCase> {};

TEST_P(LogE2EModels, IdentifiedDownloadedAndClockSet) {
    const ModelCase& c = GetParam();
    Child sim(ZEL_SIM, c.sim);
    ASSERT_TRUE(sim.started());
    const std::string port = PortOf(sim);
    ASSERT_FALSE(port.empty());
    Child cli(ZEL_CLI, {"log", "--port", port, "--line", c.line, "--dir", data_, "--do", "download",
                        "--do=clock"});
    ASSERT_TRUE(cli.started());
    auto starts = [](const std::string& prefix) {
        return [prefix](const std::string& l) { return l.rfind(prefix, 0) == 0; };
    };
    ASSERT_TRUE(cli.WaitFor(starts(std::string("<- ") + c.clock_ack), 45000)) << Dump(cli);
    EXPECT_EQ(cli.Stop(SIGTERM, 15000), 0);
    EXPECT_GE(cli.Count(std::string("<- ") + c.identity), 1u) << Dump(cli);
    size_t downloads = 0;
    for (const auto& e : std::filesystem::directory_iterator(data_)) {
        const std::string n = e.path().filename().string();
        if (n.size() > 7 && n.compare(n.size() - 7, 7, "_DL.txt") == 0 && Records(n) >= 1)
            ++downloads;
    }
    EXPECT_EQ(downloads, 1u) << Dump(cli);
}

INSTANTIATE_TEST_SUITE_P(
    EveryModel, LogE2EModels,
    ::testing::Values(
        ModelCase{"VORN2",
                  {"--model", "VORN2", "--period-ms", "2500", "--history", "3"},
                  "0",
                  "VP=",
                  "INOK"},
        ModelCase{"VORN3",
                  {"--model", "VORN3", "--period-ms", "2500", "--history", "3"},
                  "vorn3",
                  "VP=",
                  "INOK"},
        ModelCase{"VORN9",
                  {"--model", "VORN9", "--period-ms", "2500", "--history", "3"},
                  "VORN9",
                  "VP=",
                  "INOK"},
        ModelCase{"VORN10",
                  {"--model", "VORN10", "--period-ms", "2500", "--history", "3"},
                  "1",
                  "VP=",
                  "INOK"},
        ModelCase{"GS543",
                  {"--model", "GS", "--firmware", "5.43", "--mode", "pc", "--log-hours", "2"},
                  "gs1",
                  "Version 5.43",
                  "Datum"},
        ModelCase{"GS601",
                  {"--model", "GS", "--firmware", "6.01", "--mode", "pc", "--log-hours", "2"},
                  "gs6",
                  "Version 6.01",
                  "Datum"}),
    [](const ::testing::TestParamInfo<ModelCase>& i) { return std::string(i.param.name); });

} // namespace
