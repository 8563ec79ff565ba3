// TSimSet and the Windows-1251 case folding behind it.
#include "export/sim_set.h"

#include <array>

namespace {

// Lower-case byte for every Windows-1251 byte.
std::array<unsigned char, 256> MakeFoldTable() {
  std::array<unsigned char, 256> t{};
  for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
  for (int c = 'A'; c <= 'Z'; ++c) t[c] = static_cast<unsigned char>(c + 32);
  for (int c = 0xC0; c <= 0xDF; ++c) t[c] = static_cast<unsigned char>(c + 32);  // А..Я
  const unsigned char pairs[][2] = {
      {0xA8, 0xB8}, {0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C},
      {0x8D, 0x9D}, {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC},
      {0xA5, 0xB4}, {0xAA, 0xBA}, {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE},
  };
  for (const auto& p : pairs) t[p[0]] = p[1];
  return t;
}

}  // namespace

std::string CaseFoldCp1251(const std::string& text) {
  static const std::array<unsigned char, 256> kFold = MakeFoldTable();
  std::string folded(text);
  for (char& c : folded) c = static_cast<char>(kFold[static_cast<unsigned char>(c)]);
  return folded;
}

bool TSimSet::Contains(const std::string& sim) const {
  if (sim.empty()) return false;
  return FFolded.count(CaseFoldCp1251(sim)) != 0;
}

void TSimSet::Add(const std::string& sim) {
  if (!sim.empty()) FFolded.insert(CaseFoldCp1251(sim));
}
