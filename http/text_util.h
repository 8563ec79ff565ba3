// Small text helpers of the HTTP client: trimming of blanks and control
// characters, strict decimal reading (letter case: platform/text_case.h).
// Pure functions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace http_text {

// Removes characters with codes 0 to 32 from both ends.
std::string_view TrimView(std::string_view text);
// Decimal digits with an optional leading "-", in the 32-bit signed range.
bool TryDecimalToInt(std::string_view text, int32_t& value);

}  // namespace http_text
