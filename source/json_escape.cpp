// JSON escaping of source texts and the escape-aware cut.
#include "source/json_escape.h"

namespace {

// Length of the escape starting at a backslash of an escaped text.
size_t EscapeLength(std::string_view escaped, size_t at) {
  if (at + 1 < escaped.size() && escaped[at + 1] == 'u') return 6;
  return 2;
}

}  // namespace

std::string JsonEscape(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (char ch : text) {
    const auto code = static_cast<unsigned char>(ch);
    switch (code) {
      case 8:
        out += "\\b";
        break;
      case 9:
        out += "\\t";
        break;
      case 10:
        out += "\\n";
        break;
      case 12:
        out += "\\f";
        break;
      case 13:
        out += "\\r";
        break;
      case '"':
        out += "\\\"";
        break;
      case '/':
        out += "\\/";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        if (code < 32) {
          out += "\\u00";
          out += kHex[code >> 4];
          out += kHex[code & 15];
        } else {
          out += ch;
        }
    }
  }
  return out;
}

std::string CutEscapedText(std::string_view escaped, size_t limit) {
  if (escaped.size() <= limit) return std::string(escaped);
  size_t end = 0;  // a position where no escape is open
  while (end < limit) {
    const size_t step = escaped[end] == '\\' ? EscapeLength(escaped, end) : 1;
    if (end + step > limit) break;
    end += step;
  }
  return std::string(escaped.substr(0, end));
}
