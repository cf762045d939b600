// zelvanor-cli log uploading to the radiation maps, against zelvanor-sim on a pseudo-terminal and
// a stand-in server on a loopback port: what each map receives is the mean of the counts the
// logger printed, interval by interval; a map that never answers holds neither the counts nor
// the stop; secrets stay out of the output and the journal; bad map options are usage errors.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/numfmt.h"
#include "child_process.h"
#include "cli_fixture.h"
#include "http_stand_in.h"

namespace {

const char* const kPassword = "pw-Secret-41";
const char* const kKey = "key-Secret-97";

// The interval is made short through the program's test setting, for the life of a test.
class ShortInterval {
  public:
    explicit ShortInterval(const char* ms) { setenv("ZELVANOR_UPLOAD_INTERVAL_MS", ms, 1); }
    ~ShortInterval() { unsetenv("ZELVANOR_UPLOAD_INTERVAL_MS"); }
};

class CliMaps : public CliTest {
  protected:
    std::vector<std::string> MapArgs(const HttpStandIn& server) {
        write("radmon.pw", std::string(kPassword) + "\n");
        write("safecast.key", std::string(kKey) + "\r\n");
        return {"--radmon",
                "shed",
                "--radmon-password-file",
                path("radmon.pw"),
                "--radmon-url",
                server.url("/radmon.php"),
                "--gmcmap",
                "111:222",
                "--gmcmap-url",
                server.url("/log2.asp"),
                "--safecast-key-file",
                path("safecast.key"),
                "--lat",
                "45.5",
                "--lon",
                "6.25",
                "--safecast-url",
                server.url("/measurements.json")};
    }
    std::string StartSim(Child& sim) {
        sim.WaitFor([](const std::string&) { return true; }, 5000);
        return sim.lines.empty() ? "" : sim.lines.front();
    }
};

// The counts the logger printed ("<- CM=n"), in order.
std::vector<int> Counts(const Child& cli) {
    std::vector<int> c;
    for (const auto& l : cli.lines)
        if (l.rfind("<- CM=", 0) == 0) c.push_back(std::atoi(l.c_str() + 6));
    return c;
}

// True when `values` are the means of consecutive runs of `counts`, from the first count on:
// each interval's counts, none left out, none used twice.
bool MeansOfConsecutiveRuns(const std::vector<int>& counts, const std::vector<std::string>& values,
                            size_t from = 0, size_t k = 0) {
    if (k == values.size()) return true;
    double sum = 0;
    for (size_t j = from; j < counts.size(); ++j) {
        sum += counts[j];
        if (zel::FormatFloat("0.##", sum / static_cast<double>(j - from + 1)) == values[k] &&
            MeansOfConsecutiveRuns(counts, values, j + 1, k + 1))
            return true;
    }
    return false;
}

std::string Joined(const std::vector<std::string>& v) {
    std::string s;
    for (const auto& x : v)
        s += x + " ";
    return s;
}

TEST_F(CliMaps, EachMapGetsTheMeanOfTheCountsOfEachInterval) {
    HttpStandIn server([](const HttpStandIn::Request& r) {
        if (r.path == "/radmon.php") return HttpStandIn::Reply{200, "OK"};
        if (r.path == "/log2.asp") return HttpStandIn::Reply{200, "OK.ERR0"};
        return HttpStandIn::Reply{201, "{}"};
    });
    ShortInterval interval("2500");
    Child sim(ZEL_SIM, {"--model", "VORN8", "--serial", "4321", "--cpm", "40", "--period-ms",
                        "1100", "--first-count-ms", "2000"});
    ASSERT_TRUE(sim.started());
    const std::string port = StartSim(sim);
    ASSERT_FALSE(port.empty());
    std::vector<std::string> args = {"log",   "--port", port,        "--line",
                                     "vorn8", "--dir",  path("data")};
    for (const auto& a : MapArgs(server))
        args.push_back(a);
    Child cli(ZEL_CLI, args);
    ASSERT_TRUE(cli.started());
    // Two uploads to each of the three maps.
    ASSERT_TRUE(server.waitForRequests(6, 30000));
    EXPECT_EQ(cli.Stop(SIGTERM, 15000), 0);

    std::vector<std::string> radmon, gmcmap, safecast;
    for (const auto& r : server.requestsTo("/radmon.php"))
        radmon.push_back(r.param("value"));
    for (const auto& r : server.requestsTo("/log2.asp"))
        gmcmap.push_back(r.param("ACPM"));
    for (const auto& r : server.requestsTo("/measurements.json")) {
        const size_t b = r.body.find("\"value\":") + 8;
        safecast.push_back(r.body.substr(b, r.body.find(',', b) - b));
    }
    ASSERT_GE(radmon.size(), 2u);
    EXPECT_TRUE(MeansOfConsecutiveRuns(Counts(cli), radmon))
        << "uploaded " << Joined(radmon) << "\ncounts printed "
        << ::testing::PrintToString(Counts(cli));
    // One reading per interval, the same for every map (the last interval may have been cut by
    // the stop before reaching them all).
    const size_t n = std::min({radmon.size(), gmcmap.size(), safecast.size()});
    for (size_t i = 0; i < n; ++i) {
        EXPECT_EQ(gmcmap[i], radmon[i]) << i;
        EXPECT_EQ(safecast[i], radmon[i]) << i;
    }

    // Each map's first accepted reading is journalled and printed; no secret anywhere.
    for (const char* name : {"-> radmon.org: ", "-> GMCmap: ", "-> Safecast: "})
        EXPECT_EQ(cli.Count(name), 1u) << name;
    const std::string journal = read("data/cg_log.txt");
    EXPECT_NE(journal.find("radmon.org: "), std::string::npos);
    for (const char* secret : {kPassword, kKey}) {
        EXPECT_EQ(journal.find(secret), std::string::npos);
        for (const auto& l : cli.lines)
            EXPECT_EQ(l.find(secret), std::string::npos) << l;
    }
}

TEST_F(CliMaps, AMapThatNeverAnswersHoldsNeitherTheCountsNorTheStop) {
    HttpStandIn server([](const HttpStandIn::Request&) {
        HttpStandIn::Reply r;
        r.silent = true;
        return r;
    });
    ShortInterval interval("1500");
    Child sim(ZEL_SIM, {"--model", "VORN8", "--period-ms", "1100", "--first-count-ms", "2000"});
    ASSERT_TRUE(sim.started());
    const std::string port = StartSim(sim);
    ASSERT_FALSE(port.empty());
    std::vector<std::string> args = {"log", "--port", port, "--line", "1", "--dir", path("data")};
    for (const auto& a : MapArgs(server))
        args.push_back(a);
    Child cli(ZEL_CLI, args);
    ASSERT_TRUE(cli.started());
    ASSERT_TRUE(server.waitForRequests(1, 30000));
    // The upload now waits for an answer that does not come (its limit is 20 s); the counts go
    // on being taken and printed meanwhile.
    cli.WaitFor([](const std::string&) { return false; }, 100);
    const size_t before = cli.Count("<- CM=");
    EXPECT_TRUE(
        cli.WaitFor([&](const std::string&) { return cli.Count("<- CM=") >= before + 3; }, 10000));
    EXPECT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(cli.Stop(SIGTERM, 10000), 0);
}

TEST_F(CliMaps, BadMapOptionsAreUsageErrors) {
    write("pw", "secret\n");
    write("empty", "\n");
    const std::string pw = path("pw");
    const std::string log = "log --port /nonexistent/tty --line 1 ";
    const std::string safecast = "--safecast-key-file " + pw + " ";
    const struct {
        std::string args;
        std::string reason; // after "zelvanor-cli log: "
    } cases[] = {
        {"--radmon shed", "--radmon needs --radmon-password-file"},
        {"--radmon-password-file " + pw, "--radmon-password-file needs --radmon"},
        {"--radmon shed --radmon-password-file " + path("empty"),
         "--radmon-password-file: " + path("empty") + " is empty"},
        {"--radmon shed --radmon-password-file " + path("none"),
         "--radmon-password-file: cannot read " + path("none") + " (No such file or directory)"},
        {"--radmon shed --radmon-password-file " + pw + " --radmon-url ftp://mirror",
         "--radmon-url: ftp://mirror is not an http:// or https:// address"},
        {"--gmcmap-url http://mirror", "--gmcmap-url needs --gmcmap"},
        {"--gmcmap 123", "--gmcmap: 123 is not ACCOUNT:COUNTER"},
        {"--gmcmap :5", "--gmcmap: :5 is not ACCOUNT:COUNTER"},
        {"--gmcmap 1:2:3", "--gmcmap: 1:2:3 is not ACCOUNT:COUNTER"},
        {safecast + "--lat 45", "--safecast-key-file needs --lat and --lon"},
        {"--lat 45 --lon 6", "--lat needs --safecast-key-file"},
        {safecast + "--lat 91 --lon 6", "--lat: 91 is not a number of degrees from -90 to 90"},
        {safecast + "--lat 45,5 --lon 6", "--lat: 45,5 is not a number of degrees from -90 to 90"},
        {safecast + "--lat 45 --lon -180.5",
         "--lon: -180.5 is not a number of degrees from -180 to 180"},
        {safecast + "--lat 45 --lon 6 --safecast-device 0",
         "--safecast-device: 0 is not a device number"},
        {"--safecast-device 7", "--safecast-device needs --safecast-key-file"},
        {"--upload-every 59",
         "--upload-every: 59 is not a whole number of seconds from 60 to 86400"},
        {"--upload-every 90.5",
         "--upload-every: 90.5 is not a whole number of seconds from 60 to 86400"},
        {"--upload-every=", "--upload-every:  is not a whole number of seconds from 60 to 86400"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        std::string err;
        EXPECT_EQ(run(log + c.args, err), 2);
        EXPECT_EQ(err.substr(0, err.find('\n')), "zelvanor-cli log: " + c.reason);
    }
    // Good values, with the decimal point whatever the locale: the options pass, the port fails.
    std::string err;
    EXPECT_EQ(run(log + safecast + "--lat -45.25 --lon 179.9 --safecast-device 12 " +
                      "--upload-every 60 --gmcmap 1:2",
                  err, nullptr, "fr_FR.UTF-8"),
              1)
        << err;
}

} // namespace
