// Fuzzes the text-to-integer rule against an independent reading of it:
// an accepted decimal text must print back as the same number.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/numbers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  int32_t value = 0;
  if (!platform::TryTextToInt(text, value)) return 0;
  size_t i = text.find_first_not_of(' ');
  if (i == std::string::npos) std::abort();  // blanks alone are never a number
  std::string rest = text.substr(i);
  if (rest[0] == '+') rest.erase(0, 1);
  bool decimal = rest.find_first_of("$xX") == std::string::npos;
  if (decimal) {
    long long expected = std::strtoll(rest.c_str(), nullptr, 10);
    if (expected != value) std::abort();
  }
  return 0;
}
