// Windows-1251 <-> UTF-8 / UTF-16 through the full code table.
#include "platform/text_codec.h"

#include <array>

namespace platform {

namespace {

// Unicode code points of bytes 0x80 to 0xBF; 0xC0 to 0xFF are U+0410 to U+044F.
constexpr std::array<char16_t, 64> kHighTable = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

char ToCp1251OrQuestion(char32_t cp) {
  int b = UnicodeToCp1251(cp);
  return b < 0 ? '?' : static_cast<char>(b);
}

}  // namespace

char32_t Cp1251ToUnicode(unsigned char byte) {
  if (byte < 0x80) return byte;
  if (byte >= 0xC0) return 0x0410 + (byte - 0xC0);
  return kHighTable[byte - 0x80];
}

int UnicodeToCp1251(char32_t cp) {
  if (cp < 0x80) return static_cast<int>(cp);
  if (cp >= 0x0410 && cp <= 0x044F) return static_cast<int>(0xC0 + (cp - 0x0410));
  for (size_t i = 0; i < kHighTable.size(); ++i) {
    if (kHighTable[i] == cp) return static_cast<int>(0x80 + i);
  }
  return -1;
}

std::string Cp1251ToUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (unsigned char b : text) {
    if (b < 0x80) {
      out += static_cast<char>(b);
    } else {
      AppendUtf8(out, Cp1251ToUnicode(b));
    }
  }
  return out;
}

std::string Utf8ToCp1251(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  const size_t n = utf8.size();
  auto cont = [&](size_t i) {
    return i < n && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80;
  };
  for (size_t i = 0; i < n;) {
    unsigned char b = static_cast<unsigned char>(utf8[i]);
    char32_t cp;
    size_t len;
    if (b < 0x80) {
      out += static_cast<char>(b);
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      len = 2;
      cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      len = 3;
      cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      len = 4;
      cp = b & 0x07;
    } else {
      return std::string();  // stray continuation byte or invalid lead byte
    }
    for (size_t k = 1; k < len; ++k) {
      if (!cont(i + k)) return std::string();
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    }
    if ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
        (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))) {
      return std::string();  // overlong form, surrogate or beyond Unicode
    }
    out += ToCp1251OrQuestion(cp);
    i += len;
  }
  return out;
}

std::u16string Cp1251ToUtf16(const std::string& text) {
  std::u16string out;
  out.reserve(text.size());
  for (unsigned char b : text) out += static_cast<char16_t>(Cp1251ToUnicode(b));
  return out;
}

std::string Utf16ToCp1251(const std::u16string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t u = text[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      ++i;
      out += '?';
      continue;
    }
    out += ToCp1251OrQuestion(u);
  }
  return out;
}

}  // namespace platform
