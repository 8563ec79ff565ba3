// Day-count date-time values, the local clock and the format patterns.
#include "platform/date_time.h"

#include <langinfo.h>
#include <locale.h>
#include <sys/time.h>

#include <cmath>
#include <ctime>

namespace platform {

namespace {

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
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

// 1899-12-30 counted from 1970-01-01.
constexpr int64_t kEpochOffset = -25569;

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

void AppendPadded(std::string& out, int value, int width) {
  std::string digits = std::to_string(value);
  for (int i = static_cast<int>(digits.size()); i < width; ++i) out += '0';
  out += digits;
}

std::string ReadTimeSeparator() {
  locale_t loc = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) return ":";
  std::string fmt = nl_langinfo_l(T_FMT, loc);
  freelocale(loc);
  // The separator is what stands between the hour and minute conversions.
  size_t h = fmt.find_first_of("HIkl");
  if (h == std::string::npos || h == 0 || fmt[h - 1] != '%') return ":";
  size_t m = fmt.find("%M", h);
  if (m == std::string::npos || m == h + 1) return ":";
  std::string sep = fmt.substr(h + 1, m - h - 1);
  return sep.empty() || sep.find('%') != std::string::npos ? ":" : sep;
}

}  // namespace

bool IsValidDate(int year, int month, int day) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  int limit = kDays[month - 1] + (month == 2 && IsLeap(year) ? 1 : 0);
  return day <= limit;
}

bool IsValidTime(int hour, int minute, int second, int millisecond) {
  return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 &&
         millisecond >= 0 && millisecond < 1000;
}

bool TryEncodeDate(int year, int month, int day, TDateTime& value) {
  if (!IsValidDate(year, month, day)) return false;
  value = static_cast<double>(DaysFromCivil(year, month, day) - kEpochOffset);
  return true;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& value) {
  if (!IsValidTime(hour, minute, second, millisecond)) return false;
  value = (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / 86400000.0;
  return true;
}

bool TryEncodeDateTime(const TDateTimeParts& p, TDateTime& value) {
  TDateTime date, time;
  if (!TryEncodeDate(p.Year, p.Month, p.Day, date) ||
      !TryEncodeTime(p.Hour, p.Minute, p.Second, p.Millisecond, time)) {
    return false;
  }
  value = date < 0 ? date - time : date + time;
  return true;
}

TDateTimeParts DecodeDateTime(TDateTime value) {
  TDateTimeParts p;
  double whole = std::trunc(value);
  int64_t ms = std::llround(std::fabs(value - whole) * 86400000.0);
  int64_t day = static_cast<int64_t>(whole);
  if (ms >= 86400000) {  // rounding reached the next day
    ms -= 86400000;
    day += value < 0 ? -1 : 1;
  }
  CivilFromDays(day + kEpochOffset, p.Year, p.Month, p.Day);
  p.Hour = static_cast<int>(ms / 3600000);
  p.Minute = static_cast<int>(ms / 60000 % 60);
  p.Second = static_cast<int>(ms / 1000 % 60);
  p.Millisecond = static_cast<int>(ms % 1000);
  return p;
}

TDateTimeParts NowParts() {
  timeval tv;
  gettimeofday(&tv, nullptr);
  tm local;
  time_t secs = tv.tv_sec;
  localtime_r(&secs, &local);
  TDateTimeParts p;
  p.Year = local.tm_year + 1900;
  p.Month = local.tm_mon + 1;
  p.Day = local.tm_mday;
  p.Hour = local.tm_hour;
  p.Minute = local.tm_min;
  p.Second = local.tm_sec;
  p.Millisecond = static_cast<int>(tv.tv_usec / 1000);
  return p;
}

TDateTime Now() {
  TDateTime v = 0;
  TryEncodeDateTime(NowParts(), v);
  return v;
}

std::string TimeSeparator() {
  static const std::string separator = ReadTimeSeparator();
  return separator;
}

std::string FormatDateTime(const std::string& pattern, const TDateTimeParts& p) {
  std::string out;
  for (size_t i = 0; i < pattern.size();) {
    char c = pattern[i];
    size_t run = 1;
    while (i + run < pattern.size() && pattern[i + run] == c) ++run;
    switch (c) {
      case 'd':
        AppendPadded(out, p.Day, run >= 2 ? 2 : 1);
        break;
      case 'm':
        AppendPadded(out, p.Month, run >= 2 ? 2 : 1);
        break;
      case 'y':
        if (run >= 3)
          AppendPadded(out, p.Year, 4);
        else
          AppendPadded(out, p.Year % 100, 2);
        break;
      case 'h':
        AppendPadded(out, p.Hour, run >= 2 ? 2 : 1);
        break;
      case 'n':
        AppendPadded(out, p.Minute, run >= 2 ? 2 : 1);
        break;
      case 's':
        AppendPadded(out, p.Second, run >= 2 ? 2 : 1);
        break;
      case 'z':
        AppendPadded(out, p.Millisecond, run >= 3 ? 3 : 1);
        break;
      case ':':
        for (size_t k = 0; k < run; ++k) out += TimeSeparator();
        break;
      default:
        out.append(run, c);
        break;
    }
    i += run;
  }
  return out;
}

std::string FormatDateTime(const std::string& pattern, TDateTime value) {
  return FormatDateTime(pattern, DecodeDateTime(value));
}

}  // namespace platform
