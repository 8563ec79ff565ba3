// ExtractNumber: picks a number out of a target response by its key, the
// way every step of the run reads ids from the platform's answers.
// Pure, callable from any thread.
#pragma once

#include <cstdint>
#include <string>

// Finds the first "key" (in double quotes, exact letter case) in `text` and
// joins the decimal digits that follow it up to the next double quote, comma
// or closing brace, passing over everything else. Returns `default_value`
// when the key is missing or the digits do not form a 32-bit value. Never raises.
int32_t ExtractNumber(const std::string& key, const std::string& text, int32_t default_value);
