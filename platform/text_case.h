// Letter case of ASCII letters: case-blind comparison and conversion of
// protocol words (header names, schemes, host names, charset names). Every
// other byte, Windows-1251 letters included, is left as it is, whatever
// the process's locale. Pure functions; any thread.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);
// Equal but for the case of ASCII letters.
bool SameText(std::string_view a, std::string_view b);

}  // namespace platform
