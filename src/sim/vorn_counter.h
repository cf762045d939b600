#pragma once
// A VORN counter (models 2, 3, 8, 9, 10): a count line every minute, one-letter requests ended
// by a carriage return, replies of a two-letter word, "=" and values.
#include "sim/counter.h"
#include "sim/random_counts.h"

#include <deque>
#include <string>

namespace zel::sim {

struct VornOptions {
    int model = 8; // 2, 3, 8, 9 or 10
    uint32_t serial = 1234;
    std::string version = "2.1"; // firmware version as the counter writes it
    double factor = 0.0057;      // µSv/h per count per minute
    double cpm = 20;             // mean counts per minute
    int period_ms = 60000;       // one count line per period (a "minute")
    int first_count_ms = -1;     // before the first count line; -1: one period
    int burst_start = 0;         // count lines burst_start .. burst_start + burst_length - 1
    int burst_length = 0;        // (numbered from 1) are drawn around burst_cpm
    double burst_cpm = 0;
    int history_hours = 48; // stored hourly values at start
    uint64_t seed = 1;
};

class VornCounter : public Counter {
  public:
    VornCounter(const VornOptions& options, const Moment& start);

    LineSetting Line() const override;
    std::string Receive(std::string_view bytes, const Moment& now) override;
    std::string Tick(const Moment& now) override;

    // The counter's own calendar (the computer's clock until the host sets it).
    TDateTime Clock(const Moment& now) const { return now.wall + clock_offset_; }
    size_t StoredHours() const { return memory_.size(); }

  private:
    std::string Answer(const std::string& request, const Moment& now);
    std::string Identity() const;
    std::string Parameters(const Moment& now) const;
    std::string InternalData() const;
    std::string Download(const Moment& now) const;
    bool SetParameters(const std::string& text, const Moment& now);
    bool SetClock(const std::string& text, const Moment& now);
    // Seconds of the counter's time since its newest stored value.
    int64_t SecondsSinceStore(const Moment& now) const;

    VornOptions opt_;
    RandomCounts random_;
    std::string line_;        // request being received
    int64_t next_count_ms_;   // when the next count line is due
    int count_lines_ = 0;     // count lines sent so far
    int64_t minute_sum_ = 0;  // counts of the hour in progress
    int minutes_ = 0;         // minutes in the hour in progress
    std::deque<int> memory_;  // stored hourly values, oldest first
    int64_t newest_store_ms_; // when the newest value was stored
    double clock_offset_ = 0; // counter's calendar minus the computer's, in days
    // Parameters.
    bool led_ = false, buzzer_ = false, sievert_ = false;
    int threshold_ = 50;
    bool lithium_ = true;
};

// Value of a stored hour in the download's second encoding: a 13-bit mantissa and a decimal
// exponent in bits 13 and 14.
int EncodeVornInt2(int value);

} // namespace zel::sim
