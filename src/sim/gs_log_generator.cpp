#include "sim/gs_log_generator.h"

#include "sim/random_counts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zel::sim {
namespace {

const std::vector<int> kIntervalsV1 = {604800, 86400, 3600, 600, 60};
const std::vector<int> kIntervalsV2 = {604800, 259200, 86400, 43200, 7200, 3600, 1800,
                                       600,    300,    120,   60,    30,   10};
const std::vector<int> kIntervalsV4 = {0,    604800, 259200, 86400, 43200, 7200, 3600,
                                       1800, 600,    300,    120,   60,    30,   10};

uint8_t Bcd(int v) {
    return static_cast<uint8_t>(((v / 10) % 10) << 4 | (v % 10));
}

TDateTime FloorToMinute(TDateTime t) {
    DateTimeParts p = DecodeDateTime(t);
    return EncodeDateTime(p.year, p.month, p.day, p.hour, p.minute);
}

TDateTime FloorToSecond(TDateTime t) {
    DateTimeParts p = DecodeDateTime(t);
    return EncodeDateTime(p.year, p.month, p.day, p.hour, p.minute, p.second);
}

// Writes records in the layout of one log version and keeps, beside the bytes, the clock,
// interval and annotation that a reader walking those bytes would have.
class LogWriter {
  public:
    explicit LogWriter(int version) { log_.version = version; }

    void Interval(int seconds) {
        const auto& table = log_.version == 4 ? kIntervalsV4 : GsIntervals(log_.version);
        const auto it = std::find(table.begin(), table.end(), seconds);
        const auto index = static_cast<uint8_t>(it - table.begin());
        switch (log_.version) {
        case 1:
        case 2:
            Put(0xF0 + index);
            break;
        default:
            Put(0xF5);
            Put(index);
            break;
        }
        interval_ = seconds;
    }

    void Date(TDateTime t, bool with_seconds) {
        const DateTimeParts p = DecodeDateTime(t);
        if (log_.version <= 2) {
            Put(0xFE);
        } else {
            Put(0xF5);
            Put(with_seconds && log_.version == 4 ? 0xED : 0xEF);
        }
        if (with_seconds && log_.version == 4) {
            Put(Bcd(p.second));
        } else {
            t = FloorToMinute(t);
        }
        for (int v : {p.minute, p.hour, p.day, p.month, p.year % 100})
            Put(Bcd(v));
        clock_ = t;
        if (log_.first_date == 0) log_.first_date = t;
    }

    void Count(uint32_t count) {
        uint32_t stored = 0;
        const uint16_t word = EncodeGsCount(count, &stored);
        Put(word >> 8);
        Put(word & 0xFF);
        log_.records.push_back({clock_, interval_, stored, note_});
        clock_ = IncSecond(clock_, interval_);
        note_.clear();
    }

    // A partial interval: its length in tens of seconds, then its count. The length stays in
    // force for later counts, as for an interval code.
    void Gap(int tens, uint32_t count) {
        if (log_.version <= 2) {
            Put(0xFF);
        } else {
            Put(0xF5);
            Put(0xEE);
        }
        Put(tens & 0xFF);
        Put((tens >> 8) & 0xFF);
        interval_ = tens * 10;
        Count(count);
    }

    void Overflow() {
        Put(log_.version == 1 ? 0xFC : log_.version == 2 ? 0xFD : 0xFA);
        note_ = GsOverflowText();
    }

    void AlarmFlags(uint8_t flags) {
        Put(flags);
        note_ = GsAlarmFlagText(flags);
    }

    // Records a reader passes over without effect. A skip record's length byte counts itself
    // and the filler after it.
    void Skip(const std::vector<uint8_t>& filler) {
        Put(0xF8);
        Put(static_cast<uint8_t>(filler.size() + 1));
        for (uint8_t b : filler)
            Put(b);
    }
    // A skip of length 0 lands on its own length byte, which then starts the next record:
    // possible only before a count word whose high byte is 0.
    void EmptySkipThenCount(uint32_t count) {
        if ((EncodeGsCount(count) >> 8) == 0) Put(0xF8);
        Count(count);
    }
    void IgnoredCode(uint8_t sub, uint8_t extra) {
        Put(0xF5);
        Put(sub);
        if (sub < 0xF0) Put(extra);
    }

    TDateTime clock() const { return clock_; }
    int interval() const { return interval_; }
    size_t size() const { return log_.bytes.size(); }
    GsLog Take() { return std::move(log_); }

  private:
    void Put(int b) { log_.bytes.push_back(static_cast<uint8_t>(b)); }

    GsLog log_;
    TDateTime clock_ = 0;
    int interval_ = 10; // what a reader assumes before the first interval code
    std::string note_;
};

// Another interval of the version's table, for a stretch of different logging.
int OtherInterval(int version, int interval) {
    const auto& table = GsIntervals(version);
    const auto it = std::find(table.begin(), table.end(), interval);
    if (it == table.end() || it + 1 == table.end()) return table[table.size() - 2];
    return *(it + 1);
}

} // namespace

int GsLogVersion(double firmware) {
    if (firmware <= 5.43) return 1;
    if (firmware <= 6.016) return 2;
    if (firmware < 6.9) return 3;
    return 4;
}

const std::vector<int>& GsIntervals(int log_version) {
    return log_version == 1 ? kIntervalsV1 : kIntervalsV2;
}

