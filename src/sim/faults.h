#pragma once
// Faults on demand, laid over any counter: noise lines, a counter that never answers, and a
// cable pulled out after a number of lines.
#include "sim/counter.h"
#include "sim/random_counts.h"

#include <memory>

namespace zel::sim {

struct FaultOptions {
    bool garbage = false; // send lines of bytes that are no protocol line
    int garbage_period_ms = 60000;
    bool silent = false; // never send anything
    int drop_after = -1; // hang up after this many lines (-1: never)
    uint64_t seed = 1;
};

class FaultyCounter : public Counter {
  public:
    FaultyCounter(std::unique_ptr<Counter> inner, const FaultOptions& faults, const Moment& start);

    LineSetting Line() const override { return inner_->Line(); }
    std::string Receive(std::string_view bytes, const Moment& now) override;
    std::string Tick(const Moment& now) override;

    // The line has been "unplugged": the runner closes its side once this is true.
    bool Unplugged() const { return unplugged_; }

  private:
    std::string Pass(std::string out);
    std::string GarbageLine();

    std::unique_ptr<Counter> inner_;
    FaultOptions faults_;
    RandomCounts random_;
    int64_t next_garbage_ms_;
    int lines_sent_ = 0;
    bool unplugged_ = false;
};

} // namespace zel::sim
