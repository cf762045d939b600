#pragma once
// What every simulated counter offers the pseudo-terminal runner: bytes in, bytes out, and a
// tick for what it sends on its own. No file descriptors here, so the protocol logic can be
// driven byte by byte in tests.
#include "base/datetime.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zel::sim {

// The line a counter talks on. A pseudo-terminal only keeps the speed; the rest is for show.
struct LineSetting {
    int speed = 9600;
    int data_bits = 8;
    char parity = 'N'; // 'N' or 'E'
    int stop_bits = 1;
};

// A moment as the counter sees it: a monotonic millisecond clock for its timers, and the
// computer's wall clock from which its own calendar is derived.
struct Moment {
    int64_t ms = 0;
    TDateTime wall = 0;
};

class Counter {
  public:
    virtual ~Counter() = default;
    virtual LineSetting Line() const = 0;
    // Bytes from the host; returns what the counter answers at once.
    virtual std::string Receive(std::string_view bytes, const Moment& now) = 0;
    // Called often; returns what the counter sends unprompted by `now`.
    virtual std::string Tick(const Moment& now) = 0;
};

} // namespace zel::sim
