#include "sim/sim_options.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "base/numfmt.h"
#include "base/options.h"

namespace zel::sim {
namespace {

bool ToDouble(const std::string& s, double& v) {
    return ParseDecimal(s, v);
}

bool ToLong(const std::string& s, long long& v) {
    char* end = nullptr;
    v = std::strtoll(s.c_str(), &end, 10);
    return !s.empty() && *end == '\0';
}

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

std::string SimUsage() {
    return "usage: zelvanor-sim [--model VORN2|VORN3|VORN8|VORN9|VORN10|GS] [options]  (VORN8)\n"
           "       zelvanor-sim --version | --help\n"
           "A Geiger counter on a pseudo-terminal. The first line printed is the device path.\n"
           "Options take their value as \"--name value\" or \"--name=value\".\n"
           "  --firmware V        firmware version (VORN 2.1; Gamma Scout 7.02, which sets its\n"
           "                      line speed and log layout)\n"
           "  --serial N          serial number (VORN 1234, Gamma Scout 12345)\n"
           "  --cpm X             mean counts per minute (20)\n"
           "  --seed N            random seed (1)\n"
           "  --link PATH         also make the device reachable at PATH (symbolic link)\n"
           "  --pace              send no faster than the line speed\n"
           "  --any-line          answer a host whatever line speed it set\n"
           "VORN counters:\n"
           "  --factor X          conversion factor in uSv/h per CPM (0.0057)\n"
           "  --period-ms N       milliseconds between count lines (60000); a host sends its\n"
           "                      requests after a second of silence, so keep it above 1500\n"
           "                      when a host is to send anything\n"
           "  --first-count-ms N  milliseconds before the first count line (one period); a\n"
           "                      quiet start lets a host identify a counter that then\n"
           "                      sends faster than it can be asked anything\n"
           "  --burst S,L[,CPM]   count lines S to S+L-1 around CPM (10 x --cpm, at least 200)\n"
           "  --history H         hourly values stored at start (48)\n"
           "Gamma Scout (--model GS):\n"
           "  --mode pc|standard  mode at start (standard)\n"
           "  --log-hours H       hours of log in memory (24)\n"
           "  --log-interval S    seconds per logged count (600)\n"
           "  --plain-dump        dump lines as bare pairs instead of the firmware's form\n"
           "Faults:\n"
           "  --garbage           send noise lines (every --period-ms, by default a minute)\n"
           "  --silent            never answer\n"
           "  --drop-after N      hang up after sending N lines, and exit\n";
}

bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& o, std::string& error) {
    bool have_period = false;
    bool have_burst_cpm = false;
    ParsedArgs parsed;
    if (!ParseOptions(args, {{"help", false},          {"version", false},  {"model", true},
                             {"serial", true},         {"cpm", true},       {"seed", true},
                             {"link", true},           {"pace", false},     {"any-line", false},
                             {"firmware", true},       {"factor", true},    {"period-ms", true},
                             {"first-count-ms", true}, {"burst", true},     {"history", true},
                             {"mode", true},           {"log-hours", true}, {"log-interval", true},
                             {"plain-dump", false},    {"garbage", false},  {"silent", false},
                             {"drop-after", true}},
                      parsed, error))
        return false;
    if (!parsed.operands.empty()) {
        error = "unexpected argument " + parsed.operands[0];
        return false;
    }
    std::string firmware;
    for (const ParsedOption& opt : parsed.options) {
        const std::string a = "--" + opt.name;
        const auto value = [&](std::string& v) {
            v = opt.value;
            return true;
        };
        const auto number = [&](long long& v, long long lo, long long hi) {
            const std::string& s = opt.value;
            if (!ToLong(s, v) || v < lo || v > hi) {
                error = a + ": " + s + " is not a whole number from " + std::to_string(lo) +
                        " to " + std::to_string(hi);
                return false;
            }
            return true;
        };
        const auto real = [&](double& v, double lo, double hi) {
            const std::string& s = opt.value;
            if (!ToDouble(s, v) || !(v >= lo && v <= hi)) {
                error = a + ": " + s + " is not a number in range";
                return false;
            }
            return true;
        };
        std::string s;
        long long n = 0;
        double x = 0;
        if (a == "--help") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (a == "--model") {
            if (!value(s)) return false;
            s = Upper(s);
            if (s == "GS" || s == "GAMMA-SCOUT" || s == "GAMMASCOUT") {
                o.gamma = true;
            } else if (s == "VORN2" || s == "VORN3" || s == "VORN8" || s == "VORN9" ||
                       s == "VORN10") {
                o.gamma = false;
                o.vorn.model = std::atoi(s.c_str() + 4);
            } else {
                error = "--model: unknown model " + s;
                return false;
            }
        } else if (a == "--serial") {
            if (!number(n, 0, 999999)) return false;
            o.vorn.serial = o.gamma_scout.serial = static_cast<uint32_t>(n);
        } else if (a == "--cpm") {
            if (!real(x, 0, 1e6)) return false;
            o.vorn.cpm = o.gamma_scout.cpm = x;
        } else if (a == "--seed") {
            if (!number(n, 0, 1LL << 62)) return false;
            o.vorn.seed = o.gamma_scout.seed = o.faults.seed = static_cast<uint64_t>(n);
        } else if (a == "--link") {
            if (!value(o.link)) return false;
        } else if (a == "--pace") {
            o.pace = true;
        } else if (a == "--any-line") {
            o.check_line = false;
        } else if (a == "--factor") {
            if (!real(o.vorn.factor, 1e-9, 10)) return false;
        } else if (a == "--period-ms") {
            if (!number(n, 10, 86400000)) return false;
            o.vorn.period_ms = static_cast<int>(n);
            have_period = true;
        } else if (a == "--first-count-ms") {
            if (!number(n, 0, 86400000)) return false;
            o.vorn.first_count_ms = static_cast<int>(n);
        } else if (a == "--burst") {
            if (!value(s)) return false;
            double f[3] = {0, 0, 0};
            int count = 0;
            size_t from = 0;
            while (count < 3) {
                const size_t at = s.find(',', from);
                if (!ToDouble(s.substr(from, at - from), f[count++])) count = 99;
                if (at == std::string::npos) break;
                from = at + 1;
            }
            if (count < 2 || count > 3 || f[0] < 1 || f[1] < 1) {
                error = "--burst: expected START,LENGTH[,CPM], got " + s;
                return false;
            }
            o.vorn.burst_start = static_cast<int>(f[0]);
            o.vorn.burst_length = static_cast<int>(f[1]);
            if (count == 3) {
                o.vorn.burst_cpm = f[2];
                have_burst_cpm = true;
            }
        } else if (a == "--history") {
            if (!number(n, 0, 8760)) return false;
            o.vorn.history_hours = static_cast<int>(n);
        } else if (a == "--firmware") {
            // The model may come after: the version goes to whichever counter is made.
            if (!value(firmware)) return false;
            if (!ToDouble(firmware, x) || x <= 0 || x >= 100) {
                error = "--firmware: " + firmware + " is not a version number";
                return false;
            }
        } else if (a == "--mode") {
            if (!value(s)) return false;
            if (s != "pc" && s != "standard") {
                error = "--mode: pc or standard, not " + s;
                return false;
            }
            o.gamma_scout.pc_mode = s == "pc";
        } else if (a == "--log-hours") {
            if (!real(o.gamma_scout.log_hours, 0, 24.0 * 366 * 10)) return false;
        } else if (a == "--log-interval") {
            if (!number(n, 0, 604800)) return false;
            o.gamma_scout.log_interval = static_cast<int>(n);
        } else if (a == "--plain-dump") {
            o.gamma_scout.plain_dump = true;
        } else if (a == "--garbage") {
            o.faults.garbage = true;
        } else if (a == "--silent") {
            o.faults.silent = true;
        } else if (a == "--drop-after") {
            if (!number(n, 0, 1LL << 30)) return false;
            o.faults.drop_after = static_cast<int>(n);
        }
    }
    if (!firmware.empty()) o.vorn.version = o.gamma_scout.firmware = firmware;
    if (o.gamma) {
        double fw = 0;
        ParseDecimal(o.gamma_scout.firmware, fw);
        const auto& allowed = GsIntervals(GsLogVersion(fw));
        if (std::find(allowed.begin(), allowed.end(), o.gamma_scout.log_interval) ==
            allowed.end()) {
            error = "--log-interval: firmware " + o.gamma_scout.firmware + " logs only";
            for (int v : allowed)
                error += " " + std::to_string(v);
            error += " seconds";
            return false;
        }
    }
    if (!have_burst_cpm) o.vorn.burst_cpm = std::max(200.0, 10 * o.vorn.cpm);
    o.faults.garbage_period_ms = have_period || !o.gamma ? o.vorn.period_ms : 60000;
    return true;
}

std::unique_ptr<FaultyCounter> MakeCounter(const SimOptions& o, const Moment& start) {
    std::unique_ptr<Counter> inner;
    if (o.gamma)
        inner = std::make_unique<GammaCounter>(o.gamma_scout, start);
    else
        inner = std::make_unique<VornCounter>(o.vorn, start);
    return std::make_unique<FaultyCounter>(std::move(inner), o.faults, start);
}

} // namespace zel::sim
