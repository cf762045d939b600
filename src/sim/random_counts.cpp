#include "sim/random_counts.h"

namespace zel::sim {

uint32_t RandomCounts::Poisson(double mean) {
    if (mean <= 0) return 0;
    std::poisson_distribution<uint32_t> d(mean);
    return d(gen_);
}

int RandomCounts::Uniform(int lo, int hi) {
    std::uniform_int_distribution<int> d(lo, hi);
    return d(gen_);
}

} // namespace zel::sim
