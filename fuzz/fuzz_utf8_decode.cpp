// Fuzzes the UTF-8 decoder: it must never crash, and whatever it accepts
// must come back unchanged after encoding what it decoded when every
// character was in the table.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/text_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  std::string decoded = platform::Utf8ToCp1251(input);
  if (!decoded.empty() && decoded.find('?') == std::string::npos &&
      input.find('?') == std::string::npos) {
    if (platform::Cp1251ToUtf8(decoded) != input) std::abort();
  }
  // Every single-byte text survives the way back.
  if (platform::Utf8ToCp1251(platform::Cp1251ToUtf8(input)) != input) std::abort();
  return 0;
}
