#pragma once
// The counter model, as stored in the configuration record and the per-counter files.
#include <cstdint>

namespace zel {

// One byte; the values are written to files, so the order is fixed.
// GAMMA_SCOUT1 and GAMMA_SCOUT2 (6 and 7) are the Gamma Scout family.
enum TTypeCompteur : uint8_t {
    Unknown = 0,
    CVORN2 = 1,
    CVORN3 = 2,
    CVORN8 = 3,
    CVORN9 = 4,
    CVORN10 = 5,
    GAMMA_SCOUT1 = 6,
    GAMMA_SCOUT2 = 7,
    NotInitialized = 8,
};

} // namespace zel
