// Date-time values as days since 30 December 1899 (the fraction being the
// time of day; 0 means "no date"), the local clock with milliseconds, the
// regional time separator and the format patterns the system uses.
// Pure functions apart from the clock; callable from any thread.
#pragma once

#include <string>

namespace platform {

using TDateTime = double;

struct TDateTimeParts {
  int Year = 0, Month = 0, Day = 0;
  int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// True for a real calendar date, year 1 to 9999.
bool IsValidDate(int year, int month, int day);
bool IsValidTime(int hour, int minute, int second, int millisecond);

// Day count of a valid date (1 March 2015 gives 42064; dates before
// 30 December 1899 are negative). Returns false for an invalid date.
bool TryEncodeDate(int year, int month, int day, TDateTime& value);
// Fraction of a day; false for an invalid time.
bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& value);
// Date and time together. For days before the epoch the time of day is
// subtracted (-1.25 is 29 December 1899, 06:00), as the value's usual rules say.
bool TryEncodeDateTime(const TDateTimeParts& parts, TDateTime& value);

// Splits a value into its calendar parts (milliseconds rounded).
TDateTimeParts DecodeDateTime(TDateTime value);

// The local date and time now, with milliseconds.
TDateTimeParts NowParts();
TDateTime Now();

// The time separator of the regional settings: ":" unless the locale's time
// format says otherwise.
std::string TimeSeparator();

// Formats with the pattern letters the system uses: "d"/"dd" day, "m"/"mm"
// month, "yy" two-digit year and "yyy" or longer four-digit year, "h"/"hh"
// hour 0-23, "n"/"nn" minutes, "s"/"ss" seconds, "z"/"zzz" milliseconds.
// ":" is written as TimeSeparator(); every other character is copied.
std::string FormatDateTime(const std::string& pattern, const TDateTimeParts& parts);
std::string FormatDateTime(const std::string& pattern, TDateTime value);

}  // namespace platform
