// Fuzzes ExtractNumber: the first input line is the key, the rest the text
// searched. It never raises; since minus signs are passed over, it gives
// the default or a number of 0 or more, and that number is the one an
// independent reading of the digits after the key gives.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "export/extract_number.h"

namespace {

constexpr int32_t kDefault = -12345;

// The joined digits after the first quoted key up to a quote, comma or
// brace, read as a decimal number; kDefault when there are none or the
// value passes the 32-bit range.
int32_t Expected(const std::string& key, const std::string& text) {
  size_t at = text.find("\"" + key + "\"");
  if (at == std::string::npos) return kDefault;
  std::string digits;
  for (size_t i = at + key.size() + 2; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"' || c == ',' || c == '}') break;
    if (c >= '0' && c <= '9') digits += c;
  }
  if (digits.empty()) return kDefault;
  digits.erase(0, digits.find_first_not_of('0'));
  if (digits.size() > 10) return kDefault;
  long long value = digits.empty() ? 0 : std::stoll(digits);
  return value > INT32_MAX ? kDefault : static_cast<int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t newline = input.find('\n');
  std::string key = newline == std::string::npos ? "id" : input.substr(0, newline);
  std::string text = newline == std::string::npos ? input : input.substr(newline + 1);
  int32_t got = ExtractNumber(key, text, kDefault);
  if (got != kDefault && got < 0) std::abort();
  if (got != Expected(key, text)) std::abort();
  return 0;
}
