#pragma once
// Command line of zelvanor-sim.
#include "sim/faults.h"
#include "sim/gamma_counter.h"
#include "sim/vorn_counter.h"

#include <memory>
#include <string>
#include <vector>

namespace zel::sim {

struct SimOptions {
    bool gamma = false; // a Gamma Scout rather than a VORN counter
    VornOptions vorn;
    GammaOptions gamma_scout;
    FaultOptions faults;
    std::string link;       // also reachable at this path (a symbolic link)
    bool check_line = true; // ignore a host at another speed, as a real line would
    bool pace = false;      // send no faster than the line speed allows
    bool help = false;
    bool version = false; // print the program's version
};

// False with a message in `error` when the arguments do not make a counter.
bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error);

std::string SimUsage();

std::unique_ptr<FaultyCounter> MakeCounter(const SimOptions& options, const Moment& start);

} // namespace zel::sim
