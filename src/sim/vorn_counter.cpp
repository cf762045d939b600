#include "sim/vorn_counter.h"

#include "base/numfmt.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace zel::sim {
namespace {

constexpr size_t kMemoryHours = 8760; // a year of hourly values
constexpr int kValuesPerLine = 8;

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> out;
    size_t from = 0;
    while (true) {
        size_t at = s.find(sep, from);
        std::string item = s.substr(from, at == std::string::npos ? std::string::npos : at - from);
        while (!item.empty() && item.front() == ' ')
            item.erase(item.begin());
        while (!item.empty() && item.back() == ' ')
            item.pop_back();
        out.push_back(item);
        if (at == std::string::npos) return out;
        from = at + 1;
    }
}

bool ReadInt(const std::string& s, int& v) {
    if (s.empty()) return false;
    char* end = nullptr;
    long x = std::strtol(s.c_str(), &end, 10);
    if (*end != '\0') return false;
    v = static_cast<int>(x);
    return true;
}

// The digit groups of a text, whatever separates them ("2024/05/17 10:23", "2024.5.17 10h23").
std::vector<int> DigitGroups(const std::string& s) {
    std::vector<int> out;
    int v = -1;
    for (char c : s) {
        if (std::isdigit(static_cast<unsigned char>(c))) {
            v = (v < 0 ? 0 : v * 10) + (c - '0');
            if (v > 100000) return {};
        } else if (v >= 0) {
            out.push_back(v);
            v = -1;
        }
    }
    if (v >= 0) out.push_back(v);
    return out;
}

} // namespace

int EncodeVornInt2(int value) {
    if (value < 0) return -1;
    int exponent = 0;
    double mantissa = value;
    while (std::lround(mantissa) > 8191 && exponent < 3) {
        mantissa /= 10;
        ++exponent;
    }
    return exponent << 13 | static_cast<int>(std::min(8191L, std::lround(mantissa)));
}

VornCounter::VornCounter(const VornOptions& options, const Moment& start)
    : opt_(options), random_(options.seed),
      next_count_ms_(start.ms +
                     (options.first_count_ms >= 0 ? options.first_count_ms : options.period_ms)),
      newest_store_ms_(start.ms) {
    for (int h = 0; h < opt_.history_hours && memory_.size() < kMemoryHours; ++h)
        memory_.push_back(static_cast<int>(random_.Poisson(opt_.cpm)));
}

LineSetting VornCounter::Line() const {
    return {opt_.model == 2 ? 19200 : 9600, 8, 'N', 1};
}

std::string VornCounter::Tick(const Moment& now) {
    std::string out;
    while (now.ms >= next_count_ms_) {
        ++count_lines_;
        const bool burst =
            count_lines_ >= opt_.burst_start && count_lines_ < opt_.burst_start + opt_.burst_length;
        const int count = static_cast<int>(random_.Poisson(burst ? opt_.burst_cpm : opt_.cpm));
        out += "CM=" + std::to_string(count) + "\r";
        next_count_ms_ += opt_.period_ms;
        minute_sum_ += count;
        if (++minutes_ == 60) {
            memory_.push_back(static_cast<int>(std::lround(minute_sum_ / 60.0)));
            if (memory_.size() > kMemoryHours) memory_.pop_front();
            newest_store_ms_ = now.ms;
            minute_sum_ = 0;
            minutes_ = 0;
        }
    }
    return out;
}

std::string VornCounter::Receive(std::string_view bytes, const Moment& now) {
    std::string out;
    for (char c : bytes) {
        if (c == '\r' || c == '\n') {
            if (!line_.empty()) out += Answer(line_, now);
            line_.clear();
        } else if (line_.size() < 256) {
            line_ += c;
        }
    }
    return out;
}

std::string VornCounter::Answer(const std::string& request, const Moment& now) {
    const char command = static_cast<char>(std::toupper(static_cast<unsigned char>(request[0])));
    const std::string arg = request.substr(1);
    switch (command) {
    case 'V':
        return Identity() + "\r";
    case 'F':
        if (!arg.empty() && arg[0] == '=') {
            double f = 0;
            std::from_chars(arg.data() + 1, arg.data() + arg.size(), f); // "." in any locale
            if (f > 0 && f < 10) opt_.factor = f;
        }
        return "CF=" + FloatToStr(opt_.factor) + "\r";
    case 'P':
        if (!arg.empty() && arg[0] == '=') SetParameters(arg.substr(1), now);
        return Parameters(now) + "\r";
    case 'G':
        return InternalData() + "\r";
    case 'D':
        return Download(now);
    case 'B':
        // A reboot: the counter starts a new minute and answers nothing.
        next_count_ms_ = now.ms + opt_.period_ms;
        minute_sum_ = 0;
        minutes_ = 0;
        return {};
    case 'I':
        return SetClock(arg, now) ? "INOK\r" : std::string();
    default:
        return {};
    }
}