uint16_t EncodeGsCount(uint32_t count, uint32_t* stored) {
    int exponent = 0;
    while ((count >> exponent) > 0x7FF)
        ++exponent;
    const uint32_t mantissa = count >> exponent;
    if (stored) *stored = mantissa << exponent;
    return static_cast<uint16_t>(exponent << 11 | mantissa);
}

std::string GsOverflowText() {
    return "   Overflow !";
}

std::string GsAlarmFlagText(uint8_t flags) {
    std::string s = " ";
    if (flags & 1) s += "/Dose rate overflowed";
    if (flags & 2) s += "/Dose alarm fired";
    if (flags & 4) s += "/Dose rate alarm fired";
    return s + "/";
}

GsLog GenerateGsLog(const GsLogPlan& plan) {
    RandomCounts random(plan.seed);
    LogWriter w(plan.version);
    const int interval = plan.interval;
    const double mean = plan.cpm * interval / 60.0;
    const bool v4 = plan.version == 4;

    // A memory too small for the hours asked keeps the most recent ones, as a counter that
    // overwrites its oldest records would: the log always reaches `end`.
    const double room_hours = static_cast<double>(plan.max_bytes > 200 ? plan.max_bytes - 200 : 0) /
                              2.2 * interval / 3600.0;
    const double hours = std::min(plan.hours, room_hours);
    TDateTime start = IncSecond(plan.end, -hours * 3600.0);
    start = v4 ? FloorToSecond(start) : FloorToMinute(start);
    if (v4) {
        // Newer counters open their log with a date, a zero interval and the date again.
        w.Date(IncSecond(start, -26), true);
        w.Interval(0);
    }
    w.Date(start, v4);
    w.Interval(interval);

    const long planned = std::max(1L, std::lround(hours * 3600.0 / interval));
    const auto fits = [&] {
        return w.size() + 24 <= plan.max_bytes &&
               IncSecond(w.clock(), w.interval()) <= plan.end + 1e-9;
    };
    for (long i = 0; fits() || i == 0; ++i) {
        if (plan.rare_records && i > 0) {
            if (i == planned / 4 && plan.version >= 3) {
                w.IgnoredCode(0xF3, 0);
                w.IgnoredCode(0x20, 0x5A);
                if (v4) {
                    w.Skip({0xDE, 0xAD, 0xBE});
                    w.Skip({});
                    w.EmptySkipThenCount(random.Poisson(mean) & 0xFF);
                    continue;
                }
            }
            if (i == planned / 3) {
                // A burst: flagged, or marked as overflow by the older counters.
                if (v4) {
                    w.AlarmFlags(0xF9);
                    w.AlarmFlags(0xFC); // the later flag byte wins
                } else {
                    w.Overflow();
                }
                w.Count(random.Poisson(mean * 20));
                continue;
            }
            if (i == planned / 2) {
                // A partial interval, then the counter was off for a while.
                const int tens = std::max(1, interval / 20);
                w.Gap(tens, random.Poisson(plan.cpm * tens / 6.0));
                w.Interval(interval);
                TDateTime resume = IncSecond(w.clock(), 2.0 * interval + 7);
                w.Date(v4 ? FloorToSecond(resume) : FloorToMinute(IncSecond(resume, 60)), v4);
                if (!fits()) break;
            }
            if (i == 2 * planned / 3) {
                const int other = OtherInterval(plan.version, interval);
                w.Interval(other);
                for (int k = 0; k < 5 && fits(); ++k)
                    w.Count(random.Poisson(plan.cpm * other / 60));
                w.Interval(interval);
                if (!fits()) break;
            }
        }
        w.Count(random.Poisson(mean));
    }
    return w.Take();
}

GsLog EmptyGsLog(int version, TDateTime now, int interval) {
    LogWriter w(version);
    w.Interval(interval);
    w.Date(now, version == 4);
    return w.Take();
}

std::vector<uint8_t> GsMemoryImage(const GsLog& log, uint32_t serial) {
    const size_t end = 256 + log.bytes.size();
    std::vector<uint8_t> m(std::max<size_t>(2048, (end + 15) / 16 * 16), 0xFF);
    m[0] = Bcd(serial % 100);
    m[1] = Bcd(serial / 100 % 100);
    m[2] = Bcd(serial / 10000 % 100);
    m[32] = static_cast<uint8_t>(end & 0xFF);
    m[33] = static_cast<uint8_t>((end >> 8) & 0xFF);
    std::copy(log.bytes.begin(), log.bytes.end(), m.begin() + 256);
    return m;
}

std::vector<std::string> GsDumpLines(const std::vector<uint8_t>& data, GsDumpForm form) {
    const size_t per_line = form == GsDumpForm::Checksum32 ? 32 : 16;
    std::vector<std::string> lines;
    char hex[8];
    for (size_t at = 0; at < data.size(); at += per_line) {
        std::string line;
        if (form == GsDumpForm::AddressPairs) {
            std::snprintf(hex, sizeof hex, " %04zx", at & 0xFFFF);
            line = hex;
        }
        unsigned sum = 0;
        for (size_t i = at; i < at + per_line; ++i) {
            const uint8_t b = i < data.size() ? data[i] : 0xFF;
            sum += b;
            std::snprintf(hex, sizeof hex, form == GsDumpForm::AddressPairs ? " %02x" : "%02x", b);
            line += hex;
        }
        if (form == GsDumpForm::Checksum32 || form == GsDumpForm::Checksum16) {
            std::snprintf(hex, sizeof hex, "%02x", sum & 0xFF);
            line += hex;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

} // namespace zel::sim
