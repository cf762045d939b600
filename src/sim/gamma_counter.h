#pragma once
// A Gamma Scout: one-letter requests answered with German words, the clock set one character
// at a time, and its log dumped as hexadecimal lines in the form of its firmware generation.
#include "sim/counter.h"
#include "sim/gs_log_generator.h"

#include <string>

namespace zel::sim {

struct GammaOptions {
    std::string firmware = "7.02"; // as the counter writes it in its version reply
    uint32_t serial = 12345;
    bool pc_mode = false; // false: the counter starts in its standard mode
    double log_hours = 24;
    int log_interval = 600;  // seconds, one of GsIntervals() of the log version
    bool plain_dump = false; // bare pairs instead of the firmware's own line form
    double cpm = 20;
    uint64_t seed = 1;
};

class GammaCounter : public Counter {
  public:
    GammaCounter(const GammaOptions& options, const Moment& start);

    LineSetting Line() const override;
    std::string Receive(std::string_view bytes, const Moment& now) override;
    std::string Tick(const Moment&) override { return {}; }

    double Firmware() const { return firmware_; }
    int LogVersion() const { return log_.version; }
    bool PcMode() const { return pc_mode_; }
    const GsLog& Log() const { return log_; }
    TDateTime Clock(const Moment& now) const { return now.wall + clock_offset_; }

    // Speed of a firmware generation: 2400 bit/s before 6.0, 9600 before 6.90, then 460800.
    static int SpeedOf(double firmware);

  private:
    std::string Command(char c, const Moment& now);
    std::string ClockChar(char c, const Moment& now);
    std::string Reply(const std::string& text) const;
    std::string Version(const Moment& now) const;
    std::string InternalData() const;
    std::string Dump() const;
    bool OldForm() const { return firmware_ < 6.0; }
    bool SevenForm() const { return firmware_ >= 7.0 && firmware_ < 8.0; }

    GammaOptions opt_;
    double firmware_;
    bool pc_mode_;
    GsLog log_;
    double clock_offset_ = 0; // counter's calendar minus the computer's, in days
    // A clock command being received: its letter, the characters so far, the last one's time.
    char clock_command_ = 0;
    std::string clock_text_;
    int64_t clock_last_ms_ = 0;
};

} // namespace zel::sim
