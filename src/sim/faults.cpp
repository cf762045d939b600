#include "sim/faults.h"

namespace zel::sim {

FaultyCounter::FaultyCounter(std::unique_ptr<Counter> inner, const FaultOptions& faults,
                             const Moment& start)
    : inner_(std::move(inner)), faults_(faults), random_(faults.seed ^ 0x5eed),
      next_garbage_ms_(start.ms + faults.garbage_period_ms / 2),
      unplugged_(faults.drop_after == 0) {}

std::string FaultyCounter::Receive(std::string_view bytes, const Moment& now) {
    return Pass(inner_->Receive(bytes, now));
}

std::string FaultyCounter::Tick(const Moment& now) {
    std::string out;
    if (faults_.garbage && now.ms >= next_garbage_ms_) {
        out += GarbageLine();
        next_garbage_ms_ = now.ms + faults_.garbage_period_ms;
    }
    return Pass(out + inner_->Tick(now));
}

// Noise that no reader can take for a reply: no letters (even with the parity bit cleared),
// never only blanks, ended by a carriage return.
std::string FaultyCounter::GarbageLine() {
    static const char kNoise[] = "!#$%&()*+-/<>?@[]^_{|}~0123456789\x01\x02\x07\x1b\x7f";
    std::string s(1, '~');
    const int n = random_.Uniform(4, 24);
    for (int i = 0; i < n; ++i)
        s += kNoise[random_.Uniform(0, sizeof kNoise - 2)];
    if (random_.Uniform(0, 1)) s += static_cast<char>(0xA3); // '#' with a parity bit
    return s + "\r";
}

std::string FaultyCounter::Pass(std::string out) {
    if (unplugged_ || faults_.silent) return {};
    if (faults_.drop_after < 0) return out;
    for (size_t i = 0; i < out.size(); ++i) {
        if (out[i] != '\r') continue;
        if (++lines_sent_ >= faults_.drop_after) {
            size_t end = i + 1;
            if (end < out.size() && out[end] == '\n') ++end;
            unplugged_ = true;
            return out.substr(0, end);
        }
    }
    return out;
}

} // namespace zel::sim
