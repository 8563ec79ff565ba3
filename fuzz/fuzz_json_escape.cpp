// Fuzzes JSON escaping: the output holds no control byte and every escape is
// one the JSON grammar knows; unescaping gives the input back; and every cut
// of the output is the escape of a prefix of the input. The first byte of the
// input chooses the cut's limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "source/json_escape.h"

namespace {

int HexDigit(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  return -1;
}

// Undoes the escapes JsonEscape writes; nullopt when the text is not such output.
std::optional<std::string> Unescape(const std::string& escaped) {
  std::string out;
  for (size_t i = 0; i < escaped.size(); ++i) {
    const auto code = static_cast<unsigned char>(escaped[i]);
    if (code < 32 || code == '"' || code == '/') return std::nullopt;
    if (code != '\\') {
      out += escaped[i];
      continue;
    }
    if (++i == escaped.size()) return std::nullopt;
    switch (escaped[i]) {
      case 'b':
        out += '\b';
        break;
      case 't':
        out += '\t';
        break;
      case 'n':
        out += '\n';
        break;
      case 'f':
        out += '\f';
        break;
      case 'r':
        out += '\r';
        break;
      case '"':
        out += '"';
        break;
      case '/':
        out += '/';
        break;
      case '\\':
        out += '\\';
        break;
      case 'u': {
        if (i + 4 >= escaped.size() || escaped.compare(i + 1, 2, "00") != 0) return std::nullopt;
        const int high = HexDigit(escaped[i + 3]);
        const int low = HexDigit(escaped[i + 4]);
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 4;
        break;
      }
      default:
        return std::nullopt;
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t limit = data[0];
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string escaped = JsonEscape(text);
  const std::optional<std::string> back = Unescape(escaped);
  if (!back || *back != text) std::abort();

  const std::string cut = CutEscapedText(escaped, limit);
  if (cut.size() > limit || escaped.compare(0, cut.size(), cut) != 0) std::abort();
  const std::optional<std::string> cut_back = Unescape(cut);
  if (!cut_back || text.compare(0, cut_back->size(), *cut_back) != 0) std::abort();
  // Only an escape that does not fit may shorten the cut, and by less than 6.
  if (cut.size() < escaped.size() && cut.size() + 6 <= limit) std::abort();
  return 0;
}
