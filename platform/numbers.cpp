// The text-to-integer rule, trimming and decimal formatting.
#include "platform/numbers.h"

#include "platform/convert_error.h"

namespace platform {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool TryTextToInt(std::string_view text, int32_t& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == text.size()) return false;
  uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    int d = hex ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
    if (d < 0) return false;
    magnitude = magnitude * (hex ? 16 : 10) + static_cast<uint64_t>(d);
    if (magnitude > 0xFFFFFFFFull) return false;
  }
  if (hex) {
    uint32_t pattern = static_cast<uint32_t>(magnitude);
    int32_t v = static_cast<int32_t>(pattern);
    value = negative ? static_cast<int32_t>(0u - pattern) : v;
    return true;
  }
  if (negative) {
    if (magnitude > 2147483648ull) return false;
    value = static_cast<int32_t>(-static_cast<int64_t>(magnitude));
  } else {
    if (magnitude > 2147483647ull) return false;
    value = static_cast<int32_t>(magnitude);
  }
  return true;
}

std::string Trim(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32) --e;
  return std::string(text.substr(b, e - b));
}

int32_t TextToInt(std::string_view text) {
  int32_t value = 0;
  if (!TryTextToInt(text, value)) {
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
  }
  return value;
}

std::string IntToStr(int64_t value) { return std::to_string(value); }

}  // namespace platform
