// The options of zelvanor-cli and zelvanor-sim, run as programs: every usage error gives its
// reason on one line before the usage and exits with 2; "--name value" and "--name=value" are
// the same; --version prints the project's version.
#include "cli_fixture.h"

#include "zel_version.h"

namespace {

using CliOptions = CliTest;

std::string FirstLine(const std::string& s) {
    return s.substr(0, s.find('\n'));
}

TEST_F(CliOptions, UsageErrorsSayWhyFirst) {
    write("f.txt", "2024/03/15 08:00:00;60;10\r\n");
    const std::string f = path("f.txt");
    const struct {
        std::string args;
        std::string reason;
    } cases[] = {
        {"", "zelvanor-cli: no command given"},
        {"frobnicate", "zelvanor-cli: unknown command 'frobnicate'"},
        {"stats", "zelvanor-cli stats: a capture file is required"},
        {"stats " + f + " " + f, "zelvanor-cli stats: one capture file only"},
        {"stats --bogus " + f, "zelvanor-cli stats: unknown option --bogus"},
        {"stats -x " + f, "zelvanor-cli stats: unknown option -x"},
        {"stats " + f + " --from", "zelvanor-cli stats: --from needs a value"},
        {"stats --gauss=yes " + f, "zelvanor-cli stats: --gauss takes no value"},
        {"stats --unit=kelvin " + f, "zelvanor-cli stats: --unit: cpm or sv, not kelvin"},
        {"stats --to 2024/13/01 " + f,
         "zelvanor-cli stats: --to: 2024/13/01 is not a date YYYY/MM/DD [HH:NN[:SS]]"},
        {"merge a b", "zelvanor-cli merge: three files are needed, 2 given"},
        {"ports extra", "zelvanor-cli ports: takes no arguments"},
        {"decode --firmware=6.5 --serial 1 " + f,
         "zelvanor-cli decode: --firmware, --serial, --eeprom and a dump file are required"},
        {"decode --firmware=six --serial 1 --eeprom 2 " + f,
         "zelvanor-cli decode: --firmware: not a number"},
        {"log --port /dev/null --line 9",
         "zelvanor-cli log: --line: 9 is neither a line setting (0 to 4) nor a counter model (see "
         "--help)"},
        {"log --port /dev/null --line=vorn4", "zelvanor-cli log: --line: vorn4 is neither a line "
                                              "setting (0 to 4) nor a counter model (see --help)"},
        {"log --port /dev/null", "zelvanor-cli log: --line is required"},
        {"log --line vorn8", "zelvanor-cli log: --port is required"},
        {"log --port /dev/null --line gs7 --do Comd_Nothing",
         "zelvanor-cli log: --do: unknown command Comd_Nothing (see --help)"},
        {"log --port /dev/null --line 1 --duration soon",
         "zelvanor-cli log: --duration: soon is not a number of seconds"},
        {"log --port /dev/null --line 1 extra", "zelvanor-cli log: unexpected argument extra"},
        {"log --port /dev/null --line 1 --mqtt http://pi.lan",
         "zelvanor-cli log: --mqtt: http://pi.lan does not start with mqtt:// or mqtts://"},
        {"log --port /dev/null --line 1 --mqtt mqtt://pi.lan:99999",
         "zelvanor-cli log: --mqtt: mqtt://pi.lan:99999: the port 99999 is not a number from 1 "
         "to 65535"},
        {"log --port /dev/null --line 1 --mqtt mqtt://zel@",
         "zelvanor-cli log: --mqtt: mqtt://zel@: no host name"},
        {"log --port /dev/null --line 1 --mqtt-prefix home",
         "zelvanor-cli log: --mqtt-prefix needs --mqtt"},
        {"log --port /dev/null --line 1 --mqtt mqtt://pi.lan --ha-prefix ha/#",
         "zelvanor-cli log: --ha-prefix: ha/# is no topic prefix (not empty, no + or #, no / at "
         "either end)"},
        {"log --port /dev/null --line 1 --mqtt mqtt://zel@pi.lan --mqtt-password-file " +
             path("none"),
         "zelvanor-cli log: --mqtt-password-file: cannot read " + path("none")},
        {"log --port /dev/null --line 1 --mqtt mqtt://pi.lan --mqtt-password-file " + f,
         "zelvanor-cli log: --mqtt-password-file: the broker URL names no user (mqtt://user@host)"},
        {"log --port /dev/null --line 1 --mqtt mqtt://pi.lan --mqtt-ca " + f,
         "zelvanor-cli log: --mqtt-ca: the broker URL must start with mqtts:// for TLS"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        std::string out, err;
        EXPECT_EQ(run(c.args, err, &out), 2);
        EXPECT_EQ(FirstLine(err), c.reason);
        EXPECT_EQ(err.find("Usage: zelvanor-cli"), FirstLine(err).size() + 1) << err;
        EXPECT_EQ(out, "");
    }
}

TEST_F(CliOptions, VersionAndHelp) {
    std::string out, err;
    EXPECT_EQ(run("--version", err, &out), 0);
    EXPECT_EQ(out, std::string("zelvanor-cli ") + ZEL_VERSION + "\n");

    // The plain words and the models naming a line setting are listed.
    EXPECT_EQ(run("log --help", err, &out), 0);
    for (const char* word : {"identify", "factor", "download", "clock", "internal-data", "reboot",
                             "pc-mode", "clear", "vorn2", "vorn3", "gs1", "gs6", "gs7"})
        EXPECT_NE(out.find(word), std::string::npos) << word;
    EXPECT_EQ(err, "");
    for (const char* cmd : {"stats", "merge", "ports", "decode"}) {
        EXPECT_EQ(run(std::string(cmd) + " -h", err, &out), 0) << cmd;
        EXPECT_EQ(out.rfind("Usage: zelvanor-cli ", 0), 0u) << cmd;
    }

    const std::string sim = ZEL_SIM;
    const int st = std::system((sim + " --version >" + path("stdout") + " 2>&1").c_str());
    EXPECT_EQ(WEXITSTATUS(st), 0);
    EXPECT_EQ(read("stdout"), std::string("zelvanor-sim ") + ZEL_VERSION + "\n");
    const int bad = std::system((sim + " --period-ms=fast >" + path("stdout") + " 2>&1").c_str());
    EXPECT_EQ(WEXITSTATUS(bad), 2);
    EXPECT_EQ(FirstLine(read("stdout")),
              "zelvanor-sim: --period-ms: fast is not a whole number from 10 to 86400000");
}

// Options given with "=" read as with a blank; the names the program has always used for the
// counter commands and the line settings by number stay accepted (a port that does not exist:
// the run fails, but not as a usage error).
TEST_F(CliOptions, BothFormsAndOldNamesAreAccepted) {
    for (const std::string& args : {"log --port=" + path("none") + " --line=gs7 --dir=" +
                                        path("d") + " --duration=0 --do=internal-data --do pc-mode",
                                    "log --port " + path("none") + " --line 3 --dir " + path("d") +
                                        " --duration 0 --do Comd_ID --do=comd_PC_mode"}) {
        SCOPED_TRACE(args);
        std::string err;
        EXPECT_NE(run(args, err), 2) << err;
        EXPECT_EQ(err.find("Usage:"), std::string::npos) << err;
    }
}

} // namespace
