// Header lines: replace in place, folding on store, joining on read.
#include "http/header_list.h"

#include "http/text_util.h"
#include "platform/text_case.h"

namespace {

bool IsContinuation(const std::string& line) {
  return !line.empty() && (line[0] == ' ' || line[0] == '\t');
}

std::string_view TrimBlanksRight(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string_view TrimBlanksLeft(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return text;
}

// Where to break `line` so that the first piece is at most `fold` long: after
// a comma or before a blank or tab outside double quotes, at or after
// `first`. Falls back to the first such place past `fold`; npos when none.
size_t FoldPoint(std::string_view line, size_t first, size_t fold) {
  bool quoted = false;
  size_t best = std::string_view::npos;
  for (size_t i = first; i < line.size(); ++i) {
    char c = line[i];
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (quoted || (c != ' ' && c != '\t' && c != ',')) continue;
    size_t cut = c == ',' ? i + 1 : i;
    if (cut > fold) return best != std::string_view::npos ? best : cut;
    best = cut;
  }
  return best;
}

}  // namespace

std::string_view HeaderLineName(std::string_view line) {
  size_t colon = line.find(':');
  return colon == std::string_view::npos ? line : line.substr(0, colon);
}

std::vector<std::string> TIdHeaderList::FoldedLines(std::string_view name,
                                                    std::string_view value) const {
  std::vector<std::string> pieces;
  std::string rest;
  rest.reserve(name.size() + 2 + value.size());
  rest.append(name).append(": ").append(value);
  size_t first = name.size() + 2;
  while (rest.size() > FFoldLength) {
    size_t cut = FoldPoint(rest, first, FFoldLength);
    if (cut == std::string::npos) break;
    std::string_view piece = TrimBlanksRight(std::string_view(rest).substr(0, cut));
    std::string_view next = TrimBlanksLeft(std::string_view(rest).substr(cut));
    if (piece.empty() || next.empty()) break;
    pieces.emplace_back(piece);
    rest = " " + std::string(next);
    first = 1;
  }
  pieces.push_back(std::move(rest));
  return pieces;
}

int TIdHeaderList::IndexOfName(std::string_view name) const {
  for (size_t i = 0; i < FLines.size(); ++i) {
    if (platform::SameText(HeaderLineName(FLines[i]), name)) return static_cast<int>(i);
  }
  return -1;
}

size_t TIdHeaderList::LineEnd(size_t index) const {
  size_t end = index + 1;
  while (end < FLines.size() && IsContinuation(FLines[end])) ++end;
  return end;
}

std::string TIdHeaderList::ValueAt(size_t index) const {
  const std::string& line = FLines[index];
  size_t colon = line.find(':');
  std::string value(http_text::TrimView(
      colon == std::string::npos ? std::string_view() : std::string_view(line).substr(colon + 1)));
  for (size_t i = index + 1, end = LineEnd(index); i < end; ++i) {
    value += ' ';
    value += http_text::TrimView(FLines[i]);
  }
  return std::string(http_text::TrimView(value));
}

std::string TIdHeaderList::Values(std::string_view name) const {
  int index = IndexOfName(name);
  return index < 0 ? std::string() : ValueAt(static_cast<size_t>(index));
}

void TIdHeaderList::SetValue(std::string_view name, std::string_view value) {
  int index = IndexOfName(name);
  if (index < 0) {
    if (!value.empty()) AddValue(name, value);
    return;
  }
  size_t first = static_cast<size_t>(index);
  size_t end = LineEnd(first);
  if (!value.empty() && end == first + 1 && name.size() + 2 + value.size() <= FFoldLength) {
    FLines[first].assign(name).append(": ").append(value);
    return;
  }
  auto at = FLines.erase(FLines.begin() + index, FLines.begin() + static_cast<ptrdiff_t>(end));
  if (!value.empty()) {
    std::vector<std::string> pieces = FoldedLines(name, value);
    FLines.insert(at, std::make_move_iterator(pieces.begin()),
                  std::make_move_iterator(pieces.end()));
  }
}

void TIdHeaderList::AddValue(std::string_view name, std::string_view value) {
  if (name.size() + 2 + value.size() <= FFoldLength) {
    std::string& line = FLines.emplace_back();
    line.reserve(name.size() + 2 + value.size());
    line.append(name).append(": ").append(value);
    return;
  }
  for (std::string& piece : FoldedLines(name, value)) FLines.push_back(std::move(piece));
}

void TIdHeaderList::AddLines(const TIdHeaderList& other) {
  FLines.insert(FLines.end(), other.FLines.begin(), other.FLines.end());
}

std::string TIdHeaderList::Text() const {
  std::string text;
  for (const std::string& line : FLines) text.append(line).append("\r\n");
  return text;
}
