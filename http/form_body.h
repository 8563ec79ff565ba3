// The body of the list form of HttpPost: the lines, form-encoded after
// their first "=" when asked, joined and trimmed. Pure functions.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Letters and digits stay, a blank becomes "+", every other byte "%XX"
// (upper-case hexadecimal).
std::string FormEncode(std::string_view value);

// For each line "name=value" in order, the first line of that name (letter
// case ignored) with a non-empty value is rewritten as name "=" form
// encoding of its value (only when `encode`); then every line is followed
// by CR LF, with two or more lines every CR LF becomes "&", and bytes 0x00
// to 0x20 are trimmed from both ends.
std::string ComposeListBody(const std::vector<std::string>& lines, bool encode);
