// Short date and long time texts, and reading them back.
#include "mysql/date_text.h"

#include <cmath>

using platform::TDateTime;

namespace {

// Reads 1 to `max_digits` digits at `pos`; false when there is none.
bool ReadNumber(std::string_view text, size_t& pos, int max_digits, int& value) {
  size_t start = pos;
  value = 0;
  while (pos < text.size() && pos - start < static_cast<size_t>(max_digits) && text[pos] >= '0' &&
         text[pos] <= '9') {
    value = value * 10 + (text[pos] - '0');
    ++pos;
  }
  return pos > start;
}

bool Expect(std::string_view text, size_t& pos, std::string_view what) {
  if (text.substr(pos, what.size()) != what) return false;
  pos += what.size();
  return true;
}

bool ReadTime(std::string_view text, size_t& pos, TDateTime& value) {
  const std::string sep = platform::TimeSeparator();
  int hour, minute, second = 0;
  if (!ReadNumber(text, pos, 2, hour) || !Expect(text, pos, sep) ||
      !ReadNumber(text, pos, 2, minute)) {
    return false;
  }
  if (Expect(text, pos, sep) && !ReadNumber(text, pos, 2, second)) return false;
  return platform::TryEncodeTime(hour, minute, second, 0, value);
}

}  // namespace

std::string ShortDateText(TDateTime value) { return platform::FormatDateTime("dd.mm.yyyy", value); }

std::string LongTimeText(TDateTime value) {
  // The time of day of the value, negative values included.
  double fraction = std::fabs(value - std::trunc(value));
  return platform::FormatDateTime("h:nn:ss", fraction);
}

bool TryTextToDateTime(std::string_view text, TDateTime& value) {
  size_t begin = text.find_first_not_of(' ');
  size_t end = text.find_last_not_of(' ');
  if (begin == std::string_view::npos) return false;
  text = text.substr(begin, end - begin + 1);

  size_t pos = 0;
  int day, month, year;
  TDateTime date = 0, time = 0;
  size_t probe = pos;
  if (ReadNumber(text, probe, 2, day) && probe < text.size() && text[probe] == '.') {
    pos = probe + 1;
    if (!ReadNumber(text, pos, 2, month) || !Expect(text, pos, ".") ||
        !ReadNumber(text, pos, 4, year) || !platform::TryEncodeDate(year, month, day, date)) {
      return false;
    }
    if (pos == text.size()) {
      value = date;
      return true;
    }
    if (!Expect(text, pos, " ")) return false;
  }
  if (!ReadTime(text, pos, time) || pos != text.size()) return false;
  value = date >= 0 ? date + time : date - time;
  return true;
}
