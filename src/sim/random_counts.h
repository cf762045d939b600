#pragma once
// Radioactive decay gives Poisson-distributed counts; a seeded generator keeps runs repeatable.
#include <cstdint>
#include <random>

namespace zel::sim {

class RandomCounts {
  public:
    explicit RandomCounts(uint64_t seed) : gen_(seed) {}
    // A count drawn from a Poisson law of the given mean (0 for a mean of 0 or less).
    uint32_t Poisson(double mean);
    // Uniform in [lo, hi].
    int Uniform(int lo, int hi);

  private:
    std::mt19937_64 gen_;
};

} // namespace zel::sim
