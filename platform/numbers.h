// The system's text-to-integer rule, trimming and decimal formatting.
// Pure functions, callable from any thread; only TextToInt raises.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// The text-to-integer rule: leading blanks (code 32 only), one optional "+"
// or "-", then decimal digits, or "$", "x", "X", "0x" or "0X" followed by
// hexadecimal digits. Nothing may follow and at least one digit is needed.
// Decimal values must lie in the 32-bit signed range; hexadecimal values may
// use all 32 bits (read as a two's-complement pattern, then negated for "-").
// Returns false, leaving `value` untouched, on any other text.
bool TryTextToInt(std::string_view text, int32_t& value);

// The same rule for a text that must be a number: raises EConvertError
// "'text' is not a valid integer value" (platform/convert_error.h) instead
// of returning false.
int32_t TextToInt(std::string_view text);

// Removes every leading and trailing character whose code is 32 or less.
std::string Trim(std::string_view text);

// Plain decimal, no padding or grouping.
std::string IntToStr(int64_t value);

}  // namespace platform
