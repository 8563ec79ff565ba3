// TSimSet: the SIM numbers already met in one run, compared ignoring the
// letter case of Latin and Cyrillic letters. Each number is kept case-folded
// in a hash set, so a lookup costs the same however many numbers the run has
// met. Belongs to the run; used on the run's thread only.
#pragma once

#include <string>
#include <unordered_set>

class TSimSet {
 public:
  // True when a number equal to `sim` (letter case ignored) was added.
  bool Contains(const std::string& sim) const;
  void Add(const std::string& sim);
  void Clear() { FFolded.clear(); }
  size_t Size() const { return FFolded.size(); }

 private:
  std::unordered_set<std::string> FFolded;
};

// The Windows-1251 text with every upper-case Latin and Cyrillic letter
// replaced by its lower-case form.
std::string CaseFoldCp1251(const std::string& text);
