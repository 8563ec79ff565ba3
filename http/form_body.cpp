// The list form's body: form encoding by name, joining, trimming.
#include "http/form_body.h"

#include "http/text_util.h"
#include "platform/text_case.h"

namespace {

// Index of the first line holding "=" whose text before it equals `name`
// (letter case ignored), or -1.
int IndexOfName(const std::vector<std::string>& lines, std::string_view name) {
  for (size_t i = 0; i < lines.size(); ++i) {
    size_t eq = lines[i].find('=');
    if (eq != std::string::npos &&
        platform::SameText(std::string_view(lines[i]).substr(0, eq), name)) {
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

std::string ComposeListBody(const std::vector<std::string>& lines, bool encode) {
  // Only a line with "=" can change; the others are joined as they are.
  std::vector<std::string> encoded;
  bool any_equals = false;
  for (const std::string& line : lines)
    any_equals = any_equals || line.find('=') != std::string::npos;
  if (encode && any_equals) {
    encoded = lines;
    for (size_t i = 0; i < encoded.size(); ++i) {
      size_t eq = encoded[i].find('=');
      std::string name = eq == std::string::npos ? std::string() : encoded[i].substr(0, eq);
      int found = IndexOfName(encoded, name);
      if (found < 0) continue;
      std::string& line = encoded[static_cast<size_t>(found)];
      std::string value = line.substr(line.find('=') + 1);
      if (!value.empty()) line = name + "=" + FormEncode(value);
    }
  }
  const std::vector<std::string>& parts = encode && any_equals ? encoded : lines;

  // Every line ends in CR LF; with two or more lines every CR LF becomes "&".
  const bool ampersands = parts.size() >= 2;
  size_t total = 0;
  for (const std::string& line : parts) total += line.size() + 2;
  std::string text;
  text.reserve(total);
  for (const std::string& line : parts) {
    if (!ampersands) {
      text.append(line).append("\r\n");
      continue;
    }
    for (size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '\r' && i + 1 < line.size() && line[i + 1] == '\n') {
        text += '&';
        ++i;
      } else {
        text += line[i];
      }
    }
    text += '&';  // the line's own CR LF
  }
  std::string_view trimmed = http_text::TrimView(text);
  if (trimmed.size() == text.size()) return text;
  return std::string(trimmed);
}