std::string VornCounter::Identity() const {
    return "VP=" + opt_.version + ",VORN" + std::to_string(opt_.model) + "," +
           std::to_string(opt_.serial);
}

std::string VornCounter::Parameters(const Moment& now) const {
    std::string s = std::string("PC=") + (led_ ? "ON" : "OFF") + "," + (buzzer_ ? "ON" : "OFF") +
                    "," + (sievert_ ? "SV" : "PM") + "," + std::to_string(threshold_);
    if (opt_.model == 10) {
        const DateTimeParts p = DecodeDateTime(Clock(now));
        char buf[64];
        std::snprintf(buf, sizeof buf, ",%s,%d,%d,%d,%d,%d", lithium_ ? "LI36" : "AL45",
                      p.year % 100, p.month, p.day, p.hour, p.minute);
        s += buf;
    }
    return s;
}

std::string VornCounter::InternalData() const {
    if (opt_.model == 2 || opt_.model == 3) return "ID=3600"; // battery in millivolts
    const int64_t days = (opt_.history_hours + count_lines_ / 60) / 24;
    return "ID=905," + std::to_string(kMemoryHours) + "," + std::to_string(memory_.size()) + "," +
           std::to_string(days);
}

int64_t VornCounter::SecondsSinceStore(const Moment& now) const {
    // With a shortened period the counter's time runs faster than the computer's.
    return (now.ms - newest_store_ms_) * 60 / opt_.period_ms;
}

std::string VornCounter::Download(const Moment& now) const {
    if (memory_.empty()) return "DL=NODATA\r";
    std::string out;
    std::vector<int> values(memory_.begin(), memory_.end());
    const int64_t since = std::min<int64_t>(SecondsSinceStore(now), 3599);
    if (opt_.model == 2) {
        // Oldest first, from the date of the oldest value.
        const TDateTime oldest =
            IncSecond(Clock(now), -static_cast<double>(since) -
                                      3600.0 * static_cast<double>(values.size() - 1));
        const DateTimeParts p = DecodeDateTime(oldest);
        char buf[48];
        std::snprintf(buf, sizeof buf, "DL=%02d/%02d/%02d %02d:%02d\r", p.year % 100, p.month,
                      p.day, p.hour, p.minute);
        out += buf;
    } else {
        // Newest first, dated by its age at the moment of the header.
        std::reverse(values.begin(), values.end());
        out += std::string("DL=") + (opt_.model == 3 ? "INT1" : "INT2") + ",O" +
               std::to_string(since) + ",P3600\r";
        if (opt_.model != 3)
            for (int& v : values)
                v = EncodeVornInt2(v);
    }
    for (size_t i = 0; i < values.size(); i += kValuesPerLine) {
        out += "DL=";
        for (size_t k = i; k < std::min(values.size(), i + kValuesPerLine); ++k)
            out += (k > i ? "," : "") + std::to_string(values[k]);
        out += "\r";
    }
    return out + "DL=END\r";
}

bool VornCounter::SetParameters(const std::string& text, const Moment& now) {
    const std::vector<std::string> items = Split(Upper(text), ',');
    if (items.size() < 4) return false;
    int threshold = 0;
    if ((items[0] != "ON" && items[0] != "OFF") || (items[1] != "ON" && items[1] != "OFF") ||
        (items[2] != "SV" && items[2] != "PM") || !ReadInt(items[3], threshold) || threshold <= 0)
        return false;
    led_ = items[0] == "ON";
    buzzer_ = items[1] == "ON";
    sievert_ = items[2] == "SV";
    threshold_ = threshold;
    if (opt_.model == 10 && items.size() >= 5) {
        lithium_ = items[4] != "AL45";
        int f[5];
        if (items.size() >= 10 && ReadInt(items[5], f[0]) && ReadInt(items[6], f[1]) &&
            ReadInt(items[7], f[2]) && ReadInt(items[8], f[3]) && ReadInt(items[9], f[4])) {
            TDateTime t = 0;
            if (TryEncodeDateTime(2000 + f[0] % 100, f[1], f[2], f[3], f[4], 0, 0, t))
                clock_offset_ = t - now.wall;
        }
    }
    return true;
}

bool VornCounter::SetClock(const std::string& text, const Moment& now) {
    const std::vector<int> g = DigitGroups(text);
    if (g.size() < 5) return false;
    TDateTime t = 0;
    const int year = g[0] < 100 ? 2000 + g[0] : g[0];
    if (!TryEncodeDateTime(year, g[1], g[2], g[3], g[4], 0, 0, t)) return false;
    clock_offset_ = t - now.wall;
    return true;
}

} // namespace zel::sim
