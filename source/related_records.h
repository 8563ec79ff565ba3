// The records of the tables that hang off an object: installers (`mgr`),
// responsible persons (`ppl`), partitions (`razdel`), zones (`zon`) and
// rapid-response teams (`pgr`). Texts are Windows-1251, already escaped for a
// JSON string literal; an empty text stands for an empty or NULL column.
//
// Lists handed to the reader belong to the caller; the installer and team
// lists are the reader's caches and belong to the reader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One installer, a row of `mgr`.
struct TMgrData {
  int32_t Id = 0;    // `id`
  std::string Name;  // `mgr`
  std::string Note;  // `s1`, shown in parentheses after the name
};

// One responsible person of an object, a row of `ppl` that is not deleted.
struct TPplData {
  int32_t Id = 0;         // `id`
  int32_t Key = 0;        // `id_key`
  std::string Name;       // `ppl`
  std::string Position;   // `s1`
  std::string City;       // `s2`
  std::string Street;     // `s3`
  std::string House;      // `s4`
  std::string Building;   // `s5`
  std::string Apartment;  // `s6`
  std::string Phone1;     // `s7`
  std::string Phone2;     // `s8`
  std::string Phone3;     // `s9`
};

// One partition of an object, a row of `razdel`.
struct TAreaData {
  int32_t Number = 0;  // `n`
  std::string Name;    // `razdel`
};

// One zone of a partition, a row of `zon`.
struct TZoneData {
  int32_t Id = 0;          // `id`
  int32_t ObjectId = 0;    // the object the zones were read for
  int32_t AreaNumber = 0;  // the partition the zones were read for
  int32_t Key = 0;         // `id_key`, the zone number
  std::string Name;        // `zon`
  std::string Comment;     // `s1`
};

// Limits of the team texts, counted in characters of the escaped text.
inline constexpr size_t kTeamNameLimit = 255;
inline constexpr size_t kTeamPhoneLimit = 50;
inline constexpr size_t kTeamPersonLimit = 255;

// One rapid-response team, a row of `pgr`.
struct TPgrData {
  int32_t Id = 0;       // `id`
  std::string Name;     // `pgr`, at most kTeamNameLimit characters
  std::string Phone;    // `s1`, at most kTeamPhoneLimit characters
  std::string Person;   // the non-empty `s2` to `s9` joined with ", ", at most kTeamPersonLimit
  int32_t GuardId = 0;  // 0 when read; the export run stores its guard account id here
};

using TMgrList = std::vector<TMgrData>;
using TPplList = std::vector<TPplData>;
using TAreaList = std::vector<TAreaData>;
using TZoneList = std::vector<TZoneData>;
using TPgrList = std::vector<TPgrData>;
