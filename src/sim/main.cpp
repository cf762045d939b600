// zelvanor-sim: a Geiger counter on a pseudo-terminal, for trying the programs without one.
#include "sim/pty_runner.h"
#include "sim/sim_options.h"
#include "zel_version.h"

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    using namespace zel::sim;
    SimOptions options;
    std::string error;
    if (!ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "zelvanor-sim: %s\n%s", error.c_str(), SimUsage().c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(SimUsage().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("zelvanor-sim %s\n", ZEL_VERSION);
        return 0;
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count();
    auto counter = MakeCounter(options, Moment{ms, zel::Now()});
    return RunOnPty(*counter, RunOptions{options.link, options.check_line, options.pace}, stdout);
}
