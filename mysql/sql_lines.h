// TSqlLines: a statement as a list of text lines. Every change calls the
// owner's change handler (the cursor closes itself there).
#pragma once

#include <functional>
#include <string>
#include <vector>

class TSqlLines {
 public:
  explicit TSqlLines(std::function<void()> on_change) : FOnChange(std::move(on_change)) {}
  TSqlLines(const TSqlLines&) = delete;
  TSqlLines& operator=(const TSqlLines&) = delete;

  int Count() const { return static_cast<int>(FLines.size()); }
  // Raises EListError outside 0..Count()-1.
  const std::string& operator[](int index) const;
  void Clear();
  void Add(const std::string& line);
  // Replaces every line: the text is split at CR LF, LF or CR.
  void SetText(const std::string& text);
  // The lines, each followed by CR LF.
  std::string Text() const;

 private:
  std::vector<std::string> FLines;
  std::function<void()> FOnChange;
};
