// The JSON texts the run posts for an object, assembled by plain
// concatenation with a fixed member order and fixed blanks: the
// create-standalone document, the card with its embedded persons document
// and areas array, and the guard-link document. The record texts are
// already JSON-escaped and are pasted between quotes unchanged.
// Pure functions over records the caller owns; callable from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "source/object_data.h"
#include "source/related_records.h"

// What the card needs beyond the object's own fields; empty texts leave
// their members out.
struct TCardParts {
  std::string Installer;  // first installer linked to the object
  std::string Extra;      // the further installers, joined with ", "
  std::string Persons;    // PersonsDocument
  std::string Areas;      // AreasArray
};

std::string BuildObjectJson(const TObjectData& object, int32_t group_id, int32_t obj_prefix);
std::string CardJson(const TObjectData& object, int32_t new_id, int32_t group_id,
                     const std::string& scode, const TCardParts& parts);
// The card's "DESCRIPTION" text: police department, phones, access routes.
std::string Description(const TObjectData& object);
// The value of "RESPONSIVE_PERSONS" (its own quotes written as \"), or empty.
std::string PersonsDocument(const TPplList& persons);
// The "zones" array of one partition, or empty.
std::string ZonesArray(const TZoneList& zones);
// One partition's object inside the "areas" array (`zones` may be empty).
std::string AreaEntry(const TAreaData& area, const std::string& zones);
// "[" + entries joined with ", " + "]", or empty when there are none.
std::string JoinArray(const std::vector<std::string>& entries);
// The add-guards document, or empty when `guard_ids` is empty.
std::string GuardsJson(int32_t new_id, const std::string& guard_ids);
// A card date, "yyy-mm-dd hh:nn:ss" with the regional time separator.
std::string CardDate(platform::TDateTime value);
