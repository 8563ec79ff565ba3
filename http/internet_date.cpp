// Internet date texts, written and read.
#include "http/internet_date.h"

#include <cstdio>
#include <vector>

#include "platform/text_case.h"

namespace {

const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

int MonthIndex(std::string_view token) {
  if (token.size() < 3) return -1;
  for (int m = 0; m < 12; ++m) {
    if (platform::SameText(token.substr(0, 3), kMonths[m])) return m;
  }
  return -1;
}

bool AllDigits(std::string_view token) {
  if (token.empty()) return false;
  for (char c : token) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

int Number(std::string_view token) {
  int v = 0;
  for (char c : token) v = v * 10 + (c - '0');
  return v;
}

std::vector<std::string_view> Tokens(std::string_view text) {
  std::vector<std::string_view> tokens;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() &&
           (text[i] == ' ' || text[i] == ',' || text[i] == '-' || text[i] == '\t')) {
      ++i;
    }
    size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != ',' && text[i] != '-' &&
           text[i] != '\t') {
      ++i;
    }
    if (i > start) tokens.push_back(text.substr(start, i - start));
  }
  return tokens;
}

bool ReadClock(std::string_view token, std::tm& tm) {
  int h = 0, m = 0, s = 0;
  std::string t(token);
  if (std::sscanf(t.c_str(), "%d:%d:%d", &h, &m, &s) < 2) return false;
  if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 60) return false;
  tm.tm_hour = h;
  tm.tm_min = m;
  tm.tm_sec = s;
  return true;
}

}  // namespace

std::string FormatInternetDate(std::time_t utc) {
  std::tm tm{};
  gmtime_r(&utc, &tm);
  char text[40];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[tm.tm_wday],
                tm.tm_mday, kMonths[tm.tm_mon], tm.tm_year + 1900, tm.tm_hour, tm.tm_min,
                tm.tm_sec);
  return text;
}

std::string LocalToInternetDate(platform::TDateTime local) {
  platform::TDateTimeParts p = platform::DecodeDateTime(local);
  std::tm tm{};
  tm.tm_year = p.Year - 1900;
  tm.tm_mon = p.Month - 1;
  tm.tm_mday = p.Day;
  tm.tm_hour = p.Hour;
  tm.tm_min = p.Minute;
  tm.tm_sec = p.Second;
  tm.tm_isdst = -1;
  return FormatInternetDate(std::mktime(&tm));
}

std::optional<std::time_t> ParseInternetDate(std::string_view text) {
  std::tm tm{};
  int day = -1, month = -1, year = -1;
  bool clock = false;
  for (std::string_view token : Tokens(text)) {
    if (!clock && token.find(':') != std::string_view::npos) {
      clock = ReadClock(token, tm);
      if (!clock) return std::nullopt;
    } else if (month < 0 && MonthIndex(token) >= 0) {
      month = MonthIndex(token);
    } else if (AllDigits(token) && token.size() <= 4) {
      if (day < 0 && token.size() <= 2) {
        day = Number(token);
      } else if (year < 0) {
        year = Number(token);
        if (token.size() <= 2) year += year < 70 ? 2000 : 1900;
      }
    }
  }
  if (day < 1 || day > 31 || month < 0 || year < 1601) return std::nullopt;
  tm.tm_mday = day;
  tm.tm_mon = month;
  tm.tm_year = year - 1900;
  return timegm(&tm);
}

platform::TDateTime UtcToLocal(std::time_t utc) {
  std::tm tm{};
  localtime_r(&utc, &tm);
  platform::TDateTimeParts parts;
  parts.Year = tm.tm_year + 1900;
  parts.Month = tm.tm_mon + 1;
  parts.Day = tm.tm_mday;
  parts.Hour = tm.tm_hour;
  parts.Minute = tm.tm_min;
  parts.Second = tm.tm_sec > 59 ? 59 : tm.tm_sec;
  platform::TDateTime value = 0;
  return platform::TryEncodeDateTime(parts, value) ? value : 0;
}

platform::TDateTime InternetDateToLocal(std::string_view text) {
  std::optional<std::time_t> utc = ParseInternetDate(text);
  return utc ? UtcToLocal(*utc) : 0;
}
