// Text values to integers, floats, dates and times.
#include "mysql/value_convert.h"

#include <charconv>
#include <cmath>
#include <string>

#include "platform/date_time.h"

namespace {

// The digit at `pos` as byte - 48; a position past the end counts as 0.
int Digit(std::string_view text, size_t pos) {
  return pos < text.size() ? static_cast<uint8_t>(text[pos]) - '0' : 0;
}

int Number(std::string_view text, size_t pos, int digits) {
  int value = 0;
  for (int i = 0; i < digits; ++i) value = value * 10 + Digit(text, pos + i);
  return value;
}

int TwoDigitYear(int yy) { return yy < 70 ? 2000 + yy : 1900 + yy; }

bool Encode(int year, int month, int day, int hour, int minute, int second, double& value) {
  platform::TDateTimeParts parts{year, month, day, hour, minute, second, 0};
  return platform::TryEncodeDateTime(parts, value);
}

}  // namespace

int64_t TextToInteger(std::string_view text, bool wide) {
  size_t pos = 0;
  bool negative = !text.empty() && text[0] == '-';
  if (negative) pos = 1;
  if (wide) {
    uint64_t value = 0;
    for (; pos < text.size(); ++pos) value = value * 10 + static_cast<uint64_t>(Digit(text, pos));
    return static_cast<int64_t>(negative ? 0 - value : value);
  }
  uint32_t value = 0;
  for (; pos < text.size(); ++pos) value = value * 10 + static_cast<uint32_t>(Digit(text, pos));
  return static_cast<int32_t>(negative ? 0 - value : value);
}

int64_t BitsToInteger(std::string_view bytes) {
  uint64_t value = 0;
  for (char c : bytes) value = (value << 8) | static_cast<uint8_t>(c);
  return static_cast<int64_t>(value);
}

bool TryTextToFloat(std::string_view text, double& value) {
  size_t pos = 0, n = text.size();
  auto digits = [&] {
    size_t start = pos;
    while (pos < n && text[pos] >= '0' && text[pos] <= '9') ++pos;
    return pos - start;
  };
  if (pos < n && (text[pos] == '+' || text[pos] == '-')) ++pos;
  size_t mantissa = digits();
  if (pos < n && text[pos] == '.') {
    ++pos;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (pos < n && (text[pos] == 'e' || text[pos] == 'E')) {
    ++pos;
    if (pos < n && (text[pos] == '+' || text[pos] == '-')) ++pos;
    if (digits() == 0) return false;
  }
  if (pos != n) return false;
  std::string_view number = text[0] == '+' ? text.substr(1) : text;
  auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Beyond the double range: the nearest infinity or zero, as the value's digits say.
    bool negative = number[0] == '-';
    size_t e = number.find_first_of("eE");
    bool tiny = e != std::string_view::npos && e + 1 < number.size() && number[e + 1] == '-';
    value = tiny ? (negative ? -0.0 : 0.0) : (negative ? -HUGE_VAL : HUGE_VAL);
    return true;
  }
  return ec == std::errc() && end == number.data() + number.size();
}

bool TextToDate(std::string_view text, double& value) {
  return Encode(Number(text, 0, 4), Number(text, 5, 2), Number(text, 8, 2), 0, 0, 0, value);
}

bool TextToDateTime(std::string_view text, double& value) {
  return Encode(Number(text, 0, 4), Number(text, 5, 2), Number(text, 8, 2), Number(text, 11, 2),
                Number(text, 14, 2), Number(text, 17, 2), value);
}

bool IsTimestampLength(int32_t length) {
  switch (length) {
    case 19:
    case 14:
    case 12:
    case 10:
    case 8:
    case 6:
    case 4:
    case 2:
      return true;
    default:
      return false;
  }
}

bool TextToTimestamp(std::string_view t, int32_t length, double& value) {
  switch (length) {
    case 19:
      return TextToDateTime(t, value);
    case 14:
      return Encode(Number(t, 0, 4), Number(t, 4, 2), Number(t, 6, 2), Number(t, 8, 2),
                    Number(t, 10, 2), Number(t, 12, 2), value);
    case 12:
      return Encode(TwoDigitYear(Number(t, 0, 2)), Number(t, 2, 2), Number(t, 4, 2),
                    Number(t, 6, 2), Number(t, 8, 2), Number(t, 10, 2), value);
    case 10:
      return Encode(TwoDigitYear(Number(t, 0, 2)), Number(t, 2, 2), Number(t, 4, 2),
                    Number(t, 6, 2), Number(t, 8, 2), 0, value);
    case 8:
      return Encode(Number(t, 0, 4), Number(t, 4, 2), Number(t, 6, 2), 0, 0, 0, value);
    case 6:
      return Encode(TwoDigitYear(Number(t, 0, 2)), Number(t, 2, 2), Number(t, 4, 2), 0, 0, 0,
                    value);
    case 4:
      return Encode(TwoDigitYear(Number(t, 0, 2)), Number(t, 2, 2), 1, 0, 0, 0, value);
    case 2:
      return Encode(TwoDigitYear(Number(t, 0, 2)), 1, 1, 0, 0, 0, value);
    default:
      return false;
  }
}

TTimeParse TextToTime(std::string_view text, double& value) {
  size_t colon = text.substr(0, 5).find(':');
  if (colon == std::string_view::npos) return TTimeParse::WrongFormat;
  bool negative = !text.empty() && text[0] == '-';
  int64_t hours = 0;
  for (size_t i = negative ? 1 : 0; i < colon; ++i) hours = hours * 10 + Digit(text, i);
  int minutes = Number(text, colon + 1, 2);
  int seconds = Number(text, colon + 4, 2);
  if (minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59) return TTimeParse::Invalid;
  value = static_cast<double>(hours) / 24.0 + (minutes * 60 + seconds) / 86400.0;
  if (negative) value = -value;
  return TTimeParse::Ok;
}
