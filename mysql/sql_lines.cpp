// The statement's lines.
#include "mysql/sql_lines.h"

#include "mysql/db_errors.h"

const std::string& TSqlLines::operator[](int index) const {
  if (index < 0 || index >= Count()) throw EListError(index);
  return FLines[index];
}

void TSqlLines::Clear() {
  FLines.clear();
  FOnChange();
}

void TSqlLines::Add(const std::string& line) {
  FLines.push_back(line);
  FOnChange();
}

void TSqlLines::SetText(const std::string& text) {
  FLines.clear();
  size_t pos = 0;
  while (pos < text.size()) {
    size_t eol = text.find_first_of("\r\n", pos);
    if (eol == std::string::npos) {
      FLines.push_back(text.substr(pos));
      break;
    }
    FLines.push_back(text.substr(pos, eol - pos));
    pos = eol + ((text[eol] == '\r' && eol + 1 < text.size() && text[eol + 1] == '\n') ? 2 : 1);
  }
  FOnChange();
}

std::string TSqlLines::Text() const {
  std::string text;
  for (const auto& line : FLines) text += line + "\r\n";
  return text;
}
