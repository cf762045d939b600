#include "base/datetime.h"

#include <cctype>
#include <chrono>
#include <cmath>
#include <ctime>

namespace zel {
namespace {

// Days from 1970-01-01 for a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t days_from_civil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civil_from_days(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t yy = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

// 1899-12-30 is day 0 of TDateTime; it lies 25569 days before 1970-01-01.
constexpr int64_t kUnixEpochOffset = 25569;

} // namespace

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool IsValidDate(int year, int month, int day) {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= DaysInMonth(year, month);
}

bool IsValidTime(int hour, int minute, int second, int msec) {
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 &&
           msec >= 0 && msec < 1000;
}

bool TryEncodeDate(int year, int month, int day, TDateTime& t) {
    if (!IsValidDate(year, month, day)) return false;
    t = static_cast<double>(
        days_from_civil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
        kUnixEpochOffset);
    return true;
}

bool TryEncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec,
                       TDateTime& t) {
    TDateTime d;
    if (!IsValidTime(hour, minute, second, msec) || !TryEncodeDate(year, month, day, d))
        return false;
    const double frac = (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + msec) / MSecsPerDay;
    // Dates before 1899-12-30 keep the time as a positive fraction after the negative day.
    t = d >= 0 ? d + frac : d - frac;
    return true;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec) {
    TDateTime t = 0;
    if (!TryEncodeDateTime(year, month, day, hour, minute, second, msec, t)) return 0;
    return t;
}

DateTimeParts DecodeDateTime(TDateTime t) {
    DateTimeParts p;
    if (!std::isfinite(t)) return p;
    const double a = std::fabs(t);
    int64_t total_ms = std::llround(a * MSecsPerDay);
    int64_t days = total_ms / 86400000;
    int64_t ms = total_ms % 86400000;
    if (t < 0) days = -days;
    civil_from_days(days - kUnixEpochOffset, p.year, p.month, p.day);
    p.hour = static_cast<int>(ms / 3600000);
    p.minute = static_cast<int>(ms / 60000 % 60);
    p.second = static_cast<int>(ms / 1000 % 60);
    p.msec = static_cast<int>(ms % 1000);
    return p;
}

TDateTime DateOf(TDateTime t) {
    const DateTimeParts p = DecodeDateTime(t);
    return EncodeDateTime(p.year, p.month, p.day);
}

int64_t SecondsBetween(TDateTime later, TDateTime earlier) {
    return std::llround((later - earlier) * SecondsPerDay);
}

TDateTime IncSecond(TDateTime t, double seconds) {
    return t + seconds / SecondsPerDay;
}

TDateTime FromTimeT(int64_t secs) {
    const time_t tt = static_cast<time_t>(secs);
    struct tm lt {};
    localtime_r(&tt, &lt);
    return EncodeDateTime(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday, lt.tm_hour, lt.tm_min,
                          lt.tm_sec);
}

TDateTime Now() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count();
    const time_t tt = static_cast<time_t>(ms / 1000);
    struct tm lt {};
    localtime_r(&tt, &lt);
    return EncodeDateTime(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday, lt.tm_hour, lt.tm_min,
                          lt.tm_sec, static_cast<int>(ms % 1000));
}

std::string FormatDateTime(const std::string& pattern, TDateTime t, char date_sep, char time_sep) {
    const DateTimeParts p = DecodeDateTime(t);
    std::string out;
    auto two = [&out](int v) {
        out += static_cast<char>('0' + (v / 10) % 10);
        out += static_cast<char>('0' + v % 10);
    };
    auto upper_at = [&pattern](size_t i) {
        return static_cast<char>(std::toupper(static_cast<unsigned char>(pattern[i])));
    };
    auto starts = [&](size_t i, const char* tok) {
        for (size_t k = 0; tok[k]; ++k)
            if (i + k >= pattern.size() || upper_at(i + k) != tok[k]) return false;
        return true;
    };
    bool after_hour = false; // "mm" right after "hh:" is minutes
    for (size_t i = 0; i < pattern.size();) {
        if (starts(i, "YYYY")) {
            const int y = p.year;
            out += std::to_string(y / 1000 % 10) + std::to_string(y / 100 % 10);
            two(y % 100);
            i += 4;
            after_hour = false;
        } else if (starts(i, "YY")) {
            two(p.year % 100);
            i += 2;
            after_hour = false;
        } else if (starts(i, "MM")) {
            if (after_hour)
                two(p.minute);
            else
                two(p.month);
            i += 2;
            after_hour = false;
        } else if (starts(i, "DD")) {
            two(p.day);
            i += 2;
            after_hour = false;
        } else if (starts(i, "HH")) {
            two(p.hour);
            i += 2;
            after_hour = true;
        } else if (starts(i, "NN")) {
            two(p.minute);
            i += 2;
            after_hour = false;
        } else if (starts(i, "SS")) {
            two(p.second);
            i += 2;
            after_hour = false;
        } else if (starts(i, "ZZZ")) {
            out += std::to_string(p.msec / 100) + std::to_string(p.msec / 10 % 10) +
                   std::to_string(p.msec % 10);
            i += 3;
            after_hour = false;
        } else if (pattern[i] == '/') {
            out += date_sep;
            ++i;
        } else if (pattern[i] == ':') {
            out += time_sep;
            ++i; // keeps after_hour: "hh:mm"
        } else {
            out += pattern[i];
            ++i;
            after_hour = false;
        }
    }
    return out;
}

} // namespace zel
