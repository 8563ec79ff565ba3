// Conversion between the system's internal text (Windows-1251 bytes held in
// std::string) and the Unicode forms used at its edges: UTF-8 on the HTTP
// wire and UTF-16 at the Qt widgets. Pure functions, callable from any thread.
#pragma once

#include <string>

namespace platform {

// Every byte mapped through the Windows-1251 table and encoded in UTF-8
// (one to three bytes per character). Byte 0x98, which has no letter of its
// own, maps to U+0098 so that all 256 bytes survive a round trip.
std::string Cp1251ToUtf8(const std::string& text);

// Decodes UTF-8 of one to four bytes per sequence. A malformed input (a
// sequence cut short, a missing or stray continuation byte, an overlong form,
// a surrogate) gives an empty text as a whole. A character that Windows-1251
// lacks, those of four-byte sequences included, becomes "?".
std::string Utf8ToCp1251(const std::string& utf8);

std::u16string Cp1251ToUtf16(const std::string& text);

// Each UTF-16 code unit outside Windows-1251 becomes "?"; a surrogate pair
// becomes a single "?".
std::string Utf16ToCp1251(const std::u16string& text);

// The Windows-1251 byte for a Unicode code point, or -1 when there is none.
int UnicodeToCp1251(char32_t code_point);

// The Unicode code point of a Windows-1251 byte.
char32_t Cp1251ToUnicode(unsigned char byte);

}  // namespace platform
