// Escaping of the texts read from the Halvex database for pasting between
// the double quotes of a JSON string literal, and cutting such an escaped
// text to a length limit. Pure functions, callable from any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Byte for byte: backspace, tab, line feed, form feed and carriage return
// become \b \t \n \f \r; a double quote, slash and backslash get a backslash
// in front; every other control character (0 to 31) becomes \u00 followed by
// two upper-case hexadecimal digits. Every other byte, Windows-1251 letters
// included, is copied.
std::string JsonEscape(std::string_view text);

// The first `limit` characters of a text that JsonEscape produced, or fewer:
// a cut that would end inside an escape moves back to the escape's start, so
// the result never ends with a lone backslash or a partial \u00XX.
std::string CutEscapedText(std::string_view escaped, size_t limit);
