// TIdHeaderList: an ordered list of "Name: value" text lines as HTTP
// headers are kept, written and read. Names compare without regard to letter
// case. Setting a value replaces the first line of that name in place (with
// its continuation lines), appends when there is none and removes the line
// for an empty value; values longer than the fold length are stored folded
// into continuation lines that begin with a blank. Reading joins the
// continuation lines with one blank and trims. A plain value type; one
// thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TIdHeaderList {
 public:
  static constexpr size_t kDefaultFoldLength = 78;
  static constexpr size_t kRequestFoldLength = 1024;
  static constexpr size_t kNoFolding = SIZE_MAX;

  explicit TIdHeaderList(size_t fold_length = kDefaultFoldLength) : FFoldLength(fold_length) {}

  // The value of the first line named `name`, with its continuation lines
  // joined by one blank, trimmed of blanks and control characters; "" when
  // there is no such line.
  std::string Values(std::string_view name) const;
  // Replaces, appends or (for "") removes the line named `name`.
  void SetValue(std::string_view name, std::string_view value);
  // Appends "name: value" (folded) even when the name already occurs.
  void AddValue(std::string_view name, std::string_view value);
  // Appends a raw line unchanged.
  void Add(std::string line) { FLines.push_back(std::move(line)); }
  // Appends every line of `other` as it is.
  void AddLines(const TIdHeaderList& other);

  // Index of the first line named `name` (letter case ignored), or -1.
  int IndexOfName(std::string_view name) const;
  // The value of line `index` with its continuation lines, as Values() reads it.
  std::string ValueAt(size_t index) const;

  size_t Count() const { return FLines.size(); }
  const std::string& operator[](size_t index) const { return FLines[index]; }
  void Clear() { FLines.clear(); }

  // Every line followed by CR LF.
  std::string Text() const;

 private:
  size_t LineEnd(size_t index) const;  // one past the line's last continuation line
  std::vector<std::string> FoldedLines(std::string_view name, std::string_view value) const;
  size_t FFoldLength;
  std::vector<std::string> FLines;
};

// The name of a header line: its text before the first colon (all of it
// when there is none).
std::string_view HeaderLineName(std::string_view line);
