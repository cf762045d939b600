#include "sim/gamma_counter.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "base/numfmt.h"

namespace zel::sim {
namespace {

// The host writes a clock command one character every half second; a pause much longer than
// that abandons it.
constexpr int64_t kClockCharTimeoutMs = 3000;

constexpr int kInternalDataLines = 7;

int TwoDigits(const std::string& s, size_t at) {
    return (s[at] - '0') * 10 + (s[at + 1] - '0');
}

} // namespace

GammaCounter::GammaCounter(const GammaOptions& options, const Moment& start)
    : opt_(options), firmware_([&] {
          double v = 0;
          ParseDecimal(options.firmware, v); // "." whatever the locale
          return v;
      }()),
      pc_mode_(options.pc_mode) {
    GsLogPlan plan;
    plan.version = GsLogVersion(firmware_);
    plan.end = start.wall;
    plan.hours = opt_.log_hours;
    plan.interval = opt_.log_interval;
    plan.cpm = opt_.cpm;
    plan.seed = opt_.seed;
    log_ = GenerateGsLog(plan);
}

int GammaCounter::SpeedOf(double firmware) {
    if (firmware < 6.0) return 2400;
    if (firmware < 6.9) return 9600;
    return 460800;
}

LineSetting GammaCounter::Line() const {
    return {SpeedOf(firmware_), 7, 'E', 1};
}

std::string GammaCounter::Receive(std::string_view bytes, const Moment& now) {
    std::string out;
    for (char c : bytes) {
        if (clock_command_ && now.ms - clock_last_ms_ > kClockCharTimeoutMs) {
            clock_command_ = 0;
            clock_text_.clear();
        }
        if (clock_command_) {
            out += ClockChar(c, now);
            continue;
        }
        out += Command(c, now);
    }
    return out;
}

std::string GammaCounter::Command(char c, const Moment& now) {
    // Out of PC mode the counter only tells its mode and accepts the switch to PC mode.
    if (!pc_mode_ && c != 'v' && c != 'P') return {};
    switch (c) {
    case 'v':
        return pc_mode_ ? Version(now) : Reply("Standard");
    case 'P':
        pc_mode_ = true;
        return Reply("PC-MODE gestartet");
    case 'X':
        pc_mode_ = false;
        return Reply("PC-MODE beendet");
    case 'c':
        return InternalData();
    case 'b':
        return Dump();
    case 'z':
        log_ = EmptyGsLog(log_.version, Clock(now), opt_.log_interval);
        return Reply("Protokollspeicher geloescht");
    case 'N':
    case 'i':
        // A reboot: the counter comes back in its standard mode without a word.
        pc_mode_ = false;
        return {};
    case 't':
    case 'd':
    case 'u':
        clock_command_ = c;
        clock_text_.clear();
        clock_last_ms_ = now.ms;
        return {};
    default:
        return {};
    }
}

// t DDMMYYHHNNSS, d DDMMYY, u HH:NN (any separator); the counter answers once it is complete.
std::string GammaCounter::ClockChar(char c, const Moment& now) {
    const size_t want = clock_command_ == 't' ? 12 : clock_command_ == 'd' ? 6 : 5;
    const bool separator_place = clock_command_ == 'u' && clock_text_.size() == 2;
    const bool digit = std::isdigit(static_cast<unsigned char>(c)) != 0;
    if (separator_place ? digit : !digit) {
        // Not part of the command: drop what was gathered and read the character afresh.
        clock_command_ = 0;
        clock_text_.clear();
        return Command(c, now);
    }
    clock_text_ += c;
    clock_last_ms_ = now.ms;
    if (clock_text_.size() < want) return {};

    const char command = clock_command_;
    const std::string& s = clock_text_;
    const DateTimeParts cur = DecodeDateTime(Clock(now));
    TDateTime t = 0;
    bool ok = false;
    std::string reply;
    if (command == 't') {
        ok = TryEncodeDateTime(2000 + TwoDigits(s, 4), TwoDigits(s, 2), TwoDigits(s, 0),
                               TwoDigits(s, 6), TwoDigits(s, 8), TwoDigits(s, 10), 0, t);
        reply = "Datum und Zeit gesetzt";
    } else if (command == 'd') {
        ok = TryEncodeDateTime(2000 + TwoDigits(s, 4), TwoDigits(s, 2), TwoDigits(s, 0), cur.hour,
                               cur.minute, cur.second, 0, t);
        reply = "Datum gesetzt";
    } else {
        ok = TryEncodeDateTime(cur.year, cur.month, cur.day, TwoDigits(s, 0), TwoDigits(s, 3), 0, 0,
                               t);
        reply = "Zeit gesetzt";
    }
    clock_command_ = 0;
    clock_text_.clear();
    if (!ok) return {}; // an impossible date is ignored
    clock_offset_ = t - now.wall;
    return Reply(reply);
}

// Firmware before 6.00 puts a blank before and after its text and an empty line after it.
std::string GammaCounter::Reply(const std::string& text) const {
    return OldForm() ? " " + text + " \r\n\r\n" : text + "\r\n";
}

std::string GammaCounter::Version(const Moment& now) const {
    std::string version = "Version " + opt_.firmware;
    if (log_.version <= 2) return Reply(version); // the older protocol: the version alone
    char buf[96];
    if (SevenForm()) {
        // As a 7.02 counter writes it: letters after the version, a field that is the same on
        // every counter, then the serial number on six digits.
        std::snprintf(buf, sizeof buf, "Lb07 1020 %06u", static_cast<unsigned>(opt_.serial));
        version += buf;
    } else {
        version += " " + std::to_string(opt_.serial);
        if (firmware_ >= 6.9) version += " 0.5"; // processor figure
    }
    std::snprintf(buf, sizeof buf, " %04zx ", log_.bytes.size());
    version += buf;
    const DateTimeParts p = DecodeDateTime(Clock(now));
    std::snprintf(buf, sizeof buf, "%02d.%02d.%02d %02d:%02d:%02d", p.day, p.month, p.year % 100,
                  p.hour, p.minute, p.second);
    return Reply(version + buf);
}

// A header of two hexadecimal numbers, the second the count of lines that follow. Firmware 7
// first tells its calibration state, and its header has five numbers, the count the third.
std::string GammaCounter::InternalData() const {
    static const char* const kLines[kInternalDataLines] = {
        "cd0900001a05f6da2d00", "9a210000c1e1acb12d00", "9a7d00002f0995c63c00",
        "00a0020002009af24b00", "9a46080004001cc23c00", "c47d130085010e9e2d00",
        "15dd4400990210b32d00"};
    char header[32];
    std::string out;
    if (SevenForm()) {
        out = "GAMMA-SCOUT SoftCal gueltig\r\n";
        std::snprintf(header, sizeof header, "b0 00 %02x 7e 00", kInternalDataLines);
    } else {
        std::snprintf(header, sizeof header, "b0 %02x", kInternalDataLines);
    }
    out += OldForm() ? " " + std::string(header) + " \r\n" : std::string(header) + "\r\n";
    for (const char* line : kLines)
        out += OldForm() ? " " + std::string(line) + " \r\n" : std::string(line) + "\r\n";
    return out;
}

std::string GammaCounter::Dump() const {
    std::string out = Reply("GAMMA-SCOUT Protokoll");
    std::vector<std::string> lines;
    if (log_.version <= 2) {
        const GsDumpForm form =
            opt_.plain_dump || !OldForm() ? GsDumpForm::BarePairs : GsDumpForm::AddressPairs;
        lines = GsDumpLines(GsMemoryImage(log_, opt_.serial), form);
    } else {
        lines = GsDumpLines(log_.bytes,
                            opt_.plain_dump ? GsDumpForm::Checksum16 : GsDumpForm::Checksum32);
    }
    for (const std::string& line : lines)
        out += line + "\r\n";
    return out;
}

} // namespace zel::sim
