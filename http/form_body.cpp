// The list form's body: form encoding by name, joining, trimming.
#include "http/form_body.h"

#include "http/text_util.h"

namespace {

// Index of the first line holding "=" whose text before it equals `name`
// (letter case ignored), or -1.
int IndexOfName(const std::vector<std::string>& lines, std::string_view name) {
  for (size_t i = 0; i < lines.size(); ++i) {
    size_t eq = lines[i].find('=');
    if (eq != std::string::npos &&
        http_text::SameText(std::string_view(lines[i]).substr(0, eq), name)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

}  // namespace

std::string FormEncode(std::string_view value) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(value.size() * 3);
  for (char ch : value) {
    unsigned char c = static_cast<unsigned char>(ch);
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
      out += ch;
    } else if (c == ' ') {
      out += '+';
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string ComposeListBody(std::vector<std::string> lines, bool encode) {
  if (encode) {
    for (size_t i = 0; i < lines.size(); ++i) {
      size_t eq = lines[i].find('=');
      std::string name = eq == std::string::npos ? std::string() : lines[i].substr(0, eq);
      int found = IndexOfName(lines, name);
      if (found < 0) continue;
      std::string& line = lines[static_cast<size_t>(found)];
      std::string value = line.substr(line.find('=') + 1);
      if (!value.empty()) line = name + "=" + FormEncode(value);
    }
  }
  std::string text;
  for (const std::string& line : lines) text.append(line).append("\r\n");
  if (lines.size() >= 2) {
    std::string joined;
    joined.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
        joined += '&';
        ++i;
      } else {
        joined += text[i];
      }
    }
    text = std::move(joined);
  }
  return std::string(http_text::TrimView(text));
}
