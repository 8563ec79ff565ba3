// Small text helpers of the HTTP client: ASCII letter case, case-blind
// comparison, trimming of blanks and control characters, strict decimal
// reading. Pure functions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace http_text {

std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);
bool SameText(std::string_view a, std::string_view b);
// Removes characters with codes 0 to 32 from both ends.
std::string_view TrimView(std::string_view text);
// Decimal digits with an optional leading "-", in the 32-bit signed range.
bool TryDecimalToInt(std::string_view text, int32_t& value);

}  // namespace http_text
