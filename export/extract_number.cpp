// ExtractNumber: the number following a quoted key in a response text.
#include "export/extract_number.h"

#include "platform/numbers.h"

int32_t ExtractNumber(const std::string& key, const std::string& text, int32_t default_value) {
  std::string pattern;
  pattern.reserve(key.size() + 2);
  pattern += '"';
  pattern += key;
  pattern += '"';
  size_t at = text.find(pattern);
  if (at == std::string::npos) return default_value;
  std::string digits;
  for (size_t i = at + pattern.size(); i < text.size(); ++i) {
    char c = text[i];
    if (c == '"' || c == ',' || c == '}') break;
    if (c >= '0' && c <= '9') digits += c;
  }
  int32_t value = 0;
  if (!platform::TryTextToInt(digits, value)) return default_value;
  return value;
}
