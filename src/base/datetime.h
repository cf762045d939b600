#pragma once
// Dates as the counters and our files know them: a double counting days since 1899-12-30,
// the time of day as the fraction, local time without zone. 0 stands for "no date".
#include <cstdint>
#include <string>

namespace zel {

using TDateTime = double;
constexpr TDateTime InvalideDateTime = 0.0;

struct DateTimeParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, msec = 0;
};

// Calendar checks.
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool IsValidDate(int year, int month, int day);
bool IsValidTime(int hour, int minute, int second, int msec = 0);

// False (and T untouched) when the fields are not a valid date / time of day.
bool TryEncodeDate(int year, int month, int day, TDateTime& t);
bool TryEncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec,
                       TDateTime& t);
// Valid fields assumed; an invalid date gives 0.
TDateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                         int msec = 0);
// Rounds to the nearest millisecond (so 10:00:00 minus a rounding error is still 10:00:00).
DateTimeParts DecodeDateTime(TDateTime t);

// Whole days (the date part) and seconds helpers.
TDateTime DateOf(TDateTime t);
constexpr double SecondsPerDay = 86400.0;
constexpr double MSecsPerDay = 86400000.0;
// Whole seconds between two date-times, rounded to the nearest second.
int64_t SecondsBetween(TDateTime later, TDateTime earlier);
TDateTime IncSecond(TDateTime t, double seconds);

// Local time now from the system clock (milliseconds kept).
TDateTime Now();
// A TDateTime from / to a time_t, in local time.
TDateTime FromTimeT(int64_t t);

// Formats with a pattern of tokens, case-insensitive: YYYY, YY, MM, DD, HH, NN, SS, ZZZ.
// "/" in the pattern is written as date_sep and ":" as time_sep; everything else is copied.
// "MM" after "HH" or "H:" is still the month: minutes are NN only, except that "mm" directly
// after "hh"+":" (chart labels "dd/mm/yy hh:mm") reads as minutes, as the classic date
// formatters do.
std::string FormatDateTime(const std::string& pattern, TDateTime t, char date_sep = '/',
                           char time_sep = ':');

} // namespace zel
